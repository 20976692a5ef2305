#pragma once
#include <windows.h>
#include <shellapi.h>

// Opens a file or folder with the shell's default action, in its own directory; shortcuts (".lnk")
// are started through their target. Shows "Error opening " and the path when the shell fails.
BOOL OpenFile(LPCWSTR path);

// Starts the target of a shortcut file with the shortcut's arguments and working directory. FALSE
// (after an error box) only when the shortcut cannot be read; a target that fails to start is
// reported with a box but still counts as handled.
BOOL LaunchShortcut(LPCWSTR path);

// ShellExecuteExW, shown normally, followed by ActivateProcessWindow for the started process,
// because the system does not let a background program's launch take the foreground by itself.
// Returns the ShellExecuteExW result; the info's instance value tells the caller more.
BOOL ShellExecuteAndActivate(SHELLEXECUTEINFOW* info);

// Waits a bounded time (five looks, half a second apart) for a visible top-level window of the
// process and brings the first one found to the front, restored if minimized. TRUE when one was found.
BOOL ActivateProcessWindow(DWORD processId);
