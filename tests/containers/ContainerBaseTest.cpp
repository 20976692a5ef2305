#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"
#include "support/Icons.h"
#include "support/SourceTree.h"
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
    std::wstring text; // empty for a separator
    UINT id;
    bool hasIcon;
};

std::vector<MenuItem> ReadMenu(CPopUpMenu* menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu->GetHandle()); ++i) {
        WCHAR text[128] = L"";
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu->GetHandle(), i, TRUE, &info);
        items.push_back({info.fType & MFT_SEPARATOR ? L"" : text, info.wID, info.hbmpItem != nullptr});
    }
    return items;
}

} // namespace

TEST(ContainerBase, ContextMenuHasTheSevenEntriesInOrderWithIconsAndActions) {
    CLanguage language;
    TestContainer container(nullptr);
    ASSERT_TRUE(container.BuildContextMenu(&language));
    std::vector<MenuItem> items = ReadMenu(container.GetContextMenu());
    // Separators show no text and take an identifier without an action.
    const std::vector<std::wstring> texts = {
        language.Show,           L"", language.Options,       L"", language.Help, language.About, L"",
        language.CheckForUpdate, L"", language.MakeADonation, L"", language.Exit};
    const std::vector<int> actions = {
        ContainerMenuActionShow,  ContainerMenuActionOptions,        ContainerMenuActionHelp,
        ContainerMenuActionAbout, ContainerMenuActionCheckForUpdate, ContainerMenuActionDonate,
        ContainerMenuActionExit};
    std::vector<int> shownActions;
    ASSERT_EQ(texts.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i], items[i].text);
        int action = container.GetMenuAction(items[i].id);
        if (!items[i].text.empty())
            shownActions.push_back(action);
        EXPECT_TRUE(!items[i].text.empty() || action == -1) << "a separator's identifier has no action";
        EXPECT_TRUE(items[i].text.empty() || items[i].hasIcon || !container.GetContextMenu()->IsThemed());
        EXPECT_TRUE(i == 0 || items[i].id > items[i - 1].id) << "separators take identifiers too";
    }
    EXPECT_EQ(actions, shownActions);

    TestContainer launchBar(nullptr);
    launchBar.BuildLaunchBarMenu(&language);
    std::vector<MenuItem> barItems = ReadMenu(launchBar.GetContextMenu());
    ASSERT_EQ(items.size() - 2, barItems.size());
    EXPECT_EQ(std::wstring(language.Options), barItems[0].text) << "the launch bar's own menu has no Show entry";
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
        EXPECT_EQ(normal, container.GetHotIcon());
        EXPECT_EQ(normal, container.GetDownIcon());
        EXPECT_EQ(nullptr, container.GetNotifyIcon()) << "no tray icon in launch bar mode";
        EXPECT_EQ(32u * 32u, ReadIconPixels(normal).size()) << "launch bar icons take the bar's icon size";
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
        EXPECT_EQ(40, container.GetShowPoint().x);
        EXPECT_TRUE(container.GetOpenUpward());
        container.OnHotKey();
        EXPECT_EQ((std::vector<BOOL>{TRUE, FALSE}), container.shows) << "a click always shows, a hotkey toggles";
        EXPECT_TRUE(container.GetOpenUpward()) << "a hotkey keeps the last click's direction";
    }
    EXPECT_TRUE(IconAlive(defaultIcon)) << "the shared default icon is never destroyed";
}
