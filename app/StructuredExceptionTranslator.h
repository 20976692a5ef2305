#pragma once
#include <windows.h>

// Stand-in for the C runtime's _set_se_translator, which code compiled by GCC never reaches: GCC
// frames are unwound by libgcc, whose personality routine does not call a translator. With this
// layer a processor exception raised on a thread that installed a translator is handed to that
// translator as if the faulting instruction had called it, so the C++ exception the translator
// throws unwinds through the faulting frame (code built with -fnon-call-exceptions runs its
// destructors) and is caught by an ordinary catch clause.
//
// Which exceptions are translated:
// - faults inside the program's own image, at once, before any frame-based handler sees them
//   (the program uses no __try of its own, so such a fault is always a bug);
// - faults raised elsewhere (a system DLL reading a bad pointer) only when no handler of the
//   system wanted them, from the unhandled-exception filter: system code that expects and
//   handles its own faults keeps working.

// Receives the exception code and pointers; is expected to throw. The pointers refer to copies
// owned by the thread, valid until the thread's next exception.
typedef void (*StructuredExceptionTranslator)(unsigned int code, EXCEPTION_POINTERS* exceptionPointers);

// Receives an exception the faulting thread cannot unwind from: a stack overflow, an exception
// the system marks as not continuable, a translated exception no catch clause takes, or a
// translator that returned. It runs on a fresh thread while the faulting thread waits, and gets
// that thread's id. When it returns, the process ends with the exception code as its exit code.
typedef void (*UntranslatableExceptionHandler)(unsigned int code, EXCEPTION_POINTERS* exceptionPointers,
                                               DWORD threadId);

// Installs the translator for the calling thread and returns the previous one; null removes it.
StructuredExceptionTranslator SetStructuredExceptionTranslator(StructuredExceptionTranslator translator);

// Sets the process's handler for untranslatable exceptions and returns the previous one.
UntranslatableExceptionHandler SetUntranslatableExceptionHandler(UntranslatableExceptionHandler handler);

// For a translated exception that turns out not to unwind after all, from the C++ runtime's
// terminate handler: a frame between the fault and the catch clause allows no exception (a
// noexcept function or destructor, or the caller of a C runtime function declared as never
// throwing). Hands the calling thread's last translated exception to the untranslatable-exception
// handler and ends the process; returns at once on a thread without a translator.
void AbandonTranslatedException();
