#pragma once
#include "config/GenericPathwrenObject.h"
#include "containers/ContainerHost.h"
#include "containers/NotifyIcon.h"
#include "launchbar/LaunchBar.h"
#include "lib/IconHandle.h"
#include "lib/SharedResourceIcon.h"

#include <windows.h>

#include <map>

class CLanguage;
class CPopUpMenu;

// What the item context menu's commands do; the command map links menu identifiers to these.
enum ContainerMenuAction {
    ContainerMenuActionShow = 0,
    ContainerMenuActionToggleMaximize = 1,
    ContainerMenuActionOptions = 2,
    ContainerMenuActionHelp = 3,
    ContainerMenuActionAbout = 4,
    ContainerMenuActionDonate = 5,
    ContainerMenuActionCheckForUpdate = 6,
    ContainerMenuActionExit = 7,
};

// One folder item on screen: its icons, its tray icon (or launch bar button), its context menu
// with the application-wide commands, and the presentation that derived classes add.
class CContainerBase : public CNotifyIconEventsBase, public IFolderItemContainer, public ILaunchBarItem {
public:
    CContainerBase(HINSTANCE instance, IContainerHost* host);
    virtual ~CContainerBase();
    CContainerBase(const CContainerBase&) = delete;
    CContainerBase& operator=(const CContainerBase&) = delete;

    BOOL OnNotifyIconLeftClick(CNotifyIcon* notifyIcon, POINT cursor) override;
    BOOL OnNotifyIconRightClick(CNotifyIcon* notifyIcon, POINT cursor) override;
    BOOL OnNotifyIconDoubleClick(CNotifyIcon* notifyIcon, POINT cursor) override;
    // Whether the notification area gets the keyboard focus back after a click.
    virtual BOOL ReturnFocusToTray() { return TRUE; }
    virtual void ToggleMaximize() {}
    virtual BOOL BuildContextMenu(CLanguage* language) { return BuildMenu(language, TRUE); }
    // The texts the context menu is made from when it is first needed; most items are never
    // right-clicked in a run, and a start with many items should not pay for their menus.
    void SetLanguage(CLanguage* language) { m_pLanguage = language; }
    // The context menu, made from the texts given to SetLanguage on the first call.
    CPopUpMenu* PrepareContextMenu();
    // Ends the container; the object is gone afterwards.
    void Destroy() override { delete this; }
    virtual BOOL Initialize(CGenericPathwrenObject* item) {
        (void)item;
        return FALSE;
    }
    // Copies the presentation's live state (window place, icon positions) into the item.
    virtual BOOL SaveState() = 0;
    virtual BOOL Show(BOOL alwaysShow) {
        (void)alwaysShow;
        return FALSE;
    }
    virtual BOOL Hide() { return FALSE; }
    // Whether the presentation stands on the screen between two uses (a browser window does; a
    // menu is gone once chosen from).
    virtual BOOL IsShown() const { return FALSE; }
    // The item's global hotkey: show the presentation where the cursor is.
    virtual BOOL OnHotKey();

    // Takes the item's icons and puts the item on screen: a tray icon in "Tray Icons" mode; in
    // "Launch Bar" mode the application makes a button of the icons.
    BOOL AttachItemIcon(CGenericPathwrenObject* item);
    // Tracks the context menu at the point and runs the chosen command.
    BOOL ShowContextMenu(POINT point, BOOL openUpward) override;
    // A click on the item's launch bar button: the presentation opens at the button's point.
    void ShowFromLaunchBar(POINT point, BOOL openUpward) override;

    void SetDefaultIcon(HICON icon) { m_hDefaultIcon = icon; }
    // The launch bar hands its toolbar window over after the containers were initialised.
    void SetOwnerWindow(HWND window) override { m_hOwnerWindow = window; }
    void TakeIconsAtSize(int size, HICON* images) override;
    // The pictures of the item's launch bar button, as TakeIconsAtSize gives them.
    void GetLaunchBarImages(HICON* images) const;
    HWND GetOwnerWindow() const { return m_hOwnerWindow; }
    CNotifyIcon* GetNotifyIcon() const { return m_pNotifyIcon; }
    // Null until the context menu was first needed.
    CPopUpMenu* GetContextMenu() const { return m_pContextMenu; }
    HICON GetIcon() const { return m_hIcon; }
    HICON GetHotIcon() const { return m_hHotIcon; }
    HICON GetDownIcon() const { return m_hDownIcon; }
    POINT GetShowPoint() const { return m_showPoint; }
    // Where the next Show opens, as the launch bar gives it for a button.
    void SetShowPoint(POINT point, BOOL openUpward) {
        m_showPoint = point;
        m_openUpward = openUpward;
    }
    BOOL GetOpenUpward() const { return m_openUpward; }
    // The action of a context menu identifier, or -1 when the identifier has none.
    int GetMenuAction(UINT commandId) const;

    // The time between attempts to add the tray icon; the notification area may not exist yet
    // when the program starts at logon.
    static DWORD s_trayRetryDelayMs;

protected:
    // The menu of the base: Show (when asked), Options, Help, About, update check, donation, Exit.
    BOOL BuildMenu(CLanguage* language, BOOL withShowEntry);
    void AddMenuAction(UINT commandId, ContainerMenuAction action) { m_commandMap[commandId] = action; }
    BOOL RunMenuAction(UINT action);
    // Hands the command to the application; the result is what the menu action returns.
    BOOL RunApplicationCommand(ApplicationCommand command, BOOL result);

    HINSTANCE m_hInstance;
    HICON m_hIcon;
    HICON m_hHotIcon;
    HICON m_hDownIcon;
    CNotifyIcon* m_pNotifyIcon;
    CPopUpMenu* m_pContextMenu;
    CLanguage* m_pLanguage;
    POINT m_showPoint;
    BOOL m_openUpward;
    std::map<UINT, UINT> m_commandMap;
    HICON m_hDefaultIcon;
    HWND m_hOwnerWindow;
    IContainerHost* m_pHost; // not owned; outlives the container

private:
    void DestroyItemIcons();
    // The item's icons at that size: the hot and down ones only for the bar.
    BOOL TakeItemIcons(int size);
    void DeleteNotifyIcon();
    BOOL AddTrayIcon(LPCWSTR tooltip);
    CIconHandle ExtractItemIcon(LPCWSTR path, int index, int size) const;
    // Extracts into one of the owned slots; the fallback (never owned here) when there is none.
    HICON AttachExtractedIcon(int slot, LPCWSTR path, int index, int size, HICON fallback);
    int ItemIconSize() const;
    BOOL InLaunchBarMode() const;

    // The item's normal, hot and down icons when extracted from its files; m_hIcon and the others
    // may instead show a fallback that belongs to someone else.
    CIconHandle m_extractedIcons[3];
    // Shown by m_hIcon when the item has no icon of its own.
    CSharedResourceIcon::Picture m_defaultPicture;
    // The item the icons come from; it owns the container, so outlives it.
    const CGenericPathwrenObject* m_pIconItem = nullptr;
};

// The container of an item, which only containers give it; null when it has none.
inline CContainerBase* ContainerOf(const CGenericPathwrenObject& item) {
    return static_cast<CContainerBase*>(item.m_pContainer);
}
