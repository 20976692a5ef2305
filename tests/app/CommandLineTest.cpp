// Pathwren.exe started with a command, as a script or a taskbar shortcut starts it, beside a running
// instance (the application object of this process, with the fixture's folder as its program
// directory, or another real Pathwren.exe); and the options' buttons that write those shortcuts.
#include "ApplicationFixture.h"
#include "OptionsDialogScript.h"

#include "app/CommandLine.h"
#include "config/GenericPathwrenObject.h"
#include "config/ItemIdentifiers.h"
#include "containers/ShellBrowserContainerBase.h"
#include "lib/AppShortcut.h"
#include "lib/FileSystem.h"
#include "options/ItemShortcut.h"
#include "res/resource.h"
#include "support/ChildProcess.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/MenuTexts.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"
#include "support/Wine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::wstring kMenuId = L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";
const std::wstring kBrowserId = L"a1b2c3d4-0000-4000-8000-123456789abc";
const std::wstring kItems = L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"
                            L"ItemIdentifier=" +
                            kMenuId + L"\r\n[Folders_1]\r\nFolderPresentationType=0\r\nPath=Here\r\nItemIdentifier=" +
                            kBrowserId + L"\r\n";

void MakeFolders(const std::wstring& directory) {
    CreateDirectoryW((directory + L"\\Docs").c_str(), nullptr);
    CreateDirectoryW((directory + L"\\Here").c_str(), nullptr);
    WriteFileBytes(directory + L"\\Docs\\a.txt", {'x'});
    WriteFileBytes(directory + L"\\Docs\\b.txt", {'x'});
}

// The built program, copied into a directory: beside its configuration, as a user unpacks it.
bool CopyProgramInto(const std::wstring& directory) {
    return CopyFileW(BesideTestProgram(L"..\\dist\\Pathwren.exe").c_str(), (directory + L"\\Pathwren.exe").c_str(),
                     FALSE) != FALSE;
}

bool UnpackProgram(const TempDirectory& directory, const std::wstring& foldersFile) {
    MakeFolders(directory.Path());
    WriteUtf16File(directory.File(L"Pathwren.ini"), L"[Pathwren]\r\nSingleUser=1\r\nbRunAtStartup=0\r\n");
    WriteUtf16File(directory.File(L"FoldersOptions.ini"), foldersFile);
    return CopyProgramInto(directory.Path());
}

// Counts the windows a process creates, watched from outside it from before its first
// instruction. The events arrive while this thread pumps messages.
int g_windowsCreated = 0;

void CALLBACK CountCreatedWindow(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window && object == OBJID_WINDOW && child == CHILDID_SELF)
        ++g_windowsCreated;
}

// Pathwren.exe of a directory started with arguments, its windows counted and, when asked, its
// message boxes answered.
class ProgramStart : public ChildProcess {
public:
    ProgramStart(const std::wstring& directory, const std::wstring& arguments, bool answerBoxes = false)
        : ChildProcess(L"\"" + directory + L"\\Pathwren.exe\" " + arguments, directory) {
        g_windowsCreated = 0;
        m_hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, CountCreatedWindow, Id(), 0,
                                 WINEVENT_OUTOFCONTEXT);
        if (answerBoxes)
            m_boxes.reset(new DialogScriptDriver({DialogScriptDriver::Press(IDOK)}, Id()));
        Resume();
    }
    ~ProgramStart() {
        if (m_hook)
            UnhookWinEvent(m_hook);
    }
    std::vector<DialogScriptDriver::Dialog> Boxes() { return m_boxes ? m_boxes->Finish() : decltype(Boxes())(); }

private:
    HWINEVENTHOOK m_hook = nullptr;
    std::unique_ptr<DialogScriptDriver> m_boxes;
};

