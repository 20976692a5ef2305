#pragma once
#include "menus/FileNameFilter.h"
#include "menus/FolderMenuBuildOptions.h"
#include "menus/FolderMenuIconCache.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CBackgroundWork;

class CFolderMenuFolderAnswers;
class CFolderMenuLevel;
class CFolderMenuLevelBuilder;
class CFolderMenuShortcuts;

// Reads folders and shell libraries into folder menu levels: which files the filters show, what a
// subfolder, a library or a shortcut to either becomes, and which subfolders must first be asked
// whether they hold anything to show.
class CFolderMenuListing {
public:
    CFolderMenuListing(CFolderMenuLevelBuilder* builder, CFolderMenuShortcuts* shortcuts,
                       CFolderMenuFolderAnswers* answers, std::shared_ptr<CBackgroundWork> workers);
    ~CFolderMenuListing();
    CFolderMenuListing(const CFolderMenuListing&) = delete;
    CFolderMenuListing& operator=(const CFolderMenuListing&) = delete;

    // Each replaces the filter set before; an empty text makes a filter that accepts everything.
    void SetInclusionFilter(LPCWSTR filters);
    void SetExclusionFilter(LPCWSTR filters);
    void SetOptions(const FolderMenuBuildOptions& options) { m_options = options; }
    const FolderMenuBuildOptions& GetOptions() const { return m_options; }

    // Adds the folder's entries to the level; without merge they are inserted into its menu at
    // once, with merge the caller inserts them after the last folder. FALSE when the folder cannot
    // be read.
    BOOL ReadFolderIntoLevel(CFolderMenuLevel* level, LPCWSTR folder, BOOL merge);
    // Reads the folders, merged, into a submenu's level the user opens: on a worker, waiting a
    // moment for them. A listing that takes longer leaves the menu showing that it is being read,
    // and fills it when it comes; the program answers meanwhile.
    void ReadSubMenuLevel(CFolderMenuLevel* level, const std::vector<std::wstring>& folders);
    // A build starts: submenus still being read are gone with the levels of the build before.
    void StartBuild() { ++m_generation; }

    // A shell library without members, or one that cannot be read, counts as empty.
    static BOOL IsLibraryEmpty(LPCWSTR libraryPath);

private:
    struct ListedFile {
        std::wstring name;
        DWORD attributes;
        FileStamp stamp;
    };
    struct SubMenuListing;

    // FALSE when the folder cannot be read. Touches nothing but its arguments.
    static BOOL ListFolder(const std::wstring& folder, std::vector<ListedFile>* files);
    void FillSubMenuLevel(SubMenuListing& listing);
    // `listedStamp` is the file's stamp when the folder being listed just gave it, else null.
    BOOL AddPath(CFolderMenuLevel* level, LPCWSTR fullPath, BOOL isDirectory, BOOL merge, const FileStamp* listedStamp);
    BOOL AddFolder(CFolderMenuLevel* level, LPCWSTR folder, LPCWSTR name, BOOL merge, const FileStamp* listedStamp);
    BOOL AddLibrary(CFolderMenuLevel* level, LPCWSTR libraryPath, LPCWSTR name, BOOL merge,
                    const FileStamp* listedStamp);
    BOOL ReadLibraryIntoLevel(CFolderMenuLevel* level, LPCWSTR libraryPath);
    BOOL IsFileShown(LPCWSTR fileName) const;

    CFolderMenuLevelBuilder* m_pBuilder;
    CFolderMenuShortcuts* m_pShortcuts;
    CFolderMenuFolderAnswers* m_pAnswers;
    std::unique_ptr<CFileNameFilter> m_inclusionFilter;
    std::unique_ptr<CFileNameFilter> m_exclusionFilter;
    FolderMenuBuildOptions m_options;
    std::shared_ptr<CBackgroundWork> m_background;
    // Completions check that this object is still there; the shared pool outlives it.
    std::shared_ptr<CFolderMenuListing*> m_self;
    UINT m_generation = 0;
};
