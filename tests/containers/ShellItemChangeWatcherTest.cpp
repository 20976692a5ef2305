#include "containers/ShellItemChangeWatcher.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Change {
    LONG event;
    std::wstring first;
    std::wstring second;
};

// A watcher with its own hidden window, recording every change it is told about.
class RecordingWatcher : public IShellItemChangeWatcher {
public:
    RecordingWatcher() {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowSubclass(m_window, Procedure, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    ~RecordingWatcher() override {
        Deregister();
        RemoveWindowSubclass(m_window, Procedure, 0);
        DestroyWindow(m_window);
    }
    void OnShellItemChange(LONG event, LPCWSTR firstPath, LPCWSTR secondPath) override {
        changes.push_back({event, firstPath, secondPath});
    }
    // Pumps messages until at least count changes arrived or the time is up.
    bool WaitForChanges(size_t count, DWORD timeoutMs = 5000) {
        DWORD start = GetTickCount();
        while (changes.size() < count && GetTickCount() - start < timeoutMs) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            Sleep(10);
        }
        return changes.size() >= count;
    }
    void Settle() { WaitForChanges(changes.size() + 1, 500); }

    HWND m_window;
    std::vector<Change> changes;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
        if (message == WM_SHELL_ITEM_CHANGE) {
            reinterpret_cast<RecordingWatcher*>(self)->HandleNotification(wParam, lParam);
            return 0;
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }
};

} // namespace

// The shell is told of changes with SHChangeNotify: Wine does not watch the file system itself.
TEST(ShellItemChangeWatcher, ReportsChangesInTheWatchedFolderWithTheirPaths) {
    TempDirectory folder;
    RecordingWatcher watcher;
    ASSERT_EQ(S_OK, watcher.RegisterPath(folder.Path().c_str(), watcher.m_window, TRUE));
    EXPECT_NE(0u, watcher.GetRegistration());

    std::wstring created = folder.File(L"new.txt");
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, created.c_str(), nullptr);
    ASSERT_TRUE(watcher.WaitForChanges(1));
    EXPECT_EQ(SHCNE_CREATE, watcher.changes[0].event);
    EXPECT_EQ(created, watcher.changes[0].first);
    EXPECT_EQ(L"", watcher.changes[0].second);

    std::wstring renamed = folder.File(L"renamed.txt");
    SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_PATHW | SHCNF_FLUSH, created.c_str(), renamed.c_str());
    ASSERT_TRUE(watcher.WaitForChanges(2));
    EXPECT_EQ(SHCNE_RENAMEITEM, watcher.changes[1].event);
    EXPECT_EQ(created, watcher.changes[1].first) << "the old name comes first";
    EXPECT_EQ(renamed, watcher.changes[1].second);
}

TEST(ShellItemChangeWatcher, KeepsOneRegistrationAndEndsIt) {
    TempDirectory first;
    TempDirectory second;
    RecordingWatcher watcher;
    ASSERT_EQ(S_OK, watcher.RegisterPath(first.Path().c_str(), watcher.m_window, TRUE));
    ASSERT_EQ(S_OK, watcher.RegisterPath(second.Path().c_str(), watcher.m_window, TRUE));

    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, first.File(L"a.txt").c_str(), nullptr);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, second.File(L"b.txt").c_str(), nullptr);
    ASSERT_TRUE(watcher.WaitForChanges(1));
    watcher.Settle();
    ASSERT_EQ(1u, watcher.changes.size()) << "the first folder is no longer watched";
    EXPECT_EQ(second.File(L"b.txt"), watcher.changes[0].first);

    ULONG registration = watcher.GetRegistration();
    EXPECT_NE(S_OK, watcher.RegisterPath(L"Q:\\no\\such\\<folder>", watcher.m_window, TRUE));
    EXPECT_EQ(registration, watcher.GetRegistration()) << "a path that does not parse keeps the registration";

    watcher.Deregister();
    EXPECT_EQ(0u, watcher.GetRegistration());
    SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW | SHCNF_FLUSH, second.File(L"b.txt").c_str(), nullptr);
    watcher.Settle();
    EXPECT_EQ(1u, watcher.changes.size());
}
