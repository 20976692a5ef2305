#include "ApplicationFixture.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "options/OptionsUI.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/GdiObjectCounter.h"
#include "support/SourceTree.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <shlobj.h>

#include <cwctype>
#include <functional>

namespace {

// The dialog runs its own modal loop inside the application's; a thread timer reaches it there.
struct DialogScript {
    std::function<void(HWND dialog)> inDialog;
    // Played one per timer tick after inDialog, so that the dialog handles the input in between.
    std::vector<std::function<void(HWND dialog)>> laterSteps;
    HWND dialog = nullptr;
    std::function<void()> afterDialog;
    HWND mainWindow = nullptr;
    bool dialogHandled = false;
};
DialogScript* g_script = nullptr;

HWND FindOptionsDialog() {
    for (HWND dialog : WindowsOfClass(L"#32770")) {
        WCHAR title[64] = L"";
        GetWindowTextW(dialog, title, ARRAYSIZE(title));
        if (wcscmp(title, L"Options") == 0)
            return dialog;
    }
    return nullptr;
}

void CALLBACK ScriptTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    DialogScript& script = *g_script;
    if (!script.dialogHandled) {
        HWND dialog = FindOptionsDialog();
        if (!dialog)
            return;
        script.dialogHandled = true;
        script.dialog = dialog;
        script.inDialog(dialog);
        return;
    }
    if (!script.laterSteps.empty()) {
        std::function<void(HWND)> step = script.laterSteps.front();
        script.laterSteps.erase(script.laterSteps.begin());
        step(script.dialog);
        return;
    }
    // The dialog's result is applied as soon as its window is gone (an OK may open another).
    if (IsWindow(script.dialog))
        return;
    KillTimer(nullptr, timer);
    if (script.afterDialog)
        script.afterDialog();
    PostMessageW(script.mainWindow, WM_CLOSE, 0, 0);
}

// Runs the program on the configuration, opens the options and plays the script.
void RunOptions(ApplicationFixture& fixture, DialogScript& script) {
    CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
    WriteUtf16File(fixture.File(L"Languages\\Deutsch.ini"), L"[Language]\r\nOptions=Optionen\r\nFolders=Ordner\r\n");
    // A missing folder would stop the start with a message box.
    for (LPCWSTR folder : {L"A", L"B", L"C", L"Elsewhere", L"One", L"Two"})
        CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
    fixture.Start();
    fixture.openOptions = true;
    g_script = &script;
    fixture.RunWhile(
        [&](HWND window) {
            script.mainWindow = window;
            PostMessageW(window, WM_SHOW_OPTIONS, 0, 0);
            SetTimer(nullptr, 0, 20, ScriptTimer);
        },
        true);
    g_script = nullptr;
}

HTREEITEM Node(HWND tree, HTREEITEM parent, int index) {
    HTREEITEM node = parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree);
    while (node && index-- > 0)
        node = TreeView_GetNextSibling(tree, node);
    return node;
}

std::wstring NodeText(HWND tree, HTREEITEM node) {
    WCHAR text[MAX_PATH] = L"";
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    TreeView_GetItem(tree, &item);
    return text;
}

void Select(HWND dialog, HTREEITEM node) {
    TreeView_SelectItem(GetDlgItem(dialog, IDC_OPTIONS_TREE), node);
}

// The page at a path of child indexes from the root: {1, 0, 2} is the first item's third page.
HTREEITEM Page(HWND dialog, std::initializer_list<int> path) {
    HTREEITEM node = nullptr;
    for (int index : path)
        node = Node(GetDlgItem(dialog, IDC_OPTIONS_TREE), node, index);
    return node;
}

void Click(HWND dialog, int control) {
    SendDlgItemMessageW(dialog, control, BM_CLICK, 0, 0);
}

