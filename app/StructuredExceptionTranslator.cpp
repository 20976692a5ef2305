#include "app/StructuredExceptionTranslator.h"

#include <atomic>

// The system dispatches an exception on the faulting thread's own stack, in frames the C++ throw
// could not unwind from. The vectored handler therefore lets the dispatch finish and rewrites
// the thread's context instead: execution continues in the trampoline below, on the stack just
// under the faulting frame. The trampoline describes itself to the unwinder as an interrupt
// frame whose saved RIP and RSP are those of the fault, so every unwinder walks from it straight
// into the faulting frame. It then calls the translator, whose throw starts there.
//
// The saved RIP is the faulting address plus one: unwinders look up the instruction before a
// return address, which here is the faulting instruction itself, covered by the faulting
// frame's cleanup ranges when compiled with -fnon-call-exceptions.
//
// On entry R10 holds that RIP and R11 the faulting RSP; the five pushes build the machine frame
// (SS, RSP, RFLAGS, CS, RIP) that .seh_pushframe declares.
asm(R"(
    .text
    .p2align 4
    .globl PathwrenTranslatedExceptionTrampoline
    .def PathwrenTranslatedExceptionTrampoline; .scl 2; .type 32; .endef
    .seh_proc PathwrenTranslatedExceptionTrampoline
PathwrenTranslatedExceptionTrampoline:
    pushq $0
    pushq %r11
    pushfq
    pushq $0
    pushq %r10
    .seh_pushframe
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    call PathwrenRaiseTranslatedException
    int3
    .seh_endproc
)");

extern "C" void PathwrenTranslatedExceptionTrampoline();
extern "C" [[noreturn]] void PathwrenRaiseTranslatedException();

