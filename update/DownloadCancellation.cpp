#include "update/DownloadCancellation.h"

#include "lib/ScopedLock.h"

BOOL CDownloadCancellation::Watch(HINTERNET handle) {
    CScopedLock lock(m_lock);
    BOOL watching = !m_cancelled;
    if (watching)
        m_watched = handle;
    return watching;
}

BOOL CDownloadCancellation::Unwatch(HINTERNET handle) {
    CScopedLock lock(m_lock);
    BOOL closed = handle != nullptr && m_closed == handle;
    if (m_watched == handle)
        m_watched = nullptr;
    if (closed)
        m_closed = nullptr;
    return closed;
}

void CDownloadCancellation::Cancel() {
    CScopedLock lock(m_lock);
    m_cancelled = true;
    if (m_watched) {
        InternetCloseHandle(m_watched);
        m_closed = m_watched;
        m_watched = nullptr;
    }
}
