#include "app/Pathwren.h"

#include "config/GenericPathwrenObject.h"
#include "containers/ContainerBase.h"

const WCHAR kMainWindowClassName[] = L"CPathwrenClassName";

namespace {

// Posted to the main window to quit from the message loop itself. A close or the end of the
// logon may arrive inside a modal loop (a tracked menu, a message box) run by a container; its
// items must outlive that loop, so the items are destroyed only back in the main loop.
const UINT WM_DEFERRED_QUIT = WM_APP + 3;

void ShowFatalError(LPCWSTR text) {
    MessageBoxW(nullptr, text, L"Error", MB_ICONERROR | MB_SYSTEMMODAL);
}

} // namespace

BOOL CPathwren::Run() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(m_hInstance, kMainWindowClassName, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = m_hInstance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kMainWindowClassName;
        if (!RegisterClassExW(&windowClass)) {
            ShowFatalError(L"Window Registration Failed");
            return FALSE;
        }
    }
    // The window is never shown: it owns the hotkeys and receives the containers' commands.
    if (!CreateWindowExW(0, kMainWindowClassName, L"", WS_DLGFRAME, 0, 0, 0, 0, nullptr, nullptr, m_hInstance, this)) {
        ShowFatalError(L"Window Creation Failed");
        return FALSE;
    }

    MSG message;
    for (;;) {
        BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0)
            break;
        if (result == -1)
            continue;
        if (message.message == WM_HOTKEY) {
            RouteHotKey(message.wParam);
            continue;
        }
        if (message.message == WM_DEFERRED_QUIT && message.hwnd == m_hMainWindow) {
            Quit();
            continue;
        }
        // A browser window hands keys to its shell view first; a non-zero answer means consumed.
        if (message.message == WM_KEYDOWN &&
            SendMessageW(GetActiveWindow(), WM_TRANSLATE_ACCELERATOR, 0, reinterpret_cast<LPARAM>(&message)) != 0)
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return TRUE;
}

void CPathwren::RouteHotKey(WPARAM itemIndex) {
    if (itemIndex >= m_folders.size())
        return;
    CContainerBase* container = m_folders[itemIndex]->m_pContainer;
    if (container)
        container->OnHotKey();
}

void CPathwren::Quit() {
    DestroyFolders();
    if (m_hMainWindow)
        DestroyWindow(m_hMainWindow);
    m_hMainWindow = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK CPathwren::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* application = reinterpret_cast<CPathwren*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_CREATE:
            return application->OnCreate(window);
        case WM_SHOW_OPTIONS:
            if (application)
                application->OnShowOptions();
            return 0;
        case WM_QUERYENDSESSION:
            if (application)
                application->OnEndSession();
            return TRUE;
        case WM_ENDSESSION:
            if (application)
                application->OnEndSession();
            return 0;
        case WM_CLOSE:
            if (application)
                application->OnClose();
            return 0;
        case WM_DEFERRED_QUIT:
            // Only a nested modal loop dispatches this message: end its menu and try again.
            EndMenu();
            PostMessageW(window, WM_DEFERRED_QUIT, 0, 0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CPathwren::OnCreate(HWND window) {
    m_hMainWindow = window;
    m_creatingContainers = TRUE;
    BOOL anyContainer = CreateContainers();
    if (m_restoredFromBackup) {
        m_restoredFromBackup = FALSE;
        MessageBoxW(nullptr, L"The folder configuration was damaged; the previous one was restored.", L"Pathwren",
                    MB_ICONINFORMATION);
    }
    m_creatingContainers = FALSE;
    if (m_quitRequested)
        PostMessageW(window, WM_DEFERRED_QUIT, 0, 0);
    else if (m_showOptionsAtStart || !anyContainer)
        PostMessageW(window, WM_SHOW_OPTIONS, 0, 0);
    return 0;
}

void CPathwren::OnShowOptions() {
    // The options dialog is the next piece of the program to arrive; until then this message
    // has no visible effect.
}

void CPathwren::OnEndSession() {
    if (m_ending)
        return;
    HWND window = m_hMainWindow;
    if (m_shutdownBlockReasonCreate)
        m_shutdownBlockReasonCreate(window, L"Saving Configuration");
    m_ending = TRUE;
    StoreContainersState();
    SaveFolders();
    if (m_shutdownBlockReasonDestroy)
        m_shutdownBlockReasonDestroy(window);
    RequestQuit();
}

void CPathwren::OnClose() {
    if (m_ending)
        return;
    StoreContainersState();
    SaveFolders();
    RequestQuit();
}

void CPathwren::RequestQuit() {
    if (m_creatingContainers) {
        m_quitRequested = TRUE;
        return;
    }
    EndMenu();
    PostMessageW(m_hMainWindow, WM_DEFERRED_QUIT, 0, 0);
}
