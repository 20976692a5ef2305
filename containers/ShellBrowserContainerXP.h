#pragma once
#include "containers/ShellBrowserContainerBase.h"

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

    BOOL IsRefreshing() const { return m_refreshing; }

private:
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    static LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    int m_displayedItems;
    int m_insertedItems;
    BOOL m_refreshing;
    // The windows carrying our procedures, for taking them off again.
    HWND m_subclassedList;
    HWND m_subclassedView;
};
