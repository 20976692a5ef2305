#include "containers/ShellItemChangeWatcher.h"
#include "lib/WindowSubclass.h"
#include "support/MessagePump.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring Change(LONG event, const std::wstring& first, const std::wstring& second = L"") {
    return std::to_wstring(event) + L" " + first + L" -> " + second;
}

// A watcher with its own hidden window, recording every change it is told about.
class RecordingWatcher : public IShellItemChangeWatcher {
public:
    RecordingWatcher() { m_subclass.Install(window, Procedure, 0, reinterpret_cast<DWORD_PTR>(this)); }
    ~RecordingWatcher() override {
        Deregister();
        DestroyWindow(window);
    }
    void OnShellItemChange(LONG event, LPCWSTR firstPath, LPCWSTR secondPath) override {
        changes.push_back(Change(event, firstPath, secondPath));
    }
    const std::vector<std::wstring>& WaitForChanges(size_t count) {
        PumpMessagesUntil([&] { return changes.size() >= count; }, 5000);
        return changes;
    }

    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<std::wstring> changes;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
        if (message != WM_SHELL_ITEM_CHANGE)
            return DefSubclassProc(window, message, wParam, lParam);
        reinterpret_cast<RecordingWatcher*>(self)->HandleNotification(wParam, lParam);
        return 0;
    }
    CWindowSubclass m_subclass;
};

void Announce(LONG event, const std::wstring& first, const std::wstring& second = L"") {
    SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, first.c_str(), second.empty() ? nullptr : second.c_str());
}

} // namespace

// The shell is told of changes with SHChangeNotify: Wine does not watch the file system itself.
TEST(ShellItemChangeWatcher, ReportsChangesWithTheirPathsKeepsOneRegistrationAndEndsIt) {
    TempDirectory first, second;
    RecordingWatcher watcher;
    ASSERT_EQ(S_OK, watcher.RegisterPath(first.Path().c_str(), watcher.window, TRUE));
    ASSERT_EQ(S_OK, watcher.RegisterPath(second.Path().c_str(), watcher.window, TRUE));
    EXPECT_NE(0u, watcher.GetRegistration());
    // Notifications arrive in order: once the second one is here, the first would have been too.
    // A rename gives the old name first.
    Announce(SHCNE_CREATE, first.File(L"a.txt"));
    Announce(SHCNE_CREATE, second.File(L"b.txt"));
    Announce(SHCNE_RENAMEITEM, second.File(L"b.txt"), second.File(L"c.txt"));
    EXPECT_EQ((std::vector<std::wstring>{Change(SHCNE_CREATE, second.File(L"b.txt")),
                                         Change(SHCNE_RENAMEITEM, second.File(L"b.txt"), second.File(L"c.txt"))}),
              watcher.WaitForChanges(2))
        << "the first folder is no longer watched";

    ULONG registration = watcher.GetRegistration();
    EXPECT_NE(S_OK, watcher.RegisterPath(L"Q:\\no\\such\\<folder>", watcher.window, TRUE));
    EXPECT_EQ(registration, watcher.GetRegistration()) << "a path that does not parse keeps the registration";

    watcher.Deregister();
    EXPECT_EQ(0u, watcher.GetRegistration());
    // A second watcher of the same folder tells when the change was delivered.
    RecordingWatcher witness;
    ASSERT_EQ(S_OK, witness.RegisterPath(second.Path().c_str(), witness.window, TRUE));
    Announce(SHCNE_DELETE, second.File(L"b.txt"));
    ASSERT_EQ(1u, witness.WaitForChanges(1).size());
    EXPECT_EQ(2u, watcher.changes.size()) << "nothing reaches a watcher after Deregister";
}
