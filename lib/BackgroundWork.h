#pragma once
#include <windows.h>

#include <functional>
#include <memory>

// A few worker threads, each with COM initialised, that run jobs handed over by the thread that
// made the object (its owner thread) and give each job's completion back to that thread. Work runs
// on a worker and must touch nothing but what it captured by value; the completion runs on the
// owner thread, from a message posted to a hidden window (so also inside menu and dialog loops) or
// from RunCompletionsFor.
//
// The threads start with the first job and end after a while without one, so an owner that worked
// once (a menu shown once in a program that runs for months) holds no threads. Destroying the
// object drops the jobs not started and the
// completions not run, and waits for the running jobs: it asks the system to cancel their file I/O,
// and a job that still does not end within a grace time is left to end on its own.
class CBackgroundWork {
public:
    typedef std::function<void()> Work;
    typedef std::function<void()> Completion;

    static const DWORD kDefaultIdleExitMs = 5000;

    explicit CBackgroundWork(UINT threadCount, DWORD idleExitMs = kDefaultIdleExitMs);
    // The pool every user on the calling thread shares, made with the first user's thread count
    // and stopped when the last user lets go of it: many objects that each work now and then
    // (the menus of a program with many items) keep a few threads in all, not a few each. A user
    // whose completions touch itself must drop them once it is gone (the pool outlives it).
    static std::shared_ptr<CBackgroundWork> ShareOnThisThread(UINT threadCount);
    ~CBackgroundWork();
    CBackgroundWork(const CBackgroundWork&) = delete;
    CBackgroundWork& operator=(const CBackgroundWork&) = delete;

    // FALSE when no thread could be started; the completion then never runs.
    BOOL Submit(Work work, Completion completion);
    // Runs the completions of finished jobs as they come, until `isDone` says so or the time is
    // up: a short, bounded wait for answers that usually come at once. Posted and sent messages
    // wait meanwhile. Returns isDone's last answer.
    BOOL RunCompletionsFor(DWORD milliseconds, const std::function<bool()>& isDone);
    // Jobs submitted and not yet completed on the owner thread.
    size_t GetOutstandingCount() const;
    // Worker threads alive now.
    UINT GetRunningThreadCount() const;

private:
    struct Shared;
    static DWORD WINAPI RunWorker(LPVOID parameter);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL CreateCompletionWindow();
    BOOL StartThreads();
    void RunFinishedCompletions();
    void StopThreads();

    // Shared with the threads, which may outlive the object when a job does not end in time.
    std::shared_ptr<Shared> m_shared;
    UINT m_threadCount;
    HWND m_window;
    size_t m_outstanding;
};
