#pragma once
#include <windows.h>

#include <string>

class CGenericPathwrenObject;
class CLanguage;

// Where the options put an item's shortcut.
enum class ItemShortcutPlace {
    BesideFolders, // "Shortcuts" beside the folders file, from where the user pins it
    StartMenu,     // the user's Start menu, "Programs\Pathwren"
};

// The folder of that place for this configuration; empty when the system has none.
std::wstring ItemShortcutFolder(ItemShortcutPlace place, LPCWSTR foldersFile);

// Writes the item's shortcut into the folder: this program with "--show ID", the item's icon (or
// its folder's) and an application user model identifier of the item's own, so that the taskbar
// gives the pinned shortcut a button of its own. Gives the item an identifier when it has none.
// The path written, empty on failure.
std::wstring WriteItemShortcut(CGenericPathwrenObject& item, const std::wstring& folder);

// The dialog's buttons: writes the shortcut, shows it selected in its folder and, the first time
// the folder is made, how to pin it. Errors are shown to the user.
void OfferItemShortcut(HWND dialog, CGenericPathwrenObject& item, ItemShortcutPlace place, LPCWSTR foldersFile,
                       const CLanguage& language);

// Shows a file selected in its folder; tests replace it to keep the shell's windows away.
extern void (*g_showFileInFolder)(LPCWSTR path);
