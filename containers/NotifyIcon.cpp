#include "containers/NotifyIcon.h"

#include "lib/WindowLink.h"

const UINT WM_TASKBAR_CREATED = RegisterWindowMessageW(L"TaskbarCreated");
const WCHAR kNotifyIconClassName[] = L"CNotifyIcon_CLASSEX";
const WCHAR kNotifyIconPropertyName[] = L"CNotifyIcon_MARKER_PROP_NAME";

CNotifyIcon::ShellNotifyIconFunction CNotifyIcon::s_shellNotifyIcon = Shell_NotifyIconW;

namespace {

// The layout without the balloon icon handle, which the program never sets; every shell since
// Windows XP accepts it.
const DWORD kNotifyIconDataSize = NOTIFYICONDATAW_V3_SIZE;
// The folder menu container keeps its refresh timer (2345) on the same window.
const UINT_PTR kAddRetryTimer = 1;
#ifdef _WIN64
static_assert(kNotifyIconDataSize == 968, "the tray data layout of 64-bit Windows");
#endif

void CopyTooltip(WCHAR* tooltip, size_t capacity, LPCWSTR text) {
    lstrcpynW(tooltip, text ? text : L"", static_cast<int>(capacity));
    size_t length = lstrlenW(tooltip);
    // A cut between the halves of a surrogate pair would leave the shell half a character.
    if (length == capacity - 1 && IS_HIGH_SURROGATE(tooltip[length - 1]))
        tooltip[length - 1] = L'\0';
}

} // namespace

CNotifyIcon::CNotifyIcon(HINSTANCE instance, INotifyIconEvents* events, HICON icon, UINT identifier, LPCWSTR tooltip)
    : m_hInstance(instance), m_hWnd(nullptr), m_shown(FALSE), m_doubleClickPending(FALSE), m_pEvents(events),
      m_notifyIconData(), m_addAttemptsLeft(0) {
    m_notifyIconData.cbSize = kNotifyIconDataSize;
    m_notifyIconData.uID = identifier;
    m_notifyIconData.uCallbackMessage = WM_NOTIFY_ICON_CALLBACK;
    m_notifyIconData.hIcon = icon;
    CopyTooltip(m_notifyIconData.szTip, ARRAYSIZE(m_notifyIconData.szTip), tooltip);
    // Stored but never announced with NIM_SETVERSION: the shell then keeps sending the classic
    // mouse messages as the callback's lParam, which the window procedure expects.
    m_notifyIconData.uVersion = NOTIFYICON_VERSION;
}

CNotifyIcon::~CNotifyIcon() {
    if (m_shown) {
        m_shown = FALSE;
        s_shellNotifyIcon(NIM_DELETE, &m_notifyIconData);
    }
    if (!m_hWnd)
        return;
    UnlinkWindowObject(m_hWnd, kNotifyIconPropertyName);
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CNotifyIcon::RegisterWindowClass() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(m_hInstance, kNotifyIconClassName, &windowClass))
        return TRUE;
    windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = m_hInstance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kNotifyIconClassName;
    return RegisterClassExW(&windowClass) != 0;
}

BOOL CNotifyIcon::Create() {
    if (m_hWnd)
        return TRUE;
    if (!RegisterWindowClass())
        return FALSE;
    // A top-level window, not a message-only one: only top-level windows hear the shell's
    // "TaskbarCreated" broadcast.
    HWND window = CreateWindowExW(0, kNotifyIconClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, m_hInstance, this);
    if (!window)
        return FALSE;
    m_hWnd = window;
    m_notifyIconData.hWnd = window;
    // An elevated process would otherwise never hear the broadcast of the unelevated shell.
    ChangeWindowMessageFilterEx(window, WM_TASKBAR_CREATED, MSGFLT_ALLOW, nullptr);
    return LinkedWindowObject<CNotifyIcon>(window, kNotifyIconPropertyName) == this;
}

BOOL CNotifyIcon::Add() {
    if (m_shown)
        return TRUE;
    if (!m_notifyIconData.hIcon || !m_hWnd)
        return FALSE;
    m_notifyIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_shown = s_shellNotifyIcon(NIM_ADD, &m_notifyIconData);
    return m_shown;
}

