#include "lib/Treeview.h"

#include "WrappedControl.h"
#include "support/MessagePump.h"
#include "support/SourceTree.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingEvents : public CTreeviewEventsBase {
public:
    void OnStateIconClick(CTreeview*, HTREEITEM item) override { stateClicks.push_back(item); }
    std::vector<HTREEITEM> stateClicks;
};

bool g_menuSeen = false;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND menuWindow = FindOwnWindow(L"#32768")) {
        g_menuSeen = true;
        PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

// Root "a<b&c" (expanded) with "child 1" (holding a collapsed "grand") and "child 2"; root
// "Second" (collapsed) with "hidden". The tree has check boxes.
class TreeviewTest : public WrappedControlTest<CTreeview> {
protected:
    void SetUp() override {
        tree = CreateControl(WC_TREEVIEWW, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 380, 260);
        // Check boxes given after creation, as the control's documentation asks: Wine makes the
        // state images only then.
        SetWindowLongW(tree, GWL_STYLE, GetWindowLongW(tree, GWL_STYLE) | TVS_CHECKBOXES);
        Wrap(new CTreeview(tree, &events));
        root = Insert(TVI_ROOT, L"a<b&c");
        child1 = Insert(root, L"child 1");
        Insert(child1, L"grand");
        Insert(root, L"child 2");
        second = Insert(TVI_ROOT, L"Second");
        Insert(second, L"hidden");
        TreeView_Expand(tree, root, TVE_EXPAND);
    }
    HTREEITEM Insert(HTREEITEM parentItem, const wchar_t* text) {
        TVINSERTSTRUCTW insert = {};
        insert.hParent = parentItem;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(text);
        return TreeView_InsertItem(tree, &insert);
    }
    bool FindPoint(HTREEITEM item, UINT flag, POINT* point) {
        RECT rectangle;
        if (!TreeView_GetItemRect(tree, item, &rectangle, FALSE))
            return false;
        for (int x = 0; x < rectangle.right; ++x) {
            TVHITTESTINFO hit = {};
            hit.pt = POINT{x, (rectangle.top + rectangle.bottom) / 2};
            if (TreeView_HitTest(tree, &hit) == item && (hit.flags & flag)) {
                *point = hit.pt;
                return true;
            }
        }
        return false;
    }
    // Posts the button messages with the cursor over the point, as a real click would arrive.
    void ClickAt(POINT point, UINT down, UINT up) {
        POINT screen = point;
        ClientToScreen(tree, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageW(tree, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(point.x, point.y));
        PostMessageW(tree, up, 0, MAKELPARAM(point.x, point.y));
        // Both messages are handled, menus included, by the time the queue is empty.
        PumpPendingMessages();
    }

    HWND tree = nullptr;
    RecordingEvents events;
    HTREEITEM root = nullptr, child1 = nullptr, second = nullptr;
};

} // namespace

TEST_F(TreeviewTest, ExportsMatchTheirExpectedFilesByteForByte) {
    TempDirectory temp;
    TreeView_SelectItem(tree, child1);
    struct Case {
        const wchar_t* name;
        CTreeview::ExportScope scope;
    } cases[] = {
        {L"all.xml", CTreeview::ExportScope::All},           {L"all.HTML", CTreeview::ExportScope::All},
        {L"all.txt", CTreeview::ExportScope::All},           {L"expanded.txt", CTreeview::ExportScope::Expanded},
        {L"expanded.xml", CTreeview::ExportScope::Expanded}, {L"selected.xml", CTreeview::ExportScope::Selected},
        {L"selected.log", CTreeview::ExportScope::Selected}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        ASSERT_TRUE(view->ExportToFile(temp.File(c.name).c_str(), c.scope));
        std::vector<unsigned char> written = ReadFileBytes(temp.File(c.name));
        std::wstring expectedPath = SourceTreePath(std::wstring(L"tests/lib/treeview_expected/") + c.name);
        if (UpdateFixturesRequested())
            WriteFileBytes(expectedPath, written);
        EXPECT_EQ(ReadFileBytes(expectedPath), written);
    }

    TreeView_Expand(tree, root, TVE_COLLAPSE);
    ASSERT_TRUE(view->ExportToFile(temp.File(L"collapsed.txt").c_str(), CTreeview::ExportScope::Expanded));
    EXPECT_EQ(L"a<b&c\r\nSecond\r\n", ReadUtf16File(temp.File(L"collapsed.txt")));
    view->ExpandAll(second);
    EXPECT_TRUE(TreeView_GetItemState(tree, second, TVIS_EXPANDED) & TVIS_EXPANDED);

    auto exportAll = [&](LPCWSTR path) { return view->ExportToFile(path, CTreeview::ExportScope::All); };
    for (const auto& refused : RefusedSaves(temp, exportAll))
        EXPECT_EQ(L"Can't create file " + refused.first, refused.second);
}

TEST_F(TreeviewTest, StateIconClicksAndSpaceReachTheSinkAndTheMenuObeysItsSwitch) {
    POINT point;
    ASSERT_TRUE(FindPoint(child1, TVHT_ONITEMSTATEICON, &point));
    ClickAt(point, WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_EQ(std::vector<HTREEITEM>{child1}, events.stateClicks) << "a click on the check box";

    TreeView_SelectItem(tree, second);
    UINT before = TreeView_GetCheckState(tree, second);
    SendMessageW(tree, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ((std::vector<HTREEITEM>{child1, second}), events.stateClicks) << "the space bar on the selected item";
    EXPECT_NE(before, TreeView_GetCheckState(tree, second)) << "space toggles the check box exactly once";

    ASSERT_TRUE(FindPoint(second, TVHT_ONITEMLABEL, &point));
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenu);
    view->m_bContextMenuEnabled = FALSE;
    g_menuSeen = false;
    ClickAt(point, WM_RBUTTONDOWN, WM_RBUTTONUP);
    EXPECT_FALSE(g_menuSeen) << "a right click with the menu switched off shows a menu";
    view->m_bContextMenuEnabled = TRUE;
    ClickAt(point, WM_RBUTTONDOWN, WM_RBUTTONUP);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_menuSeen) << "the same right click with the menu switched on";
}
