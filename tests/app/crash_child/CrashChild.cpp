// Stands in for the program's entry point: runs the --fault= named inside the protected block, hands
// what it caught to the real handler and appends what happened to the --report= file. A restarted
// instance (it inherits PATHWREN_CRASH_CHILD_RESTARTED) only records its command line.
#include "app/CrashHandler.h"
#include "app/ExceptionHardware.h"
#include "app/Pathwren.h"
#include "config/SpecialPath.h"
#include "lib/KernelHandle.h"
#include "lib/MemoryHandle.h"
#include "lib/MessageWindow.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <cwchar>
#include <new>
#include <string>
#include <utility>

namespace {

const wchar_t kRestartedVariable[] = L"PATHWREN_CRASH_CHILD_RESTARTED";

std::wstring g_report;
volatile bool g_stopRecursion = false;
CPathwren* g_application = nullptr;
HWND g_faultingWindow = nullptr;
HWND g_mainWindow = nullptr;
// The faulting window throws std::bad_alloc instead of writing to address 0.
bool g_throwsBadAlloc = false;

void Append(const std::wstring& path, const std::wstring& text) {
    CFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file)
        WriteFile(file.Get(), text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
}

void Report(const std::wstring& line) {
    Append(g_report, line + L"\n");
}

// Reports from its destructor, which only runs for the faulting frame when the translated
// exception really unwinds through it.
struct UnwindWitness {
    const wchar_t* frame;
    ~UnwindWitness() { Report(std::wstring(L"unwound ") + frame); }
};

__attribute__((noinline)) int DivideByZero() {
    UnwindWitness witness{L"faulting frame"};
    volatile int zero = 0;
    return 100 / zero;
}

__attribute__((noinline)) int WriteNull() {
    UnwindWitness witness{L"faulting frame"};
    // Through a volatile pointer, so the compiler cannot see the null and emit a trap instead.
    volatile int* volatile target = nullptr;
    *target = 1;
    return 0;
}

// A fault inside a system DLL that no handler of the system takes.
__attribute__((noinline)) int ReadInForeignCode() {
    UnwindWitness witness{L"calling frame"};
    const char* volatile text = reinterpret_cast<const char*>(16);
    wchar_t converted[8];
    return MultiByteToWideChar(CP_UTF8, 0, text, 4, converted, 8);
}

// The same inside the C runtime DLL, whose functions the compiler takes as never throwing: the
// caller has no unwind entry for the call.
__attribute__((noinline)) int ReadInRuntimeCode() {
    UnwindWitness witness{L"calling frame"};
    const wchar_t* volatile text = reinterpret_cast<const wchar_t*>(16);
    return static_cast<int>(wcslen(text));
}

__attribute__((noinline)) int WriteNullInNoexceptFunction() noexcept {
    volatile int* volatile target = nullptr;
    *target = 1;
    return 0;
}

LRESULT CALLBACK FaultingWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        UnwindWitness witness{L"window procedure"};
        if (g_throwsBadAlloc)
            throw std::bad_alloc();
        WriteNull();
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A window whose procedure writes to address 0 when it receives WM_APP.
HWND CreateFaultingWindow() {
    return CreateMessageWindow(L"CrashChildWindow", FaultingWindowProcedure, nullptr);
}

int FaultInWindowProcedure() {
    PostMessageW(CreateFaultingWindow(), WM_APP, 0, 0);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

void CALLBACK FaultOnceTheMainWindowExists(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_application->m_hMainWindow)
        return;
    KillTimer(nullptr, timer);
    g_mainWindow = g_application->m_hMainWindow;
    // The fault is queued first, so the close and the options request are still waiting when the
    // stack has unwound to the handler.
    PostMessageW(g_faultingWindow, WM_APP, 0, 0);
    PostMessageW(g_mainWindow, WM_SHOW_OPTIONS, 0, 0);
    PostMessageW(g_mainWindow, WM_CLOSE, 0, 0);
}

// The entry point's start-up, with the program directory moved to the current directory.
int FaultInsideTheApplication(bool duringStartUp) {
    UnwindWitness witness{L"application frame"};
    wchar_t directory[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, directory);
    std::wstring programDirectory = std::wstring(directory) + L"\\";
    OverrideProgramDirectory(programDirectory.c_str());
    CreateDirectoryW((programDirectory + L"Music").c_str(), nullptr);
    // Fresh files in a fresh directory, so appending writes them whole.
    Append(programDirectory + L"Pathwren.ini", L"\xFEFF[Pathwren]\r\nSingleUser=1\r\nbRunAtStartup=0\r\n");
    Append(programDirectory + L"FoldersOptions.ini",
           L"\xFEFF[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Music\r\n");
    g_faultingWindow = CreateFaultingWindow();

    CPathwren application;
    g_application = &application;
    InitCommonControls();
    OleInitialize(nullptr);
    application.m_hInstance = GetModuleHandleW(nullptr);
    application.LoadApplicationOptions();
    application.LoadLanguage();
    application.LoadFolders();
    if (duringStartUp)
        throw std::bad_alloc();
    SetTimer(nullptr, 0, 20, FaultOnceTheMainWindowExists);
    application.Run();
    OleUninitialize();
    return 0;
}

__attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[256];
    frame[0] = static_cast<char>(depth);
    if (g_stopRecursion)
        return 0;
    return Recurse(depth + 1) + frame[0];
}

