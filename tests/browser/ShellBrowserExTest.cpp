#include "BrowserHost.h"

#include "lib/ShellLink.h"
#include "lib/FileSystem.h"
#include "lib/WindowDc.h"
#include "lib/WindowSubclass.h"
#include "support/DialogScriptDriver.h"
#include "support/MarkerScript.h"

namespace {

// Raised while the view window handles a click notification, by a subclass above the browser's.
bool g_handlingClick = false;

LRESULT CALLBACK WatchClicks(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != NM_CLICK)
        return DefSubclassProc(window, message, wParam, lParam);
    g_handlingClick = true;
    LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    g_handlingClick = false;
    return result;
}

// How many of our "cannot open" boxes this thread showed inside a click's notification.
int g_boxesInsideClick = 0;

LRESULT CALLBACK RecordBoxes(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        wchar_t text[256] = L"";
        GetDlgItemTextW(call->hwnd, 0xFFFF, text, ARRAYSIZE(text)); // a message box's text control
        g_boxesInsideClick += g_handlingClick && wcscmp(text, L"Error Opening File") == 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class ShellBrowserExTest : public BrowserTest<CShellBrowserEx> {
protected:
    void ClickOn(const std::wstring& name) {
        int index = FindListViewItem(ListView(), name);
        ASSERT_GE(index, 0) << testing::PrintToString(name);
        RECT icon = {LVIR_ICON, 0, 0, 0};
        SendMessageW(ListView(), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&icon));
        LPARAM point = MAKELPARAM((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
        PostMessageW(ListView(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(ListView(), WM_LBUTTONUP, 0, point);
    }
    std::string ClickAndReadMarker(const std::wstring& name, const std::wstring& marker) {
        ClickOn(name);
        PumpMessagesUntil([&] { return IsExistingFile(marker.c_str()); }, 15000);
        return WaitForMarkerLine(marker);
    }
};

TEST_F(ShellBrowserExTest, FoldersPatternsAndDriveRootsDecideWhatIsListed) {
    for (LPCWSTR file : {L"a.EXE", L"b.ini", L"c.txt", L"d.jpg"})
        m_folders.AddFile(file);
    std::wstring folder = m_folders.AddFolder(L"x.ini");
    m_folders.AddFolder(L"sub");
    ASSERT_EQ(S_OK, SaveShellLink(m_folders.Path(L"tofile.lnk").c_str(), m_folders.Path(L"c.txt").c_str()));
    ASSERT_EQ(S_OK, SaveShellLink(m_folders.Path(L"todir.lnk").c_str(), folder.c_str()));
    // The longest filter the options accept: the patterns that matter, then padding.
    std::wstring longest = L"*.exe;*.jpg";
    while (longest.size() < 1023)
        longest += longest.size() + 6 <= 1023 ? L";*.zzz" : L";";
    const std::vector<std::wstring> names = {L"a.EXE", L"b.ini", L"c.txt",      L"d.jpg",
                                             L"x.ini", L"sub",   L"tofile.lnk", L"todir.lnk"};
    const struct {
        BOOL showFolders;
        std::wstring inclusion, exclusion;
        std::vector<std::wstring> shown;
    } cases[] = {
        {FALSE, L"", L"", {L"a.EXE", L"b.ini", L"c.txt", L"d.jpg", L"tofile.lnk"}},
        {TRUE, L"*.exe;*.jpg", L"*.ini", {L"a.EXE", L"d.jpg", L"x.ini", L"sub", L"todir.lnk"}},
        {TRUE, longest, L"*.ini", {L"a.EXE", L"d.jpg", L"x.ini", L"sub", L"todir.lnk"}},
        {TRUE, L";", L";", names},
        {TRUE, L"", L"*.lnk", {L"a.EXE", L"b.ini", L"c.txt", L"d.jpg", L"x.ini", L"sub", L"todir.lnk"}},
    };
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    for (const auto& sample : cases) {
        m_browser->SetShowFolders(sample.showFolders);
        m_browser->SetInclusionFilter(sample.inclusion.c_str());
        m_browser->SetExclusionFilter(sample.exclusion.c_str());
        EXPECT_EQ(S_OK, m_browser->Refresh());
        PumpMessagesUntil([&] { return ListView_GetItemCount(ListView()) == static_cast<int>(sample.shown.size()); });
        std::vector<std::wstring> shown;
        for (const std::wstring& name : names)
            if (FindListViewItem(ListView(), name) >= 0)
                shown.push_back(name);
        EXPECT_EQ(sample.shown, shown) << "include " << testing::PrintToString(sample.inclusion.substr(0, 40))
                                       << " exclude " << testing::PrintToString(sample.exclusion);
    }

    CIdList computer;
    ASSERT_EQ(S_OK, SHGetFolderLocation(nullptr, CSIDL_DRIVES, nullptr, 0, computer.Receive()));
    ASSERT_EQ(S_OK, m_browser->BrowseObject(computer.Get(), SBSP_SAMEBROWSER));
    PumpFor(200);
    int withRoots = ListView_GetItemCount(ListView());
    ASSERT_GT(withRoots, 0);
    m_browser->SetShowDriveRoots(FALSE);
    m_browser->Refresh();
    PumpFor(200);
    for (const std::wstring& text : ListViewTexts(ListView()))
        EXPECT_EQ(std::wstring::npos, text.find(L"C:")) << testing::PrintToString(text);
    EXPECT_LT(ListView_GetItemCount(ListView()), withRoots);
}

TEST_F(ShellBrowserExTest, AModeChosenInTheViewIsReportedOnceAndUsedByTheNextNavigation) {
    std::wstring sub = m_folders.AddFolder(L"sub");
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    EXPECT_TRUE(m_host.viewModes.empty()) << "the browser's own mode command is no choice of the user";
    SendMessageW(ListView(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_HEADERINALLVIEWS);
    LONG_PTR details = m_browser->ViewCommand(4);
    SendMessageW(m_browser->ViewWindow(), WM_COMMAND, static_cast<WPARAM>(details), 0);
    SendMessageW(m_browser->ViewWindow(), WM_COMMAND, 0xFFFF, 0);
    EXPECT_EQ(std::vector<UINT>{4}, m_host.viewModes);
    EXPECT_EQ(4u, m_browser->ViewMode());
    EXPECT_EQ(static_cast<UINT>(FVM_DETAILS), m_browser->FolderSettings().ViewMode);
    DWORD style = static_cast<DWORD>(SendMessageW(ListView(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(0u, style & (LVS_EX_FULLROWSELECT | LVS_EX_HEADERINALLVIEWS));

    ASSERT_EQ(S_OK, m_browser->BrowseToPath(sub.c_str()));
    EXPECT_EQ(4u, m_browser->ViewMode());
    EXPECT_EQ(std::vector<UINT>{4}, m_host.viewModes);
}

TEST_F(ShellBrowserExTest, ColoursHoldAgainstTheShellThroughNavigationRefreshAndModes) {
    std::wstring sub = m_folders.AddFolder(L"sub");
    m_browser->SetTextColor(TRUE, Red);
    m_browser->SetBackgroundType(CShellBrowserEx::BackgroundSolid);
    m_browser->SetBackgroundColor(Blue);
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    COLORREF textBackground = static_cast<COLORREF>(SendMessageW(ListView(), LVM_GETTEXTBKCOLOR, 0, 0));
    auto expectOurColours = [&](const char* when) {
        EXPECT_EQ(Red, static_cast<COLORREF>(SendMessageW(ListView(), LVM_GETTEXTCOLOR, 0, 0))) << when;
        EXPECT_EQ(Blue, static_cast<COLORREF>(SendMessageW(ListView(), LVM_GETBKCOLOR, 0, 0))) << when;
        // What the shell sends is refused, whether we chose that colour or not.
        SendMessageW(ListView(), LVM_SETTEXTCOLOR, 0, 0x123456);
        SendMessageW(ListView(), LVM_SETTEXTBKCOLOR, 0, 0x123456);
        SendMessageW(ListView(), LVM_SETBKCOLOR, 0, 0x123456);
        SendMessageW(ListView(), LVM_SETSELECTEDCOLUMN, 0, 0);
        EXPECT_EQ(Red, static_cast<COLORREF>(SendMessageW(ListView(), LVM_GETTEXTCOLOR, 0, 0))) << when;
        EXPECT_NE(0x123456u, static_cast<COLORREF>(SendMessageW(ListView(), LVM_GETTEXTBKCOLOR, 0, 0))) << when;
        EXPECT_EQ(Blue, static_cast<COLORREF>(SendMessageW(ListView(), LVM_GETBKCOLOR, 0, 0))) << when;
        EXPECT_EQ(-1, static_cast<int>(SendMessageW(ListView(), LVM_GETSELECTEDCOLUMN, 0, 0))) << when;
    };
    expectOurColours("after the first navigation");
    // What the screen shows: the item's label in our text colour, the empty rest in our background.
    RedrawWindow(ListView(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT label = {LVIR_LABEL, 0, 0, 0}, client;
    SendMessageW(ListView(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label));
    GetClientRect(ListView(), &client);
    CWindowDc screen(ListView());
    int redPixels = 0;
    for (int y = label.top; y < label.bottom; ++y)
        for (int x = label.left; x < label.right; ++x)
            redPixels += GetPixel(screen.Get(), x, y) == Red;
    COLORREF empty = GetPixel(screen.Get(), client.right - 3, client.bottom - 3);
    EXPECT_GT(redPixels, 0) << "no text in our colour";
    EXPECT_EQ(Blue, empty) << std::hex << empty;
    EXPECT_EQ(textBackground, static_cast<COLORREF>(SendMessageW(ListView(), LVM_GETTEXTBKCOLOR, 0, 0)));
    m_browser->Refresh();
    expectOurColours("after a refresh");
    SendMessageW(m_browser->ViewWindow(), WM_COMMAND, static_cast<WPARAM>(m_browser->ViewCommand(4)), 0);
    expectOurColours("after a mode change");
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(sub.c_str()));
    expectOurColours("after a navigation");

    Create();
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    SendMessageW(ListView(), LVM_SETSELECTEDCOLUMN, 0, 0);
    EXPECT_EQ(0, static_cast<int>(SendMessageW(ListView(), LVM_GETSELECTEDCOLUMN, 0, 0)))
        << "with the shell's own background the sort column is the shell's";
}

TEST_F(ShellBrowserExTest, OneClickShowsAHandOverItemsRunsScriptsAndShortcutsWhereTheyBelongAndOpensFoldersInPlace) {
    std::wstring scriptMarker = m_folders.Path(L"script.txt"), linkMarker = m_folders.Path(L"link.txt");
    std::wstring work = m_folders.AddFolder(L"work"), target = m_folders.Path(L"work\\target.cmd");
    ASSERT_TRUE(WriteMarkerScript(m_folders.Path(L"run.cmd"), scriptMarker, "[%CD%]"));
    ASSERT_TRUE(WriteMarkerScript(target, linkMarker, "%* [%CD%]"));
    ASSERT_EQ(S_OK, SaveShellLink(m_folders.Path(L"go.lnk").c_str(), target.c_str(), L"hello", work.c_str()));
    m_browser->SetOneClickActivate(TRUE);
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    EXPECT_EQ(0, GetWindowLongW(ListView(), GWL_STYLE) & LVS_SINGLESEL);
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    auto cursorAt = [&](POINT point) {
        ClientToScreen(ListView(), &point);
        SetCursorPos(point.x, point.y);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SendMessageW(m_browser->ViewWindow(), WM_SETCURSOR, reinterpret_cast<WPARAM>(ListView()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    RECT icon = {LVIR_ICON, 0, 0, 0};
    SendMessageW(ListView(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon));
    EXPECT_EQ(hand, cursorAt({(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2}));
    RECT client;
    GetClientRect(ListView(), &client);
    EXPECT_NE(hand, cursorAt({client.right - 5, client.bottom - 5}));
    PostMessageW(ListView(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 5, client.bottom - 5));
    PostMessageW(ListView(), WM_LBUTTONUP, 0, MAKELPARAM(client.right - 5, client.bottom - 5));
    PumpFor(200);
    EXPECT_EQ(m_folders.Root(), CurrentPath(*m_browser)) << "a click on empty space opens nothing";

    std::string root(m_folders.Root().begin(), m_folders.Root().end()), workPath(work.begin(), work.end());
    std::string scriptOutput = ClickAndReadMarker(L"run.cmd", scriptMarker);
    EXPECT_NE(std::string::npos, scriptOutput.find(root)) << scriptOutput;
    std::string linkOutput = ClickAndReadMarker(L"go.lnk", linkMarker);
    EXPECT_EQ(0u, linkOutput.find("hello ")) << linkOutput;
    EXPECT_NE(std::string::npos, linkOutput.find(workPath)) << linkOutput;
    ClickOn(L"work");
    EXPECT_TRUE(PumpMessagesUntil([&] { return CurrentPath(*m_browser) == work; }));
}

TEST_F(ShellBrowserExTest, OneClickOnWhatCannotOpenSaysSoOnceWithoutHanging) {
    ASSERT_EQ(S_OK, SaveShellLink(m_folders.Path(L"broken.lnk").c_str(), m_folders.Path(L"gone.txt").c_str()));
    m_folders.AddFile(L"plain.unassociated", "x");
    m_browser->SetOneClickActivate(TRUE);
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    // The box's own message loop lets the user reach the options and rebuild every browser; the
    // click's handler must not be waiting under it with the browser it runs in.
    CWindowSubclass watching;
    ASSERT_TRUE(watching.Install(m_browser->ViewWindow(), WatchClicks, 1, 0));
    g_boxesInsideClick = 0;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, RecordBoxes, nullptr, GetCurrentThreadId());
    // The shell says why in its own box first; ours follows once.
    for (LPCWSTR name : {L"broken.lnk", L"plain.unassociated"}) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(name)));
        int commands = m_host.defaultCommands;
        DialogScriptDriver driver({DialogScriptDriver::Press(IDOK), DialogScriptDriver::Press(IDOK)});
        ClickOn(name);
        PumpMessagesUntil([&] { return m_host.defaultCommands > commands; });
        PumpFor(500);
        std::vector<DialogScriptDriver::Dialog> dialogs = driver.Finish();
        ASSERT_FALSE(dialogs.empty()) << "now at " << testing::PrintToString(CurrentPath(*m_browser));
        int ours = 0;
        for (const auto& dialog : dialogs)
            ours += dialog.caption == L"Error" && dialog.text == L"Error Opening File";
        EXPECT_EQ(1, ours) << DescribeDialogs(dialogs);
        EXPECT_EQ(L"Error Opening File", dialogs.back().text) << DescribeDialogs(dialogs);
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(0, g_boxesInsideClick) << "the box ran its loop inside the click's notification";
}

TEST_F(ShellBrowserExTest, LabelEditingIsFlaggedUntilEscapeAndSurvivesTheBrowsersEnd) {
    m_folders.AddFile(L"name.txt");
    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    SetFocus(ListView());
    HWND edit = reinterpret_cast<HWND>(SendMessageW(ListView(), LVM_EDITLABELW, 0, 0));
    ASSERT_NE(nullptr, edit);
    EXPECT_TRUE(m_browser->IsEditingLabel());
    SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessagesUntil([&] { return !m_browser->IsEditingLabel(); }, 1000);
    EXPECT_FALSE(m_browser->IsEditingLabel());

    ASSERT_NE(nullptr, reinterpret_cast<HWND>(SendMessageW(ListView(), LVM_EDITLABELW, 0, 0)));
    Destroy();
    PumpFor(100);
    EXPECT_TRUE(IsWindow(m_host.Window()));
}

} // namespace
