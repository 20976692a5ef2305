#include "config/IniFileEx.h"
#include "config/Language.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<std::wstring, std::wstring>> KeyTexts;

KeyTexts TextsOf(CLanguage& language) {
    KeyTexts texts;
    language.ForEachText([&texts](LPCWSTR key, LPWSTR text, DWORD) { texts.emplace_back(key, text); });
    return texts;
}

std::vector<std::wstring> KeysDifferingFromBuiltIn(CLanguage& language) {
    CLanguage builtIn;
    KeyTexts expected = TextsOf(builtIn);
    KeyTexts actual = TextsOf(language);
    std::vector<std::wstring> differing;
    for (size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
        if (expected[i].second != actual[i].second)
            differing.push_back(expected[i].first);
    }
    return differing;
}

std::unique_ptr<CLanguage> LoadLanguageFile(const std::wstring& path) {
    return std::unique_ptr<CLanguage>(CIniFileEx<CLanguage>(path.c_str()).Load(L"Language"));
}

std::unique_ptr<CLanguage> LoadBytes(const TempDirectory& directory, const std::vector<unsigned char>& bytes) {
    std::wstring path = directory.File(L"Language.ini");
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return LoadLanguageFile(path);
}

std::vector<unsigned char> SavedFileBytes(CLanguage& language, const std::wstring& path) {
    EXPECT_TRUE(CIniFileEx<CLanguage>(path.c_str()).Save(language, L"Language"));
    return ReadFileBytes(path);
}

} // namespace

// desktop-free: LanguageTest
TEST(LanguageTest, TranslatedKeysChangeOnlyTheirTextsWhetherUtf16AnsiOrCut) {
    TempDirectory directory;
    std::unique_ptr<CLanguage> language =
        LoadBytes(directory, Utf16Bytes(L"[Other]\r\nOptions=Ailleurs\r\n[Language]\r\nExit=Quitter\r\n"));
    ASSERT_TRUE(language);
    EXPECT_STREQ(L"Quitter", language->Exit);
    EXPECT_EQ(std::vector<std::wstring>{L"Exit"}, KeysDifferingFromBuiltIn(*language));

    std::string ansi = "[Language]\r\nExit=Quitter\r\nOptions=Options du programme\r\n";
    language = LoadBytes(directory, std::vector<unsigned char>(ansi.begin(), ansi.end()));
    ASSERT_TRUE(language);
    EXPECT_STREQ(L"Options du programme", language->Options);
    EXPECT_EQ((std::vector<std::wstring>{L"Options", L"Exit"}), KeysDifferingFromBuiltIn(*language));

    std::vector<unsigned char> cut = Utf16Bytes(L"[Language]\r\nExit=Quitter\r\nOptions=R\x00E9glages");
    cut.pop_back(); // the file ends inside its last character
    language = LoadBytes(directory, cut);
    ASSERT_TRUE(language);
    EXPECT_EQ(0, wcsncmp(L"R\x00E9glage", language->Options, 7)) << "got " << language->Options;
    EXPECT_EQ((std::vector<std::wstring>{L"Options", L"Exit"}), KeysDifferingFromBuiltIn(*language));
    language->ForEachText([](LPCWSTR key, LPWSTR text, DWORD size) {
        EXPECT_LT(wcsnlen(text, size), size) << "unterminated text for " << key;
    });
}

TEST(LanguageTest, ATranslationSavedLoadsBackUnchangedAndTheShippedEnglishFileIsWhatSaveWrites) {
    TempDirectory directory;
    std::wstring path = directory.File(L"Mixed.ini");
    CLanguage translated;
    translated.ForEachText([](LPCWSTR key, LPWSTR text, DWORD size) {
        swprintf(text, size, L"%ls \x0416\x4E2D  (%ls)", key, L"\xD83D\xDE00");
    });
    SavedFileBytes(translated, path);
    std::unique_ptr<CLanguage> loaded = LoadLanguageFile(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(TextsOf(translated), TextsOf(*loaded));

    // The shipped English file is whatever Save writes, byte for byte; set
    // PATHWREN_UPDATE_FIXTURES=1 to rewrite it after changing a built-in text.
    CLanguage builtIn;
    std::vector<unsigned char> saved = SavedFileBytes(builtIn, directory.File(L"English.ini"));
    ASSERT_GT(saved.size(), 2u);
    std::wstring shipped = SourceTreePath(L"res/Languages/English.ini");
    if (UpdateFixturesRequested()) {
        ASSERT_TRUE(WriteFileBytes(shipped, saved));
    }
    EXPECT_TRUE(ReadFileBytes(shipped) == saved) << "res/Languages/English.ini differs from what Save writes";
}