class CommandLineHandOver : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFolders(fixture.File(L""));
        ASSERT_TRUE(CopyProgramInto(fixture.File(L""))) << "no built Pathwren.exe beside the tests";
        fixture.Configure(kItems);
        fixture.Start();
    }

    std::unique_ptr<ProgramStart> Launch(const std::wstring& arguments, bool answerBoxes = false) {
        return std::unique_ptr<ProgramStart>(new ProgramStart(fixture.File(L""), arguments, answerBoxes));
    }

    ApplicationFixture fixture;
    std::unique_ptr<ProgramStart> start;
};

std::vector<std::wstring> g_shownInFolder;

std::function<void(HWND)> SelectPage(std::vector<int> path) {
    return [path](HWND dialog) { Select(dialog, path); };
}
std::function<void(HWND)> Press(int button) {
    return [button](HWND dialog) { Click(dialog, button); };
}

std::vector<std::wstring> Identifiers(const std::vector<CGenericPathwrenObject*>& items) {
    std::vector<std::wstring> identifiers;
    for (CGenericPathwrenObject* item : items)
        identifiers.push_back(item->ItemIdentifier);
    return identifiers;
}

class ItemShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        g_shownInFolder.clear();
        m_realShowFileInFolder = g_showFileInFolder;
        g_showFileInFolder = [](LPCWSTR path) { g_shownInFolder.push_back(path); };
        CreateDirectoryW(fixture.File(L"Docs").c_str(), nullptr);
        CreateDirectoryW(fixture.File(L"Plain").c_str(), nullptr);
    }
    void TearDown() override { g_showFileInFolder = m_realShowFileInFolder; }

    // Opens the options, plays the steps on the dialog, then presses the button that ends it. With
    // `boxes`, the message boxes shown over the dialog are answered with OK and recorded there.
    bool InOptions(const std::vector<std::function<void(HWND)>>& steps, int endButton,
                   std::vector<DialogScriptDriver::Dialog>* boxes = nullptr) {
        std::unique_ptr<DialogScriptDriver> driver;
        DialogScript script;
        script.inDialog = [&](HWND dialog) {
            // Started only now, so that it leaves the options dialog itself alone.
            if (boxes)
                driver.reset(
                    new DialogScriptDriver({DialogScriptDriver::Press(IDOK)}, GetCurrentProcessId(), {dialog}));
        };
        script.laterSteps = steps;
        script.laterSteps.push_back([endButton](HWND dialog) { PostMessageW(dialog, WM_COMMAND, endButton, 0); });
        bool ended = RunOptions(fixture, script);
        if (driver)
            *boxes = driver->Finish();
        EXPECT_TRUE(ended) << "the dialog never opened or never closed";
        return ended;
    }

    ApplicationFixture fixture;
    void (*m_realShowFileInFolder)(LPCWSTR) = nullptr;
};

} // namespace

// desktop-free: StartCommandParsing
TEST(StartCommandParsing, SwitchesItemsAndWhatIsNotUnderstood) {
    struct Case {
        std::vector<LPCWSTR> arguments;
        bool understood;
        StartCommandKind kind;
        std::wstring item; // the item, or what was not understood
    };
    const Case cases[] = {
        {{}, true, StartCommandKind::None, L""},
        {{L"--show", L"My Docs"}, true, StartCommandKind::Show, L"My Docs"},
        {{L"/SHOW", kMenuId.c_str()}, true, StartCommandKind::Show, kMenuId},
        {{L"--Options"}, true, StartCommandKind::Options, L""},
        {{L"-exit"}, true, StartCommandKind::Exit, L""},
        {{L"--show"}, false, StartCommandKind::None, L"--show"},
        {{L"--show", L""}, false, StartCommandKind::None, L"--show"},
        {{L"--exit", L"--options"}, false, StartCommandKind::None, L"--options"},
        {{L"--show", L"a", L"b"}, false, StartCommandKind::None, L"b"},
        {{L"--showall"}, false, StartCommandKind::None, L"--showall"},
        {{L"show", L"a"}, false, StartCommandKind::None, L"show"},
    };
    for (const Case& c : cases) {
        StartCommand command;
        std::wstring notUnderstood;
        BOOL understood =
            ParseStartCommand(static_cast<int>(c.arguments.size()), c.arguments.data(), &command, &notUnderstood);
        std::string trace = c.arguments.empty() ? "(none)" : std::string(c.item.begin(), c.item.end());
        EXPECT_EQ(c.understood, understood != FALSE) << trace;
        if (c.understood) {
            EXPECT_EQ(c.kind, command.kind) << trace;
            EXPECT_EQ(c.item, command.item) << trace;
        } else {
            EXPECT_EQ(c.item, notUnderstood) << trace;
        }
    }
}

