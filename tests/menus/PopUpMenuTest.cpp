// The menu tree: identifiers, lookups, ownership of handles and the item bitmaps of the
// themed technique (what they show: FolderMenuIcons).
#include "menus/MenuTestOwner.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"
#include "support/GdiObjectCounter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The identifiers of the items by position, separators included.
std::vector<UINT> IdsOf(const CPopUpMenu& menu) {
    std::vector<UINT> ids;
    for (int position = 0; position < GetMenuItemCount(menu.GetHandle()); ++position)
        ids.push_back(ReadMenuItem(menu.GetHandle(), static_cast<UINT>(position), MIIM_ID).wID);
    return ids;
}

} // namespace

// desktop-free: PopUpMenuTree
TEST(PopUpMenuTree, IdentifiersAreUniqueAcrossTheTreeSeparatorsLeaveGapsAndEachMenuDestroysOnlyItsOwn) {
    auto owned = std::make_unique<CPopUpMenu>();
    CPopUpMenu& root = *owned;
    CPopUpMenu level1;
    auto level2 = std::make_unique<CPopUpMenu>();
    level1.SetParent(&root);
    level2->SetParent(&level1);
    EXPECT_EQ(&level1, CPopUpMenu::FromHandle(level1.GetHandle())) << "the object is the menu's data";

    UINT first = root.AppendTextItem(L"First");
    root.AppendSeparator();
    UINT toLevel1 = root.AppendSubMenuItem(L"Level 1", &level1, nullptr);
    level1.AppendTextItem(L"In level 1");
    // A caller inserting its own separator takes the identifier from the tree as well.
    // InsertMenuW would drop the identifier: Windows ignores it for MF_SEPARATOR.
    MENUITEMINFOW separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE | MIIM_ID;
    separator.fType = MFT_SEPARATOR;
    separator.wID = level1.NextCommandId();
    ASSERT_TRUE(InsertMenuItemW(level1.GetHandle(), 1, TRUE, &separator));
    UINT toLevel2 = level1.AppendSubMenuItem(L"Level 2", level2.get(), nullptr);
    level2->AppendTextItem(L"In level 2");
    UINT front = root.NextCommandId();
    EXPECT_EQ(front, root.InsertItem(L"Front", nullptr, 0, front));
    root.AppendIconItem(L"Missing icon resource", 9999, GetModuleHandleW(nullptr));

    EXPECT_EQ((std::vector<UINT>{8, 1, 2, 3, 9}), IdsOf(root)) << "one counter, at the root, starting at 1";
    EXPECT_EQ((std::vector<UINT>{4, 5, 6}), IdsOf(level1)) << "the separator took 5";
    EXPECT_EQ((std::vector<UINT>{7}), IdsOf(*level2));

    EXPECT_EQ(1, root.GetItemPosition(first));
    EXPECT_EQ(2, level1.GetItemPosition(toLevel2));
    EXPECT_EQ(-1, root.GetItemPosition(toLevel2)) << "positions are those of the menu's own items";
    EXPECT_EQ(&level1, root.GetSubMenuOfItem(toLevel1));
    EXPECT_EQ(level2.get(), root.GetSubMenuOfItem(toLevel2)) << "found by command anywhere below";
    EXPECT_EQ(nullptr, root.GetSubMenuOfItem(first));
    EXPECT_EQ(nullptr, root.GetSubMenuOfItem(999));

    // Submenus are their objects' to destroy, whether the parent goes first or last.
    HMENU rootHandle = root.GetHandle();
    HMENU level2Handle = level2->GetHandle();
    owned.reset();
    EXPECT_FALSE(IsMenu(rootHandle));
    EXPECT_TRUE(IsMenu(level1.GetHandle())) << "the parent destroyed a submenu it does not own";
    EXPECT_EQ(3, GetMenuItemCount(level1.GetHandle()));
    level2.reset();
    EXPECT_FALSE(IsMenu(level2Handle));
}

// desktop-free: PopUpMenuThemed
TEST(PopUpMenuThemed, IconItemsShareABitmapPerIconFreedWithTheLastMenu) {
    if (!CPopUpMenu().IsThemed())
        GTEST_SKIP() << "menus of this system draw icons through the owner (PopUpMenuOwnerDraw covers them)";
    CIconHandle icon(CreateSolidIcon(16, 0xFFFF0000));
    // The shared resource icon lives as long as the module, and the first item bitmap of a
    // process makes what GDI keeps for later ones: both happen before counting.
    LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_OPTIONS), IMAGE_ICON, 16, 16, LR_SHARED);
    CPopUpMenu().InsertItem(L"Warm-up", icon.Get(), 0, 1);

    long before = GdiObjectCounter::Read();
    auto* menu = new CPopUpMenu();
    CPopUpMenu sub;
    sub.SetParent(menu);
    menu->AppendIconItem(L"Options", IDI_OPTIONS, GetModuleHandleW(nullptr));
    for (int item = 0; item < 20; ++item)
        menu->InsertItem(L"Red", icon.Get(), static_cast<UINT>(GetMenuItemCount(menu->GetHandle())),
                         menu->NextCommandId());
    menu->AppendSubMenuItem(L"Sub", &sub, icon.Get());
    EXPECT_EQ(2, GdiObjectCounter::Read() - before) << "one bitmap per distinct icon and nothing else";

    std::vector<HBITMAP> bitmaps;
    for (UINT position = 0; position < 22; ++position) {
        MENUITEMINFOW item = ReadMenuItem(menu->GetHandle(), position, MIIM_BITMAP | MIIM_DATA);
        EXPECT_EQ(0u, item.dwItemData);
        bitmaps.push_back(item.hbmpItem);
    }
    EXPECT_NE(bitmaps[0], bitmaps[1]);
    EXPECT_EQ(bitmaps[1], bitmaps[21]) << "the items showing the red icon share its bitmap";

    // Another menu showing the resource icon shares its bitmap, which lives until both are gone.
    auto* other = new CPopUpMenu();
    other->AppendIconItem(L"Options", IDI_OPTIONS, GetModuleHandleW(nullptr));
    EXPECT_EQ(bitmaps[0], ReadMenuItem(other->GetHandle(), 0, MIIM_BITMAP).hbmpItem);
    delete menu;
    EXPECT_NE(0u, GetObjectType(bitmaps[0])) << "still shown by the other menu";
    delete other;
    EXPECT_EQ(0, GdiObjectCounter::Read() - before) << "the menus freed their bitmaps";
    for (HBITMAP bitmap : bitmaps)
        EXPECT_EQ(0u, GetObjectType(bitmap));
    EXPECT_TRUE(IconAlive(icon.Get())) << "the icon stays the caller's";
}
