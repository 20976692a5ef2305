#include "BrowserItem.h"

#include "app/ContainerFactory.h"
#include "browser/DesktopBrowserXP.h"
#include "containers/DesktopBrowserContainer.h"
#include "containers/ShellBrowserContainerXP.h"
#include "lib/MonitorRect.h"
#include "lib/KernelHandle.h"
#include "lib/WindowSubclass.h"
#include "lib/WindowsVersion.h"
#include "support/DesktopStandIn.h"
#include "support/GdiObjectCounter.h"
#include "support/MessagePump.h"
#include "support/Soak.h"
#include "support/Wine.h"
#include "support/WindowsVersionCopy.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The user's desktop directory pointed at a fresh folder for this process and put back after. The
// shell reads it once, at its first look at the desktop: this must come before any shell call.
struct DesktopDirectory {
    DesktopDirectory() {
        DWORD size = sizeof(saved);
        hadValue = !RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                                 nullptr, saved, &size);
        RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", REG_EXPAND_SZ, folder.Path().c_str(),
                        static_cast<DWORD>((folder.Path().size() + 1) * sizeof(WCHAR)));
    }
    ~DesktopDirectory() {
        if (hadValue)
            RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", REG_EXPAND_SZ, saved,
                            static_cast<DWORD>((wcslen(saved) + 1) * sizeof(WCHAR)));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop");
    }
    void AddFolder(const std::wstring& name) const { CreateDirectoryW(folder.File(name).c_str(), nullptr); }

    TempDirectory folder;
    WCHAR saved[MAX_PATH * 2] = L"";
    bool hadValue = false;
};

const wchar_t kHideDesktopIcons[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\";
const wchar_t kMyComputer[] = L"{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// Folders of the test's desktop directory and their places on the stand-in's desktop: the last
// one stands where both clamps bite.
const struct {
    const wchar_t* name;
    int x, y;
} kIcons[] = {{L"Alpha", 20, 20}, {L"Beta", 640, 480}, {L"Gamma", 1200, 900}, {L"Delta", 1275, 1020}};

typedef std::map<std::wstring, std::pair<LONG, LONG>> IconPlaces;

// A "Desktop" item's window over the stand-in's desktop of the given layout.
struct Mirror {
    explicit Mirror(LPCWSTR layout) {
        std::wstring arguments = layout;
        for (const auto& icon : kIcons) {
            desktop.AddFolder(icon.name);
            arguments +=
                L" " + std::wstring(icon.name) + L" " + std::to_wstring(icon.x) + L" " + std::to_wstring(icon.y);
        }
        standIn.reset(new DesktopStandIn(arguments, ARRAYSIZE(kIcons)));
        standInListView = standIn->ListView();
        application.m_pOptions = new CApplicationOptions();
        wcscpy(item.Path, elsewhere.Path().c_str());
        item.FolderPresentationType = FolderPresentationDesktop;
        item.WindowRect = {0, 0, 640, 512};
        item.WindowPositionX = item.WindowPositionY = 20;
    }
    ~Mirror() { item.ReleaseContainer(); }
    bool Open() {
        return standInListView &&
               CreateContainerForItem(&item, &application, GetModuleHandleW(nullptr), nullptr, nullptr) &&
               Container()->Show(TRUE);
    }
    // Either container the system calls for; the XP one runs in the copy started as Windows XP.
    CShellBrowserContainerBase* Container() const {
        return static_cast<CShellBrowserContainerBase*>(ContainerOf(item));
    }
    CDesktopBrowser* Browser() const { return static_cast<CDesktopBrowser*>(Container()->GetBrowser()); }
    HWND ListView() const { return Browser()->ListView(); }

    std::wstring Label(int index) const {
        WCHAR text[MAX_PATH] = L"?";
        ListView_GetItemText(ListView(), index, 0, text, MAX_PATH);
        return text;
    }
    // An item's name as the view gives it; in the compact layout that is its tooltip.
    std::wstring Name(int index) const {
        if (!Label(index).empty())
            return Label(index);
        WCHAR text[MAX_PATH] = L"";
        NMLVGETINFOTIPW tip = {};
        tip.hdr = {ListView(), static_cast<UINT_PTR>(GetDlgCtrlID(ListView())), LVN_GETINFOTIPW};
        tip.pszText = text;
        tip.cchTextMax = MAX_PATH;
        tip.iItem = index;
        SendMessageW(Browser()->ViewWindow(), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
        return text;
    }
    int IndexOf(const std::wstring& name) const {
        for (int index = 0; index < ListView_GetItemCount(ListView()); ++index)
            if (Name(index) == name)
                return index;
        return -1;
    }
    IconPlaces Places() const {
        IconPlaces places;
        for (int index = 0; index < ListView_GetItemCount(ListView()); ++index) {
            POINT place = {};
            ListView_GetItemPosition(ListView(), index, &place);
            places[Name(index)] = {place.x, place.y};
        }
        return places;
    }
    bool PlacedAt(const IconPlaces& expected) const {
        IconPlaces places;
        auto arrived = [&] {
            places = Places();
            return std::includes(places.begin(), places.end(), expected.begin(), expected.end());
        };
        if (PumpMessagesUntil(arrived, 5000))
            return true;
        ADD_FAILURE() << "the mirror shows " << testing::PrintToString(places);
        return false;
    }
    LONG IconWidth() const {
        RECT icon = {};
        ListView_GetItemRect(ListView(), 0, &icon, LVIR_ICON);
        return icon.right - icon.left;
    }
    void PressRefresh() const { TranslateKey(Container()->GetWindow(), ListView(), VK_F5); }
    void AddIcon(LPCWSTR name, int x, int y) const {
        desktop.AddFolder(name);
        AddDesktopIcon(standInListView, name, x, y);
    }
    // Announces a change of the desktop directory and pumps until it has reached the window,
    // which may be at once: the shell may send rather than post it.
    bool AnnounceChange() const {
        int changes = 0;
        auto counter = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count) {
            *reinterpret_cast<int*>(count) += message == WM_DESKTOP_DIRECTORY_CHANGE;
            return DefSubclassProc(window, message, wParam, lParam);
        };
        CWindowSubclass counting;
        counting.Install(Container()->GetWindow(), counter, 1, reinterpret_cast<DWORD_PTR>(&changes));
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSH, desktop.folder.Path().c_str(), nullptr);
        return PumpMessagesUntil([&] { return changes > 0; }, 5000);
    }

    DesktopDirectory desktop;
    TempDirectory elsewhere;
    std::unique_ptr<DesktopStandIn> standIn;
    HWND standInListView = nullptr;
    CPathwren application;
    CGenericPathwrenObject item;
};

