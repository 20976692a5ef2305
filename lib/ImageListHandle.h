#pragma once
#include <windows.h>
#include <commctrl.h>

#include "lib/UniqueHandle.h"

struct ImageListHandleTraits {
    typedef HIMAGELIST Handle;
    static Handle Empty() { return nullptr; }
    static void Release(Handle list) { ImageList_Destroy(list); }
};

// An image list this program created. A control it is set on does not own it: take it off
// the control (or destroy the control) before the owner goes.
typedef CUniqueHandle<ImageListHandleTraits> CImageListHandle;
