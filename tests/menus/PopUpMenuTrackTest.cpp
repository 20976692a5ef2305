// Tracking: the chosen command, the events, right clicks in open submenus, owner-draw requests
// reaching the root, and menus tracked inside menus.
#include "menus/MenuTestOwner.h"
#include "menus/PopUpMenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RightClick {
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

    std::vector<RightClick> rightClicks;
    std::vector<RightClick> selections;
};

class PopUpMenuTracking : public ::testing::Test {
protected:
    void SetUp() override { m_icon = CreateSolidIcon(16, 0xFF0000FF); }
    void TearDown() override { DestroyIcon(m_icon); }

    HICON m_icon = nullptr;
    MenuTestOwner m_owner;
    RecordingEvents m_events;
};

// Releases the right button with the cursor at the point: the menu loop hands button messages
// it does not use to the owner, which holds the capture.
MenuTestOwner::Step RightClickAt(HWND owner, std::function<POINT()> where) {
    return [owner, where]() {
        POINT point = where();
        SetCursorPos(point.x, point.y);
        SendMessageW(owner, WM_RBUTTONUP, 0, 0);
        return true;
    };
}

std::function<POINT()> CentreOf(HMENU menu, UINT position) {
    return [menu, position]() {
        RECT item = {};
        GetMenuItemRect(nullptr, menu, position, &item);
        return POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    };
}

// A text as wide as three quarters of the screen in the menu font.
std::wstring ScreenWideText() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    std::wstring text = L"W";
    SIZE extent = {};
    while (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent) &&
           extent.cx < GetSystemMetrics(SM_CXSCREEN) * 3 / 4)
        text += L"W";
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return text;
}

} // namespace

