// A container coming up in poor conditions: a notification area that is not there yet, no language.
#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ContainerBase.h"
#include "menus/PopUpMenu.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const DWORD kRetryDelayMs = 100;
// Timers may fire a little early on a busy machine; a retry without any wait would be far earlier.
const DWORD kTimerSlackMs = 30;

struct TestContainer : CContainerBase {
    explicit TestContainer(CPathwren* application) : CContainerBase(GetModuleHandleW(nullptr), application) {}
    BOOL SaveState() override { return TRUE; }
};

// A notification area that refuses the first failures attempts to add an icon and notes when
// each attempt came; the real one is never touched.
class LateNotificationArea {
public:
    explicit LateNotificationArea(size_t failures) : m_real(CNotifyIcon::s_shellNotifyIcon) {
        s_failures = failures;
        s_addTimes.clear();
        CNotifyIcon::s_shellNotifyIcon = Call;
        m_delay = CContainerBase::s_trayRetryDelayMs;
        CContainerBase::s_trayRetryDelayMs = kRetryDelayMs;
    }
    ~LateNotificationArea() {
        CNotifyIcon::s_shellNotifyIcon = m_real;
        CContainerBase::s_trayRetryDelayMs = m_delay;
    }
    const std::vector<DWORD>& AddTimes() const { return s_addTimes; }
    // Runs the thread's messages until the attempts reached the count, or for a limit of ten seconds.
    void PumpUntilAttempts(size_t count) const {
        PumpMessagesUntil([count] { return s_addTimes.size() >= count; });
    }
    // Runs the thread's messages for three retry periods, long enough for any further attempt.
    static void PumpThreePeriods() {
        PumpMessagesUntil([] { return false; }, 3 * kRetryDelayMs);
    }

private:
    static BOOL WINAPI Call(DWORD message, PNOTIFYICONDATAW) {
        if (message != NIM_ADD)
            return TRUE;
        s_addTimes.push_back(GetTickCount());
        return s_addTimes.size() > s_failures;
    }

    static size_t s_failures;
    static std::vector<DWORD> s_addTimes;
    CNotifyIcon::ShellNotifyIconFunction m_real;
    DWORD m_delay;
};

size_t LateNotificationArea::s_failures = 0;
std::vector<DWORD> LateNotificationArea::s_addTimes;

// A tray item with the default icon, attached by a container of its own.
struct TrayItem {
    TrayItem() {
        application.m_pOptions = new CApplicationOptions();
        container.reset(new TestContainer(&application));
        container->SetDefaultIcon(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED)));
        wcscpy(item.Path, folder.Path().c_str());
    }
    TempDirectory folder;
    CPathwren application;
    CGenericPathwrenObject item;
    std::unique_ptr<TestContainer> container;
};

} // namespace

TEST(ContainerStartUp, AMissingNotificationAreaIsRetriedTenTimesFromATimerWithoutHoldingTheThread) {
    LateNotificationArea tray(1000);
    TrayItem tenFailures;
    ASSERT_TRUE(tenFailures.container->AttachItemIcon(&tenFailures.item));
    EXPECT_EQ(1u, tray.AddTimes().size()) << "the retries must not run before the container is back";
    tray.PumpUntilAttempts(10);
    tray.PumpThreePeriods();
    ASSERT_EQ(10u, tray.AddTimes().size());
    for (size_t index = 1; index < tray.AddTimes().size(); ++index)
        EXPECT_GE(tray.AddTimes()[index] - tray.AddTimes()[index - 1], kRetryDelayMs - kTimerSlackMs) << index;
    EXPECT_FALSE(tenFailures.container->GetNotifyIcon()->m_shown);
}

TEST(ContainerStartUp, RetriesStopOnceTheIconIsAddedOrItsContainerIsGone) {
    {
        LateNotificationArea tray(3);
        TrayItem item;
        ASSERT_TRUE(item.container->AttachItemIcon(&item.item));
        tray.PumpUntilAttempts(4);
        tray.PumpThreePeriods();
        EXPECT_EQ(4u, tray.AddTimes().size()) << "no attempt after the one that succeeded";
        EXPECT_TRUE(item.container->GetNotifyIcon()->m_shown);
    }
    LateNotificationArea tray(1000);
    TrayItem item;
    ASSERT_TRUE(item.container->AttachItemIcon(&item.item));
    tray.PumpUntilAttempts(2);
    item.container.reset();
    size_t attempts = tray.AddTimes().size();
    tray.PumpThreePeriods();
    EXPECT_EQ(attempts, tray.AddTimes().size()) << "a destroyed container's icon is not retried";
}

TEST(ContainerStartUp, AContainerWithoutLanguageStillBuildsItsContextMenu) {
    TestContainer container(nullptr);
    EXPECT_TRUE(container.BuildContextMenu(nullptr));
    ASSERT_NE(nullptr, container.GetContextMenu());
    EXPECT_EQ(0, GetMenuItemCount(container.GetContextMenu()->GetHandle())) << "no texts, no entries";
}
