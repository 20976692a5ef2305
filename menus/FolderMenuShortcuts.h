#pragma once
#include "menus/FolderMenuIconCache.h"

#include <windows.h>

#include <string>
#include <unordered_map>

// Where the shortcuts of a folder menu lead. Resolving a shortcut through the shell costs
// milliseconds, and every build lists every shortcut again, so the targets found by this build and
// by the one before are kept by the shortcut file's stamp.
//
// The static operations touch no state and may run on any thread with COM initialised.
class CFolderMenuShortcuts {
public:
    CFolderMenuShortcuts() = default;
    CFolderMenuShortcuts(const CFolderMenuShortcuts&) = delete;
    CFolderMenuShortcuts& operator=(const CFolderMenuShortcuts&) = delete;

    // The existing local target the shortcut file keeps, read from its bytes, and whether the
    // shortcut names an icon of its own; FALSE when the file does not say, for the shell to decide.
    static BOOL ReadShortcutFile(LPCWSTR shortcutPath, LPWSTR target, BOOL* namesItsIcon);
    // The path a shortcut leads to, into a buffer of MAX_PATH characters.
    static BOOL ResolveTarget(LPCWSTR shortcutPath, LPWSTR target);
    // The icon the shortcut names, as a new small icon the caller destroys; null when it names none
    // or the icon cannot be read, and then its resolved target, if any, goes to targetPath.
    static HICON LoadNamedIcon(LPCWSTR shortcutPath, LPWSTR targetPath);

    // ResolveTarget for a shortcut being listed, whose stamp is at hand from the listing.
    BOOL ResolveListed(LPCWSTR shortcutPath, const FileStamp& stamp, LPWSTR target);
    // The targets of the build before become the older ones; those of two builds ago go.
    void StartBuild();

private:
    struct ResolvedShortcut {
        FileStamp stamp;
        std::wstring target; // empty when it could not be resolved
    };
    std::unordered_map<std::wstring, ResolvedShortcut> m_targets[2]; // this build's, the one before
};
