#include "app/Pathwren.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "lib/SystemImageList.h"
#include "lib/WindowLink.h"
#include "options/AboutBox.h"
#include "options/HelpAndDonation.h"
#include "options/OptionsUI.h"
#include "update/BackgroundUpdateCheck.h"

const WCHAR kMainWindowClassName[] = L"CPathwrenClassName";

namespace {

// Wakes the main loop for a quit or a configuration change that was requested. Both may arrive
// inside a modal loop (a tracked menu, a message box, a dialog) run by a container, the launch bar
// or a browser window; whatever that loop's handlers use must outlive it, so items, containers
// and the bar are destroyed only once the main loop has control again.
const UINT WM_DEFERRED_WORK = WM_APP + 3;

// Container timers are named by their addresses, never this small.
const UINT_PTR kPreloadShellIconsTimer = 1;
// Once the start's own messages are through; a click before then pays for the icons itself.
const UINT kPreloadShellIconsDelayMs = 500;

// Long enough for a cancelled download to close its connection, short enough not to be noticed.
const DWORD kUpdateCheckExitWait = 2000;

void ShowFatalError(LPCWSTR text) {
    MessageBoxW(nullptr, text, L"Error", MB_ICONERROR | MB_SYSTEMMODAL);
}

// The window a key pressed in `window` belongs to: its outermost ancestor on this thread. Not the
// active window: a browser window hung into the desktop has Explorer's as its active window, and
// a SendMessage to another process waits on it.
HWND KeyOwnerWindow(HWND window) {
    DWORD thread = GetCurrentThreadId();
    if (!window || GetWindowThreadProcessId(window, nullptr) != thread)
        return nullptr;
    HWND desktop = GetDesktopWindow();
    for (HWND parent = GetAncestor(window, GA_PARENT);
         parent && parent != desktop && GetWindowThreadProcessId(parent, nullptr) == thread;
         parent = GetAncestor(parent, GA_PARENT))
        window = parent;
    return window;
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
        // Here no handler is running any more, so none can still use what these destroy. An
        // edited configuration goes first: a quit requested meanwhile must not lose it.
        if (m_pendingConfiguration) {
            std::unique_ptr<EditedConfiguration> edited = std::move(m_pendingConfiguration);
            ReplaceConfiguration(*edited);
        }
        if (m_skinRebuildRequested && !m_quitRequested)
            RebuildForNewSkin();
        if (m_quitRequested)
            Quit();
        BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0)
            break;
        if (result == -1)
            continue;
        if (message.message == WM_HOTKEY) {
            RouteHotKey(message.wParam);
            continue;
        }
        // The wake-up has done its work by arriving here; the work follows at the top of the loop.
        if (message.message == WM_DEFERRED_WORK && message.hwnd && message.hwnd == m_hMainWindow)
            continue;
        // A browser window hands keys to its shell view first; a non-zero answer means consumed.
        HWND keyOwner = message.message == WM_KEYDOWN ? KeyOwnerWindow(message.hwnd) : nullptr;
        if (keyOwner && SendMessageW(keyOwner, WM_TRANSLATE_ACCELERATOR, 0, reinterpret_cast<LPARAM>(&message)) != 0)
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return TRUE;
}

void CPathwren::RouteHotKey(WPARAM itemIndex) {
    if (itemIndex >= m_folders.size())
        return;
    CContainerBase* container = ContainerOf(*m_folders[itemIndex]);
    if (container)
        container->OnHotKey();
}

