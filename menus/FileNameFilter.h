#pragma once
#include <windows.h>

#include <vector>

enum FileNameFilterKind {
    FileNameFilterInclusion = 0,
    FileNameFilterExclusion = 1,
};

// ";"-separated wildcard patterns that decide which files a folder menu shows. Every ";" ends
// a pattern, empty pieces are dropped and blanks are kept, so "*.exe; *.jpg" has a second
// pattern that starts with a blank.
class CFileNameFilter {
public:
    CFileNameFilter(FileNameFilterKind kind, LPCWSTR filters);
    CFileNameFilter(const CFileNameFilter&) = delete;
    CFileNameFilter& operator=(const CFileNameFilter&) = delete;

    // A filter without patterns accepts everything; otherwise the first matching pattern
    // decides (inclusion accepts, exclusion rejects) and no match decides the other way.
    BOOL Accepts(LPCWSTR fileName) const;

    FileNameFilterKind Kind() const { return m_kind; }
    size_t PatternCount() const { return m_patterns.size(); }
    LPCWSTR Pattern(size_t index) const { return m_patterns[index]; }

private:
    FileNameFilterKind m_kind;
    std::vector<WCHAR> m_text;       // the filter string with every ";" turned into a terminator
    std::vector<LPCWSTR> m_patterns; // pointers into m_text
};

// Anchored match of a whole name: "*" any run (also none), "?" one character, only the letters
// a to z compare without regard to case.
BOOL WildcardMatch(LPCWSTR pattern, LPCWSTR name);
