#include "config/IniFileEx.h"
#include "config/Language.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The language file format translators rely on: every key, in file order.
const wchar_t kKeysInFileOrder[] = L"FolderNotFound Show Options Help About MakeADonation Exit CheckForUpdate Add "
                                   L"Remove Folders Horizontal Vertical Diagonal BackwardDiagonal Stretched Centered "
                                   L"UpLeft UpCenter UpRight Left Right BottomLeft BottomCenter BottomRight Icons "
                                   L"SmallIcons List Detail Thumbnails Tiles ThumbStrip Type SystemSpecialPath "
                                   L"LocalOrRelativePath UnsupportedImageFormat BrowsingOptions FileFilters "
                                   L"Customization MoveUp MoveDown NoFolderSelected Error ForMoreInformations See "
                                   L"ProjectHomePage Or UserManual Author ShortcutType Desktop Browser Menu "
                                   L"MultipleFoldersMenu AssociatedIcon Ok Cancel Background None Color Gradiant "
                                   L"Picture Color1 Color2 ApplicationOptions ConfigurationType SingleUser "
                                   L"MultipleUsers LaunchAtWindowsStartup LaunchMode NotifyIcon LaunchBar "
                                   L"IncludeSubfolders AllowSubfoldersNavigation AllowSubfoldersLinksNavigation "
                                   L"HideFilesExtensions HideShortcutsOverlay RememberLastPosition "
                                   L"SingleClickSelection AutoHideOnExecution ViewType TextColor BackgroundColor "
                                   L"ExclusionFilters InclusionFilters Language Skin Path Position ZOrder Normal "
                                   L"TopMost ZBottom Bottom HideToolBarForHomeFolder HideToolBar Hide Maximize Reduce "
                                   L"SaveIconsPositionsForHomeFolder ShowAtStartup StartMaximized Medium Large "
                                   L"ExtraLarge ShowHideHotKey Name LaunchBarSpecific OverIcon PressedIcon Monitor "
                                   L"Direction UseFullWidthHeight IconsSize UseTransparentColor Opacity "
                                   L"ActiveAreaThickness MinWidth MinHeight Margins Top EnableHotCorner HotCorner "
                                   L"Width Height LeftOrTop CenterOrMiddle RightOrBottom SpaceBeforeIcon MergeMenus "
                                   L"FoldersPositionInPopupMenu MixedWithFiles GoToHomeFolder GoBack GoForward GoUp "
                                   L"OpenFolderWithWindowsExplorer Move Close Merged MergeToSpecificFolder "
                                   L"EmptyMergedFolderName";
// Keys whose buffers hold 128 or 256 characters (terminator included); every other key holds 64.
const wchar_t kKeysOf128Characters[] = L"FolderNotFound LaunchAtWindowsStartup IncludeSubfolders HideFilesExtensions "
                                       L"RememberLastPosition SingleClickSelection AutoHideOnExecution "
                                       L"HideToolBarForHomeFolder HideToolBar SaveIconsPositionsForHomeFolder "
                                       L"ShowAtStartup StartMaximized ShowHideHotKey LaunchBarSpecific "
                                       L"UseFullWidthHeight UseTransparentColor ActiveAreaThickness EnableHotCorner "
                                       L"LeftOrTop CenterOrMiddle RightOrBottom SpaceBeforeIcon MergeMenus "
                                       L"FoldersPositionInPopupMenu MixedWithFiles GoToHomeFolder GoBack GoForward "
                                       L"GoUp OpenFolderWithWindowsExplorer Move Close MergeToSpecificFolder "
                                       L"EmptyMergedFolderName";
const wchar_t kKeysOf256Characters[] = L"AllowSubfoldersNavigation AllowSubfoldersLinksNavigation HideShortcutsOverlay";

std::vector<std::wstring> Words(const wchar_t* text) {
    std::vector<std::wstring> words;
    std::wistringstream stream(text);
    std::wstring word;
    while (stream >> word)
        words.push_back(word);
    return words;
}

