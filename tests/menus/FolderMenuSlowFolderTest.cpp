// A subfolder whose listing takes seconds (a slow disk, a dead server) must not hold up the menu or
// the program: it shows marked as unknown, and its answer makes it a plain folder or takes it away.
#include "menus/FolderListing.h"
#include "menus/FolderTree.h"
#include "support/GdiObjectCounter.h"
#include "support/MessagePump.h"
#include "support/Soak.h"

#include <future>
#include <memory>

namespace {

const DWORD kSlowListingMs = 6000;

class FolderMenuSlowFolders : public FolderMenuTest {
protected:
    FolderMenuSlowFolders() {
        m_tree.AddFile(L"fast\\inside.txt");
        m_tree.AddFile(L"slow\\inside.txt");
        m_tree.AddFolder(L"slow empty\\nothing");
    }
    ~FolderMenuSlowFolders() override { AnswerSlowFolders(); }

    void MakeSlow(const std::wstring& path, DWORD delayMs = kSlowListingMs) {
        SetFolderListingDelay(path.c_str(), delayMs);
        m_slow.push_back(path);
    }
    void AnswerSlowFolders() {
        for (const std::wstring& folder : m_slow)
            SetFolderListingDelay(folder.c_str(), 0);
        m_slow.clear();
    }
    // The icon the item shows: its bitmap, one per distinct icon in a menu, or its drawn icon.
    ULONG_PTR ShownIcon(const std::wstring& text) {
        int position = FindItemPosition(Root(), text);
        if (position < 0)
            return 0;
        MENUITEMINFOW item = ReadMenuItem(Root(), static_cast<UINT>(position), MIIM_BITMAP | MIIM_DATA);
        return m_menu.GetRootMenu()->IsThemed() ? reinterpret_cast<ULONG_PTR>(item.hbmpItem) : item.dwItemData;
    }
    bool IsDisabled(const std::wstring& text) {
        UINT state = GetMenuState(Root(), static_cast<UINT>(FindItemPosition(Root(), text)), MF_BYPOSITION);
        return state != static_cast<UINT>(-1) && (state & MF_GRAYED);
    }

    std::vector<std::wstring> m_slow;
};

} // namespace

