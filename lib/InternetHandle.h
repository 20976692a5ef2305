#pragma once
#include <windows.h>
#include <wininet.h>

#include "lib/UniqueHandle.h"

// Session, connection and request handles of WinINet all close the same way.
struct InternetHandleTraits {
    typedef HINTERNET Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle handle) { InternetCloseHandle(handle); }
};

typedef CUniqueHandle<InternetHandleTraits> CInternetHandle;
