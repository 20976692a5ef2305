#include "menus/MenuTestOwner.h"

#include "support/WindowSearch.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

const wchar_t kOwnerClassName[] = L"PathwrenMenuTestOwner";
const UINT_PTR kScriptTimerId = 1;
const UINT kTickMs = 10;
const DWORD kScriptTimeLimitMs = 15000;
const UINT_PTR kSpySubclassId = 0x5059;

} // namespace

struct MenuTestOwner::Script {
    std::vector<Step> steps;
    size_t next;
    DWORD start;
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
    // Wine whose X server is gone makes no top-level window; every menu tracked here would then
    // close at once, which reads like a fault of the menu under test.
    if (!m_window)
        ADD_FAILURE() << "no menu owner window (error " << GetLastError() << "): is the test display running?";
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

UINT MenuTestOwner::Track(CPopUpMenu& menu, std::vector<Step> steps, POINT at, BOOL openUpward, size_t* stepsRun) {
    Script script = {std::move(steps), 0, GetTickCount()};
    m_scripts.push_back(&script);
    if (m_scripts.size() == 1)
        SetTimer(m_window, kScriptTimerId, kTickMs, nullptr);
    UINT command = menu.Track(at.x, at.y, m_window, openUpward);
    m_scripts.pop_back();
    if (m_scripts.empty())
        KillTimer(m_window, kScriptTimerId);
    if (stepsRun)
        *stepsRun = script.next;
    else
        EXPECT_EQ(script.steps.size(), script.next) << "the menu closed before its script ended";
    return command;
}

void MenuTestOwner::OnTimer() {
    if (m_scripts.empty())
        return;
    // A step that tracks a menu with this object runs that script instead, inside the step.
    Script* script = m_scripts.back();
    if (script->next == script->steps.size()) {
        EndMenu();
        // A menu loop that no longer hears EndMenu (a fault under test) still closes on Escape,
        // so a failing case ends instead of hanging the run.
        if (GetTickCount() - script->start > kScriptTimeLimitMs)
            PostMessageW(m_window, WM_KEYDOWN, VK_ESCAPE, 0);
        return;
    }
    if (GetTickCount() - script->start > kScriptTimeLimitMs) {
        ADD_FAILURE() << "menu script stuck at step " << script->next;
        script->next = script->steps.size();
        EndMenu();
        return;
    }
    // Advanced first, so that a step blocked in a menu loop of its own lets the next steps run
    // inside that loop; a step not yet done runs again unless later steps ran meanwhile.
    size_t index = script->next++;
    if (!script->steps[index]() && script->next == index + 1)
        script->next = index;
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
        owner->m_spy.Install(window, SpyProc, kSpySubclassId, reinterpret_cast<DWORD_PTR>(owner));
    if (message == WM_EXITMENULOOP)
        owner->m_spy.Remove();
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MenuTestOwner::SpyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR referenceData) {
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

std::vector<std::pair<HWND, HMENU>> OpenMenus() {
    std::vector<std::pair<HWND, HMENU>> openMenus;
    for (HWND window : WindowsOfClass(L"#32768"))
        openMenus.push_back({window, reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0))});
    return openMenus;
}

HWND FindMenuWindow(HMENU menu) {
    for (const auto& open : OpenMenus()) {
        if (open.second == menu)
            return open.first;
    }
    return nullptr;
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

MenuTestOwner::Step RightClick(HWND owner, HMENU menu, UINT position, POINT elsewhere) {
    return [=]() {
        RECT item = {};
        if (menu && (!FindMenuWindow(menu) || !GetMenuItemRect(nullptr, menu, position, &item)))
            return false;
        POINT at = menu ? POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2} : elsewhere;
        SetCursorPos(at.x, at.y);
        SendMessageW(owner, WM_RBUTTONUP, 0, 0);
        return true;
    };
}

MENUITEMINFOW ReadMenuItem(HMENU menu, UINT position, UINT mask) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = mask;
    GetMenuItemInfoW(menu, position, TRUE, &item);
    return item;
}

LRESULT SendDrawItem(HWND owner, HMENU menu, HDC dc, RECT rect, HICON icon, UINT state, UINT itemId, UINT controlType) {
    HWND menuAsWindow = reinterpret_cast<HWND>(menu);
    ULONG_PTR data = reinterpret_cast<ULONG_PTR>(icon);
    DRAWITEMSTRUCT item = {controlType, 0, itemId, ODA_DRAWENTIRE, state, menuAsWindow, dc, rect, data};
    return SendMessageW(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
}

Canvas::Canvas(int size) : m_size(size) {
    BITMAPINFO info = TopDownArgbInfo(size);
    m_bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pixels), nullptr, 0));
    m_dc.Select(m_bitmap.Get());
}

MenuTree BuildMenuTree(int levels, int iconItems, HICON icon, IPopUpMenuEvents* events) {
    MenuTree tree;
    for (int level = 0; level < levels; ++level) {
        tree.emplace_back(new CPopUpMenu());
        tree.back()->SetEvents(events);
        if (level > 0)
            tree.back()->SetParent(tree[level - 1].get());
    }
    for (int level = 0; level < levels; ++level) {
        CPopUpMenu& menu = *tree[level];
        if (level + 1 < levels)
            menu.AppendSubMenuItem(L"Deeper", tree[level + 1].get(), icon);
        for (int item = 0; item < iconItems; ++item) {
            wchar_t text[32];
            swprintf(text, 32, L"Level %d item %d", level, item);
            menu.InsertItem(text, icon, static_cast<UINT>(GetMenuItemCount(menu.GetHandle())), menu.NextCommandId());
        }
    }
    return tree;
}