TEST_F(FolderMenuSlowFolders, AnOpenMenuShowsSlowFoldersAsUnknownUntilTheyAnswer) {
    MakeSlow(m_tree.Path(L"slow"));
    MakeSlow(m_tree.Path(L"slow empty"));
    ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(BuildRoot());
    EXPECT_LT(GetTickCount64() - start, kSlowListingMs / 4) << "the menu waited for the slow listings";
    EXPECT_EQ(Texts({L"fast", L"slow", L"slow empty"}), MenuItemTexts(Root())) << "unanswered folders are shown";
    EXPECT_NE(ShownIcon(L"fast"), ShownIcon(L"slow")) << "an unanswered folder is marked";
    EXPECT_EQ(ShownIcon(L"slow"), ShownIcon(L"slow empty"));

    std::future<int> answeredSends;
    bool sendsAnswered = false;
    Show({WaitForMenu(Root()),
          [&] {
              // Another thread asks the menu's thread while the listings still run.
              answeredSends = std::async(std::launch::async, [owner = Owner().Handle()] {
                  int answered = 0;
                  for (DWORD_PTR send = 0, result = 0; send < 5; ++send)
                      answered += SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
                  return answered;
              });
              return true;
          },
          [&] {
              if (answeredSends.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
                  return false;
              sendsAnswered = m_menu.GetUnansweredFolderCount() == 2;
              AnswerSlowFolders();
              return true;
          },
          [&] { return m_menu.GetUnansweredFolderCount() == 0; },
          [&] {
              EXPECT_EQ(ShownIcon(L"fast"), ShownIcon(L"slow")) << "the answer takes the mark away";
              EXPECT_TRUE(IsDisabled(L"slow empty")) << "an empty folder is disabled while its menu is open";
              EXPECT_FALSE(IsDisabled(L"slow"));
              return true;
          }});
    EXPECT_EQ(5, answeredSends.valid() ? answeredSends.get() : -1)
        << "the menu's thread answered while the folders were being listed";
    EXPECT_TRUE(sendsAnswered) << "the sends were answered before the listings were";

    ASSERT_TRUE(BuildRoot());
    EXPECT_EQ(Texts({L"fast", L"slow"}), MenuItemTexts(Root())) << "the next showing leaves the empty folder out";
    EXPECT_EQ(ShownIcon(L"fast"), ShownIcon(L"slow"));
}

TEST_F(FolderMenuSlowFolders, MenusShareOneSetOfWorkersAndAClosedMenuLosesAnEmptyFolderAsSoonAsItAnswers) {
    FolderTree otherTree;
    otherTree.AddFile(L"slow\\inside.txt");
    otherTree.AddFile(L"quick\\inside.txt");
    MakeSlow(m_tree.Path(L"slow"));
    MakeSlow(m_tree.Path(L"slow empty"));
    MakeSlow(otherTree.Path(L"slow"));
    ASSERT_TRUE(BuildRoot());
    ASSERT_EQ(Texts({L"fast", L"slow", L"slow empty"}), MenuItemTexts(Root()));
    auto other = std::make_unique<CFolderMenu>();
    MergedFolder record = FolderRecord(otherTree.Root());
    ASSERT_TRUE(other->Build(&record, 1, {TRUE, TRUE, TRUE}));
    ASSERT_EQ(1u, other->GetUnansweredFolderCount());

    std::shared_ptr<CBackgroundWork> pool = CBackgroundWork::ShareOnThisThread(1);
    EXPECT_EQ(3u, pool->GetOutstandingCount()) << "both menus' slow listings wait in one pool";
    EXPECT_LE(pool->GetRunningThreadCount(), 3u);

    // The other menu goes while its listing still runs; its answer must find nothing to change.
    other.reset();
    AnswerSlowFolders();
    ASSERT_TRUE(PumpMessagesUntil([&] { return pool->GetOutstandingCount() == 0; }, 10000));
    EXPECT_EQ(0u, m_menu.GetUnansweredFolderCount());
    EXPECT_EQ(Texts({L"fast", L"slow"}), MenuItemTexts(Root())) << "the remaining menu got its answers";
    EXPECT_EQ(ShownIcon(L"fast"), ShownIcon(L"slow"));
    EXPECT_EQ(nullptr, m_menu.GetEntryOfCommand(FindCommand(Root(), L"slow empty")));

    // A folder that holds only a slow empty folder is empty too, once that one answers.
    DeleteFileW(m_tree.Path(L"fast\\inside.txt").c_str());
    m_tree.AddFolder(L"fast\\slow inner");
    MakeSlow(m_tree.Path(L"fast\\slow inner"), 1500);
    ASSERT_TRUE(BuildRoot());
    EXPECT_NE(-1, FindItemPosition(Root(), L"fast")) << "unknown while the folder inside it is listed";
    ASSERT_TRUE(PumpMessagesUntil([&] { return m_menu.GetUnansweredFolderCount() == 0; }, 10000));
    EXPECT_EQ(Texts({L"slow"}), MenuItemTexts(Root()));
}

TEST_F(FolderMenuSlowFolders, RepeatedShowingsWithSlowFoldersGiveBackEveryGdiObjectSoak) {
    const int cycles = SoakCycles(20, 500);
    long before = 0;
    for (int cycle = 0; cycle < cycles + 2; ++cycle) {
        // The first two cycles make what every later one reuses: the mark, the type icons.
        if (cycle == 2)
            before = GdiObjectCounter::Read();
        MakeSlow(m_tree.Path(L"slow"));
        MakeSlow(m_tree.Path(L"slow empty"));
        ASSERT_TRUE(BuildRoot());
        Show({WaitForMenu(Root()), [&] {
                  AnswerSlowFolders();
                  return m_menu.GetUnansweredFolderCount() == 0;
              }});
    }
    ASSERT_TRUE(BuildRoot());
    EXPECT_EQ(before, GdiObjectCounter::Read()) << "GDI objects over " << cycles << " showings";
}

TEST_F(FolderMenuSlowFolders, ASlowSubmenuShowsThatItIsBeingReadAndFillsWhenItsFolderAnswers) {
    m_tree.AddFile(L"fast\\second.txt");
    ASSERT_TRUE(BuildRoot());
    ASSERT_TRUE(PumpMessagesUntil([&] { return m_menu.GetUnansweredFolderCount() == 0; }, 5000));
    std::shared_ptr<CBackgroundWork> workers = CBackgroundWork::ShareOnThisThread(1);

    MakeSlow(m_tree.Path(L"fast"));
    HighlightSubMenuItem(m_menu, Root(), L"fast");
    HMENU sub = FindSubMenu(Root(), L"fast");
    ASSERT_EQ(Texts({L"\u2026"}), MenuItemTexts(sub)) << "the highlight came back before the folder was listed";
    EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_GRAYED);
    AnswerSlowFolders();
    auto filled = [&] { return MenuItemTexts(sub) == Texts({L"inside.txt", L"second.txt"}); };
    EXPECT_TRUE(PumpMessagesUntil(filled, 5000)) << "the listing filled the submenu when it came";

    // A rebuild before the listing came leaves it nothing to fill.
    ASSERT_TRUE(BuildRoot());
    MakeSlow(m_tree.Path(L"fast"));
    HighlightSubMenuItem(m_menu, Root(), L"fast");
    ASSERT_TRUE(BuildRoot());
    AnswerSlowFolders();
    ASSERT_TRUE(PumpMessagesUntil([&] { return workers->GetOutstandingCount() == 0; }, 5000));
    HighlightSubMenuItem(m_menu, Root(), L"fast");
    EXPECT_EQ(Texts({L"inside.txt", L"second.txt"}), MenuItemTexts(FindSubMenu(Root(), L"fast")));
}