// Wine counts no handles; there the value of a new handle stands in, as its handle table hands
// out the lowest free slot and one kept per read pushes it up.
DWORD HandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count)
        return count;
    CKernelHandle probe(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(probe.Get()));
}

// The figures below are worked out for one 1280 x 1024 work area and Wine's 17-pixel scroll bars.
bool IsTheTestScreen() {
    RECT work;
    GetMonitorRect(0, &work, FALSE);
    return work.left == 0 && work.top == 0 && work.right == 1280 && work.bottom == 1024 &&
           GetSystemMetrics(SM_CXVSCROLL) == 17 && GetSystemMetrics(SM_CYHSCROLL) == 17;
}

// 640 x 512 less the scroll bars is 623 x 495 for 1280 x 1024, rounded down; compact icons are 16
// pixels with 5-pixel margins, so nothing stands right of 602 or below 474.
const IconPlaces kCompactPlaces = {
    {L"Alpha", {9, 9}}, {L"Beta", {311, 232}}, {L"Gamma", {584, 435}}, {L"Delta", {602, 474}}};
// 1200 x 1000 gives 1183 x 983; 32-pixel icons and 10-pixel margins keep them within 1141, 941.
const IconPlaces kLargePlaces = {
    {L"Alpha", {18, 19}}, {L"Beta", {591, 460}}, {L"Gamma", {1109, 863}}, {L"Delta", {1141, 941}}};

} // namespace

