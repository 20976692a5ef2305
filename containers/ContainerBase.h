#pragma once
#include <windows.h>

class CGenericPathwrenObject;

// What the application sees of an item's presentation: the operations the application object
// calls on every container. The tray icon, icons and context menu join this class with the
// container subsystem.
class CContainerBase {
public:
    CContainerBase() : m_showPoint() {}
    virtual ~CContainerBase() {}
    CContainerBase(const CContainerBase&) = delete;
    CContainerBase& operator=(const CContainerBase&) = delete;

    // Ends the container; the object is gone afterwards.
    virtual void Destroy() { delete this; }
    virtual BOOL Initialize(CGenericPathwrenObject* item) {
        (void)item;
        return FALSE;
    }
    // Copies the presentation's live state (window place, icon positions) into the item.
    virtual BOOL SaveState() = 0;
    virtual BOOL Show(BOOL alwaysShow) {
        (void)alwaysShow;
        return FALSE;
    }
    virtual BOOL Hide() { return FALSE; }
    // The item's global hotkey: show the presentation where the cursor is.
    virtual BOOL OnHotKey() {
        GetCursorPos(&m_showPoint);
        return Show(FALSE);
    }

protected:
    POINT m_showPoint;
};
