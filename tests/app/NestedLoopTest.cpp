// An options OK, an Exit or the end of the logon while a box is still up (one opened from an item's
// menu, say): the container whose handler runs that box must outlive it, so the rebuild and the
// quit wait until the box is answered and the stack is back in the main loop.
#include "ApplicationFixture.h"
#include "OptionsDialogScript.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ContainerBase.h"
#include "containers/LaunchBarContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "lib/FileSystem.h"
#include "lib/WindowSubclass.h"
#include "support/FileFixtures.h"
#include "support/MessagePump.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

const DWORD kWaitLimitMs = 10000;
// A box kept open this long would collect thousands of messages from a loop that re-posts itself.
const DWORD kBoxObservedMs = 400;
// The message the helper thread sends to look at the application from its own thread, inside
// whatever modal loop runs there.
const UINT WM_LOOK = WM_APP + 77;

// The items and what stands on screen for them: their containers, the bar and its own menu. A
// rebuild takes the dialog's copies of the items, made while the old ones lived, so new items
// never reuse an old one's address (containers may).
struct Presence {
    Presence() = default;
    explicit Presence(const CPathwren& application)
        : items(application.m_folders), bar(application.m_pLaunchBar), barMenu(application.m_pLaunchBarContainer) {
        for (CGenericPathwrenObject* item : items)
            containers.push_back(ContainerOf(*item));
    }
    std::vector<CGenericPathwrenObject*> items;
    std::vector<CContainerBase*> containers;
    CLaunchBar* bar = nullptr;
    CContainerBase* barMenu = nullptr;
    bool operator==(const Presence& other) const {
        return items == other.items && containers == other.containers && bar == other.bar && barMenu == other.barMenu;
    }
};

enum class Box { About, LaunchError, UpdateFailure, ShellDeletion };
const wchar_t* const kBoxTitles[] = {L"About", L"Error", L"Error", L"Confirm file deletion"};

// Where the box is opened from: the bar's menu or an item's, of a menu item or (with its own two
// entries) of a browser item.
struct BoxCase {
    const char* name;
    bool launchBar;
    Box box;
    bool browserItem;
};

void PrintTo(const BoxCase& box, std::ostream* out) {
    *out << box.name;
}

class NestedLoop : public ::testing::TestWithParam<BoxCase> {
protected:
    void Start(bool launchBar) {
        CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
        fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=Here\r\n" + itemKeys);
        fixture.Start();
        fixture.openOptions = true;
        if (launchBar)
            fixture.application.m_pOptions->LaunchMode = LaunchModeLaunchBar;
    }

    // From inside the loop: opens the box titled so through the menu that showMenu tracks and,
    // while it is up, plays inBox on a helper thread, then answers the box. Records what stood on
    // screen before the box and while the box was still up after inBox.
    void BoxWith(const std::wstring& title, const std::function<void()>& showMenu,
                 const std::function<void(HWND mainWindow)>& inBox, WORD answer = IDOK) {
        before = Presence(fixture.application);
        HWND mainWindow = fixture.application.m_hMainWindow;
        HWND looker = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        CWindowSubclass look;
        look.Install(looker, LookProc, 1, reinterpret_cast<DWORD_PTR>(this));
        std::atomic<bool> done(false);
        std::thread helper([&] {
            HWND box = nullptr;
            PumpMessagesUntil([&] { return (box = FindDialogTitled(title)) != nullptr; }, kWaitLimitMs);
            if (box) {
                inBox(mainWindow);
                SendMessageW(looker, WM_LOOK, 0, 0);
                boxStillOpen = IsWindow(box) != FALSE;
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            }
            done = true;
        });
        showMenu();
        PumpMessagesUntil([&] { return done.load(); }, kWaitLimitMs);
        helper.join();
        DestroyWindow(looker);
    }

    static LRESULT CALLBACK LookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
        if (message == WM_LOOK) {
            auto* test = reinterpret_cast<NestedLoop*>(self);
            test->during = Presence(test->fixture.application);
            return 0;
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }

    static void OkInOptions(HWND mainWindow) {
        PostMessageW(mainWindow, WM_SHOW_OPTIONS, 0, 0);
        HWND options = nullptr;
        PumpMessagesUntil([&] { return (options = FindDialogTitled(L"Options")) != nullptr; }, kWaitLimitMs);
        ASSERT_NE(nullptr, options);
        PostMessageW(options, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // The dialog is gone only after its result was handed back.
        PumpMessagesUntil([&] { return !IsWindow(options); }, kWaitLimitMs);
    }

    ApplicationFixture fixture;
    std::wstring itemKeys; // more keys of the item
    Presence before, during;
    bool boxStillOpen = false;
};

LRESULT CALLBACK CountMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return DefSubclassProc(window, message, wParam, lParam);
}

