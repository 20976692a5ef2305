#include "menus/FolderMenu.h"

#include "lib/IconHandle.h"
#include "lib/IconOverlay.h"
#include "lib/KernelHandle.h"
#include "menus/FolderListing.h"
#include "menus/FolderMenuPaths.h"

#include <shellapi.h>

#include <cwchar>

namespace {

// The file name without its extension, into a MAX_PATH buffer.
void CopyWithoutExtension(LPCWSTR fileName, LPWSTR name) {
    CopyPathCut(name, fileName);
    LPWSTR extension = const_cast<LPWSTR>(FindExtension(name));
    if (*extension)
        extension[-1] = L'\0';
}

} // namespace

BOOL CFolderMenu::ReadFolderIntoLevel(CFolderMenuLevel* level, LPCWSTR folder, BOOL merge) {
    if (!level || !level->GetMenu())
        return FALSE;
    // One buffer serves as search pattern and, with each found name in place of the "*", as the
    // full path of every result.
    WCHAR path[kPathBufferLength + 2];
    size_t folderLength = CopyFolderWithBackslash(path, folder);
    path[folderLength] = L'*';
    path[folderLength + 1] = L'\0';
    level->SetFilled(TRUE);

    WIN32_FIND_DATAW found;
    CFindHandle search(OpenFolderListing(path, &found));
    // A drive root without any file has nothing to enumerate, yet it was read.
    BOOL opened = search || GetLastError() == ERROR_FILE_NOT_FOUND;
    if (search) {
        do {
            size_t nameLength = wcslen(found.cFileName);
            if (folderLength + nameLength > kMaxPathLength)
                continue;
            wmemcpy(path + folderLength, found.cFileName, nameLength + 1);
            m_pListedFile = &found;
            m_listedPath = path;
            AddPath(level, path, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, merge);
            m_pListedFile = nullptr;
        } while (FindNextFileW(search.Get(), &found));
    }
    if (!merge)
        InsertLevelItems(level, TRUE);
    return opened;
}

BOOL CFolderMenu::AddPath(CFolderMenuLevel* level, LPCWSTR fullPath, BOOL isDirectory, BOOL merge) {
    WCHAR path[kPathBufferLength];
    CopyPathCut(path, fullPath);
    for (LPWSTR character = path; *character; ++character) {
        if (*character == L'/')
            *character = L'\\';
    }
    LPCWSTR fileName = FindLastComponent(path);
    BOOL isLibrary = IsLibraryExtension(FindExtension(path));
    if (!m_includeSubFolders) {
        if (isDirectory || isLibrary)
            return FALSE;
        return AddEntry(level, path, fileName, FALSE, FALSE, merge, FALSE, nullptr);
    }

    WCHAR shortcutName[kPathBufferLength];
    WCHAR target[kPathBufferLength];
    LPCWSTR name = fileName;
    LPCWSTR entryPath = path;
    if (m_allowSubFoldersNavigation) {
        if (isLibrary) {
            CopyWithoutExtension(fileName, shortcutName);
            return AddLibrary(level, path, shortcutName, merge);
        }
        if (m_allowSubFoldersLinksNavigation && IsShortcutExtension(FindExtension(path)) &&
            ResolveListedShortcut(path, target)) {
            if (IsExistingDirectory(target)) {
                CopyWithoutExtension(fileName, shortcutName);
                name = shortcutName;
                entryPath = target;
                isDirectory = TRUE;
            } else if (IsLibraryExtension(FindExtension(target))) {
                CopyWithoutExtension(fileName, shortcutName);
                return AddLibrary(level, target, shortcutName, merge);
            }
        }
    }
    if (isDirectory) {
        if (IsDotOrDotDot(fileName))
            return FALSE;
        FolderKnowledge known = KnownVisibility(entryPath);
        if (known == FolderEmpty)
            return FALSE;
        if (known == FolderUnknown)
            return AddAwaitedFolder(level, entryPath, name, merge);
    }
    CFolderMenuItem* entry = nullptr;
    if (!AddEntry(level, entryPath, name, isDirectory, isDirectory && m_allowSubFoldersNavigation, merge, FALSE,
                  &entry))
        return FALSE;
    // A folder that holds a shown file settles a merged entry still waiting for its other folders.
    if (isDirectory && entry && !entry->m_holdsShownFile) {
        entry->m_holdsShownFile = TRUE;
        ShowResolvedIcon(level, entry);
    }
    return TRUE;
}

BOOL CFolderMenu::AddLibrary(CFolderMenuLevel* level, LPCWSTR libraryPath, LPCWSTR name, BOOL merge) {
    if (IsLibraryEmpty(libraryPath))
        return FALSE;
    CFolderMenuItem* entry = nullptr;
    if (!AddEntry(level, libraryPath, name, TRUE, TRUE, merge, FALSE, &entry) || !entry || !entry->SubMenuLevel())
        return FALSE;
    // Members are read now, with the parent; highlighting the submenu later only inserts them.
    ReadLibraryIntoLevel(entry->SubMenuLevel(), libraryPath);
    return TRUE;
}

