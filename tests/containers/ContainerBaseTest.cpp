#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "lib/WindowSubclass.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"
#include "support/Icons.h"
#include "support/MenuTexts.h"
#include "support/MessagePump.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
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

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAW data;
    BOOL result;
    DWORD time;
};

enum Click { LeftClick, RightClick, DoubleClick };

struct RecordingSink : CNotifyIconEventsBase {
    BOOL OnNotifyIconLeftClick(CNotifyIcon* icon, POINT cursor) override { return Note(LeftClick, icon, cursor); }
    BOOL OnNotifyIconRightClick(CNotifyIcon* icon, POINT cursor) override { return Note(RightClick, icon, cursor); }
    BOOL OnNotifyIconDoubleClick(CNotifyIcon* icon, POINT cursor) override { return Note(DoubleClick, icon, cursor); }
    BOOL Note(Click click, CNotifyIcon* icon, POINT cursor) {
        clicks.push_back(click);
        icons.push_back(icon);
        lastCursor = cursor;
        return result;
    }
    std::vector<Click> clicks;
    std::vector<CNotifyIcon*> icons;
    POINT lastCursor = {-1, -1};
    BOOL result = FALSE;
};

std::vector<HWND> IconWindows() {
    return WindowsOfClass(kNotifyIconClassName, GetCurrentProcessId(), false);
}

void SendMouse(CNotifyIcon* icon, UINT mouseMessage) {
    SendMessageW(icon->m_hWnd, WM_NOTIFY_ICON_CALLBACK, icon->m_notifyIconData.uID, mouseMessage);
}

// Records every shell call of the tray icons and passes it on to the real notification area,
// unless the test plays a notification area that is not there yet.
class NotifyIconTest : public ::testing::Test {
protected:
    NotifyIconTest() : m_real(CNotifyIcon::s_shellNotifyIcon) {
        s_active = this;
        CNotifyIcon::s_shellNotifyIcon = Record;
        m_icon.Reset(CreateSolidIcon(16, 0xFF3070B0));
    }
    ~NotifyIconTest() override {
        EXPECT_TRUE(IconWindows().empty()) << "every icon window is destroyed with its icon";
        CNotifyIcon::s_shellNotifyIcon = m_real;
    }

    std::unique_ptr<CNotifyIcon> MakeIcon(UINT identifier, LPCWSTR tooltip, INotifyIconEvents* sink = nullptr,
                                          bool withIcon = true) {
        std::unique_ptr<CNotifyIcon> icon(
            new CNotifyIcon(GetModuleHandleW(nullptr), sink, withIcon ? m_icon.Get() : nullptr, identifier, tooltip));
        EXPECT_TRUE(icon->Create());
        return icon;
    }
    std::vector<ShellCall> Calls(DWORD message) const {
        std::vector<ShellCall> matching;
        for (const ShellCall& call : m_calls)
            if (call.message == message)
                matching.push_back(call);
        return matching;
    }

    static BOOL WINAPI Record(DWORD message, PNOTIFYICONDATAW data) {
        bool refused = message == NIM_ADD && s_active->m_refusedAdds > 0;
        s_active->m_refusedAdds -= refused;
        BOOL result = refused ? FALSE : s_active->m_real(message, data);
        s_active->m_calls.push_back({message, *data, result, GetTickCount()});
        return result;
    }

    static inline NotifyIconTest* s_active = nullptr;
    CNotifyIcon::ShellNotifyIconFunction m_real;
    std::vector<ShellCall> m_calls;
    size_t m_refusedAdds = 0;
    CIconHandle m_icon;
};

// At start-up the notification area may not be there yet; the container's retries come sooner.
class ContainerStartUp : public NotifyIconTest {
protected:
    ContainerStartUp() : m_delay(std::exchange(CContainerBase::s_trayRetryDelayMs, kRetryDelayMs)) {}
    ~ContainerStartUp() override { CContainerBase::s_trayRetryDelayMs = m_delay; }
    // Pumps until the count of attempts is reached, then long enough for any further attempt.
    void PumpUntilAttempts(size_t count) const {
        PumpMessagesUntil([&] { return Calls(NIM_ADD).size() >= count; });
        PumpMessagesUntil([] { return false; }, 3 * kRetryDelayMs);
    }

    DWORD m_delay;
};

// An owner that ends its icon from the click, as the Exit command of a menu loop may.
struct DestroyingSink : CNotifyIconEventsBase {
    BOOL OnNotifyIconLeftClick(CNotifyIcon* icon, POINT) override {
        icon->Destroy();
        return TRUE;
    }
};

LRESULT CALLBACK NotePropertyAtDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR propertyLeft) {
    if (message == WM_DESTROY)
        *reinterpret_cast<BOOL*>(propertyLeft) = GetPropW(window, kNotifyIconPropertyName) != nullptr;
    return DefSubclassProc(window, message, wParam, lParam);
}

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

