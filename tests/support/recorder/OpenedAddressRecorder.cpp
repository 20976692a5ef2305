// Stands in for the browser, the mail program and the help viewer: the shell starts it with the
// address or file to open, and it appends its command line, one UTF-16 line, to the file named by
// PATHWREN_RECORDER_FILE.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t recordFile[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"PATHWREN_RECORDER_FILE", recordFile, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    HANDLE file = CreateFileW(recordFile, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    LPCWSTR commandLine = GetCommandLineW();
    DWORD written = 0;
    WriteFile(file, commandLine, static_cast<DWORD>(lstrlenW(commandLine) * sizeof(wchar_t)), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return 0;
}
