#include "app/Clipboard.h"

#include "support/DialogScriptDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ClipboardText() {
    std::wstring text = L"(no text)";
    if (!OpenClipboard(nullptr))
        return L"(clipboard busy)";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (auto* characters = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
        text = characters;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

} // namespace

TEST(ClipboardTest, TextRoundTripsAndUnreadableDataIsRefusedSilently) {
    const std::wstring text = L"C:\\Folder\tname\r\nsecond row \u00E9";
    void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
    DialogScriptDriver driver;
    ASSERT_TRUE(CopyToClipboard(nullptr, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(text, ClipboardText());
    EXPECT_FALSE(CopyToClipboard(nullptr, CF_UNICODETEXT, reserved, 64));
    EXPECT_FALSE(CopyToClipboard(nullptr, CF_UNICODETEXT, nullptr, 64));
    EXPECT_EQ(text, ClipboardText());
    EXPECT_TRUE(driver.Finish().empty());
    VirtualFree(reserved, 0, MEM_RELEASE);
}
