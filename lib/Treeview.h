#pragma once
#include <windows.h>
#include <commctrl.h>

#include "lib/ImageListHandle.h"
#include "lib/TreeExport.h"

class CTreeview;

// What a tree view reports to its owner.
class ITreeviewEvents {
public:
    virtual ~ITreeviewEvents() {}
    // A context menu command that is not one of the tree's own.
    virtual void OnContextCommand(CTreeview* tree, UINT command) = 0;
    // A click on the item's state icon (its check box), or the space bar on it.
    virtual void OnStateIconClick(CTreeview* tree, HTREEITEM item) = 0;
    virtual void OnSelChanged(CTreeview* tree, const NMTREEVIEWW* change) = 0;
    virtual void OnDoubleClick(CTreeview* tree, HTREEITEM item) = 0;
};

class CTreeviewEventsBase : public ITreeviewEvents {
public:
    void OnContextCommand(CTreeview*, UINT) override {}
    void OnStateIconClick(CTreeview*, HTREEITEM) override {}
    void OnSelChanged(CTreeview*, const NMTREEVIEWW*) override {}
    void OnDoubleClick(CTreeview*, HTREEITEM) override {}
};

// A tree view control with an image list, recursive expansion, notifications forwarded to a sink,
// and a context menu that copies an item's text or exports the tree as XML, HTML or indented text.
class CTreeview {
public:
    enum Command { CommandCopySelected = 1, CommandExportSelected, CommandExportExpanded, CommandExportAll };
    enum class ExportScope { Selected, Expanded, All };

    // The sink is not owned; it may be null.
    CTreeview(HWND tree, ITreeviewEvents* events);
    ~CTreeview();
    CTreeview(const CTreeview&) = delete;
    CTreeview& operator=(const CTreeview&) = delete;

    HWND GetWindow() const { return m_hTree; }
    // -1 when the image list cannot be created.
    int AddIcon(HICON icon);
    // Drops every image; later icons are added at the new size. The nodes still name their old
    // images until the caller gives them new ones.
    void ResetImages(int iconSize);
    // An item showing the image (from AddIcon) selected or not; null when it cannot be inserted.
    HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, LPCWSTR text, LPARAM param, int image);
    BOOL GetItemParam(HTREEITEM item, LPARAM* param) const;
    // Expands the item and every item below it.
    void ExpandAll(HTREEITEM item);

    // WM_NOTIFY; TRUE when handled.
    BOOL OnNotify(LPARAM lParam, LRESULT* result = nullptr);

    // The part of the tree an export writes, as it is written.
    std::vector<ExportTreeItem> ReadItems(ExportScope scope) const;
    // Writes the export into the file in the format of its extension; reports a file that cannot
    // be created.
    BOOL ExportToFile(LPCWSTR path, ExportScope scope);
    // Asks for the file, exports, and offers to show the result.
    BOOL Export(ExportScope scope);
    void RunCommand(UINT command);

    // The options dialog switches the context menu off.
    BOOL m_bContextMenuEnabled;
    // The side of the images, in pixels; taken when the first icon is added.
    int m_iconSize;

private:
    ExportTreeItem ReadItem(HTREEITEM item) const;
    std::wstring ItemText(HTREEITEM item) const;
    HTREEITEM HitTest(UINT flags) const;
    void ShowContextMenu();

    HWND m_hTree;
    HWND m_hParent;
    CImageListHandle m_hImageList;
    ITreeviewEvents* m_pEvents;
};
