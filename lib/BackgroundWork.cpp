#include "lib/BackgroundWork.h"

#include "lib/KernelHandle.h"
#include "lib/MessageWindow.h"
#include "lib/ScopedLock.h"
#include "lib/WindowLink.h"

#include <objbase.h>

#include <deque>
#include <utility>
#include <vector>

namespace {

const wchar_t kWindowClass[] = L"CBackgroundWork_Completions";
const UINT kJobsFinishedMessage = WM_APP + 1;
// How long the owner waits at destruction for jobs that even cancelled I/O does not end (a
// network folder that stopped answering) before leaving them to end on their own.
const DWORD kStopGraceMs = 2000;
// A worker lists folders and reads icons and shortcuts: a small stack serves it, so the pool does
// not take the program's default for each of its threads.
const SIZE_T kWorkerStackReserve = 256 * 1024;

} // namespace

struct CBackgroundWork::Shared {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    std::deque<std::pair<Work, Completion>> jobs;
    std::vector<Completion> finished;
    bool stopping = false;
    UINT running = 0; // workers alive and not yet on their way out
    DWORD idleExitMs = INFINITE;
    HWND window = nullptr;
    // Set whenever a job finishes, for the owner's bounded waits.
    CKernelHandle finishedEvent{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::vector<CKernelHandle> threads;
};

CBackgroundWork::CBackgroundWork(UINT threadCount, DWORD idleExitMs)
    : m_shared(std::make_shared<Shared>()), m_threadCount(threadCount ? threadCount : 1), m_window(nullptr),
      m_outstanding(0) {
    m_shared->idleExitMs = idleExitMs;
}

std::shared_ptr<CBackgroundWork> CBackgroundWork::ShareOnThisThread(UINT threadCount) {
    // Completions come back through a window of the thread that made the pool, so each thread
    // has a pool of its own.
    static thread_local std::weak_ptr<CBackgroundWork> shared;
    std::shared_ptr<CBackgroundWork> pool = shared.lock();
    if (!pool) {
        pool = std::make_shared<CBackgroundWork>(threadCount);
        shared = pool;
    }
    return pool;
}

CBackgroundWork::~CBackgroundWork() {
    StopThreads();
    if (m_window)
        DestroyWindow(m_window);
}

BOOL CBackgroundWork::CreateCompletionWindow() {
    if (m_window)
        return TRUE;
    if (!m_shared->finishedEvent)
        return FALSE;
    m_window = CreateMessageWindow(kWindowClass, WindowProc, this);
    if (!m_window)
        return FALSE;
    m_shared->window = m_window;
    return TRUE;
}

BOOL CBackgroundWork::StartThreads() {
    // The handles of workers that ended idle go; the others still run or are on their way out.
    std::vector<CKernelHandle>& threads = m_shared->threads;
    for (auto thread = threads.begin(); thread != threads.end();)
        thread = WaitForSingleObject(thread->Get(), 0) == WAIT_OBJECT_0 ? threads.erase(thread) : std::next(thread);
    UINT started = 0;
    for (UINT index = 0; index < m_threadCount; ++index) {
        {
            CScopedLock lock(m_shared->lock);
            ++m_shared->running;
        }
        auto* held = new std::shared_ptr<Shared>(m_shared);
        CKernelHandle thread(
            CreateThread(nullptr, kWorkerStackReserve, RunWorker, held, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
        if (!thread) {
            delete held;
            CScopedLock lock(m_shared->lock);
            --m_shared->running;
            break;
        }
        threads.push_back(std::move(thread));
        ++started;
    }
    return started > 0;
}

DWORD WINAPI CBackgroundWork::RunWorker(LPVOID parameter) {
    std::unique_ptr<std::shared_ptr<Shared>> held(static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& shared = **held;
    // The shell's file and icon calls want an apartment; an STA needs no message pump as long as
    // nothing is marshalled into it, and nothing is.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    for (;;) {
        std::pair<Work, Completion> job;
        {
            CScopedLock lock(shared.lock);
            bool idleTooLong = false;
            while (shared.jobs.empty() && !shared.stopping && !idleTooLong)
                idleTooLong = !SleepConditionVariableSRW(&shared.wake, &shared.lock, shared.idleExitMs, 0) &&
                              GetLastError() == ERROR_TIMEOUT && shared.jobs.empty();
            if (shared.stopping)
                break;
            // Decided under the lock: a job submitted after this starts workers of its own.
            if (idleTooLong) {
                --shared.running;
                break;
            }
            job = std::move(shared.jobs.front());
            shared.jobs.pop_front();
        }
        // No exception may end the thread with the job's completion lost: the owner waits for it.
        try {
            job.first();
        } catch (...) {
        }
        bool firstFinished = false;
        {
            CScopedLock lock(shared.lock);
            if (shared.stopping)
                break;
            firstFinished = shared.finished.empty();
            shared.finished.push_back(std::move(job.second));
        }
        SetEvent(shared.finishedEvent.Get());
        // One message stands for every completion that comes before the owner gets to it.
        if (firstFinished)
            PostMessageW(shared.window, kJobsFinishedMessage, 0, 0);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}

LRESULT CALLBACK CBackgroundWork::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* work = LinkWindowObject<CBackgroundWork>(window, message, lParam);
    if (work && message == kJobsFinishedMessage) {
        work->RunFinishedCompletions();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

BOOL CBackgroundWork::Submit(Work work, Completion completion) {
    if (!CreateCompletionWindow())
        return FALSE;
    UINT running = 0;
    {
        CScopedLock lock(m_shared->lock);
        m_shared->jobs.emplace_back(std::move(work), std::move(completion));
        running = m_shared->running;
    }
    if (running == 0 && !StartThreads()) {
        CScopedLock lock(m_shared->lock);
        m_shared->jobs.pop_back();
        return FALSE;
    }
    ++m_outstanding;
    WakeConditionVariable(&m_shared->wake);
    return TRUE;
}

void CBackgroundWork::RunFinishedCompletions() {
    std::vector<Completion> finished;
    {
        CScopedLock lock(m_shared->lock);
        finished.swap(m_shared->finished);
    }
    for (Completion& completion : finished) {
        --m_outstanding;
        if (completion)
            completion();
    }
}

BOOL CBackgroundWork::RunCompletionsFor(DWORD milliseconds, const std::function<bool()>& isDone) {
    ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        RunFinishedCompletions();
        if (isDone())
            return TRUE;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline || m_outstanding == 0)
            return FALSE;
        WaitForSingleObject(m_shared->finishedEvent.Get(), static_cast<DWORD>(deadline - now));
    }
}

size_t CBackgroundWork::GetOutstandingCount() const {
    return m_outstanding;
}

UINT CBackgroundWork::GetRunningThreadCount() const {
    CScopedLock lock(m_shared->lock);
    return m_shared->running;
}

void CBackgroundWork::StopThreads() {
    std::deque<std::pair<Work, Completion>> dropped;
    std::vector<Completion> undelivered;
    {
        CScopedLock lock(m_shared->lock);
        m_shared->stopping = true;
        dropped.swap(m_shared->jobs);
        undelivered.swap(m_shared->finished);
    }
    WakeAllConditionVariable(&m_shared->wake);
    std::vector<HANDLE> handles;
    for (CKernelHandle& thread : m_shared->threads) {
        // A job blocked in a file system call (a folder on a server that went away) returns early.
        CancelSynchronousIo(thread.Get());
        handles.push_back(thread.Get());
    }
    if (!handles.empty())
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, kStopGraceMs);
    m_shared->threads.clear();
    m_outstanding = 0;
}
