#include "lib/BackgroundWork.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <atomic>

// Work runs on the workers, every completion on the owner thread; workers left without work end,
// and the next job starts them again.
TEST(BackgroundWork, CompletionsComeBackToTheOwnerAndIdleWorkersEndUntilTheNextJob) {
    const DWORD owner = GetCurrentThreadId();
    CBackgroundWork work(3, 200);
    std::atomic<int> onOwner(0), ranElsewhere(0);
    int completed = 0;
    auto submit = [&] {
        return work.Submit([&] { ranElsewhere += GetCurrentThreadId() != owner; },
                           [&] { ++completed, onOwner += GetCurrentThreadId() == owner; });
    };
    for (int job = 0; job < 10; ++job)
        ASSERT_TRUE(submit());
    EXPECT_EQ(3u, work.GetRunningThreadCount());
    ASSERT_TRUE(PumpMessagesUntil([&] { return completed == 10; }, 5000)) << completed << " of 10";
    EXPECT_EQ(10, ranElsewhere.load());
    EXPECT_EQ(10, onOwner.load());
    EXPECT_EQ(0u, work.GetOutstandingCount());

    EXPECT_TRUE(PumpMessagesUntil([&] { return work.GetRunningThreadCount() == 0; }, 3000)) << "idle workers still run";
    ASSERT_TRUE(submit());
    EXPECT_TRUE(work.RunCompletionsFor(3000, [&] { return completed == 11; })) << "no worker took the later job";
}
