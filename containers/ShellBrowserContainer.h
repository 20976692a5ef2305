#pragma once
#include "containers/ShellBrowserContainerBase.h"

#include <string>
#include <vector>

// The container of a "Browser" item. It puts the home folder's icons back at their saved places
// one by one, as the view asks the list view for each item's text: only then is the item there.
class CShellBrowserContainer : public CShellBrowserContainerBase {
public:
    CShellBrowserContainer(HINSTANCE instance, IContainerHost* host);
    ~CShellBrowserContainer() override;

    void Destroy() override { delete this; }
    BOOL RefreshView(UINT key, WPARAM wParam, LPARAM lParam) override;
    BOOL StartIconPositionRestore() override;
    BOOL StopIconPositionRestore() override;
    void ResetIconPositionRestore() override { m_restoredNames.clear(); }
    BOOL RestoreIconPositions() override;

private:
    static LRESULT CALLBACK TextNotificationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                 DWORD_PTR self);
    void OnItemTextSupplied(const NMHDR* header, BOOL wide);
    BOOL RestoreItem(int index, LPCWSTR name);

    // The names already standing at their saved place since the last navigation.
    std::vector<std::wstring> m_restoredNames;
    HWND m_subclassedView;
    // The default processing may send the same notification again.
    BOOL m_inWideNotification;
    BOOL m_inNarrowNotification;
};
