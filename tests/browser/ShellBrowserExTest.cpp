#include "BrowserHost.h"

#include "lib/FileSystem.h"
#include "lib/MemoryDc.h"
#include "lib/ShellLink.h"
#include "lib/ThemePalette.h"
#include "lib/WindowDc.h"
#include "lib/WindowSubclass.h"
#include "skin/BackgroundPainting.h"
#include "support/DialogScriptDriver.h"
#include "support/GdiObjectCounter.h"
#include "support/MarkerScript.h"
#include "support/Soak.h"

#include <cstdio>

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
    m_folders.AddFolder(L"sub");
    ASSERT_NE(L"", m_folders.AddShortcut(L"tofile.lnk", m_folders.Path(L"c.txt")));
    ASSERT_NE(L"", m_folders.AddShortcut(L"todir.lnk", m_folders.AddFolder(L"x.ini")));
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

const COLORREF Green = 0x00FF00;

// What the list view was handed: each bitmap's size and corner colours, read when it arrives
// (the list view may delete it later).
struct HandedBitmap {
    std::pair<LONG, LONG> size;
    COLORREF topLeft, bottomRight;
};

bool CloseTo(COLORREF actual, COLORREF expected) {
    return abs(GetRValue(actual) - GetRValue(expected)) < 40 && abs(GetGValue(actual) - GetGValue(expected)) < 40 &&
           abs(GetBValue(actual) - GetBValue(expected)) < 40;
}

HandedBitmap Describe(HBITMAP bitmap) {
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    HandedBitmap handed = {{info.bmWidth, info.bmHeight}, CLR_INVALID, CLR_INVALID};
    CMemoryDc dc;
    dc.Select(bitmap);
    handed.topLeft = GetPixel(dc.Get(), 1, 1);
    handed.bottomRight = GetPixel(dc.Get(), info.bmWidth - 2, info.bmHeight - 2);
    return handed;
}

