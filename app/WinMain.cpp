#include "app/CrashHandler.h"
#include "app/ExceptionHardware.h"
#include "app/Pathwren.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

namespace {

void RunApplication(HINSTANCE instance) {
    CPathwren application;
    InitCommonControls();
    OleInitialize(nullptr);
    application.m_hInstance = instance;
    if (!application.LoadApplicationOptions())
        return;
    application.LoadLanguage();
    if (application.LoadFolders()) {
        application.Run();
        OleUninitialize();
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // First of all, so that a processor fault anywhere below becomes a CExceptionHardware that
    // unwinds (destroying the application object) to the crash questions.
    InstallCrashHandling();
    try {
        RunApplication(instance);
    } catch (const CExceptionHardware& exception) {
        HandleHardwareException(exception);
    }
    return 0;
}
