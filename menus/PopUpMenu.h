#pragma once
#include <windows.h>

#include <unordered_map>
#include <utility>
#include <vector>

class CPopUpMenu;

// What the user does in a tracked menu tree. `menu` is always the object whose Track runs,
// whichever of its submenus the user is in.
class IPopUpMenuEvents {
public:
    // The right mouse button was released over item `position` of `itemMenu`, the tracked
    // menu itself or one of its open submenus.
    virtual void OnMenuItemRightClick(CPopUpMenu* menu, UINT position, HMENU itemMenu) = 0;
    // The owner window received WM_MENUSELECT; wParam and lParam are the message's.
    virtual void OnMenuSelect(CPopUpMenu* menu, WPARAM wParam, LPARAM lParam) = 0;
    virtual ~IPopUpMenuEvents() {}
};

class CPopUpMenuEventsBase : public IPopUpMenuEvents {
public:
    void OnMenuItemRightClick(CPopUpMenu* menu, UINT position, HMENU itemMenu) override {
        (void)menu;
        (void)position;
        (void)itemMenu;
    }
    void OnMenuSelect(CPopUpMenu* menu, WPARAM wParam, LPARAM lParam) override {
        (void)menu;
        (void)wParam;
        (void)lParam;
    }
};

// Where a menu finds the icons it asks for only once their items come on screen.
class IPopUpMenuIconSource {
public:
    // The icon of the item deferred with this key, or null to keep the icon it shows. The icon
    // stays the source's and must outlive the menu.
    virtual HICON FetchItemIcon(ULONG_PTR key) = 0;
    // A menu of the source's items is about to be tracked: until it settles, it is being drawn
    // for the first time, and slow work beside it only delays its coming on screen.
    virtual void OnMenuOpening() = 0;
    // The menu opened is on screen and waits for the user, or has closed before that.
    virtual void OnMenuSettled() = 0;

protected:
    ~IPopUpMenuIconSource() {}
};

// A popup menu whose items may carry icons and open submenus that are CPopUpMenu objects too.
// The object is the menu's data (MENUINFO.dwMenuData), so it can be found from its HMENU.
//
// Icons are shown in one of two ways, chosen at construction: on Windows Vista and 7 with
// visual styles each item gets a 32-bit bitmap the menu keeps; everywhere else the items are
// drawn by the menu itself through the owner window, which is why drawing and the events work
// only while Track runs.
//
// Command identifiers come from the root of the parent chain, so they are unique in a whole
// tree; set the parent of a submenu before adding items to it.
class CPopUpMenu {
public:
    CPopUpMenu();
    // Frees the item bitmaps and the HMENU. Submenus stay alive: their owners destroy them.
    ~CPopUpMenu();
    CPopUpMenu(const CPopUpMenu&) = delete;
    CPopUpMenu& operator=(const CPopUpMenu&) = delete;

    // The object registered as the data of a menu made by this class (other menus may keep
    // anything there).
    static CPopUpMenu* FromHandle(HMENU menu);
    // The live object of this class that shows the menu, or null for any other menu: unlike
    // FromHandle, safe for menus whose data means something else.
    static CPopUpMenu* FromOwnHandle(HMENU menu);

    // The menu window of this thread that shows the menu while it is tracked, or null.
    static HWND FindMenuWindow(HMENU menu);

    HMENU GetHandle() const { return m_hMenu; }
    CPopUpMenu* GetParent() const { return m_pParent; }
    void SetParent(CPopUpMenu* parent) { m_pParent = parent; }
    IPopUpMenuEvents* GetEvents() const { return m_pEvents; }
    void SetEvents(IPopUpMenuEvents* events) { m_pEvents = events; }
    BOOL GetEffects() const { return m_effects; }
    void SetEffects(BOOL effects) { m_effects = effects; }
    // Whether items carry their own bitmaps (TRUE) or are drawn through the owner (FALSE).
    BOOL IsThemed() const { return m_themed; }

    // A new identifier from the root's counter, starting at 1. Items inserted by the caller
    // (separators too) take theirs from here.
    UINT NextCommandId();

    // Each returns the new item's identifier, or 0 when the item could not be inserted.
    UINT AppendTextItem(LPCWSTR text);
    // The icon resource is loaded shared at the system's small icon size.
    UINT AppendIconItem(LPCWSTR text, UINT iconResourceId, HINSTANCE instance);
    // The icon stays the caller's and must outlive the menu.
    UINT InsertItem(LPCWSTR text, HICON icon, UINT position, UINT commandId);
    UINT AppendSubMenuItem(LPCWSTR text, CPopUpMenu* subMenu, HICON icon);
    // A submenu this class does not show, such as a stand-in for one made when first opened.
    UINT AppendSubMenuItem(LPCWSTR text, HMENU subMenu, HICON icon);
    UINT InsertSubMenuItem(LPCWSTR text, HMENU subMenu, HICON icon, UINT position);
    UINT AppendSeparator();