LRESULT CALLBACK CaptureImages(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* handed = reinterpret_cast<std::vector<std::pair<HBITMAP, HandedBitmap>>*>(data);
    if (message == LVM_SETBKIMAGEW) {
        HBITMAP bitmap = reinterpret_cast<const LVBKIMAGEW*>(lParam)->hbm;
        // Wine refuses the watermark and gets the same bitmap again as a plain image.
        if (bitmap && (handed->empty() || handed->back().first != bitmap))
            handed->emplace_back(bitmap, Describe(bitmap));
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

class BackgroundTest : public BrowserTest<CShellBrowserEx> {
protected:
    void Browse(UINT backgroundType) {
        Create(0);
        m_handed.clear();
        m_browser->SetBackgroundType(backgroundType);
        m_browser->RenderGradient(Red, Blue, 2);
        ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
        m_capture.Install(m_browser->ListView(), CaptureImages, 0, reinterpret_cast<DWORD_PTR>(&m_handed));
    }
    void Resize(int width, int height) {
        SetWindowPos(m_host.Window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }
    std::pair<LONG, LONG> ClientSize() const {
        RECT client;
        GetClientRect(m_host.Window(), &client);
        return {client.right, client.bottom};
    }

    std::vector<std::pair<HBITMAP, HandedBitmap>> m_handed;
    CWindowSubclass m_capture;
};

TEST_F(BackgroundTest, AGradientComesOncePerResizeAtTheViewsSizeAndShowsItsCorners) {
    Browse(CShellBrowserEx::BackgroundGradient);
    Resize(420, 300);
    ASSERT_EQ(1u, m_handed.size());
    EXPECT_EQ(ClientSize(), m_handed[0].second.size);
    Resize(420, 300);
    EXPECT_EQ(1u, m_handed.size()) << "the same size renders nothing";

    ShowWindow(m_host.Window(), SW_MINIMIZE);
    EXPECT_EQ(1u, m_handed.size()) << "a minimized view has nothing to show";
    ShowWindow(m_host.Window(), SW_RESTORE);
    ASSERT_EQ(2u, m_handed.size());
    EXPECT_EQ(ClientSize(), m_handed[1].second.size);

    // What the screen shows of an empty folder: the gradient's corners.
    RedrawWindow(ListView(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpFor(100);
    RECT client;
    GetClientRect(ListView(), &client);
    CWindowDc dc(ListView());
    COLORREF topLeft = GetPixel(dc.Get(), 2, 2), bottomRight = GetPixel(dc.Get(), client.right - 3, client.bottom - 3);
    EXPECT_TRUE(CloseTo(topLeft, Red)) << std::hex << topLeft;
    EXPECT_TRUE(CloseTo(bottomRight, Blue)) << std::hex << bottomRight;
}

TEST_F(BackgroundTest, APictureIsHandedOverCentredAtTheViewsSizeOnlyOnceItLoadsAndTheShellsOwnBackgroundGetsNone) {
    m_folders.AddFile(L"not a picture.jpg", "plain text");
    std::wstring picture = m_folders.Path(L"large.png");
    ASSERT_TRUE(SaveSolidPicture(picture, 4000, 3000, Red, Blue));
    Browse(CShellBrowserEx::BackgroundPicture);
    Gdiplus::Bitmap* gradient = m_browser->BackgroundBitmap();
    ASSERT_NE(nullptr, gradient);
    EXPECT_FALSE(m_browser->RenderPicture(m_folders.Path(L"missing.png").c_str(), 1));
    EXPECT_FALSE(m_browser->RenderPicture(m_folders.Path(L"not a picture.jpg").c_str(), 1));
    EXPECT_EQ(gradient, m_browser->BackgroundBitmap());
    Resize(300, 200);
    EXPECT_TRUE(m_handed.empty()) << "no picture was ever loaded";

    ASSERT_TRUE(m_browser->RenderPicture(picture.c_str(), BackgroundPictureCentered));
    Resize(500, 360);
    ASSERT_FALSE(m_handed.empty());
    const HandedBitmap& handed = m_handed.back().second;
    EXPECT_EQ(ClientSize(), handed.size);
    EXPECT_TRUE(CloseTo(handed.topLeft, Blue)) << std::hex << handed.topLeft;
    EXPECT_TRUE(CloseTo(handed.bottomRight, Blue)) << std::hex << handed.bottomRight;

    Browse(CShellBrowserEx::BackgroundShell);
    Resize(500, 350);
    Resize(300, 200);
    EXPECT_TRUE(m_handed.empty()) << "the shell's own background";
}

TEST_F(BackgroundTest, LabelsShowTheGradientThroughUnlessTheItemGivesThemABackground) {
    m_folders.AddFile(L"a label of some length.txt", "x");
    // How many pixels of the item's label are white and how many green, as drawn on screen.
    auto labelPixels = [&](BOOL textBackground) {
        Create(0);
        m_browser->SetTextBackgroundColor(textBackground, Green);
        m_browser->SetBackgroundType(CShellBrowserEx::BackgroundGradient);
        m_browser->RenderGradient(Red, Blue, 0);
        EXPECT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
        Resize(400, 300);
        EXPECT_TRUE(PumpMessagesUntil([&] { return ListView_GetItemCount(ListView()) == 1; }));
        RedrawWindow(ListView(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RECT label = {};
        ListView_GetItemRect(ListView(), 0, &label, LVIR_LABEL);
        std::pair<int, int> counted = {0, 0};
        CWindowDc dc(ListView());
        for (int y = label.top; y < label.bottom; ++y) {
            for (int x = label.left; x < label.right; ++x) {
                COLORREF pixel = GetPixel(dc.Get(), x, y);
                counted.first += pixel == RGB(255, 255, 255);
                counted.second += pixel == Green;
            }
        }
        EXPECT_GT(label.right - label.left, 20) << "the label has room to be read";
        return counted;
    };
    // In the dark scheme too: white text on the item's light gradient would be as unreadable.
    SetCurrentColorScheme(ColorSchemeDark, FALSE);
    std::pair<int, int> plain = labelPixels(FALSE);
    SetCurrentColorScheme(ColorSchemeLight, FALSE);
    EXPECT_EQ(0, plain.first) << "no white box behind the text, no white text";
    EXPECT_EQ(0, plain.second);
    EXPECT_GT(labelPixels(TRUE).second, 20) << "the item's own text background";
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(window, CountWindow, count);
    }
    return TRUE;
}

// The windows this process owns, children included.
int CountOwnWindows() {
    int count = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Usage {
    long gdiObjects;
    int windows;
};

Usage Measure() {
    PumpFor(50);
    return {GdiObjectCounter::Read(), CountOwnWindows()};
}

TEST_F(ShellBrowserExTest, SoakOfNavigationResizesModesAndBackgroundsGivesEverythingBack) {
    std::wstring sub = m_folders.AddFolder(L"sub");
    m_folders.AddFile(L"a.txt");
    std::wstring picture = m_folders.Path(L"picture.png");
    ASSERT_TRUE(SaveSolidPicture(picture, 64, 48, Green));
    auto cycle = [&](int index) {
        ASSERT_EQ(S_OK, m_browser->BrowseToPath(sub.c_str()));
        ASSERT_EQ(S_OK, m_browser->BrowseObject(nullptr, SBSP_NAVIGATEBACK));
        SetWindowPos(m_host.Window(), nullptr, 0, 0, 500 + index % 7 * 10, 400 - index % 5 * 10,
                     SWP_NOMOVE | SWP_NOZORDER);
        SendMessageW(m_browser->ViewWindow(), WM_COMMAND,
                     static_cast<WPARAM>(m_browser->ViewCommand(index % 2 ? 4 : 0)), 0);
        m_browser->SetBackgroundType(CShellBrowserEx::BackgroundGradient);
        m_browser->RenderGradient(Red, Blue, index % 4);
        m_browser->ApplyBackground();
        m_browser->SetBackgroundType(CShellBrowserEx::BackgroundPicture);
        ASSERT_TRUE(m_browser->RenderPicture(picture.c_str(), index % 10));
        m_browser->ApplyBackground();
    };

    ASSERT_EQ(S_OK, m_browser->BrowseToPath(m_folders.Root().c_str()));
    cycle(0); // the shell loads its icons and caches on the first round
    Usage start = Measure();
    int cycles = SoakCycles(30, 300);
    DWORD began = GetTickCount();
    for (int index = 1; index <= cycles && !HasFatalFailure(); index++)
        cycle(index);
    Usage afterCycles = Measure();
    DWORD cyclesTook = GetTickCount() - began;
    Destroy();

    auto makeBrowsers = [&](int count) {
        for (int index = 0; index < count; index++) {
            CShellBrowserEx another(m_host.Window(), nullptr, index % 11);
            another.SetBackgroundType(CShellBrowserEx::BackgroundGradient);
            another.RenderGradient(Red, Blue, 2);
            ASSERT_EQ(S_OK, another.BrowseToPath(m_folders.Root().c_str()));
        }
    };
    makeBrowsers(11); // every view mode once: the shell caches what each one draws with
    Usage beforeBrowsers = Measure();
    makeBrowsers(50);
    Usage afterBrowsers = Measure();
    printf("soak: %d cycles in %lu ms; GDI objects %ld -> %ld; 50 browsers: GDI objects %ld -> %ld\n", cycles,
           cyclesTook, start.gdiObjects, afterCycles.gdiObjects, beforeBrowsers.gdiObjects, afterBrowsers.gdiObjects);
    EXPECT_EQ(start.gdiObjects, afterCycles.gdiObjects);
    EXPECT_EQ(start.windows, afterCycles.windows);
    EXPECT_EQ(beforeBrowsers.gdiObjects, afterBrowsers.gdiObjects);
    EXPECT_EQ(beforeBrowsers.windows, afterBrowsers.windows);
}

} // namespace
