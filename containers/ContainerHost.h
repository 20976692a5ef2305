#pragma once
#include <windows.h>

class CApplicationOptions;

// The main loop hands every WM_KEYDOWN first to the active window as this message; a browser
// window that answers non-zero has consumed the key (lParam points to the MSG).
const UINT WM_TRANSLATE_ACCELERATOR = 0x1400;

// The application-wide commands of every item's context menu that the application itself carries
// out, because they open what stands above the containers (the options dialog, the about box, the
// update check) or end the program.
enum ApplicationCommand {
    ApplicationCommandOptions,
    ApplicationCommandHelp,
    ApplicationCommandAbout,
    ApplicationCommandDonate,
    ApplicationCommandCheckForUpdate,
    ApplicationCommandExit,
};

// What a container needs of the application that owns it. Commands are requests: the options
// dialog and the exit may destroy the container that asks, so they run once the caller's handler
// has returned to the main loop.
class IContainerHost {
public:
    // The hidden main window: owner of menus when nothing else is, target of hotkeys.
    virtual HWND GetMainWindow() const = 0;
    virtual const CApplicationOptions* GetOptions() const = 0;
    virtual void RunApplicationCommand(ApplicationCommand command) = 0;

protected:
    ~IContainerHost() = default;
};
