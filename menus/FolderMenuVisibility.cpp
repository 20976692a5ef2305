#include "menus/FolderMenu.h"

#include "lib/KernelHandle.h"
#include "menus/FolderMenuPaths.h"

#include <cwchar>
#include <string>
#include <vector>

namespace {

// Folders this deep are hidden: the listing could not show much below them anyway.
const size_t kHiddenFolderPathLength = 258;
// Plain nesting ends at the path length limit, but shortcuts start over with short paths. Past
// this depth the folder is shown rather than scanned further; its submenu is read only on demand.
const int kMaxScanDepth = 160;

std::wstring LowerCase(LPCWSTR text) {
    std::wstring lower(text);
    if (!lower.empty())
        CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
    return lower;
}

} // namespace

// The folders whose shortcuts the scan followed to get where it is. A shortcut target that occurs
// in one of them (or in the folder being scanned) leads back up the way the scan came.
struct CFolderMenu::VisibilityScan {
    std::vector<std::wstring> followedFrom;
    int depth = 0;
};

BOOL CFolderMenu::IsFolderWithoutVisibleFiles(LPCWSTR path) {
    if (path && IsKnownToHoldAShownFile(path))
        return FALSE;
    VisibilityScan scan;
    return IsFolderWithoutVisibleFiles(path, scan);
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

BOOL CFolderMenu::IsFolderWithoutVisibleFiles(LPCWSTR path, VisibilityScan& scan) {
    size_t pathLength = path ? wcslen(path) : 0;
    if (pathLength == 0 || pathLength >= kHiddenFolderPathLength)
        return TRUE;
    if (scan.depth >= kMaxScanDepth)
        return FALSE;
    WCHAR fullPath[kPathBufferLength + 2];
    size_t folderLength = CopyFolderWithBackslash(fullPath, path);
    fullPath[folderLength] = L'*';
    fullPath[folderLength + 1] = L'\0';

    WIN32_FIND_DATAW found;
    CFindHandle search(
        FindFirstFileExW(fullPath, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search)
        return TRUE;
    ++scan.depth;
    BOOL withoutVisibleFiles = TRUE;
    do {
        size_t nameLength = wcslen(found.cFileName);
        if (folderLength + nameLength > kMaxPathLength)
            continue;
        wmemcpy(fullPath + folderLength, found.cFileName, nameLength + 1);
        BOOL isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!IsShownInScan(path, fullPath, found.cFileName, isDirectory, scan))
            continue;
        withoutVisibleFiles = FALSE;
        // A file shown by the filters alone, unlike a shortcut or a subfolder, stays shown while
        // it exists.
        if (scan.depth == 1 && !isDirectory && !IsShortcutExtension(FindExtension(found.cFileName)))
            m_shownFileOfFolder[0][path] = fullPath;
    } while (withoutVisibleFiles && FindNextFileW(search.Get(), &found));
    --scan.depth;
    return withoutVisibleFiles;
}

BOOL CFolderMenu::IsShownInScan(LPCWSTR folder, LPCWSTR fullPath, LPCWSTR name, BOOL isDirectory,
                                VisibilityScan& scan) {
    if (isDirectory) {
        // A plain subfolder's path is longer than its folder's, so it cannot lead back up: only
        // shortcut targets need the loop test.
        if (!m_includeSubFolders || IsDotOrDotDot(name))
            return FALSE;
        return !IsFolderWithoutVisibleFiles(fullPath, scan);
    }
    if (m_allowSubFoldersLinksNavigation && IsShortcutExtension(FindExtension(name)))
        return IsShortcutShownInScan(folder, fullPath, name, scan);
    return IsFileShown(name);
}

// A shortcut to a folder or a library shows what they hold; any other shortcut is a file.
BOOL CFolderMenu::IsShortcutShownInScan(LPCWSTR folder, LPCWSTR shortcutPath, LPCWSTR name, VisibilityScan& scan) {
    WCHAR target[kPathBufferLength];
    if (!ResolveShortcutTarget(shortcutPath, target))
        return IsFileShown(name);
    if (IsExistingDirectory(target))
        return m_includeSubFolders && IsTargetFolderShownInScan(folder, target, scan);
    if (IsLibraryExtension(FindExtension(target)))
        return m_includeSubFolders && !IsLibraryEmpty(target);
    return IsFileShown(name);
}

BOOL CFolderMenu::IsTargetFolderShownInScan(LPCWSTR folder, LPCWSTR target, VisibilityScan& scan) {
    std::wstring lowerTarget = LowerCase(target);
    std::wstring lowerFolder = LowerCase(folder);
    // A shortcut up the tree (to the folder's parent, say) would make the scan go round forever; the
    // folder is shown, as the submenus it leads to are read only when opened.
    if (wcsstr(lowerFolder.c_str(), lowerTarget.c_str()))
        return TRUE;
    for (const std::wstring& followedFrom : scan.followedFrom) {
        if (wcsstr(followedFrom.c_str(), lowerTarget.c_str()))
            return TRUE;
    }
    scan.followedFrom.push_back(std::move(lowerFolder));
    BOOL shown = !IsFolderWithoutVisibleFiles(target, scan);
    scan.followedFrom.pop_back();
    return shown;
}