namespace {

// Room left between the faulting frame and the trampoline's frame.
const DWORD64 kTrampolineGap = 128;
// A stack of its own for the last-chance path: after a stack overflow the thread's stack has
// too little left to create a thread and wait for it (under Wine about one kilobyte).
const SIZE_T kEmergencyStackSize = 64 * 1024;
// A helper that has not shown a window by then is taken to be blocked on a lock the faulting
// thread holds; the process then ends without asking.
const DWORD kHelperStartLimitMs = 30 * 1000;
const DWORD kHelperPollMs = 250;
// The extended-state flag of a 64-bit CONTEXT: the copy has no room for that state.
const DWORD kContextExtendedState = 0x40;
// libgcc's own exception codes (throw, unwind, forced unwind) end in the letters "GCC".
const DWORD kGccCodeSignature = 0x00474343;

enum TranslationStage : LONG { kIdle, kTranslating, kLastChance };

// Per-thread state, at the start of a block whose rest is the emergency stack. The copies of
// the exception record and context outlive the stack the system kept them on; the thrown
// object points at them.
struct ThreadTranslation {
    CONTEXT context;
    EXCEPTION_RECORD record;
    EXCEPTION_POINTERS pointers;
    StructuredExceptionTranslator translator;
    DWORD threadId;
    volatile LONG stage;
};

const SIZE_T kThreadBlockSize = sizeof(ThreadTranslation) + kEmergencyStackSize;

// Process-wide by nature: the system calls the vectored handler and the unhandled-exception
// filter without any context of ours.
struct ProcessTranslation {
    INIT_ONCE installOnce;
    DWORD tlsIndex;
    const BYTE* imageStart;
    const BYTE* imageEnd;
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter;
    std::atomic<UntranslatableExceptionHandler> untranslatableHandler;
};

ProcessTranslation g_process = {INIT_ONCE_STATIC_INIT, TLS_OUT_OF_INDEXES, nullptr, nullptr, nullptr, nullptr};

ThreadTranslation* CurrentThreadTranslation() {
    if (g_process.tlsIndex == TLS_OUT_OF_INDEXES)
        return nullptr;
    return static_cast<ThreadTranslation*>(TlsGetValue(g_process.tlsIndex));
}

bool IsInsideProgramImage(const void* address) {
    const BYTE* byte = static_cast<const BYTE*>(address);
    return byte >= g_process.imageStart && byte < g_process.imageEnd;
}

bool IsGccUnwinderCode(DWORD code) {
    return (code & 0x00FFFFFF) == kGccCodeSignature;
}

void CaptureException(ThreadTranslation* state, const EXCEPTION_POINTERS* pointers) {
    state->record = *pointers->ExceptionRecord;
    // A chained record lives on the stack that is about to be reused.
    state->record.ExceptionRecord = nullptr;
    state->context = *pointers->ContextRecord;
    state->context.ContextFlags &= ~kContextExtendedState;
    state->pointers.ExceptionRecord = &state->record;
    state->pointers.ContextRecord = &state->context;
}

BOOL CALLBACK NoteAnyWindow(HWND, LPARAM found) {
    *reinterpret_cast<BOOL*>(found) = TRUE;
    return FALSE;
}

DWORD WINAPI RunUntranslatableHandler(void* parameter) {
    ThreadTranslation* state = static_cast<ThreadTranslation*>(parameter);
    UntranslatableExceptionHandler handler = g_process.untranslatableHandler;
    if (handler)
        handler(state->record.ExceptionCode, &state->pointers, state->threadId);
    return 0;
}

// Waits for the helper as long as it takes the user to answer it, but not forever for a helper
// that never got as far as its first window.
void WaitForHelper(HANDLE helper, DWORD helperId) {
    BOOL showedWindow = FALSE;
    DWORD waited = 0;
    while (WaitForSingleObject(helper, kHelperPollMs) == WAIT_TIMEOUT) {
        if (!showedWindow)
            EnumThreadWindows(helperId, NoteAnyWindow, reinterpret_cast<LPARAM>(&showedWindow));
        waited += kHelperPollMs;
        if (!showedWindow && waited >= kHelperStartLimitMs)
            return;
    }
}

// The faulting thread never runs again: its stack is not unwound, so the process is ended with
// TerminateProcess rather than ExitProcess, whose DLL notifications and static destructors could
// need locks or objects the faulting thread left in mid-use. After a stack overflow this runs on
// the emergency stack, entered through a rewritten context with a null return address, which
// ends any stack walk here.
[[noreturn]] void RunLastChance(ThreadTranslation* state) {
    InterlockedExchange(&state->stage, kLastChance);
    DWORD helperId = 0;
    HANDLE helper = CreateThread(nullptr, 0, RunUntranslatableHandler, state, 0, &helperId);
    if (helper) {
        WaitForHelper(helper, helperId);
        CloseHandle(helper);
    }
    TerminateProcess(GetCurrentProcess(), state->record.ExceptionCode);
    ExitProcess(state->record.ExceptionCode);
}

void ContinueInTrampoline(CONTEXT* context) {
    context->R10 = context->Rip + 1;
    context->R11 = context->Rsp;
    context->Rsp = (context->Rsp - kTrampolineGap) & ~static_cast<DWORD64>(15);
    context->Rip = reinterpret_cast<DWORD64>(&PathwrenTranslatedExceptionTrampoline);
}

void ContinueOnEmergencyStack(ThreadTranslation* state, CONTEXT* context) {
    // Aligned as at a function's entry: 16-byte aligned before the return address was pushed,
    // with the caller's 32-byte home area above it.
    DWORD64 top = reinterpret_cast<DWORD64>(state) + kThreadBlockSize;
    DWORD64 entryRsp = (top & ~static_cast<DWORD64>(15)) - 48 - 8;
    *reinterpret_cast<DWORD64*>(entryRsp) = 0;
    context->Rsp = entryRsp;
    context->Rcx = reinterpret_cast<DWORD64>(state);
    context->Rip = reinterpret_cast<DWORD64>(&RunLastChance);
}

// First chance, before the frames' own handlers: stack overflows anywhere, faults in our image.
LONG CALLBACK TranslateProgramFaults(EXCEPTION_POINTERS* pointers) {
    ThreadTranslation* state = CurrentThreadTranslation();
    if (!state || state->stage == kLastChance)
        return EXCEPTION_CONTINUE_SEARCH;
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode == STATUS_STACK_OVERFLOW) {
        // Kept to a few copies and stores: the stack has barely any room left.
        CaptureException(state, pointers);
        InterlockedExchange(&state->stage, kLastChance);
        ContinueOnEmergencyStack(state, pointers->ContextRecord);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (state->stage != kIdle || !IsInsideProgramImage(record->ExceptionAddress) ||
        (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE))
        return EXCEPTION_CONTINUE_SEARCH;
    CaptureException(state, pointers);
    InterlockedExchange(&state->stage, kTranslating);
    ContinueInTrampoline(pointers->ContextRecord);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Last chance, after every frame declined: whatever is left on a thread with a translator.
LONG WINAPI TranslateUnhandled(EXCEPTION_POINTERS* pointers) {
    ThreadTranslation* state = CurrentThreadTranslation();
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    // The translated exception found no catch clause, or the translation itself faulted.
    if (state && state->stage == kTranslating)
        RunLastChance(state);
    // libgcc's own codes are left to the runtime's filter, which lets an uncaught throw return
    // to the C++ runtime and end in std::terminate as the language requires.
    if (!state || state->stage != kIdle || IsGccUnwinderCode(record->ExceptionCode) ||
        record->ExceptionCode == STATUS_STACK_OVERFLOW) {
        return g_process.previousFilter ? g_process.previousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
    }
    CaptureException(state, pointers);
    if (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE)
        RunLastChance(state);
    InterlockedExchange(&state->stage, kTranslating);
    ContinueInTrampoline(pointers->ContextRecord);
    return EXCEPTION_CONTINUE_EXECUTION;
}

BOOL CALLBACK InstallProcessHandlers(INIT_ONCE*, void*, void**) {
    HMODULE image = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&TranslateProgramFaults), &image))
        return FALSE;
    const BYTE* base = reinterpret_cast<const BYTE*>(image);
    const IMAGE_DOS_HEADER* dosHeader = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* ntHeaders = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dosHeader->e_lfanew);
    DWORD tlsIndex = TlsAlloc();
    if (tlsIndex == TLS_OUT_OF_INDEXES)
        return FALSE;
    if (!AddVectoredExceptionHandler(1, TranslateProgramFaults)) {
        TlsFree(tlsIndex);
        return FALSE;
    }
    g_process.imageStart = base;
    g_process.imageEnd = base + ntHeaders->OptionalHeader.SizeOfImage;
    g_process.tlsIndex = tlsIndex;
    g_process.previousFilter = SetUnhandledExceptionFilter(TranslateUnhandled);
    return TRUE;
}