bool Contains(const std::vector<std::wstring>& words, const std::wstring& word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

DWORD DocumentedBufferSize(const std::wstring& key) {
    if (Contains(Words(kKeysOf256Characters), key))
        return 256;
    return Contains(Words(kKeysOf128Characters), key) ? 128 : 64;
}

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

// Loads the file the way the program does: through CIniFileEx, section "Language".
std::unique_ptr<CLanguage> LoadLanguageFile(const std::wstring& path) {
    CIniFileEx<CLanguage> file(path.c_str());
    return std::unique_ptr<CLanguage>(file.Load(L"Language"));
}

std::vector<unsigned char> SavedFileBytes(CLanguage& language, const std::wstring& path) {
    {
        CIniFileEx<CLanguage> file(path.c_str());
        EXPECT_TRUE(file.Save(language, L"Language"));
    }
    return ReadFileBytes(path);
}

std::vector<unsigned char> Utf16Bytes(const std::wstring& text) {
    std::vector<unsigned char> bytes = {0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    return bytes;
}

// Every text must stay terminated inside its buffer whatever the file held.
void ExpectEveryTextTerminated(CLanguage& language) {
    language.ForEachText([](LPCWSTR key, LPWSTR text, DWORD size) {
        EXPECT_LT(wcsnlen(text, size), size) << "unterminated text for " << key;
    });
}

} // namespace

TEST(LanguageTest, BuiltInTextsSplitKeysIntoWordsExceptTheListedOnes) {
    CLanguage language;
    EXPECT_STREQ(L"Folder Not Found", language.FolderNotFound);
    EXPECT_STREQ(L"Make A Donation", language.MakeADonation);
    EXPECT_STREQ(L"Color 1", language.Color1);
    EXPECT_STREQ(L"Z Order", language.ZOrder);
    EXPECT_STREQ(L"Ok", language.Ok);
    EXPECT_STREQ(L"Exit", language.Exit);
    EXPECT_STREQ(L"Save Icons Positions For Home Folder", language.SaveIconsPositionsForHomeFolder);
    EXPECT_STREQ(L"Allow Subfolders Links Navigation", language.AllowSubfoldersLinksNavigation);

    EXPECT_STREQ(L"ThumbStrip", language.ThumbStrip);
    EXPECT_STREQ(L"Up", language.MoveUp);
    EXPECT_STREQ(L"see", language.See);
    EXPECT_STREQ(L"Tray Icons", language.NotifyIcon);
    EXPECT_STREQ(L"Exclusion Filters     (*.ini;*.htm)", language.ExclusionFilters);
    EXPECT_STREQ(L"Inclusion Filters     (*.exe;*.jpg;*.m3u)", language.InclusionFilters);
    EXPECT_STREQ(L"Bottom", language.ZBottom);
    EXPECT_STREQ(L"Hide ToolBar For Home Folder", language.HideToolBarForHomeFolder);
    EXPECT_STREQ(L"Show / Hide HotKey", language.ShowHideHotKey);
    EXPECT_STREQ(L"Use Full Width/Height", language.UseFullWidthHeight);
    EXPECT_STREQ(L"Open folder with windows explorer", language.OpenFolderWithWindowsExplorer);
    EXPECT_STREQ(L"Empty merged Folder Name", language.EmptyMergedFolderName);
}

TEST(LanguageTest, MissingOrEmptyFileGivesExactlyTheBuiltInTexts) {
    TempDirectory directory;
    std::wstring missing = directory.File(L"Languages\\Klingon.ini");
    std::unique_ptr<CLanguage> fromMissing = LoadLanguageFile(missing);
    ASSERT_TRUE(fromMissing);
    EXPECT_EQ(std::vector<std::wstring>(), KeysDifferingFromBuiltIn(*fromMissing));
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0xFE}), ReadFileBytes(missing)) << "not created empty";

    std::wstring zeroBytes = directory.File(L"Empty.ini");
    ASSERT_TRUE(WriteFileBytes(zeroBytes, {}));
    std::unique_ptr<CLanguage> fromZeroBytes = LoadLanguageFile(zeroBytes);
    ASSERT_TRUE(fromZeroBytes);
    EXPECT_EQ(std::vector<std::wstring>(), KeysDifferingFromBuiltIn(*fromZeroBytes));
}

TEST(LanguageTest, OneTranslatedKeyChangesOnlyThatText) {
    TempDirectory directory;
    std::wstring path = directory.File(L"French.ini");
    ASSERT_TRUE(WriteUtf16File(path, L"[Other]\r\nOptions=Ailleurs\r\n[Language]\r\nExit=Quitter\r\n"));
    std::unique_ptr<CLanguage> language = LoadLanguageFile(path);
    ASSERT_TRUE(language);
    EXPECT_STREQ(L"Quitter", language->Exit);
    EXPECT_EQ(std::vector<std::wstring>{L"Exit"}, KeysDifferingFromBuiltIn(*language));
}

TEST(LanguageTest, LongTextsAreCutToTheirKeysBuffer) {
    TempDirectory directory;
    std::wstring path = directory.File(L"Long.ini");
    std::wstring seventy(70, L'x');
    ASSERT_TRUE(WriteUtf16File(path, L"[Language]\r\nExit=" + seventy + L"\r\n"));
    std::unique_ptr<CLanguage> language = LoadLanguageFile(path);
    ASSERT_TRUE(language);
    EXPECT_EQ(seventy.substr(0, 63), std::wstring(language->Exit));

    std::wstring everyKeyTooLong = L"[Language]\r\n";
    for (const std::wstring& key : Words(kKeysInFileOrder))
        everyKeyTooLong += key + L"=" + std::wstring(300, L'\x0416') + L"\r\n";
    ASSERT_TRUE(WriteUtf16File(path, everyKeyTooLong));
    language = LoadLanguageFile(path);
    ASSERT_TRUE(language);
    language->ForEachText([](LPCWSTR key, LPWSTR text, DWORD) {
        EXPECT_EQ(DocumentedBufferSize(key) - 1, wcsnlen(text, 300)) << "buffer of " << key;
    });
}

