#pragma once
#include "lib/HotWindow.h"
#include "lib/WindowSubclass.h"
#include "config/LaunchBarOptions.h"
#include "skin/TransparentToolbar.h"

#include <windows.h>

#include <memory>
#include <vector>

// What stands behind a button of the bar, or behind the bar's background: something that shows
// itself at a point and has a context menu. Menus of the bar are owned by the bar's window while
// it exists, by the main window otherwise.
class ILaunchBarItem {
public:
    virtual void ShowFromLaunchBar(POINT point, BOOL openUpward) = 0;
    virtual BOOL ShowContextMenu(POINT point, BOOL openUpward) = 0;
    virtual void SetOwnerWindow(HWND window) = 0;
    // Takes the button's pictures again at a new size into images (normal, hot, pressed,
    // disabled; null when there is none) and lets the old ones go: the bar puts the new ones in
    // before it paints. An item that cannot leaves the pictures it gave, which images holds.
    virtual void TakeIconsAtSize(int size, HICON* images) {
        (void)size;
        (void)images;
    }

protected:
    ~ILaunchBarItem() = default;
};

// The folder items as buttons of one auto-hiding bar docked to a monitor edge. It stays hidden
// until the cursor rests in a thin strip along that edge, and hides once the cursor has left both
// the strip and the bar. Its owner appends the buttons before Build.
class CLaunchBar : public CTransparentToolbarEventsBase, public CHotWindowEventsBase {
public:
    CLaunchBar();
    ~CLaunchBar() override;
    CLaunchBar(const CLaunchBar&) = delete;
    CLaunchBar& operator=(const CLaunchBar&) = delete;

    // The button takes the next command, which is also its index.
    UINT AppendButton(const TransparentToolbarButton& button, ILaunchBarItem* item);
    // Writes the direction the position gives back into the options, so the next save keeps it.
    // TRUE also when the toolbar window could not be made: the bar then never shows. The
    // background item (not owned) gets the right clicks beside the buttons; the main window owns
    // the items' menus once the bar's window is gone.
    BOOL Build(HINSTANCE instance, CLaunchBarOptions& options, ILaunchBarItem* background, HWND mainWindow);
    // Docks the bar again from the options of the last build, as after a change of monitors;
    // sizes follow the scale of the monitor it docks on.
    void Reposition();
    // The DPI the bar's sizes are at now.
    UINT GetDpi() const { return m_dpi; }

    HWND GetToolbarWindow() const;
    CTransparentToolbar* GetToolbar() const { return m_toolbar.get(); }
    CHotWindow* GetHotWindow() const { return m_hotWindow.get(); }
    // What stands behind the button with that index; null past the last.
    ILaunchBarItem* GetItem(UINT index) const { return index < m_items.size() ? m_items[index] : nullptr; }
    UINT GetButtonDescriptionCount() const { return static_cast<UINT>(m_buttons.size()); }
    // The screen rectangle of a button of the built toolbar; FALSE past the last.
    BOOL GetButtonScreenRect(UINT index, RECT* rect) const;

    void OnToolbarButtonClicked(CTransparentToolbar* toolbar, UINT command) override;
    void OnToolbarButtonRightClicked(CTransparentToolbar* toolbar, UINT buttonIndex) override;
    void OnToolbarRightClicked(CTransparentToolbar* toolbar, POINT screenPoint) override;
    LRESULT OnToolbarKeyDown(CTransparentToolbar* toolbar, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnToolbarClose(CTransparentToolbar* toolbar, WPARAM wParam, LPARAM lParam) override;
    void OnHotWindowEnter(CHotWindow* hotWindow, BOOL* useKeepRect, RECT* keepRect) override;
    void OnHotWindowLeave(CHotWindow* hotWindow) override;

private:
    static LRESULT CALLBACK ToolbarSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR subclassId, DWORD_PTR referenceData);
    void DestroyBar();
    // The options' lengths are already at the bar's DPI.
    BOOL CreateToolbar(HINSTANCE instance, const CLaunchBarOptions& options);
    // The lengths of the bar at a new DPI, the buttons laid out again.
    void ChangeDpi(UINT dpi);
    // Places the bar and its strip at the lengths of its DPI now.
    void Dock();
    // Runs a menu of the bar with the leave timer stopped, so the bar stays while it is open.
    template <typename ShowMenu> void KeepShownDuring(ShowMenu showMenu);
    void HideAsLeaving();
    void HandItemsTo(HWND window);

    std::unique_ptr<CHotWindow> m_hotWindow;
    CWindowSubclass m_toolbarHook;
    std::unique_ptr<CTransparentToolbar> m_toolbar;
    std::vector<TransparentToolbarButton> m_buttons;
    std::vector<ILaunchBarItem*> m_items; // by button index; not owned
    UINT m_position;
    ILaunchBarItem* m_background; // not owned
    // The options of the last build, to dock the bar again when the monitors change.
    CLaunchBarOptions m_options;
    UINT m_dpi; // the options' lengths are chosen at 96 DPI; the bar stands at this one
    SIZE m_toolbarSize;
    HWND m_hMainWindow;
};
