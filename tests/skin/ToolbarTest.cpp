// The standard toolbar wrapper on a real toolbar control: buttons and their image lists,
// tooltips, and a drop-down menu played from inside its modal loop.
#include "menus/PopUpMenu.h"
#include "res/resource.h"
#include "skin/Toolbar.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

namespace {

struct MenuSink : CToolbarEventsBase {
    void OnBeforeMenu(CToolbar*, CPopUpMenu* menu) override { before = menu; }
    void OnMenuCommand(CToolbar*, CPopUpMenu* menu, UINT command) override {
        chosenFrom = menu;
        chosen = command;
    }
    CPopUpMenu* before = nullptr;
    CPopUpMenu* chosenFrom = nullptr;
    UINT chosen = 0;
};

// Where the menu opened: noted by a thread timer once it shows, which then has its first item chosen.
RECT g_menuRect = {};
UINT_PTR g_chooser = 0;
void CALLBACK NoteMenuAndChooseFirst(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindOwnWindow(L"#32768");
    if (!menu)
        return;
    KillTimer(nullptr, timer);
    GetWindowRect(menu, &g_menuRect);
    g_chooser = ChooseMenuEntryWhenShown(1);
}

struct Parent {
    Parent() {
        window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 200, 400, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    }
    ~Parent() { DestroyWindow(window); }
    HWND window;
};

} // namespace

TEST(ToolbarDesktop, ButtonsKeepTheirImageListsInStepAnswerTheirTooltipsAndOpenTheirMenusBelowThemselves) {
    Parent parent;
    HINSTANCE module = GetModuleHandleW(nullptr);
    MenuSink sink;
    CToolbar toolbar(module, parent.window, &sink);
    ASSERT_NE(nullptr, toolbar.GetHandle());
    EXPECT_EQ(&toolbar, CToolbar::FromHandle(toolbar.GetHandle()));
    EXPECT_TRUE(
        toolbar.AddButton(7, L"Home", IDI_TOOLBAR_HOME, IDI_TOOLBAR_HOME_DOWN, IDI_TOOLBAR_HOME_HOT, L"Go home"));
    for (UINT missing : {0u, 1u, 2u}) {
        UINT icons[] = {IDI_TOOLBAR_UP, IDI_TOOLBAR_UP_DOWN, IDI_TOOLBAR_UP_HOT};
        icons[missing] = 9999; // no such icon in the resources
        EXPECT_FALSE(toolbar.AddButton(8, L"Up", icons[0], icons[1], icons[2], L"Up")) << "missing icon " << missing;
    }
    // The failed additions left nothing behind in any of the three image lists.
    for (UINT list : {TB_GETIMAGELIST, TB_GETDISABLEDIMAGELIST, TB_GETHOTIMAGELIST})
        EXPECT_EQ(1,
                  ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar.GetHandle(), list, 0, 0))))
            << "list 0x" << std::hex << list;
    EXPECT_EQ(1, SendMessageW(toolbar.GetHandle(), TB_BUTTONCOUNT, 0, 0));

    auto tooltipOf = [&](UINT command, HWND from) -> std::wstring {
        NMTTDISPINFOW info = {};
        info.hdr = {from, command, TTN_GETDISPINFOW};
        LRESULT result = -1;
        if (!toolbar.HandleNotify(&info.hdr, &result))
            return L"(not handled)";
        EXPECT_EQ(module, info.hinst);
        return info.lpszText;
    };
    EXPECT_EQ(L"Go home", tooltipOf(7, toolbar.GetTooltip()));
    EXPECT_EQ(L"(not handled)", tooltipOf(7, parent.window)) << "another control's notification";
    EXPECT_TRUE(toolbar.SetButtonTooltip(7, nullptr));
    EXPECT_EQ(L"", tooltipOf(7, toolbar.GetHandle()));
    EXPECT_FALSE(toolbar.SetButtonTooltip(8, L"no such button"));

    // A drop-down menu opens below its button and reports the choice.
    CPopUpMenu menu;
    UINT first = menu.AppendTextItem(L"First");
    menu.AppendTextItem(L"Second");
    ASSERT_TRUE(toolbar.SetButtonMenu(7, &menu));

    RECT button;
    SendMessageW(toolbar.GetHandle(), TB_GETRECT, 7, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(toolbar.GetHandle(), nullptr, reinterpret_cast<POINT*>(&button), 2);
    UINT_PTR noter = SetTimer(nullptr, 0, 30, NoteMenuAndChooseFirst);
    NMTOOLBARW dropDown = {};
    dropDown.hdr = {toolbar.GetHandle(), 7, static_cast<UINT>(TBN_DROPDOWN)};
    dropDown.iItem = 7;
    LRESULT result = -1;
    ASSERT_TRUE(toolbar.HandleNotify(&dropDown.hdr, &result));
    KillTimer(nullptr, noter);
    KillTimer(nullptr, g_chooser);
    EXPECT_EQ(TBDDRET_DEFAULT, result);
    EXPECT_EQ(&menu, sink.before);
    EXPECT_EQ(&menu, sink.chosenFrom);
    EXPECT_EQ(first, sink.chosen);
    EXPECT_NEAR(button.left, g_menuRect.left, 3);
    EXPECT_NEAR(button.bottom, g_menuRect.top, 3);
}
