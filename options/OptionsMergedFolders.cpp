#include "options/OptionsMergedFolders.h"

#include "config/Language.h"
#include "config/SpecialPath.h"
#include "lib/StringCopy.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>

void COptionsMergedFolders::Attach(HWND list, const CLanguage& language, HICON defaultIcon) {
    m_hDefaultIcon = defaultIcon;
    m_list.reset(new CListview(list));
    m_list->m_bSortingEnabled = FALSE;
    m_list->m_bColumnClickEnabled = FALSE;
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_ONECLICKACTIVATE | LVS_EX_TWOCLICKACTIVATE |
                                                LVS_EX_FULLROWSELECT);
    m_list->AddColumn(language.Folders, 370);
    m_list->AddColumn(language.Type, 110);
    m_list->AddColumn(language.Merged, 70);
}

void COptionsMergedFolders::SetColumnTitles(const CLanguage& language) {
    if (!m_list)
        return;
    m_list->SetColumnTitle(0, language.Folders);
    m_list->SetColumnTitle(1, language.Type);
    m_list->SetColumnTitle(2, language.Merged);
}

void COptionsMergedFolders::Load(const std::vector<MergedFolder>& folders, const CLanguage& language) {
    m_list->DeleteAllRows();
    m_icons.clear();
    m_folders.clear();
    for (const MergedFolder& folder : folders)
        Add(folder, language);
}

void COptionsMergedFolders::Add(const MergedFolder& folder, const CLanguage& language) {
    m_folders.push_back(folder);
    AppendRow(folder, static_cast<int>(m_folders.size()) - 1, -1, language);
}

void COptionsMergedFolders::RemoveSelected() {
    int row = m_list->GetFirstSelectedRow();
    if (row < 0 || row >= static_cast<int>(m_folders.size()))
        return;
    m_list->DeleteRow(row);
    m_folders.erase(m_folders.begin() + row);
}

void COptionsMergedFolders::MoveSelected(BOOL up, const CLanguage& language) {
    int row = m_list->GetFirstSelectedRow();
    int count = static_cast<int>(m_folders.size());
    if (row < 0 || row >= count || (up && row == 0) || (!up && row == count - 1))
        return;
    int upper = up ? row - 1 : row;
    std::swap(m_folders[upper], m_folders[upper + 1]);
    // The row that was above now belongs below its old neighbour.
    int image = m_list->GetRowImage(upper);
    m_list->DeleteRow(upper);
    AppendRow(m_folders[upper + 1], upper + 1, image, language);
    int selected = up ? row - 1 : row + 1;
    ListView_SetItemState(m_list->GetWindow(), selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    InvalidateRect(m_list->GetWindow(), nullptr, TRUE);
}

void COptionsMergedFolders::AppendRow(const MergedFolder& folder, int position, int image, const CLanguage& language) {
    WCHAR resolved[MAX_PATH] = L"";
    if (!ResolveSpecialPath(folder.Directory, resolved))
        CopyTruncated(resolved, folder.Directory);
    if (image < 0) {
        SHFILEINFOW info = {};
        SHGetFileInfoW(resolved, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
        if (info.hIcon)
            m_icons.emplace_back(info.hIcon);
        image = m_list->AddIcon(info.hIcon ? info.hIcon : m_hDefaultIcon);
    }
    int row = m_list->InsertRow(resolved, position, image);
    BOOL special = _wcsnicmp(folder.Directory, L"::CSIDL:", 8) == 0;
    m_list->SetSubItemText(row, 1, special ? language.SystemSpecialPath : language.LocalOrRelativePath);
    m_list->SetSubItemText(row, 2, folder.MergedMenu ? folder.MergedMenuName : L"");
}
