#include "menus/FolderMenuFolderAnswers.h"

#include "menus/FolderMenuIconSource.h"
#include "menus/FolderMenuItem.h"
#include "menus/FolderMenuLevel.h"

#include <algorithm>
#include <iterator>

namespace {

// How long a menu being read waits for the listings of its subfolders before it shows those not
// answered yet as unknown. A local folder answers in a few milliseconds.
const DWORD kAnswerWaitMs = 250;

} // namespace

CFolderMenuFolderAnswers::CFolderMenuFolderAnswers(CFolderMenuLevelBuilder* builder, CFolderMenuIconSource* icons,
                                                   std::shared_ptr<CBackgroundWork> workers)
    : m_pBuilder(builder), m_pIcons(icons), m_background(std::move(workers)),
      m_self(std::make_shared<CFolderMenuFolderAnswers*>(this)) {}

CFolderMenuFolderAnswers::~CFolderMenuFolderAnswers() {
    // The listings still running for this menu end soon, and their answers find nobody to tell.
    RetireVisibility();
}

void CFolderMenuFolderAnswers::SetFilterText(int kind, LPCWSTR filters) {
    if (m_filterTexts[kind] == (filters ? filters : L""))
        return;
    m_filterTexts[kind] = filters ? filters : L"";
    for (auto& shownFiles : m_shownFileOfFolder)
        shownFiles.clear();
    RetireVisibility();
}

void CFolderMenuFolderAnswers::SetOptions(const FolderMenuBuildOptions& options) {
    if (!options.includeSubFolders != !m_options.includeSubFolders ||
        !options.allowSubFoldersLinksNavigation != !m_options.allowSubFoldersLinksNavigation)
        RetireVisibility();
    m_options = options;
}

void CFolderMenuFolderAnswers::StartBuild() {
    m_shownFileOfFolder[1] = std::move(m_shownFileOfFolder[0]);
    m_shownFileOfFolder[0].clear();
    m_lateAnswers[1] = std::move(m_lateAnswers[0]);
    m_lateAnswers[0].clear();
    m_awaitedFolders.clear();
    m_folderAnswers.clear();
    CurrentVisibility();
}

void CFolderMenuFolderAnswers::EndReading() {
    if (--m_readingDepth == 0)
        ApplyFolderAnswers(nullptr);
}

void CFolderMenuFolderAnswers::Await(CFolderMenuLevel* level, CFolderMenuItem* entry, LPCWSTR folder, BOOL isNewEntry) {
    if (isNewEntry)
        entry->m_holdsShownFile = FALSE;
    ++entry->m_foldersAwaited;
    if (entry->IsUnknown())
        entry->m_hUnknownIcon = m_pIcons->UnknownFolderIcon();
    std::wstring key(folder);
    m_awaitedFolders[key].push_back({level, entry});
    if (m_foldersBeingListed.insert(key).second)
        ListFolderInBackground(key);
}

void CFolderMenuFolderAnswers::ListFolderInBackground(const std::wstring& folder) {
    struct Answer {
        BOOL shown = FALSE;
        std::wstring shownFile;
    };
    auto answer = std::make_shared<Answer>();
    std::shared_ptr<const CFolderVisibility> visibility = CurrentVisibility();
    std::weak_ptr<CFolderMenuFolderAnswers*> asker = m_self;
    BOOL submitted = m_background->Submit(
        [visibility, folder, answer] {
            answer->shown = !visibility->IsWithoutVisibleFiles(folder.c_str(), &answer->shownFile);
        },
        [asker, visibility, folder, answer] {
            std::shared_ptr<CFolderMenuFolderAnswers*> self = asker.lock();
            // Listings started before the filters or settings changed answer another question.
            if (self && visibility == (*self)->m_visibility)
                (*self)->OnFolderAnswered(folder, answer->shown, answer->shownFile);
        });
    if (submitted)
        return;
    // Without a worker the folder is listed here, as it was before there were any.
    answer->shown = !visibility->IsWithoutVisibleFiles(folder.c_str(), &answer->shownFile);
    OnFolderAnswered(folder, answer->shown, answer->shownFile);
}

