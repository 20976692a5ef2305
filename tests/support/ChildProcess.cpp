#include "support/ChildProcess.h"

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::wstring& directory,
                           const std::wstring& outputFile)
    : m_job(CreateJobObjectW(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    CFileHandle output;
    if (!outputFile.empty()) {
        // A file rather than a pipe: a pipe would need reading while the child runs.
        SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
        output.Reset(
            CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr));
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output.Get();
    }
    std::wstring writable = commandLine;
    // Suspended, so that it is in the job before it can start anything itself.
    if (CreateProcessW(nullptr, &writable[0], nullptr, nullptr, static_cast<bool>(output), CREATE_SUSPENDED, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &m_process))
        AssignProcessToJobObject(m_job.Get(), m_process.hProcess);
    else
        m_process = {};
}

ChildProcess::~ChildProcess() {
    if (Started()) {
        TerminateJobObject(m_job.Get(), 1);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
}

bool ChildProcess::Wait(DWORD timeoutMs) {
    if (!Started())
        return false;
    if (WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        return true;
    TerminateJobObject(m_job.Get(), 0xDEAD);
    WaitForSingleObject(m_process.hProcess, 5000);
    return false;
}

bool ChildProcess::Ended() const {
    return Started() && WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = 0xFFFFFFFF;
    if (Started())
        GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

JOBOBJECT_BASIC_ACCOUNTING_INFORMATION ChildProcess::Accounting() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    QueryInformationJobObject(m_job.Get(), JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                              nullptr);
    return accounting;
}
