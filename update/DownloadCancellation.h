#pragma once
#include <windows.h>
#include <wininet.h>

#include <atomic>

// Lets another thread end a download that blocks inside WinINet. Closing the handle a blocking
// call waits on is WinINet's one way to make that call return early; the lock makes sure the
// handle is closed either by the canceller or by its owner, never by both.
class CDownloadCancellation {
public:
    CDownloadCancellation() { InitializeCriticalSection(&m_lock); }
    ~CDownloadCancellation() { DeleteCriticalSection(&m_lock); }
    CDownloadCancellation(const CDownloadCancellation&) = delete;
    CDownloadCancellation& operator=(const CDownloadCancellation&) = delete;

    // The handle the download blocks on from now on. FALSE when the download is cancelled already.
    BOOL Watch(HINTERNET handle);
    // The download is done with the handle. TRUE when Cancel closed it: its owner must not again.
    BOOL Unwatch(HINTERNET handle);
    void Cancel();
    // Without the lock: asked right after a blocking call, while Cancel may still be closing.
    BOOL IsCancelled() const { return m_cancelled.load(); }

private:
    CRITICAL_SECTION m_lock;
    HINTERNET m_watched = nullptr;
    HINTERNET m_closed = nullptr;
    std::atomic<bool> m_cancelled{false};
};
