#include "menus/PopUpMenu.h"

#include "lib/Dpi.h"
#include "lib/WindowSubclass.h"

#include <commctrl.h>

#include <cwchar>
#include <functional>
#include <vector>

namespace {

BOOL IsHighlightedSubMenu(HMENU menu, int position) {
    UINT state = GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
    return state != static_cast<UINT>(-1) && (state & MF_POPUP) && (state & MF_HILITE);
}

// Open submenus cover their parent, so they are searched before the parent's own items.
BOOL FindItemAtPoint(HMENU menu, POINT point, HMENU* itemMenu, UINT* position) {
    int count = GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        HMENU subMenu = IsHighlightedSubMenu(menu, index) ? GetSubMenu(menu, index) : nullptr;
        if (subMenu && FindItemAtPoint(subMenu, point, itemMenu, position))
            return TRUE;
    }
    for (int index = 0; index < count; ++index) {
        RECT rectangle;
        if (GetMenuItemRect(nullptr, menu, static_cast<UINT>(index), &rectangle) && PtInRect(&rectangle, point)) {
            *itemMenu = menu;
            *position = static_cast<UINT>(index);
            return TRUE;
        }
    }
    return FALSE;
}

// Calls `visit` with each menu window of this thread and the menu it shows, until it returns false.
void VisitThreadMenuWindows(const std::function<bool(HWND, HMENU)>& visit) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            WCHAR className[8] = L"";
            GetClassNameW(window, className, ARRAYSIZE(className));
            if (wcscmp(className, L"#32768") != 0)
                return TRUE;
            const auto& visit = *reinterpret_cast<const std::function<bool(HWND, HMENU)>*>(context);
            return visit(window, reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)));
        },
        reinterpret_cast<LPARAM>(&visit));
}

} // namespace

HWND CPopUpMenu::FindMenuWindow(HMENU menu) {
    HWND found = nullptr;
    if (menu)
        VisitThreadMenuWindows([&](HWND window, HMENU shown) {
            if (shown == menu)
                found = window;
            return !found;
        });
    return found;
}

UINT CPopUpMenu::Track(int x, int y, HWND owner, BOOL openUpward) {
    // A menu without items shows nothing to choose from (a Multiple Folders Menu with no folders).
    // Not tracking it also keeps Wine from losing track of a menu already open around it, which
    // EndMenu then could not close.
    if (!m_hMenu || !owner || GetMenuItemCount(m_hMenu) <= 0)
        return 0;
    // A menu tracked from inside another one on the same owner stacks its own subclass on the
    // outer menu's, and taking it off gives the owner back to the outer menu. The holder's address
    // tells the nesting levels apart, even when the same menu is tracked twice.
    CWindowSubclass subclass;
    if (!subclass.Install(owner, MenuWindowProc, reinterpret_cast<UINT_PTR>(&subclass),
                          reinterpret_cast<DWORD_PTR>(this)))
        return 0;
    m_dpi = GetPointDpi({x, y});

    // Unless the owner is the foreground window, the menu does not close when the user clicks
    // outside it.
    SetForegroundWindow(owner);
    UINT flags = TPM_RETURNCMD | (openUpward ? TPM_BOTTOMALIGN : 0);
    m_settled = FALSE;
    if (m_pIconSource)
        m_pIconSource->OnMenuOpening();
    // A dismissed menu returns 0 without touching the last error.
    SetLastError(ERROR_SUCCESS);
    UINT command = static_cast<UINT>(TrackPopupMenuEx(m_hMenu, flags, x, y, owner, nullptr));
    if (!command && GetLastError() == ERROR_POPUP_ALREADY_ACTIVE)
        command = static_cast<UINT>(TrackPopupMenuEx(m_hMenu, flags | TPM_RECURSE, x, y, owner, nullptr));

    subclass.Remove();
    CloseLeftOverSubMenus();
    OnSettled();
    // Without a message after the menu, the next TrackPopupMenu of this owner may close at once.
    PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}

LRESULT CALLBACK CPopUpMenu::MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR subclassId, DWORD_PTR referenceData) {
    (void)subclassId;
    auto* menu = reinterpret_cast<CPopUpMenu*>(referenceData);
    if (!menu)
        return DefSubclassProc(window, message, wParam, lParam);
    switch (message) {
        case WM_DRAWITEM:
            return menu->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_MEASUREITEM:
            return menu->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        case WM_MENUSELECT:
            // The menu has scrolled to the selected item already.
            if (HIWORD(wParam) != 0xFFFF && lParam)
                menu->OnItemSelected(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), (HIWORD(wParam) & MF_POPUP) != 0);
            if (menu->m_pEvents)
                menu->m_pEvents->OnMenuSelect(menu, wParam, lParam);
            return 0;
        case WM_ENTERIDLE:
            // Sent whenever the loop finds no message waiting, the first time once the menu is
            // drawn; only that first one counts.
            if (wParam == MSGF_MENU)
                menu->OnSettled();
            return DefSubclassProc(window, message, wParam, lParam);
        case WM_RBUTTONUP:
            menu->OnRightButtonUp();
            return 0;
        case WM_INITMENUPOPUP:
            menu->OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
            return DefSubclassProc(window, message, wParam, lParam);
        default:
            return DefSubclassProc(window, message, wParam, lParam);
    }
}

void CPopUpMenu::CloseLeftOverSubMenus() {
    // Wine ends an outer menu together with a menu tracked inside it, but by then has forgotten the
    // outer one, and leaves its open submenus on screen where EndMenu cannot reach them.
    std::vector<HWND> leftOver;
    bool stillTracked = false; // the same menu tracked around this call
    VisitThreadMenuWindows([&](HWND window, HMENU shown) {
        stillTracked = shown == m_hMenu;
        if (!stillTracked && HoldsMenu(shown))
            leftOver.push_back(window);
        return !stillTracked;
    });
    if (stillTracked)
        return;
    for (HWND window : leftOver)
        DestroyWindow(window);
}

void CPopUpMenu::OnSettled() {
    if (m_settled)
        return;
    m_settled = TRUE;
    if (m_pIconSource)
        m_pIconSource->OnMenuSettled();
}

void CPopUpMenu::OnRightButtonUp() {
    POINT cursor;
    if (!GetCursorPos(&cursor))
        return;
    HMENU itemMenu = nullptr;
    UINT position = 0;
    if (FindItemAtPoint(GetRoot()->m_hMenu, cursor, &itemMenu, &position) && m_pEvents)
        m_pEvents->OnMenuItemRightClick(this, position, itemMenu);
}
