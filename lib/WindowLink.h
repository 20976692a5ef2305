#pragma once
#include <windows.h>

// A window's link to the C++ object behind it. The object is passed as CreateWindowExW's last
// argument and stored at WM_NCCREATE, the first message a window gets, so every later message,
// WM_CREATE included, finds it. The link lives in the window's user data or, for windows whose
// user data is not ours to take, in a named property.
template <typename Object> Object* LinkedWindowObject(HWND window, LPCWSTR propertyName = nullptr) {
    if (propertyName)
        return static_cast<Object*>(GetPropW(window, propertyName));
    return reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Call LinkWindowObject first thing in the window procedure; it returns the linked object or
// null (before WM_NCCREATE, or after UnlinkWindowObject).
template <typename Object>
Object* LinkWindowObject(HWND window, UINT message, LPARAM lParam, LPCWSTR propertyName = nullptr) {
    if (message == WM_NCCREATE) {
        void* object = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        if (propertyName)
            SetPropW(window, propertyName, object);
        else
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    return LinkedWindowObject<Object>(window, propertyName);
}

// Cuts the link: later messages, even those still queued, find no object. Owners call it before
// they die, and window procedures at WM_NCDESTROY (a property must be removed by then).
inline void UnlinkWindowObject(HWND window, LPCWSTR propertyName = nullptr) {
    if (propertyName)
        RemovePropW(window, propertyName);
    else
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}
