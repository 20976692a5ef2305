#include "support/WindowsVersionCopy.h"

#include "support/ChildProcess.h"
#include "support/FileFixtures.h"
#include "support/Soak.h"

#include <functional>
#include <utility>

namespace {

const wchar_t kCopyVariable[] = L"PATHWREN_VERSION_COPY";

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Whether the process owns a top-level window yet.
BOOL CALLBACK FindProcessWindow(HWND window, LPARAM processAndFound) {
    auto* search = reinterpret_cast<std::pair<DWORD, bool>*>(processAndFound);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    search->second = search->second || owner == search->first;
    return !search->second;
}

VersionCopyRun RunCopy(const std::wstring& version, const std::wstring& copyName, const std::wstring& filter,
                       const std::function<void()>& onFirstWindow = nullptr) {
    VersionCopyRun run;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring directory(self, wcsrchr(self, L'\\') + 1);
    std::wstring copy = directory + copyName;
    std::wstring outputPath = copy + L".txt";
    if (!CopyFileW(self, copy.c_str(), FALSE))
        return run;
    std::wstring key = L"Software\\Wine\\AppDefaults\\" + copyName;
    if (!version.empty())
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, version.c_str(),
                        static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    // Like the test programs themselves, the copy's windows are left to Wine alone: a managed one
    // costs a two-second wait each time it is hidden without a window manager.
    RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\X11 Driver").c_str(), L"Managed", REG_SZ, L"N", sizeof(L"N"));
    {
        SetEnvironmentVariableW(kCopyVariable, L"1");
        ChildProcess child(L"\"" + copy + L"\" --gtest_filter=" + filter, directory, outputPath);
        SetEnvironmentVariableW(kCopyVariable, nullptr);
        child.Resume();
        if (onFirstWindow) {
            std::pair<DWORD, bool> search(child.Id(), false);
            for (DWORD start = GetTickCount(); !search.second && GetTickCount() - start < 30000; Sleep(10))
                EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
            onFirstWindow();
        }
        // Inside the case's own time-out, so that the child's output is still shown when it hangs.
        run.ended = child.Wait(LongSoakRequested() ? 7000 * 1000 : 100 * 1000);
        run.exitCode = child.ExitCode();
    }
    std::vector<unsigned char> bytes = ReadFileBytes(outputPath);
    run.output.assign(bytes.begin(), bytes.end());
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    DeleteFileW(copy.c_str());
    DeleteFileW(outputPath.c_str());
    return run;
}

} // namespace

bool StartedAsVersionCopy() {
    return GetEnvironmentVariableW(kCopyVariable, nullptr, 0) > 0;
}

VersionCopyRun RunCopyAsWindowsVersion(const std::wstring& version, const std::wstring& copyName,
                                       const std::wstring& filter) {
    return RunCopy(version, copyName, filter);
}

VersionCopyRun RunCopyAtDpi(UINT dpi, const std::wstring& copyName, const std::wstring& filter,
                            const std::wstring& version) {
    // The test prefix leaves the value out (96 DPI). A process reads it as it starts, so it goes
    // again once the copy shows a window: other test programs may start meanwhile.
    DWORD value = dpi;
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &value, sizeof(value));
    return RunCopy(version, copyName, filter, [] { RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels"); });
}

::testing::AssertionResult CopyPassed(const VersionCopyRun& run, bool skipsAllowed) {
    if (run.ended && run.exitCode == 0 && run.output.find("[  PASSED  ]") != std::string::npos &&
        run.output.find("[  PASSED  ] 0 tests") == std::string::npos &&
        (skipsAllowed || run.output.find("[  SKIPPED ]") == std::string::npos))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the copy " << (run.ended ? "ended" : "ran out of time")
                                         << " with exit code " << run.exitCode << ":\n"
                                         << run.output;
}
