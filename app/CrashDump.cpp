#include "app/CrashDump.h"

#include "lib/KernelHandle.h"
#include "lib/PathText.h"
#include "lib/RuntimeModule.h"
#include "lib/SaveFileDialog.h"

#include <dbghelp.h>

#include <cwchar>

namespace {

typedef BOOL(WINAPI* MiniDumpWriteDumpFunction)(HANDLE process, DWORD processId, HANDLE file, MINIDUMP_TYPE type,
                                                MINIDUMP_EXCEPTION_INFORMATION* exception,
                                                MINIDUMP_USER_STREAM_INFORMATION* userStreams,
                                                MINIDUMP_CALLBACK_INFORMATION* callback);

// The executable's path with the text after its last dot replaced by "dmp"; a name without an
// extension gets one. Never the executable's own path, even when the result would not fit.
void ProposeDumpFileName(wchar_t* fileName, DWORD size) {
    const wchar_t kFallback[] = L"crash.dmp";
    DWORD length = GetModuleFileNameW(nullptr, fileName, size);
    if (length == 0 || length >= size) {
        wcscpy(fileName, kFallback);
        return;
    }
    if (!ReplaceExtension(fileName, size, L"dmp"))
        wcscpy(fileName, kFallback);
}

} // namespace

BOOL WriteCrashDump(HANDLE process, DWORD processId, EXCEPTION_POINTERS* exceptionPointers, DWORD threadId) {
    wchar_t fileName[MAX_PATH] = L"";
    ProposeDumpFileName(fileName, MAX_PATH);
    if (!AskSaveFileName(nullptr, L"CrashDump (.dmp)\0*.dmp\0All(*.*)\0*.*\0", 1, L"dmp", fileName, MAX_PATH))
        return FALSE;
    return WriteMiniDump(process, processId, fileName, exceptionPointers, threadId);
}

BOOL WriteMiniDump(HANDLE process, DWORD processId, const wchar_t* fileName, EXCEPTION_POINTERS* exceptionPointers,
                   DWORD threadId) {
    CRuntimeModule debugHelp(L"Dbghelp.dll");
    MiniDumpWriteDumpFunction miniDumpWriteDump = debugHelp.Procedure<MiniDumpWriteDumpFunction>("MiniDumpWriteDump");
    if (!miniDumpWriteDump)
        return FALSE;

    CFileHandle file(CreateFileW(fileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return FALSE;

    MINIDUMP_EXCEPTION_INFORMATION exception = {};
    MINIDUMP_EXCEPTION_INFORMATION* exceptionInformation = nullptr;
    if (exceptionPointers) {
        exception.ThreadId = threadId;
        exception.ExceptionPointers = exceptionPointers;
        exception.ClientPointers = FALSE;
        exceptionInformation = &exception;
    }
    return miniDumpWriteDump(process, processId, file.Get(), MiniDumpNormal, exceptionInformation, nullptr, nullptr);
}
