#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"
#include "support/Icons.h"
#include "support/MenuTexts.h"
#include "support/MessagePump.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <memory>
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

const DWORD kRetryDelayMs = 100;
// Timers may fire a little early on a busy machine; a retry without any wait would be far earlier.
const DWORD kTimerSlackMs = 30;

// A notification area that refuses the first failures attempts to add an icon and notes when
// each attempt came; the real one is never touched.
class LateNotificationArea {
public:
    explicit LateNotificationArea(size_t failures)
        : m_real(CNotifyIcon::s_shellNotifyIcon), m_delay(CContainerBase::s_trayRetryDelayMs) {
        s_failures = failures;
        s_addTimes.clear();
        CNotifyIcon::s_shellNotifyIcon = Call;
        CContainerBase::s_trayRetryDelayMs = kRetryDelayMs;
    }
    ~LateNotificationArea() {
        CNotifyIcon::s_shellNotifyIcon = m_real;
        CContainerBase::s_trayRetryDelayMs = m_delay;
    }
    const std::vector<DWORD>& AddTimes() const { return s_addTimes; }
    // Pumps until the count of attempts is reached, then long enough for any further attempt.
    void PumpUntilAttempts(size_t count) const {
        PumpMessagesUntil([count] { return s_addTimes.size() >= count; });
        PumpMessagesUntil([] { return false; }, 3 * kRetryDelayMs);
    }

private:
    static BOOL WINAPI Call(DWORD message, PNOTIFYICONDATAW) {
        if (message != NIM_ADD)
            return TRUE;
        s_addTimes.push_back(GetTickCount());
        return s_addTimes.size() > s_failures;
    }

    static inline size_t s_failures = 0;
    static inline std::vector<DWORD> s_addTimes;
    CNotifyIcon::ShellNotifyIconFunction m_real;
    DWORD m_delay;
};

// An item with the default icon and a container of its own, in tray mode unless the options change.
struct ItemWithContainer {
    ItemWithContainer() {
        application.m_pOptions = new CApplicationOptions();
        container.reset(new TestContainer(&application));
        container->SetDefaultIcon(defaultIcon);
        wcscpy(item.Path, folder.Path().c_str());
    }
    HICON defaultIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED));
    TempDirectory folder;
    CPathwren application;
    CGenericPathwrenObject item;
    std::unique_ptr<TestContainer> container;
};

} // namespace

TEST(ContainerBase, ContextMenuHasTheSevenEntriesInOrderWithIconsAndActionsAndNoneWithoutLanguage) {
    CLanguage language;
    TestContainer container(nullptr);
    ASSERT_TRUE(container.BuildContextMenu(&language));
    HMENU menu = container.GetContextMenu()->GetHandle();
    // Separators show no text and take an identifier without an action.
    const Texts texts = {language.Show,           L"", language.Options,       L"", language.Help, language.About, L"",
                         language.CheckForUpdate, L"", language.MakeADonation, L"", language.Exit};
    const std::vector<int> actions = {
        ContainerMenuActionShow,  ContainerMenuActionOptions,        ContainerMenuActionHelp,
        ContainerMenuActionAbout, ContainerMenuActionCheckForUpdate, ContainerMenuActionDonate,
        ContainerMenuActionExit};
    std::vector<int> shownActions;
    ASSERT_EQ(texts, MenuItemTexts(menu));
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_BITMAP;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        EXPECT_EQ(texts[i].empty(), (info.fType & MFT_SEPARATOR) != 0);
        int action = container.GetMenuAction(info.wID);
        if (!texts[i].empty())
            shownActions.push_back(action);
        EXPECT_TRUE(!texts[i].empty() || action == -1) << "a separator's identifier has no action";
        EXPECT_TRUE(texts[i].empty() || info.hbmpItem || !container.GetContextMenu()->IsThemed());
    }
    EXPECT_EQ(actions, shownActions);

    TestContainer launchBar(nullptr);
    launchBar.BuildLaunchBarMenu(&language);
    EXPECT_EQ(Texts(texts.begin() + 2, texts.end()), MenuItemTexts(launchBar.GetContextMenu()->GetHandle()))
        << "the launch bar's own menu has no Show entry";

    TestContainer withoutLanguage(nullptr);
    EXPECT_TRUE(withoutLanguage.BuildContextMenu(nullptr));
    ASSERT_NE(nullptr, withoutLanguage.GetContextMenu());
    EXPECT_EQ(0, GetMenuItemCount(withoutLanguage.GetContextMenu()->GetHandle())) << "no texts, no entries";
}

