#pragma once
#include "lib/KernelHandle.h"

#include <windows.h>

#include <string>

// A process started suspended inside a job of its own, so that nothing it starts in turn outlives
// the test: the job, and everything in it, ends with this object. With an output file the
// child's standard output and error go there.
class ChildProcess {
public:
    explicit ChildProcess(const std::wstring& commandLine, const std::wstring& directory = L"",
                          const std::wstring& outputFile = L"");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }
    DWORD Id() const { return m_process.dwProcessId; }
    DWORD MainThreadId() const { return m_process.dwThreadId; }
    void Resume() { ResumeThread(m_process.hThread); }
    // True when the process ended in time; otherwise ends the whole job and returns false.
    bool Wait(DWORD timeoutMs);
    // Whether it has ended, without waiting or ending anything.
    bool Ended() const;
    DWORD ExitCode() const;
    // How many processes the job has seen and how many still run.
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION Accounting() const;

private:
    CKernelHandle m_job;
    PROCESS_INFORMATION m_process = {};
};
