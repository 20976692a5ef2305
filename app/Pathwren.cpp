#include "app/Pathwren.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/IniFile.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "config/SpecialPath.h"
#include "containers/ContainerBase.h"
#include "containers/LaunchBarContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "lib/FileReplace.h"
#include "lib/FileSystem.h"
#include "lib/PathText.h"
#include "lib/StringCopy.h"
#include "lib/WindowLink.h"
#include "options/OptionsUI.h"

#include <shlobj.h>

#include <cwchar>
#include <new>

namespace {

const DWORD kBackupMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;

// FoldersOptions.ini gives FoldersOptions.bak; a name without extension gets ".bak" appended.
// FALSE when the name has no room for it: a cut name could be the file itself.
BOOL MakeBackupName(LPCWSTR fileName, LPWSTR backupName, size_t size) {
    CopyTruncated(backupName, size, fileName);
    return ReplaceExtension(backupName, size, L"bak") && _wcsicmp(backupName, fileName) != 0;
}

} // namespace

CPathwren::CPathwren()
    : m_hInstance(nullptr), m_hMainWindow(nullptr), m_pOptions(nullptr), m_pLanguage(nullptr), m_hDefaultIcon(nullptr),
      m_showOptionsAtStart(FALSE), m_ending(FALSE), m_restoredFromBackup(FALSE), m_user32(L"User32.dll"),
      m_pLaunchBar(nullptr), m_pLaunchBarContainer(nullptr), m_hOptionsDialog(nullptr), m_quitRequested(FALSE),
      m_shutdownBlockReasonCreate(nullptr), m_shutdownBlockReasonDestroy(nullptr) {
    std::wstring directory = GetProgramDirectory();
    m_mainConfigurationFile[0] = L'\0';
    if (directory.size() < MAX_PATH - 12)
        swprintf(m_mainConfigurationFile, MAX_PATH, L"%lsPathwren.ini", directory.c_str());
    // Windows XP has no shutdown-block reasons; the program then simply saves without one.
    m_shutdownBlockReasonCreate = m_user32.Procedure<ShutdownBlockReasonCreateFunction>("ShutdownBlockReasonCreate");
    m_shutdownBlockReasonDestroy = m_user32.Procedure<ShutdownBlockReasonDestroyFunction>("ShutdownBlockReasonDestroy");
}

CPathwren::~CPathwren() {
    // Normally gone with the quit. A crash that unwound out of Run leaves the window behind, and
    // the crash questions' message boxes would dispatch its queued and new messages (a close, a
    // logoff) to this dying object.
    if (m_hMainWindow) {
        UnlinkWindowObject(m_hMainWindow);
        UnregisterHotKeys();
        DestroyWindow(m_hMainWindow);
        m_hMainWindow = nullptr;
    }
    // Items left by a start that never reached the loop, or by a crash, go first: their containers
    // read the language and the options until they are gone.
    for (CGenericPathwrenObject* item : m_folders)
        delete item;
    m_folders.clear();
    DestroyLaunchBar();
    delete m_pLanguage;
    delete m_pOptions;
}

BOOL CPathwren::LoadApplicationOptions() {
    delete m_pOptions;
    m_pOptions = nullptr;
    if (IsExistingFile(m_mainConfigurationFile)) {
        CIniFileEx<CApplicationOptions> file(m_mainConfigurationFile);
        m_pOptions = file.Load(L"Pathwren");
    }
    if (!m_pOptions) {
        m_pOptions = new (std::nothrow) CApplicationOptions();
        if (m_pOptions)
            m_pOptions->ReloadSkin();
        m_showOptionsAtStart = TRUE;
    }
    return m_pOptions != nullptr;
}

BOOL CPathwren::LoadLanguage() {
    delete m_pLanguage;
    m_pLanguage = nullptr;
    if (m_pOptions) {
        // Opening a missing file would create it empty and show English without a word; a language
        // the user chose says it is gone, once per start, and the built-in English stands in for
        // it. The choice itself is kept: the file may come back.
        if (!IsExistingFile(m_pOptions->LanguageFile) && _wcsicmp(m_pOptions->Language, L"English") != 0) {
            WCHAR text[2 * MAX_PATH];
            swprintf(text, ARRAYSIZE(text), L"The language file \"%ls\" is missing; the texts are shown in English.",
                     m_pOptions->LanguageFile);
            MessageBoxW(nullptr, text, L"Pathwren", MB_ICONEXCLAMATION);
        } else {
            CIniFileEx<CLanguage> file(m_pOptions->LanguageFile);
            m_pLanguage = file.Load(L"Language");
        }
    }
    if (!m_pLanguage)
        m_pLanguage = new (std::nothrow) CLanguage();
    return m_pLanguage != nullptr;
}

