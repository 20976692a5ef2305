#include "browser/DesktopListView.h"

namespace {

HWND FindViewIn(HWND parent) {
    return parent ? FindWindowExW(parent, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
}

HWND FindDesktopView() {
    if (HWND view = FindViewIn(FindWindowW(L"Progman", L"Program Manager")))
        return view;
    for (HWND worker = FindWindowExW(nullptr, nullptr, L"WorkerW", nullptr); worker;
         worker = FindWindowExW(nullptr, worker, L"WorkerW", nullptr)) {
        if (HWND view = FindViewIn(worker))
            return view;
    }
    return nullptr;
}

} // namespace

HWND FindDesktopListView() {
    HWND view = FindDesktopView();
    if (!view)
        return nullptr;
    HWND listView = FindWindowExW(view, nullptr, L"SysListView32", nullptr);
    if (listView && IsWindowVisible(listView))
        return listView;
    HWND thumbnails = FindWindowExW(view, nullptr, L"ThumbnailVwExtWnd32", nullptr);
    HWND inner = thumbnails ? FindWindowExW(thumbnails, nullptr, L"SysListView32", nullptr) : nullptr;
    return inner ? inner : listView;
}
