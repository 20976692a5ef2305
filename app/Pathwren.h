#pragma once
#include <windows.h>

#include "app/CommandLine.h"
#include "lib/RuntimeModule.h"

#include <deque>
#include <vector>

class CApplicationOptions;
class CGenericPathwrenObject;
class CLanguage;
class CLaunchBar;

// Messages the main window receives from the item containers and the options dialog.
const UINT WM_SHOW_OPTIONS = WM_APP + 2;
const UINT WM_TRANSLATE_ACCELERATOR = 0x1400;
// Carries out the queued commands of the command line (WM_APP + 3 is the deferred quit).
const UINT WM_RUN_START_COMMANDS = WM_APP + 4;

extern const WCHAR kMainWindowClassName[];

// The application: owns the options, the language, the folder items (each owning its
// container) and the launch bar, and runs the hidden main window with the one message loop.
class CPathwren {
public:
    CPathwren();
    ~CPathwren();
    CPathwren(const CPathwren&) = delete;
    CPathwren& operator=(const CPathwren&) = delete;

    BOOL LoadApplicationOptions();
    BOOL LoadLanguage();
    BOOL LoadFolders();
    // Saves the items; the previous file is kept with the extension "bak" and put back when
    // the save fails.
    BOOL SaveFolders();
    BOOL StoreContainersState();
    BOOL CreateContainers();
    BOOL RegisterHotKeys();
    BOOL UnregisterHotKeys();
    BOOL DestroyFolders();
    BOOL Run();
    void Quit();
    // A command of the command line, this start's own or handed over by a later start; carried
    // out from the main window's queue once the containers exist.
    void QueueStartCommand(const StartCommand& command, POINT point);
    // Whether a --show names an item of this instance.
    BOOL HasCommandItem(const std::wstring& item) const;

    WCHAR m_mainConfigurationFile[MAX_PATH];
    HINSTANCE m_hInstance;
    HWND m_hMainWindow;
    std::vector<CGenericPathwrenObject*> m_folders;
    CApplicationOptions* m_pOptions;
    CLanguage* m_pLanguage;
    HICON m_hDefaultIcon;
    BOOL m_showOptionsAtStart;
    BOOL m_ending;
    // The folders file was damaged and its backup took its place; the user is told once.
    BOOL m_restoredFromBackup;
    CRuntimeModule m_user32;
    CLaunchBar* m_pLaunchBar;

private:
    typedef BOOL(WINAPI* ShutdownBlockReasonCreateFunction)(HWND, LPCWSTR);
    typedef BOOL(WINAPI* ShutdownBlockReasonDestroyFunction)(HWND);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate(HWND window);
    void OnShowOptions();
    void OnEndSession();
    void OnClose();
    void RequestQuit();
    void RouteHotKey(WPARAM itemIndex);
    // After the containers: builds the bar from their buttons and gives them its toolbar window.
    void BuildLaunchBar();
    void DestroyLaunchBar();
    BOOL RestoreDamagedFoldersFile();
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void CarryOutStartCommands();
    void ShowItemAt(const std::wstring& item, POINT point);

    // Set by a close or the end of the logon, which may arrive inside a modal loop: the start-up's
    // message boxes inside WM_CREATE, a container's menu, box or dialog. The items must outlive
    // that loop, so the main loop quits only once it has control again.
    BOOL m_quitRequested;
    ShutdownBlockReasonCreateFunction m_shutdownBlockReasonCreate;
    ShutdownBlockReasonDestroyFunction m_shutdownBlockReasonDestroy;
    struct QueuedStartCommand {
        StartCommand command;
        POINT point;
    };
    std::deque<QueuedStartCommand> m_startCommands;
    // Set while a command runs; a menu it shows runs a modal loop in which the next may arrive.
    BOOL m_carryingOutCommands = FALSE;
};
