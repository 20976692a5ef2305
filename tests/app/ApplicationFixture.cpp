#include "ApplicationFixture.h"

#include "config/SpecialPath.h"
#include "config/IniFile.h"
#include "containers/NotifyIcon.h"
#include "containers/ShellBrowserContainerBase.h"
#include "lib/SystemImageList.h"
#include "support/FileFixtures.h"
#include "support/WindowSearch.h"

#include <algorithm>

namespace {

const std::function<void(HWND)>* g_during = nullptr;
CPathwren* g_application = nullptr;
bool g_evenDuringMessageBoxes = false;
bool g_recording = false;
bool g_openOptions = false;
bool g_watchdogFired = false;
std::vector<UINT> g_postedMessages;

void CALLBACK ActionTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_application->m_hMainWindow || (!g_evenDuringMessageBoxes && FindOwnWindow(L"#32770")))
        return;
    KillTimer(nullptr, timer);
    (*g_during)(g_application->m_hMainWindow);
}

void CALLBACK WatchdogTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_watchdogFired = true;
    EndMenu(); // a menu left open by a failed test would keep the close from being handled
    if (g_application->m_hMainWindow)
        PostMessageW(g_application->m_hMainWindow, WM_CLOSE, 0, 0);
    else
        PostQuitMessage(1);
}

std::vector<std::function<bool()>>* g_steps = nullptr;
size_t g_stepsDone = 0;
UINT_PTR g_stepTimer = 0;

// A step may run a modal loop of its own, in which the step timer ticks again.
bool g_stepRunning = false;

void CALLBACK StepTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_stepRunning)
        return;
    g_stepRunning = true;
    if (g_stepsDone < g_steps->size() && (*g_steps)[g_stepsDone]())
        ++g_stepsDone;
    g_stepRunning = false;
    if (g_stepsDone < g_steps->size())
        return;
    KillTimer(nullptr, timer);
    PostMessageW(g_application->m_hMainWindow, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK RecordPostedMessages(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && g_recording && message->hwnd &&
        message->hwnd == g_application->m_hMainWindow) {
        g_postedMessages.push_back(message->message);
        // Most tests only count the requests; the modal dialog would hold their loop.
        if (!g_openOptions && message->message == WM_SHOW_OPTIONS)
            message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Plays a notification area that takes every icon. Under Wine without a taskbar each real call
// waits about two seconds, and these tests reach the icons through their windows anyway.
BOOL WINAPI AcceptEveryTrayCall(DWORD, PNOTIFYICONDATAW) {
    return TRUE;
}

} // namespace

ApplicationFixture::ApplicationFixture() : m_realShellNotifyIcon(CNotifyIcon::s_shellNotifyIcon) {
    CNotifyIcon::s_shellNotifyIcon = AcceptEveryTrayCall;
    OverrideProgramDirectory((m_programDirectory.Path() + L"\\").c_str());
    application.m_hInstance = GetModuleHandleW(nullptr);
    // CPathwren computed its main file before the override; point it into the test folder.
    swprintf(application.m_mainConfigurationFile, MAX_PATH, L"%ls\\Pathwren.ini", m_programDirectory.Path().c_str());
    // The program loads the shell's icon lists, once a process, half a second after its start;
    // loaded now, they cannot fall between a test's two counts of GDI objects or memory.
    PreloadShellIcons();
}

ApplicationFixture::~ApplicationFixture() {
    OverrideProgramDirectory(nullptr);
    CNotifyIcon::s_shellNotifyIcon = m_realShellNotifyIcon;
}

void ApplicationFixture::Start() {
    application.LoadApplicationOptions();
    application.LoadLanguage();
    application.LoadFolders();
}

BOOL ApplicationFixture::RunWhile(const std::function<void(HWND)>& during, bool evenDuringMessageBoxes) {
    g_evenDuringMessageBoxes = evenDuringMessageBoxes;
    g_during = &during;
    g_application = &application;
    g_postedMessages.clear();
    g_openOptions = openOptions;
    g_watchdogFired = false;
    g_recording = true;
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, RecordPostedMessages, nullptr, GetCurrentThreadId());
    UINT_PTR actionTimer = SetTimer(nullptr, 0, 20, ActionTimer);
    UINT_PTR watchdog = SetTimer(nullptr, 0, watchdogMs, WatchdogTimer);
    BOOL result = application.Run();
    KillTimer(nullptr, actionTimer);
    KillTimer(nullptr, watchdog);
    UnhookWindowsHookEx(hook);
    g_recording = false;
    // Drain a quit message left by a watchdog that fired after the loop already ended.
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}

size_t ApplicationFixture::RunSteps(std::vector<std::function<bool()>> steps, bool evenDuringMessageBoxes) {
    g_steps = &steps;
    g_stepsDone = 0;
    RunWhile([](HWND) { g_stepTimer = SetTimer(nullptr, 0, 20, StepTimer); }, evenDuringMessageBoxes);
    KillTimer(nullptr, g_stepTimer); // still running when the watchdog ended the loop
    return g_stepsDone;
}

int ApplicationFixture::PostedCount(UINT message) const {
    return static_cast<int>(std::count(g_postedMessages.begin(), g_postedMessages.end(), message));
}

bool ApplicationFixture::WatchdogFired() const {
    return g_watchdogFired;
}

void ApplicationFixture::Configure(const std::wstring& foldersFile) {
    WriteUtf16File(File(L"Pathwren.ini"), L"[Pathwren]\r\nSingleUser=1\r\nbRunAtStartup=0\r\n");
    if (!foldersFile.empty())
        WriteUtf16File(File(L"FoldersOptions.ini"), foldersFile);
}

int ApplicationFixture::SavedItemCount() const {
    INT count = 0;
    CIniFile(File(L"FoldersOptions.ini").c_str()).ReadInt(L"Default", L"Folders", 0, &count);
    return count;
}

CShellBrowserContainerBase* ApplicationFixture::Browser(size_t item) const {
    if (item >= application.m_folders.size())
        return nullptr;
    return dynamic_cast<CShellBrowserContainerBase*>(ContainerOf(*application.m_folders[item]));
}
