// The options dialog where the user does something unusual: quits from a nested loop, works it
// from the keyboard alone, OKs settings it cannot show, or OKs into a file that refuses them.
#include "app/ApplicationFixture.h"
#include "app/OptionsDialogScript.h"

#include "config/GenericPathwrenObject.h"
#include "options/OptionsUI.h"
#include "res/resource.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/Keyboard.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

class OptionsDialogEdges : public ::testing::Test {
protected:
    ApplicationFixture fixture;
};

// The icon picker's stand-in: while it is "open" the user chooses Exit, whose quit ends the
// dialog from inside the picker's loop; then an icon is picked all the same.
HWND g_mainWindow = nullptr;
bool g_pickerRan = false;

int WINAPI PickAfterExit(HWND dialog, PWSTR path, UINT size, int* index) {
    g_pickerRan = true;
    // The dialog ends in here; the object behind it lets go of its window at once.
    PostMessageW(g_mainWindow, WM_CLOSE, 0, 0);
    PumpMessagesUntil([dialog] { return !COptionsUI::FromWindow(dialog); }, 5000);
    // The program's own icon, which has the small size the tree would show.
    GetModuleFileNameW(nullptr, path, size);
    *index = 0;
    return 1;
}

TEST_F(OptionsDialogEdges, ExitWhileTheIconPickerIsOpenEndsTheDialogAndDropsThePickedIcon) {
    fixture.Configure(kThreeMenuItems);
    g_pickerRan = false;
    bool commandReturned = false;
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        g_mainWindow = fixture.application.m_hMainWindow;
        Select(dialog, {1, 0});
        COptionsUI::FromWindow(dialog)->SetIconPicker(PickAfterExit);
        SendMessageW(dialog, WM_COMMAND, IDC_ASSOCIATED_ICON_BROWSE, 0);
        // A fault inside the command is turned into an exception that leaves through here.
        commandReturned = true;
    };
    // The quit ends the program before the script could look at the closed dialog.
    RunOptions(fixture, script);
    EXPECT_TRUE(g_pickerRan);
    EXPECT_TRUE(commandReturned) << "the picked icon went into the ended dialog";
    EXPECT_FALSE(fixture.WatchdogFired()) << "Exit did not end the program";
    EXPECT_EQ(nullptr, FindOptionsDialog());
    WCHAR program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    EXPECT_EQ(std::wstring::npos, ReadUtf16File(fixture.File(L"FoldersOptions.ini")).find(program))
        << "Exit is a Cancel: the picked icon is not saved";
}

// Windows sends WM_DPICHANGED from inside SetWindowPos when a move crosses to a monitor of another
// scale, which the dialog's own placement may do before its tree exists.
bool g_dpiSent = false;

LRESULT CALLBACK ChangeDpiBeforeTheTree(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    COptionsUI* options = code == HC_ACTION ? COptionsUI::FromWindow(call->hwnd) : nullptr;
    if (!g_dpiSent && options && call->hwnd == options->Handle() && call->message == WM_WINDOWPOSCHANGED &&
        !TreeView_GetCount(GetDlgItem(call->hwnd, IDC_OPTIONS_TREE))) {
        g_dpiSent = true;
        RECT rect = {};
        GetWindowRect(call->hwnd, &rect);
        rect.right = rect.left + (rect.right - rect.left) * 3 / 2;
        rect.bottom = rect.top + (rect.bottom - rect.top) * 3 / 2;
        SendMessageW(call->hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&rect));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(OptionsDialogEdges, ADpiChangeBeforeTheTreeExistsScalesWhatComesAfter) {
    fixture.Configure(kThreeMenuItems);
    g_dpiSent = false;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, ChangeDpiBeforeTheTree, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        int treeImage = 0, height = 0;
        ImageList_GetIconSize(TreeView_GetImageList(GetDlgItem(dialog, IDC_OPTIONS_TREE), TVSIL_NORMAL), &treeImage,
                              &height);
        EXPECT_EQ(24, treeImage) << "the tree made after the change takes its images at 144 DPI";
        LOGFONTW font = {};
        GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, IDOK, WM_GETFONT, 0, 0)), sizeof(font), &font);
        EXPECT_EQ(-MulDiv(8, 144, 72), font.lfHeight);
        RECT page = ChildRect(dialog, GetDlgItem(dialog, IDC_APPLICATION_GROUP));
        RECT typeGroup = ChildRect(dialog, GetDlgItem(dialog, IDC_SHORTCUT_TYPE_GROUP));
        EXPECT_TRUE(page.left == typeGroup.left && page.top == typeGroup.top)
            << "the pages are moved where the scaled item page begins";
        RECT client = {}, ok = ChildRect(dialog, GetDlgItem(dialog, IDOK));
        GetClientRect(dialog, &client);
        EXPECT_TRUE(ok.right <= client.right && ok.bottom <= client.bottom)
            << "the dialog took the size the change suggested";
        Click(dialog, IDCANCEL);
    };
    EXPECT_TRUE(RunOptions(fixture, script));
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(g_dpiSent);
}

