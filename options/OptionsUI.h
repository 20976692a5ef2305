#pragma once
#include <windows.h>
#include <commctrl.h>

#include "lib/DialogColors.h"
#include "lib/DropFiles.h"
#include "lib/GdiObject.h"
#include "lib/IconHandle.h"
#include "lib/Listview.h"
#include "lib/ModalDialog.h"
#include "lib/Treeview.h"
#include "options/GdiPlusBitmap.h"
#include "options/OptionsColorButtons.h"
#include "options/OptionsHotKeyEdit.h"
#include "options/OptionsMergedFolders.h"

#include <memory>
#include <vector>

#include "config/SingleFolderOptions.h"

class CApplicationOptions;
class CGenericPathwrenObject;
class CLanguage;
class CToolbar;

const UINT_PTR OPTIONS_RESULT_OK = 0xABCDEF;
const UINT_PTR OPTIONS_RESULT_CANCEL = 0xABCDF0;

// The parameter of every tree node: one of these pages, or the address of an item copy.
enum OptionsPage : LPARAM {
    PageApplication = 0,
    PageFolders = 1,
    PageFileFilters = 2,
    PageCustomization = 3,
    PageBrowsingOptions = 4,
    PageLaunchBar = 5,
};

// The options dialog. It edits private copies of the application options, the language and every
// folder item; only OK hands them to the application, which then rebuilds every container.
class COptionsUI : public CModalDialog, public CTreeviewEventsBase {
public:
    COptionsUI();
    ~COptionsUI() override;
    COptionsUI(const COptionsUI&) = delete;
    COptionsUI& operator=(const COptionsUI&) = delete;

    void OnSelChanged(CTreeview* tree, const NMTREEVIEWW* change) override;

    // The object of an options dialog's window; null for any other window.
    static COptionsUI* FromWindow(HWND dialog);

    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT_PTR m_endCode;
    HINSTANCE m_hInstance;
    HWND m_hMainWindow;
    std::unique_ptr<CTreeview> m_tree;
    HTREEITEM m_foldersRoot;
    HTREEITEM m_optionsRoot;
    HTREEITEM m_launchBarNode;
    std::unique_ptr<CToolbar> m_toolbar;
    HICON m_hDefaultItemIcon; // the application's; not owned
    HWND* m_pOpenDialog;      // the opener's record of the open dialog window; may be null
    COptionsMergedFolders m_mergedFolders;
    CLanguage* m_pLanguage;
    std::vector<CGenericPathwrenObject*> m_folders;
    CApplicationOptions* m_pOptions;
    std::vector<CIconHandle> m_icons;
    int m_pageImages[PageLaunchBar + 1]; // the tree's image of each page, by page
    DropFilesContext m_drop;
    std::unique_ptr<CGdiplusSession> m_gdiplus;
    BOOL m_loading;
    WCHAR m_iconPath[MAX_PATH];
    int m_iconIndex;
    WCHAR m_hotIconPath[MAX_PATH];
    int m_hotIconIndex;
    WCHAR m_downIconPath[MAX_PATH];
    int m_downIconIndex;
    CGdiPlusBitmapResource m_shortcutPreviews[4]; // by shortcut type
    CGdiPlusBitmap m_skinPreview;
    CBitmapHandle m_shownShortcutPreview;
    CBitmapHandle m_shownSkinPreview;
    COptionsColorButtons m_colorButtons;
    CDialogColors m_colors;
    // The shell's icon picker. Its loop can run an Exit or an OK that ends the dialog before it
    // answers; tests put a stand-in here that does so.
    int(WINAPI* m_pickIcon)(HWND owner, PWSTR path, UINT size, int* index);
    COptionsHotKeyEdit m_hotKey;
    HHOOK m_hKeyboardHook;
    UINT m_viewTypes[8];
    UINT m_viewTypeCount;
    CGenericPathwrenObject* m_pCurrentItem;
    HTREEITEM m_currentNode;
    // The DPI the controls are laid out for, and the template's font at the DPI it was made for.
    UINT m_dpi;
    UINT m_templateDpi;
    LOGFONTW m_templateFont;
    CFontHandle m_scaledFont;

    // Frame (OptionsUI.cpp).
    void InitOptionsDialog();
    void EndOptionsDialog(UINT_PTR endCode);
    BOOL ApplyToControlGroup(int firstControl, BOOL(WINAPI* action)(HWND, int), int argument);
    void ShowGroups(const int* groups, size_t count, int shownGroup);
    // Shows the page group and hides every other one.
    void ShowPage(int shownGroup);
    void MoveControlGroup(int firstControl, POINT target);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    // Moves a whole control group to follow `after` in the tab order; returns its last window.
    HWND PlaceGroupAfter(int firstControl, HWND after);
    HWND LastOfGroup(int firstControl) const;
    void ApplyMnemonics();
    RECT GetControlRect(int control) const;
    void ApplyLanguageToDialog();
    void BuildTree();
    void AddPageImages();
    int AddItemImage(const CGenericPathwrenObject* item);
    // Every node's image again at the dialog's DPI.
    void ReloadTreeImages();
    void BrowsePicture(int targetEdit);
    int ShowOptionsError(LPCWSTR text);
    // Whether every configuration file OK will write can be written now; otherwise says which
    // one cannot, so that the dialog stays open with nothing lost.
    BOOL CheckConfigurationWritable();
    void OnCommand(UINT command, UINT notification);
    HICON KeepIcon(HICON icon);
    // A small icon of the program's at the dialog's DPI, kept until the dialog ends.
    int SmallIconSize() const;
    HICON LoadSmallIcon(UINT icon);
    void SetButtonIcons();
    HICON GetDefaultItemIcon() const;

