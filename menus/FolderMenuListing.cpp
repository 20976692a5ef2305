#include "menus/FolderMenuListing.h"

#include "lib/BackgroundWork.h"
#include "lib/ComPtr.h"
#include "lib/IdList.h"
#include "lib/KernelHandle.h"
#include "menus/FolderListing.h"
#include "menus/FolderMenuFolderAnswers.h"
#include "menus/FolderMenuLevelBuilder.h"
#include "menus/FolderMenuPaths.h"
#include "menus/FolderMenuShortcuts.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include <cwchar>

namespace {

// The file name without its extension, into a MAX_PATH buffer.
void CopyWithoutExtension(LPCWSTR fileName, LPWSTR name) {
    CopyPathCut(name, fileName);
    LPWSTR extension = const_cast<LPWSTR>(FindExtension(name));
    if (*extension)
        extension[-1] = L'\0';
}

// How long opening a submenu waits for its folders before it shows that they are being read. A
// local folder answers in a few milliseconds.
const DWORD kSubMenuWaitMs = 250;

const SHCONTF kLibraryMembers = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;

// The members of a library come from the shell's folder for it; the file itself is only its
// description.
HRESULT EnumerateLibrary(LPCWSTR libraryPath, CComPtr<IShellFolder>& library, CComPtr<IEnumIDList>& members) {
    CIdList idList;
    HRESULT hr = SHParseDisplayName(libraryPath, nullptr, idList.Receive(), 0, nullptr);
    if (FAILED(hr))
        return hr;
    CComPtr<IShellItem> item;
    hr = SHCreateShellItem(nullptr, nullptr, idList.Get(), &item);
    if (FAILED(hr))
        return hr;
    hr = item->BindToHandler(nullptr, BHID_SFObject, IID_PPV_ARGS(&library));
    if (FAILED(hr))
        return hr;
    hr = library->EnumObjects(nullptr, kLibraryMembers, &members);
    if (hr == S_FALSE || !members)
        return E_FAIL;
    return hr;
}

} // namespace

CFolderMenuListing::CFolderMenuListing(CFolderMenuLevelBuilder* builder, CFolderMenuShortcuts* shortcuts,
                                       CFolderMenuFolderAnswers* answers, std::shared_ptr<CBackgroundWork> workers)
    : m_pBuilder(builder), m_pShortcuts(shortcuts), m_pAnswers(answers), m_background(std::move(workers)),
      m_self(std::make_shared<CFolderMenuListing*>(this)) {}

CFolderMenuListing::~CFolderMenuListing() = default;

struct CFolderMenuListing::SubMenuListing {
    CFolderMenuLevel* level = nullptr;
    UINT generation = 0;
    std::vector<std::wstring> folders;
    std::vector<std::vector<ListedFile>> files; // per folder, filled on the workers
    size_t answered = 0;
};

BOOL CFolderMenuListing::ListFolder(const std::wstring& folder, std::vector<ListedFile>* files) {
    WCHAR pattern[kPathBufferLength + 2];
    size_t folderLength = CopyFolderWithBackslash(pattern, folder.c_str());
    pattern[folderLength] = L'*';
    pattern[folderLength + 1] = L'\0';
    WIN32_FIND_DATAW found;
    CFindHandle search(OpenFolderListing(pattern, &found));
    if (!search)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (folderLength + wcslen(found.cFileName) <= kMaxPathLength)
            files->push_back({found.cFileName, found.dwFileAttributes, FileStamp::FromFindData(found)});
    } while (FindNextFileW(search.Get(), &found));
    return TRUE;
}

void CFolderMenuListing::ReadSubMenuLevel(CFolderMenuLevel* level, const std::vector<std::wstring>& folders) {
    level->SetFilled(TRUE);
    auto listing = std::make_shared<SubMenuListing>();
    listing->level = level;
    listing->generation = m_generation;
    listing->folders = folders;
    listing->files.resize(folders.size());
    std::weak_ptr<CFolderMenuListing*> asker = m_self;
    for (size_t index = 0; index < folders.size(); ++index) {
        std::wstring folder = folders[index];
        std::vector<ListedFile>* files = &listing->files[index];
        BOOL submitted = m_background->Submit([folder, files, listing] { ListFolder(folder, files); },
                                              [asker, listing] {
                                                  std::shared_ptr<CFolderMenuListing*> self = asker.lock();
                                                  if (++listing->answered == listing->folders.size() && self)
                                                      (*self)->FillSubMenuLevel(*listing);
                                              });
        if (!submitted) {
            // Without a worker the folder is listed here, as it was before there were any.
            ListFolder(folder, files);
            ++listing->answered;
        }
    }
    if (listing->answered == folders.size()) {
        FillSubMenuLevel(*listing);
        return;
    }
    // The last answer fills the level, while this waits or later.
    if (!m_background->RunCompletionsFor(kSubMenuWaitMs, [&] { return listing->answered == folders.size(); }))
        m_pBuilder->ShowLevelBeingRead(level);
}

