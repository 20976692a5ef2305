#include "app/CrashHandler.h"

#include "app/CrashDump.h"
#include "app/ExceptionHardware.h"
#include "lib/KernelHandle.h"
#include "lib/RuntimeModule.h"
#include "app/StructuredExceptionTranslator.h"

#include <cstdlib>
#include <cwchar>
#include <exception>
#include <vector>

namespace {

typedef int(WINAPI* MessageBoxFunction)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

const UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL;

std::terminate_handler g_previousTerminate = nullptr;

// Starts a new instance of the program with this instance's command line, arguments included.
BOOL RestartApplication() {
    // CreateProcessW may write into its command line, so it gets a copy.
    const wchar_t* commandLine = GetCommandLineW();
    std::vector<wchar_t> writableCommandLine(commandLine, commandLine + wcslen(commandLine) + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, writableCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return FALSE;
    CKernelHandle thread(started.hThread);
    CKernelHandle process(started.hProcess);
    return TRUE;
}

// threadId names the thread the exception happened on, which the dump points at; without
// exception pointers the dump shows every thread as it stands.
void AskCrashQuestions(EXCEPTION_POINTERS* exceptionPointers, DWORD threadId) {
    // Reached at run time: the process may be in a state where the DLL never got loaded.
    CRuntimeModule user32(L"user32.dll");
    MessageBoxFunction messageBox = user32.Procedure<MessageBoxFunction>("MessageBoxW");
    if (!messageBox)
        return;
    if (messageBox(nullptr,
                   L"An exception has occurred.\r\nDo you want to save a crash dump file to report error to author ?",
                   L"Exception", kQuestionStyle) == IDYES) {
        HANDLE process = GetCurrentProcess();
        WriteCrashDump(process, GetProcessId(process), exceptionPointers, threadId);
    }
    if (messageBox(nullptr, L"Restart application ?", L"Query", kQuestionStyle) == IDYES)
        RestartApplication();
}

void HandleUntranslatableException(unsigned int, EXCEPTION_POINTERS* exceptionPointers, DWORD threadId) {
    AskCrashQuestions(exceptionPointers, threadId);
}

// A translated exception that meets a frame allowing no exception ends here instead of in a
// silent abort: the user still gets the two questions.
[[noreturn]] void TerminateAfterHardwareException() {
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const CExceptionHardware&) {
            AbandonTranslatedException();
        } catch (...) {
        }
    }
    if (g_previousTerminate)
        g_previousTerminate();
    std::abort();
}

} // namespace

void InstallCrashHandling() {
    SetStructuredExceptionTranslator(CExceptionHardware::Translator);
    SetUntranslatableExceptionHandler(HandleUntranslatableException);
    std::terminate_handler previous = std::set_terminate(TerminateAfterHardwareException);
    if (previous != TerminateAfterHardwareException)
        g_previousTerminate = previous;
}

void HandleHardwareException(const CExceptionHardware& exception) {
    AskCrashQuestions(exception.ExceptionPointers(), GetCurrentThreadId());
}

void HandleProgramException() {
    AskCrashQuestions(nullptr, GetCurrentThreadId());
}
