#include "menus/FolderMenu.h"

BOOL CFolderMenu::IsFolderWithoutVisibleFiles(LPCWSTR path) {
    if (path && IsKnownToHoldAShownFile(path))
        return FALSE;
    std::wstring shownFile;
    BOOL withoutVisibleFiles = CurrentVisibility()->IsWithoutVisibleFiles(path, &shownFile);
    if (!shownFile.empty())
        m_shownFileOfFolder[0][path] = shownFile;
    return withoutVisibleFiles;
}

BOOL CFolderMenu::IsKnownToHoldAShownFile(LPCWSTR folder) {
    // Asking for one file costs a fraction of listing a folder, and every build asks about every
    // subfolder.
    std::wstring key(folder);
    for (auto& shownFiles : m_shownFileOfFolder) {
        auto known = shownFiles.find(key);
        if (known == shownFiles.end())
            continue;
        DWORD attributes = GetFileAttributesW(known->second.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return FALSE;
        if (&shownFiles != &m_shownFileOfFolder[0])
            m_shownFileOfFolder[0][key] = known->second;
        return TRUE;
    }
    return FALSE;
}

const std::shared_ptr<const CFolderVisibility>& CFolderMenu::CurrentVisibility() {
    if (!m_visibility) {
        m_visibility = std::make_shared<const CFolderVisibility>(m_filterTexts[0].c_str(), m_filterTexts[1].c_str(),
                                                                 m_includeSubFolders, m_allowSubFoldersLinksNavigation);
        // Listings still running ask the old questions: their answers are not this build's.
        m_foldersBeingListed.clear();
        for (auto& answers : m_lateAnswers)
            answers.clear();
    }
    return m_visibility;
}

void CFolderMenu::RetireVisibility() {
    // Listings still running ask the old question; their answers would be dropped anyway.
    if (m_visibility)
        m_visibility->Cancel();
    m_visibility.reset();
}

CFolderMenu::FolderKnowledge CFolderMenu::KnownVisibility(const std::wstring& folder) {
    if (IsKnownToHoldAShownFile(folder.c_str()))
        return FolderShown;
    for (const auto& answers : m_lateAnswers) {
        auto answer = answers.find(folder);
        if (answer != answers.end())
            return answer->second ? FolderShown : FolderEmpty;
    }
    return FolderUnknown;
}