// The browser item is toggled by its name, in other letter case: a name goes through the same
// lookup as an identifier.
TEST_F(CommandLineHandOver, ShowTogglesABrowserOrOpensTheMenuInTheInstanceAtThePointAndTheStartLeavesNoWindow) {
    HWND browser = nullptr;
    size_t done = fixture.RunSteps({
        [&] { return start = Launch(L"--show " + kBrowserId), true; },
        [&] {
            return (browser = fixture.Browser(1) ? fixture.Browser(1)->GetWindow() : nullptr) &&
                   IsWindowVisible(browser) && start->Ended();
        },
        [&] { return start = Launch(L"--show here"), true; },
        [&] { return !IsWindowVisible(browser) && start->Ended(); },
        [&] { return SetCursorPos(300, 400), start = Launch(L"--show \"" + kMenuId + L"\""), true; },
        [&] {
            HWND menu = FindOwnWindow(L"#32768");
            if (!menu)
                return false;
            EXPECT_EQ((Texts{L"a", L"b"}),
                      MenuItemTexts(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0))));
            RECT menuRect = {};
            GetWindowRect(menu, &menuRect);
            EXPECT_EQ(300, menuRect.left) << "the menu hangs from the point the start was given";
            EXPECT_EQ(400, menuRect.bottom);
            EXPECT_EQ(1u, WindowsOfClass(kMainWindowClassName, GetCurrentProcessId(), false).size())
                << "the instance still has its one main window";
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        },
        [&] { return start->Ended(); },
    });
    ASSERT_EQ(7u, done) << "stuck at the step after the ones done: 2 not shown, 4 not hidden, 6 no menu";
    EXPECT_EQ(0u, start->ExitCode());
    EXPECT_EQ(0, g_windowsCreated) << "the start handed over and ended without a window of its own";
}