__attribute__((noinline)) int OverflowStack() {
    UnwindWitness witness{L"overflowing frame"};
    return Recurse(0);
}

int RunFault(const std::wstring& kind) {
    UnwindWitness witness{L"caller frame"};
    const std::pair<const wchar_t*, int (*)()> faults[] = {
        {L"divide", DivideByZero},
        {L"read-foreign", ReadInForeignCode},
        {L"read-runtime", ReadInRuntimeCode},
        {L"noexcept", WriteNullInNoexceptFunction},
        {L"window-procedure", FaultInWindowProcedure},
        {L"stack-overflow", OverflowStack},
        {L"application", [] { return FaultInsideTheApplication(false); }},
        {L"application-bad-alloc", [] { return g_throwsBadAlloc = true, FaultInsideTheApplication(false); }},
        {L"start-up-bad-alloc", [] { return FaultInsideTheApplication(true); }},
    };
    for (const auto& fault : faults)
        if (kind == fault.first)
            return fault.second();
    return 0;
}

bool IsInsideThisImage(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(address), &module);
    return module == GetModuleHandleW(nullptr);
}

// Without exception pointers only the message is reported: the test finds no address.
void ReportCaught(const CExceptionHardware& exception) {
    Report(std::wstring(L"caught ") + exception.Message());
    const EXCEPTION_POINTERS* pointers = exception.ExceptionPointers();
    if (!pointers || !pointers->ExceptionRecord || !pointers->ContextRecord)
        return;
    void* address = pointers->ExceptionRecord->ExceptionAddress;
    wchar_t lines[256];
    // Addresses the way the handler's message shows them.
    swprintf(lines, 256, L"code 0x%08X\naddress 0x%016llX\ncontext rip 0x%016llX\n%ls image", exception.Code(),
             reinterpret_cast<unsigned long long>(address),
             static_cast<unsigned long long>(pointers->ContextRecord->Rip),
             IsInsideThisImage(address) ? L"inside" : L"outside");
    Report(lines);
}

std::wstring ArgumentValue(int count, wchar_t** arguments, const std::wstring& prefix) {
    for (int index = 1; index < count; ++index) {
        std::wstring argument = arguments[index];
        if (argument.compare(0, prefix.size(), prefix) == 0)
            return argument.substr(prefix.size());
    }
    return L"";
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    InstallCrashHandling();
    try {
        int count = 0;
        wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
        if (!arguments)
            return 1;
        CLocalMemory argumentsOwner(arguments);
        g_report = ArgumentValue(count, arguments, L"--report=");
        std::wstring kind = ArgumentValue(count, arguments, L"--fault=");

        if (GetEnvironmentVariableW(kRestartedVariable, nullptr, 0) != 0) {
            Report(std::wstring(L"restarted ") + GetCommandLineW());
            return 0;
        }
        SetEnvironmentVariableW(kRestartedVariable, L"1");
        int result = RunFault(kind);
        Report(L"survived " + std::to_wstring(result));
    } catch (const CExceptionHardware& exception) {
        ReportCaught(exception);
        if (g_mainWindow) {
            Report(IsWindow(g_mainWindow) ? L"main window alive" : L"main window gone");
            // The end of the logon may come at any time, the crash questions included.
            SendMessageW(g_mainWindow, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        }
        HandleHardwareException(exception);
    } catch (const std::exception& exception) {
        Report(L"caught C++ exception");
        if (g_mainWindow)
            Report(IsWindow(g_mainWindow) ? L"main window alive" : L"main window gone");
        HandleProgramException();
    }
    return 0;
}