void Pick(HWND dialog, int control, int index) {
    SendDlgItemMessageW(dialog, control, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

void Type(HWND dialog, int control, LPCWSTR text) {
    SendDlgItemMessageW(dialog, control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

const WCHAR kThreeItems[] = L"[Default]\r\nFolders=3\r\n[Folders_0]\r\nPath=A\r\nFolderPresentationType=2\r\n"
                            L"[Folders_1]\r\nPath=B\r\nFolderPresentationType=2\r\n"
                            L"[Folders_2]\r\nPath=C\r\nFolderPresentationType=2\r\n";

// One edit on every page; the tree lists the items of Tray Icons mode newest first.
void EditEveryPage(HWND dialog) {
    HWND tree = GetDlgItem(dialog, IDC_OPTIONS_TREE);
    HTREEITEM folders = Node(tree, nullptr, 1);
    Pick(dialog, IDC_LANGUAGE, 0);                         // the only file: relabels the dialog at once
    Select(dialog, Node(tree, Node(tree, nullptr, 0), 0)); // Launch Bar
    Pick(dialog, IDC_BAR_POSITION, 4);
    Click(dialog, IDC_BAR_FULL_WIDTH);
    Pick(dialog, IDC_BAR_ICON_SIZE, 3);
    Click(dialog, IDC_BAR_PICTURE_RADIO);
    Pick(dialog, IDC_BAR_PICTURE_POSITION, 2);
    Type(dialog, IDC_BAR_PICTURE_PATH, L"bar.png");
    SendDlgItemMessageW(dialog, IDC_BAR_OPACITY, TBM_SETPOS, TRUE, 60);
    Type(dialog, IDC_BAR_ACTIVE_AREA, L"7");
    Type(dialog, IDC_BAR_MIN_WIDTH, L"abc");            // not a number: unchanged
    Type(dialog, IDC_BAR_MIN_HEIGHT, L"-5");            // negative: unchanged
    Type(dialog, IDC_BAR_MARGIN_LEFT, L"123456789012"); // too big: unchanged
    Type(dialog, IDC_BAR_MARGIN_TOP, L"12");

    HTREEITEM first = Node(tree, folders, 0); // C
    Select(dialog, first);
    Click(dialog, IDC_TYPE_BROWSER);
    Type(dialog, IDC_PATH_EDIT, L"Elsewhere");
    Select(dialog, Node(tree, first, 0)); // Browsing Options: same item, no save, no reload
    Click(dialog, IDC_INCLUDE_SUBFOLDERS);
    Pick(dialog, IDC_VIEW_TYPE, 5);
    Pick(dialog, IDC_Z_ORDER, 1);
    Type(dialog, IDC_HOT_CORNER_WIDTH, L"33");
    Select(dialog, Node(tree, first, 1)); // File Filters
    Type(dialog, IDC_INCLUSION_FILTERS, L"*.txt");
    Type(dialog, IDC_EXCLUSION_FILTERS, L"*.tmp");
    Select(dialog, Node(tree, first, 2)); // Customization
    Click(dialog, IDC_TEXT_COLOR_CHECK);
    Click(dialog, IDC_BACKGROUND_GRADIENT_RADIO);
    Pick(dialog, IDC_GRADIENT_TYPE, 2);

    HTREEITEM second = Node(tree, folders, 1); // B becomes Desktop
    Select(dialog, second);
    Click(dialog, IDC_TYPE_DESKTOP);
    HTREEITEM third = Node(tree, folders, 2); // A becomes a Multiple Folders Menu of two folders
    Select(dialog, third);
    Click(dialog, IDC_TYPE_MULTIPLE_FOLDERS_MENU);
    Type(dialog, IDC_DISPLAY_NAME, L"");
    Click(dialog, IDC_LOCAL_PATH);
    Type(dialog, IDC_PATH_EDIT, L"One");
    Click(dialog, IDC_MERGED_ADD);
    Click(dialog, IDC_MERGE_TO_FOLDER);
    Type(dialog, IDC_MERGED_NAME, L"Merged two");
    Type(dialog, IDC_PATH_EDIT, L"Two");
    Click(dialog, IDC_MERGED_ADD);
    SendMessageW(dialog, WM_COMMAND, IDC_ITEM_ADD, 0); // a new Menu item for "c:\"
}

class OptionsDialog : public ::testing::Test {
protected:
    // A browser window's default size and place are a third of the work area, which depends on
    // the screen the test runs on; the expected files name them instead of giving numbers.
    void Compare(const std::wstring& name) {
        std::wstring expected = SourceTreePath(L"tests/app/options/" + name);
        std::wstring written = ReadUtf16File(fixture.File(name));
        SIZE third = GetFirstMonitorWorkAreaSize();
        for (const auto& key : {std::make_pair(L"BrowserWidth=", third.cx / 3),
                                {L"WindowPositionX=", third.cx / 3},
                                {L"BrowserHeight=", third.cy / 3},
                                {L"WindowPositionY=", third.cy / 3}}) {
            std::wstring line = key.first + std::to_wstring(key.second) + L"\r\n";
            for (size_t at = written.find(line); at != std::wstring::npos; at = written.find(line, at))
                written.replace(at, line.size(), key.first + std::wstring(L"(a third of the work area)\r\n"));
        }
        if (UpdateFixturesRequested())
            WriteUtf16File(expected, written);
        EXPECT_EQ(ReadUtf16File(expected), written)
            << "the options wrote another " << std::string(name.begin(), name.end());
    }

    ApplicationFixture fixture;
};

TEST_F(OptionsDialog, EditsOnEveryPageAreSavedByOkAndTheContainersRebuilt) {
    fixture.Configure(kThreeItems);
    std::vector<CContainerBase*> before;
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        for (CGenericPathwrenObject* item : fixture.application.m_folders)
            before.push_back(item->m_pContainer);
        HWND tree = GetDlgItem(dialog, IDC_OPTIONS_TREE);
        HTREEITEM folders = Node(tree, nullptr, 1);
        EXPECT_EQ(L"C", NodeText(tree, Node(tree, folders, 0)));
        EXPECT_EQ(L"A", NodeText(tree, Node(tree, folders, 2)));
        EditEveryPage(dialog);
        WCHAR title[64] = L"";
        GetWindowTextW(dialog, title, 64);
        EXPECT_STREQ(L"Optionen", title);
        EXPECT_EQ(L"Ordner", NodeText(tree, folders));
        Click(dialog, IDOK);
    };
    script.afterDialog = [&] {
        for (const wchar_t* name : {L"Pathwren.ini", L"UserOptions.ini", L"FoldersOptions.ini"})
            Compare(name);
        ASSERT_EQ(4u, fixture.application.m_folders.size());
        for (CGenericPathwrenObject* item : fixture.application.m_folders) {
            // Without Explorer's desktop (no stand-in here) a desktop item gets no container.
            if (item->FolderPresentationType != FolderPresentationDesktop) {
                EXPECT_NE(nullptr, item->m_pContainer) << item->Path;
            }
            EXPECT_EQ(before.end(), std::find(before.begin(), before.end(), item->m_pContainer));
        }
    };
    RunOptions(fixture, script);
    EXPECT_FALSE(fixture.WatchdogFired());
}

// Cancel, Esc and the close box all throw the edits away.
TEST_F(OptionsDialog, CancelEscapeAndCloseBoxChangeNothing) {
    for (int way = 0; way < 3; ++way) {
        ApplicationFixture run;
        run.Configure(kThreeItems);
        const std::vector<std::wstring> files = {L"Pathwren.ini", L"UserOptions.ini", L"FoldersOptions.ini"};
        std::vector<std::vector<unsigned char>> bytes;
        std::vector<CContainerBase*> before;
        DialogScript script;
        script.inDialog = [&](HWND dialog) {
            for (const std::wstring& file : files)
                bytes.push_back(ReadFileBytes(run.File(file)));
            for (CGenericPathwrenObject* item : run.application.m_folders)
                before.push_back(item->m_pContainer);
            EditEveryPage(dialog);
            if (way == 0)
                Click(dialog, IDCANCEL);
            else if (way == 1)
                SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); // what the dialog manager makes of Esc
            else
                SendMessageW(dialog, WM_CLOSE, 0, 0);
        };
        script.afterDialog = [&] {
            for (size_t i = 0; i < files.size(); ++i)
                EXPECT_TRUE(bytes[i] == ReadFileBytes(run.File(files[i]))) << "way " << way << " file " << i;
            EXPECT_STREQ(L"Options", run.application.m_pLanguage->Options) << "way " << way;
            ASSERT_EQ(3u, run.application.m_folders.size());
            for (size_t i = 0; i < 3; ++i)
                EXPECT_EQ(before[i], run.application.m_folders[i]->m_pContainer) << "way " << way;
        };
        RunOptions(run, script);
    }
}

TEST_F(OptionsDialog, FirstStartOpensTheApplicationPageAndASecondRequestMakesNoOtherDialog) {
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_APPLICATION_GROUP)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_SHORTCUT_TYPE_GROUP)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_SKIN_PREVIEW))) << "skin None has no preview";
        EXPECT_EQ(2u, ShowOptionsDialog(GetModuleHandleW(nullptr), script.mainWindow, &fixture.application));
        EXPECT_EQ(1u, WindowsOfClass(L"#32770").size());
        Click(dialog, IDCANCEL);
    };
    // No configuration at all: the start posts the request itself, and the script's own one
    // finds the dialog open.
    RunOptions(fixture, script);
    EXPECT_TRUE(script.dialogHandled);
}

