#include "ApplicationFixture.h"
#include "OptionsDialogScript.h"

#include "config/ApplicationOptions.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "lib/FileSystem.h"
#include "res/resource.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const WCHAR kOneMenuItem[] = L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=A\r\nFolderPresentationType=2\r\n";

// The program directory gets every shipped language file, as an unpacked program has them.
void CopyShippedLanguages(const ApplicationFixture& fixture) {
    CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
    for (const std::wstring& file : FilesIn(SourceTreePath(L"res/Languages"), L"*.ini")) {
        std::wstring name = file.substr(file.find_last_of(L'\\') + 1);
        ASSERT_TRUE(CopyFileW(file.c_str(), fixture.File(L"Languages\\" + name).c_str(), FALSE))
            << testing::PrintToString(name);
    }
}

std::unique_ptr<CLanguage> LoadLanguageFile(const std::wstring& path) {
    CIniFileEx<CLanguage> file(path.c_str());
    return std::unique_ptr<CLanguage>(file.Load(L"Language"));
}

// The language Windows is expected to give: CTest runs this program again under a German and a
// Japanese Unix locale, from which Wine takes the user interface language, and says which file
// that must pick. The test prefix itself is English.
std::wstring ExpectedWindowsLanguage() {
    WCHAR name[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"PATHWREN_EXPECTED_LANGUAGE", name, MAX_PATH))
        return L"English";
    return name;
}

} // namespace

// With no language in the user options file, the program starts in the language file of Windows'
// user interface language: its texts are loaded, the options dialog is titled in it and selects
// its (possibly non-ASCII) name in the language list, its mnemonics are keys of a keyboard (not a
// Japanese character), and OK stores that name as the choice.
TEST(FirstStartLanguage, NoLanguageChosenTakesTheFileOfWindowsLanguage) {
    ApplicationFixture fixture;
    fixture.Configure(kOneMenuItem);
    CreateDirectoryW(fixture.File(L"A").c_str(), nullptr);
    CopyShippedLanguages(fixture);
    std::wstring expected = ExpectedWindowsLanguage();
    std::unique_ptr<CLanguage> texts = LoadLanguageFile(fixture.File(L"Languages\\" + expected + L".ini"));
    ASSERT_TRUE(texts);
    if (expected != L"English") {
        EXPECT_STRNE(L"Options", texts->Options) << "the expected file is no translation";
    }

    {
        DialogScriptDriver driver;
        fixture.Start();
        EXPECT_TRUE(driver.Finish().empty()) << "no message at the start";
    }
    EXPECT_EQ(expected, std::wstring(fixture.application.m_pOptions->Language));
    EXPECT_STREQ(texts->Exit, fixture.application.m_pLanguage->Exit);

    fixture.openOptions = true;
    std::wstring title, listed, untypedMnemonics;
    HWND dialog = nullptr;
    std::vector<std::function<bool()>> steps = {
        [&] { return PostMessageW(fixture.application.m_hMainWindow, WM_SHOW_OPTIONS, 0, 0) != FALSE; },
        [&] {
            if (!(dialog = FindOptionsDialog()))
                return false;
            title = WindowText(dialog);
            listed = Text(dialog, IDC_LANGUAGE); // a drop-down list shows its selected entry as its text
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                std::wstring text = WindowText(child);
                size_t mark = text.find(L'&');
                if (mark != std::wstring::npos && mark + 1 < text.size() && text[mark + 1] != L'&')
                    untypedMnemonics += text[mark + 1] >= 0x2E80 ? text + L" " : L"";
            }
            Click(dialog, IDOK);
            return true;
        },
        [&] { return !IsWindow(dialog); }};
    EXPECT_EQ(steps.size(), fixture.RunSteps(steps, true));
    EXPECT_EQ(std::wstring(texts->Options), title);
    EXPECT_EQ(expected, listed);
    EXPECT_EQ(L"", untypedMnemonics) << "every mnemonic is a key a keyboard has";
    EXPECT_NE(std::wstring::npos,
              ReadUtf16File(fixture.File(L"UserOptions.ini")).find(L"Language=" + expected + L"\r\n"))
        << "OK stores the language shown";
}

// A chosen file is used, whatever its name's script; once it is gone the program says so in one
// message and shows English, without creating the missing file again.
TEST(FirstStartLanguage, AChosenFileIsUsedAndOneThatIsGoneGivesEnglishWithOneMessage) {
    for (bool present : {true, false}) {
        SCOPED_TRACE(present ? "present" : "gone");
        ApplicationFixture fixture;
        fixture.Configure(kOneMenuItem);
        CopyShippedLanguages(fixture);
        std::wstring chosen = fixture.File(L"Languages\\Русский.ini");
        std::unique_ptr<CLanguage> russian = LoadLanguageFile(chosen);
        ASSERT_TRUE(russian);
        if (!present) {
            ASSERT_TRUE(DeleteFileW(chosen.c_str()));
        }
        WriteUtf16File(fixture.File(L"UserOptions.ini"), L"[Default]\r\nLanguage=Русский\r\n");

        DialogScriptDriver driver({DialogScriptDriver::Press(IDOK)});
        fixture.Start();
        std::vector<DialogScriptDriver::Dialog> dialogs = driver.Finish();
        EXPECT_STREQ(present ? russian->Exit : L"Exit", fixture.application.m_pLanguage->Exit);
        EXPECT_STREQ(L"Русский", fixture.application.m_pOptions->Language)
            << "the choice stays: the file may come back";
        if (present) {
            EXPECT_TRUE(dialogs.empty()) << testing::PrintToString(DescribeDialogs(dialogs));
            continue;
        }
        ASSERT_EQ(1u, dialogs.size());
        EXPECT_NE(std::wstring::npos, dialogs[0].text.find(L"Русский.ini")) << "the message names the file";
        EXPECT_NE(std::wstring::npos, dialogs[0].text.find(L"English"));
        EXPECT_FALSE(IsExistingFile(chosen.c_str())) << "the missing file is not made again";
    }
}