// A hook sees only keys that come through the input queue: real key presses, in front. The item
// toolbar takes no focus; from the tree, Ctrl+Up and Ctrl+Down move, Insert adds and Delete removes.
// In the Hot Key edit a modifier alone or a key without one is no hotkey; Tab and the other
// controls are left alone. Enter and Esc still press OK and Cancel from the edit; OK saves and
// registers the key shown there.
TEST(OptionsDialogKeyboard, TheTreeAndTheHotKeyEditTakeRealKeysAndEnterOrEscEndTheDialog) {
    WCHAR name[64] = L"";
    GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW('F', MAPVK_VK_TO_VSC) << 16), name, 64);
    for (WORD ending : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(ending == VK_RETURN ? "Enter" : "Esc");
        ApplicationFixture run;
        run.Configure(kThreeMenuItems);
        std::wstring captured;
        DialogScript script;
        script.inDialog = [&](HWND dialog) {
            Select(dialog, {1, 2}); // A, the last node
            SetForegroundWindow(dialog);
            SetFocus(GetDlgItem(dialog, IDC_OPTIONS_TREE));
            SendKeys({VK_CONTROL, VK_UP});
        };
        script.laterSteps = {[&](HWND dialog) {
                                 EXPECT_EQ(L"A", NodeText(dialog, {1, 1})) << "A moved up";
                                 SendKeys({VK_INSERT});
                             },
                             [&](HWND dialog) {
                                 EXPECT_TRUE(Page(dialog, {1, 3}) && !Page(dialog, {1, 4})) << "one added";
                                 SendKeys({VK_DELETE});
                             },
                             [&](HWND dialog) {
                                 EXPECT_TRUE(Page(dialog, {1, 2}) && !Page(dialog, {1, 3})) << "one removed";
                                 Select(dialog, {1, 0});          // C
                                 Click(dialog, IDC_TYPE_BROWSER); // enables the hot corner edits
                                 Select(dialog, {1, 0, 0});
                                 SetFocus(GetDlgItem(dialog, IDC_HOT_KEY));
                                 SendKeys({VK_CONTROL, VK_MENU, 'F'});
                             },
                             [&](HWND dialog) {
                                 captured = Text(dialog, IDC_HOT_KEY);
                                 SendKeys({VK_CONTROL});
                             },
                             [&](HWND dialog) {
                                 EXPECT_EQ(captured, Text(dialog, IDC_HOT_KEY)) << "Ctrl alone";
                                 SendKeys({VK_F5});
                             },
                             [&](HWND dialog) {
                                 EXPECT_EQ(L"", Text(dialog, IDC_HOT_KEY)) << "a key without modifier shows nothing";
                                 SendKeys({VK_CONTROL, VK_MENU, 'G'});
                             },
                             [&](HWND) { SendKeys({VK_TAB}); },
                             [&](HWND dialog) {
                                 EXPECT_NE(GetDlgItem(dialog, IDC_HOT_KEY), GetFocus())
                                     << "Tab leaves the Hot Key edit";
                                 SetFocus(GetDlgItem(dialog, IDC_HOT_CORNER_WIDTH));
                                 SendKeys({'7'});
                             },
                             [&](HWND dialog) {
                                 EXPECT_NE(std::wstring::npos, Text(dialog, IDC_HOT_CORNER_WIDTH).find(L'7'))
                                     << "other controls type as usual";
                                 SetFocus(GetDlgItem(dialog, IDC_HOT_KEY));
                                 SendKeys({ending});
                             }};
        script.afterDialog = [&] {
            const auto& items = run.application.m_folders;
            auto item =
                std::find_if(items.begin(), items.end(), [](auto* each) { return _wcsicmp(each->Path, L"C") == 0; });
            ASSERT_NE(items.end(), item);
            EXPECT_EQ(ending == VK_RETURN ? UINT(MOD_ALT | MOD_CONTROL) : 0u, (*item)->HotKeyModifier);
            EXPECT_EQ(ending == VK_RETURN ? UINT('G') : 0u, (*item)->HotKeyVirtualKey);
            // Taken by the rebuilt item C after Enter; the program registers only what the item stores.
            BOOL free = RegisterHotKey(nullptr, 1, MOD_ALT | MOD_CONTROL, 'G');
            EXPECT_EQ(ending == VK_RETURN ? DWORD(ERROR_HOTKEY_ALREADY_REGISTERED) : 0u, free ? 0u : GetLastError());
            if (free)
                UnregisterHotKey(nullptr, 1);
        };
        EXPECT_TRUE(RunOptions(run, script)) << "the key did not end the dialog";
        EXPECT_EQ(std::wstring(L"ALT + CTRL + ") + name, captured);
    }
}

