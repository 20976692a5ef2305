#pragma once
#include <windows.h>

#include "lib/KernelHandle.h"
#include "update/UpdateCheck.h"

#include <functional>
#include <memory>
#include <vector>

struct UpdateCheckJob;

// The Check For Update command without holding the program: the download and comparison run on a
// worker thread, which only fetches and compares; the verdict comes back to the thread that started
// the check, which shows the same boxes as a check made in place. The whole check has one deadline
// (the source's time limit), kept by a timer of the starting thread, so neither a slow name lookup
// nor a server that drips its headers can stretch it.
class CBackgroundUpdateCheck {
public:
    CBackgroundUpdateCheck() = default;
    ~CBackgroundUpdateCheck();
    CBackgroundUpdateCheck(const CBackgroundUpdateCheck&) = delete;
    CBackgroundUpdateCheck& operator=(const CBackgroundUpdateCheck&) = delete;

    // Starts a check, unless one is still running (FALSE then: a second click adds no second box).
    BOOL Start(const UpdateCheckSource& source);
    BOOL IsRunning() const { return m_job != nullptr; }
    // Ends a running check without showing anything: closes the handle its download waits on and
    // waits up to waitMilliseconds for the worker. TRUE when no worker of this object is left
    // running. Windows' WinINet returns from a blocked call at once; Wine's finishes the receive
    // first, so a worker let go then ends by the check's deadline, touching nothing of the program.
    BOOL Cancel(DWORD waitMilliseconds);
    // Called on the starting thread once the verdict's box was closed; not after Cancel.
    void SetFinishedCallback(std::function<void(UpdateVerdict)> finished) { m_finished = std::move(finished); }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL CreateResultWindow();
    void OnWorkerDone(UINT generation);
    void OnDeadline();
    void Finish(const UpdateCheckOutcome& outcome);

    HWND m_window = nullptr;
    std::shared_ptr<UpdateCheckJob> m_job;
    CKernelHandle m_thread;
    // Workers of cancelled or timed-out checks that may still be ending.
    std::vector<CKernelHandle> m_abandoned;
    UINT m_generation = 0;
    std::function<void(UpdateVerdict)> m_finished;
};

// The program's one check: Start with the program's own source, and the end of it at exit.
BOOL StartProgramUpdateCheck();
BOOL EndProgramUpdateCheck(DWORD waitMilliseconds);