BOOL CNotifyIcon::AddWithRetries(int attempts, DWORD intervalMs) {
    if (Add())
        return TRUE;
    m_addAttemptsLeft = attempts - 1;
    // A timer, not a wait: the thread serves every other item's clicks and hotkeys meanwhile. It
    // ends with the window, so an icon destroyed first is not tried again.
    if (m_addAttemptsLeft > 0 && m_hWnd)
        SetTimer(m_hWnd, kAddRetryTimer, intervalMs, nullptr);
    return FALSE;
}

void CNotifyIcon::OnAddRetryTimer() {
    --m_addAttemptsLeft;
    if (Add() || m_addAttemptsLeft <= 0) {
        KillTimer(m_hWnd, kAddRetryTimer);
        m_addAttemptsLeft = 0;
    }
}

BOOL CNotifyIcon::Modify() {
    if (!m_shown)
        return FALSE;
    return s_shellNotifyIcon(NIM_MODIFY, &m_notifyIconData);
}

BOOL CNotifyIcon::ReturnFocus() {
    m_notifyIconData.uFlags = 0;
    return s_shellNotifyIcon(NIM_SETFOCUS, &m_notifyIconData);
}

// The linked icon, unless it is not (or not yet) the icon of this window.
CNotifyIcon* CNotifyIcon::FromLink(CNotifyIcon* notifyIcon, HWND window) {
    if (!notifyIcon || notifyIcon->m_notifyIconData.hWnd != window)
        return nullptr;
    return notifyIcon;
}

// Compares addresses only: the icon may have been deleted while the sink ran.
BOOL CNotifyIcon::StillOwns(CNotifyIcon* notifyIcon, HWND window) {
    return IsWindow(window) && LinkedWindowObject<CNotifyIcon>(window, kNotifyIconPropertyName) == notifyIcon;
}

void CNotifyIcon::OnCallback(HWND window, UINT mouseMessage) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    BOOL giveFocusBack = FALSE;
    switch (mouseMessage) {
        case WM_LBUTTONUP: {
            // The shell follows a double click with one more button-up, which is not a click.
            BOOL swallow = m_doubleClickPending;
            m_doubleClickPending = FALSE;
            if (!swallow && m_pEvents)
                giveFocusBack = m_pEvents->OnNotifyIconLeftClick(this, cursor);
            break;
        }
        case WM_LBUTTONDBLCLK:
            m_doubleClickPending = TRUE;
            if (m_pEvents)
                giveFocusBack = m_pEvents->OnNotifyIconDoubleClick(this, cursor);
            break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
            if (m_pEvents)
                giveFocusBack = m_pEvents->OnNotifyIconRightClick(this, cursor);
            break;
        default:
            return;
    }
    // The sink may have run a menu or dialog loop in which the owner deleted this icon.
    if (giveFocusBack && StillOwns(this, window))
        ReturnFocus();
}

void CNotifyIcon::OnTaskbarCreated() {
    if (!m_shown)
        return;
    // The new notification area starts empty, so the icon is no longer there.
    m_shown = FALSE;
    Add();
}

LRESULT CALLBACK CNotifyIcon::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CNotifyIcon* notifyIcon =
        FromLink(LinkWindowObject<CNotifyIcon>(window, message, lParam, kNotifyIconPropertyName), window);
    if (message == WM_NOTIFY_ICON_CALLBACK) {
        if (notifyIcon)
            notifyIcon->OnCallback(window, LOWORD(lParam));
        return 0;
    }
    if (message == WM_TIMER && wParam == kAddRetryTimer) {
        if (notifyIcon)
            notifyIcon->OnAddRetryTimer();
        return 0;
    }
    if (message == WM_TASKBAR_CREATED && WM_TASKBAR_CREATED != 0 && notifyIcon)
        notifyIcon->OnTaskbarCreated();
    // A property left on a destroyed window would never be freed.
    if (message == WM_NCDESTROY)
        UnlinkWindowObject(window, kNotifyIconPropertyName);
    return DefWindowProcW(window, message, wParam, lParam);
}
