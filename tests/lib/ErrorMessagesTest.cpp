#include "lib/ErrorMessages.h"

#include "support/DialogScriptDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

std::wstring SystemText(DWORD code, DWORD language) {
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, language,
                                  text, 512, nullptr);
    return std::wstring(text, length);
}

std::wstring ErrorBoxText(const std::function<void()>& action) {
    DialogScriptDriver driver;
    action();
    std::vector<DialogScriptDriver::Dialog> boxes = driver.Finish();
    if (boxes.size() != 1 || boxes[0].caption != L"Error")
        return L"(expected one box captioned Error, saw " + std::to_wstring(boxes.size()) + L")";
    return boxes[0].text;
}

std::wstring ComErrorText(ULONG hr) {
    return ErrorBoxText([hr] { ShowComError(static_cast<HRESULT>(hr)); });
}

std::wstring LastErrorText(const std::wstring& text, DWORD code) {
    return ErrorBoxText([&] {
        SetLastError(code);
        ShowLastError(text.c_str());
    });
}

} // namespace

TEST(ErrorMessagesTest, ErrorsShowTheSystemTextOrTheErrorClassFallbacksOrTheCode) {
    const DWORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    std::wstring systemText = SystemText(static_cast<DWORD>(E_NOTIMPL), kNeutral);
    ASSERT_GE(systemText.size(), 2u) << "the system should describe E_NOTIMPL";
    ASSERT_EQ(L"\r\n", systemText.substr(systemText.size() - 2));
    EXPECT_EQ(systemText.substr(0, systemText.size() - 2), ComErrorText(static_cast<ULONG>(E_NOTIMPL)));

    for (ULONG hr : {0x80040201UL, 0x8004FFFFUL, 0x80040200UL, 0x8FFF1234UL})
        ASSERT_TRUE(SystemText(hr, kNeutral).empty()) << std::hex << hr << " has a system text";
    EXPECT_EQ(L"IDispatch error #1", ComErrorText(0x80040201));
    EXPECT_EQ(L"IDispatch error #65023", ComErrorText(0x8004FFFF));
    // The base of the range is no IDispatch code itself.
    EXPECT_EQ(L"Unknown error 0x80040200", ComErrorText(0x80040200));
    EXPECT_EQ(L"Unknown error 0x8FFF1234", ComErrorText(0x8FFF1234));

    systemText = SystemText(ERROR_FILE_NOT_FOUND, 0);
    ASSERT_FALSE(systemText.empty());
    EXPECT_EQ(L"Saving failed\r\n" + systemText, LastErrorText(L"Saving failed", ERROR_FILE_NOT_FOUND));
    // Bit 29 marks application-defined codes, which the system never describes.
    EXPECT_EQ(L"Saving failed Error 0x20000001", LastErrorText(L"Saving failed", 0x20000001));

    std::wstring shown = LastErrorText(std::wstring(2000, L'x'), ERROR_ACCESS_DENIED);
    EXPECT_LT(shown.size(), 512u);
    EXPECT_EQ(0u, shown.find(L"xxxxxxxx"));
}