// Presses the keys in order and lets them go in reverse, as a hand holding modifiers does.
void SendKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs(2 * keys.size());
    size_t at = 0;
    for (WORD key : keys)
        inputs[at++].ki.wVk = key;
    for (auto key = keys.end(); key != keys.begin(); ++at) {
        inputs[at].ki.wVk = *--key;
        inputs[at].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    for (INPUT& input : inputs)
        input.type = INPUT_KEYBOARD;
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

RECT GetChildRect(HWND dialog, int control) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, control), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring Text(HWND dialog, int control) {
    WCHAR text[MAX_PATH] = L"";
    GetDlgItemTextW(dialog, control, text, MAX_PATH);
    return text;
}

// A hook sees only keys that come through the input queue: real key presses, in front, focus in
// the Hot Key edit. Other controls and Tab are left alone.
TEST_F(OptionsDialog, TheHotKeyEditTakesRealKeysAndOkRegistersTheNewHotKey) {
    fixture.Configure(kThreeItems);
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        Select(dialog, Page(dialog, {1, 0}));
        Click(dialog, IDC_TYPE_BROWSER); // enables the hot corner edits
        Select(dialog, Page(dialog, {1, 0, 0}));
        SetForegroundWindow(dialog);
        SetFocus(GetDlgItem(dialog, IDC_HOT_KEY));
        SendKeys({VK_CONTROL, VK_MENU, 'F'});
    };
    std::wstring captured;
    script.laterSteps = {[&](HWND dialog) {
                             captured = Text(dialog, IDC_HOT_KEY);
                             SendKeys({VK_F5});
                         },
                         [&](HWND dialog) {
                             EXPECT_EQ(L"", Text(dialog, IDC_HOT_KEY)) << "a key without modifier shows nothing";
                             SendKeys({VK_CONTROL, VK_MENU, 'G'});
                         },
                         [&](HWND) { SendKeys({VK_TAB}); },
                         [&](HWND dialog) {
                             EXPECT_NE(GetDlgItem(dialog, IDC_HOT_KEY), GetFocus()) << "Tab leaves the Hot Key edit";
                             SetFocus(GetDlgItem(dialog, IDC_HOT_CORNER_WIDTH));
                             SendKeys({'7'});
                         },
                         [&](HWND dialog) {
                             EXPECT_NE(std::wstring::npos, Text(dialog, IDC_HOT_CORNER_WIDTH).find(L'7'))
                                 << "other controls type as usual";
                             Click(dialog, IDOK);
                         }};
    script.afterDialog = [&] {
        // The item C, first in the tray order, is item 2.
        EXPECT_EQ(static_cast<UINT>(MOD_ALT | MOD_CONTROL), fixture.application.m_folders[2]->HotKeyModifier);
        EXPECT_EQ(static_cast<UINT>('G'), fixture.application.m_folders[2]->HotKeyVirtualKey);
        EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_ALT | MOD_CONTROL, 'G'));
        EXPECT_EQ(static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED), GetLastError());
    };
    RunOptions(fixture, script);
    ASSERT_FALSE(script.laterSteps.size()) << "the script did not finish";
    WCHAR name[64] = L"";
    GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW('F', MAPVK_VK_TO_VSC) << 16), name, 64);
    EXPECT_EQ(std::wstring(L"ALT + CTRL + ") + name, captured);
}

