#include "app/CrashHandler.h"
#include "app/ExceptionHardware.h"
#include "app/Pathwren.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <exception>

namespace {

int RunApplication(HINSTANCE instance) {
    CPathwren application;
    StartCommand command;
    std::wstring notUnderstood;
    if (!ParseOwnStartCommand(&command, &notUnderstood)) {
        ShowCommandNotUnderstood(application.m_mainConfigurationFile, notUnderstood.c_str());
        return kStartCommandFailedExitCode;
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    if (command.kind != StartCommandKind::None) {
        // A command for the instance that runs: this process ends here without any window.
        switch (HandOverToRunningInstance(command, application.m_mainConfigurationFile, cursor)) {
            case HandOverResult::CarriedOut:
                return 0;
            case HandOverResult::UnknownItem:
                ShowUnknownItem(application.m_mainConfigurationFile, command.item.c_str());
                return kStartCommandFailedExitCode;
            case HandOverResult::NoInstance:
                if (command.kind == StartCommandKind::Exit)
                    return 0;
                break;
        }
    }
    InitCommonControls();
    OleInitialize(nullptr);
    application.m_hInstance = instance;
    if (!application.LoadApplicationOptions())
        return 0;
    application.LoadLanguage();
    if (application.LoadFolders()) {
        if (command.kind == StartCommandKind::Show && !application.HasCommandItem(command.item)) {
            ShowUnknownItem(application.m_mainConfigurationFile, command.item.c_str());
            OleUninitialize();
            return kStartCommandFailedExitCode;
        }
        if (command.kind != StartCommandKind::None)
            application.QueueStartCommand(command, cursor);
        application.Run();
        OleUninitialize();
    }
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // First of all, so that a processor fault anywhere below becomes a CExceptionHardware that
    // unwinds (destroying the application object) to the crash questions.
    InstallCrashHandling();
    int exitCode = 0;
    try {
        exitCode = RunApplication(instance);
    } catch (const CExceptionHardware& exception) {
        HandleHardwareException(exception);
    } catch (const std::exception&) {
        // Thrown at start-up or by a window procedure under the loop. The unwinding has taken
        // the application down without saving: the files keep what the last finished save wrote.
        HandleProgramException();
    }
    return exitCode;
}