BOOL CPathwren::LoadFolders() {
    if (!m_pOptions)
        return FALSE;
    DestroyFolders();
    if (RestoreDamagedFoldersFile())
        m_restoredFromBackup = TRUE;
    // One program directory shared by several users (an installed copy) already has its main
    // file, yet each user's first start still deserves the options dialog: a per-user folders
    // file that does not exist yet is that first start.
    if (!m_pOptions->SingleUser && !IsExistingFile(m_pOptions->FoldersFile))
        m_showOptionsAtStart = TRUE;
    {
        CIniFileEx<CGenericPathwrenObject> file(m_pOptions->FoldersFile);
        file.LoadArray(L"Folders", m_folders);
    }
    if (m_folders.empty()) {
        CGenericPathwrenObject* desktop = new (std::nothrow) CGenericPathwrenObject();
        if (desktop) {
            desktop->FolderPresentationType = FolderPresentationDesktop;
            CopyTruncated(desktop->Path, ARRAYSIZE(desktop->Path), FormatSpecialPath(CSIDL_DESKTOP).c_str());
            m_folders.push_back(desktop);
        }
    }
    return TRUE;
}

BOOL CPathwren::SaveFolders() {
    if (!m_pOptions || m_destroyingFolders)
        return FALSE;
    WCHAR backup[MAX_PATH];
    // The previous file is copied, not moved: until the new one has fully replaced it, the folders
    // file on disk stays complete. There may be no previous file yet, so a failed copy is not an
    // error. Only a backup made by this save is put back: an older one would replace newer settings.
    BOOL backedUp = MakeBackupName(m_pOptions->FoldersFile, backup, ARRAYSIZE(backup)) &&
                    CopyFileW(m_pOptions->FoldersFile, backup, FALSE);
    BOOL saved = FALSE;
    {
        CIniFileEx<CGenericPathwrenObject> file(m_pOptions->FoldersFile);
        file.StartNewFile();
        saved = file.SaveArray(L"Folders", m_folders);
    }
    if (!saved && backedUp)
        MoveFileExW(backup, m_pOptions->FoldersFile, kBackupMoveFlags);
    return saved;
}

// A folders file that is missing, unreadable, without its count or without a section the count
// names is what a save cut short by a crash or a power loss may leave; a complete backup then
// takes its place. A file the user emptied is left alone.
BOOL CPathwren::RestoreDamagedFoldersFile() {
    LPCWSTR foldersFile = m_pOptions->FoldersFile;
    WCHAR backup[MAX_PATH];
    if (!MakeBackupName(foldersFile, backup, ARRAYSIZE(backup)) || !IsExistingFile(backup))
        return FALSE;
    if (IsExistingFile(foldersFile)) {
        CIniFileEx<CGenericPathwrenObject> current(foldersFile);
        if (current.IsReadable() && (current.IsEmpty() || current.HasCompleteArray(L"Folders")))
            return FALSE;
    }
    {
        CIniFileEx<CGenericPathwrenObject> previous(backup);
        if (!previous.IsReadable() || !previous.HasCompleteArray(L"Folders"))
            return FALSE;
    }
    return CopyFileReplacing(backup, foldersFile);
}

BOOL CPathwren::StoreContainersState() {
    for (CGenericPathwrenObject* item : m_folders) {
        if (CContainerBase* container = ContainerOf(*item))
            container->SaveState();
    }
    return TRUE;
}

BOOL CPathwren::DestroyFolders() {
    UnregisterHotKeys();
    // Out of the list before the first goes, so that a handler run meanwhile finds no item at all
    // rather than one already deleted.
    std::vector<CGenericPathwrenObject*> folders;
    folders.swap(m_folders);
    m_destroyingFolders = TRUE;
    for (CGenericPathwrenObject* item : folders)
        delete item;
    DestroyLaunchBar();
    m_destroyingFolders = FALSE;
    return TRUE;
}

void CPathwren::DestroyLaunchBar() {
    // The bar first: its window owns the background menu's window while it exists.
    delete m_pLaunchBar;
    m_pLaunchBar = nullptr;
    if (m_pLaunchBarContainer)
        m_pLaunchBarContainer->Destroy();
    m_pLaunchBarContainer = nullptr;
}