// The tree lists the Tray Icons items newest first; in Launch Bar mode the tree order is stored.
// A dropped file fills the local path edit and nothing else.
TEST_F(OptionsDialog, MovedItemsKeepTheTreeOrderInLaunchBarModeAndADropFillsOnlyThePath) {
    fixture.Configure(kThreeItems);
    std::wstring dropped = fixture.File(L"B");
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, IDC_OPTIONS_TREE);
        HTREEITEM folders = Node(tree, nullptr, 1);
        Select(dialog, Node(tree, folders, 0)); // C
        for (int press = 0; press < 3; ++press) // the third, at the end, does nothing
            SendMessageW(dialog, WM_COMMAND, IDC_ITEM_MOVE_DOWN, 0);
        EXPECT_EQ(L"C", NodeText(tree, Node(tree, folders, 2)));
        Select(dialog, Node(tree, folders, 0)); // B
        for (int target : {IDC_OPTIONS_TREE, IDC_PATH_EDIT}) {
            RECT rect = {};
            GetWindowRect(GetDlgItem(dialog, target), &rect);
            POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
            ScreenToClient(dialog, &point);
            SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(point, {dropped})), 0);
            WCHAR treeText[MAX_PATH] = L"";
            GetWindowTextW(tree, treeText, MAX_PATH);
            EXPECT_STREQ(L"", treeText);
            if (target == IDC_OPTIONS_TREE) {
                EXPECT_EQ(L"B", Text(dialog, IDC_PATH_EDIT));
            }
        }
        EXPECT_EQ(dropped, Text(dialog, IDC_PATH_EDIT));
        Select(dialog, Node(tree, nullptr, 0));
        Pick(dialog, IDC_LAUNCH_MODE, LaunchModeLaunchBar);
        Click(dialog, IDOK);
    };
    script.afterDialog = [&] {
        std::vector<std::wstring> paths;
        for (CGenericPathwrenObject* item : fixture.application.m_folders)
            paths.push_back(item->Path);
        EXPECT_EQ((std::vector<std::wstring>{dropped, L"A", L"C"}), paths);
        EXPECT_NE(nullptr, fixture.application.m_pLaunchBar);
    };
    RunOptions(fixture, script);
}

