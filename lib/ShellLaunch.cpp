#include "lib/ShellLaunch.h"

#include "lib/ErrorMessages.h"
#include "lib/ComPtr.h"
#include "lib/IdList.h"
#include "lib/PathText.h"
#include "lib/ShellLink.h"

#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

namespace {

const WCHAR kErrorCaption[] = L"Error";
const INT_PTR kFirstSuccessfulInstance = 33;
const int kWindowSearchAttempts = 5;
const DWORD kWindowSearchIntervalMs = 500;
const DWORD kShortcutResolveFlags = SLR_NO_UI | SLR_ANY_MATCH | SLR_UPDATE | SLR_INVOKE_MSI;

struct ProcessWindowSearch {
    DWORD processId;
    BOOL found;
};

// The directory part of the path with its trailing separator; empty when it would not fit.
void GetDirectoryOfPath(LPCWSTR path, LPWSTR directory) {
    directory[0] = L'\0';
    size_t length = 0;
    for (size_t index = 0; path[index]; ++index) {
        if (IsPathSeparator(path[index]))
            length = index + 1;
    }
    if (length == 0 || length >= MAX_PATH)
        return;
    wmemcpy(directory, path, length);
    directory[length] = L'\0';
}

BOOL CALLBACK ActivateFirstWindowOfProcess(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ProcessWindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // Hidden windows are passed over: input-method and helper windows are top-level too, and
    // SWP_SHOWWINDOW below would put them on screen. A main window still hidden is found once shown.
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    // Passing through the topmost band raises the window above everything even when the
    // foreground lock refuses SetForegroundWindow below.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    search->found = TRUE;
    return FALSE;
}

} // namespace

BOOL ActivateProcessWindow(DWORD processId) {
    if (processId == 0)
        return FALSE;
    ProcessWindowSearch search = {processId, FALSE};
    for (int attempt = 0; attempt < kWindowSearchAttempts; ++attempt) {
        if (attempt > 0)
            Sleep(kWindowSearchIntervalMs);
        EnumWindows(ActivateFirstWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return TRUE;
    }
    return FALSE;
}

BOOL ShellExecuteAndActivate(SHELLEXECUTEINFOW* info) {
    if (!info)
        return FALSE;
    BOOL closeProcess = !(info->fMask & SEE_MASK_NOCLOSEPROCESS);
    info->fMask |= SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info->nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(info))
        return FALSE;
    DWORD processId = 0;
    if (info->hProcess) {
        processId = GetProcessId(info->hProcess);
        if (closeProcess) {
            CloseHandle(info->hProcess);
            info->hProcess = nullptr;
        }
    }
    if (processId)
        ActivateProcessWindow(processId);
    return TRUE;
}

BOOL OpenFile(LPCWSTR path) {
    if (!path || !*path)
        return FALSE;
    if (HasExtension(path, L"lnk"))
        return LaunchShortcut(path);
    WCHAR directory[MAX_PATH];
    GetDirectoryOfPath(path, directory);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.lpFile = path;
    info.lpDirectory = directory;
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteAndActivate(&info);
    if (reinterpret_cast<INT_PTR>(info.hInstApp) >= kFirstSuccessfulInstance)
        return TRUE;
    WCHAR message[MAX_PATH + 32];
    swprintf(message, ARRAYSIZE(message), L"Error opening %.*ls", MAX_PATH, path);
    MessageBoxW(nullptr, message, kErrorCaption, MB_ICONERROR | MB_TOPMOST);
    return FALSE;
}

namespace {

// Starts the target of a loaded shortcut; the shortcut's own show command is overridden on purpose.
void StartShortcutTarget(const CComPtr<IShellLinkW>& link, PCIDLIST_ABSOLUTE target) {
    WCHAR arguments[MAX_PATH] = L"";
    WCHAR workingDirectory[MAX_PATH] = L"";
    link->GetArguments(arguments, MAX_PATH);
    link->GetWorkingDirectory(workingDirectory, MAX_PATH);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST;
    info.lpIDList = const_cast<LPITEMIDLIST>(target);
    info.lpParameters = arguments;
    info.lpDirectory = workingDirectory;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteAndActivate(&info))
        MessageBoxW(nullptr, L"Error launching shortcut", kErrorCaption, MB_ICONERROR | MB_TOPMOST);
}

} // namespace

BOOL LaunchShortcut(LPCWSTR path) {
    CComPtr<IShellLinkW> link;
    HRESULT hr = LoadShellLink(path, &link);
    if (FAILED(hr)) {
        ShowComError(hr);
        return FALSE;
    }
    // A moved target is looked for, but the result does not matter: the stored list is used either way.
    link->Resolve(nullptr, kShortcutResolveFlags);
    CIdList target;
    hr = link->GetIDList(target.Receive());
    if (FAILED(hr) || !target) {
        ShowComError(FAILED(hr) ? hr : E_FAIL);
        return FALSE;
    }
    StartShortcutTarget(link, target.Get());
    return TRUE;
}
