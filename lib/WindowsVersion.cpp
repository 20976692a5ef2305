#include "lib/WindowsVersion.h"

WindowsVersion ReportedWindowsVersion() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    // Deprecated because it reports the compatibility version, which is what is wanted here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&version))
        return WindowsVersion{0, 0};
#pragma GCC diagnostic pop
    return WindowsVersion{version.dwMajorVersion, version.dwMinorVersion};
}
