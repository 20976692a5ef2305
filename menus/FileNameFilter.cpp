#include "menus/FileNameFilter.h"

#include <cwchar>

namespace {

inline WCHAR FoldAsciiUpper(WCHAR c) {
    return (c >= L'a' && c <= L'z') ? static_cast<WCHAR>(c - L'a' + L'A') : c;
}

} // namespace

CFileNameFilter::CFileNameFilter(FileNameFilterKind kind, LPCWSTR filters) : m_kind(kind) {
    if (!filters || !*filters)
        return;
    size_t length = wcslen(filters);
    m_text.assign(filters, filters + length + 1);
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (m_text[i] != L';' && m_text[i] != L'\0')
            continue;
        m_text[i] = L'\0';
        if (i > start)
            m_patterns.push_back(&m_text[start]);
        start = i + 1;
    }
}

BOOL CFileNameFilter::Accepts(LPCWSTR fileName) const {
    if (m_patterns.empty())
        return TRUE;
    for (LPCWSTR pattern : m_patterns) {
        if (WildcardMatch(pattern, fileName))
            return m_kind == FileNameFilterInclusion;
    }
    return m_kind == FileNameFilterExclusion;
}

BOOL WildcardMatch(LPCWSTR pattern, LPCWSTR name) {
    // Greedy match with one backtracking point: on a mismatch, the last "*" absorbs one more
    // character of the name. Linear in practice and never worse than pattern x name.
    LPCWSTR starPattern = nullptr;
    LPCWSTR starName = nullptr;
    while (*name) {
        WCHAR p = FoldAsciiUpper(*pattern);
        if (p == L'*') {
            starPattern = ++pattern;
            starName = name;
            continue;
        }
        if (p != L'\0' && (p == L'?' || p == FoldAsciiUpper(*name))) {
            ++pattern;
            ++name;
            continue;
        }
        if (!starPattern)
            return FALSE;
        pattern = starPattern;
        name = ++starName;
    }
    while (*pattern == L'*')
        ++pattern;
    return *pattern == L'\0';
}
