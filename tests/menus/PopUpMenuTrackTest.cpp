// Tracking: the chosen command, the events, right clicks in open submenus, owner-draw requests
// reaching the root, and menus tracked inside menus.
#include "lib/MenuHandle.h"
#include "menus/MenuTestOwner.h"
#include "menus/PopUpMenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Event {
    CPopUpMenu* menu;
    UINT position;
    HMENU itemMenu;
};

class RecordingEvents : public CPopUpMenuEventsBase {
public:
    void OnMenuItemRightClick(CPopUpMenu* menu, UINT position, HMENU itemMenu) override {
        rightClicks.push_back({menu, position, itemMenu});
    }
    void OnMenuSelect(CPopUpMenu* menu, WPARAM wParam, LPARAM lParam) override {
        selections.push_back({menu, static_cast<UINT>(wParam), reinterpret_cast<HMENU>(lParam)});
    }

    std::vector<Event> rightClicks, selections;
};

// What the menu tells its icon source: O opening, F a fetch, S settled on screen, s settled closed.
class RecordingIconSource : public IPopUpMenuIconSource {
public:
    HICON FetchItemIcon(ULONG_PTR) override {
        calls += 'F';
        if (closeOnFetch)
            EndMenu();
        return nullptr;
    }
    void OnMenuOpening() override { calls += 'O'; }
    void OnMenuSettled() override { calls += FindMenuWindow(menu) ? 'S' : 's'; }
    std::string calls;
    HMENU menu = nullptr;
    bool closeOnFetch = false;
};

class PopUpMenuTracking : public ::testing::Test {
protected:
    MenuTestOwner::Step NoteWindowRect(HMENU menu, RECT* rect) {
        return [menu, rect]() { return GetWindowRect(FindMenuWindow(menu), rect) != FALSE; };
    }

    CIconHandle m_icon{CreateSolidIcon(16, 0xFF0000FF)};
    MenuTestOwner m_owner;
    RecordingEvents m_events;
};

// A text as wide as three quarters of the screen in the menu font.
std::wstring ScreenWideText() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    CFontHandle font(CreateFontIndirectW(&metrics.lfMenuFont));
    CMemoryDc dc;
    dc.Select(font.Get());
    std::wstring text = L"W";
    SIZE extent = {};
    while (GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent) &&
           extent.cx < GetSystemMetrics(SM_CXSCREEN) * 3 / 4)
        text += L"W";
    return text;
}

} // namespace