TEST_F(CommandLineHandOver, UnknownItemsAndSwitchesAreToldAndChangeNothing) {
    struct Case {
        std::wstring arguments;
        std::wstring told; // a part of the box's text
    };
    const Case cases[] = {
        {L"--show Nowhere", L"has no item \"Nowhere\""},
        {L"--show 99999999-8888-7777-6666-555555555555", L"was deleted"},
        // Which commands the parser refuses is StartCommandParsing's; one refusal shows the way to the box.
        {L"--frobnicate", L"did not understand \"--frobnicate\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.arguments.begin(), c.arguments.end()));
        fixture.Start();
        bool menuSeen = false;
        size_t done = fixture.RunSteps({
            [&] { return start = Launch(c.arguments, true), true; },
            [&] {
                menuSeen = menuSeen || FindOwnWindow(L"#32768") != nullptr;
                return start->Ended();
            },
        });
        EXPECT_EQ(2u, done);
        std::vector<DialogScriptDriver::Dialog> boxes = start->Boxes();
        ASSERT_EQ(1u, boxes.size()) << DescribeDialogs(boxes);
        EXPECT_EQ(L"Pathwren", boxes[0].caption);
        EXPECT_NE(std::wstring::npos, boxes[0].text.find(c.told)) << DescribeDialogs(boxes);
        EXPECT_EQ(static_cast<DWORD>(kStartCommandFailedExitCode), start->ExitCode());
        EXPECT_FALSE(menuSeen);
        EXPECT_EQ(0, fixture.PostedCount(WM_SHOW_OPTIONS));
        EXPECT_FALSE(fixture.WatchdogFired());
    }
}

// The other configuration's first start comes with a command: with no instance of its own to
// hand it to, it becomes the instance and shows the menu, found by name in a file from before items
// had identifiers.
TEST_F(CommandLineHandOver, TwoConfigurationsEachTakeOnlyTheirOwnCommandsAndAStartWithoutInstanceBecomesOne) {
    TempDirectory other;
    // One menu item: each real tray icon costs the other instance a while under Wine.
    ASSERT_TRUE(
        UnpackProgram(other, L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"));
    std::unique_ptr<ProgramStart> otherInstance, otherCommand;
    bool ownMenuSeen = false;
    int windowsOfTheInstance = 0;
    auto escapeTheOthersMenu = [&] {
        ownMenuSeen = ownMenuSeen || FindOwnWindow(L"#32768") != nullptr;
        std::vector<HWND> menus = WindowsOfClass(L"#32768", otherInstance->Id());
        if (menus.empty())
            return false;
        PostMessageW(menus[0], WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    };
    size_t done = fixture.RunSteps({
        [&] { return otherInstance.reset(new ProgramStart(other.Path(), L"--show docs")), true; },
        escapeTheOthersMenu,
        [&] { return windowsOfTheInstance = g_windowsCreated, true; },
        [&] { return otherCommand.reset(new ProgramStart(other.Path(), L"--show Docs")), true; },
        escapeTheOthersMenu,
        [&] { return start = Launch(L"--options"), true; },
        [&] { return start->Ended() && otherCommand->Ended(); },
        [&] { return otherCommand.reset(new ProgramStart(other.Path(), L"--exit")), true; },
        [&] { return otherInstance->Ended() && otherCommand->Ended(); },
    });
    EXPECT_EQ(9u, done) << "stuck at the step after the ones done";
    EXPECT_GT(windowsOfTheInstance, 0) << "the window counter sees a process that does make windows";
    EXPECT_FALSE(ownMenuSeen) << "the other configuration's --show reached this instance";
    EXPECT_EQ(1, fixture.PostedCount(WM_SHOW_OPTIONS));
    EXPECT_TRUE(IsExistingFile(other.File(L"FoldersOptions.bak").c_str())) << "the other instance saved on --exit";
    EXPECT_EQ(0u, otherInstance->ExitCode());
    EXPECT_EQ(0u, otherCommand->ExitCode()) << "the --exit handed over and ended";
}

// Each place's first shortcut brings the hint: the taskbar's beside the folders file, the Start menu's
// in Programs\Pathwren.
TEST_F(ItemShortcut, TheDialogWritesTheShortcutsShowsThemAndTellsHowToPinThemOncePerPlace) {
    fixture.Configure(L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"
                      L"AssociatedIconPath=C:\\icons\\docs.ico\r\nAssociatedIconIndex=2\r\nItemIdentifier=" +
                      kMenuId + L"\r\n[Folders_1]\r\nFolderPresentationType=2\r\nPath=Plain\r\n");
    std::wstring startMenu =
        ItemShortcutFolder(ItemShortcutPlace::StartMenu, fixture.File(L"FoldersOptions.ini").c_str());
    ASSERT_FALSE(startMenu.empty());
    std::wstring startMenuDocs = startMenu + L"\\Docs.lnk";
    DeleteFileW(startMenuDocs.c_str());
    RemoveDirectoryW(startMenu.c_str());
    std::vector<DialogScriptDriver::Dialog> shown;
    // In Tray Icons mode the tree lists the items last first.
    ASSERT_TRUE(InOptions({SelectPage({1, 1}), Press(IDC_CREATE_TASKBAR_SHORTCUT), Press(IDC_CREATE_TASKBAR_SHORTCUT),
                           Press(IDC_ADD_TO_START_MENU), SelectPage({1, 0}), Press(IDC_CREATE_TASKBAR_SHORTCUT)},
                          IDCANCEL, &shown));
    ASSERT_EQ(2u, shown.size()) << "the pin hint comes with each place's first shortcut only: "
                                << DescribeDialogs(shown);
    for (const DialogScriptDriver::Dialog& hint : shown)
        EXPECT_NE(std::wstring::npos, hint.text.find(L"Pin to taskbar"));

    std::wstring docs = fixture.File(L"Shortcuts\\Docs.lnk");
    std::wstring plain = fixture.File(L"Shortcuts\\Plain.lnk");
    EXPECT_EQ((std::vector<std::wstring>{docs, docs, startMenuDocs, plain}), g_shownInFolder);

    AppShortcut written, inStartMenu;
    ASSERT_TRUE(SUCCEEDED(ReadAppShortcut(docs.c_str(), &written)));
    WCHAR program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    EXPECT_EQ(0, _wcsicmp(program, written.target.c_str())) << written.target;
    EXPECT_EQ(L"--show " + kMenuId, written.arguments);
    EXPECT_EQ(L"C:\\icons\\docs.ico", written.iconPath);
    EXPECT_EQ(2, written.iconIndex);
    EXPECT_TRUE(SUCCEEDED(ReadAppShortcut(startMenuDocs.c_str(), &inStartMenu)));
    EXPECT_EQ(L"--show " + kMenuId, inStartMenu.arguments);
    DeleteFileW(startMenuDocs.c_str());
    RemoveDirectoryW(startMenu.c_str());

    AppShortcut plainWritten;
    ASSERT_TRUE(SUCCEEDED(ReadAppShortcut(plain.c_str(), &plainWritten)));
    EXPECT_FALSE(plainWritten.iconPath.empty()) << "an item without an icon shows its folder's";
    // The item had no identifier in its file: the running program gave it one, which the
    // shortcut names and the next save writes.
    std::wstring plainId = plainWritten.arguments.substr(wcslen(L"--show "));
    EXPECT_TRUE(IsItemIdentifierForm(plainId.c_str())) << plainWritten.arguments;
    EXPECT_NE(std::wstring::npos, ReadUtf16File(fixture.File(L"FoldersOptions.ini")).find(L"ItemIdentifier=" + plainId))
        << "closing saved the identifier the shortcut names";

    // Wine's shell link keeps no properties: its IPropertyStore takes the value and writes nothing.
    if (RunningOnWine() && written.appUserModelId.empty())
        GTEST_SKIP() << "the model identifier cannot be read back under Wine";
    EXPECT_EQ(L"Pathwren.Item." + kMenuId, written.appUserModelId);
}

TEST_F(ItemShortcut, IdentifiersSurviveRenameReorderAndTheOptionsAndAnOldFileGainsThemOnSave) {
    // Written by a version before identifiers.
    const std::wstring old = L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Docs\r\n"
                             L"[Folders_1]\r\nFolderPresentationType=3\r\nDisplayName=Work\r\n";
    fixture.Configure(old);
    fixture.Start();
    EXPECT_EQ(old, ReadUtf16File(fixture.File(L"FoldersOptions.ini"))) << "loading writes nothing";
    std::vector<std::wstring> given;
    ASSERT_TRUE(fixture.RunWhile([&](HWND window) {
        given = Identifiers(fixture.application.m_folders);
        // Renamed and reordered while running, as the options would.
        wcscpy(fixture.application.m_folders[1]->DisplayName, L"Renamed");
        std::swap(fixture.application.m_folders[0], fixture.application.m_folders[1]);
        PostMessageW(window, WM_CLOSE, 0, 0);
    }));
    ASSERT_EQ(2u, given.size());

    ASSERT_TRUE(InOptions({SelectPage({1, 1})}, IDOK));
    fixture.Start();
    ASSERT_EQ(2u, fixture.application.m_folders.size());
    EXPECT_STREQ(L"Renamed", fixture.application.m_folders[0]->DisplayName);
    EXPECT_EQ((std::vector<std::wstring>{given[1], given[0]}), Identifiers(fixture.application.m_folders))
        << "each item kept its identifier through the save, the reorder and the options' OK";
}
