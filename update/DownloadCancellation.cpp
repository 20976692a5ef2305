#include "update/DownloadCancellation.h"

BOOL CDownloadCancellation::Watch(HINTERNET handle) {
    EnterCriticalSection(&m_lock);
    BOOL watching = !m_cancelled;
    if (watching)
        m_watched = handle;
    LeaveCriticalSection(&m_lock);
    return watching;
}

BOOL CDownloadCancellation::Unwatch(HINTERNET handle) {
    EnterCriticalSection(&m_lock);
    BOOL closed = handle != nullptr && m_closed == handle;
    if (m_watched == handle)
        m_watched = nullptr;
    if (closed)
        m_closed = nullptr;
    LeaveCriticalSection(&m_lock);
    return closed;
}

void CDownloadCancellation::Cancel() {
    EnterCriticalSection(&m_lock);
    m_cancelled = true;
    if (m_watched) {
        InternetCloseHandle(m_watched);
        m_closed = m_watched;
        m_watched = nullptr;
    }
    LeaveCriticalSection(&m_lock);
}
