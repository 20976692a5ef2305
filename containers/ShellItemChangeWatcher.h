#pragma once
#include <windows.h>
#include <shlobj.h>

// The message a folder registered through RegisterPath arrives with.
const UINT WM_SHELL_ITEM_CHANGE = WM_APP + 1234;
// Sources and events every registration asks the shell for.
const int kShellChangeSources = SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery;
// Also a change of file associations, after which files may show other icons.
const LONG kShellChangeEvents = 0x257FF | SHCNE_ASSOCCHANGED;

// Receives the shell's change notifications for one registered folder (and, when recursive, its
// subfolders) and turns each into OnShellItemChange. One registration at a time; it ends when
// the object is destroyed.
class IShellItemChangeWatcher {
public:
    IShellItemChangeWatcher() : m_changeRegistration(0) {}
    virtual ~IShellItemChangeWatcher() { Deregister(); }
    IShellItemChangeWatcher(const IShellItemChangeWatcher&) = delete;
    IShellItemChangeWatcher& operator=(const IShellItemChangeWatcher&) = delete;

    // The paths are empty when the notification names no such item or it has no file system path.
    virtual void OnShellItemChange(LONG event, LPCWSTR firstPath, LPCWSTR secondPath) = 0;

    // A path that does not parse returns the parse error and keeps an earlier registration.
    HRESULT RegisterPath(LPCWSTR path, HWND window, BOOL recursive, UINT message = WM_SHELL_ITEM_CHANGE);
    HRESULT RegisterIdList(PCIDLIST_ABSOLUTE idList, HWND window, UINT message, BOOL recursive);
    // For the window procedure that receives the registration's message.
    void HandleNotification(WPARAM wParam, LPARAM lParam);
    void Deregister();
    ULONG GetRegistration() const { return m_changeRegistration; }

protected:
    ULONG m_changeRegistration;
};
