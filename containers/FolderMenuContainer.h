#pragma once
#include "containers/ContainerBase.h"
#include "containers/ShellItemChangeWatcher.h"
#include "lib/WindowSubclass.h"

#include <vector>

class CFolderMenu;
struct MergedFolder;

// How often collected folder changes are turned into one rebuild.
const UINT kFolderMenuRefreshPeriodMs = 500;

// The container of "Menu" and "Multiple Folders Menu" items: pops up the item's folder menu at
// the show point and keeps it current while the item's folders change.
class CFolderMenuContainer : public CContainerBase, public IShellItemChangeWatcher {
public:
    CFolderMenuContainer(HINSTANCE instance, IContainerHost* host);
    ~CFolderMenuContainer() override;

    BOOL ReturnFocusToTray() override { return FALSE; }
    BOOL Initialize(CGenericPathwrenObject* item) override;
    BOOL SaveState() override { return TRUE; }
    // Tracks the menu and opens the chosen entry; a menu cannot be toggled, so the argument
    // does not matter.
    BOOL Show(BOOL alwaysShow) override;
    BOOL Hide() override { return TRUE; }
    void SetOwnerWindow(HWND window) override;
    void OnShellItemChange(LONG event, LPCWSTR firstPath, LPCWSTR secondPath) override;

    // Makes the folder menu and starts watching its folders on the first call; a start with many
    // items builds none of them, and an item never shown never lists its folders. FALSE when the
    // menu has nothing to show.
    BOOL PrepareFolderMenu();
    // Reads the item's folders into a new menu. FALSE when a "Menu" item's folder is gone (the
    // menu keeps what it showed) or the menu could not be built.
    BOOL Rebuild();
    // Null until the menu was first needed.
    CFolderMenu* GetFolderMenu() const { return m_pFolderMenu; }
    // How often the menu was built: shows that changes are collected into one rebuild.
    UINT GetBuildCount() const { return m_buildCount; }
    // The refresh timer and the window subclass on the owner window carry this identifier, and the
    // shell's notifications come with this message: several containers can share one owner (the
    // launch bar's toolbar) without taking each other's timer, subclass or changes.
    UINT_PTR GetWatchIdentifier() const { return reinterpret_cast<UINT_PTR>(this); }
    UINT GetChangeMessage() const { return m_changeMessage; }
    // The balloon on the item's tray icon that names a folder that has gone; nothing in
    // "Launch Bar" mode, where the item has no tray icon.
    void ShowFolderError(LPCWSTR path);

private:
    static LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR subclassId, DWORD_PTR referenceData);
    BOOL StartWatching();
    void StopWatching();
    BOOL RegisterMergedFolders();
    BOOL ResolveSingleFolder(LPWSTR folder);
    // Whether the item's folders are there, with the balloon for each one that is not.
    BOOL CheckFolders();
    BOOL RebuildSingleFolder();
    BOOL RebuildMergedFolders();
    void CollectMergedFolders(std::vector<MergedFolder>& folders);

    CFolderMenu* m_pFolderMenu;
    CGenericPathwrenObject* m_pItem;
    BOOL m_contentChanged;
    HWND m_hWatchedWindow; // the owner window that carries the timer and the subclass
    CWindowSubclass m_watchHook;
    UINT m_buildCount;
    UINT m_changeMessage; // 0: none left, the menu is then fresh only from one showing to the next
};
