#pragma once
#include <windows.h>

class CLanguage;

// The size, in characters, of the about text and of the title line.
const size_t kAboutTextLength = 520;

// The link markup of the about box: home page, user manual, author and mail address, in the
// language's words (built-in English texts without a language). Cut to fit the buffer.
void BuildAboutText(const CLanguage* language, LPWSTR text, size_t textSize);

// "ProductName vA.B.C" from the version resource of the given executable; empty when it has none.
void BuildAboutTitle(LPCWSTR executable, LPWSTR title, size_t titleSize);

// Runs the about box modally, without an owner; null aboutText shows the built-in English text.
void ShowAboutBox(HINSTANCE instance, LPCWSTR aboutText);