// Tab runs tree, toolbar, the visible page top to bottom, OK, Cancel and comes round; every
// label, box and button of a page has its own mnemonic.
TEST_F(OptionsDialog, TabFollowsTheReadingOrderOfEachPageAndMnemonicsAreDistinct) {
    fixture.Configure(kThreeItems);
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, IDC_OPTIONS_TREE);
        HTREEITEM folders = Node(tree, nullptr, 1);
        for (HTREEITEM page : {Node(tree, nullptr, 0), Node(tree, folders, 0), Node(tree, Node(tree, folders, 0), 0)}) {
            Select(dialog, page);
            std::vector<HWND> visited = {tree};
            for (HWND next = GetNextDlgTabItem(dialog, tree, FALSE); next != tree && visited.size() < 100;
                 next = GetNextDlgTabItem(dialog, next, FALSE))
                visited.push_back(next);
            ASSERT_GE(visited.size(), 5u);
            EXPECT_EQ(GetDlgItem(dialog, IDOK), visited[visited.size() - 2]);
            EXPECT_EQ(GetDlgItem(dialog, IDCANCEL), visited.back());
            LONG previousTop = -1; // controls of one row may differ by a few pixels
            for (size_t i = 2; i + 2 < visited.size(); ++i) {
                RECT rect;
                GetWindowRect(visited[i], &rect);
                EXPECT_TRUE(IsWindowVisible(visited[i]) && IsWindowEnabled(visited[i])) << GetDlgCtrlID(visited[i]);
                EXPECT_GE(rect.top + 8, previousTop) << "control " << GetDlgCtrlID(visited[i]) << " on page " << i;
                previousTop = rect.top;
            }
            std::wstring letters;
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                WCHAR text[256] = L"";
                GetWindowTextW(child, text, 256);
                const WCHAR* mark = wcschr(text, L'&');
                if (!IsWindowVisible(child) || !mark || mark[1] == L'&')
                    continue;
                WCHAR letter = static_cast<WCHAR>(towlower(mark[1]));
                EXPECT_EQ(std::wstring::npos, letters.find(letter)) << "control " << GetDlgCtrlID(child);
                letters += letter;
            }
        }
        Click(dialog, IDCANCEL);
    };
    RunOptions(fixture, script);
}