int g_deletionStep = 0;
HWND g_folderMenuOwner = nullptr;

// Once the folder menu is up, right-clicks its first entry as the user does (the cursor on it, the
// button released to the window that tracks the menu) and then picks Delete by its mnemonic in the
// shell's menu that opens over it.
void CALLBACK DeleteFirstEntry(HWND, UINT, UINT_PTR timer, DWORD) {
    std::vector<HWND> menus = WindowsOfClass(L"#32768");
    if (g_deletionStep == 0 && menus.size() == 1) {
        g_deletionStep = 1;
        RECT entry = {};
        GetMenuItemRect(nullptr, reinterpret_cast<HMENU>(SendMessageW(menus[0], MN_GETHMENU, 0, 0)), 0, &entry);
        SetCursorPos((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
        // Runs the shell's menu and the command chosen in it before it returns.
        SendMessageW(g_folderMenuOwner, WM_RBUTTONUP, 0, 0);
        KillTimer(nullptr, timer);
    } else if (g_deletionStep == 1 && menus.size() == 2) {
        g_deletionStep = 2;
        PostMessageW(menus[1], WM_CHAR, 'd', 0);
    }
}

UINT_PTR DeleteFirstEntryWhenShown(HWND folderMenuOwner) {
    g_deletionStep = 0;
    g_folderMenuOwner = folderMenuOwner;
    return SetTimer(nullptr, 0, 50, DeleteFirstEntry);
}

// The entries every menu of the program shares (Options, Help, About, Check For Update...) follow
// those of its own: none in the bar's menu, Show in an item's, Show and Maximize in a browser's.
void ChooseFromTheCommonEntries(int ownEntries, bool about) {
    ChooseMenuEntryWhenShown(ownEntries + (about ? 3 : 4));
}

} // namespace

// The about box runs under the handler of an item's or the bar's own menu; the error box of a
// shortcut that cannot be read runs under the handler of the item's folder menu; the box of an
// update check that found no server comes later, from the check's end; the shell's own box that
// confirms a deletion chosen in an entry's context menu runs under the folder menu's handler.
TEST_P(NestedLoop, AnOptionsOkInsideTheBoxRebuildsOnlyOnceTheBoxIsAnswered) {
    const bool launchBar = GetParam().launchBar;
    const Box box = GetParam().box;
    const int itemOwnEntries = GetParam().browserItem ? 2 : 1;
    if (GetParam().browserItem)
        itemKeys = L"FolderPresentationType=0\r\n";
    Start(launchBar);
    if (box == Box::LaunchError)
        WriteUtf16File(fixture.File(L"Here\\broken.lnk"), L"not a shortcut");
    if (box == Box::ShellDeletion)
        WriteUtf16File(fixture.File(L"Here\\a.txt"), L"text");
    if (box == Box::UpdateFailure) // nothing listens on port 1 of the loopback
        WriteUtf16File(fixture.File(L"Pathwren.ini"),
                       L"[Pathwren]\r\nSingleUser=1\r\nbRunAtStartup=0\r\nUpdateServer=127.0.0.1:1\r\n");
    Presence afterTheBox, after;
    UINT_PTR chooser = 0;
    auto showMenu = [&] {
        CContainerBase* item = ContainerOf(*fixture.application.m_folders[0]);
        if (box == Box::LaunchError || box == Box::ShellDeletion) {
            chooser = box == Box::LaunchError ? ChooseMenuEntryWhenShown(1)
                                              : DeleteFirstEntryWhenShown(item->GetOwnerWindow());
            item->ShowFromLaunchBar(POINT{300, 300}, FALSE);
        } else {
            ChooseFromTheCommonEntries(launchBar ? 0 : itemOwnEntries, box == Box::About);
            if (launchBar)
                fixture.application.m_pLaunchBarContainer->ShowContextMenu(POINT{300, 300}, FALSE);
            else
                item->ShowContextMenu(POINT{300, 300}, TRUE);
        }
    };
    auto throughTheBox = [&] {
        BoxWith(kBoxTitles[static_cast<int>(box)], showMenu, OkInOptions, box == Box::ShellDeletion ? IDYES : IDOK);
        // Back from the container's handler, not yet in the main loop: still untouched.
        afterTheBox = Presence(fixture.application);
        return true;
    };
    EXPECT_EQ(2u,
              fixture.RunSteps({throughTheBox, [&] { return !((after = Presence(fixture.application)) == before); }}));
    KillTimer(nullptr, chooser);
    EXPECT_TRUE(boxStillOpen);
    EXPECT_TRUE(before == during) << "a container, the bar or its menu changed while the box was up";
    EXPECT_TRUE(before == afterTheBox) << "rebuilt under the handler that showed the box";
    ASSERT_EQ(1u, after.items.size());
    EXPECT_NE(before.items[0], after.items[0]) << "the OK took the edited items after the box";
    EXPECT_NE(nullptr, after.containers[0]);
    EXPECT_EQ(launchBar, after.bar != nullptr);
    EXPECT_FALSE(fixture.WatchdogFired());
    if (box == Box::ShellDeletion) {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(fixture.File(L"Here\\a.txt").c_str()))
            << "the deletion was confirmed";
    }
}