TEST_F(ContainerStartUp, AMissingNotificationAreaIsRetriedTenTimesFromATimerUntilTheIconIsAddedOrItsContainerIsGone) {
    const struct {
        size_t failures, attempts;
        BOOL shown;
    } runs[] = {{1000, 10, FALSE}, {3, 4, TRUE}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.failures);
        m_calls.clear();
        m_refusedAdds = run.failures;
        ItemWithContainer item;
        ASSERT_TRUE(item.container->AttachItemIcon(&item.item));
        EXPECT_EQ(1u, Calls(NIM_ADD).size()) << "the retries must not run before the container is back";
        PumpUntilAttempts(run.attempts);
        const std::vector<ShellCall> adds = Calls(NIM_ADD);
        ASSERT_EQ(run.attempts, adds.size()) << "ten at most, and none after the one that succeeded";
        for (size_t index = 1; index < adds.size(); ++index)
            EXPECT_GE(adds[index].time - adds[index - 1].time, kRetryDelayMs - kTimerSlackMs) << index;
        EXPECT_EQ(run.shown, item.container->GetNotifyIcon()->m_shown);
    }
    m_calls.clear();
    m_refusedAdds = 1000;
    ItemWithContainer item;
    ASSERT_TRUE(item.container->AttachItemIcon(&item.item));
    PumpMessagesUntil([&] { return Calls(NIM_ADD).size() >= 2; });
    item.container.reset();
    size_t attempts = Calls(NIM_ADD).size();
    PumpMessagesUntil([] { return false; }, 3 * kRetryDelayMs);
    EXPECT_EQ(attempts, Calls(NIM_ADD).size()) << "a destroyed container's icon is not retried";
}

TEST_F(NotifyIconTest, CreatesAHiddenWindowShowsTheIconOnlyWhenAddedAndKeepsTheFirst127CharactersOfTheTooltip) {
    ASSERT_TRUE(m_icon);
    auto icon = MakeIcon(7, L"Projects");
    ASSERT_EQ(1u, IconWindows().size());
    HWND window = IconWindows()[0];
    EXPECT_EQ(icon.get(), GetPropW(window, kNotifyIconPropertyName)) << "the window carries the object as its property";
    EXPECT_EQ(icon->m_hWnd, window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(3u, icon->m_notifyIconData.uVersion);
    EXPECT_FALSE(MakeIcon(8, L"No icon", nullptr, false)->Add());
    EXPECT_TRUE(m_calls.empty()) << "creating does not show the icon, nor does adding one without an icon";

    EXPECT_TRUE(icon->Add());
    EXPECT_TRUE(icon->Add()) << "already shown";
    ASSERT_EQ(1u, m_calls.size()) << "one add, and the version is never announced";
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), m_calls[0].message);
    EXPECT_EQ(WM_NOTIFY_ICON_CALLBACK, m_calls[0].data.uCallbackMessage);

    const std::vector<std::pair<std::wstring, std::wstring>> tooltips = {
        {L"Start" + std::wstring(195, L'x'), L"Start" + std::wstring(122, L'x')},
        {std::wstring(127, L'y'), std::wstring(127, L'y')},
        // Half a surrogate pair is dropped, not shown.
        {std::wstring(126, L'z') + L"\xD83D\xDCC1", std::wstring(126, L'z')},
    };
    for (const auto& tooltip : tooltips)
        EXPECT_EQ(tooltip.second, MakeIcon(1, tooltip.first.c_str())->m_notifyIconData.szTip) << tooltip.first.size();
}

