#pragma once
#include <windows.h>

// Asks the user where to save a crash dump of the process, proposing the executable's own path
// with the extension "dmp", and writes it there. FALSE when the dialog is unavailable or
// cancelled, or the dump fails.
BOOL WriteCrashDump(HANDLE process, DWORD processId, EXCEPTION_POINTERS* exceptionPointers, DWORD threadId);

// Writes a normal minidump of the process to the file, replacing it. The exception pointers,
// when given, must be addresses in this process; threadId names the thread they belong to.
BOOL WriteMiniDump(HANDLE process, DWORD processId, const wchar_t* fileName, EXCEPTION_POINTERS* exceptionPointers,
                   DWORD threadId);
