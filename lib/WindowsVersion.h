#pragma once
#include <windows.h>

// The version the system reports to this program, as GetVersionExW gives it: what a
// compatibility setting makes the program believe, which is what decides the shell's behaviour
// towards it. { 0, 0 } when the call fails.
struct WindowsVersion {
    DWORD major;
    DWORD minor;

    bool Is(DWORD wantedMajor, DWORD wantedMinor) const { return major == wantedMajor && minor == wantedMinor; }
    bool Before(DWORD laterMajor, DWORD laterMinor) const {
        return major < laterMajor || (major == laterMajor && minor < laterMinor);
    }
};

WindowsVersion ReportedWindowsVersion();
