#pragma once
#include <windows.h>
#include <commctrl.h>

#include "lib/ImageListHandle.h"
#include "lib/KernelHandle.h"
#include "lib/TableExport.h"

#include <map>
#include <string>

// A report-style list view: columns, rows with sub-item texts and small images, rows with their
// own colours, copying rows to the clipboard and saving them as XML, HTML, RTF, CSV or text
// through its context menu (or Insert, C, A and the menu key).
class CListview {
public:
    enum Command { CommandCopySelected = 1, CommandCopyAll, CommandSaveSelected, CommandSaveAll };

    explicit CListview(HWND listview);
    ~CListview();
    CListview(const CListview&) = delete;
    CListview& operator=(const CListview&) = delete;

    HWND GetWindow() const { return m_hListview; }

    int AddColumn(LPCWSTR title, int width);
    BOOL SetColumnTitle(int column, LPCWSTR title);

    // The row's index, -1 on failure.
    int InsertRow(LPCWSTR text, int position, int image);
    BOOL SetSubItemText(int row, int column, LPCWSTR text);
    BOOL SetRowImage(int row, int image);
    int GetRowImage(int row) const;
    // Colours the row in the control's custom drawing and in the HTML and RTF exports.
    void SetRowColors(int row, COLORREF background, COLORREF text);
    // The image's index in the small-icon list (created on first use), -1 on failure.
    int AddIcon(HICON icon);

    BOOL DeleteRow(int row);
    BOOL DeleteAllRows();
    // -1 when no row is selected.
    int GetFirstSelectedRow() const;

    // WM_NOTIFY from the control or its header. TRUE when handled.
    BOOL OnNotify(LPARAM lParam, LRESULT* result = nullptr);

    // The titles and the rows (all, or the selected ones) as they are exported.
    ExportTable ReadTable(BOOL selectedOnly) const;
    BOOL CopyRows(BOOL selectedOnly);
    // Writes the rows into the file in the format of its extension; reports a file that cannot be
    // created, with nothing written.
    BOOL SaveRowsToFile(LPCWSTR path, BOOL selectedOnly);
    // Asks for the file, saves, and offers to open the saved document.
    BOOL SaveRows(BOOL selectedOnly);
    // Shows the context menu at the screen point and runs the chosen command.
    void ShowContextMenu(POINT point);
    void RunCommand(UINT command);

    // The options dialog switches sorting and its column click off.
    BOOL m_bSortingEnabled;
    BOOL m_bColumnClickEnabled;

private:
    // Changes to the rows wait for each other, so a filling thread cannot interleave with the
    // user-interface thread.
    class RowLock {
    public:
        explicit RowLock(HANDLE event);
        ~RowLock();
        BOOL Held() const { return m_held; }

    private:
        HANDLE m_event;
        BOOL m_held;
    };

    void SortByColumn(int column);
    std::wstring CellText(int row, int column) const;
    int ColumnCount() const;
    LPARAM RowKey(int row) const;

    HWND m_hListview;
    HWND m_hParent;
    CImageListHandle m_hImageList;
    CKernelHandle m_hRowEvent;
    LPARAM m_nextRowKey;
    std::map<LPARAM, std::pair<COLORREF, COLORREF>> m_rowColors; // background, text
    int m_sortColumn;
    BOOL m_sortAscending;
};
