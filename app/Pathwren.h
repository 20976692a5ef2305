#pragma once
#include <windows.h>

#include "app/CommandLine.h"
#include "containers/ContainerHost.h"
#include "lib/RuntimeModule.h"
#include "lib/WindowsDarkMode.h"

#include <deque>
#include <memory>
#include <vector>

class CApplicationOptions;
class CGenericPathwrenObject;
class CLanguage;
class CLaunchBar;
class CLaunchBarContainerBase;
struct EditedConfiguration;

// Opens the options dialog (or brings the open one forward).
const UINT WM_SHOW_OPTIONS = WM_APP + 2;
// Carries out the queued commands of the command line (WM_APP + 3 is the deferred work).
const UINT WM_RUN_START_COMMANDS = WM_APP + 4;

extern const WCHAR kMainWindowClassName[];

// The application: owns the options, the language, the folder items (each owning its
// container) and the launch bar, and runs the hidden main window with the one message loop.
class CPathwren : public IContainerHost {
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
    // Takes an edited configuration in place of the current one: destroys every item with its
    // container, hotkeys and launch bar, saves the main and folders files and builds the
    // containers again (unless the program is quitting). Only from the main loop, where no handler
    // of what it destroys is running; requests from inside a handler wait there.
    void ReplaceConfiguration(EditedConfiguration& edited);

    // IContainerHost
    HWND GetMainWindow() const override { return m_hMainWindow; }
    const CApplicationOptions* GetOptions() const override { return m_pOptions; }
    void RunApplicationCommand(ApplicationCommand command) override;

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
    // The menu of the bar's background; exists with the bar.
    CLaunchBarContainerBase* m_pLaunchBarContainer;
    // The options dialog's window while it is open.
    HWND m_hOptionsDialog;
    CWindowsDarkMode m_windowsDarkMode;

private:
    typedef BOOL(WINAPI* ShutdownBlockReasonCreateFunction)(HWND, LPCWSTR);
    typedef BOOL(WINAPI* ShutdownBlockReasonDestroyFunction)(HWND);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate(HWND window);
    void OnShowOptions();
    void OnEndSession();
    void OnClose();
    void RequestQuit();
    // Wakes the main loop, which then carries out a requested quit or configuration change.
    void WakeMainLoop();
    void RouteHotKey(WPARAM itemIndex);
    // After the containers: builds the bar from their buttons and gives them its toolbar window.
    void BuildLaunchBar();
    void AppendLaunchBarButton(CGenericPathwrenObject& item);
    void DestroyLaunchBar();
    BOOL RestoreDamagedFoldersFile();
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void CarryOutStartCommands();
    void ShowItemAt(const std::wstring& item, POINT point);
    // Draws from now on in the scheme the options and Windows ask for; with redraw, the windows
    // open now take it at once.
    void ApplyColorScheme(BOOL redraw);
    void OnSettingChange(WPARAM wParam, LPCWSTR area);
    // Builds every container and the bar again on the skin of the scheme now; what was on the
    // screen shows again. Only from the main loop, as ReplaceConfiguration.
    void RebuildForNewSkin();

    // Set by a close or the end of the logon, which may arrive inside a modal loop: the start-up's
    // message boxes inside WM_CREATE, a container's menu, box or dialog. The items must outlive
    // that loop, so the main loop quits only once it has control again.
    BOOL m_quitRequested;
    // The configuration the options dialog handed back, waiting for the main loop.
    std::unique_ptr<EditedConfiguration> m_pendingConfiguration;
    // The scheme changed and with it the default skin. Toolbars draw with the loaded skin's icons,
    // and the change may come while one of them runs a handler or a menu: the skin is swapped
    // by the main loop, with the containers built again.
    BOOL m_skinRebuildRequested = FALSE;
    ShutdownBlockReasonCreateFunction m_shutdownBlockReasonCreate;
    ShutdownBlockReasonDestroyFunction m_shutdownBlockReasonDestroy;
    struct QueuedStartCommand {
        StartCommand command;
        POINT point;
    };
    std::deque<QueuedStartCommand> m_startCommands;
    // Set while a command runs; a menu it shows runs a modal loop in which the next may arrive.
    BOOL m_carryingOutCommands = FALSE;
    // Set while the items are destroyed. Tearing down a container may call a COM object of another
    // apartment, whose modal loop dispatches what is queued: a close arriving there must not save
    // a list that is half gone.
    BOOL m_destroyingFolders = FALSE;
};
