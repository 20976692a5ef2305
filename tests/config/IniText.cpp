#include "IniText.h"

#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

void ReadIniText(const std::wstring& text, LPCWSTR section, const std::function<void(CIniFile&)>& read) {
    TempDirectory directory;
    std::wstring path = directory.File(L"read.ini");
    ASSERT_TRUE(WriteUtf16File(path, text));
    CIniFile file(path.c_str());
    if (section)
        file.SetSectionName(section);
    read(file);
}

std::wstring WrittenIniText(LPCWSTR section, const std::function<void(CIniFile&)>& write) {
    TempDirectory directory;
    std::wstring path = directory.File(L"written.ini");
    {
        CIniFile file(path.c_str());
        if (section)
            file.SetSectionName(section);
        write(file);
    }
    return ReadUtf16File(path);
}

std::wstring IniValue(CIniFile& file, LPCWSTR section, LPCWSTR key) {
    WCHAR text[512];
    file.ReadString(section, key, L"<none>", text, ARRAYSIZE(text));
    return text;
}
