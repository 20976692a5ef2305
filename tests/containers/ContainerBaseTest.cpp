#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"
#include "support/SourceTree.h"
#include "support/MenuWindow.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A container that records what the base asks of the presentation.
class TestContainer : public CContainerBase {
public:
    explicit TestContainer(CPathwren* application) : CContainerBase(GetModuleHandleW(nullptr), application) {}
    BOOL SaveState() override { return TRUE; }
    BOOL Show(BOOL alwaysShow) override {
        shows.push_back(alwaysShow);
        return TRUE;
    }
    BOOL BuildLaunchBarMenu(CLanguage* language) { return BuildMenu(language, FALSE); }
    std::vector<BOOL> shows;
};

struct MenuItem {
    std::wstring text;
    UINT id;
    bool separator;
    bool hasIcon;
};

std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        WCHAR text[128] = L"";
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        items.push_back({text, info.wID, (info.fType & MFT_SEPARATOR) != 0, info.hbmpItem != nullptr});
    }
    return items;
}

// A stand-in for the hidden main window, so posted commands can be read back.
struct MainWindow {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~MainWindow() { DestroyWindow(window); }
    bool Received(UINT message) {
        MSG posted;
        return PeekMessageW(&posted, window, message, message, PM_REMOVE) != FALSE;
    }
};

// Picks the last item of the next tracked menu with the keyboard.
void CALLBACK ChooseLastItem(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menuWindow = FindOwnMenuWindow();
    if (!menuWindow)
        return;
    KillTimer(nullptr, timer);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
}

bool IconAlive(HICON icon) {
    ICONINFO info;
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

} // namespace

TEST(ContainerBase, ContextMenuHasTheSevenEntriesInOrderWithIconsAndActions) {
    CLanguage language;
    TestContainer container(nullptr);
    ASSERT_TRUE(container.BuildContextMenu(&language));
    std::vector<MenuItem> items = ReadMenu(container.GetContextMenu()->GetHandle());
    const std::vector<std::pair<std::wstring, int>> expected = {
        {language.Show, ContainerMenuActionShow},
        {L"", -1},
        {language.Options, ContainerMenuActionOptions},
        {L"", -1},
        {language.Help, ContainerMenuActionHelp},
        {language.About, ContainerMenuActionAbout},
        {L"", -1},
        {language.CheckForUpdate, ContainerMenuActionCheckForUpdate},
        {L"", -1},
        {language.MakeADonation, ContainerMenuActionDonate},
        {L"", -1},
        {language.Exit, ContainerMenuActionExit}};
    ASSERT_EQ(expected.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].second < 0, items[i].separator);
        if (items[i].separator)
            continue;
        EXPECT_EQ(expected[i].first, items[i].text);
        EXPECT_EQ(expected[i].second, container.GetMenuAction(items[i].id));
        if (container.GetContextMenu()->IsThemed()) {
            EXPECT_TRUE(items[i].hasIcon);
        }
        if (i > 0) {
            EXPECT_GT(items[i].id, items[i - 1].id) << "separators take identifiers too";
        }
    }
    EXPECT_EQ(-1, container.GetMenuAction(items[1].id)) << "a separator's identifier has no action";

    TestContainer launchBar(nullptr);
    launchBar.BuildLaunchBarMenu(&language);
    std::vector<MenuItem> barItems = ReadMenu(launchBar.GetContextMenu()->GetHandle());
    ASSERT_EQ(items.size() - 2, barItems.size());
    EXPECT_EQ(std::wstring(language.Options), barItems[0].text) << "the launch bar's own menu has no Show entry";
}

TEST(ContainerBase, ExitFromTheContextMenuClosesTheProgramThroughItsMainWindow) {
    CPathwren application;
    MainWindow main;
    application.m_hMainWindow = main.window;
    CLanguage language;
    TestContainer container(&application);
    container.BuildContextMenu(&language);
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    container.SetOwnerWindow(owner);

    UINT_PTR timer = SetTimer(nullptr, 0, 50, ChooseLastItem);
    EXPECT_TRUE(container.ShowContextMenu(POINT{200, 300}, FALSE));
    KillTimer(nullptr, timer);
    EXPECT_TRUE(main.Received(WM_CLOSE));
    EXPECT_EQ(200, container.GetShowPoint().x);
    EXPECT_FALSE(container.GetOpenUpward());
    DestroyWindow(owner);
    application.m_hMainWindow = nullptr;
}

TEST(ContainerBase, LaunchBarButtonIconsFallBackToTheNormalIconOwnedOnce) {
    CPathwren application;
    application.m_pOptions = new CApplicationOptions();
    application.m_pOptions->LaunchMode = LaunchModeLaunchBar;
    application.m_pOptions->LaunchBarOptions.IconSize = 32;
    CGenericPathwrenObject item;
    wcscpy(item.AssociatedIconPath, SourceTreePath(L"res/icons/DefaultFolder.ico").c_str());
    HICON normal = nullptr;
    {
        TestContainer container(&application);
        ASSERT_TRUE(container.AttachItemIcon(&item));
        normal = container.GetIcon();
        ASSERT_NE(nullptr, normal);
        EXPECT_EQ(normal, container.GetHotIcon());
        EXPECT_EQ(normal, container.GetDownIcon());
        EXPECT_EQ(nullptr, container.GetNotifyIcon()) << "no tray icon in launch bar mode";
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(normal, &info));
        BITMAP bitmap;
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(32, bitmap.bmWidth) << "launch bar icons take the bar's icon size";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    EXPECT_FALSE(IconAlive(normal));
}

TEST(ContainerBase, TrayModeShowsTheItemAndClicksSetTheShowPoint) {
    TempDirectory temp;
    CPathwren application;
    application.m_pOptions = new CApplicationOptions();
    HICON defaultIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED));
    CGenericPathwrenObject item;
    wcscpy(item.Path, temp.Path().c_str());
    {
        TestContainer container(&application);
        container.SetDefaultIcon(defaultIcon);
        ASSERT_TRUE(container.AttachItemIcon(&item));
        EXPECT_EQ(defaultIcon, container.GetIcon()) << "an item without its own icon shows the default one";
        ASSERT_NE(nullptr, container.GetNotifyIcon());
        EXPECT_EQ(container.GetNotifyIcon()->m_hWnd, container.GetOwnerWindow());
        WCHAR name[MAX_PATH];
        item.GetDisplayName(name);
        EXPECT_STREQ(name, container.GetNotifyIcon()->m_notifyIconData.szTip);

        container.OnNotifyIconLeftClick(container.GetNotifyIcon(), POINT{40, 50});
        ASSERT_EQ(1u, container.shows.size());
        EXPECT_TRUE(container.shows[0]) << "a click always shows";
        EXPECT_EQ(40, container.GetShowPoint().x);
        EXPECT_TRUE(container.GetOpenUpward());
        container.OnHotKey();
        ASSERT_EQ(2u, container.shows.size());
        EXPECT_FALSE(container.shows[1]) << "a hotkey toggles";
        EXPECT_TRUE(container.GetOpenUpward()) << "a hotkey keeps the last click's direction";
    }
    EXPECT_TRUE(IconAlive(defaultIcon)) << "the shared default icon is never destroyed";
}