// A name given to a Multiple Folders Menu survives a change of language; an unnamed one is
// called by the type's name in the new language.
TEST_F(OptionsDialogEdges, ALanguageChangeKeepsTheNamesOfMultipleFoldersMenus) {
    fixture.Configure(L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=3\r\n"
                      L"[Folders_1]\r\nFolderPresentationType=3\r\nDisplayName=Work folders\r\n");
    CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
    WriteUtf16File(fixture.File(L"Languages\\Zulu.ini"), L"[Language]\r\nMultipleFoldersMenu=Amafolda\r\n");
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        Pick(dialog, IDC_LANGUAGE, ComboBox_FindStringExact(GetDlgItem(dialog, IDC_LANGUAGE), -1, L"Zulu"));
        EXPECT_EQ(L"Work folders", NodeText(dialog, {1, 0})); // newest first
        EXPECT_EQ(L"Amafolda", NodeText(dialog, {1, 1}));
        Click(dialog, IDCANCEL);
    };
    EXPECT_TRUE(RunOptions(fixture, script));
}

// A configuration file that cannot be written keeps the dialog open with the edit in it and
// names the file; once it can be written, OK saves.
TEST_F(OptionsDialogEdges, OkIntoAReadOnlyFileNamesItAndKeepsTheDialogOpen) {
    fixture.Configure(kThreeMenuItems);
    const std::wstring folders = fixture.File(L"FoldersOptions.ini");
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        Select(dialog, {1, 0, 1}); // C, File Filters
        Type(dialog, IDC_INCLUSION_FILTERS, L"*.kept");
        SetFileAttributesW(folders.c_str(), FILE_ATTRIBUTE_READONLY);
        {
            DialogScriptDriver driver({DialogScriptDriver::Press(IDOK)}, GetCurrentProcessId(), {dialog});
            Click(dialog, IDOK); // the box's loop runs in here while the driver answers it
            std::wstring boxes = DescribeDialogs(driver.Finish());
            EXPECT_NE(std::wstring::npos, boxes.find(folders)) << std::string(boxes.begin(), boxes.end());
        }
        EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
        EXPECT_EQ(L"*.kept", Text(dialog, IDC_INCLUSION_FILTERS));
        SetFileAttributesW(folders.c_str(), FILE_ATTRIBUTE_NORMAL);
        Click(dialog, IDOK);
    };
    EXPECT_TRUE(RunOptions(fixture, script));
    SetFileAttributesW(folders.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(std::wstring::npos, ReadUtf16File(folders).find(L"InclusionFilters=*.kept")) << "the second OK saved";
}

} // namespace
