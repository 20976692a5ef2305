// The application object through its whole life: the first start (in Windows' language too), the
// items' saves at a close and when a save fails, the order in which a dying object lets go of what
// it owns, and the message loop that hands every key press to the active window first.
#include "ApplicationFixture.h"
#include "OptionsDialogScript.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "containers/ContainerHost.h"
#include "lib/FileSystem.h"
#include "lib/KernelHandle.h"
#include "lib/WindowSubclass.h"
#include "res/resource.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {
struct RecordingContainer : CContainerBase {
    explicit RecordingContainer(int* shows) : CContainerBase(nullptr, nullptr), m_shows(shows) {}
    BOOL SaveState() override { return TRUE; }
    BOOL Show(BOOL) override { return ++*m_shows != 0; }
    int* m_shows;
};

// Goes as a container whose teardown calls a COM object of another apartment: a close arrives
// while the call's modal loop dispatches what is queued.
struct ClosedWhileGoing : CContainerBase {
    ClosedWhileGoing(const CPathwren& application, size_t* itemsSeen)
        : CContainerBase(nullptr, nullptr), m_application(application), m_itemsSeen(itemsSeen) {}
    ~ClosedWhileGoing() override {
        PostMessageW(m_application.m_hMainWindow, WM_CLOSE, 0, 0);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        *m_itemsSeen = m_application.m_folders.size();
    }
    BOOL SaveState() override { return TRUE; }
    const CPathwren& m_application;
    size_t* m_itemsSeen;
};

class Pathwren : public ::testing::Test {
protected:
    ApplicationFixture fixture;
};

// The per-user configuration folder of the account the tests run under, moved aside for the
// test's run and put back afterwards, so a test starts as that user's very first start.
class PerUserFolderSetAside {
public:
    PerUserFolderSetAside() {
        WCHAR localAppData[MAX_PATH] = L"";
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData);
        m_folder = localAppData + std::wstring(L"\\Pathwren");
        m_movedAside = MoveFileW(m_folder.c_str(), (m_folder + kAside).c_str()) != FALSE;
    }
    ~PerUserFolderSetAside() {
        RemoveTree(m_folder);
        if (m_movedAside)
            MoveFileW((m_folder + kAside).c_str(), m_folder.c_str());
    }
    std::wstring File(LPCWSTR name) const { return m_folder + L"\\" + name; }

private:
    static constexpr LPCWSTR kAside = L".set-aside-by-test";
    std::wstring m_folder;
    bool m_movedAside = false;
};

// Objects that note when they die, so the order of a teardown can be read back.
template <typename Base> struct Noted : Base {
    Noted(std::vector<std::string>* deaths, const char* name) : deaths(deaths), name(name) {}
    ~Noted() override { deaths->push_back(name); }
    std::vector<std::string>* deaths;
    const char* name;
};

struct NotedContainer : CContainerBase {
    NotedContainer(CPathwren* application, std::vector<std::string>* deaths)
        : CContainerBase(nullptr, application), deaths(deaths) {}
    ~NotedContainer() override { deaths->push_back("container"); }
    BOOL SaveState() override { return TRUE; }
    std::vector<std::string>* deaths;
};

// A window that claims the key 'A' as an accelerator and lets every other key through.
struct KeyWindow {
    std::vector<std::pair<WPARAM, MSG>> queries;
    std::vector<WPARAM> keysDown, characters;
    HWND window = CreateWindowExW(0, L"STATIC", L"Keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    CWindowSubclass recording;

    KeyWindow() { recording.Install(window, Procedure, 1, reinterpret_cast<DWORD_PTR>(this)); }
    ~KeyWindow() { DestroyWindow(window); }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
        auto* self = reinterpret_cast<KeyWindow*>(data);
        if (message == WM_TRANSLATE_ACCELERATOR) {
            const MSG* key = reinterpret_cast<const MSG*>(lParam);
            self->queries.push_back({wParam, *key});
            return key->wParam == 'A';
        }
        if (message == WM_KEYDOWN)
            self->keysDown.push_back(wParam);
        if (message == WM_CHAR)
            self->characters.push_back(wParam);
        return DefSubclassProc(window, message, wParam, lParam);
    }
};

const WCHAR kOneMenuItem[] = L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=A\r\nFolderPresentationType=2\r\n";

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

