#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

// The language a user who has chosen none sees: the file in languagesDirectory (with its trailing
// backslash) for Windows' user interface language, else for the language of the user's locale,
// else "English". The name is the file's own, without ".ini".
std::wstring WindowsLanguageName(LPCWSTR languagesDirectory);

// The same for the given languages, in the order given.
std::wstring LanguageNameFor(std::initializer_list<LANGID> languages, LPCWSTR languagesDirectory);