TEST(DesktopMirror, IconsStandAtTheirScaledPlacesInEveryDesktopLayoutCompactWithTipsThenLarge) {
    for (LPCWSTR layout : {L"progman", L"workerw", L"thumbnails"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(layout)));
        Mirror mirror(layout);
        ASSERT_TRUE(IsTheTestScreen()) << "the places are worked out for Xvfb's 1280x1024 under Wine";
        ASSERT_TRUE(mirror.Open());
        const bool xp = ReportedWindowsVersion().Is(5, 1);
        EXPECT_EQ(xp, dynamic_cast<CDesktopBrowserContainerXP*>(mirror.Container()) != nullptr);
        EXPECT_EQ(xp, dynamic_cast<CDesktopBrowserXP*>(mirror.Browser()) != nullptr);
        EXPECT_TRUE(mirror.Browser()->IsMirroring());
        EXPECT_TRUE(mirror.Browser()->IsCompact());
        // The places are posted: what the view shows now is the shell's own.
        IconPlaces shellPlaces = mirror.Places();
        EXPECT_TRUE(mirror.PlacedAt(kCompactPlaces));
        for (const auto& place : mirror.Places())
            EXPECT_TRUE(kCompactPlaces.count(place.first) || mirror.PlacedAt({{place.first, shellPlaces[place.first]}}))
                << "no icon, no move";
        if (wcscmp(layout, L"progman") != 0)
            continue;

        for (int index = 0; index < ListView_GetItemCount(mirror.ListView()); ++index)
            EXPECT_EQ(L"", mirror.Label(index)) << "compact labels are blank, item " << index;
        HWND tooltip = ListView_GetToolTips(mirror.ListView());
        ASSERT_TRUE(tooltip);
        EXPECT_EQ(0, SendMessageW(tooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
        EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), mirror.IconWidth()) << "compact icons are small";

        // The window sized so that its view is 1200 x 1000.
        RECT frame = {0, 0, 1200, 1000};
        HWND window = mirror.Container()->GetWindow();
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_FALSE(mirror.Browser()->IsCompact());
        EXPECT_TRUE(mirror.Browser()->IsMirroring());
        EXPECT_NE(0, SendMessageW(tooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
        EXPECT_NE(L"", mirror.Label(0)) << "labels come back past 80 %";
        EXPECT_TRUE(mirror.PlacedAt(kLargePlaces));
        // Wine ignores the view commands of Vista on: there the icons stay small.
        if (!RunningOnWine() || ReportedWindowsVersion().Before(6, 0)) {
            EXPECT_LT(GetSystemMetrics(SM_CXSMICON), mirror.IconWidth()) << "normal icons come back";
        }
    }
}

TEST(DesktopMirror, ChangesAreReadInTheBackgroundOnlyTheUsersViewModeEndsItAndHomeIsTheDesktop) {
    Mirror mirror(L"progman");
    ASSERT_TRUE(IsTheTestScreen()) << "the places are worked out for Xvfb's 1280x1024 under Wine";
    const DWORD hide = 1;
    for (LPCWSTR menu : {L"ClassicStartMenu", L"NewStartPanel"})
        RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kHideDesktopIcons) + menu).c_str(), kMyComputer, REG_DWORD,
                        &hide, sizeof(hide));
    ASSERT_TRUE(mirror.Open());
    for (LPCWSTR menu : {L"ClassicStartMenu", L"NewStartPanel"})
        RegDeleteKeyValueW(HKEY_CURRENT_USER, (std::wstring(kHideDesktopIcons) + menu).c_str(), kMyComputer);
    EXPECT_EQ(0u, mirror.Places().count(L"My Computer")) << "hidden by the user's setting";
    CIdList desktopFolder;
    ASSERT_HRESULT_SUCCEEDED(SHGetFolderLocation(nullptr, CSIDL_DESKTOP, nullptr, 0, desktopFolder.Receive()));
    EXPECT_TRUE(ILIsEqual(desktopFolder.Get(), mirror.Browser()->CurrentLocation())) << "whatever the item's Path";
    ASSERT_TRUE(mirror.PlacedAt(kCompactPlaces));
    HWND window = mirror.Container()->GetWindow();

    HWND other = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 900, 900, 20, 20, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(other, GetForegroundWindow());
    LONG reads = DesktopIconPositionReads(mirror.standInListView);
    mirror.AddIcon(L"Zeta", 320, 256);
    EXPECT_TRUE(mirror.AnnounceChange());
    EXPECT_TRUE(mirror.PlacedAt({{L"Zeta", {155, 123}}, {L"Beta", {311, 232}}})) << "read again in the background";
    EXPECT_LT(reads, DesktopIconPositionReads(mirror.standInListView));
    DestroyWindow(other);

    ASSERT_TRUE(mirror.Container()->Show(TRUE));
    ASSERT_EQ(window, GetForegroundWindow());
    reads = DesktopIconPositionReads(mirror.standInListView);
    mirror.AddIcon(L"Eta", 960, 128);
    EXPECT_TRUE(mirror.AnnounceChange());
    EXPECT_EQ(reads, DesktopIconPositionReads(mirror.standInListView)) << "the user works in the mirror";
    mirror.PressRefresh();
    EXPECT_TRUE(mirror.PlacedAt({{L"Eta", {467, 61}}}));
    EXPECT_LT(reads, DesktopIconPositionReads(mirror.standInListView));

    SendMessageW(mirror.Browser()->ViewWindow(), WM_COMMAND, static_cast<WPARAM>(mirror.Browser()->ViewCommand(4)), 0);
    if (dynamic_cast<CDesktopBrowserXP*>(mirror.Browser())) {
        EXPECT_TRUE(mirror.Browser()->IsMirroring()) << "on XP the menu's mode only brings the labels back";
        EXPECT_FALSE(mirror.Browser()->IsCompact());
        return;
    }
    EXPECT_FALSE(mirror.Browser()->IsMirroring()) << "details chosen by the user";
    EXPECT_NE(L"", mirror.Label(0));
    reads = DesktopIconPositionReads(mirror.standInListView);
    ASSERT_TRUE(MoveDesktopIcon(mirror.standInListView, L"Alpha", 1000, 100));
    mirror.PressRefresh();
    PumpPendingMessages();
    EXPECT_EQ(reads, DesktopIconPositionReads(mirror.standInListView));
    EXPECT_NE(std::make_pair(486L, 48L), mirror.Places()[L"Alpha"]) << "no longer follows the desktop";

    ASSERT_HRESULT_SUCCEEDED(mirror.Browser()->BrowseToPath(mirror.elsewhere.Path().c_str()));
    EXPECT_FALSE(ILIsEqual(desktopFolder.Get(), mirror.Browser()->CurrentLocation()));
    EXPECT_TRUE(mirror.Container()->GoHome());
    EXPECT_TRUE(ILIsEqual(desktopFolder.Get(), mirror.Browser()->CurrentLocation()));
    EXPECT_TRUE(mirror.Browser()->IsMirroring()) << "home is the desktop, mirrored again";

    // Explorer gone while the mirror is open: a refresh finds no layout and leaves the icons be.
    ASSERT_TRUE(mirror.standIn->Close(false));
    mirror.PressRefresh();
    EXPECT_TRUE(mirror.Browser()->DesktopLayout().empty());
    EXPECT_LT(0, ListView_GetItemCount(mirror.ListView()));
}

