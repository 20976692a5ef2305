#pragma once
#include "browser/DesktopBrowser.h"

#include <string>
#include <vector>

// The desktop mirror on Windows XP. Its compact layout blanks the labels in the list view itself
// and keeps the names here by item index, so it follows every insertion, deletion, rename and sort
// the list view sees; the view's own redraws and updates, which would rearrange the icons and
// bring the labels back, are kept from the list view.
class CDesktopBrowserXP : public CDesktopBrowser {
public:
    CDesktopBrowserXP(HWND parentWindow, const FOLDERSETTINGS* folderSettings);
    ~CDesktopBrowserXP() override;

    HRESULT Refresh() override;
    void SetViewMode(UINT viewMode) override;
    // The XP view's menu does not end the mirror; choosing a mode through SetViewMode does.
    void OnViewModeCommand(UINT viewMode, WPARAM wParam, LPARAM lParam) override {
        CShellBrowserEx::OnViewModeCommand(viewMode, wParam, lParam);
    }

protected:
    void SendLayoutViewMode(UINT viewMode) override;
    void HideLabels() override;
    void ShowLabels() override;
    std::wstring ItemLabel(int index) override;
    void OnLayoutSetUp() override;
    void OnLabelSubclassesRemoved() override;

private:
    static LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
    LRESULT OnListMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnItemTextSet(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnItemsReordered(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void BlankLabel(int index);
    void RequestPlacement();
    void RemoveListSubclass();

    // The labels blanked in the list view, by item index.
    std::vector<std::wstring> m_itemNames;
    CWindowSubclass m_listHook;
    // Raised while we set texts ourselves, which the list procedure must not take for renames.
    BOOL m_settingTexts = FALSE;
    BOOL m_placementPosted = FALSE;
};
