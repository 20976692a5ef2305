#pragma once
#include <windows.h>

class CExceptionHardware;

// Sets up crash handling for the calling thread: processor exceptions become CExceptionHardware
// throws, and those that cannot be thrown (a stack overflow) get the same questions on a helper
// thread before the process ends. Called first thing in the entry point.
void InstallCrashHandling();

// The entry point's handler for CExceptionHardware: offers the user a crash dump and then a
// restart with the same command line. Shows nothing when user32 is unavailable.
void HandleHardwareException(const CExceptionHardware& exception);

// The same questions for a C++ exception that reached the entry point (std::bad_alloc from an
// absurd count, say): it has no fault address, so the dump shows the threads as they stand.
void HandleProgramException();
