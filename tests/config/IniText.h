#pragma once
#include "config/IniFile.h"

#include <functional>
#include <string>

// A UTF-16 file in a fresh folder holding the text, opened on the section (unless null) for read.
void ReadIniText(const std::wstring& text, LPCWSTR section, const std::function<void(CIniFile&)>& read);

// The whole text that write puts into a fresh file opened on the section (unless null).
std::wstring WrittenIniText(LPCWSTR section, const std::function<void(CIniFile&)>& write);

// The value the file reads for the key, "<none>" when it has none.
std::wstring IniValue(CIniFile& file, LPCWSTR section, LPCWSTR key);
