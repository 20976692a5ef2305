#pragma once
#include <windows.h>

#include "support/DialogScriptDriver.h"

#include <string>
#include <vector>

// Runs a program to its end inside a job while a dialog script answers its dialogs. The job
// counts every process the program starts in turn (a restarted instance, say) and ends them all
// when the run is destroyed, so nothing outlives a test.
class ChildProcessRun {
public:
    ChildProcessRun(const std::wstring& commandLine, const std::wstring& directory,
                    std::vector<DialogScriptDriver::Step> script, DWORD timeoutMs);
    ~ChildProcessRun();
    ChildProcessRun(const ChildProcessRun&) = delete;
    ChildProcessRun& operator=(const ChildProcessRun&) = delete;

    // False when the program could not start or did not end in time (it was then killed).
    bool Ended() const { return m_ended; }
    DWORD ExitCode() const { return m_exitCode; }
    DWORD MainThreadId() const { return m_process.dwThreadId; }
    const std::vector<DialogScriptDriver::Dialog>& Dialogs() const { return m_dialogs; }

    // Every process of the run so far, the program's own included.
    DWORD ProcessesStarted() const;
    // Waits until no process of the run is left.
    bool WaitForAllProcesses(DWORD timeoutMs) const;

private:
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION Accounting() const;

    HANDLE m_job;
    PROCESS_INFORMATION m_process = {};
    bool m_ended = false;
    DWORD m_exitCode = 0;
    std::vector<DialogScriptDriver::Dialog> m_dialogs;
};
