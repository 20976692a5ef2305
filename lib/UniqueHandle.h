#pragma once
#include <windows.h>

#include <utility>

// The one owner of a Win32 handle: closes it when the owner dies, moves but never copies, so a
// handle can never be released twice or by a caller that only borrowed it. Traits name the
// handle type, its empty value and how it is released.
template <typename Traits> class CUniqueHandle {
public:
    typedef typename Traits::Handle Handle;

    CUniqueHandle() : m_handle(Traits::Empty()) {}
    explicit CUniqueHandle(Handle handle) : m_handle(handle) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) : m_handle(other.Detach()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Empty(); }

    // Gives the handle away: the caller releases it now.
    Handle Detach() {
        Handle handle = m_handle;
        m_handle = Traits::Empty();
        return handle;
    }

    void Reset(Handle handle = Traits::Empty()) {
        if (m_handle != Traits::Empty() && m_handle != handle)
            Traits::Release(m_handle);
        m_handle = handle;
    }

    // For functions that return a handle through an out-parameter: releases what is held first.
    Handle* Receive() {
        Reset();
        return &m_handle;
    }

private:
    Handle m_handle;
};
