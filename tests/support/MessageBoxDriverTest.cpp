#include "support/MessageBoxDriver.h"

#include <gtest/gtest.h>

TEST(MessageBoxDriver, PressesRequestedButtonsAndRecordsEachBox) {
    MessageBoxDriver driver({IDNO, IDYES});
    int first = MessageBoxW(nullptr, L"Write a crash dump?", L"Error", MB_YESNO | MB_ICONERROR);
    int second = MessageBoxW(nullptr, L"Restart?", L"Pathwren", MB_YESNO);
    int third = MessageBoxW(nullptr, L"Third box", L"Extra", MB_YESNO);
    std::vector<MessageBoxDriver::Box> boxes = driver.Finish();

    EXPECT_EQ(IDNO, first);
    EXPECT_EQ(IDYES, second);
    EXPECT_EQ(IDYES, third) << "boxes past the answer list take the last answer";
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ(L"Error", boxes[0].caption);
    EXPECT_EQ(L"Write a crash dump?", boxes[0].text);
    EXPECT_EQ(L"Pathwren", boxes[1].caption);
    EXPECT_EQ(L"Restart?", boxes[1].text);
}

TEST(MessageBoxDriver, AnswersOkBoxesAndSeesNothingWhenNoneShown) {
    {
        MessageBoxDriver driver;
        EXPECT_EQ(IDOK, MessageBoxW(nullptr, L"Error opening C:\\x", L"Error", MB_OK));
        ASSERT_EQ(1u, driver.Finish().size());
    }
    MessageBoxDriver idle;
    Sleep(50);
    EXPECT_TRUE(idle.Finish().empty());
}
