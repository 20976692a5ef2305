#include "menus/FolderVisibility.h"

#include "lib/KernelHandle.h"
#include "menus/FolderListing.h"
#include "menus/FolderMenuListing.h"
#include "menus/FolderMenuShortcuts.h"
#include "menus/FolderMenuPaths.h"

#include <cwchar>

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

CFolderVisibility::CFolderVisibility(LPCWSTR inclusionFilter, LPCWSTR exclusionFilter, BOOL includeSubFolders,
                                     BOOL allowSubFoldersLinksNavigation)
    : m_inclusionFilter(FileNameFilterInclusion, inclusionFilter),
      m_exclusionFilter(FileNameFilterExclusion, exclusionFilter), m_includeSubFolders(includeSubFolders),
      m_allowSubFoldersLinksNavigation(allowSubFoldersLinksNavigation) {}

BOOL CFolderVisibility::IsFileShown(LPCWSTR fileName) const {
    return m_inclusionFilter.Accepts(fileName) && m_exclusionFilter.Accepts(fileName);
}

BOOL CFolderVisibility::IsWithoutVisibleFiles(LPCWSTR path, std::wstring* shownFile) const {
    Scan scan;
    scan.shownFile = shownFile;
    if (shownFile)
        shownFile->clear();
    return IsWithoutVisibleFiles(path, scan);
}

BOOL CFolderVisibility::IsWithoutVisibleFiles(LPCWSTR path, Scan& scan) const {
    size_t pathLength = path ? wcslen(path) : 0;
    if (pathLength == 0 || pathLength >= kHiddenFolderPathLength)
        return TRUE;
    if (scan.depth >= kMaxScanDepth || m_cancelled)
        return FALSE;
    WCHAR fullPath[kPathBufferLength + 2];
    size_t folderLength = CopyFolderWithBackslash(fullPath, path);
    fullPath[folderLength] = L'*';
    fullPath[folderLength + 1] = L'\0';

    WIN32_FIND_DATAW found;
    CFindHandle search(OpenFolderListing(fullPath, &found));
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
        if (scan.depth == 1 && scan.shownFile && !isDirectory && !IsShortcutExtension(FindExtension(found.cFileName)))
            *scan.shownFile = fullPath;
    } while (withoutVisibleFiles && !m_cancelled && FindNextFileW(search.Get(), &found));
    --scan.depth;
    return withoutVisibleFiles;
}

BOOL CFolderVisibility::IsShownInScan(LPCWSTR folder, LPCWSTR fullPath, LPCWSTR name, BOOL isDirectory,
                                      Scan& scan) const {
    if (isDirectory) {
        // A plain subfolder's path is longer than its folder's, so it cannot lead back up: only
        // shortcut targets need the loop test.
        if (!m_includeSubFolders || IsDotOrDotDot(name))
            return FALSE;
        return !IsWithoutVisibleFiles(fullPath, scan);
    }
    if (m_allowSubFoldersLinksNavigation && IsShortcutExtension(FindExtension(name)))
        return IsShortcutShownInScan(folder, fullPath, name, scan);
    return IsFileShown(name);
}

// A shortcut to a folder or a library shows what they hold; any other shortcut is a file.
BOOL CFolderVisibility::IsShortcutShownInScan(LPCWSTR folder, LPCWSTR shortcutPath, LPCWSTR name, Scan& scan) const {
    WCHAR target[kPathBufferLength];
    if (!CFolderMenuShortcuts::ResolveTarget(shortcutPath, target))
        return IsFileShown(name);
    if (IsExistingDirectory(target))
        return m_includeSubFolders && IsTargetFolderShownInScan(folder, target, scan);
    if (IsLibraryExtension(FindExtension(target)))
        return m_includeSubFolders && !CFolderMenuListing::IsLibraryEmpty(target);
    return IsFileShown(name);
}

BOOL CFolderVisibility::IsTargetFolderShownInScan(LPCWSTR folder, LPCWSTR target, Scan& scan) const {
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
    BOOL shown = !IsWithoutVisibleFiles(target, scan);
    scan.followedFrom.pop_back();
    return shown;
}
