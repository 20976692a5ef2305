#include "BrowserHost.h"

#include "lib/FileSystem.h"
#include "lib/WindowsVersion.h"
#include "support/Wine.h"
#include "support/WindowsVersionCopy.h"

namespace {

class ShellBrowserTest : public BrowserTest<CShellBrowser> {
protected:
    RECT ViewWindowRect() const {
        RECT rect;
        GetWindowRect(m_browser->ViewWindow(), &rect);
        MapWindowPoints(nullptr, m_host.Window(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    void PressEnterOn(const std::wstring& name) {
        HWND listView = m_browser->ListView();
        int index = FindListViewItem(listView, name);
        ASSERT_GE(index, 0) << "no item " << testing::PrintToString(name);
        // Selected and focused alone, as a click leaves it.
        ListView_SetItemState(listView, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetItemState(listView, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        PostMessageW(listView, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(listView, WM_KEYUP, VK_RETURN, 0);
    }
};

TEST_F(ShellBrowserTest, BothFacesAreOneObjectThatTheShellCannotDeleteAndItsViewFillsTheClientArea) {
    IShellBrowser* shellBrowser = &*m_browser;
    ICommDlgBrowser* dialogBrowser = &*m_browser;
    CComPtr<IUnknown> fromShellBrowser, fromDialogBrowser;
    CComPtr<ICommDlgBrowser> dialogFace;
    ASSERT_EQ(S_OK, shellBrowser->QueryInterface(IID_PPV_ARGS(&fromShellBrowser)));
    ASSERT_EQ(S_OK, dialogBrowser->QueryInterface(IID_PPV_ARGS(&fromDialogBrowser)));
    ASSERT_EQ(S_OK, shellBrowser->QueryInterface(IID_PPV_ARGS(&dialogFace)));
    EXPECT_EQ(fromShellBrowser.Get(), fromDialogBrowser.Get());
    EXPECT_EQ(static_cast<IUnknown*>(shellBrowser), fromShellBrowser.Get());
    EXPECT_EQ(dialogBrowser, dialogFace.Get());
    void* found = &found;
    EXPECT_EQ(E_NOINTERFACE, shellBrowser->QueryInterface(IID_IDispatch, &found));
    EXPECT_EQ(nullptr, found);
    fromShellBrowser.Reset();
    fromDialogBrowser.Reset();
    dialogFace.Reset();
    // Even a release too many leaves the object to its owner.
    EXPECT_EQ(0u, shellBrowser->Release());
    EXPECT_EQ(1u, shellBrowser->AddRef());

    IShellView* view = reinterpret_cast<IShellView*>(1);
    EXPECT_EQ(E_FAIL, m_browser->QueryActiveShellView(&view));
    EXPECT_EQ(nullptr, view);
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    ASSERT_EQ(S_OK, m_browser->QueryActiveShellView(&view));
    EXPECT_EQ(m_browser->CurrentView(), view);
    view->Release();

    WCHAR className[64] = L"";
    GetClassNameW(m_browser->ViewWindow(), className, 64);
    EXPECT_STREQ(L"SHELLDLL_DefView", className);
    ASSERT_NE(nullptr, m_browser->ListView());
    EXPECT_EQ(m_browser->ListView(), m_browser->FindListView());
    RECT client, viewRect = ViewWindowRect();
    GetClientRect(m_host.Window(), &client);
    EXPECT_TRUE(EqualRect(&client, &viewRect));
    SetWindowPos(m_host.Window(), nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(m_host.Window(), &client);
    viewRect = ViewWindowRect();
    EXPECT_TRUE(EqualRect(&client, &viewRect)) << "after a resize, " << viewRect.right << "x" << viewRect.bottom;
}

TEST_F(ShellBrowserTest, HistoryGoesBackAndForwardAndLosesItsFutureOnANewFolder) {
    std::wstring a = m_folders.AddFolder(L"A"), b = m_folders.AddFolder(L"A\\B"), c = m_folders.AddFolder(L"A\\B\\C");
    std::wstring d = m_folders.AddFolder(L"A\\D");
    for (const std::wstring& path : {a, b, c})
        ASSERT_EQ(S_OK, m_browser->BrowseToPath(path.c_str()));

    EXPECT_EQ(S_OK, m_browser->BrowseObject(nullptr, SBSP_NAVIGATEBACK));
    EXPECT_EQ(S_OK, m_browser->BrowseObject(nullptr, SBSP_NAVIGATEBACK));
    EXPECT_EQ(a, CurrentPath(*m_browser));
    HWND viewAtA = m_browser->ViewWindow();
    EXPECT_EQ(E_FAIL, m_browser->BrowseObject(nullptr, SBSP_NAVIGATEBACK));
    EXPECT_EQ(a, CurrentPath(*m_browser));
    EXPECT_EQ(viewAtA, m_browser->ViewWindow());
    EXPECT_EQ(std::make_pair(0, 3), std::make_pair(m_browser->HistoryIndex(), m_browser->HistoryCount()));

    EXPECT_EQ(S_OK, m_browser->BrowseObject(nullptr, SBSP_NAVIGATEFORWARD));
    EXPECT_EQ(b, CurrentPath(*m_browser));
    EXPECT_EQ(S_OK, m_browser->BrowseObject(nullptr, SBSP_PARENT));
    EXPECT_EQ(a, CurrentPath(*m_browser));
    // Up from the middle of the history is a new place: C is gone.
    EXPECT_EQ(std::make_pair(2, 3), std::make_pair(m_browser->HistoryIndex(), m_browser->HistoryCount()));
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(d.c_str()));
    EXPECT_EQ(E_FAIL, m_browser->BrowseObject(nullptr, SBSP_NAVIGATEFORWARD));
    EXPECT_EQ(d, CurrentPath(*m_browser));
    EXPECT_EQ(4, m_browser->HistoryCount());
    EXPECT_EQ(std::vector<std::wstring>({a, b, c, b, a, b, a, d}), m_host.completed);
}

TEST_F(ShellBrowserTest, BadPathsNestedNavigationsAndTheSameLocationLeaveTheViewAndTheHistoryAlone) {
    std::wstring a = m_folders.AddFolder(L"A"), b = m_folders.AddFolder(L"B"), file = m_folders.AddFile(L"file.txt");
    HRESULT inner = S_OK;
    m_host.onStarting = [&] { inner = m_browser->BrowseToPath(b.c_str()); };
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(a.c_str()));
    EXPECT_EQ(E_FAIL, inner) << "a navigation started inside a navigation";
    EXPECT_EQ(std::vector<std::wstring>{a}, m_host.completed);
    IShellView* firstView = m_browser->CurrentView();
    HWND view = m_browser->ViewWindow();
    EXPECT_EQ(S_OK, m_browser->BrowseToPath(a.c_str()));
    EXPECT_EQ(firstView, m_browser->CurrentView()) << "the same location";
    EXPECT_EQ(1u, m_host.starting.size());

    std::wstring longPath = m_folders.Root() + L"\\";
    longPath.append(259 - longPath.size(), L'x');
    for (const std::wstring& path : {std::wstring(), m_folders.Path(L"missing"), longPath, file}) {
        EXPECT_TRUE(FAILED(m_browser->BrowseToPath(path.c_str()))) << testing::PrintToString(path);
        EXPECT_EQ(a, CurrentPath(*m_browser));
        EXPECT_EQ(view, m_browser->ViewWindow());
        EXPECT_EQ(1, m_browser->HistoryCount());
    }
    EXPECT_EQ(E_INVALIDARG, m_browser->BrowseToPath(nullptr));

    m_browser->SetRebrowseSameLocation(TRUE);
    EXPECT_EQ(S_OK, m_browser->BrowseObject(m_browser->CurrentLocation(), 0));
    m_browser->SetRebrowseSameLocation(FALSE);
    EXPECT_NE(firstView, m_browser->CurrentView());
    EXPECT_TRUE(IsWindow(m_browser->ViewWindow()));
    EXPECT_EQ(std::make_pair(0, 1), std::make_pair(m_browser->HistoryIndex(), m_browser->HistoryCount()));
    EXPECT_EQ(std::vector<std::wstring>({a, a}), m_host.completed);
    EXPECT_EQ(S_OK, m_browser->BrowseToPath(b.c_str())) << "the refused navigation works on its own";
}

// The script runs after the focus checks, as it may take the foreground; the shortcut comes last,
// as it is skipped where the shell does not report it as a link.
TEST_F(ShellBrowserTest, EnterOpensSubfoldersInPlaceRunsAScriptAfterOneDefaultCommandAndFollowsFolderShortcuts) {
    std::wstring sub = m_folders.AddFolder(L"sub"), deeper = m_folders.AddFolder(L"sub\\deeper");
    std::wstring marker = m_folders.Path(L"marker.txt"), target = m_folders.AddFolder(L"target");
    ASSERT_NE(L"", m_folders.AddMarkerScript(L"sub\\deeper\\run.cmd", marker, "ran"));
    std::wstring link = m_folders.AddShortcut(L"sub\\deeper\\to target.lnk", target);
    ASSERT_NE(L"", link);
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    SetForegroundWindow(m_host.Window());
    SetFocus(m_browser->ListView());
    ASSERT_EQ(m_browser->ListView(), GetFocus());
    PressEnterOn(L"sub");
    ASSERT_TRUE(PumpMessagesUntil([&] { return CurrentPath(*m_browser) == sub; }));
    EXPECT_EQ(m_browser->ListView(), GetFocus()) << "the focus moves along to the new view";
    SetFocus(m_host.Window());
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(deeper.c_str()));
    EXPECT_EQ(m_host.Window(), GetFocus()) << "but is not taken from elsewhere";
    EXPECT_EQ(0, m_host.defaultCommands);

    PressEnterOn(L"run.cmd");
    EXPECT_TRUE(PumpMessagesUntil([&] { return IsExistingFile(marker.c_str()); }, 15000));
    EXPECT_EQ(1, m_host.defaultCommands);
    EXPECT_EQ(deeper, CurrentPath(*m_browser));

    CIdList linkItem(ILCreateFromPathW(link.c_str()));
    if (!m_browser->GetFolderLinkTarget(ILFindLastID(linkItem.Get())))
        GTEST_SKIP() << "the shell folder does not report the shortcut as a link (SFGAO_LINK)";
    PressEnterOn(L"to target.lnk");
    EXPECT_TRUE(PumpMessagesUntil([&] { return CurrentPath(*m_browser) == target; }));
    EXPECT_EQ(1, m_host.defaultCommands) << "a folder's shortcut opens without a default command";
}

std::vector<WPARAM> g_viewCommands;
LRESULT CALLBACK RecordViewCommands(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    WCHAR className[64] = L"";
    if (code == HC_ACTION && call->message == WM_COMMAND && GetClassNameW(call->hwnd, className, 64) &&
        wcscmp(className, L"SHELLDLL_DefView") == 0)
        g_viewCommands.push_back(call->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Wine's view switches modes only with the commands from before Vista: a copy of this program
// that Wine runs as Windows XP x64 shows the switch the command table makes; here, the commands.
TEST_F(ShellBrowserTest, NavigationSendsTheViewModeCommandOfTheRunningSystem) {
    if (StartedAsVersionCopy()) {
        m_folders.AddFile(L"a.txt");
        // The settings say list throughout: only the command makes any other type.
        FOLDERSETTINGS list = {FVM_LIST, FWF_NOWEBVIEW};
        const struct {
            UINT viewMode;
            LONG listViewType;
        } cases[] = {{2, LVS_SMALLICON}, {3, LVS_LIST}, {4, LVS_REPORT}, {1, LVS_ICON}};
        for (const auto& sample : cases) {
            Create(sample.viewMode, &list);
            ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
            EXPECT_EQ(sample.listViewType, GetWindowLongW(ListView(), GWL_STYLE) & LVS_TYPEMASK)
                << "view mode " << sample.viewMode;
        }
        return;
    }
    if (RunningOnWine()) {
        VersionCopyRun run = RunCopyAsWindowsVersion(L"winxp64", L"browser_tests_xp.exe",
                                                     L"ShellBrowserTest.NavigationSendsTheViewModeCommand*");
        EXPECT_TRUE(CopyPassed(run));
    }
    if (ReportedWindowsVersion().Before(6, 0))
        GTEST_SKIP() << "the commands checked here are those from Vista on";
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordViewCommands, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    const struct {
        UINT viewMode;
        WPARAM command;
    } cases[] = {{4, 0x704B}, {11, 0x7029}, {9, static_cast<WPARAM>(-1)}};
    for (const auto& sample : cases) {
        Create(sample.viewMode);
        g_viewCommands.clear();
        EXPECT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
        ASSERT_FALSE(g_viewCommands.empty()) << "view mode " << sample.viewMode;
        EXPECT_EQ(sample.command, g_viewCommands.front()) << "view mode " << sample.viewMode;
    }
    UnhookWindowsHookEx(hook);
}

} // namespace