TEST_F(NestedLoop, AnExitInsideTheAboutBoxSavesAtOnceAndQuitsOnceTheBoxIsAnswered) {
    Start(true);
    Presence afterTheBox;
    bool savedWhileOpen = false;
    EXPECT_TRUE(fixture.RunWhile([&](HWND) {
        BoxWith(
            L"About",
            [&] {
                ChooseFromTheCommonEntries(0, true);
                fixture.application.m_pLaunchBarContainer->ShowContextMenu(POINT{300, 300}, FALSE);
            },
            [&](HWND mainWindow) {
                PostMessageW(mainWindow, WM_CLOSE, 0, 0);
                // Each save first copies the file it replaces to the backup.
                savedWhileOpen = PumpMessagesUntil(
                    [&] { return IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str()) != FALSE; }, kWaitLimitMs);
            });
        afterTheBox = Presence(fixture.application);
    }));
    EXPECT_TRUE(savedWhileOpen);
    EXPECT_TRUE(before == during) << "the quit destroyed what the box's handler still uses";
    EXPECT_TRUE(before == afterTheBox);
    EXPECT_TRUE(fixture.application.m_folders.empty()) << "the quit followed the box";
    EXPECT_EQ(1, fixture.SavedItemCount());
}

TEST_F(NestedLoop, TheEndOfTheLogonDuringAMessageBoxSavesOnceWithoutWaitingForTheUser) {
    Start(false);
    const std::wstring saved = ReadUtf16File(fixture.File(L"FoldersOptions.ini"));
    Presence afterTheBox;
    LRESULT queryAnswer = 0, endAnswer = 1;
    bool savedBeforeTheAnswer = false;
    int mainWindowMessages = 0;
    EXPECT_TRUE(fixture.RunWhile([&](HWND window) {
        CWindowSubclass counting;
        counting.Install(window, CountMessages, 1, reinterpret_cast<DWORD_PTR>(&mainWindowMessages));
        BoxWith(
            L"Busy", [] { MessageBoxW(nullptr, L"Working on something", L"Busy", MB_OK); },
            [&](HWND mainWindow) {
                queryAnswer = SendMessageW(mainWindow, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
                savedBeforeTheAnswer = IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str()) != FALSE;
                endAnswer = SendMessageW(mainWindow, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                Sleep(kBoxObservedMs);
            });
        afterTheBox = Presence(fixture.application);
    }));
    EXPECT_EQ(TRUE, queryAnswer);
    EXPECT_EQ(0, endAnswer);
    EXPECT_TRUE(savedBeforeTheAnswer) << "the save must not wait for the box";
    EXPECT_TRUE(before == afterTheBox) << "the items must outlive the box's loop";
    EXPECT_LT(mainWindowMessages, 10) << "the waiting quit kept the thread busy";
    EXPECT_TRUE(fixture.application.m_folders.empty()) << "the quit followed the box";
    EXPECT_EQ(saved, ReadUtf16File(fixture.File(L"FoldersOptions.bak"))) << "saved more than once";
}

INSTANTIATE_TEST_SUITE_P(Boxes, NestedLoop,
                         ::testing::Values(BoxCase{"AboutOfTheBarsMenu", true, Box::About, false},
                                           BoxCase{"AboutOfATrayMenu", false, Box::About, false},
                                           BoxCase{"AboutOfABrowserWindowsMenu", false, Box::About, true},
                                           BoxCase{"ErrorOfABarButtonsFolderMenu", true, Box::LaunchError, false},
                                           BoxCase{"ErrorOfATrayFolderMenu", false, Box::LaunchError, false},
                                           BoxCase{"FailedUpdateCheckFromATrayMenu", false, Box::UpdateFailure, false},
                                           BoxCase{"FailedUpdateCheckFromTheBarsMenu", true, Box::UpdateFailure, false},
                                           BoxCase{"ShellsBoxFromAnEntrysContextMenu", false, Box::ShellDeletion,
                                                   false}),
                         [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });
