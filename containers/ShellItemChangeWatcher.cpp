#include "containers/ShellItemChangeWatcher.h"

#include "lib/IdList.h"

namespace {

void PathOfIdList(PCIDLIST_ABSOLUTE idList, LPWSTR path) {
    path[0] = L'\0';
    if (idList && !SHGetPathFromIDListW(idList, path))
        path[0] = L'\0';
}

} // namespace

HRESULT IShellItemChangeWatcher::RegisterPath(LPCWSTR path, HWND window, BOOL recursive, UINT message) {
    CIdList idList;
    HRESULT result = SHParseDisplayName(path, nullptr, idList.Receive(), 0, nullptr);
    if (FAILED(result))
        return result;
    return RegisterIdList(idList.Get(), window, message, recursive);
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
