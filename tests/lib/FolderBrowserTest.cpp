#include "lib/FolderBrowser.h"

#include "support/DialogScriptDriver.h"
#include "support/TempDirectory.h"
#include "support/WindowSearch.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

// Browses with a helper thread that waits for the dialog and for its tree to select the starting
// folder (named selection; filling the tree takes long on a loaded machine), presses the button and
// returns the dialog's centre ({-1, -1}: no dialog).
POINT BrowseAndPress(int button, BrowseFolderState* state, HWND owner, LPCWSTR start, LPCWSTR selection,
                     BOOL expectedResult) {
    POINT centre = {-1, -1};
    std::thread closer([&] {
        HWND dialog = nullptr;
        for (DWORD begin = GetTickCount(); GetTickCount() - begin < 30000; Sleep(20)) {
            dialog = dialog ? dialog : FindOwnWindow(L"#32770");
            if (dialog && SelectedTreeText(dialog) == selection)
                break;
        }
        if (!dialog)
            return;
        RECT rect;
        GetWindowRect(dialog, &rect);
        centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    });
    EXPECT_EQ(expectedResult, BrowseForFolder(state, owner, start));
    closer.join();
    return centre;
}

} // namespace

TEST(FolderBrowserTest, StartsAtTheGivenOrCurrentFolderCentredOverTheOwnerOrScreen) {
    TempDirectory temp;
    std::wstring name = temp.Path().substr(temp.Path().rfind(L'\\') + 1);
    BrowseFolderState state;
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 120, 80, 900, 760, nullptr, nullptr, nullptr,
                                 nullptr);
    POINT centre = BrowseAndPress(IDOK, &state, owner, temp.Path().c_str(), name.c_str(), TRUE);
    DestroyWindow(owner);
    EXPECT_STREQ(temp.Path().c_str(), state.chosenPath);
    EXPECT_NEAR(120 + 900 / 2, centre.x, 1);
    EXPECT_NEAR(80 + 760 / 2, centre.y, 1);

    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(temp.Path().c_str());
    centre = BrowseAndPress(IDOK, &state, nullptr, L"", name.c_str(), TRUE);
    SetCurrentDirectoryW(previous);
    EXPECT_STREQ(temp.Path().c_str(), state.chosenPath);
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, centre.x, 1);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, centre.y, 1);

    BrowseAndPress(IDCANCEL, &state, nullptr, temp.Path().c_str(), name.c_str(), FALSE);
    EXPECT_STREQ(L"", state.chosenPath);
}
