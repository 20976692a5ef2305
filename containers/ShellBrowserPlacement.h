#pragma once
#include "config/GenericPathwrenObject.h"

#include <windows.h>

// Moves and, when it does not fit, shrinks the rectangle so that it lies inside the area.
// Returns whether anything changed.
BOOL FitRectIntoArea(RECT* rect, const RECT& area);

// Where a browser window stands: the work and maximized areas of its monitor, the place and size
// kept in the item at the scale they were taken, maximizing and restoring, the monitor's scale,
// and the desktop list view the window may hang in. It creates the window at the item's place
// but leaves its life to the container.
class CShellBrowserPlacement {
public:
    // The strip above the window that the toolbar takes, at 96 DPI; a maximized window leaves it
    // free.
    static const int kToolbarHeight = 24;

    CShellBrowserPlacement();
    CShellBrowserPlacement(const CShellBrowserPlacement&) = delete;
    CShellBrowserPlacement& operator=(const CShellBrowserPlacement&) = delete;

    // The item whose place this is; null until the container is initialised.
    void SetItem(CGenericPathwrenObject* item) { m_item = item; }
    // Whether a maximized window leaves the toolbar's strip free above it.
    void SetToolbarStripReserved(BOOL reserved) { m_toolbarStripReserved = reserved; }

    // Creates the window at the item's place and remembered size, fitted into the work area of
    // the monitor its corner stands on. The window is attached from its first message on, so the
    // sizes of the creation itself are known not to be the user's.
    HWND CreateWindowAtItemsPlace(HINSTANCE instance, LPCWSTR className, void* creationData);
    void Attach(HWND window) { m_window = window; }
    // The window is gone or going: nothing may be placed any more.
    void Detach() { m_window = m_hungInto = nullptr; }
    HWND Window() const { return m_window; }

    // Makes the window a child of the desktop's list view, at the same place on the screen.
    BOOL HangIntoDesktop();
    // The desktop list view the window hangs in; null unless the z-order is "Bottom".
    HWND HungInto() const { return m_hungInto; }

    // The work and maximized areas of the monitor the window stands on.
    void ComputeAreas();
    const RECT& WorkArea() const { return m_workArea; }
    const RECT& MaximizedArea() const { return m_maximizedArea; }
    UINT Dpi() const { return m_dpi; } // of the monitor the window stands on
    // The toolbar strip's height at the DPI the window stands at.
    int ToolbarHeight() const;

    // The user sized the window (or the container did, which is not remembered).
    void OnSize();
    // A monitor came, went or changed: a window now partly off its work area is pulled back in.
    void OnDisplayChange();
    // FALSE when the window already stood at that scale.
    BOOL SetDpi(UINT dpi);
    // After a scale change: a maximized window fills the new monitor's area below the toolbar;
    // another one keeps its size on the screen through Windows' suggested rectangle.
    void FollowScaleChange(const RECT& suggested);
    // Fills the maximized area again, whose top may have changed with the toolbar's strip.
    void FillMaximizedArea();
    // The list view loses its sunken edge while maximized and gets it back on restoring.
    void Maximize(HWND viewWindow, HWND listView);
    void Restore(HWND listView);
    // The window was dragged: its corner is the item's new place.
    void RememberCorner();
    // Places the window at a rectangle in screen coordinates, whatever its parent.
    void PlaceWindow(RECT rect, UINT flags);

private:
    void ComputeAreas(const RECT& standsOn);
    // The item's remembered client size, in pixels at the given DPI, and the window's size kept
    // into it.
    SIZE StoredClientSize(UINT dpi) const;
    void RememberPlace(const RECT& client, POINT frameCorner);
    // Places the window where the container, not the user, wants it.
    void PlaceWindowItself(const RECT& rect);

    CGenericPathwrenObject* m_item;
    HWND m_window;
    HWND m_hungInto;
    RECT m_workArea;
    RECT m_maximizedArea;
    // Raised while the container sizes the window itself (creation, maximizing), whose sizes are
    // not the user's to remember.
    BOOL m_positioning;
    BOOL m_toolbarStripReserved;
    UINT m_dpi;
};
