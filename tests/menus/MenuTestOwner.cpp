#include "menus/MenuTestOwner.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

const wchar_t kOwnerClassName[] = L"PathwrenMenuTestOwner";
const UINT_PTR kScriptTimerId = 1;
const UINT kTickMs = 10;
const DWORD kScriptTimeLimitMs = 15000;
const UINT MN_GETHMENU_MESSAGE = 0x01E1;
const UINT_PTR kSpySubclassId = 0x5059;

struct MenuWindowSearch {
    HMENU menu;
    HWND window;
};

BOOL CALLBACK FindMenuWindowProc(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<MenuWindowSearch*>(context);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32768") != 0 || !IsWindowVisible(window))
        return TRUE;
    if (reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU_MESSAGE, 0, 0)) != search->menu)
        return TRUE;
    search->window = window;
    return FALSE;
}

BITMAPINFO TopDownArgbInfo(int size) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

struct MenuTestOwner::Script {
    std::vector<Step> steps;
    size_t next;
    DWORD start;
    bool running;
};

MenuTestOwner::MenuTestOwner() : m_window(nullptr), m_spying(false) {
    WNDCLASSW windowClass = {};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), kOwnerClassName, &windowClass)) {
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kOwnerClassName;
        RegisterClassW(&windowClass);
    }
    m_window = CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClassName, L"Menu test owner", WS_POPUP, 0, 0, 1, 1, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MenuTestOwner::~MenuTestOwner() {
    RemoveWindowSubclass(m_window, SpyProc, kSpySubclassId);
    DestroyWindow(m_window);
}

UINT MenuTestOwner::Track(CPopUpMenu& menu, std::vector<Step> steps, POINT at, BOOL openUpward) {
    Script script = {std::move(steps), 0, GetTickCount(), false};
    m_scripts.push_back(&script);
    if (m_scripts.size() == 1)
        SetTimer(m_window, kScriptTimerId, kTickMs, nullptr);
    UINT command = menu.Track(at.x, at.y, m_window, openUpward);
    m_scripts.pop_back();
    if (m_scripts.empty())
        KillTimer(m_window, kScriptTimerId);
    EXPECT_EQ(script.steps.size(), script.next) << "the menu closed before its script ended";
    return command;
}

void MenuTestOwner::OnTimer() {
    if (m_scripts.empty())
        return;
    Script* script = m_scripts.back();
    // A step that tracks a menu of its own runs its loop, and this timer, inside the step.
    if (script->running)
        return;
    if (script->next == script->steps.size()) {
        EndMenu();
        return;
    }
    if (GetTickCount() - script->start > kScriptTimeLimitMs) {
        ADD_FAILURE() << "menu script stuck at step " << script->next;
        script->next = script->steps.size();
        EndMenu();
        return;
    }
    script->running = true;
    bool done = script->steps[script->next]();
    script->running = false;
    if (done)
        ++script->next;
}

LRESULT CALLBACK MenuTestOwner::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* owner = reinterpret_cast<MenuTestOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!owner)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_TIMER && wParam == kScriptTimerId) {
        owner->OnTimer();
        return 0;
    }
    // The menu's subclass is in place by now; one added later is called before it.
    if (message == WM_ENTERMENULOOP && owner->m_spying)
        SetWindowSubclass(window, SpyProc, kSpySubclassId, reinterpret_cast<DWORD_PTR>(owner));
    if (message == WM_EXITMENULOOP)
        RemoveWindowSubclass(window, SpyProc, kSpySubclassId);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MenuTestOwner::SpyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR referenceData) {
    (void)id;
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    auto* owner = reinterpret_cast<MenuTestOwner*>(referenceData);
    if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        owner->m_seen.push_back(
            {message, reinterpret_cast<HMENU>(item->hwndItem), item->itemID, item->itemState, result});
    } else if (message == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        owner->m_seen.push_back({message, nullptr, item->itemID, 0, result});
    }
    return result;
}

bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

HWND FindMenuWindow(HMENU menu) {
    MenuWindowSearch search = {menu, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindowProc, reinterpret_cast<LPARAM>(&search));
    return search.window;
}

MenuTestOwner::Step PressKeys(HMENU shownMenu, std::vector<UINT> keys) {
    return [shownMenu, keys]() {
        HWND window = FindMenuWindow(shownMenu);
        if (!window)
            return false;
        for (UINT key : keys)
            PostMessageW(window, WM_KEYDOWN, key, 0);
        return true;
    };
}

MenuTestOwner::Step WaitForMenu(HMENU menu) {
    return [menu]() { return FindMenuWindow(menu) != nullptr; };
}

HICON CreateIconFromPixels(int size, const std::vector<DWORD>& pixels) {
    BITMAPINFO info = TopDownArgbInfo(size);
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<BYTE> maskBits(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    HICON icon = nullptr;
    if (color && mask) {
        memcpy(bits, pixels.data(), static_cast<size_t>(size) * size * sizeof(DWORD));
        ICONINFO iconInfo = {TRUE, 0, 0, mask, color};
        icon = CreateIconIndirect(&iconInfo);
    }
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

HICON CreateSolidIcon(int size, DWORD argb) {
    return CreateIconFromPixels(size, std::vector<DWORD>(static_cast<size_t>(size) * size, argb));
}

std::vector<DWORD> ReadIconPixels(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return {};
    BITMAP bitmap = {};
    std::vector<DWORD> pixels;
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap)) {
        BITMAPINFO format = TopDownArgbInfo(bitmap.bmWidth);
        pixels.resize(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmWidth);
        HDC screen = GetDC(nullptr);
        if (GetDIBits(screen, info.hbmColor, 0, bitmap.bmWidth, pixels.data(), &format, DIB_RGB_COLORS) !=
            bitmap.bmWidth)
            pixels.clear();
        ReleaseDC(nullptr, screen);
    }
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return pixels;
}

Canvas::Canvas(int size) : m_size(size), m_pixels(nullptr), m_bitmap(nullptr), m_dc(nullptr), m_previous(nullptr) {
    BITMAPINFO info = TopDownArgbInfo(size);
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_pixels = static_cast<DWORD*>(bits);
    m_dc = CreateCompatibleDC(nullptr);
    m_previous = SelectObject(m_dc, m_bitmap);
}

Canvas::~Canvas() {
    SelectObject(m_dc, m_previous);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
}

void Canvas::Fill(DWORD pixel) {
    GdiFlush();
    std::fill(m_pixels, m_pixels + m_size * m_size, pixel);
}

DWORD Canvas::At(int x, int y) const {
    GdiFlush();
    return m_pixels[y * m_size + x] & 0xFFFFFF;
}

MenuTree BuildMenuTree(int levels, int iconItems, HICON icon, IPopUpMenuEvents* events) {
    MenuTree tree;
    for (int level = 0; level < levels; ++level) {
        tree.menus.emplace_back(new CPopUpMenu());
        tree.menus.back()->SetEvents(events);
        if (level > 0)
            tree.menus.back()->SetParent(tree.menus[level - 1].get());
    }
    for (int level = 0; level < levels; ++level) {
        CPopUpMenu& menu = *tree.menus[level];
        if (level + 1 < levels)
            tree.submenuIds.push_back(menu.AppendSubMenuItem(L"Deeper", tree.menus[level + 1].get(), icon));
        for (int item = 0; item < iconItems; ++item) {
            wchar_t text[32];
            swprintf(text, 32, L"Level %d item %d", level, item);
            menu.InsertItem(text, icon, static_cast<UINT>(GetMenuItemCount(menu.GetHandle())), menu.NextCommandId());
        }
    }
    return tree;
}
