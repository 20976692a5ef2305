#include "menus/FolderMenu.h"

#include <algorithm>
#include <iterator>

namespace {

// How long a menu being read waits for the listings of its subfolders before it shows those not
// answered yet as unknown. A local folder answers in a few milliseconds.
const DWORD kAnswerWaitMs = 250;

} // namespace

BOOL CFolderMenu::AddAwaitedFolder(CFolderMenuLevel* level, LPCWSTR folder, LPCWSTR name, BOOL merge) {
    size_t entriesBefore = level->GetEntryCount();
    CFolderMenuItem* entry = nullptr;
    if (!AddEntry(level, folder, name, TRUE, m_allowSubFoldersNavigation, merge, FALSE, &entry) || !entry)
        return FALSE;
    // A folder merged into an entry without a submenu adds no path: the entry stands for the first.
    if (std::find(entry->m_paths.begin(), entry->m_paths.end(), folder) == entry->m_paths.end())
        return TRUE;
    if (level->GetEntryCount() != entriesBefore)
        entry->m_holdsShownFile = FALSE;
    ++entry->m_foldersAwaited;
    if (entry->IsUnknown())
        entry->m_hUnknownIcon = UnknownFolderIcon();
    std::wstring key(folder);
    m_awaitedFolders[key].push_back({level, entry});
    if (m_foldersBeingListed.insert(key).second)
        ListFolderInBackground(key);
    return TRUE;
}

void CFolderMenu::ListFolderInBackground(const std::wstring& folder) {
    struct Answer {
        BOOL shown = FALSE;
        std::wstring shownFile;
    };
    auto answer = std::make_shared<Answer>();
    std::shared_ptr<const CFolderVisibility> visibility = CurrentVisibility();
    BOOL submitted = m_background.Submit(
        [visibility, folder, answer] {
            answer->shown = !visibility->IsWithoutVisibleFiles(folder.c_str(), &answer->shownFile);
        },
        [this, visibility, folder, answer] {
            // Listings started before the filters or settings changed answer another question.
            if (visibility == m_visibility)
                OnFolderAnswered(folder, answer->shown, answer->shownFile);
        });
    if (submitted)
        return;
    // Without a worker the folder is listed here, as it was before there were any.
    answer->shown = !visibility->IsWithoutVisibleFiles(folder.c_str(), &answer->shownFile);
    OnFolderAnswered(folder, answer->shown, answer->shownFile);
}

void CFolderMenu::OnFolderAnswered(const std::wstring& folder, BOOL shown, const std::wstring& shownFile) {
    m_foldersBeingListed.erase(folder);
    if (!shownFile.empty())
        m_shownFileOfFolder[0][folder] = shownFile;
    m_folderAnswers[folder] = shown;
    if (m_readingDepth > 0)
        return;
    m_lateAnswers[0][folder] = shown;
    ApplyFolderAnswers(nullptr);
}

void CFolderMenu::AwaitLevelAnswers(CFolderMenuLevel* level) {
    auto anyUnknown = [level] {
        for (size_t index = 0; index < level->GetEntryCount(); ++index) {
            if (level->GetEntry(index)->IsUnknown())
                return true;
        }
        return false;
    };
    ApplyFolderAnswers(level);
    if (!anyUnknown())
        return;
    m_background.RunCompletionsFor(kAnswerWaitMs, [&] {
        ApplyFolderAnswers(level);
        return !anyUnknown();
    });
}

void CFolderMenu::ApplyFolderAnswers(CFolderMenuLevel* onlyLevel) {
    for (auto answer = m_folderAnswers.begin(); answer != m_folderAnswers.end();) {
        std::wstring folder = answer->first;
        BOOL shown = answer->second;
        std::vector<AwaitingEntry> resolving;
        bool stillAwaited = false;
        auto awaited = m_awaitedFolders.find(folder);
        if (awaited != m_awaitedFolders.end()) {
            std::vector<AwaitingEntry>& entries = awaited->second;
            auto resolved =
                std::stable_partition(entries.begin(), entries.end(), [onlyLevel](const AwaitingEntry& entry) {
                    return onlyLevel && entry.level != onlyLevel;
                });
            resolving.assign(resolved, entries.end());
            entries.erase(resolved, entries.end());
            stillAwaited = !entries.empty();
            if (!stillAwaited)
                m_awaitedFolders.erase(awaited);
        }
        answer = stillAwaited ? std::next(answer) : m_folderAnswers.erase(answer);
        for (const AwaitingEntry& entry : resolving)
            ResolveAwaitedEntry(entry, folder, shown);
    }
}

void CFolderMenu::ResolveAwaitedEntry(const AwaitingEntry& awaiting, const std::wstring& folder, BOOL shown) {
    CFolderMenuItem* entry = awaiting.entry;
    --entry->m_foldersAwaited;
    if (shown)
        entry->m_holdsShownFile = TRUE;
    else
        entry->RemovePath(folder);
    if (entry->IsUnknown())
        return;
    if (entry->m_holdsShownFile)
        ShowResolvedIcon(awaiting.level, entry);
    else if (entry->m_foldersAwaited == 0)
        HideEmptyEntry(awaiting.level, entry);
}

void CFolderMenu::ShowResolvedIcon(CFolderMenuLevel* level, CFolderMenuItem* entry) {
    if (!entry->m_hUnknownIcon)
        return;
    entry->m_hUnknownIcon = nullptr;
    CPopUpMenu* menu = level->GetMenu();
    int position = (menu && entry->m_commandId) ? menu->GetItemPosition(entry->m_commandId) : -1;
    if (position < 0 || !menu->ChangeItemIcon(static_cast<UINT>(position), entry->Icon()))
        return;
    entry->m_hShownIcon = entry->Icon();
    if (HWND window = CPopUpMenu::FindMenuWindow(menu->GetHandle()))
        InvalidateRect(window, nullptr, FALSE);
}

void CFolderMenu::HideEmptyEntry(CFolderMenuLevel* level, CFolderMenuItem* entry) {
    CPopUpMenu* menu = level->GetMenu();
    if (!entry->m_commandId || !menu) {
        level->Remove(entry);
        return;
    }
    // Items that vanish from a menu on screen make the rest jump under the mouse, and a menu once
    // opened keeps its size: there the item is only disabled, and the next showing leaves it out.
    // A submenu opened already belongs to the levels the menu may still show.
    if (CPopUpMenu::FindMenuWindow(menu->GetHandle()) || (entry->SubMenuLevel() && entry->SubMenuLevel()->GetMenu())) {
        EnableMenuItem(menu->GetHandle(), entry->m_commandId, MF_BYCOMMAND | MF_GRAYED);
        return;
    }
    int position = menu->GetItemPosition(entry->m_commandId);
    if (position >= 0)
        RemoveMenu(menu->GetHandle(), static_cast<UINT>(position), MF_BYPOSITION);
    menu->UndeferItemIcon(entry->m_commandId);
    level->Remove(entry);
    if (level->GetEntryCount() == 0)
        AppendEmptyLevelItem(menu);
}

HICON CFolderMenu::UnknownFolderIcon() {
    if (!m_unknownFolderIcon) {
        HICON folder = m_typeIcons.GenericIconOf(L"folder", TRUE);
        m_unknownFolderIcon.Reset(folder ? CPopUpMenu::CreateGrayIcon(folder) : nullptr);
        CPopUpMenu::ForgetIcon(m_unknownFolderIcon.Get());
    }
    return m_unknownFolderIcon.Get();
}
