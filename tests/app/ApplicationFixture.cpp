#include "ApplicationFixture.h"

#include "config/SpecialPath.h"

namespace {

std::function<void(HWND)>* g_during = nullptr;
CPathwren* g_application = nullptr;
std::vector<UINT>* g_posted = nullptr;
bool g_evenDuringMessageBoxes = false;

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    WCHAR className[16] = L"";
    GetClassNameW(window, className, 16);
    if (process == GetCurrentProcessId() && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

bool MessageBoxOpen() {
    bool found = false;
    EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK ActionTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_application->m_hMainWindow || (!g_evenDuringMessageBoxes && MessageBoxOpen()))
        return;
    KillTimer(nullptr, timer);
    (*g_during)(g_application->m_hMainWindow);
}

void CALLBACK WatchdogTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu(); // a menu left open by a failed test would keep the close from being handled
    if (g_application->m_hMainWindow)
        PostMessageW(g_application->m_hMainWindow, WM_CLOSE, 0, 0);
    else
        PostQuitMessage(1);
}

LRESULT CALLBACK RecordPostedMessages(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && g_posted && message->hwnd &&
        message->hwnd == g_application->m_hMainWindow)
        g_posted->push_back(message->message);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<UINT> g_postedMessages;

} // namespace

ApplicationFixture::ApplicationFixture() {
    OverrideProgramDirectory((m_programDirectory.Path() + L"\\").c_str());
    application.m_hInstance = GetModuleHandleW(nullptr);
    // CPathwren computed its main file before the override; point it into the test folder.
    swprintf(application.m_mainConfigurationFile, MAX_PATH, L"%ls\\Pathwren.ini", m_programDirectory.Path().c_str());
}

ApplicationFixture::~ApplicationFixture() {
    OverrideProgramDirectory(nullptr);
}

void ApplicationFixture::Start() {
    application.LoadApplicationOptions();
    application.LoadLanguage();
    application.LoadFolders();
}

BOOL ApplicationFixture::RunWhile(const std::function<void(HWND)>& during, bool evenDuringMessageBoxes) {
    g_evenDuringMessageBoxes = evenDuringMessageBoxes;
    std::function<void(HWND)> action = during;
    g_during = &action;
    g_application = &application;
    g_postedMessages.clear();
    g_posted = &g_postedMessages;
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, RecordPostedMessages, nullptr, GetCurrentThreadId());
    UINT_PTR actionTimer = SetTimer(nullptr, 0, 20, ActionTimer);
    UINT_PTR watchdog = SetTimer(nullptr, 0, 30000, WatchdogTimer);
    BOOL result = application.Run();
    KillTimer(nullptr, actionTimer);
    KillTimer(nullptr, watchdog);
    UnhookWindowsHookEx(hook);
    g_posted = nullptr;
    // Drain a quit message left by a watchdog that fired after the loop already ended.
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}

int ApplicationFixture::PostedCount(UINT message) const {
    int count = 0;
    for (UINT posted : g_postedMessages)
        count += posted == message;
    return count;
}