TEST(DesktopMirror, ABurstOfChangesWhileHiddenReadsNothingAndTheNextShowingRebuildsOnce) {
    Mirror mirror(L"progman");
    ASSERT_TRUE(mirror.Open());
    // The view's first painting asks for its names and reads again for those the desktop lacks.
    PumpPendingMessages();
    auto reads = [&] { return DesktopIconPositionReads(mirror.standInListView); };
    ASSERT_TRUE(mirror.Container()->Hide());
    LONG hiddenFrom = reads();
    mirror.AddIcon(L"Zeta", 320, 256);
    for (int change = 0; change < 100; ++change)
        ASSERT_TRUE(mirror.AnnounceChange()) << "change " << change;
    PumpMessagesUntil([] { return false; }, 3 * kDesktopChangeSettleMs);
    EXPECT_EQ(hiddenFrom, reads()) << "the layout was read while nobody could see it";
    EXPECT_EQ(-1, mirror.IndexOf(L"Zeta"));

    ASSERT_TRUE(mirror.Container()->Show(TRUE));
    PumpPendingMessages();
    LONG showing = reads() - hiddenFrom;
    EXPECT_NE(-1, mirror.IndexOf(L"Zeta")) << "the showing missed what changed while hidden";
    // What one rebuild of the same desktop costs, by the user's refresh key.
    LONG refreshFrom = reads();
    mirror.PressRefresh();
    PumpPendingMessages();
    EXPECT_LT(0, showing);
    LONG settled = reads();
    EXPECT_EQ(settled - refreshFrom, showing) << "the showing cost more than one rebuild";
    PumpMessagesUntil([] { return false; }, 3 * kDesktopChangeSettleMs);
    EXPECT_EQ(settled, reads()) << "the burst was rebuilt again later";
}

