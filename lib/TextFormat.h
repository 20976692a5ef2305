#pragma once
#include <windows.h>

#include <string>

// Puts the text in place of the first "%s" of a format that comes from a language file; "%%"
// gives "%". Any other "%" stays as it is, so a translator's slip cannot reach printf.
std::wstring FormatWithText(LPCWSTR format, LPCWSTR text);
