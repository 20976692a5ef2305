#include "support/ChildProcessRun.h"

ChildProcessRun::ChildProcessRun(const std::wstring& commandLine, const std::wstring& directory,
                                 std::vector<DialogScriptDriver::Step> script, DWORD timeoutMs)
    : m_job(CreateJobObjectW(nullptr, nullptr)) {
    if (!m_job)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::vector<wchar_t> writableCommandLine(commandLine.begin(), commandLine.end());
    writableCommandLine.push_back(L'\0');
    // Started suspended so that it is in the job before it can start anything itself.
    if (!CreateProcessW(nullptr, writableCommandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        directory.c_str(), &startup, &m_process)) {
        m_process = PROCESS_INFORMATION();
        return;
    }
    AssignProcessToJobObject(m_job, m_process.hProcess);
    DialogScriptDriver driver(std::move(script), m_process.dwProcessId);
    ResumeThread(m_process.hThread);
    m_ended = WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!m_ended)
        TerminateJobObject(m_job, 1);
    GetExitCodeProcess(m_process.hProcess, &m_exitCode);
    m_dialogs = driver.Finish();
}

ChildProcessRun::~ChildProcessRun() {
    if (m_process.hProcess) {
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    if (m_job)
        CloseHandle(m_job);
}

JOBOBJECT_BASIC_ACCOUNTING_INFORMATION ChildProcessRun::Accounting() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    QueryInformationJobObject(m_job, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting), nullptr);
    return accounting;
}

DWORD ChildProcessRun::ProcessesStarted() const {
    return Accounting().TotalProcesses;
}

bool ChildProcessRun::WaitForAllProcesses(DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    while (Accounting().ActiveProcesses != 0) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}