TEST_F(Pathwren, FirstStartCreatesTheFoldersFileWithADesktopItemWhoseHotKeyAloneReachesItsContainer) {
    fixture.Start();
    EXPECT_TRUE(fixture.application.m_showOptionsAtStart);
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0xFE}), ReadFileBytes(fixture.File(L"FoldersOptions.ini")));
    ASSERT_EQ(1u, fixture.application.m_folders.size());
    EXPECT_EQ(FolderPresentationDesktop, fixture.application.m_folders[0]->FolderPresentationType);
    EXPECT_STREQ(L"::CSIDL:0x0", fixture.application.m_folders[0]->Path);

    int shows = 0;
    EXPECT_TRUE(fixture.RunWhile([&](HWND window) {
        fixture.application.m_folders[0]->m_pContainer = new RecordingContainer(&shows);
        for (WPARAM identifier : {1, 0, 57})
            PostMessageW(window, WM_HOTKEY, identifier, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
    }));
    EXPECT_EQ(1, shows) << "only the hotkey of the existing item shows it";
    EXPECT_EQ(nullptr, fixture.application.m_hMainWindow);
    EXPECT_TRUE(fixture.application.m_folders.empty());
    EXPECT_EQ(1, fixture.SavedItemCount()) << "the desktop item is saved on exit";
    EXPECT_FALSE(IsExistingFile(fixture.File(L"Pathwren.ini").c_str())) << "only the folders file is written on exit";
}

