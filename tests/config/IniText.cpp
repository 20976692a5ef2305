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

std::vector<std::wstring> IniSectionNames(CIniFile& file) {
    std::vector<std::wstring> names;
    file.EnumSectionNames(
        [](LPCWSTR name, void* context) -> BOOL {
            static_cast<std::vector<std::wstring>*>(context)->push_back(name);
            return TRUE;
        },
        &names);
    return names;
}
