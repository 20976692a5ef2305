#pragma once
#include "lib/GdiObject.h"
#include "lib/MemoryDc.h"
#include "lib/WindowSubclass.h"
#include "menus/PopUpMenu.h"
#include "support/Icons.h"
#include "support/Wine.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// A hidden owner window for tracked menus that plays a script from inside the menu's modal
// loop: a timer fires every few milliseconds and runs the next step. Steps post keys, send
// messages to the owner and check what they see; the menu is closed when the script ends.
class MenuTestOwner {
public:
    // Returns false to be called again at the next tick, for example to wait for a submenu.
    typedef std::function<bool()> Step;

    // A draw or measure request that reached the owner while spying, and what it returned.
    struct SeenMessage {
        UINT message;
        HMENU menu;
        UINT itemId, itemState;
        LRESULT result;
    };

    MenuTestOwner();
    ~MenuTestOwner() { DestroyWindow(m_window); }
    MenuTestOwner(const MenuTestOwner&) = delete;
    MenuTestOwner& operator=(const MenuTestOwner&) = delete;

    HWND Handle() const { return m_window; }

    // Tracks the menu while the steps run; a script that does not finish in time fails and closes
    // it. While a step blocks in a menu tracked inside this one, the next steps run inside that
    // menu. A menu that closes before the script ends fails, unless the caller asks how far it got.
    UINT Track(CPopUpMenu& menu, std::vector<Step> steps, POINT at = {100, 100}, BOOL openUpward = FALSE,
               size_t* stepsRun = nullptr);

    // Records the draw and measure requests of every menu loop from now on, with the menu's
    // answers: the spy goes in front of the menu's subclass when the loop starts.
    void SpyOnMenuLoops() { m_spying = true; }
    const std::vector<SeenMessage>& Seen() const { return m_seen; }

private:
    struct Script;
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SpyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR referenceData);
    void OnTimer();

    HWND m_window;
    std::vector<Script*> m_scripts;
    std::vector<SeenMessage> m_seen;
    bool m_spying;
    CWindowSubclass m_spy;
};

// The menus shown by visible menu windows of this thread, with their windows.
std::vector<std::pair<HWND, HMENU>> OpenMenus();
// Null while the menu is closed.
HWND FindMenuWindow(HMENU menu);
// Waits for the menu to be open, then posts the keys to the menu loop in one go.
MenuTestOwner::Step PressKeys(HMENU shownMenu, std::vector<UINT> keys);
MenuTestOwner::Step WaitForMenu(HMENU menu);
// Once the menu is open, releases the right button over its item, or with no menu over the point:
// the menu loop hands button messages it does not use to the owner, which holds the capture.
MenuTestOwner::Step RightClick(HWND owner, HMENU menu, UINT position, POINT elsewhere = {});
MENUITEMINFOW ReadMenuItem(HMENU menu, UINT position, UINT mask);
// Asks the owner to draw an item, as the menu loop does; returns the owner's answer.
LRESULT SendDrawItem(HWND owner, HMENU menu, HDC dc, RECT rect, HICON icon, UINT state = 0, UINT itemId = 1,
                     UINT controlType = ODT_MENU);

// A colour as the 0xRRGGBB pixel that Canvas::At reads.
inline DWORD PixelOf(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

// A square top-down 32-bit surface to draw items on, with its memory DC.
class Canvas {
public:
    explicit Canvas(int size);

    HDC Dc() const { return m_dc.Get(); }
    void Fill(DWORD pixel) {
        GdiFlush();
        std::fill(m_pixels, m_pixels + m_size * m_size, pixel);
    }
    DWORD At(int x, int y) const {
        GdiFlush();
        return m_pixels[y * m_size + x] & 0xFFFFFF;
    }

private:
    int m_size;
    DWORD* m_pixels = nullptr;
    CBitmapHandle m_bitmap;
    // After the bitmap, so that it gives the bitmap back before the bitmap goes.
    CMemoryDc m_dc;
};

// A tree of `levels` menus, each the submenu of the one before; every menu holds its submenu first (except the
// deepest), then `iconItems` items showing the icon. The root comes first.
typedef std::vector<std::unique_ptr<CPopUpMenu>> MenuTree;
MenuTree BuildMenuTree(int levels, int iconItems, HICON icon, IPopUpMenuEvents* events = nullptr);