// Explorer may hang or lie; either way the program goes on answering and Explorer's memory is
// left as it was.
TEST(DesktopMirror, AHungDesktopCutsTheReadShortAndALyingCountReservesNothing) {
    Mirror mirror(L"progman");
    ASSERT_TRUE(mirror.Open());
    const DWORD hang = 6000;
    ASSERT_TRUE(HangDesktopStandIn(mirror.standInListView, hang));
    DWORD start = GetTickCount();
    mirror.Browser()->ReadDesktopLayout();
    EXPECT_LT(GetTickCount() - start, hang) << "the read waited for the hung desktop";
    EXPECT_EQ(0u, mirror.Browser()->DesktopLayout().size());

    // Woken, the stand-in writes the place it was asked for into memory that must still be there.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(mirror.standInListView, WM_NULL, 0, 0, SMTO_NORMAL, 3 * hang, &answer));
    EXPECT_EQ(STILL_ACTIVE, mirror.standIn->ExitCode()) << "the desktop crashed when it woke";
    mirror.Browser()->ReadDesktopLayout();
    EXPECT_EQ(ARRAYSIZE(kIcons), mirror.Browser()->DesktopLayout().size());

    ASSERT_TRUE(ClaimDesktopIconCount(mirror.standInListView, 0x7FFFFFFF));
    mirror.Browser()->ReadDesktopLayout();
    EXPECT_EQ(ARRAYSIZE(kIcons), mirror.Browser()->DesktopLayout().size()) << "the real icons, then the read stops";
}

