#include "lib/TextConversion.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

BOOL IsSurrogatePairAt(LPCWSTR text, int index) {
    return IS_HIGH_SURROGATE(text[index]) && IS_LOW_SURROGATE(text[index + 1]);
}

// The number of UTF-16 units at the start of text whose ANSI form fits into byteLimit bytes,
// counted a whole character at a time.
int CountUnitsFitting(LPCWSTR text, int byteLimit) {
    int units = 0;
    int bytes = 0;
    while (text[units]) {
        int characterUnits = IsSurrogatePairAt(text, units) ? 2 : 1;
        int characterBytes = WideCharToMultiByte(CP_ACP, 0, text + units, characterUnits, nullptr, 0, nullptr, nullptr);
        if (characterBytes <= 0 || bytes + characterBytes > byteLimit)
            break;
        bytes += characterBytes;
        units += characterUnits;
    }
    return units;
}

int CopyWidePrefix(LPCWSTR whole, LPWSTR buffer, int bufferLength) {
    int keep = static_cast<int>(wcslen(whole));
    if (keep > bufferLength - 1) {
        keep = bufferLength - 1;
        if (keep > 0 && IS_HIGH_SURROGATE(whole[keep - 1]))
            --keep;
    }
    wmemcpy(buffer, whole, keep);
    buffer[keep] = L'\0';
    return keep;
}

} // namespace

DWORD AnsiToWideAlloc(LPCSTR text, LPWSTR* converted) {
    if (!converted)
        return ERROR_INVALID_PARAMETER;
    *converted = nullptr;
    if (!text)
        return 0;
    // Each ANSI byte gives at most one UTF-16 unit, so the byte count is always enough.
    size_t length = strlen(text) + 1;
    if (length > INT_MAX)
        return ERROR_NOT_ENOUGH_MEMORY;
    LPWSTR buffer = new (std::nothrow) WCHAR[length];
    if (!buffer)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, static_cast<int>(length))) {
        DWORD error = GetLastError();
        delete[] buffer;
        return error;
    }
    *converted = buffer;
    return 0;
}

DWORD WideToAnsiAlloc(LPCWSTR text, LPSTR* converted) {
    if (!converted)
        return ERROR_INVALID_PARAMETER;
    *converted = nullptr;
    if (!text)
        return 0;
    // Asked rather than estimated: with UTF-8 as the ANSI code page a character takes up to three bytes.
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return GetLastError();
    LPSTR buffer = new (std::nothrow) char[size];
    if (!buffer)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (!WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, size, nullptr, nullptr)) {
        DWORD error = GetLastError();
        delete[] buffer;
        return error;
    }
    *converted = buffer;
    return 0;
}

int AnsiToWide(LPCSTR text, LPWSTR buffer, int bufferLength) {
    if (!text || !buffer)
        return ERROR_INVALID_PARAMETER;
    if (bufferLength <= 0)
        return ERROR_NOT_ENOUGH_MEMORY;
    int written = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, bufferLength);
    int length = written > 0 ? written - 1 : 0;
    if (!written) {
        buffer[0] = L'\0';
        LPWSTR whole = nullptr;
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER && AnsiToWideAlloc(text, &whole) == 0) {
            length = CopyWidePrefix(whole, buffer, bufferLength);
            delete[] whole;
        }
    }
    buffer[bufferLength - 1] = L'\0';
    return length;
}

int WideToAnsi(LPCWSTR text, LPSTR buffer, int bufferSize) {
    if (!text || !buffer)
        return ERROR_INVALID_PARAMETER;
    if (bufferSize <= 0)
        return ERROR_NOT_ENOUGH_MEMORY;
    int written = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, bufferSize, nullptr, nullptr);
    int length = written > 0 ? written - 1 : 0;
    if (!written) {
        length = 0;
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            int units = CountUnitsFitting(text, bufferSize - 1);
            if (units > 0)
                length = WideCharToMultiByte(CP_ACP, 0, text, units, buffer, bufferSize - 1, nullptr, nullptr);
        }
        buffer[length] = '\0';
    }
    buffer[bufferSize - 1] = '\0';
    return length;
}
