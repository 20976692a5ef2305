#include "support/ClipboardText.h"

#include <windows.h>

std::wstring ClipboardText() {
    if (!OpenClipboard(nullptr))
        return L"(clipboard busy)";
    std::wstring text = L"(no text)";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (auto* characters = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
        text = characters;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}