// windows-only: DesktopMirror.ARenamedIconKeepsItsPlace
TEST(DesktopMirror, ARenamedIconKeepsItsPlace) {
    Mirror mirror(L"progman");
    ASSERT_TRUE(IsTheTestScreen()) << "the places are worked out for Xvfb's 1280x1024 under Wine";
    ASSERT_TRUE(mirror.Open());
    ASSERT_TRUE(mirror.PlacedAt(kCompactPlaces));
    // The end of the user's edit, as the list view tells the view.
    WCHAR newName[] = L"Bravo";
    NMLVDISPINFOW edit = {};
    edit.hdr = {mirror.ListView(), static_cast<UINT_PTR>(GetDlgCtrlID(mirror.ListView())), LVN_ENDLABELEDITW};
    edit.item.mask = LVIF_TEXT;
    edit.item.iItem = mirror.IndexOf(L"Beta");
    edit.item.pszText = newName;
    SendMessageW(mirror.Browser()->ViewWindow(), WM_NOTIFY, edit.hdr.idFrom, reinterpret_cast<LPARAM>(&edit));
    if (GetFileAttributesW(mirror.desktop.folder.File(L"Bravo").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the desktop folder did not rename the item (Wine's SetNameOf is a stub)";
    // Looked for by its place: the compact layout's tooltip may keep the name it had.
    EXPECT_TRUE(PumpMessagesUntil([&] {
        auto places = mirror.Places();
        return std::any_of(places.begin(), places.end(),
                           [&](const auto& item) { return item.second == kCompactPlaces.at(L"Beta"); });
    }));
}

TEST(DesktopMirror, SoakOfRefreshesAndRebuildsGivesEveryObjectHandleAndRemoteBlockBack) {
    Mirror mirror(L"progman");
    ASSERT_TRUE(mirror.Open());
    CKernelHandle standIn(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, mirror.standIn->Id()));
    ASSERT_TRUE(standIn);
    const int rebuilds = SoakCycles(2, 50);
    auto cycle = [&] {
        for (int refresh = 0; refresh < 6; ++refresh)
            mirror.PressRefresh();
        mirror.item.ReleaseContainer();
        ASSERT_TRUE(mirror.Open());
        PumpPendingMessages();
    };
    cycle(); // the first cycle settles what lives as long as the process
    struct Reading {
        long gdi;
        DWORD handles;
        long long ours, standIn;
    };
    auto read = [&] {
        return Reading{GdiObjectCounter::Read(), HandleCount(), PrivateBytes(), PrivateBytes(standIn.Get())};
    };
    Reading start = read(), half = start;
    for (int i = 0; i < rebuilds; ++i) {
        cycle();
        if (i + 1 == rebuilds / 2)
            half = read();
    }
    Reading end = read();
    std::printf("desktop mirror soak: %d rebuilds; GDI %ld -> %ld, handles %lu -> %lu, stand-in bytes %lld -> %lld\n",
                rebuilds, half.gdi, end.gdi, half.handles, end.handles, half.standIn, end.standIn);
    EXPECT_EQ(half.gdi, end.gdi);
    EXPECT_EQ(half.handles, end.handles) << "a process handle kept per read shows here";
    EXPECT_EQ(half.standIn, end.standIn) << "a remote block kept per read shows here";
    EXPECT_LT(end.ours, start.ours + 1024 * 1024);
}

// The browser containers of Windows XP. No 64-bit Windows reports 5.1, but Wine does for an
// executable it is told to start as "winxp": there the factory must choose them.
TEST(BrowserIconPositions, SavedPlacesComeBackAtHomeAndAMovedIconStaysAfterARefresh) {
    TempDirectory folder;
    const std::map<std::wstring, POINT> saved = {{L"Alpha", {220, 150}}, {L"Beta", {40, 260}}};
    for (const wchar_t* name : {L"Alpha", L"Beta", L"Gamma"})
        CreateDirectoryW(folder.File(name).c_str(), nullptr);
    CPathwren application;
    application.m_pOptions = new CApplicationOptions();
    CGenericPathwrenObject item;
    wcscpy(item.Path, folder.Path().c_str());
    item.FolderPresentationType = FolderPresentationBrowser;
    item.WindowRect = {0, 0, 500, 400};
    item.SaveIconsPositionsForHomeFolder = TRUE;
    item.FolderViewMode = 0;
    item.HomeFolderIconPositions = new std::vector<HomeFolderIconPosition>();
    for (const auto& place : saved) {
        HomeFolderIconPosition position = {L"", place.second.x, place.second.y};
        wcscpy(position.Name, place.first.c_str());
        item.HomeFolderIconPositions->push_back(position);
    }
    ASSERT_TRUE(CreateContainerForItem(&item, &application, GetModuleHandleW(nullptr), nullptr, nullptr));
    auto* container = static_cast<CShellBrowserContainerBase*>(ContainerOf(item));
    EXPECT_EQ(StartedAsVersionCopy(), dynamic_cast<CShellBrowserContainerXP*>(container) != nullptr)
        << "the XP container exactly where the system reports 5.1";
    ASSERT_TRUE(container->Show(TRUE));
    HWND listView = container->GetBrowser()->ListView();
    auto indexOf = [&](const std::wstring& name) {
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING;
        find.psz = name.c_str();
        return ListView_FindItem(listView, -1, &find);
    };
    auto standsAt = [&](const std::wstring& name, POINT wanted) {
        POINT place = {};
        return PumpMessagesUntil(
            [&] {
                return ListView_GetItemPosition(listView, indexOf(name), &place) && place.x == wanted.x &&
                       place.y == wanted.y;
            },
            5000);
    };
    for (const auto& place : saved)
        EXPECT_TRUE(standsAt(place.first, place.second)) << testing::PrintToString(place.first);

    // The user moves an icon and refreshes: the refresh keeps the new place, not the saved one.
    ListView_SetItemPosition(listView, indexOf(L"Beta"), 300, 40);
    TranslateKey(container->GetWindow(), listView, VK_F5);
    listView = container->GetBrowser()->ListView();
    EXPECT_TRUE(standsAt(L"Beta", {300, 40}));
    EXPECT_TRUE(standsAt(L"Alpha", saved.at(L"Alpha")));
    item.ReleaseContainer();
}

TEST(XPContainers, TheMirrorAndIconPositionCasesPassWithTheXPClassesWhenWineReportsWindowsXP) {
    if (StartedAsVersionCopy())
        GTEST_SKIP() << "this is the copy";
    if (!RunningOnWine())
        GTEST_SKIP() << "only Wine can start a copy of this program as another Windows version";
    // The shell reads the desktop directory once per process: each mirror case runs in its own.
    // "winxp64" reports 5.2: the common classes with the view commands from before Vista.
    const struct {
        const wchar_t* version;
        const wchar_t* filter;
    } runs[] = {{L"winxp", L"DesktopMirror.IconsStandAtTheirScaledPlaces*:BrowserIconPositions.*"},
                {L"winxp", L"DesktopMirror.ChangesAreRead*"},
                {L"winxp64", L"DesktopMirror.IconsStandAtTheirScaledPlaces*"}};
    for (const auto& copy : runs) {
        VersionCopyRun run = RunCopyAsWindowsVersion(copy.version, L"containers_tests_xp.exe", copy.filter);
        EXPECT_TRUE(CopyPassed(run, false)) << "the child ended in time, passed and skipped nothing";
    }
}
