#pragma once
#include "lib/BackgroundWork.h"
#include "menus/FolderMenuBuildOptions.h"
#include "menus/FolderMenuLevelBuilder.h"
#include "menus/FolderVisibility.h"

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CFolderMenuIconSource;
class CFolderMenuItem;
class CFolderMenuLevel;

// Whether the subfolders of a folder menu hold anything to show. Finding out means listing them,
// which a slow disk or a server that stopped answering can draw out for seconds, so it runs on
// worker threads: a level about to be inserted waits a moment for its folders' answers, and shows
// those still unanswered with a grey folder. An answer that comes later makes the entry a plain
// folder or, for a folder that holds nothing to show, takes it away (from a menu that is open it is
// only disabled, and gone from the next showing).
class CFolderMenuFolderAnswers : public IFolderMenuLevelInsertion {
public:
    enum Knowledge { FolderUnknown, FolderShown, FolderEmpty };

    CFolderMenuFolderAnswers(CFolderMenuLevelBuilder* builder, CFolderMenuIconSource* icons,
                             std::shared_ptr<CBackgroundWork> workers);
    ~CFolderMenuFolderAnswers();
    CFolderMenuFolderAnswers(const CFolderMenuFolderAnswers&) = delete;
    CFolderMenuFolderAnswers& operator=(const CFolderMenuFolderAnswers&) = delete;

    // 0 the inclusion filter, 1 the exclusion filter: a change makes every folder unknown again.
    void SetFilterText(int kind, LPCWSTR filters);
    void SetOptions(const FolderMenuBuildOptions& options);
    // A build starts: the entries that waited go with the levels of the build before.
    void StartBuild();
    // While a build or a submenu reads folders, answers wait to be applied until EndReading.
    void BeginReading() { ++m_readingDepth; }
    void EndReading();

    Knowledge Known(const std::wstring& folder);
    // The entry, just added for the folder, waits for the folder's answer; a new entry is marked
    // unknown meanwhile.
    void Await(CFolderMenuLevel* level, CFolderMenuItem* entry, LPCWSTR folder, BOOL isNewEntry);
    // Waits a moment for the answers about the level's folders.
    void BeforeInsertingLevel(CFolderMenuLevel* level) override;

    // TRUE when nothing of the folder would show, found out here and now.
    BOOL IsFolderWithoutVisibleFiles(LPCWSTR path);
    size_t GetUnansweredFolderCount() const { return m_foldersBeingListed.size(); }

private:
    struct AwaitingEntry {
        CFolderMenuLevel* level;
        CFolderMenuItem* entry;
    };

    BOOL IsKnownToHoldAShownFile(LPCWSTR folder);
    const std::shared_ptr<const CFolderVisibility>& CurrentVisibility();
    void RetireVisibility();
    void ListFolderInBackground(const std::wstring& folder);
    void OnFolderAnswered(const std::wstring& folder, BOOL shown, const std::wstring& shownFile);
    // Applies the answers that came, to the level's entries only or (null) to every entry.
    void ApplyFolderAnswers(CFolderMenuLevel* onlyLevel);
    void ResolveAwaitedEntry(const AwaitingEntry& awaiting, const std::wstring& folder, BOOL shown);

    CFolderMenuLevelBuilder* m_pBuilder;
    CFolderMenuIconSource* m_pIcons;
    std::wstring m_filterTexts[2]; // inclusion, exclusion
    FolderMenuBuildOptions m_options;
    // The filters and settings of this build, for the listings on the workers.
    std::shared_ptr<const CFolderVisibility> m_visibility;
    // A shown file of each folder the builds found one in. While it is still there and the filters
    // are the same, the folder is shown without listing it again. This build's, the one before.
    std::unordered_map<std::wstring, std::wstring> m_shownFileOfFolder[2];
    // The entries of this build that wait for the listing of a folder, by folder.
    std::unordered_map<std::wstring, std::vector<AwaitingEntry>> m_awaitedFolders;
    // Listings on the workers: a folder is listed once however many builds wait for it.
    std::unordered_set<std::wstring> m_foldersBeingListed;
    // Answers come in while the menu is read; they are applied once the entries are in place.
    std::unordered_map<std::wstring, BOOL> m_folderAnswers;
    // Answers that came after their build, trusted by the next build so that a slow folder is not
    // shown as unknown again: those of the build before, and of this one.
    std::unordered_map<std::wstring, BOOL> m_lateAnswers[2];
    int m_readingDepth = 0;
    // Shared by every folder menu of the thread; the pool outlives this object, whose completions
    // check that it is still there (they run on this thread, so no lock is needed).
    std::shared_ptr<CBackgroundWork> m_background;
    std::shared_ptr<CFolderMenuFolderAnswers*> m_self;
};
