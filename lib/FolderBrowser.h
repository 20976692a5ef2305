#pragma once
#include <windows.h>
#include <shlobj.h>

// Everything one folder-browse dialog needs; the dialog's callback reaches it through the
// BROWSEINFOW's lParam, so it must stay in place until BrowseForFolder returns.
struct BrowseFolderState {
    WCHAR initialPath[MAX_PATH];
    BROWSEINFOW browseInfo;
    // The chosen folder; while the dialog runs it follows the selection.
    WCHAR chosenPath[MAX_PATH];
};

// Lets the user choose a folder in the shell's dialog, centred over the owner (or the screen) and
// starting at initialPath, or at the current directory when that is null or empty. TRUE when a
// folder with a file-system path was chosen; the path is then in state->chosenPath, else it is empty.
BOOL BrowseForFolder(BrowseFolderState* state, HWND owner, LPCWSTR initialPath);
