#include "lib/ErrorMessages.h"

#include <cwchar>

namespace {

const WCHAR kErrorCaption[] = L"Error";
const int kLastErrorTextLength = 512;
// The range of results that wrap an IDispatch exception code (WCODE_HRESULT_FIRST to _LAST).
const ULONG kDispatchErrorFirst = 0x80040200;
const ULONG kDispatchErrorLast = 0x8004FFFF;

void RemoveTrailingLineBreak(LPWSTR text) {
    size_t length = wcslen(text);
    if (length >= 2 && text[length - 2] == L'\r' && text[length - 1] == L'\n')
        text[length - 2] = L'\0';
}

void FormatComFallbackText(HRESULT hr, LPWSTR text, size_t size) {
    ULONG code = static_cast<ULONG>(hr);
    if (code > kDispatchErrorFirst && code <= kDispatchErrorLast)
        swprintf(text, size, L"IDispatch error #%d", static_cast<int>(code - kDispatchErrorFirst));
    else
        swprintf(text, size, L"Unknown error 0x%0lX", static_cast<unsigned long>(code));
}

} // namespace

void ShowComError(HRESULT hr) {
    LPWSTR systemText = nullptr;
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<LPWSTR>(&systemText), 0, nullptr);
    WCHAR fallbackText[64];
    LPCWSTR text = fallbackText;
    if (length && systemText) {
        RemoveTrailingLineBreak(systemText);
        text = systemText;
    } else {
        FormatComFallbackText(hr, fallbackText, ARRAYSIZE(fallbackText));
    }
    MessageBoxW(nullptr, text, kErrorCaption, MB_ICONERROR | MB_TOPMOST);
    if (systemText)
        LocalFree(systemText);
}

int ShowError(HWND owner, LPCWSTR text) {
    return MessageBoxW(owner, text, kErrorCaption, MB_ICONERROR);
}

void ShowLastError(LPCWSTR text, HWND owner) {
    DWORD code = GetLastError();
    if (!text)
        text = L"";
    // The precision keeps the line break inside the buffer however long the caller's text is.
    WCHAR message[kLastErrorTextLength];
    int used = swprintf(message, kLastErrorTextLength, L"%.*ls\r\n", kLastErrorTextLength - 3, text);
    DWORD appended = 0;
    if (used > 0 && used < kLastErrorTextLength - 1)
        appended = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                  message + used, kLastErrorTextLength - used, nullptr);
    if (!appended)
        swprintf(message, kLastErrorTextLength, L"%.*ls Error 0x%08lX", kLastErrorTextLength - 18, text,
                 static_cast<unsigned long>(code));
    ShowError(owner, message);
}
