#include "browser/ShellBrowserEx.h"

#include <commctrl.h>
#include <shellapi.h>

#include "lib/ShellLaunch.h"
#include "lib/StringCopy.h"

namespace {

// ShellExecuteExW reports success with an instance value above this.
const INT_PTR LastFailingInstance = 32;

// Keeps the list view's own style but for the single selection it has during a click.
class CSingleSelection {
public:
    explicit CSingleSelection(HWND listView) : m_listView(listView), m_style(GetWindowLongW(listView, GWL_STYLE)) {
        SetWindowLongW(listView, GWL_STYLE, m_style | LVS_SINGLESEL);
    }
    ~CSingleSelection() { SetWindowLongW(m_listView, GWL_STYLE, m_style); }
    CSingleSelection(const CSingleSelection&) = delete;
    CSingleSelection& operator=(const CSingleSelection&) = delete;

private:
    HWND m_listView;
    LONG m_style;
};

} // namespace

LRESULT CALLBACK CShellBrowserEx::ListViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                    DWORD_PTR self) {
    CShellBrowserEx* browser = reinterpret_cast<CShellBrowserEx*>(self);
    switch (message) {
        // The shell resets the colours on every refresh and mode change; only ours get through.
        case LVM_SETBKCOLOR:
        case LVM_SETTEXTCOLOR:
        case LVM_SETTEXTBKCOLOR:
            if (!browser->m_settingColors)
                return 1;
            break;
        case LVM_SETBKIMAGEA:
        case LVM_SETBKIMAGEW:
            if (!browser->m_settingBackgroundImage)
                return 1;
            break;
        // A tinted sort column would cover the background of our own.
        case LVM_SETSELECTEDCOLUMN:
            if (browser->m_backgroundType != BackgroundShell)
                return 1;
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CShellBrowserEx::ViewWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                      DWORD_PTR self) {
    CShellBrowserEx* browser = reinterpret_cast<CShellBrowserEx*>(self);
    if (message == WM_SETCURSOR && browser->m_oneClickActivate && browser->OnSetCursor())
        return TRUE;
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == LVN_BEGINLABELEDITW || header->code == LVN_BEGINLABELEDITA)
            browser->m_labelEditing = TRUE;
        else if (header->code == LVN_ENDLABELEDITW || header->code == LVN_ENDLABELEDITA)
            browser->m_labelEditing = FALSE;
        else if (header->code == NM_CLICK && browser->m_oneClickActivate && header->hwndFrom == browser->m_listView) {
            int item = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
            if (item >= 0)
                browser->ActivateItem(item);
            // A click on a folder navigated: this view window is destroyed and its own
            // procedure must not see the notification any more.
            if (browser->m_viewWindow != window)
                return 0;
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }
    if (message == WM_COMMAND) {
        for (UINT viewMode = 0; viewMode < ShellBrowserViewModeCount; viewMode++) {
            if (browser->m_viewCommands[viewMode] != static_cast<LONG_PTR>(wParam))
                continue;
            browser->OnViewModeCommand(viewMode, wParam, lParam);
            LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            browser->SetViewMode(viewMode);
            // Wine's list view does not repaint after a mode switch.
            InvalidateRect(browser->m_listView, nullptr, TRUE);
            if (browser->m_viewModeChangedCallback)
                browser->m_viewModeChangedCallback(browser->m_listView, viewMode, browser->m_viewModeChangedContext);
            return result;
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

BOOL CShellBrowserEx::OnSetCursor() {
    LVHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(m_listView, &hit.pt);
    if (SendMessageW(m_listView, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 ||
        !(hit.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON)))
        return FALSE;
    SetCursor(m_handCursor);
    return TRUE;
}

void CShellBrowserEx::ActivateItem(int item) {
    if (OnDefaultCommand(m_view.Get()) == S_OK)
        return;
    CSingleSelection singleSelection(m_listView);
    LVITEMW state = {};
    state.state = LVIS_SELECTED;
    state.stateMask = 0xF;
    SendMessageW(m_listView, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    const CIDA* selection = GetSelectionIdList();
    if (!selection) {
        ReleaseSelectionIdList();
        return;
    }
    PCUITEMID_CHILD child =
        reinterpret_cast<PCUITEMID_CHILD>(reinterpret_cast<const BYTE*>(selection) + selection->aoffset[1]);
    CIdList target(ILCombine(m_location.Get(), child));
    WCHAR arguments[MAX_PATH] = L"", directory[MAX_PATH] = L"";
    int showCommand = SW_SHOWNORMAL;
    CComPtr<IShellLinkW> link;
    if (SUCCEEDED(GetShellLink(child, &link))) {
        link->GetArguments(arguments, MAX_PATH);
        link->GetWorkingDirectory(directory, MAX_PATH);
        link->GetShowCmd(&showCommand);
        CIdList linkTarget;
        if (SUCCEEDED(link->GetIDList(linkTarget.Receive())) && linkTarget)
            target = std::move(linkTarget);
    } else if (!SHGetPathFromIDListW(m_location.Get(), directory)) {
        directory[0] = L'\0';
    }
    ReleaseSelectionIdList();

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST;
    info.hwnd = m_viewWindow;
    info.lpParameters = arguments[0] ? arguments : nullptr;
    info.lpDirectory = directory[0] ? directory : nullptr;
    info.nShow = showCommand;
    info.lpIDList = target.Get();
    ShellExecuteAndActivate(&info);
    if (reinterpret_cast<INT_PTR>(info.hInstApp) <= LastFailingInstance)
        MessageBoxW(nullptr, L"Error Opening File", L"Error", MB_ICONHAND | MB_TOPMOST);
}
