#pragma once
#include <windows.h>

// Holds a critical section, or a slim reader/writer lock exclusively, for one scope, so no early
// return or exception leaves it held.
class CScopedLock {
public:
    explicit CScopedLock(CRITICAL_SECTION& section) : m_section(&section) { EnterCriticalSection(m_section); }
    explicit CScopedLock(SRWLOCK& lock) : m_lock(&lock) { AcquireSRWLockExclusive(m_lock); }
    ~CScopedLock() {
        if (m_section)
            LeaveCriticalSection(m_section);
        else
            ReleaseSRWLockExclusive(m_lock);
    }
    CScopedLock(const CScopedLock&) = delete;
    CScopedLock& operator=(const CScopedLock&) = delete;

private:
    CRITICAL_SECTION* m_section = nullptr;
    SRWLOCK* m_lock = nullptr;
};
