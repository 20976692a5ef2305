#include "support/MessagePump.h"

#include <algorithm>

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs,
                       const std::function<void(const MSG&)>& seen) {
    for (DWORD start = GetTickCount(); !done();) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        // Sleeps until a message arrives rather than polling, but wakes in time to check again.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, (std::min<DWORD>)(timeoutMs - elapsed, 50), QS_ALLINPUT);
        MSG message;
        while (!done() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (seen)
                seen(message);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}