TEST_F(PopUpMenuTracking, TheChosenCommandComesBackEverySelectionIsReportedAndRightClicksFindTheDeepestMenu) {
    MenuTree tree = BuildMenuTree(3, 3, m_icon.Get(), &m_events);
    HMENU root = tree[0]->GetHandle();
    HMENU level1 = tree[1]->GetHandle();
    HMENU level2 = tree[2]->GetHandle();
    // Too wide for either side of the root, level 1 opens over it.
    tree[1]->AppendTextItem(ScreenWideText().c_str());
    RECT shown = {};
    UINT chosen = m_owner.Track(*tree[0],
                                {WaitForMenu(root), NoteWindowRect(root, &shown), PressKeys(root, {VK_DOWN, VK_RIGHT}),
                                 PressKeys(level1, {VK_RIGHT}), PressKeys(level2, {VK_DOWN, VK_RETURN})},
                                {300, 600}, TRUE);
    EXPECT_EQ(10u, chosen) << "the second item of level 2: root 1-4, level 1 5-8, level 2 9-11";
    EXPECT_EQ(600, shown.bottom) << "opened upward";
    EXPECT_EQ(300, shown.left);

    bool sawSubmenuItem = false, sawChosenItem = false;
    for (const Event& selection : m_events.selections) {
        EXPECT_EQ(tree[0].get(), selection.menu) << "events name the tracked menu";
        UINT item = LOWORD(selection.position);
        sawSubmenuItem |= selection.itemMenu == root && (HIWORD(selection.position) & MF_POPUP) && item == 0;
        sawChosenItem |= selection.itemMenu == level2 && item == 10;
    }
    EXPECT_TRUE(sawSubmenuItem) << "a highlighted submenu item comes with its position and MF_POPUP";
    EXPECT_TRUE(sawChosenItem) << "a highlighted command comes with its identifier";

    EXPECT_EQ(0u,
              m_owner.Track(*tree[0], {WaitForMenu(root), NoteWindowRect(root, &shown), PressKeys(root, {VK_ESCAPE})},
                            {300, 600}, FALSE));
    EXPECT_EQ(600, shown.top) << "opened downward";

    RECT cover = {}, rootItem = {};
    HWND owner = m_owner.Handle();
    POINT nowhere = {GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2};
    m_owner.Track(*tree[0],
                  {WaitForMenu(root), RightClick(owner, root, 2), PressKeys(root, {VK_HOME, VK_RIGHT}),
                   PressKeys(level1, {VK_RIGHT}), WaitForMenu(level2), NoteWindowRect(level1, &cover),
                   [&]() { return GetMenuItemRect(nullptr, root, 0, &rootItem) != FALSE; },
                   RightClick(owner, level2, 2), RightClick(owner, root, 0), RightClick(owner, nullptr, 0, nowhere)},
                  {GetSystemMetrics(SM_CXSCREEN) / 2, 100});
    POINT rootItemCentre = {(rootItem.left + rootItem.right) / 2, (rootItem.top + rootItem.bottom) / 2};
    ASSERT_TRUE(PtInRect(&cover, rootItemCentre)) << "level 1 was meant to cover the root's highlighted item";
    std::vector<std::pair<HMENU, UINT>> clicked;
    for (const Event& click : m_events.rightClicks) {
        EXPECT_EQ(tree[0].get(), click.menu) << "events name the tracked menu";
        clicked.push_back({click.itemMenu, click.position});
    }
    // Deepest first: the open submenu rather than its parent's highlighted item, and a submenu
    // rather than the parent's item under it. A click away from the menus reports nothing.
    EXPECT_EQ((std::vector<std::pair<HMENU, UINT>>{{root, 2}, {level2, 2}, {level1, 0}}), clicked);
}

TEST_F(PopUpMenuTracking, DrawAndMeasureRequestsOfADeepSubmenuAreAnsweredThroughTheRoot) {
    MenuTree tree = BuildMenuTree(4, 2, m_icon.Get());
    HMENU deepest = tree[3]->GetHandle();
    CMenuHandle stranger(CreatePopupMenu());
    HWND owner = m_owner.Handle();
    Canvas canvas(24);
    const DWORD background = 0xABCDEF;
    const RECT rect = {0, 0, 20, 20};
    MEASUREITEMSTRUCT measure = {};
    LRESULT measured = 0, listBoxMeasured = -1, drawn = 0;
    std::vector<LRESULT> refused;
    DWORD untouched = 0, inside = 0;
    auto ask = [&]() {
        measure = {ODT_MENU, 0, 1, 0, 0, reinterpret_cast<ULONG_PTR>(m_icon.Get())};
        measured = SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        MEASUREITEMSTRUCT listBox = {ODT_LISTBOX, 7, 0, 0, 0, reinterpret_cast<ULONG_PTR>(m_icon.Get())};
        listBoxMeasured = SendMessageW(owner, WM_MEASUREITEM, 7, reinterpret_cast<LPARAM>(&listBox));
        canvas.Fill(background);
        refused = {SendDrawItem(owner, stranger.Get(), canvas.Dc(), rect, m_icon.Get()),
                   SendDrawItem(owner, deepest, canvas.Dc(), rect, m_icon.Get(), 0, 1, ODT_BUTTON),
                   SendDrawItem(owner, deepest, canvas.Dc(), {4, 4, 4, 20}, m_icon.Get()),
                   SendDrawItem(owner, deepest, canvas.Dc(), rect, nullptr)};
        untouched = canvas.At(5, 5);
        drawn = SendDrawItem(owner, deepest, canvas.Dc(), rect, m_icon.Get());
        inside = canvas.At(1, 1);
        return true;
    };
    m_owner.Track(*tree[0], {WaitForMenu(tree[0]->GetHandle()), ask});

    EXPECT_TRUE(measured);
    EXPECT_EQ(18u, measure.itemWidth) << "the icon plus 2 pixels for the lifted look";
    EXPECT_EQ(18u, measure.itemHeight);
    EXPECT_EQ(0, listBoxMeasured);
    EXPECT_EQ((std::vector<LRESULT>{0, 0, 0, 0}), refused)
        << "a menu outside the tree, a button, an empty item, no icon";
    EXPECT_EQ(background, untouched) << "refused requests draw nothing";
    EXPECT_TRUE(drawn) << "an item three submenus down belongs to the root's tree";
    EXPECT_EQ(0x0000FFu, inside) << "and is drawn (where exactly: PopUpMenuDrawing)";

    tree[0]->SetEffects(FALSE);
    m_owner.Track(*tree[0], {WaitForMenu(tree[0]->GetHandle()), ask});
    EXPECT_EQ(16u, measure.itemWidth) << "no enlargement without effects";
}

