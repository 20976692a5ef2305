#include "containers/NotifyIcon.h"

#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct ShellCall {
    DWORD message;
    HWND window;
    UINT identifier;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    std::wstring tooltip;
    BOOL result;
};

// Records every shell call of the tray icons and passes it on to the real notification area,
// unless a test plays a notification area that is not there yet.
class ShellCallRecorder {
public:
    ShellCallRecorder() : m_real(CNotifyIcon::s_shellNotifyIcon) {
        s_active = this;
        CNotifyIcon::s_shellNotifyIcon = Record;
    }
    ~ShellCallRecorder() {
        CNotifyIcon::s_shellNotifyIcon = m_real;
        s_active = nullptr;
    }

    std::vector<ShellCall> Calls(DWORD message) const {
        std::vector<ShellCall> matching;
        for (const ShellCall& call : m_calls)
            if (call.message == message)
                matching.push_back(call);
        return matching;
    }
    BOOL RealShell(DWORD message, NOTIFYICONDATAW data) const { return m_real(message, &data); }

    std::vector<ShellCall> m_calls;
    BOOL m_trayMissing = FALSE;

private:
    static BOOL WINAPI Record(DWORD message, PNOTIFYICONDATAW data) {
        ShellCallRecorder* self = s_active;
        BOOL result = self->m_trayMissing ? FALSE : self->m_real(message, data);
        self->m_calls.push_back(
            {message, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage, data->hIcon, data->szTip, result});
        return result;
    }

    static ShellCallRecorder* s_active;
    CNotifyIcon::ShellNotifyIconFunction m_real;
};

ShellCallRecorder* ShellCallRecorder::s_active = nullptr;

enum Click { LeftClick, RightClick, DoubleClick };

struct RecordingSink : CNotifyIconEventsBase {
    BOOL OnNotifyIconLeftClick(CNotifyIcon* icon, POINT cursor) override { return Note(LeftClick, icon, cursor); }
    BOOL OnNotifyIconRightClick(CNotifyIcon* icon, POINT cursor) override { return Note(RightClick, icon, cursor); }
    BOOL OnNotifyIconDoubleClick(CNotifyIcon* icon, POINT cursor) override { return Note(DoubleClick, icon, cursor); }
    BOOL Note(Click click, CNotifyIcon* icon, POINT cursor) {
        clicks.push_back(click);
        icons.push_back(icon);
        lastCursor = cursor;
        return result;
    }
    std::vector<Click> clicks;
    std::vector<CNotifyIcon*> icons;
    POINT lastCursor = {-1, -1};
    BOOL result = FALSE;
};

BOOL CALLBACK CollectIconWindow(HWND window, LPARAM windows) {
    WCHAR className[64] = {};
    GetClassNameW(window, className, ARRAYSIZE(className));
    if (lstrcmpW(className, L"CNotifyIcon_CLASSEX") == 0)
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::vector<HWND> IconWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectIconWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindIconWindow(CNotifyIcon* icon) {
    for (HWND window : IconWindows())
        if (GetPropW(window, L"CNotifyIcon_MARKER_PROP_NAME") == icon)
            return window;
    return nullptr;
}

// What the shell sends: the icon's identifier and the mouse message.
void SendMouse(CNotifyIcon* icon, UINT mouseMessage) {
    SendMessageW(FindIconWindow(icon), 0x401, icon->m_notifyIconData.uID, mouseMessage);
}

class NotifyIconTest : public ::testing::Test {
protected:
    NotifyIconTest() {
        m_icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 16, 16, 0));
    }
    ~NotifyIconTest() override {
        EXPECT_TRUE(IconWindows().empty()) << "every icon window is destroyed with its icon";
        DestroyIcon(m_icon);
    }

    std::unique_ptr<CNotifyIcon> MakeIcon(UINT identifier, LPCWSTR tooltip, INotifyIconEvents* sink, HICON icon) {
        std::unique_ptr<CNotifyIcon> notifyIcon(
            new CNotifyIcon(GetModuleHandleW(nullptr), sink, icon, identifier, tooltip));
        EXPECT_TRUE(notifyIcon->Create());
        return notifyIcon;
    }

    ShellCallRecorder m_shell;
    HICON m_icon;
};