BOOL CFolderMenu::AddEntry(CFolderMenuLevel* level, LPCWSTR path, LPCWSTR name, BOOL isFolder, BOOL makeSubMenu,
                           BOOL mergeByName, BOOL compareLastComponent, CFolderMenuItem** entry) {
    if (entry)
        *entry = nullptr;
    // Merged and filtered-out names are settled before the icon is asked for: an icon fetched only
    // to be destroyed would cost a large folder most of its listing time.
    CFolderMenuItem* found = mergeByName ? level->FindByName(name, compareLastComponent) : nullptr;
    if (found) {
        if (makeSubMenu)
            found->AddPath(path);
        if (entry)
            *entry = found;
        return TRUE;
    }
    if (!makeSubMenu && !isFolder && !IsFileShown(name))
        return FALSE;

    std::unique_ptr<CFolderMenuLevel> subMenuLevel;
    if (makeSubMenu && !(subMenuLevel = CreateSubLevel()))
        return FALSE;
    std::unique_ptr<CFolderMenuItem> created(new CFolderMenuItem(path, name, isFolder, std::move(subMenuLevel)));
    AttachEntryIcon(created.get());
    CFolderMenuItem* added = level->Append(std::move(created));
    if (entry)
        *entry = added;
    return TRUE;
}

void CFolderMenu::AttachEntryIcon(CFolderMenuItem* entry) {
    LPCWSTR path = entry->m_paths.front().c_str();
    // An entry of the folder being listed takes its stamp from the find data; a shortcut's target
    // or a library's member asks the file system.
    BOOL stamped = TRUE;
    if (m_pListedFile && wcscmp(path, m_listedPath) == 0)
        entry->m_iconStamp = FileStamp::FromFindData(*m_pListedFile);
    else
        stamped = FileStamp::Read(path, &entry->m_iconStamp);
    entry->m_hTypeIcon =
        m_typeIcons.IconOf(path, entry->m_isFolder, stamped ? entry->m_iconStamp.attributes : INVALID_FILE_ATTRIBUTES);
    if (entry->m_hTypeIcon)
        return;
    // A shortcut's icon follows its target, which its own stamp does not show; it is read anew when
    // the shortcut changes or the program starts again.
    entry->m_hasIconStamp = stamped;
    if (stamped)
        entry->m_hIcon = m_iconCache.Take(entry->m_paths.front(), entry->m_iconStamp);
    if (entry->m_hIcon)
        return;
    // Reading the file's own icon costs milliseconds; most entries of a large folder never show.
    entry->m_hTypeIcon = m_typeIcons.GenericIconOf(path, entry->m_isFolder);
    entry->m_iconPending = entry->m_hTypeIcon != nullptr;
    if (!entry->m_iconPending)
        FetchItemIcon(reinterpret_cast<ULONG_PTR>(entry));
}

HICON CFolderMenu::FetchItemIcon(ULONG_PTR key) {
    auto* entry = reinterpret_cast<CFolderMenuItem*>(key);
    entry->m_iconPending = FALSE;
    entry->m_hIcon.Reset(LoadEntryIcon(entry->m_paths.front().c_str()));
    CPopUpMenu::ForgetIcon(entry->m_hIcon.Get());
    entry->m_hasIconStamp = entry->m_hasIconStamp && entry->m_hIcon;
    if (!entry->m_hIcon)
        return nullptr;
    // A folder still unknown keeps its mark until its listing answers.
    entry->m_hShownIcon = entry->Icon();
    return entry->Icon();
}

HICON CFolderMenu::LoadEntryIcon(LPCWSTR path) {
    if (!IsShortcutExtension(FindExtension(path)))
        return m_shellIcons.SmallIconOf(path);
    if (HICON icon = LoadShortcutTargetIcon(path))
        return m_hideShortcutsOverlay ? icon : AddLinkOverlay(icon);
    if (m_hideShortcutsOverlay) {
        // The icon the shortcut names, or else its target's: neither carries the arrow.
        WCHAR target[kPathBufferLength] = L"";
        if (HICON icon = LoadShortcutIcon(path, target))
            return icon;
        if (HICON icon = target[0] ? m_shellIcons.SmallIconOf(target) : nullptr)
            return icon;
    }
    // A shortcut whose target is gone keeps its own icon, arrow and all.
    return AddLinkOverlay(m_shellIcons.SmallIconOf(path));
}

HICON CFolderMenu::LoadShortcutTargetIcon(LPCWSTR shortcutPath) {
    WCHAR target[kPathBufferLength];
    BOOL namesItsIcon = TRUE;
    if (!ReadShortcutFile(shortcutPath, target, &namesItsIcon) || namesItsIcon)
        return nullptr;
    // Asking the shell about the shortcut itself reads the file and its target's icon anew, ten
    // milliseconds under Wine; a target of a common type shows the icon its type shares.
    DWORD attributes = GetFileAttributesW(target);
    BOOL isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (HICON shared = m_typeIcons.IconOf(target, isFolder, attributes))
        return CopyIcon(shared);
    return m_shellIcons.SmallIconOf(target);
}

HICON CFolderMenu::AddLinkOverlay(HICON icon) {
    // The shell gives a shortcut file's icon without the arrow its views draw over it.
    if (!icon)
        return nullptr;
    CIconHandle plain(icon);
    if (!m_linkOverlay)
        m_linkOverlay.Reset(LoadLinkOverlayIcon(m_iconSize));
    HICON marked = CreateIconWithOverlay(icon, m_linkOverlay.Get(), m_iconSize);
    return marked ? marked : plain.Detach();
}

BOOL CFolderMenu::FilterAccepts(const CFileNameFilter* filter, LPCWSTR fileName) {
    return !filter || filter->Accepts(fileName);
}

BOOL CFolderMenu::IsFileShown(LPCWSTR fileName) const {
    return FilterAccepts(m_inclusionFilter.get(), fileName) && FilterAccepts(m_exclusionFilter.get(), fileName);
}
