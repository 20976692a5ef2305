#pragma once
#include "config/SingleFolderOptions.h"
#include "menus/FolderMenu.h"
#include "support/TempDirectory.h"

#include <windows.h>

#include <string>
#include <vector>

// A scratch folder tree for folder menu tests, removed with everything in it (paths past the
// 260-character limit included).
class FolderTree {
public:
    FolderTree() = default;
    ~FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    const std::wstring& Root() const { return m_directory.Path(); }
    // Root() + "\" + relative.
    std::wstring Path(const std::wstring& relative) const { return m_directory.File(relative); }

    // Each creates the folders on the way and returns the full path.
    std::wstring AddFile(const std::wstring& relative, const std::string& content = "");
    std::wstring AddFolder(const std::wstring& relative);
    // A shell link to target, made by the shell's own link object.
    std::wstring AddShortcut(const std::wstring& relative, const std::wstring& target);
    // A shell library description without any location.
    std::wstring AddEmptyLibrary(const std::wstring& relative);
    // A script that writes its marker text into the file `marker` when it runs.
    std::wstring AddMarkerScript(const std::wstring& relative, const std::wstring& marker, const std::string& text);

private:
    TempDirectory m_directory;
};

// A folder record as a "Multiple Folders Menu" item holds it.
MergedFolder FolderRecord(const std::wstring& directory, INT merged = 0, const std::wstring& mergedName = L"");

// The texts of a menu's items, in order.
std::vector<std::wstring> MenuItemTexts(HMENU menu);
// The position of the first item with this text, or -1.
int FindItemPosition(HMENU menu, const std::wstring& text);
// The submenu of the item with this text, or null.
HMENU FindSubMenu(HMENU menu, const std::wstring& text);
// The command of the item with this text, or 0.
UINT FindCommand(HMENU menu, const std::wstring& text);
// Tells the folder menu that the submenu item with this text was highlighted, as the menu loop does.
void HighlightSubMenuItem(CFolderMenu& folderMenu, HMENU menu, const std::wstring& text);

// Waits for a file to exist and returns its bytes as text ("" when it never came).
std::string WaitForFileText(const std::wstring& path, DWORD timeoutMs);
