#pragma once
#include "menus/FileNameFilter.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// Whether a folder would show anything in a folder menu with given filters and settings: a file
// the filters accept, here or (with subfolders included) in a subfolder or a folder a shortcut
// leads to. It holds its own copy of everything it asks, so any thread may use it while the menu
// changes its settings.
class CFolderVisibility {
public:
    CFolderVisibility(LPCWSTR inclusionFilter, LPCWSTR exclusionFilter, BOOL includeSubFolders,
                      BOOL allowSubFoldersLinksNavigation);
    CFolderVisibility(const CFolderVisibility&) = delete;
    CFolderVisibility& operator=(const CFolderVisibility&) = delete;

    // TRUE when nothing of the folder would show. Paths of 258 characters and more, and folders
    // that cannot be read, count as empty. A plain file found shown directly in the folder, which
    // keeps the folder shown for as long as it exists, goes to shownFile (else it is emptied).
    BOOL IsWithoutVisibleFiles(LPCWSTR path, std::wstring* shownFile) const;
    BOOL IsFileShown(LPCWSTR fileName) const;
    // Ends the scans running with this object soon, with an answer nobody may use: a deep tree
    // takes seconds to scan, and the menu that asked is going.
    void Cancel() const { m_cancelled = true; }

private:
    // The folders whose shortcuts the scan followed to get where it is. A shortcut target that
    // occurs in one of them (or in the folder being scanned) leads back up the way the scan came.
    struct Scan {
        std::vector<std::wstring> followedFrom;
        int depth = 0;
        std::wstring* shownFile = nullptr;
    };

    BOOL IsWithoutVisibleFiles(LPCWSTR path, Scan& scan) const;
    BOOL IsShownInScan(LPCWSTR folder, LPCWSTR fullPath, LPCWSTR name, BOOL isDirectory, Scan& scan) const;
    BOOL IsShortcutShownInScan(LPCWSTR folder, LPCWSTR shortcutPath, LPCWSTR name, Scan& scan) const;
    BOOL IsTargetFolderShownInScan(LPCWSTR folder, LPCWSTR target, Scan& scan) const;

    CFileNameFilter m_inclusionFilter;
    CFileNameFilter m_exclusionFilter;
    BOOL m_includeSubFolders;
    BOOL m_allowSubFoldersLinksNavigation;
    mutable std::atomic<bool> m_cancelled{false};
};