void CPathwren::Quit() {
    m_quitRequested = FALSE;
    // A check waiting for a slow server ends with the program, without a box.
    EndProgramUpdateCheck(kUpdateCheckExitWait);
    DestroyFolders();
    if (m_hMainWindow)
        DestroyWindow(m_hMainWindow);
    m_hMainWindow = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK CPathwren::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Null once the application object has let go of the window; its messages then do nothing.
    auto* application = LinkWindowObject<CPathwren>(window, message, lParam);
    switch (message) {
        case WM_CREATE:
            return application ? application->OnCreate(window) : -1;
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
        case WM_DEFERRED_WORK:
            // A nested modal loop dispatched the wake-up. For a quit a menu ends at once; a
            // message box or dialog is left to the user, and the work follows when its loop is
            // over. Posting again here would keep the thread busy for as long as the box is open.
            if (application && application->m_quitRequested)
                EndMenu();
            return 0;
        case WM_TIMER:
            if (wParam != kPreloadShellIconsTimer)
                return DefWindowProcW(window, message, wParam, lParam);
            KillTimer(window, kPreloadShellIconsTimer);
            PreloadShellIcons();
            return 0;
        case WM_COPYDATA:
            return application ? application->OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) : 0;
        case WM_SETTINGCHANGE:
            if (application)
                application->OnSettingChange(wParam, reinterpret_cast<LPCWSTR>(lParam));
            return 0;
        case WM_SYSCOLORCHANGE:
            if (application)
                application->ApplyColorScheme(TRUE);
            return 0;
        case WM_RUN_START_COMMANDS:
            if (application)
                application->CarryOutStartCommands();
            return 0;
        case WM_NCDESTROY:
            UnlinkWindowObject(window);
            return DefWindowProcW(window, message, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CPathwren::OnCreate(HWND window) {
    m_hMainWindow = window;
    ApplyColorScheme(FALSE);
    BOOL anyContainer = CreateContainers();
    if (m_restoredFromBackup) {
        m_restoredFromBackup = FALSE;
        MessageBoxW(nullptr, L"The folder configuration was damaged; the previous one was restored.", L"Pathwren",
                    MB_ICONINFORMATION);
    }
    // A close or logoff during the start-up's message boxes: a program that is ending opens no options.
    if (!m_quitRequested && (m_showOptionsAtStart || !anyContainer))
        PostMessageW(window, WM_SHOW_OPTIONS, 0, 0);
    if (!m_startCommands.empty())
        PostMessageW(window, WM_RUN_START_COMMANDS, 0, 0);
    SetTimer(window, kPreloadShellIconsTimer, kPreloadShellIconsDelayMs, nullptr);
    return 0;
}

void CPathwren::OnShowOptions() {
    // A request while the dialog is open only brings it forward.
    if (m_hOptionsDialog) {
        ShowWindow(m_hOptionsDialog, SW_SHOW);
        BringWindowToTop(m_hOptionsDialog);
        SetForegroundWindow(m_hOptionsDialog);
        return;
    }
    // A program that is ending, or a change not yet taken, opens no dialog on stale settings.
    if (m_quitRequested || m_pendingConfiguration || !m_pOptions)
        return;
    // Window positions and similar live state go into the items before the dialog copies them.
    for (CGenericPathwrenObject* item : m_folders) {
        if (CContainerBase* container = ContainerOf(*item)) {
            container->SaveState();
            container->Hide();
        }
    }
    OptionsDialogSource source = {m_hInstance, m_hMainWindow, m_pOptions, m_pLanguage, &m_folders, m_hDefaultIcon};
    std::unique_ptr<EditedConfiguration> edited(new EditedConfiguration());
    if (ShowOptionsDialog(source, edited.get(), &m_hOptionsDialog) != OPTIONS_RESULT_OK)
        return;
    m_pendingConfiguration = std::move(edited);
    WakeMainLoop();
}

void CPathwren::RunApplicationCommand(ApplicationCommand command) {
    switch (command) {
        case ApplicationCommandOptions:
            PostMessageW(m_hMainWindow, WM_SHOW_OPTIONS, 0, 0);
            break;
        case ApplicationCommandExit:
            PostMessageW(m_hMainWindow, WM_CLOSE, 0, 0);
            break;
        case ApplicationCommandHelp:
            OpenHelpFile(m_pLanguage);
            break;
        case ApplicationCommandAbout: {
            wchar_t aboutText[kAboutTextLength];
            BuildAboutText(m_pLanguage, aboutText, kAboutTextLength);
            ShowAboutBox(m_hInstance, aboutText);
            break;
        }
        case ApplicationCommandDonate:
            OpenDonationPage(m_pLanguage);
            break;
        case ApplicationCommandCheckForUpdate:
            // The check runs beside the user interface; its verdict comes in message boxes later.
            StartProgramUpdateCheck();
            break;
    }
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
    m_quitRequested = TRUE;
    EndMenu();
    // The options dialog runs its own loop until it ends; a quit ends it as Cancel would.
    if (m_hOptionsDialog)
        PostMessageW(m_hOptionsDialog, WM_COMMAND, IDCANCEL, 0);
    WakeMainLoop();
}

void CPathwren::WakeMainLoop() {
    // A message sent to the thread is handled inside GetMessageW, which would go on waiting.
    PostMessageW(m_hMainWindow, WM_DEFERRED_WORK, 0, 0);
}