    // Completes an item being built so that it shows the icon; the icon stays the caller's.
    BOOL SetItemIcon(MENUITEMINFOW* item, HICON icon);
    // For a menu whose items change in place: the item at the position shows this icon (none when
    // null) or opens this submenu from now on.
    BOOL ChangeItemIcon(UINT position, HICON icon);
    BOOL ChangeItemSubMenu(UINT position, HMENU subMenu);
    // Frees the item bitmaps no item of the menu shows any longer.
    void DropUnusedItemBitmaps();
    // A new icon may carry the handle of one destroyed before: what menus keep under that handle
    // describes the old picture. Call it for every icon made while menus may be alive.
    static void ForgetIcon(HICON icon);

    // The item shows the icon it was inserted with until it first comes on screen, then the one
    // the icon source gives for the key: icons that cost a file read each are read only for the
    // items a user gets to see. Set the source before tracking.
    void SetIconSource(IPopUpMenuIconSource* source) { m_pIconSource = source; }
    void DeferItemIcon(UINT commandId, ULONG_PTR key) { m_deferredIcons[commandId] = key; }
    void ClearDeferredIcons() { m_deferredIcons.clear(); }
    void UndeferItemIcon(UINT commandId) { m_deferredIcons.erase(commandId); }
    // The identifier given last; the root's counts for the whole tree.
    UINT GetLastCommandId() { return GetRoot()->m_lastCommandId; }

    CPopUpMenu* GetSubMenuOfItem(UINT commandId) const;
    // The item's position in this menu, or -1.
    int GetItemPosition(UINT commandId) const;

    // Shows the menu at (x, y) for the owner window until the user chooses or dismisses it.
    // Returns the chosen identifier, 0 when dismissed. With openUpward the menu's bottom is at y.
    UINT Track(int x, int y, HWND owner, BOOL openUpward);

    // Both return a new icon the caller destroys, or null.
    // Every coloured pixel turned to its grey level, transparency kept.
    static HICON CreateGrayIcon(HICON icon);
    // The icon on the brush's colour, made mostly transparent.
    static HICON CreateShadowIcon(HICON icon, HBRUSH brush);

private:
    static LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                           DWORD_PTR referenceData);
    CPopUpMenu* GetRoot();
    // Whether the menu is this one or, through the parent chain, one of its submenus.
    BOOL HoldsMenu(HMENU menu) const;
    UINT InsertBuiltItem(MENUITEMINFOW* item, UINT position);
    void OnRightButtonUp();
    LRESULT MeasureItem(MEASUREITEMSTRUCT* item);
    LRESULT DrawItem(const DRAWITEMSTRUCT* item);
    static HBITMAP CreateItemBitmap(HICON icon);
    static void ReleaseItemBitmap(HICON icon, HBITMAP bitmap);
    BOOL ChangeItem(UINT item, BOOL byPosition, HICON icon);
    // Each returns whether an item now shows a fetched icon.
    BOOL ShowDeferredIcon(UINT commandId, HICON* shown);
    BOOL ShowDeferredIconsAround(int position);
    // Fetch the deferred icons of the items about to show, on the themed path.
    void OnInitMenuPopup(HMENU opening);
    // Once tracking ended: no menu window of this tree stays on screen.
    void CloseLeftOverSubMenus();
    // The first idle moment of the menu loop, or the end of tracking without one.
    void OnSettled();
    void OnItemSelected(HMENU menuOfItem, WORD item, BOOL isSubMenu);

    BOOL m_effects;
    CPopUpMenu* m_pParent;
    HMENU m_hMenu;
    UINT m_lastCommandId;
    BOOL m_themed;
    // One item bitmap per distinct icon, shared by every item of this menu that shows it.
    std::unordered_map<HICON, HBITMAP> m_bitmaps;
    // Bitmaps of icons since destroyed, which items may still show until they are changed.
    std::vector<std::pair<HICON, HBITMAP>> m_retiredBitmaps;
    IPopUpMenuEvents* m_pEvents;
    IPopUpMenuIconSource* m_pIconSource;
    std::unordered_map<UINT, ULONG_PTR> m_deferredIcons; // by command identifier
    int m_lastSelected;                                  // position
    // Whether the icon source heard that the menu being tracked settled.
    BOOL m_settled;
    // The DPI of the monitor the menu is tracked on, which the owner-drawn effects scale to.
    UINT m_dpi;
    // Measuring asks each icon's size; a large menu shows a few distinct icons many times over.
    std::unordered_map<HICON, SIZE> m_iconSizes;
};