TEST_F(NotifyIconTest, CreatesAHiddenWindowAndShowsTheIconOnlyWhenAdded) {
    ASSERT_NE(nullptr, m_icon);
    auto icon = MakeIcon(7, L"Projects", nullptr, m_icon);
    HWND window = FindIconWindow(icon.get());
    ASSERT_NE(nullptr, window) << "the window carries the object as its property";
    EXPECT_EQ(icon->m_hWnd, window);
    EXPECT_EQ(window, icon->m_notifyIconData.hWnd);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(968u, icon->m_notifyIconData.cbSize);
    EXPECT_EQ(3u, icon->m_notifyIconData.uVersion);
    EXPECT_TRUE(m_shell.m_calls.empty()) << "creating does not show the icon";

    auto noIcon = MakeIcon(8, L"No icon", nullptr, nullptr);
    EXPECT_FALSE(noIcon->Add());
    EXPECT_TRUE(m_shell.m_calls.empty());

    EXPECT_TRUE(icon->Add());
    EXPECT_TRUE(icon->Add()) << "already shown";
    ASSERT_EQ(1u, m_shell.m_calls.size());
    const ShellCall& add = m_shell.m_calls[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.flags);
    EXPECT_EQ(7u, add.identifier);
    EXPECT_EQ(0x401u, add.callbackMessage);
    EXPECT_EQ(L"Projects", add.tooltip);
    EXPECT_TRUE(m_shell.Calls(NIM_SETVERSION).empty()) << "the version is never announced";
}

TEST_F(NotifyIconTest, TooltipKeepsTheFirst127Characters) {
    std::wstring longName(200, L'x');
    longName.replace(0, 5, L"Start");
    EXPECT_EQ(longName.substr(0, 127), MakeIcon(1, longName.c_str(), nullptr, m_icon)->m_notifyIconData.szTip);

    std::wstring exact(127, L'y');
    EXPECT_EQ(exact, MakeIcon(2, exact.c_str(), nullptr, m_icon)->m_notifyIconData.szTip);

    std::wstring emojiAtCut = std::wstring(126, L'z') + L"\xD83D\xDCC1";
    EXPECT_EQ(std::wstring(126, L'z'), MakeIcon(3, emojiAtCut.c_str(), nullptr, m_icon)->m_notifyIconData.szTip)
        << "half a surrogate pair is dropped, not shown";
}

TEST_F(NotifyIconTest, DoubleClickReportsLeftClickThenDoubleClickAndSwallowsTheSecondButtonUp) {
    RecordingSink sink;
    auto icon = MakeIcon(1, L"Music", &sink, m_icon);
    POINT cursor = {};
    GetCursorPos(&cursor);
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP})
        SendMouse(icon.get(), mouse);
    EXPECT_EQ((std::vector<Click>{LeftClick, DoubleClick, LeftClick}), sink.clicks)
        << "only the button-up right after the double click is swallowed";
    EXPECT_EQ((std::vector<CNotifyIcon*>(3, icon.get())), sink.icons);
    EXPECT_EQ(cursor.x, sink.lastCursor.x);
    EXPECT_EQ(cursor.y, sink.lastCursor.y);
}

TEST_F(NotifyIconTest, RightClicksReachTheSinkAndANonzeroResultGivesTheFocusBack) {
    RecordingSink sink;
    auto icon = MakeIcon(4, L"Pictures", &sink, m_icon);
    for (UINT mouse : {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU})
        SendMouse(icon.get(), mouse);
    EXPECT_EQ((std::vector<Click>{RightClick, RightClick}), sink.clicks);
    EXPECT_TRUE(m_shell.Calls(NIM_SETFOCUS).empty()) << "the sink answered 0";

    sink.result = TRUE;
    icon->m_notifyIconData.uFlags = NIF_INFO;
    SendMouse(icon.get(), WM_LBUTTONUP);
    std::vector<ShellCall> focus = m_shell.Calls(NIM_SETFOCUS);
    ASSERT_EQ(1u, focus.size());
    EXPECT_EQ(4u, focus[0].identifier);
    EXPECT_EQ(0u, focus[0].flags);
}

// An owner that ends its icon from the click, as the Exit command of a menu loop may.
struct DestroyingSink : CNotifyIconEventsBase {
    BOOL OnNotifyIconLeftClick(CNotifyIcon* icon, POINT) override {
        icon->Destroy();
        return TRUE;
    }
};

TEST_F(NotifyIconTest, AnIconDestroyedByItsSinkIsNotTouchedAfterTheClick) {
    DestroyingSink sink;
    CNotifyIcon* icon = MakeIcon(5, L"Temp", &sink, m_icon).release();
    HWND window = icon->m_hWnd;
    SendMessageW(window, 0x401, 5, WM_LBUTTONUP);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(m_shell.Calls(NIM_SETFOCUS).empty()) << "no focus call with the freed icon's data";
}

TEST_F(NotifyIconTest, WithoutASinkADoubleClickStillSwallowsTheNextButtonUp) {
    auto icon = MakeIcon(1, L"Downloads", nullptr, m_icon);
    SendMouse(icon.get(), WM_LBUTTONUP);
    SendMouse(icon.get(), WM_LBUTTONDBLCLK);
    RecordingSink sink;
    icon->m_pEvents = &sink;
    SendMouse(icon.get(), WM_LBUTTONUP);
    EXPECT_TRUE(sink.clicks.empty()) << "the double click without a sink still marked the button-up";
    SendMouse(icon.get(), WM_LBUTTONUP);
    EXPECT_EQ(std::vector<Click>{LeftClick}, sink.clicks);
}

