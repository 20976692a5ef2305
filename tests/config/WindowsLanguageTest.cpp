#include "config/WindowsLanguage.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LanguagesDirectory {
    TempDirectory temp;
    std::wstring path;
    explicit LanguagesDirectory(std::initializer_list<LPCWSTR> names) : path(temp.Path() + L"\\") {
        for (LPCWSTR name : names)
            WriteUtf16File(temp.File(std::wstring(name) + L".ini"), L"[Language]\r\n");
    }
    std::wstring For(std::initializer_list<LANGID> languages) const { return LanguageNameFor(languages, path.c_str()); }
};

} // namespace

// desktop-free: WindowsLanguage
TEST(WindowsLanguage, EveryVariantFindsItsLanguagesFileAndTheFirstLanguageWithAFileWinsElseEnglish) {
    LanguagesDirectory shipped({L"English", L"Deutsch", L"Français", L"Español", L"Italiano", L"Português (Brasil)",
                                L"Русский", L"简体中文", L"日本語"});
    // Brazilian Portuguese and Simplified Chinese are the shipped variants, so Portugal and Taiwan
    // get them too, before English.
    const struct {
        LANGID language;
        LPCWSTR file;
    } cases[] = {
        {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_CANADIAN), L"Français"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MEXICAN), L"Español"},
        {MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), L"Italiano"},
        {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN), L"Português (Brasil)"},
        {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE), L"Português (Brasil)"},
        {MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA), L"Русский"},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), L"简体中文"},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), L"简体中文"},
        {MAKELANGID(LANG_GREEK, SUBLANG_GREEK_GREECE), L"English"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(std::wstring(entry.file), shipped.For({entry.language})) << std::hex << entry.language;

    // The user interface language comes first, the locale's language next; only files that exist
    // count, under the name they have on disk, and one named as Windows names the language in
    // itself is found without being shipped.
    LANGID dutch = MAKELANGID(LANG_DUTCH, SUBLANG_DUTCH);
    LANGID german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
    LANGID japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
    LanguagesDirectory someShipped({L"Deutsch", L"日本語"});
    EXPECT_EQ(L"日本語", someShipped.For({japanese, german}));
    EXPECT_EQ(L"Deutsch", someShipped.For({dutch, german})) << "no Dutch file: the locale's language";
    EXPECT_EQ(L"English", someShipped.For({dutch, MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)}));
    EXPECT_EQ(L"English", LanguagesDirectory({}).For({german, japanese})) << "no file at all";

    LanguagesDirectory added({L"nederlands", L"Deutsch"});
    EXPECT_EQ(L"nederlands", added.For({dutch, german})) << "Windows calls Dutch \"Nederlands\"";
}
