#pragma once
#include <windows.h>

#include "lib/IconHandle.h"
#include "lib/Listview.h"

#include <memory>
#include <vector>

#include "config/SingleFolderOptions.h"

class CLanguage;

// The folders of a "Multiple Folders Menu" item being edited, and the list that shows them: one row
// per folder, in order, with its icon, its kind of path and the name of the submenu it merges into.
class COptionsMergedFolders {
public:
    // Takes the dialog's list control; the icon stands in for a folder whose own cannot be read.
    void Attach(HWND list, const CLanguage& language, HICON defaultIcon);
    // Lets the list go before its window does.
    void Detach() { m_list.reset(); }
    CListview* List() const { return m_list.get(); }

    void SetColumnTitles(const CLanguage& language);
    // Shows these folders instead of the ones shown; empty clears the list.
    void Load(const std::vector<MergedFolder>& folders, const CLanguage& language);
    const std::vector<MergedFolder>& Folders() const { return m_folders; }
    void Add(const MergedFolder& folder, const CLanguage& language);
    void RemoveSelected();
    // Swaps the selected folder with the one above or below it, keeping it selected.
    void MoveSelected(BOOL up, const CLanguage& language);

private:
    void AppendRow(const MergedFolder& folder, int position, int image, const CLanguage& language);

    std::unique_ptr<CListview> m_list;
    std::vector<MergedFolder> m_folders;
    std::vector<CIconHandle> m_icons;
    HICON m_hDefaultIcon = nullptr; // not owned
};
