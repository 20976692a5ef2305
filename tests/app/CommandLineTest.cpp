#include "ApplicationFixture.h"

#include "app/CommandLine.h"
#include "containers/ShellBrowserContainerBase.h"
#include "lib/FileSystem.h"
#include "support/ChildProcess.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/MenuTexts.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Pathwren.exe started with a command, as a script or a taskbar shortcut starts it, next to an
// instance that runs: the instance is the application object of this test process (its program
// directory, and so its configuration, is the fixture's folder) or another real Pathwren.exe.

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

// A second copy of the program, unpacked into a directory with a configuration of its own.
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
    Texts shown;
    RECT menuRect = {};
    size_t mainWindows = 0;
    size_t done = fixture.RunSteps({
        [&] { return start = Launch(L"--show " + kBrowserId), true; },
        [&] {
            return (browser = fixture.Browser(1) ? fixture.Browser(1)->GetWindow() : nullptr) &&
                   IsWindowVisible(browser) && start->Ended();
        },
        [&] { return start = Launch(L"--show here"), true; },
        [&] { return !IsWindowVisible(browser) && start->Ended(); },
        [&] {
            SetCursorPos(300, 400);
            start = Launch(L"--show \"" + kMenuId + L"\"");
            return true;
        },
        [&] {
            HWND menu = FindOwnWindow(L"#32768");
            if (!menu)
                return false;
            shown = MenuItemTexts(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)));
            GetWindowRect(menu, &menuRect);
            mainWindows = WindowsOfClass(kMainWindowClassName, GetCurrentProcessId(), false).size();
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        },
        [&] { return start->Ended(); },
    });
    ASSERT_EQ(7u, done) << "stuck at the step after the ones done: 2 not shown, 4 not hidden, 6 no menu";
    EXPECT_EQ((Texts{L"a", L"b"}), shown);
    EXPECT_EQ(300, menuRect.left) << "the menu hangs from the point the start was given";
    EXPECT_EQ(400, menuRect.bottom);
    EXPECT_EQ(1u, mainWindows) << "the instance still has its one main window";
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