void CFolderMenuListing::FillSubMenuLevel(SubMenuListing& listing) {
    // A rebuild since has destroyed the level.
    if (listing.generation != m_generation)
        return;
    // Reading adds entries (and levels) and answers wait until it is done.
    m_pAnswers->BeginReading();
    for (size_t index = 0; index < listing.folders.size(); ++index) {
        WCHAR path[kPathBufferLength];
        size_t folderLength = CopyFolderWithBackslash(path, listing.folders[index].c_str());
        for (const ListedFile& file : listing.files[index]) {
            wmemcpy(path + folderLength, file.name.c_str(), file.name.size() + 1);
            AddPath(listing.level, path, (file.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, TRUE, &file.stamp);
        }
    }
    m_pBuilder->InsertLevelItems(listing.level, TRUE);
    m_pAnswers->EndReading();
}

void CFolderMenuListing::SetInclusionFilter(LPCWSTR filters) {
    m_inclusionFilter.reset(new CFileNameFilter(FileNameFilterInclusion, filters));
}

void CFolderMenuListing::SetExclusionFilter(LPCWSTR filters) {
    m_exclusionFilter.reset(new CFileNameFilter(FileNameFilterExclusion, filters));
}

BOOL CFolderMenuListing::ReadFolderIntoLevel(CFolderMenuLevel* level, LPCWSTR folder, BOOL merge) {
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
            FileStamp stamp = FileStamp::FromFindData(found);
            AddPath(level, path, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, merge, &stamp);
        } while (FindNextFileW(search.Get(), &found));
    }
    if (!merge)
        m_pBuilder->InsertLevelItems(level, TRUE);
    return opened;
}

BOOL CFolderMenuListing::AddPath(CFolderMenuLevel* level, LPCWSTR fullPath, BOOL isDirectory, BOOL merge,
                                 const FileStamp* listedStamp) {
    WCHAR path[kPathBufferLength];
    CopyPathCut(path, fullPath);
    for (LPWSTR character = path; *character; ++character) {
        if (*character == L'/')
            *character = L'\\';
    }
    LPCWSTR fileName = FindLastComponent(path);
    BOOL isLibrary = IsLibraryExtension(FindExtension(path));
    FolderMenuEntryOptions file;
    file.mergeByName = merge;
    file.listedStamp = listedStamp;
    if (!m_options.includeSubFolders) {
        if (isDirectory || isLibrary || !IsFileShown(fileName))
            return FALSE;
        return m_pBuilder->AddEntry(level, path, fileName, file) != nullptr;
    }

    WCHAR shortcutName[kPathBufferLength];
    WCHAR target[kPathBufferLength];
    LPCWSTR name = fileName;
    LPCWSTR entryPath = path;
    const FileStamp* stamp = listedStamp;
    if (m_options.allowSubFoldersNavigation) {
        if (isLibrary) {
            CopyWithoutExtension(fileName, shortcutName);
            return AddLibrary(level, path, shortcutName, merge, listedStamp);
        }
        // Only the shortcut being listed has its stamp at hand, to find its target of before.
        if (m_options.allowSubFoldersLinksNavigation && IsShortcutExtension(FindExtension(path)) &&
            (listedStamp ? m_pShortcuts->ResolveListed(path, *listedStamp, target)
                         : CFolderMenuShortcuts::ResolveTarget(path, target))) {
            if (IsExistingDirectory(target)) {
                CopyWithoutExtension(fileName, shortcutName);
                name = shortcutName;
                entryPath = target;
                stamp = nullptr;
                isDirectory = TRUE;
            } else if (IsLibraryExtension(FindExtension(target))) {
                CopyWithoutExtension(fileName, shortcutName);
                return AddLibrary(level, target, shortcutName, merge, nullptr);
            }
        }
    }
    if (isDirectory)
        return !IsDotOrDotDot(fileName) && AddFolder(level, entryPath, name, merge, stamp);
    if (!IsFileShown(name))
        return FALSE;
    return m_pBuilder->AddEntry(level, entryPath, name, file) != nullptr;
}

