#pragma once
#include <windows.h>

#include <functional>

// Dispatches this thread's messages (timers, shell notifications, posted work) until done()
// holds or the time is up; returns done(). Each message is shown to `seen` before it is
// dispatched.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000,
                       const std::function<void(const MSG&)>& seen = nullptr);

// Dispatches the messages already waiting on this thread's queue, and returns when it is empty.
void PumpPendingMessages();
