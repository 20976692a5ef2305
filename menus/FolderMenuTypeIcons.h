#pragma once
#include "lib/IconHandle.h"

#include <windows.h>

#include <string>
#include <unordered_map>

// The icons a folder menu shares between entries: one per file type whose icon is the same for
// all its files, and one for plain folders. Each is looked up once, by extension, from the system
// image list without touching the file, and made into one icon however many entries show it; so
// a folder of thousands of files of a few types holds a few icons, not thousands.
//
// Types whose icon depends on the file (programs, icons, cursors, shortcuts...) and folders that
// may carry their own icon (read-only or system) get none here: the caller asks the shell about
// the file itself. The icons live as long as the object; a later menu build reuses them. What the
// registry and the shell say about a type (whether its files differ, which image it takes) is
// shared by every object on the thread: under Wine each registry read is a round trip to the
// server, and the menus of a program with many items would each ask the same questions.
class CFolderMenuTypeIcons {
public:
    CFolderMenuTypeIcons() = default;
    CFolderMenuTypeIcons(const CFolderMenuTypeIcons&) = delete;
    CFolderMenuTypeIcons& operator=(const CFolderMenuTypeIcons&) = delete;

    // The shared icon of the entry's type, null when the entry needs an icon of its own or the
    // shell has none. The icon stays this object's. The attributes are read from the path when
    // INVALID_FILE_ATTRIBUTES is given.
    HICON IconOf(LPCWSTR path, BOOL isFolder, DWORD attributes);
    // The icon the entry's type shows in general, to stand in for one of its own until that is read.
    HICON GenericIconOf(LPCWSTR path, BOOL isFolder);
    // Whether files of this extension (without the dot) may each show a different icon.
    BOOL IsPerFileType(const std::wstring& extension);
    // Drops every icon, for when the shell announces changed file associations or the menu's
    // icon size changes; entries that show one must be gone first. Icons are taken at the size
    // given, from the system image list nearest to it. The thread's shared answers about types are
    // asked again too, so the first menu to hear of a change makes every menu see it.
    void Clear(int iconSize);

private:
    struct TypeFacts {
        std::unordered_map<std::wstring, int> indexOfExtension; // -1: per file or no icon
        std::unordered_map<std::wstring, int> genericIndexOfExtension;
        std::unordered_map<std::wstring, BOOL> perFile;
        int folderIndex = -2; // -2 until asked
    };
    static TypeFacts& FactsOfThisThread();

    HICON IconOfIndex(int index);
    int FolderIndex();
    int GenericIndexOf(const std::wstring& extension);
    static BOOL RegistrySaysPerFile(const std::wstring& extension);

    TypeFacts& m_facts = FactsOfThisThread();
    std::unordered_map<int, CIconHandle> m_iconOfIndex;
    int m_iconSize = GetSystemMetrics(SM_CXSMICON);
};
