#pragma once
#include "containers/ShellBrowserContainerBase.h"
#include "lib/WindowSubclass.h"

#include <string>
#include <vector>

// The container of a "Browser" item on Windows XP. Its view does not ask for the items' texts in
// a way that tells when an item stands where it will stay, so it counts the items the view
// inserts and the ones it displays, and puts all icons back at once when the two meet.
class CShellBrowserContainerXP : public CShellBrowserContainerBase {
public:
    CShellBrowserContainerXP(HINSTANCE instance, IContainerHost* host);
    ~CShellBrowserContainerXP() override;

    void Destroy() override { delete this; }
    BOOL RefreshView(UINT key, WPARAM wParam, LPARAM lParam) override;
    BOOL StartIconPositionRestore() override;
    BOOL StopIconPositionRestore() override;
    BOOL RestoreIconPositions() override;
    void ResetIconPositionRestore() override { m_placedNames.clear(); }
    BOOL IsIconPlaced(LPCWSTR name) override;

    BOOL IsRefreshing() const { return m_refreshing; }

private:
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    static LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    int m_displayedItems;
    int m_insertedItems;
    BOOL m_refreshing;
    // Raised while our own moves put the icons back: the arranging and sorting they cause are
    // not the user's.
    BOOL m_restoring;
    // The windows carrying our procedures, for taking them off again.
    CWindowSubclass m_listHook;
    CWindowSubclass m_viewHook;
    // The names put at their saved place since the last navigation.
    std::vector<std::wstring> m_placedNames;
};