// A right click in an open submenu tracks the context menu inside the folder menu: the outer tree
// answers the owner again once it is done, and once both have closed, no window of the outer tree
// may stay on screen. An empty menu opened from inside (a click on an item whose menu has no
// folders) shows nothing and leaves the outer menu to close as any other.
TEST_F(PopUpMenuTracking, MenusTrackedInsideAnOpenSubmenuHandTheOwnerBackAndCloseWithTheirRoot) {
    MenuTree outer = BuildMenuTree(3, 2, m_icon.Get());
    CPopUpMenu empty, inner;
    inner.SetEffects(FALSE);
    inner.AppendTextItem(L"Inner one");
    UINT innerSecond = inner.AppendTextItem(L"Inner two");
    UINT emptyChosen = 1;
    UINT innerChosen = 0;
    MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 1, 0, 0, reinterpret_cast<ULONG_PTR>(m_icon.Get())};
    LRESULT measuredAfterInner = 0;
    auto nestedThenEnd = [&]() {
        emptyChosen = empty.Track(400, 400, m_owner.Handle(), FALSE);
        innerChosen = m_owner.Track(inner, {PressKeys(inner.GetHandle(), {VK_DOWN, VK_DOWN, VK_RETURN})}, {400, 400});
        measuredAfterInner = SendMessageW(m_owner.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        EndMenu();
        return true;
    };
    size_t stepsRun = 0;
    m_owner.Track(*outer[0],
                  {PressKeys(outer[0]->GetHandle(), {VK_DOWN, VK_RIGHT}), PressKeys(outer[1]->GetHandle(), {VK_RIGHT}),
                   WaitForMenu(outer[2]->GetHandle()), nestedThenEnd, [] { return false; }},
                  {100, 100}, FALSE, &stepsRun);
    EXPECT_EQ(0u, emptyChosen);
    EXPECT_EQ(4u, stepsRun) << "the outer menu closed on EndMenu, before the last step";
    EXPECT_EQ(innerSecond, innerChosen);
    EXPECT_TRUE(measuredAfterInner) << "the outer menu still draws through the owner";
    EXPECT_EQ(18u, measure.itemWidth) << "answered by the outer menu, which has effects";
    EXPECT_EQ(0, SendMessageW(m_owner.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)))
        << "and the subclass is gone once the outer menu closed";
    EXPECT_EQ((std::vector<std::pair<HWND, HMENU>>{}), OpenMenus()) << "no submenu of any depth is left open";
}

TEST_F(PopUpMenuTracking, TheIconSourceHearsOnceThatTheMenuIsOnScreenOrClosedBeforeThat) {
    MenuTree tree = BuildMenuTree(1, 3, m_icon.Get());
    RecordingIconSource source;
    source.menu = tree[0]->GetHandle();
    tree[0]->SetIconSource(&source);
    for (UINT item = 1; item <= 3; ++item)
        tree[0]->DeferItemIcon(item, item);
    m_owner.Track(*tree[0],
                  {WaitForMenu(source.menu), [&] { return !source.calls.empty() && source.calls.back() == 'S'; }});
    EXPECT_EQ("OFFFS", source.calls) << "the first screen's icons are asked for while it is drawn, before it settles";

    // Closed while its first screen is drawn, the loop never idles: the end of tracking tells.
    source.calls.clear();
    source.closeOnFetch = true;
    tree[0]->DeferItemIcon(1, 1);
    size_t stepsRun = 0;
    m_owner.Track(*tree[0], {WaitForMenu(source.menu), [] { return false; }}, {100, 100}, FALSE, &stepsRun);
    EXPECT_EQ("OFs", source.calls);
}