// Each shortcut type shows its own groups, none over another and all inside the dialog, and
// enables the options that apply to it.
TEST_F(OptionsDialog, EachShortcutTypeLaysOutItsGroupsAndEnablesItsOptions) {
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=A\r\nFolderPresentationType=0\r\n"
                      L"FolderViewMode=9\r\n");
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        Select(dialog, Page(dialog, {1, 0}));
        EXPECT_EQ(0, SendDlgItemMessageW(dialog, IDC_VIEW_TYPE, CB_GETCURSEL, 0, 0)) << "a view this Windows lacks";
        const int groups[] = {IDC_SHORTCUT_TYPE_GROUP,       IDC_NAME_GROUP, IDC_ASSOCIATED_ICON_GROUP,
                              IDC_LAUNCH_BAR_SPECIFIC_GROUP, IDC_PATH_GROUP, IDC_MERGED_LIST};
        RECT client;
        GetClientRect(dialog, &client);
        for (int type : {IDC_TYPE_DESKTOP, IDC_TYPE_MENU, IDC_TYPE_BROWSER, IDC_TYPE_MULTIPLE_FOLDERS_MENU}) {
            Click(dialog, type);
            bool window = type == IDC_TYPE_DESKTOP || type == IDC_TYPE_BROWSER;
            EXPECT_EQ(type != IDC_TYPE_DESKTOP, IsWindowVisible(GetDlgItem(dialog, IDC_PATH_GROUP)) != FALSE) << type;
            EXPECT_EQ(type == IDC_TYPE_MULTIPLE_FOLDERS_MENU,
                      IsWindowVisible(GetDlgItem(dialog, IDC_MERGED_LIST)) != FALSE)
                << type;
            EXPECT_EQ(window, IsWindowEnabled(GetDlgItem(dialog, IDC_Z_ORDER)) != FALSE) << type;
            EXPECT_EQ(!window, IsWindowEnabled(GetDlgItem(dialog, IDC_HIDE_FILES_EXTENSIONS)) != FALSE) << type;
            EXPECT_EQ(type == IDC_TYPE_BROWSER, IsWindowEnabled(GetDlgItem(dialog, IDC_SAVE_ICONS_POSITIONS)) != FALSE)
                << type;
            std::vector<RECT> shown;
            for (int group : groups) {
                if (!IsWindowVisible(GetDlgItem(dialog, group)))
                    continue;
                RECT rect = GetChildRect(dialog, group), overlap, inside;
                EXPECT_TRUE(IntersectRect(&inside, &rect, &client) && EqualRect(&inside, &rect)) << group;
                for (const RECT& other : shown)
                    EXPECT_FALSE(IntersectRect(&overlap, &rect, &other)) << "group " << group << ", type " << type;
                shown.push_back(rect);
            }
            // The groups follow each other without gaps (a desktop item's hidden path keeps its place).
            int above = type == IDC_TYPE_MULTIPLE_FOLDERS_MENU ? IDC_NAME_GROUP : IDC_PATH_GROUP;
            EXPECT_EQ(GetChildRect(dialog, above).bottom, GetChildRect(dialog, IDC_ASSOCIATED_ICON_GROUP).top) << type;
            if (type == IDC_TYPE_BROWSER) {
                Pick(dialog, IDC_VIEW_TYPE, 3); // details: no icon positions
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SAVE_ICONS_POSITIONS)));
                Pick(dialog, IDC_VIEW_TYPE, 0);
            }
        }
        Click(dialog, IDOK);
    };
    script.afterDialog = [&] {
        const CGenericPathwrenObject& item = *fixture.application.m_folders[0];
        EXPECT_EQ(FolderPresentationMultipleFoldersMenu, item.FolderPresentationType);
        EXPECT_STREQ(L"A", item.Path) << "a Multiple Folders Menu keeps the old path";
        EXPECT_STREQ(L"Multiple Folders Menu", item.DisplayName);
        EXPECT_TRUE(item.MergedFolders->empty());
        EXPECT_EQ(0, item.FolderViewMode);
    };
    RunOptions(fixture, script);
}

// Without any item no container can be made, so the options open again.
TEST_F(OptionsDialog, OkAfterRemovingEveryItemOpensTheOptionsAgain) {
    fixture.Configure(kThreeItems);
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        for (int item = 0; item < 3; ++item) {
            Select(dialog, Page(dialog, {1, 0}));
            SendMessageW(dialog, WM_COMMAND, IDC_ITEM_REMOVE, 0);
        }
        EXPECT_EQ(nullptr, Page(dialog, {1, 0}));
        Click(dialog, IDOK);
    };
    script.afterDialog = [&] { EXPECT_TRUE(fixture.application.m_folders.empty()); };
    RunOptions(fixture, script);
    EXPECT_EQ(0, fixture.SavedItemCount());
    EXPECT_EQ(2, fixture.PostedCount(WM_SHOW_OPTIONS)) << "the test's request and the one after OK";
    EXPECT_FALSE(fixture.WatchdogFired()) << "the quit ends the dialog that opened again";
}

