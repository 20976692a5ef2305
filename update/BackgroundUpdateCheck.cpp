#include "update/BackgroundUpdateCheck.h"

#include "update/DownloadCancellation.h"
#include "lib/MessageWindow.h"
#include "lib/WindowLink.h"

#include <wininet.h>

#include <algorithm>

struct UpdateCheckJob {
    UpdateCheckSource source;
    UpdateCheckOutcome outcome;
    CDownloadCancellation cancellation;
    HWND resultWindow = nullptr;
    UINT generation = 0;
};

namespace {

const wchar_t kWindowClass[] = L"PathwrenUpdateCheck";
const UINT kWorkerDoneMessage = WM_APP + 1;
const UINT_PTR kDeadlineTimer = 1;
// The worker keeps the deadline itself whenever WinINet lets it; the timer is for the waits WinINet
// does not bound (a name lookup, a chain of redirects), so it leaves the worker its chance first.
const DWORD kDeadlineGrace = 500;

DWORD WINAPI RunJob(LPVOID parameter) {
    // The worker holds the job too: a check given up at its deadline may end after its starter moved on.
    std::unique_ptr<std::shared_ptr<UpdateCheckJob>> held(static_cast<std::shared_ptr<UpdateCheckJob>*>(parameter));
    UpdateCheckJob& job = **held;
    EvaluateUpdateCheck(job.source, &job.outcome, &job.cancellation);
    if (!job.cancellation.IsCancelled())
        PostMessageW(job.resultWindow, kWorkerDoneMessage, job.generation, 0);
    return 0;
}

} // namespace

CBackgroundUpdateCheck::~CBackgroundUpdateCheck() {
    Cancel(0);
    if (m_window)
        DestroyWindow(m_window);
}

BOOL CBackgroundUpdateCheck::CreateResultWindow() {
    if (m_window)
        return TRUE;
    m_window = CreateMessageWindow(kWindowClass, WindowProcedure, this);
    return m_window != nullptr;
}

BOOL CBackgroundUpdateCheck::Start(const UpdateCheckSource& source) {
    if (m_job || !CreateResultWindow())
        return FALSE;
    auto job = std::make_shared<UpdateCheckJob>();
    job->source = source;
    job->resultWindow = m_window;
    job->generation = ++m_generation;
    auto* held = new std::shared_ptr<UpdateCheckJob>(job);
    CKernelHandle thread(CreateThread(nullptr, 0, RunJob, held, 0, nullptr));
    if (!thread) {
        delete held;
        return FALSE;
    }
    m_job = job;
    m_thread = std::move(thread);
    SetTimer(m_window, kDeadlineTimer,
             (std::min)(source.timeLimit, USER_TIMER_MAXIMUM - kDeadlineGrace) + kDeadlineGrace, nullptr);
    return TRUE;
}

BOOL CBackgroundUpdateCheck::Cancel(DWORD waitMilliseconds) {
    if (m_window)
        KillTimer(m_window, kDeadlineTimer);
    if (m_job) {
        m_job->cancellation.Cancel();
        m_job.reset();
        m_abandoned.push_back(std::move(m_thread));
        // A result already posted belongs to the cancelled check.
        ++m_generation;
    }
    ULONGLONG deadline = GetTickCount64() + waitMilliseconds;
    while (!m_abandoned.empty()) {
        ULONGLONG now = GetTickCount64();
        DWORD wait = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (WaitForSingleObject(m_abandoned.back().Get(), wait) != WAIT_OBJECT_0)
            return FALSE;
        m_abandoned.pop_back();
    }
    return TRUE;
}

void CBackgroundUpdateCheck::OnWorkerDone(UINT generation) {
    if (!m_job || generation != m_generation)
        return;
    KillTimer(m_window, kDeadlineTimer);
    // The post is the worker's last act; its end follows at once.
    WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
    UpdateCheckOutcome outcome = std::move(m_job->outcome);
    m_job.reset();
    Finish(outcome);
}

void CBackgroundUpdateCheck::OnDeadline() {
    KillTimer(m_window, kDeadlineTimer);
    if (!m_job)
        return;
    UpdateCheckOutcome outcome;
    outcome.downloader = HttpDownloader(m_job->source.sizeLimit, m_job->source.timeLimit);
    SetDownloadFailure(&outcome, ERROR_INTERNET_TIMEOUT);
    // The worker may sit in a call that only its own time-out ends; it is let go, not waited for.
    Cancel(0);
    Finish(outcome);
}

void CBackgroundUpdateCheck::Finish(const UpdateCheckOutcome& outcome) {
    // Worker threads of checks given up earlier that have ended since.
    m_abandoned.erase(std::remove_if(m_abandoned.begin(), m_abandoned.end(),
                                     [](const CKernelHandle& thread) {
                                         return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
                                     }),
                      m_abandoned.end());
    ShowUpdateCheckOutcome(outcome);
    if (m_finished)
        m_finished(outcome.verdict);
}

LRESULT CALLBACK CBackgroundUpdateCheck::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* check = LinkWindowObject<CBackgroundUpdateCheck>(window, message, lParam);
    if (check && message == kWorkerDoneMessage) {
        check->OnWorkerDone(static_cast<UINT>(wParam));
        return 0;
    }
    if (check && message == WM_TIMER && wParam == kDeadlineTimer) {
        check->OnDeadline();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

namespace {

// One check for the whole program, like the one command that starts it; it lives until the
// program ends it at exit.
CBackgroundUpdateCheck& ProgramUpdateCheck() {
    static CBackgroundUpdateCheck check;
    return check;
}

} // namespace

BOOL StartProgramUpdateCheck() {
    return ProgramUpdateCheck().Start(ProgramUpdateCheckSource());
}

BOOL EndProgramUpdateCheck(DWORD waitMilliseconds) {
    return ProgramUpdateCheck().Cancel(waitMilliseconds);
}
