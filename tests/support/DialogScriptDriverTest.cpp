#include "support/DialogScriptDriver.h"

#include <gtest/gtest.h>

TEST(DialogScriptDriver, PressesTheScriptedButtonsRecordsEachBoxAndDeclinesTheRest) {
    std::vector<DialogScriptDriver::Dialog> boxes;
    {
        DialogScriptDriver driver({DialogScriptDriver::Press(IDNO), DialogScriptDriver::Press(IDYES)});
        EXPECT_EQ(IDNO, MessageBoxW(nullptr, L"Write a crash dump?", L"Error", MB_YESNO | MB_ICONERROR));
        EXPECT_EQ(IDYES, MessageBoxW(nullptr, L"Restart?", L"Pathwren", MB_YESNO));
        EXPECT_EQ(IDNO, MessageBoxW(nullptr, L"Past the script", L"Extra", MB_YESNO));
        EXPECT_EQ(IDOK, MessageBoxW(nullptr, L"Error opening C:\\x", L"Error", MB_OK))
            << "OK when it is the only button";
        boxes = driver.Finish();
    }
    ASSERT_EQ(4u, boxes.size()) << testing::PrintToString(DescribeDialogs(boxes));
    EXPECT_EQ(DialogScriptDriver::Kind::MessageBox, boxes[0].kind);
    EXPECT_EQ(L"Error", boxes[0].caption);
    EXPECT_EQ(L"Write a crash dump?", boxes[0].text);
    EXPECT_EQ(L"Pathwren", boxes[1].caption);
    EXPECT_EQ(L"Restart?", boxes[1].text);
}
