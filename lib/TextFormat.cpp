#include "lib/TextFormat.h"

std::wstring FormatWithText(LPCWSTR format, LPCWSTR text) {
    std::wstring result;
    bool textUsed = false;
    for (LPCWSTR c = format; *c; ++c) {
        if (c[0] == L'%' && c[1] == L's' && !textUsed) {
            result += text;
            textUsed = true;
            ++c;
        } else if (c[0] == L'%' && c[1] == L'%') {
            result += L'%';
            ++c;
        } else {
            result += *c;
        }
    }
    return result;
}
