#pragma once
#include <windows.h>

#include "lib/IconHandle.h"

#include <string>
#include <unordered_map>

// What a file looked like when its icon was read: a file whose stamp is unchanged keeps its icon.
struct FileStamp {
    FILETIME lastWrite;
    ULONGLONG size;
    DWORD attributes;

    static BOOL Read(LPCWSTR path, FileStamp* stamp);
    static FileStamp FromFindData(const WIN32_FIND_DATAW& found);
    bool operator==(const FileStamp& other) const;
};

// Icons of the previous build of a folder menu, offered to the next one and to the submenus it
// reads later. A folder menu is built anew after every showing, and asking the shell for an icon
// costs far more than listing the file (milliseconds per file under Wine, more for programs with
// embedded icons on Windows), so icons of files that did not change move from the old entries to
// the new ones instead.
//
// The cache owns what it keeps; Clear destroys the icons no new entry took.
class CFolderMenuIconCache {
public:
    CFolderMenuIconCache() = default;
    CFolderMenuIconCache(const CFolderMenuIconCache&) = delete;
    CFolderMenuIconCache& operator=(const CFolderMenuIconCache&) = delete;

    // A second icon for the same path replaces and destroys the first.
    void Keep(const std::wstring& path, const FileStamp& stamp, CIconHandle icon);
    // The kept icon of the path when its stamp is the same, handed over to the caller; else empty
    // (and a kept icon of another stamp destroyed).
    CIconHandle Take(const std::wstring& path, const FileStamp& stamp);
    void Clear() { m_icons.clear(); }

private:
    struct KeptIcon {
        FileStamp stamp;
        CIconHandle icon;
    };
    std::unordered_map<std::wstring, KeptIcon> m_icons;
};
