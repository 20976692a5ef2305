#include "containers/ShellItemChangeWatcher.h"

namespace {

void PathOfIdList(PCIDLIST_ABSOLUTE idList, LPWSTR path) {
    path[0] = L'\0';
    if (idList && !SHGetPathFromIDListW(idList, path))
        path[0] = L'\0';
}

} // namespace

HRESULT IShellItemChangeWatcher::RegisterPath(LPCWSTR path, HWND window, BOOL recursive) {
    IShellFolder* desktop = nullptr;
    HRESULT result = SHGetDesktopFolder(&desktop);
    if (FAILED(result))
        return result;
    PIDLIST_RELATIVE idList = nullptr;
    result = desktop->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(path), nullptr, &idList, nullptr);
    desktop->Release();
    if (FAILED(result))
        return result;
    result = RegisterIdList(reinterpret_cast<PCIDLIST_ABSOLUTE>(idList), window, WM_SHELL_ITEM_CHANGE, recursive);
    ILFree(idList);
    return result;
}

HRESULT IShellItemChangeWatcher::RegisterIdList(PCIDLIST_ABSOLUTE idList, HWND window, UINT message, BOOL recursive) {
    Deregister();
    SHChangeNotifyEntry entry = {idList, recursive};
    m_changeRegistration = SHChangeNotifyRegister(window, kShellChangeSources, kShellChangeEvents, message, 1, &entry);
    return m_changeRegistration ? S_OK : E_FAIL;
}

void IShellItemChangeWatcher::HandleNotification(WPARAM wParam, LPARAM lParam) {
    PIDLIST_ABSOLUTE* idLists = nullptr;
    LONG event = 0;
    HANDLE lock =
        SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam), &idLists, &event);
    if (!lock)
        return;
    WCHAR firstPath[MAX_PATH];
    WCHAR secondPath[MAX_PATH];
    PathOfIdList(idLists ? idLists[0] : nullptr, firstPath);
    PathOfIdList(idLists ? idLists[1] : nullptr, secondPath);
    OnShellItemChange(event, firstPath, secondPath);
    SHChangeNotification_Unlock(lock);
}

void IShellItemChangeWatcher::Deregister() {
    if (m_changeRegistration)
        SHChangeNotifyDeregister(m_changeRegistration);
    m_changeRegistration = 0;
}
