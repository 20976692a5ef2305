// The box that says a clicked item could not be opened, and when it comes.
#include "BrowserHost.h"
#include "support/DialogScriptDriver.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Raised while the view window handles a click notification, by a subclass above the browser's.
bool g_handlingClick = false;

LRESULT CALLBACK WatchClicks(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != NM_CLICK)
        return DefSubclassProc(window, message, wParam, lParam);
    g_handlingClick = true;
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    g_handlingClick = false;
    return result;
}

// The text of each message box this thread showed, and whether a click was being handled then.
std::vector<std::pair<std::wstring, bool>> g_boxes;

LRESULT CALLBACK RecordBoxes(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        wchar_t text[256] = L"";
        GetDlgItemTextW(call->hwnd, 0xFFFF, text, ARRAYSIZE(text)); // a message box's text control
        g_boxes.push_back({text, g_handlingClick});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class OneClickErrorBox : public BrowserTest<CShellBrowserEx> {};

} // namespace

// The box's own message loop lets the user reach the options and rebuild every browser; the
// click's handler must not be waiting under it with the browser it runs in.
TEST_F(OneClickErrorBox, ComesOnlyAfterTheClickThatFailedWasHandled) {
    m_folders.AddFile(L"plain.unassociated", "x");
    m_browser->SetOneClickActivate(TRUE);
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    HWND viewWindow = m_browser->ViewWindow();
    ASSERT_TRUE(SetWindowSubclass(viewWindow, WatchClicks, 1, 0));
    g_boxes.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, RecordBoxes, nullptr, GetCurrentThreadId());
    DialogScriptDriver driver({DialogScriptDriver::Press(IDOK), DialogScriptDriver::Press(IDOK)});

    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = ListView();
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(ListView()));
    click.hdr.code = NM_CLICK;
    click.iItem = FindListViewItem(ListView(), L"plain.unassociated");
    ASSERT_GE(click.iItem, 0);
    SendMessageW(viewWindow, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    auto ours = [] {
        for (const auto& box : g_boxes)
            if (box.first == L"Error Opening File")
                return &box;
        return static_cast<const std::pair<std::wstring, bool>*>(nullptr);
    };
    PumpUntil([&] { return ours() != nullptr; }, 10000);
    std::vector<DialogScriptDriver::Dialog> dialogs = driver.Finish();
    UnhookWindowsHookEx(hook);
    RemoveWindowSubclass(viewWindow, WatchClicks, 1);
    ASSERT_NE(nullptr, ours()) << DescribeDialogs(dialogs);
    EXPECT_FALSE(ours()->second) << "the box ran its loop inside the click's notification";
}
