#include "menus/FolderMenuLevel.h"

#include "menus/MenuNameOrder.h"

#include <algorithm>

namespace {

enum NameKey {
    NameKeyLastPathComponent = 0,
    NameKeyLastNameComponent = 1,
};

std::wstring_view TextAfterLastBackslash(const std::wstring& text) {
    size_t backslash = text.rfind(L'\\');
    std::wstring_view view(text);
    return backslash == std::wstring::npos ? view : view.substr(backslash + 1);
}

std::wstring_view KeyOf(const CFolderMenuItem& entry, NameKey key) {
    return TextAfterLastBackslash(key == NameKeyLastNameComponent ? entry.m_name : entry.m_paths.front());
}

} // namespace

CFolderMenuLevel::CFolderMenuLevel(std::unique_ptr<CPopUpMenu> menu)
    : m_menu(std::move(menu)), m_filled(FALSE), m_indexedCounts{0, 0} {}

CFolderMenuItem* CFolderMenuLevel::Append(std::unique_ptr<CFolderMenuItem> entry) {
    m_entries.push_back(std::move(entry));
    return m_entries.back().get();
}

void CFolderMenuLevel::Remove(CFolderMenuItem* entry) {
    auto found = std::find_if(m_entries.begin(), m_entries.end(),
                              [entry](const std::unique_ptr<CFolderMenuItem>& held) { return held.get() == entry; });
    if (found == m_entries.end())
        return;
    ForgetNames();
    m_entries.erase(found);
}

CFolderMenuItem* CFolderMenuLevel::FindEntryOfCommand(UINT commandId) const {
    if (commandId == 0)
        return nullptr;
    for (const auto& entry : m_entries) {
        if (entry->m_commandId == commandId)
            return entry.get();
    }
    return nullptr;
}

CFolderMenuItem* CFolderMenuLevel::FindByName(LPCWSTR name, BOOL compareLastComponent) {
    NameKey key = compareLastComponent ? NameKeyLastNameComponent : NameKeyLastPathComponent;
    NameIndex& index = m_nameIndexes[key];
    // emplace keeps the entry already there, so among equal keys the first added wins.
    for (size_t& indexed = m_indexedCounts[key]; indexed < m_entries.size(); ++indexed)
        index.emplace(std::wstring(KeyOf(*m_entries[indexed], key)), m_entries[indexed].get());
    auto found = index.find(std::wstring(name));
    return found == index.end() ? nullptr : found->second;
}

void CFolderMenuLevel::SortEntries(UINT foldersPosition) {
    ForgetNames();
    bool grouped = foldersPosition == 0 || foldersPosition == 1;
    bool foldersFirst = foldersPosition == 0;
    std::sort(m_entries.begin(), m_entries.end(),
              [grouped, foldersFirst](const std::unique_ptr<CFolderMenuItem>& first,
                                      const std::unique_ptr<CFolderMenuItem>& second) {
                  if (grouped && !first->m_isFolder != !second->m_isFolder)
                      return foldersFirst == !!first->m_isFolder;
                  return CompareMenuNames(first->m_name.c_str(), second->m_name.c_str()) < 0;
              });
}

void CFolderMenuLevel::ForgetNames() {
    for (int key = 0; key < 2; ++key) {
        m_nameIndexes[key].clear();
        m_indexedCounts[key] = 0;
    }
}
