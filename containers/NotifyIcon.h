#pragma once
#include <windows.h>
#include <shellapi.h>

class CNotifyIcon;

// The message every tray icon's window receives from the shell for mouse actions on the icon.
const UINT WM_NOTIFY_ICON_CALLBACK = WM_USER + 1;

// The shell broadcasts "TaskbarCreated" when the notification area is (re)created; registered
// during static initialisation, so before the program creates any window.
extern const UINT WM_TASKBAR_CREATED;

extern const WCHAR kNotifyIconClassName[];
extern const WCHAR kNotifyIconPropertyName[];

// Mouse actions on a tray icon. A nonzero result gives the keyboard focus back to the
// notification area.
class INotifyIconEvents {
public:
    virtual BOOL OnNotifyIconLeftClick(CNotifyIcon* notifyIcon, POINT cursor) = 0;
    virtual BOOL OnNotifyIconRightClick(CNotifyIcon* notifyIcon, POINT cursor) = 0;
    virtual BOOL OnNotifyIconDoubleClick(CNotifyIcon* notifyIcon, POINT cursor) = 0;

protected:
    ~INotifyIconEvents() = default;
};

class CNotifyIconEventsBase : public INotifyIconEvents {
public:
    BOOL OnNotifyIconLeftClick(CNotifyIcon*, POINT) override { return FALSE; }
    BOOL OnNotifyIconRightClick(CNotifyIcon*, POINT) override { return FALSE; }
    BOOL OnNotifyIconDoubleClick(CNotifyIcon*, POINT) override { return FALSE; }

protected:
    ~CNotifyIconEventsBase() = default;
};

// One icon in the notification area with the hidden window that receives its callbacks and
// owns the item's menus. The icon handle stays the caller's.
class CNotifyIcon {
public:
    typedef BOOL(WINAPI* ShellNotifyIconFunction)(DWORD message, PNOTIFYICONDATAW data);

    // Fills the notification data; the tooltip keeps the first 127 characters of the text.
    CNotifyIcon(HINSTANCE instance, INotifyIconEvents* events, HICON icon, UINT identifier, LPCWSTR tooltip);
    // Takes the icon out of the notification area and destroys the window.
    ~CNotifyIcon();
    CNotifyIcon(const CNotifyIcon&) = delete;
    CNotifyIcon& operator=(const CNotifyIcon&) = delete;

    // Creates the hidden window; the icon is not shown yet.
    BOOL Create();
    // Puts the icon into the notification area; TRUE at once when it is there already.
    BOOL Add();
    // Adds the icon now and, while the notification area refuses it, again from a timer on the
    // icon's window, interval apart, up to attempts in all. TRUE when the first attempt succeeded.
    BOOL AddWithRetries(int attempts, DWORD intervalMs);
    // Sends the notification data as the owner has set it (balloons, for instance).
    BOOL Modify();
    void Destroy() { delete this; }

    HINSTANCE m_hInstance;
    HWND m_hWnd;
    BOOL m_shown;
    BOOL m_doubleClickPending;
    INotifyIconEvents* m_pEvents;
    NOTIFYICONDATAW m_notifyIconData;

    // Every call this class makes to the shell goes through here, so tests can watch the calls
    // while the real notification area still answers them.
    static ShellNotifyIconFunction s_shellNotifyIcon;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static CNotifyIcon* FromLink(CNotifyIcon* notifyIcon, HWND window);
    static BOOL StillOwns(CNotifyIcon* notifyIcon, HWND window);
    void OnCallback(HWND window, UINT mouseMessage);
    void OnTaskbarCreated();
    void OnAddRetryTimer();
    BOOL ReturnFocus();
    BOOL RegisterWindowClass();

    int m_addAttemptsLeft;
};