void CFolderMenuFolderAnswers::OnFolderAnswered(const std::wstring& folder, BOOL shown, const std::wstring& shownFile) {
    m_foldersBeingListed.erase(folder);
    if (!shownFile.empty())
        m_shownFileOfFolder[0][folder] = shownFile;
    m_folderAnswers[folder] = shown;
    if (m_readingDepth > 0)
        return;
    m_lateAnswers[0][folder] = shown;
    ApplyFolderAnswers(nullptr);
}

void CFolderMenuFolderAnswers::BeforeInsertingLevel(CFolderMenuLevel* level) {
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
    m_background->RunCompletionsFor(kAnswerWaitMs, [&] {
        ApplyFolderAnswers(level);
        return !anyUnknown();
    });
}

void CFolderMenuFolderAnswers::ApplyFolderAnswers(CFolderMenuLevel* onlyLevel) {
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

void CFolderMenuFolderAnswers::ResolveAwaitedEntry(const AwaitingEntry& awaiting, const std::wstring& folder,
                                                   BOOL shown) {
    CFolderMenuItem* entry = awaiting.entry;
    --entry->m_foldersAwaited;
    if (shown)
        entry->m_holdsShownFile = TRUE;
    else
        entry->RemovePath(folder);
    if (entry->IsUnknown())
        return;
    if (entry->m_holdsShownFile)
        m_pBuilder->ShowResolvedIcon(awaiting.level, entry);
    else if (entry->m_foldersAwaited == 0)
        m_pBuilder->HideEmptyEntry(awaiting.level, entry);
}

BOOL CFolderMenuFolderAnswers::IsFolderWithoutVisibleFiles(LPCWSTR path) {
    if (path && IsKnownToHoldAShownFile(path))
        return FALSE;
    std::wstring shownFile;
    BOOL withoutVisibleFiles = CurrentVisibility()->IsWithoutVisibleFiles(path, &shownFile);
    if (!shownFile.empty())
        m_shownFileOfFolder[0][path] = shownFile;
    return withoutVisibleFiles;
}

BOOL CFolderMenuFolderAnswers::IsKnownToHoldAShownFile(LPCWSTR folder) {
    // Asking for one file costs a fraction of listing a folder, and every build asks about every
    // subfolder.
    std::wstring key(folder);
    for (auto& shownFiles : m_shownFileOfFolder) {
        auto known = shownFiles.find(key);
        if (known == shownFiles.end())
            continue;
        DWORD attributes = GetFileAttributesW(known->second.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return FALSE;
        if (&shownFiles != &m_shownFileOfFolder[0])
            m_shownFileOfFolder[0][key] = known->second;
        return TRUE;
    }
    return FALSE;
}

const std::shared_ptr<const CFolderVisibility>& CFolderMenuFolderAnswers::CurrentVisibility() {
    if (!m_visibility) {
        m_visibility = std::make_shared<const CFolderVisibility>(m_filterTexts[0].c_str(), m_filterTexts[1].c_str(),
                                                                 m_options.includeSubFolders,
                                                                 m_options.allowSubFoldersLinksNavigation);
        // Listings still running ask the old questions: their answers are not this build's.
        m_foldersBeingListed.clear();
        for (auto& answers : m_lateAnswers)
            answers.clear();
    }
    return m_visibility;
}

void CFolderMenuFolderAnswers::RetireVisibility() {
    // Listings still running ask the old question; their answers would be dropped anyway.
    if (m_visibility)
        m_visibility->Cancel();
    m_visibility.reset();
}

CFolderMenuFolderAnswers::Knowledge CFolderMenuFolderAnswers::Known(const std::wstring& folder) {
    if (IsKnownToHoldAShownFile(folder.c_str()))
        return FolderShown;
    for (const auto& answers : m_lateAnswers) {
        auto answer = answers.find(folder);
        if (answer != answers.end())
            return answer->second ? FolderShown : FolderEmpty;
    }
    return FolderUnknown;
}