TEST_F(NotifyIconTest, CallbacksAreIgnoredUnlessThePropertyNamesAnIconOfThisWindow) {
    RecordingSink firstSink, secondSink;
    auto first = MakeIcon(1, L"First", &firstSink, m_icon);
    auto second = MakeIcon(2, L"Second", &secondSink, m_icon);
    HWND window = first->m_hWnd;

    SetPropW(window, L"CNotifyIcon_MARKER_PROP_NAME", second.get());
    SendMessageW(window, 0x401, 1, WM_LBUTTONUP);
    RemovePropW(window, L"CNotifyIcon_MARKER_PROP_NAME");
    SendMessageW(window, 0x401, 1, WM_LBUTTONUP);
    EXPECT_TRUE(firstSink.clicks.empty());
    EXPECT_TRUE(secondSink.clicks.empty());

    SetPropW(window, L"CNotifyIcon_MARKER_PROP_NAME", first.get());
    SendMessageW(window, 0x401, 1, WM_LBUTTONUP);
    EXPECT_EQ(std::vector<Click>{LeftClick}, firstSink.clicks) << "the same message once the property is right";
}

TEST_F(NotifyIconTest, TaskbarCreatedAddsShownIconsAgainWithTheSameIdentifierIconAndTooltip) {
    auto shown = MakeIcon(11, L"Documents", nullptr, m_icon);
    ASSERT_TRUE(shown->Add());
    shown->m_notifyIconData.uFlags = NIF_INFO;
    lstrcpyW(shown->m_notifyIconData.szInfo, L"The folder was not found");
    EXPECT_TRUE(shown->Modify());

    auto failed = MakeIcon(12, L"Desktop", nullptr, m_icon);
    m_shell.m_trayMissing = TRUE;
    EXPECT_FALSE(failed->Add());
    m_shell.m_trayMissing = FALSE;
    auto neverAdded = MakeIcon(13, L"Videos", nullptr, m_icon);

    // A restarted shell has lost every icon.
    ASSERT_TRUE(m_shell.RealShell(NIM_DELETE, shown->m_notifyIconData));
    m_shell.m_calls.clear();
    UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    for (HWND window : IconWindows())
        SendMessageW(window, taskbarCreated, 0, 0);

    ASSERT_EQ(1u, m_shell.m_calls.size()) << "only the icon that was shown comes back";
    const ShellCall& add = m_shell.m_calls[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    EXPECT_EQ(shown->m_hWnd, add.window);
    EXPECT_EQ(11u, add.identifier);
    EXPECT_EQ(m_icon, add.icon);
    EXPECT_EQ(L"Documents", add.tooltip);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.flags) << "the old balloon is not shown again";
    EXPECT_TRUE(add.result);
    EXPECT_TRUE(shown->m_shown);
    EXPECT_FALSE(failed->m_shown);
    EXPECT_FALSE(neverAdded->m_shown);

    shown.reset();
    std::vector<ShellCall> deletes = m_shell.Calls(NIM_DELETE);
    ASSERT_EQ(1u, deletes.size());
    EXPECT_TRUE(deletes[0].result) << "the shell knew the icon again";
}

LRESULT CALLBACK NotePropertyAtDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR propertyLeft) {
    if (message == WM_DESTROY)
        *reinterpret_cast<BOOL*>(propertyLeft) = GetPropW(window, L"CNotifyIcon_MARKER_PROP_NAME") != nullptr;
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, NotePropertyAtDestroy, 1);
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(NotifyIconTest, DestroyRemovesTheIconPropertyAndWindowButKeepsTheIconHandle) {
    CNotifyIcon* icon = MakeIcon(21, L"Music", nullptr, m_icon).release();
    ASSERT_TRUE(icon->Add());
    HWND window = icon->m_hWnd;
    BOOL propertyLeft = TRUE;
    ASSERT_TRUE(SetWindowSubclass(window, NotePropertyAtDestroy, 1, reinterpret_cast<DWORD_PTR>(&propertyLeft)));

    icon->Destroy();
    std::vector<ShellCall> deletes = m_shell.Calls(NIM_DELETE);
    ASSERT_EQ(1u, deletes.size());
    EXPECT_EQ(21u, deletes[0].identifier);
    EXPECT_TRUE(deletes[0].result);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(propertyLeft) << "the property is removed before the window goes";
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(m_icon, &info)) << "the icon handle belongs to the owner";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    MakeIcon(22, L"Hidden", nullptr, m_icon).reset();
    EXPECT_EQ(1u, m_shell.Calls(NIM_DELETE).size()) << "an icon never shown is not deleted from the shell";
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"CNotifyIcon_CLASSEX", &windowClass));
}

} // namespace