// A double click's button-up is swallowed; the focus goes back to the shell only when the sink
// answers nonzero and has not destroyed the icon.
TEST_F(NotifyIconTest, MouseMessagesOfTheIconThePropertyNamesBecomeClicksWhoseAnswerMayGiveTheFocusBack) {
    RecordingSink sink;
    auto icon = MakeIcon(1, L"Music", &sink);
    POINT cursor = {};
    GetCursorPos(&cursor);
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                       WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU})
        SendMouse(icon.get(), mouse);
    EXPECT_EQ((std::vector<Click>{LeftClick, DoubleClick, LeftClick, RightClick, RightClick}), sink.clicks)
        << "only the button-up right after the double click is swallowed";
    EXPECT_EQ((std::vector<CNotifyIcon*>(5, icon.get())), sink.icons);
    EXPECT_TRUE(cursor.x == sink.lastCursor.x && cursor.y == sink.lastCursor.y) << "the cursor of the message";

    icon->m_pEvents = nullptr;
    SendMouse(icon.get(), WM_LBUTTONDBLCLK);
    icon->m_pEvents = &sink;
    sink.clicks.clear();
    SendMouse(icon.get(), WM_LBUTTONUP);
    EXPECT_TRUE(sink.clicks.empty()) << "the double click without a sink still marked the button-up";
    SendMouse(icon.get(), WM_LBUTTONUP);
    EXPECT_EQ(std::vector<Click>{LeftClick}, sink.clicks);

    // A callback counts only while the window's property names an icon of this window.
    RecordingSink secondSink;
    auto second = MakeIcon(2, L"Second", &secondSink);
    HWND window = icon->m_hWnd;
    sink.clicks.clear();
    SetPropW(window, kNotifyIconPropertyName, second.get());
    SendMessageW(window, WM_NOTIFY_ICON_CALLBACK, 1, WM_LBUTTONUP);
    RemovePropW(window, kNotifyIconPropertyName);
    SendMessageW(window, WM_NOTIFY_ICON_CALLBACK, 1, WM_LBUTTONUP);
    EXPECT_TRUE(sink.clicks.empty());
    EXPECT_TRUE(secondSink.clicks.empty());
    SetPropW(window, kNotifyIconPropertyName, icon.get());
    SendMessageW(window, WM_NOTIFY_ICON_CALLBACK, 1, WM_LBUTTONUP);
    EXPECT_EQ(std::vector<Click>{LeftClick}, sink.clicks) << "the same message once the property is right";

    EXPECT_TRUE(Calls(NIM_SETFOCUS).empty()) << "the sink answered 0";
    sink.result = TRUE;
    icon->m_notifyIconData.uFlags = NIF_INFO;
    SendMouse(icon.get(), WM_RBUTTONUP);
    std::vector<ShellCall> focus = Calls(NIM_SETFOCUS);
    ASSERT_EQ(1u, focus.size());
    EXPECT_EQ(1u, focus[0].data.uID);
    EXPECT_EQ(0u, focus[0].data.uFlags);
    DestroyingSink destroying;
    window = MakeIcon(5, L"Temp", &destroying).release()->m_hWnd;
    SendMessageW(window, WM_NOTIFY_ICON_CALLBACK, 5, WM_LBUTTONUP);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1u, Calls(NIM_SETFOCUS).size()) << "no focus call with the freed icon's data";
}

TEST_F(NotifyIconTest,
       TaskbarCreatedAddsShownIconsAgainAndDestroyDeletesOnlyThemTakingThePropertyAndWindowButNotTheIcon) {
    auto shown = MakeIcon(11, L"Documents");
    ASSERT_TRUE(shown->Add());
    shown->m_notifyIconData.uFlags = NIF_INFO;
    lstrcpyW(shown->m_notifyIconData.szInfo, L"The folder was not found");
    EXPECT_TRUE(shown->Modify());
    auto failed = MakeIcon(12, L"Desktop");
    m_refusedAdds = 1;
    EXPECT_FALSE(failed->Add());
    auto neverAdded = MakeIcon(13, L"Videos");

    // A restarted shell has lost every icon.
    ASSERT_TRUE(m_real(NIM_DELETE, &shown->m_notifyIconData));
    m_calls.clear();
    for (HWND window : IconWindows())
        SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_EQ(1u, m_calls.size()) << "only the icon that was shown comes back";
    const ShellCall& add = m_calls[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    EXPECT_EQ(shown->m_hWnd, add.data.hWnd);
    EXPECT_EQ(11u, add.data.uID);
    EXPECT_EQ(m_icon.Get(), add.data.hIcon);
    EXPECT_STREQ(L"Documents", add.data.szTip);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.data.uFlags)
        << "the old balloon is not shown again";
    EXPECT_TRUE(add.result);
    EXPECT_TRUE(shown->m_shown);
    EXPECT_FALSE(failed->m_shown);
    EXPECT_FALSE(neverAdded->m_shown);

    HWND window = shown->m_hWnd;
    BOOL propertyLeft = TRUE;
    CWindowSubclass noting;
    ASSERT_TRUE(noting.Install(window, NotePropertyAtDestroy, 1, reinterpret_cast<DWORD_PTR>(&propertyLeft)));
    shown.release()->Destroy();
    failed.reset();
    neverAdded.reset();
    std::vector<ShellCall> deletes = Calls(NIM_DELETE);
    ASSERT_EQ(1u, deletes.size()) << "an icon never shown is not deleted from the shell";
    EXPECT_EQ(11u, deletes[0].data.uID);
    EXPECT_TRUE(deletes[0].result) << "the shell knew the icon again";
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(propertyLeft) << "the property is removed before the window goes";
    EXPECT_TRUE(IconAlive(m_icon.Get())) << "the icon handle belongs to the owner";
}