TEST(ContainerBase, LaunchBarButtonIconsFallBackToTheNormalIconOwnedOnce) {
    ItemWithContainer bar;
    bar.application.m_pOptions->LaunchMode = LaunchModeLaunchBar;
    bar.application.m_pOptions->LaunchBarOptions.IconSize = 32;
    wcscpy(bar.item.AssociatedIconPath, SourceTreePath(L"res/icons/DefaultFolder.ico").c_str());
    ASSERT_TRUE(bar.container->AttachItemIcon(&bar.item));
    HICON normal = bar.container->GetIcon();
    EXPECT_EQ(normal, bar.container->GetHotIcon());
    EXPECT_EQ(normal, bar.container->GetDownIcon());
    EXPECT_EQ(nullptr, bar.container->GetNotifyIcon()) << "no tray icon in launch bar mode";
    EXPECT_EQ(32u * 32u, ReadIconPixels(normal).size()) << "launch bar icons take the bar's icon size";
    bar.container.reset();
    EXPECT_FALSE(IconAlive(normal));
}

TEST(ContainerBase, TrayModeShowsTheItemAndClicksSetTheShowPoint) {
    ItemWithContainer tray;
    HICON shared = nullptr;
    {
        TestContainer& container = *tray.container;
        ASSERT_TRUE(container.AttachItemIcon(&tray.item));
        int trayIconSize = GetSystemMetrics(SM_CXSMICON);
        EXPECT_EQ(static_cast<size_t>(trayIconSize * trayIconSize), ReadIconPixels(container.GetIcon()).size())
            << "an item without its own icon shows the default picture at the tray's icon size";
        TestContainer second(&tray.application);
        ASSERT_TRUE(second.AttachItemIcon(&tray.item));
        shared = container.GetIcon();
        EXPECT_EQ(shared, second.GetIcon()) << "items without an icon of their own share one picture";
        ASSERT_NE(nullptr, container.GetNotifyIcon());
        EXPECT_EQ(container.GetNotifyIcon()->m_hWnd, container.GetOwnerWindow());
        WCHAR name[MAX_PATH];
        tray.item.GetDisplayName(name);
        EXPECT_STREQ(name, container.GetNotifyIcon()->m_notifyIconData.szTip);

        container.OnNotifyIconLeftClick(container.GetNotifyIcon(), POINT{40, 50});
        EXPECT_EQ(40, container.GetShowPoint().x);
        EXPECT_TRUE(container.GetOpenUpward());
        container.OnHotKey();
        EXPECT_EQ((std::vector<BOOL>{TRUE, FALSE}), container.shows) << "a click always shows, a hotkey toggles";
        EXPECT_TRUE(container.GetOpenUpward()) << "a hotkey keeps the last click's direction";
        tray.container.reset();
        EXPECT_TRUE(IconAlive(shared)) << "the picture stays while another item shows it";
    }
    EXPECT_FALSE(IconAlive(shared)) << "and goes with the last one";
    EXPECT_TRUE(IconAlive(tray.defaultIcon)) << "the shared default icon is never destroyed";
}

TEST(ContainerStartUp, AMissingNotificationAreaIsRetriedTenTimesFromATimerUntilTheIconIsAddedOrItsContainerIsGone) {
    const struct {
        size_t failures, attempts;
        BOOL shown;
    } runs[] = {{1000, 10, FALSE}, {3, 4, TRUE}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.failures);
        LateNotificationArea tray(run.failures);
        ItemWithContainer item;
        ASSERT_TRUE(item.container->AttachItemIcon(&item.item));
        EXPECT_EQ(1u, tray.AddTimes().size()) << "the retries must not run before the container is back";
        tray.PumpUntilAttempts(run.attempts);
        ASSERT_EQ(run.attempts, tray.AddTimes().size()) << "ten at most, and none after the one that succeeded";
        for (size_t index = 1; index < tray.AddTimes().size(); ++index)
            EXPECT_GE(tray.AddTimes()[index] - tray.AddTimes()[index - 1], kRetryDelayMs - kTimerSlackMs) << index;
        EXPECT_EQ(run.shown, item.container->GetNotifyIcon()->m_shown);
    }
    LateNotificationArea tray(1000);
    ItemWithContainer item;
    ASSERT_TRUE(item.container->AttachItemIcon(&item.item));
    PumpMessagesUntil([&] { return tray.AddTimes().size() >= 2; });
    item.container.reset();
    size_t attempts = tray.AddTimes().size();
    PumpMessagesUntil([] { return false; }, 3 * kRetryDelayMs);
    EXPECT_EQ(attempts, tray.AddTimes().size()) << "a destroyed container's icon is not retried";
}