// Clears the stage as the translated exception leaves the translator, so that the next fault
// is translated again; a fault inside the translator itself is not.
class StageReset {
public:
    explicit StageReset(ThreadTranslation* state) : m_state(state) {}
    ~StageReset() { InterlockedCompareExchange(&m_state->stage, kIdle, kTranslating); }
    StageReset(const StageReset&) = delete;
    StageReset& operator=(const StageReset&) = delete;

private:
    ThreadTranslation* m_state;
};

} // namespace

extern "C" void PathwrenRaiseTranslatedException() {
    ThreadTranslation* state = CurrentThreadTranslation();
    {
        StageReset reset(state);
        state->translator(state->record.ExceptionCode, &state->pointers);
    }
    // The translator returned: the dispatch that could have passed the exception on is over.
    RunLastChance(state);
}

StructuredExceptionTranslator SetStructuredExceptionTranslator(StructuredExceptionTranslator translator) {
    if (!InitOnceExecuteOnce(&g_process.installOnce, InstallProcessHandlers, nullptr, nullptr))
        return nullptr;
    ThreadTranslation* state = CurrentThreadTranslation();
    StructuredExceptionTranslator previous = state ? state->translator : nullptr;
    if (!translator) {
        if (state) {
            TlsSetValue(g_process.tlsIndex, nullptr);
            VirtualFree(state, 0, MEM_RELEASE);
        }
        return previous;
    }
    if (!state) {
        // VirtualAlloc rather than the heap: page alignment suits the CONTEXT copy, and the
        // block is reached from the exception handlers without any lock.
        state = static_cast<ThreadTranslation*>(
            VirtualAlloc(nullptr, kThreadBlockSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!state)
            return nullptr;
        state->threadId = GetCurrentThreadId();
        state->stage = kIdle;
        TlsSetValue(g_process.tlsIndex, state);
    }
    state->translator = translator;
    return previous;
}

void AbandonTranslatedException() {
    ThreadTranslation* state = CurrentThreadTranslation();
    if (state)
        RunLastChance(state);
}

UntranslatableExceptionHandler SetUntranslatableExceptionHandler(UntranslatableExceptionHandler handler) {
    return g_process.untranslatableHandler.exchange(handler);
}