BOOL CFolderMenuListing::AddFolder(CFolderMenuLevel* level, LPCWSTR folder, LPCWSTR name, BOOL merge,
                                   const FileStamp* listedStamp) {
    CFolderMenuFolderAnswers::Knowledge known = m_pAnswers->Known(folder);
    if (known == CFolderMenuFolderAnswers::FolderEmpty)
        return FALSE;
    FolderMenuEntryOptions options;
    options.isFolder = TRUE;
    options.makeSubMenu = m_options.allowSubFoldersNavigation;
    options.mergeByName = merge;
    options.listedStamp = listedStamp;
    size_t entriesBefore = level->GetEntryCount();
    CFolderMenuItem* entry = m_pBuilder->AddEntry(level, folder, name, options);
    if (!entry)
        return FALSE;
    if (known == CFolderMenuFolderAnswers::FolderUnknown) {
        // A folder merged into an entry without a submenu adds no path: the entry stands for the first.
        if (std::find(entry->m_paths.begin(), entry->m_paths.end(), folder) != entry->m_paths.end())
            m_pAnswers->Await(level, entry, folder, level->GetEntryCount() != entriesBefore);
        return TRUE;
    }
    // A folder that holds a shown file settles a merged entry still waiting for its other folders.
    if (!entry->m_holdsShownFile) {
        entry->m_holdsShownFile = TRUE;
        m_pBuilder->ShowResolvedIcon(level, entry);
    }
    return TRUE;
}

BOOL CFolderMenuListing::AddLibrary(CFolderMenuLevel* level, LPCWSTR libraryPath, LPCWSTR name, BOOL merge,
                                    const FileStamp* listedStamp) {
    if (IsLibraryEmpty(libraryPath))
        return FALSE;
    FolderMenuEntryOptions options;
    options.isFolder = TRUE;
    options.makeSubMenu = TRUE;
    options.mergeByName = merge;
    options.listedStamp = listedStamp;
    CFolderMenuItem* entry = m_pBuilder->AddEntry(level, libraryPath, name, options);
    if (!entry || !entry->SubMenuLevel())
        return FALSE;
    // Members are read now, with the parent; highlighting the submenu later only inserts them.
    ReadLibraryIntoLevel(entry->SubMenuLevel(), libraryPath);
    return TRUE;
}

BOOL CFolderMenuListing::IsFileShown(LPCWSTR fileName) const {
    return (!m_inclusionFilter || m_inclusionFilter->Accepts(fileName)) &&
           (!m_exclusionFilter || m_exclusionFilter->Accepts(fileName));
}

BOOL CFolderMenuListing::IsLibraryEmpty(LPCWSTR libraryPath) {
    CComPtr<IShellFolder> library;
    CComPtr<IEnumIDList> members;
    if (FAILED(EnumerateLibrary(libraryPath, library, members)))
        return TRUE;
    CIdList first;
    return members->Next(1, first.Receive(), nullptr) != S_OK;
}

BOOL CFolderMenuListing::ReadLibraryIntoLevel(CFolderMenuLevel* level, LPCWSTR libraryPath) {
    CComPtr<IShellFolder> library;
    CComPtr<IEnumIDList> members;
    if (FAILED(EnumerateLibrary(libraryPath, library, members)))
        return FALSE;
    CIdList member;
    while (members->Next(1, member.Receive(), nullptr) == S_OK) {
        STRRET name = {};
        WCHAR path[kPathBufferLength];
        if (FAILED(library->GetDisplayNameOf(member.Get(), SHGDN_FORPARSING, &name)) ||
            FAILED(StrRetToBufW(&name, member.Get(), path, static_cast<UINT>(kPathBufferLength))))
            continue;
        WCHAR target[kPathBufferLength];
        // A library may list a shortcut to itself; following it would nest the library forever.
        if (m_options.allowSubFoldersLinksNavigation && IsShortcutExtension(FindExtension(path)) &&
            CFolderMenuShortcuts::ResolveTarget(path, target) && _wcsicmp(target, libraryPath) == 0)
            continue;
        AddPath(level, path, IsExistingDirectory(path), FALSE, nullptr);
    }
    return TRUE;
}