    // Application and launch bar pages (OptionsApplicationSettings.cpp).
    void LoadApplicationSettings();
    void SaveApplicationSettings();
    void LoadLaunchBarSettings();
    void SaveLaunchBarSettings();
    void FillLanguageList();
    void FillSkinList();
    void ShowSkinPreview();
    void OnLanguageChanged();
    void OnSkinChanged();
    void OnLaunchModeChanged();

    // Item pages (OptionsItemSettings.cpp and OptionsItems.cpp).
    void LoadItemSettings(CGenericPathwrenObject* item);
    void SaveItemSettings(CGenericPathwrenObject* item);
    int GetShortcutTypeFromControls() const;
    void LayoutForShortcutType(int type);
    void ApplyShortcutTypeRules(int type);
    void ApplySaveIconsPositionsRule(int type);
    void ApplyMergeRules();
    void ShowShortcutPreview(int type);
    void OnShortcutTypeClicked();
    void SetPathControls(LPCWSTR path);
    void GetPathFromControls(LPWSTR path);
    // A special folder this system does not offer was loaded and no other one chosen since.
    BOOL KeepsUnofferedSpecialFolder(const CGenericPathwrenObject* item) const;
    void FillSpecialFolderList();
    void FillViewTypeList();
    HTREEITEM InsertItemNode(CGenericPathwrenObject* item, HTREEITEM after, BOOL select);
    void RefreshItemNode(CGenericPathwrenObject* item, HTREEITEM node);
    // The item's name, or for an unnamed Multiple Folders Menu the language's name for the type.
    void GetItemNodeName(CGenericPathwrenObject* item, LPWSTR name) const;
    void AddFolderItem();
    // Insert adds an item, Delete removes it, Ctrl+Up and Ctrl+Down move it; FALSE for other keys.
    BOOL OnTreeKey(UINT virtualKey, BOOL control);
    void RemoveFolderItem();
    void MoveFolderItem(BOOL up);
    void AddMergedFolder();
    void ShowItemIcon(int staticControl, LPCWSTR path, int index, BOOL setTreeImage);
    void PickAssociatedIcon();
    // The associated icon, with the state icons that follow it.
    void SetAssociatedIcon(LPCWSTR path, int index);
    void PickStateIcon(int staticControl);
    void BrowseLocalFolder();
    BOOL IsItemNodeSelected() const;
};

// What the dialog starts from: the application's live configuration, which it copies and never
// changes.
struct OptionsDialogSource {
    HINSTANCE Instance;
    HWND MainWindow;
    const CApplicationOptions* Options;
    const CLanguage* Language; // may be null: the built-in texts
    const std::vector<CGenericPathwrenObject*>* Folders;
    HICON DefaultIcon; // the items' icon when theirs cannot be read; not owned
};

// The configuration the dialog hands back on OK: the folders in the order their containers are
// created.
struct EditedConfiguration {
    EditedConfiguration();
    ~EditedConfiguration();
    EditedConfiguration(const EditedConfiguration&) = delete;
    EditedConfiguration& operator=(const EditedConfiguration&) = delete;

    std::unique_ptr<CApplicationOptions> Options;
    std::unique_ptr<CLanguage> Language;
    std::vector<CGenericPathwrenObject*> Folders; // owned
};

// Runs the dialog on copies of the source; on OK (OPTIONS_RESULT_OK) fills `edited`. While the
// dialog is open, *openDialog (when given) holds its window.
UINT_PTR ShowOptionsDialog(const OptionsDialogSource& source, EditedConfiguration* edited, HWND* openDialog);
// The unsigned number in an edit; FALSE, with the value untouched, for anything but digits
// (surrounding blanks allowed) or a number too big for 32 bits. Windows' own reading of
// GetDlgItemInt differs between versions for a minus sign.
BOOL ReadUnsignedNumber(HWND dialog, int control, UINT* value);
// ReadUnsignedNumber, and FALSE with the value untouched for a number outside minimum..maximum.
BOOL ReadNumberInRange(HWND dialog, int control, UINT minimum, UINT maximum, UINT* value);
// Puts the bitmap (owned by the caller's holder, which may be empty) into a picture static.
// Common controls 6 keep a copy of a bitmap with alpha and hand that copy back on the next
// change; only the copy is deleted here, never the caller's bitmap.
void SetStaticBitmap(HWND picture, CBitmapHandle& shown, HBITMAP replacement);
// The actions ApplyToControlGroup runs on each control of a group.
BOOL WINAPI ShowControlAction(HWND window, int show);
BOOL WINAPI EnableControlAction(HWND window, int enable);
LRESULT CALLBACK OptionsKeyboardHook(int code, WPARAM wParam, LPARAM lParam);
// Whether the control shows a label of its own (left-aligned static text, check box, radio button,
// push button or group box title): those get a mnemonic and must show their whole text.
BOOL TakesMnemonic(HWND control);
