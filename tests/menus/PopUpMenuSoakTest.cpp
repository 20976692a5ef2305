// Building, showing and destroying menus many times must give back every GDI object, whichever
// way this system shows the icons. The count at the half must equal the count at the end, so even
// one object kept per cycle fails the short everyday run.
#include "menus/MenuTestOwner.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"
#include "support/GdiObjectCounter.h"
#include "support/Soak.h"

#include <gtest/gtest.h>

namespace {

const int kWarmUpCycles = 3;
const int kIconItemsPerLevel = 16;

struct DeepestLevelWatch : CPopUpMenuEventsBase {
    void OnMenuSelect(CPopUpMenu*, WPARAM, LPARAM lParam) override {
        reached = reached || reinterpret_cast<HMENU>(lParam) == deepest;
    }
    HMENU deepest = nullptr;
    bool reached = false;
};

// Three levels of 16 icon items each, plus the two submenu items with icons: 50 icon items.
// Every level is opened with keys, so that its items are drawn, then everything is dismissed.
void BuildShowAndDestroy(MenuTestOwner& owner, int* menusLeft, int* deepestReached) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HICON folder =
        static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 16, 16, LR_SHARED));
    DeepestLevelWatch watch;
    std::vector<HMENU> handles;
    {
        MenuTree tree = BuildMenuTree(3, kIconItemsPerLevel - 1, folder, &watch);
        for (const auto& level : tree) {
            // Loading the shared icon again must not cost an object.
            level->AppendIconItem(L"A folder with a rather long name", IDI_DEFAULT_FOLDER, module);
            handles.push_back(level->GetHandle());
        }
        watch.deepest = handles[2];
        // Queued before the menu shows, the keys are taken by its loop at once instead of one
        // timer tick apart.
        for (UINT key : {VK_DOWN, VK_RIGHT, VK_RIGHT, VK_ESCAPE, VK_ESCAPE, VK_ESCAPE})
            PostMessageW(owner.Handle(), WM_KEYDOWN, key, 0);
        owner.Track(*tree[0], {});
        *deepestReached += watch.reached;
    }
    for (HMENU handle : handles)
        *menusLeft += IsMenu(handle) ? 1 : 0;
}

} // namespace

TEST(PopUpMenuSoak, ShownMenuTreesGiveBackEveryGdiObject) {
    const int cycles = SoakCycles(200, 10000);
    MenuTestOwner owner;
    int menusLeft = 0, deepestReached = 0;
    for (int cycle = 0; cycle < kWarmUpCycles; ++cycle)
        BuildShowAndDestroy(owner, &menusLeft, &deepestReached);

    menusLeft = deepestReached = 0;
    long before = GdiObjectCounter::Read();
    long halfway = before;
    for (int cycle = 1; cycle <= cycles && !::testing::Test::HasFailure(); ++cycle) {
        BuildShowAndDestroy(owner, &menusLeft, &deepestReached);
        if (cycle == cycles / 2)
            halfway = GdiObjectCounter::Read();
    }
    long after = GdiObjectCounter::Read();
    EXPECT_EQ(0, menusLeft) << "menus not destroyed";
    EXPECT_EQ(cycles, deepestReached) << "cycles that opened the third level";
    EXPECT_EQ(before, halfway) << "GDI objects held after " << cycles / 2 << " cycles";
    EXPECT_EQ(before, after) << "GDI objects held after " << cycles << " cycles";
}
