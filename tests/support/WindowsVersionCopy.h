#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// Wine reports another Windows version to an executable named in its AppDefaults key: a copy of
// the running test program, under its own name, runs chosen cases as that version.
bool StartedAsVersionCopy();

struct VersionCopyRun {
    bool ended = false;
    DWORD exitCode = 0;
    std::string output;
};

// The copy ended in time with exit code 0 and passed at least one case; a copy that must also skip
// none asks for that. A failure carries the copy's output.
::testing::AssertionResult CopyPassed(const VersionCopyRun& run, bool skipsAllowed = true);

// Runs the cases matching the filter in a copy named copyName that Wine starts as the given
// version ("winxp", "win10"...); the copy and the key are removed after.
VersionCopyRun RunCopyAsWindowsVersion(const std::wstring& version, const std::wstring& copyName,
                                       const std::wstring& filter);
// The same with the system DPI the copy starts with: Wine has one DPI, read from the prefix as a
// process starts. An empty version keeps the one Wine reports by default.
VersionCopyRun RunCopyAtDpi(UINT dpi, const std::wstring& copyName, const std::wstring& filter,
                            const std::wstring& version = L"");
