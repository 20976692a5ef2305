#pragma once
#include <windows.h>

// What a folder menu build reads, as a folder item's settings say.
struct FolderMenuBuildOptions {
    // Subfolders (and shortcuts to folders) are shown; else only the files of the folders.
    BOOL includeSubFolders = FALSE;
    // Subfolders open as submenus; else they are entries that open the folder.
    BOOL allowSubFoldersNavigation = FALSE;
    // Shortcuts to folders and libraries open as submenus too.
    BOOL allowSubFoldersLinksNavigation = FALSE;
};
