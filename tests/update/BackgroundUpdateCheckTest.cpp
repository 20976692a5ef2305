#include "update/BackgroundUpdateCheck.h"

#include "UpdateServer.h"
#include "lib/KernelHandle.h"
#include "support/DialogScriptDriver.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// Another thread keeps asking a window of this thread for an answer, the way the shell asks a
// tray icon's window, and keeps the longest wait.
class AnswerWatch {
public:
    AnswerWatch() {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        m_thread = std::thread([this] {
            do {
                ULONGLONG start = GetTickCount64();
                DWORD_PTR result = 0;
                SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
                ULONGLONG waited = GetTickCount64() - start;
                if (waited > m_longest)
                    m_longest = waited;
                ++m_asked;
            } while (WaitForSingleObject(m_stop.Get(), 50) == WAIT_TIMEOUT);
        });
    }
    ~AnswerWatch() { Stop(); }
    ULONGLONG Stop() {
        if (m_thread.joinable()) {
            SetEvent(m_stop.Get());
            // The last question must be answered for the watcher to end.
            PumpMessagesUntil([] { return false; }, 100);
            m_thread.join();
            DestroyWindow(m_window);
        }
        return m_longest;
    }
    int Asked() const { return m_asked; }

private:
    HWND m_window;
    CKernelHandle m_stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<ULONGLONG> m_longest{0};
    std::atomic<int> m_asked{0};
    std::thread m_thread;
};

const std::wstring kNoAnswer = L"The update check could not reach the server:\r\nThe request has timed out.\r\n";

} // namespace

TEST(BackgroundUpdateCheckTest, TheProgramAnswersWhileACheckWaitsOnTheServerAndTheVerdictIsShownAfter) {
    ASSERT_FALSE(UpdateServerHost().empty()) << "the update_server fixture is not running";
    struct Case {
        std::wstring serverCase;
        UpdateVerdict verdict;
        std::wstring shown;
        ULONGLONG longest; // the whole check, deadline included
    } cases[] = {
        // Each hop of the redirects fits the limit, all of them do not: one deadline covers them.
        {L"slow-redirects/20", UpdateVerdictDownloadFailed, L"[box \"Error\": \"" + kNoAnswer + L"\"] ", 6000},
        {L"normal", UpdateVerdictNewer,
         L"[box \"Update\": \"A new version (1.4.0) is available\r\nChanges : Faster menus\r\n\r\n"
         L"Do you want to download new version now ?\"] ",
         3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.serverCase));
        DialogScriptDriver driver({DialogScriptDriver::Press(IDOK)});
        CBackgroundUpdateCheck check;
        bool finished = false;
        UpdateVerdict verdict = UpdateVerdictNoVersionInformation;
        check.SetFinishedCallback([&](UpdateVerdict shown) {
            finished = true;
            verdict = shown;
        });
        AnswerWatch watch;
        ULONGLONG start = GetTickCount64();
        EXPECT_TRUE(check.Start(TestServerSource(c.serverCase)));
        EXPECT_FALSE(check.Start(TestServerSource(c.serverCase))) << "a second check while one runs";
        EXPECT_TRUE(PumpMessagesUntil([&] { return finished; }, 15000));
        ULONGLONG elapsed = GetTickCount64() - start;
        EXPECT_LT(watch.Stop(), 1000u) << "the program stopped answering during the check";
        EXPECT_GE(watch.Asked(), static_cast<int>(elapsed / 500)) << "the watch was not asking";
        EXPECT_LE(elapsed, c.longest);
        EXPECT_EQ(c.verdict, verdict);
        EXPECT_FALSE(check.IsRunning());
        EXPECT_EQ(c.shown, DescribeDialogs(driver.Finish()));
    }
}

TEST(BackgroundUpdateCheckTest, CancelEndsARunningCheckAtOnceAndShowsNothing) {
    ASSERT_FALSE(UpdateServerHost().empty());
    for (const wchar_t* serverCase : {L"stall-before-headers", L"stall-after-headers", L"drip"}) {
        SCOPED_TRACE(testing::PrintToString(serverCase));
        DialogScriptDriver driver;
        bool finished = false;
        CBackgroundUpdateCheck check;
        check.SetFinishedCallback([&](UpdateVerdict) { finished = true; });
        const DWORD kTimeLimit = 4000;
        ASSERT_TRUE(check.Start(TestServerSource(serverCase, L"VersionDotted.dll", kTimeLimit)));
        // Into the blocking call first: a cancel before the request is the easy case.
        PumpMessagesUntil([] { return false; }, 500);
        ULONGLONG start = GetTickCount64();
        check.Cancel(500);
        EXPECT_LT(GetTickCount64() - start, 1000u) << "Cancel waited past its bound";
        EXPECT_FALSE(check.IsRunning());
        // Closing the handle of a blocked call ends it on Windows; Wine's WinINet lets the receive
        // run to its time-out. Either way the worker is gone by the check's deadline.
        EXPECT_TRUE(check.Cancel(kTimeLimit + 1000)) << "the cancelled worker outlived its deadline";
        PumpMessagesUntil([] { return false; }, 300);
        EXPECT_FALSE(finished);
        EXPECT_TRUE(driver.Finish().empty()) << "a cancelled check showed a box";
        DialogScriptDriver next({DialogScriptDriver::Press(IDNO)});
        ASSERT_TRUE(check.Start(TestServerSource(L"normal")));
        EXPECT_TRUE(PumpMessagesUntil([&] { return finished; }, 10000));
        EXPECT_EQ(1u, next.Finish().size());
    }
}