// The colour button opens the colour dialog; what is chosen there is what OK stores.
TEST_F(OptionsDialog, AColourChosenInTheColourDialogIsStored) {
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=A\r\nFolderPresentationType=0\r\n");
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        Select(dialog, Page(dialog, {1, 0, 2})); // Customization
        // Posted: the colour dialog's own loop must not run inside this timer.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_TEXT_COLOR, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_TEXT_COLOR)));
    };
    int waits = 0;
    std::function<void(HWND)> chooseColour = [&](HWND dialog) {
        HWND colors = nullptr;
        for (HWND window : WindowsOfClass(L"#32770"))
            colors = window != dialog ? window : colors;
        if (!colors && ++waits < 100) { // the dialog may still be on its way
            script.laterSteps.insert(script.laterSteps.begin(), chooseColour);
            return;
        }
        ASSERT_NE(nullptr, colors) << "no colour dialog";
        const std::pair<int, LPCWSTR> channels[] = {{706, L"10"}, {707, L"20"}, {708, L"30"}};
        for (const auto& channel : channels)
            Type(colors, channel.first, channel.second);
        PostMessageW(colors, WM_COMMAND, IDOK, 0);
    };
    script.laterSteps = {chooseColour, [&](HWND dialog) { Click(dialog, IDOK); }};
    script.afterDialog = [&] { EXPECT_EQ(RGB(10, 20, 30), fixture.application.m_folders[0]->TextColor); };
    RunOptions(fixture, script);
}

TEST(FormatHotKeyText, NamesTheModifiersInOrderAndTheDedicatedKeys) {
    const struct {
        UINT modifiers;
        UINT key;
        LPCWSTR prefix; // null: FALSE and no text
    } cases[] = {{MOD_ALT | MOD_CONTROL, 'F', L"ALT + CTRL + "},
                 {MOD_CONTROL | MOD_SHIFT, VK_DELETE, L"CTRL + SHIFT + "},
                 {MOD_WIN, VK_F5, L"WIN + "},
                 {MOD_CONTROL, VK_CONTROL, nullptr},
                 {MOD_ALT, 0, nullptr}};
    for (const auto& entry : cases) {
        WCHAR text[MAX_PATH] = L"";
        BOOL formatted = FormatHotKeyText(entry.modifiers, entry.key, text);
        EXPECT_EQ(entry.prefix != nullptr, formatted != FALSE) << entry.key;
        if (!entry.prefix) {
            EXPECT_STREQ(L"", text);
            continue;
        }
        WCHAR name[64] = L"";
        UINT scan = MapVirtualKeyW(entry.key, MAPVK_VK_TO_VSC) | (entry.key == VK_DELETE ? 0x100 : 0);
        GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64);
        EXPECT_EQ(std::wstring(entry.prefix) + name, text) << entry.key;
    }
}

WPARAM g_closingButton = IDCANCEL;

// OK rebuilds every container; Cancel leaves them. Neither may leave GDI objects behind.
TEST_F(OptionsDialog, OpenAndCancelOrOkCyclesKeepTheGdiCountFlat) {
    fixture.Configure(kThreeItems);
    for (LPCWSTR folder : {L"A", L"B", L"C"})
        CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
    fixture.Start();
    const WPARAM buttons[] = {IDOK, IDCANCEL, IDCANCEL, IDCANCEL, IDOK};
    size_t cycles = 0;
    long afterFirst = 0;
    fixture.RunWhile([&](HWND window) {
        // The first cycle loads what stays cached for the process (fonts, theme parts).
        for (; cycles < ARRAYSIZE(buttons); ++cycles) {
            g_closingButton = buttons[cycles];
            UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
                if (HWND dialog = FindOptionsDialog())
                    PostMessageW(dialog, WM_COMMAND, g_closingButton, 0);
            });
            ShowOptionsDialog(GetModuleHandleW(nullptr), window, &fixture.application);
            KillTimer(nullptr, timer);
            if (cycles == 0)
                afterFirst = GdiObjectCounter::Read();
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(ARRAYSIZE(buttons), cycles);
    EXPECT_LE(GdiObjectCounter::Read(), afterFirst + 2);
}

} // namespace
