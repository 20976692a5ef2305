#include "lib/Clipboard.h"

#include "support/ClipboardText.h"
#include "support/DialogScriptDriver.h"

#include <gtest/gtest.h>

#include <string>

TEST(ClipboardTest, TextRoundTripsAndUnreadableDataIsRefusedSilently) {
    const std::wstring text = L"C:\\Folder\tname\r\nsecond row \u00E9";
    void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
    DialogScriptDriver driver;
    ASSERT_TRUE(CopyToClipboard(nullptr, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
    EXPECT_FALSE(CopyToClipboard(nullptr, CF_UNICODETEXT, reserved, 64));
    EXPECT_FALSE(CopyToClipboard(nullptr, CF_UNICODETEXT, nullptr, 64));
    EXPECT_EQ(text, ClipboardText());
    EXPECT_TRUE(driver.Finish().empty());
    VirtualFree(reserved, 0, MEM_RELEASE);
}