TEST(LanguageTest, SaveWritesEveryKeyInDocumentedOrder) {
    TempDirectory directory;
    std::wstring path = directory.File(L"English.ini");
    CLanguage language;
    SavedFileBytes(language, path);
    std::vector<std::wstring> expected = Words(kKeysInFileOrder);
    ASSERT_EQ(142u, expected.size());
    EXPECT_EQ(expected, ReadSectionKeysInFileOrder(path, L"Language"));
}

TEST(LanguageTest, SavedTranslationLoadsBackUnchanged) {
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
}

// The shipped English file is whatever Save writes, byte for byte; set PATHWREN_UPDATE_FIXTURES=1 to
// rewrite it after changing a built-in text.
TEST(LanguageTest, ShippedEnglishFileIsWhatSaveWrites) {
    TempDirectory directory;
    CLanguage builtIn;
    std::vector<unsigned char> saved = SavedFileBytes(builtIn, directory.File(L"English.ini"));
    ASSERT_GT(saved.size(), 2u);
    std::wstring shipped = SourceTreePath(L"res/Languages/English.ini");
    if (UpdateFixturesRequested()) {
        ASSERT_TRUE(WriteFileBytes(shipped, saved));
    }
    EXPECT_TRUE(ReadFileBytes(shipped) == saved) << "res/Languages/English.ini differs from what Save writes";
}

TEST(LanguageTest, FileWithoutByteOrderMarkIsReadAsAnsi) {
    TempDirectory directory;
    std::wstring path = directory.File(L"Ansi.ini");
    std::string text = "[Language]\r\nExit=Quitter\r\nOptions=Options du programme\r\n";
    ASSERT_TRUE(WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end())));
    std::unique_ptr<CLanguage> language = LoadLanguageFile(path);
    ASSERT_TRUE(language);
    EXPECT_STREQ(L"Quitter", language->Exit);
    EXPECT_STREQ(L"Options du programme", language->Options);
    EXPECT_EQ((std::vector<std::wstring>{L"Options", L"Exit"}), KeysDifferingFromBuiltIn(*language));
}

TEST(LanguageTest, FileCutInsideACharacterKeepsWhatCanBeRead) {
    TempDirectory directory;
    std::wstring path = directory.File(L"Cut.ini");
    std::vector<unsigned char> bytes = Utf16Bytes(L"[Language]\r\nExit=Quitter\r\nOptions=R\x00E9glages");
    bytes.pop_back();
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    std::unique_ptr<CLanguage> language = LoadLanguageFile(path);
    ASSERT_TRUE(language);
    EXPECT_STREQ(L"Quitter", language->Exit);
    EXPECT_EQ(0, wcsncmp(L"R\x00E9glage", language->Options, 7)) << "got " << language->Options;
    EXPECT_EQ((std::vector<std::wstring>{L"Options", L"Exit"}), KeysDifferingFromBuiltIn(*language));
    ExpectEveryTextTerminated(*language);

    ASSERT_TRUE(WriteFileBytes(path, {0xFF}));
    language = LoadLanguageFile(path);
    ASSERT_TRUE(language);
    EXPECT_EQ(std::vector<std::wstring>(), KeysDifferingFromBuiltIn(*language));
}

TEST(LanguageTest, RandomBytesLoadAsBuiltInTexts) {
    std::mt19937 generator(20240611);
    std::uniform_int_distribution<int> byteValue(0, 255);
    TempDirectory directory;
    std::wstring path = directory.File(L"Noise.ini");
    for (int round = 0; round < 8; ++round) {
        std::vector<unsigned char> bytes(4096);
        for (unsigned char& byte : bytes)
            byte = static_cast<unsigned char>(byteValue(generator));
        if (round % 2 == 1) {
            bytes[0] = 0xFF; // garbage behind a UTF-16 byte order mark
            bytes[1] = 0xFE;
        }
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        std::unique_ptr<CLanguage> language = LoadLanguageFile(path);
        ASSERT_TRUE(language) << "round " << round;
        EXPECT_EQ(std::vector<std::wstring>(), KeysDifferingFromBuiltIn(*language)) << "round " << round;
        ExpectEveryTextTerminated(*language);
    }
}
