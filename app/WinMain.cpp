#include "app/Pathwren.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CPathwren application;
    InitCommonControls();
    OleInitialize(nullptr);
    application.m_hInstance = instance;
    if (application.LoadApplicationOptions()) {
        application.LoadLanguage();
        if (application.LoadFolders()) {
            application.Run();
            OleUninitialize();
        }
    }
    return 0;
}
