#pragma once
#include <windows.h>

#include "lib/GdiObject.h"
#include "lib/IconHandle.h"
#include "options/GdiPlusBitmap.h"
#include "options/OptionsHotKeyEdit.h"
#include "options/OptionsMergedFolders.h"

#include <vector>

class CGenericPathwrenObject;
class CLanguage;
class CListview;
class COptionsColorButtons;
class IOptionsPageHost;

// The shell's icon picker, or a stand-in with its signature.
typedef int(WINAPI* IconPicker)(HWND owner, PWSTR path, UINT size, int* index);

// The pages of one folder item: its shortcut type and the layout each type gets, its path (a
// local folder or a special one), icons, merged folders, browsing options, file filters and
// customization. It edits one item at a time, the one it loaded last.
class COptionsItemPage {
public:
    COptionsItemPage(IOptionsPageHost& host, COptionsColorButtons& colors);
    COptionsItemPage(const COptionsItemPage&) = delete;
    COptionsItemPage& operator=(const COptionsItemPage&) = delete;

    // Fills the page's lists and takes its controls; the icon stands in for an item whose own
    // cannot be read, and the previews are read only when GDI+ runs.
    void Attach(HINSTANCE instance, HICON defaultIcon, BOOL picturesReadable);
    // Lets the merged list and the previews go, while the window and GDI+ still exist.
    void Detach();
    // Shows the item in the controls; it is the item edited from now on.
    void Load(CGenericPathwrenObject* item);
    // Writes the controls into the item edited, if any.
    void Save();
    // No item is edited any more: a later Save, or an icon picker that answers late, writes nowhere.
    void Forget() { m_pItem = nullptr; }
    CGenericPathwrenObject* Item() const { return m_pItem; }
    // Places the groups for the type chosen now: the item's own page has just been shown.
    void LayOut();
    // Handles a command of the page's controls; FALSE for any other.
    BOOL OnCommand(UINT command, UINT notification);
    // A key pressed in the Hot Key edit; FALSE when the edit has not the focus.
    BOOL TakeHotKey(HWND focus, UINT virtualKey);
    // The view type names and the merged list's titles in the new language.
    void ApplyLanguage(const CLanguage& language);
    // The edited item's icon again, at the dialog's new DPI.
    void ShowAssociatedIcon();
    CListview* MergedList() const { return m_mergedFolders.List(); }
    void SetIconPicker(IconPicker picker) { m_pickIcon = picker; }

private:
    int GetShortcutTypeFromControls() const;
    void LayoutForShortcutType(int type);
    void ApplyShortcutTypeRules(int type);
    void ApplySaveIconsPositionsRule(int type);
    void ApplyMergeRules();
    void ShowShortcutPreview(int type);
    void OnShortcutTypeClicked();
    // Whether the item's own page is shown, rather than one of its sub-pages.
    BOOL IsShown() const;
    void SetPathControls(LPCWSTR path);
    void GetPathFromControls(LPWSTR path) const;
    // A special folder this system does not offer was loaded and no other one chosen since.
    BOOL KeepsUnofferedSpecialFolder() const;
    void FillSpecialFolderList();
    void FillViewTypeList();
    void AddMergedFolder();
    HICON KeepIcon(HICON icon);
    void ShowItemIcon(int staticControl, LPCWSTR path, int index, BOOL setTreeImage);
    void PickAssociatedIcon();
    // The associated icon, with the state icons that follow it.
    void SetAssociatedIcon(LPCWSTR path, int index);
    void PickStateIcon(int staticControl);
    void BrowseLocalFolder();

    IOptionsPageHost& m_host;
    COptionsColorButtons& m_colors;
    CGenericPathwrenObject* m_pItem;
    HICON m_hDefaultIcon; // not owned
    std::vector<CIconHandle> m_icons;
    COptionsMergedFolders m_mergedFolders;
    COptionsHotKeyEdit m_hotKey;
    UINT m_viewTypes[8];
    UINT m_viewTypeCount;
    // The icons chosen on the page; the item takes them only when saved.
    WCHAR m_iconPath[MAX_PATH];
    int m_iconIndex;
    WCHAR m_hotIconPath[MAX_PATH];
    int m_hotIconIndex;
    WCHAR m_downIconPath[MAX_PATH];
    int m_downIconIndex;
    // The shell's picker. Its loop can run an Exit or an OK that ends the dialog before it
    // answers; tests put a stand-in here that does so.
    IconPicker m_pickIcon;
    BOOL m_picturesReadable;
    CGdiPlusBitmapResource m_shortcutPreviews[4]; // by shortcut type
    CBitmapHandle m_shownShortcutPreview;
};
