#include "menus/MenuNameOrder.h"

namespace {

inline bool IsDigit(WCHAR c) {
    return c >= L'0' && c <= L'9';
}

inline WCHAR FoldAsciiLower(WCHAR c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<WCHAR>(c - L'A' + L'a') : c;
}

// The leading number as "%u" reads it: unsigned decimal, wrapping on overflow.
unsigned LeadingNumber(LPCWSTR text) {
    unsigned value = 0;
    for (; IsDigit(*text); ++text)
        value = value * 10u + static_cast<unsigned>(*text - L'0');
    return value;
}

int CompareIgnoringAsciiCase(LPCWSTR first, LPCWSTR second) {
    for (;; ++first, ++second) {
        WCHAR a = FoldAsciiLower(*first);
        WCHAR b = FoldAsciiLower(*second);
        if (a != b)
            return a < b ? -1 : 1;
        if (a == L'\0')
            return 0;
    }
}

} // namespace

int CompareMenuNames(LPCWSTR first, LPCWSTR second) {
    bool firstNumbered = IsDigit(first[0]);
    bool secondNumbered = IsDigit(second[0]);
    if (firstNumbered != secondNumbered)
        return firstNumbered ? -1 : 1;
    if (firstNumbered) {
        unsigned a = LeadingNumber(first);
        unsigned b = LeadingNumber(second);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return CompareIgnoringAsciiCase(first, second);
}
