#pragma once
#include <windows.h>
#include <commctrl.h>

#include "lib/DialogColors.h"
#include "lib/DropFiles.h"
#include "lib/GdiObject.h"
#include "lib/IconHandle.h"
#include "lib/ModalDialog.h"
#include "lib/Treeview.h"
#include "options/GdiPlusBitmap.h"
#include "options/OptionsApplicationPage.h"
#include "options/OptionsColorButtons.h"
#include "options/OptionsItemPage.h"
#include "options/OptionsLaunchBarPage.h"
#include "options/OptionsPageHost.h"

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

// The options dialog's frame: the page tree and the switch between pages, the items' nodes, the
// scaling to the monitor's DPI, the texts and mnemonics of the dialog in its language, and OK,
// Cancel and the configuration being edited. It edits private copies of the application options,
// the language and every folder item; only OK hands them to the application, which then rebuilds
// every container. Each page keeps its own controls' state.
class COptionsUI : public CModalDialog, private CTreeviewEventsBase, private IOptionsPageHost {
public:
    COptionsUI(const OptionsDialogSource& source, HWND* openDialog);
    ~COptionsUI() override;
    COptionsUI(const COptionsUI&) = delete;
    COptionsUI& operator=(const COptionsUI&) = delete;

    // The object of an options dialog's window; null for any other window.
    static COptionsUI* FromWindow(HWND dialog);
    // Runs the dialog; on OPTIONS_RESULT_OK the edited configuration goes to `edited`.
    UINT_PTR Edit(EditedConfiguration* edited);
    void SetIconPicker(IconPicker picker) { m_itemPage.SetIconPicker(picker); }

private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSelChanged(CTreeview* tree, const NMTREEVIEWW* change) override;

    HWND Dialog() const override { return m_hDialog; }
    const CLanguage& Language() const override { return *m_language; }
    int ShowError(LPCWSTR text) override;
    void ShowItemImage(HICON small) override;

    // Frame (OptionsUI.cpp).
    void InitOptionsDialog();
    void PlacePages();
    void AddToolbar();
    void EndOptionsDialog(UINT_PTR endCode);
    void OnCommand(UINT command, UINT notification);
    void OnOk();
    void BrowsePicture(int targetEdit);
    // Whether every configuration file OK will write can be written now; otherwise says which
    // one cannot, so that the dialog stays open with nothing lost.
    BOOL CheckConfigurationWritable();
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);
    BOOL OnKey(UINT virtualKey);

    // Pages and DPI (OptionsPages.cpp).
    // Shows the page group and hides every other one.
    void ShowPage(int shownGroup);
    void ShowItemPage();
    // The item edited so far is saved and its node renamed; the new one (or none) is loaded.
    void SwitchItem(CGenericPathwrenObject* item, HTREEITEM node);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    int SmallIconSize() const;
    // A small icon of the program's at the dialog's DPI, kept until the dialog ends.
    HICON LoadSmallIcon(UINT icon);
    void SetButtonIcons();
    void BuildTree();
    void AddPageImages();
    int AddItemImage(const CGenericPathwrenObject* item);
    // Every node's image again at the dialog's DPI.
    void ReloadTreeImages();

    // Texts (OptionsLanguage.cpp).
    void ApplyLanguageToDialog();
    void ApplyMnemonics();
    void RelabelTree();

    // Item nodes (OptionsItems.cpp).
    HTREEITEM InsertItemNode(CGenericPathwrenObject* item, HTREEITEM after, BOOL select);
    void RefreshItemNode(CGenericPathwrenObject* item, HTREEITEM node);
    // The item's name, or for an unnamed Multiple Folders Menu the language's name for the type.
    void GetItemNodeName(CGenericPathwrenObject* item, LPWSTR name) const;
    void AddFolderItem();
    // Insert adds an item, Delete removes it, Ctrl+Up and Ctrl+Down move it; FALSE for other keys.
    BOOL OnTreeKey(UINT virtualKey, BOOL control);
    void RemoveFolderItem();
    void MoveFolderItem(BOOL up);

    HINSTANCE m_hInstance;
    HICON m_hDefaultItemIcon; // not owned
    HWND* m_pOpenDialog;      // the opener's record of the open dialog window; may be null
    // The configuration being edited.
    std::unique_ptr<CApplicationOptions> m_options;
    std::unique_ptr<CLanguage> m_language;
    std::vector<std::unique_ptr<CGenericPathwrenObject>> m_folders;

    // Before the pages, which show its pictures and use the colour buttons: they go first.
    std::unique_ptr<CGdiplusSession> m_gdiplus;
    COptionsColorButtons m_colorButtons;
    COptionsApplicationPage m_applicationPage;
    COptionsLaunchBarPage m_launchBarPage;
    COptionsItemPage m_itemPage;

    std::unique_ptr<CTreeview> m_tree;
    HTREEITEM m_foldersRoot;
    HTREEITEM m_optionsRoot;
    HTREEITEM m_launchBarNode;
    HTREEITEM m_currentNode;             // the node of the item the item page edits
    int m_pageImages[PageLaunchBar + 1]; // the tree's image of each page, by page
    // While set, a change of the tree's selection saves and loads nothing.
    BOOL m_loading;
    std::unique_ptr<CToolbar> m_toolbar;
    std::vector<CIconHandle> m_icons;
    DropFilesContext m_drop;
    CDialogColors m_colors;
    HHOOK m_hKeyboardHook;
    // The DPI the controls are laid out for, and the template's font at the DPI it was made for.
    UINT m_dpi;
    UINT m_templateDpi;
    LOGFONTW m_templateFont;
    CFontHandle m_scaledFont;
};

// Runs the dialog on copies of the source; on OK (OPTIONS_RESULT_OK) fills `edited`. While the
// dialog is open, *openDialog (when given) holds its window.
UINT_PTR ShowOptionsDialog(const OptionsDialogSource& source, EditedConfiguration* edited, HWND* openDialog);
// Whether the control shows a label of its own (left-aligned static text, check box, radio button,
// push button or group box title): those get a mnemonic and must show their whole text.
BOOL TakesMnemonic(HWND control);
