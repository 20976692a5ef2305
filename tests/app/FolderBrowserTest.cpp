#include "app/FolderBrowser.h"

#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM context) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (owner != GetCurrentProcessId() || wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

// Waits on a helper thread for the browse dialog, notes where it stands and presses a button.
class BrowseDialogCloser {
public:
    explicit BrowseDialogCloser(int button)
        : m_thread([this, button] {
              for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(20)) {
                  HWND dialog = nullptr;
                  EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&dialog));
                  if (!dialog)
                      continue;
                  // Gives the dialog time to fill its tree and select the starting folder.
                  Sleep(500);
                  GetWindowRect(dialog, &m_rect);
                  m_seen = true;
                  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
                  return;
              }
          }) {}
    ~BrowseDialogCloser() { m_thread.join(); }
    BrowseDialogCloser(const BrowseDialogCloser&) = delete;
    BrowseDialogCloser& operator=(const BrowseDialogCloser&) = delete;

    // The dialog's centre; valid once the browse call returned.
    bool Centre(POINT* centre) const {
        if (!m_seen)
            return false;
        *centre = {(m_rect.left + m_rect.right) / 2, (m_rect.top + m_rect.bottom) / 2};
        return true;
    }

private:
    RECT m_rect = {};
    std::atomic<bool> m_seen{false};
    std::thread m_thread;
};

} // namespace

TEST(FolderBrowserTest, StartsAtTheGivenOrCurrentFolderCentredOverTheOwnerOrScreen) {
    TempDirectory temp;
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 120, 80, 900, 760, nullptr, nullptr, nullptr,
                                 nullptr);
    BrowseFolderState state;
    POINT centre;
    {
        BrowseDialogCloser closer(IDOK);
        EXPECT_TRUE(BrowseForFolder(&state, owner, temp.Path().c_str()));
        ASSERT_TRUE(closer.Centre(&centre));
    }
    EXPECT_STREQ(temp.Path().c_str(), state.chosenPath);
    EXPECT_NEAR(120 + 900 / 2, centre.x, 1);
    EXPECT_NEAR(80 + 760 / 2, centre.y, 1);
    DestroyWindow(owner);

    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(temp.Path().c_str());
    {
        BrowseDialogCloser closer(IDOK);
        EXPECT_TRUE(BrowseForFolder(&state, nullptr, L""));
        ASSERT_TRUE(closer.Centre(&centre));
    }
    SetCurrentDirectoryW(previous);
    EXPECT_STREQ(temp.Path().c_str(), state.chosenPath);
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, centre.x, 1);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, centre.y, 1);

    BrowseDialogCloser closer(IDCANCEL);
    EXPECT_FALSE(BrowseForFolder(&state, nullptr, temp.Path().c_str()));
    EXPECT_STREQ(L"", state.chosenPath);
}