TEST_F(PopUpMenuTracking, TheChosenCommandComesBackAndEverySelectionIsReported) {
    MenuTree tree = BuildMenuTree(3, 2, m_icon, &m_events);
    HMENU root = tree.menus[0]->GetHandle();
    HMENU level1 = tree.menus[1]->GetHandle();
    HMENU level2 = tree.menus[2]->GetHandle();
    RECT shown = {};
    auto measure = [root, &shown]() {
        GetWindowRect(FindMenuWindow(root), &shown);
        return true;
    };

    UINT chosen = m_owner.Track(*tree.menus[0],
                                {WaitForMenu(root), measure, PressKeys(root, {VK_DOWN, VK_RIGHT}),
                                 PressKeys(level1, {VK_RIGHT}), PressKeys(level2, {VK_DOWN, VK_RETURN})},
                                {300, 600}, TRUE);
    EXPECT_EQ(8u, chosen) << "the second item of level 2: root 1-3, level 1 4-6, level 2 7-8";
    EXPECT_EQ(600, shown.bottom) << "opened upward";
    EXPECT_EQ(300, shown.left);

    bool sawSubmenuItem = false;
    bool sawChosenItem = false;
    for (const RightClick& selection : m_events.selections) {
        EXPECT_EQ(tree.menus[0].get(), selection.menu) << "events name the tracked menu";
        UINT item = LOWORD(selection.position);
        sawSubmenuItem |= selection.itemMenu == root && (HIWORD(selection.position) & MF_POPUP) && item == 0;
        sawChosenItem |= selection.itemMenu == level2 && item == 8;
    }
    EXPECT_TRUE(sawSubmenuItem) << "a highlighted submenu item comes with its position and MF_POPUP";
    EXPECT_TRUE(sawChosenItem) << "a highlighted command comes with its identifier";

    // The owner is subclassed only while the menu is tracked.
    size_t selections = m_events.selections.size();
    SendMessageW(m_owner.Handle(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), reinterpret_cast<LPARAM>(root));
    EXPECT_EQ(selections, m_events.selections.size());

    auto measureAndLeave = [root, &shown]() {
        GetWindowRect(FindMenuWindow(root), &shown);
        PostMessageW(FindMenuWindow(root), WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    };
    EXPECT_EQ(0u, m_owner.Track(*tree.menus[0], {WaitForMenu(root), measureAndLeave}, {300, 600}, FALSE));
    EXPECT_EQ(600, shown.top) << "opened downward";
}

TEST_F(PopUpMenuTracking, RightClickReportsTheMenuAndPositionUnderTheCursorDeepestFirst) {
    MenuTree tree = BuildMenuTree(3, 3, m_icon, &m_events);
    HWND owner = m_owner.Handle();
    HMENU root = tree.menus[0]->GetHandle();
    HMENU level1 = tree.menus[1]->GetHandle();
    HMENU level2 = tree.menus[2]->GetHandle();
    // Too wide for either side of the root, level 1 opens over it.
    tree.menus[1]->AppendTextItem(ScreenWideText().c_str());
    bool rootCovered = false;
    auto checkCover = [root, level1, &rootCovered]() {
        RECT cover = {};
        GetWindowRect(FindMenuWindow(level1), &cover);
        POINT rootItem = CentreOf(root, 0)();
        rootCovered = PtInRect(&cover, rootItem) != FALSE;
        return true;
    };

    POINT nowhere = {GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2};
    m_owner.Track(*tree.menus[0],
                  {WaitForMenu(root), RightClickAt(owner, CentreOf(root, 2)), PressKeys(root, {VK_HOME, VK_RIGHT}),
                   PressKeys(level1, {VK_RIGHT}), WaitForMenu(level2), checkCover,
                   RightClickAt(owner, CentreOf(level2, 2)), RightClickAt(owner, CentreOf(root, 0)),
                   RightClickAt(owner, [nowhere]() { return nowhere; })},
                  {GetSystemMetrics(SM_CXSCREEN) / 2, 100});

    ASSERT_TRUE(rootCovered) << "level 1 was meant to cover the root's highlighted item";
    ASSERT_EQ(3u, m_events.rightClicks.size()) << "a click away from the menus reports nothing";
    EXPECT_EQ(tree.menus[0].get(), m_events.rightClicks[0].menu) << "events name the tracked menu";
    EXPECT_EQ(root, m_events.rightClicks[0].itemMenu);
    EXPECT_EQ(2u, m_events.rightClicks[0].position);
    EXPECT_EQ(level2, m_events.rightClicks[1].itemMenu) << "the open submenu, not the highlighted item of a parent";
    EXPECT_EQ(2u, m_events.rightClicks[1].position);
    EXPECT_EQ(level1, m_events.rightClicks[2].itemMenu) << "the submenu on top of its parent's item";
    EXPECT_EQ(0u, m_events.rightClicks[2].position);
}

TEST_F(PopUpMenuTracking, DrawAndMeasureRequestsOfADeepSubmenuAreAnsweredThroughTheRoot) {
    MenuTree tree = BuildMenuTree(4, 2, m_icon);
    HMENU deepest = tree.menus[3]->GetHandle();
    HMENU stranger = CreatePopupMenu();
    HWND owner = m_owner.Handle();
    Canvas canvas(24);
    const DWORD background = 0xABCDEF;
    struct Answers {
        LRESULT measured, width, height, listBoxMeasured, drawn, strangerDrawn, buttonDrawn, emptyDrawn, noIconDrawn;
        DWORD corner, inside, strangerCorner;
    } answers = {};

    auto ask = [&]() {
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 1, 0, 0, reinterpret_cast<ULONG_PTR>(m_icon)};
        answers.measured = SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        answers.width = measure.itemWidth;
        answers.height = measure.itemHeight;
        MEASUREITEMSTRUCT listBox = {ODT_LISTBOX, 7, 0, 0, 0, reinterpret_cast<ULONG_PTR>(m_icon)};
        answers.listBoxMeasured = SendMessageW(owner, WM_MEASUREITEM, 7, reinterpret_cast<LPARAM>(&listBox));

        DRAWITEMSTRUCT draw = {ODT_MENU,
                               0,
                               1,
                               ODA_DRAWENTIRE,
                               0,
                               reinterpret_cast<HWND>(deepest),
                               canvas.Dc(),
                               {0, 0, 20, 20},
                               reinterpret_cast<ULONG_PTR>(m_icon)};
        auto send = [owner](DRAWITEMSTRUCT item) {
            return SendMessageW(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        };
        canvas.Fill(background);
        DRAWITEMSTRUCT other = draw;
        other.hwndItem = reinterpret_cast<HWND>(stranger);
        answers.strangerDrawn = send(other);
        answers.strangerCorner = canvas.At(5, 5);
        answers.drawn = send(draw);
        answers.corner = canvas.At(0, 0);
        answers.inside = canvas.At(1, 1);
        other = draw;
        other.CtlType = ODT_BUTTON;
        answers.buttonDrawn = send(other);
        other = draw;
        other.rcItem = {4, 4, 4, 20};
        answers.emptyDrawn = send(other);
        other = draw;
        other.itemData = 0;
        answers.noIconDrawn = send(other);
        return true;
    };
    m_owner.Track(*tree.menus[0], {WaitForMenu(tree.menus[0]->GetHandle()), ask});

    EXPECT_TRUE(answers.measured);
    EXPECT_EQ(18, answers.width) << "the icon plus 2 pixels for the lifted look";
    EXPECT_EQ(18, answers.height);
    EXPECT_EQ(0, answers.listBoxMeasured);
    EXPECT_TRUE(answers.drawn) << "an item three submenus down belongs to the root's tree";
    EXPECT_EQ(background, answers.corner) << "at rest the icon sits one pixel down and right";
    EXPECT_EQ(0x0000FFu, answers.inside);
    EXPECT_EQ(0, answers.strangerDrawn) << "a menu outside the tree";
    EXPECT_EQ(background, answers.strangerCorner);
    EXPECT_EQ(0, answers.buttonDrawn);
    EXPECT_EQ(0, answers.emptyDrawn);
    EXPECT_EQ(0, answers.noIconDrawn);

    tree.menus[0]->SetEffects(FALSE);
    m_owner.Track(*tree.menus[0], {WaitForMenu(tree.menus[0]->GetHandle()), ask});
    EXPECT_EQ(16, answers.width) << "no enlargement without effects";
    EXPECT_EQ(0x0000FFu, answers.corner) << "no offset without effects";
    DestroyMenu(stranger);
}

TEST_F(PopUpMenuTracking, AMenuTrackedInsideAnotherHandsTheOwnerBackToTheOuterMenu) {
    MenuTree outer = BuildMenuTree(1, 3, m_icon);
    CPopUpMenu inner;
    inner.SetEffects(FALSE);
    inner.AppendTextItem(L"Inner one");
    UINT innerSecond = inner.AppendTextItem(L"Inner two");
    UINT innerChosen = 0;
    MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 1, 0, 0, reinterpret_cast<ULONG_PTR>(m_icon)};
    LRESULT measuredAfterInner = 0;
    auto nested = [&]() {
        innerChosen = m_owner.Track(inner, {PressKeys(inner.GetHandle(), {VK_DOWN, VK_DOWN, VK_RETURN})}, {400, 400});
        measuredAfterInner = SendMessageW(m_owner.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        return true;
    };
    m_owner.Track(*outer.menus[0], {WaitForMenu(outer.menus[0]->GetHandle()), nested});

    EXPECT_EQ(innerSecond, innerChosen);
    EXPECT_TRUE(measuredAfterInner) << "the outer menu still draws through the owner";
    EXPECT_EQ(18u, measure.itemWidth) << "answered by the outer menu, which has effects";
    EXPECT_EQ(0, SendMessageW(m_owner.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)))
        << "and the subclass is gone once the outer menu closed";
}

TEST_F(PopUpMenuTracking, TheOuterMenuStaysOpenAfterANestedMenuCloses) {
    if (RunningOnWine())
        GTEST_SKIP() << "Wine 8 closes every open menu when a menu tracked inside another one ends";
    MenuTree outer = BuildMenuTree(1, 3, m_icon);
    HMENU outerMenu = outer.menus[0]->GetHandle();
    CPopUpMenu inner;
    inner.AppendTextItem(L"Inner");
    auto nested = [&]() {
        m_owner.Track(inner, {PressKeys(inner.GetHandle(), {VK_ESCAPE})}, {400, 400});
        return true;
    };
    EXPECT_EQ(
        GetMenuItemID(outerMenu, 0),
        m_owner.Track(*outer.menus[0], {WaitForMenu(outerMenu), nested, PressKeys(outerMenu, {VK_DOWN, VK_RETURN})}));
}