// A close that arrives while the items are torn down finds none and saves nothing more.
TEST_F(Pathwren, CloseSavesTheChangedItemsOnceKeepingThePreviousFileAsBackupThoughAnotherCloseComesInTheTeardown) {
    CreateDirectoryW(fixture.File(L"Music").c_str(), nullptr);
    const std::wstring original = L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Music\r\n"
                                  L"[Folders_1]\r\nFolderPresentationType=3\r\nDisplayName=Mixed\r\n";
    WriteUtf16File(fixture.File(L"FoldersOptions.ini"), original);
    fixture.Start();
    ASSERT_EQ(2u, fixture.application.m_folders.size());
    size_t itemsSeen = 99;
    fixture.RunWhile([&](HWND window) {
        wcscpy(fixture.application.m_folders[0]->InclusionFilters, L"*.mp3");
        CGenericPathwrenObject& last = *fixture.application.m_folders[1];
        last.ReleaseContainer();
        last.m_pContainer = new ClosedWhileGoing(fixture.application, &itemsSeen);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(0u, itemsSeen) << "the first item was already deleted";
    // A second save would have moved the first into the backup.
    EXPECT_EQ(original, ReadUtf16File(fixture.File(L"FoldersOptions.bak")));
    EXPECT_EQ(2, fixture.SavedItemCount());
    EXPECT_NE(std::wstring::npos,
              ReadUtf16File(fixture.File(L"FoldersOptions.ini")).find(L"InclusionFilters=*.mp3\r\n"))
        << "the changed item is saved";
}

TEST_F(Pathwren, ACloseDuringAStartUpMessageBoxWaitsForTheContainers) {
    WriteUtf16File(fixture.File(L"FoldersOptions.ini"),
                   L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nPath=Gone\r\n[Folders_1]\r\nPath=AlsoGone\r\n");
    fixture.Start();
    // The boxes are answered only once the close is posted, so it always lands inside the first.
    std::unique_ptr<DialogScriptDriver> driver;
    EXPECT_TRUE(fixture.RunWhile(
        [&](HWND window) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            driver.reset(new DialogScriptDriver());
        },
        true));
    ASSERT_TRUE(driver);
    EXPECT_EQ(2u, driver->Finish().size()) << "the second item is still looked at after the close";
    EXPECT_EQ(0, fixture.PostedCount(WM_SHOW_OPTIONS)) << "a program that is ending opens no options";
    EXPECT_EQ(2, fixture.SavedItemCount());
}

TEST_F(Pathwren, AFailedSaveKeepsThePreviousFile) {
    WriteUtf16File(fixture.File(L"FoldersOptions.ini"), L"[Default]\r\nFolders=0\r\n");
    fixture.Start();
    std::vector<unsigned char> before = ReadFileBytes(fixture.File(L"FoldersOptions.ini"));
    // Another program holding the file without sharing makes both the backup and the save fail.
    CFileHandle lock(CreateFileW(fixture.File(L"FoldersOptions.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_FALSE(fixture.application.SaveFolders());
    lock.Reset();
    EXPECT_EQ(before, ReadFileBytes(fixture.File(L"FoldersOptions.ini")));
    EXPECT_FALSE(IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str()));
    EXPECT_TRUE(fixture.application.SaveFolders());
    EXPECT_EQ(before, ReadFileBytes(fixture.File(L"FoldersOptions.bak")));
}

TEST_F(Pathwren, EachUserOfASharedProgramDirectoryGetsTheOptionsAtTheirOwnFirstStartOnly) {
    PerUserFolderSetAside perUser;
    WriteUtf16File(fixture.File(L"Pathwren.ini"), L"[Pathwren]\r\nSingleUser=0\r\nbRunAtStartup=0\r\n");
    fixture.Start();
    EXPECT_TRUE(fixture.application.m_showOptionsAtStart) << "this user has no folders file yet";
    EXPECT_TRUE(IsExistingFile(perUser.File(L"FoldersOptions.ini").c_str()));
    EXPECT_FALSE(IsExistingFile(fixture.File(L"FoldersOptions.ini").c_str())) << "nothing of a user beside the program";

    fixture.application.m_showOptionsAtStart = FALSE;
    fixture.Start();
    EXPECT_FALSE(fixture.application.m_showOptionsAtStart) << "the second start of the same user";

    // A single-user directory whose main file exists was set up already: its first start stays quiet.
    ApplicationFixture portable;
    WriteUtf16File(portable.File(L"Pathwren.ini"), L"");
    portable.Start();
    EXPECT_FALSE(portable.application.m_showOptionsAtStart);
    EXPECT_TRUE(portable.application.m_pOptions->SingleUser) << "an empty main file is a single-user directory";
    EXPECT_TRUE(IsExistingFile(portable.File(L"FoldersOptions.ini").c_str()));
    EXPECT_TRUE(IsExistingFile(portable.File(L"UserOptions.ini").c_str()));
}

TEST(ApplicationTeardown, LeftoverItemsGoBeforeTheLanguageAndOptionsTheirContainersRead) {
    std::vector<std::string> deaths;
    {
        CPathwren application;
        application.m_pLanguage = new Noted<CLanguage>(&deaths, "language");
        application.m_pOptions = new Noted<CApplicationOptions>(&deaths, "options");
        // A start that never reached the loop, or a crash out of it, leaves its items behind.
        auto* item = new CGenericPathwrenObject();
        item->m_pContainer = new NotedContainer(&application, &deaths);
        application.m_folders.push_back(item);
    }
    EXPECT_EQ((std::vector<std::string>{"container", "language", "options"}), deaths);
}

TEST(MessageLoop, KeyPressesGoToTheActiveWindowFirstWhichMayConsumeThem) {
    ApplicationFixture fixture;
    fixture.Configure(L"[Default]\r\nFolders=0\r\n");
    fixture.Start();
    KeyWindow keys;
    ASSERT_NE(nullptr, keys.window);
    HWND active = nullptr;
    fixture.RunWhile([&](HWND mainWindow) {
        SetForegroundWindow(keys.window);
        SetActiveWindow(keys.window);
        active = GetActiveWindow();
        for (UINT key : {'A', 'B'}) // a repeat count of 1 and the key's scan code
            PostMessageW(keys.window, WM_KEYDOWN, key,
                         1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16));
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    });
    if (active != keys.window)
        GTEST_SKIP() << "the test window could not be made active";
    std::vector<WPARAM> queried;
    for (const auto& query : keys.queries) {
        EXPECT_TRUE(query.first == 0 && query.second.message == WM_KEYDOWN && query.second.hwnd == keys.window);
        queried.push_back(query.second.wParam);
    }
    EXPECT_EQ((std::vector<WPARAM>{'A', 'B'}), queried) << "each key press is offered, in order";
    EXPECT_EQ(std::vector<WPARAM>{'B'}, keys.keysDown) << "the claimed key is not dispatched";
    EXPECT_EQ(std::vector<WPARAM>{'b'}, keys.characters) << "the other key is translated as usual";
}

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
    HWND dialog = nullptr;
    std::vector<std::function<bool()>> steps = {
        [&] { return PostMessageW(fixture.application.m_hMainWindow, WM_SHOW_OPTIONS, 0, 0) != FALSE; },
        [&] {
            if (!(dialog = FindOptionsDialog()))
                return false;
            EXPECT_EQ(std::wstring(texts->Options), WindowText(dialog));
            // A drop-down list shows its selected entry as its text.
            EXPECT_EQ(expected, Text(dialog, IDC_LANGUAGE));
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                std::wstring text = WindowText(child);
                size_t mark = text.find(L'&');
                bool mnemonic = mark != std::wstring::npos && mark + 1 < text.size() && text[mark + 1] != L'&';
                EXPECT_TRUE(!mnemonic || text[mark + 1] < 0x2E80) << "a mnemonic no keyboard has: " << text.c_str();
            }
            Click(dialog, IDOK);
            return true;
        },
        [&] { return !IsWindow(dialog); }};
    EXPECT_EQ(steps.size(), fixture.RunSteps(steps, true));
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
