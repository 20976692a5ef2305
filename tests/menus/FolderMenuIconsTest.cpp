// What each kind of folder menu entry looks like on screen: the item, as the menu draws it, must
// show what the shell shows for the file. Runs with item bitmaps here and, under Wine, through the
// owner in a copy started as Windows 10 (PopUpMenuOwnerDrawChild).
#include "lib/BackgroundWork.h"
#include "menus/FolderTree.h"
#include "support/GdiObjectCounter.h"
#include "support/MessagePump.h"
#include "support/Soak.h"

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const int kIconSize = 16;
const DWORD kBackground = 0x123456;

typedef std::vector<DWORD> Pixels;

CIconHandle ShellIconOf(const std::wstring& path) {
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
    return CIconHandle(info.hIcon);
}

Pixels ReadCanvas(const Canvas& canvas, int size) {
    Pixels pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            pixels.push_back(canvas.At(x, y));
    }
    return pixels;
}

// The icon as the menu would show it at rest: on the menu colour in an item bitmap, or one pixel
// down and right on the item's background when drawn through the owner; icons drawn one over another.
Pixels AsShownAtRest(std::vector<HICON> icons, BOOL themed) {
    Canvas canvas(kIconSize + 2);
    canvas.Fill(themed ? PixelOf(GetSysColor(COLOR_MENU)) : kBackground);
    int offset = themed ? 0 : 1;
    for (HICON icon : icons)
        DrawIconEx(canvas.Dc(), offset, offset, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    return ReadCanvas(canvas, themed ? kIconSize : kIconSize + 2);
}

// The bottom-up item bitmap of a themed menu item, as top-down pixels.
Pixels ItemBitmapPixels(HMENU menu, UINT position) {
    MENUITEMINFOW item = ReadMenuItem(menu, position, MIIM_BITMAP);
    DIBSECTION section = {};
    if (GetObjectW(item.hbmpItem, sizeof(section), &section) != static_cast<int>(sizeof(section)))
        return Pixels();
    const DWORD* bits = static_cast<const DWORD*>(section.dsBm.bmBits);
    Pixels pixels;
    for (int y = kIconSize - 1; y >= 0; --y) {
        for (int x = 0; x < kIconSize; ++x)
            pixels.push_back(bits[y * kIconSize + x] & 0xFFFFFF);
    }
    return pixels;
}

// Blending an icon over another and drawing the result rounds differently from drawing them
// one after the other, by a level or two per channel.
::testing::AssertionResult LookAlike(const Pixels& expected, const Pixels& drawn) {
    if (expected.size() != drawn.size() || expected.empty())
        return ::testing::AssertionFailure() << expected.size() << " pixels expected, " << drawn.size() << " drawn";
    for (size_t index = 0; index < expected.size(); ++index) {
        for (int shift = 0; shift < 24; shift += 8) {
            int difference = int((expected[index] >> shift) & 0xFF) - int((drawn[index] >> shift) & 0xFF);
            if (difference > 2 || difference < -2)
                return ::testing::AssertionFailure() << "pixel " << index << ": expected " << std::hex
                                                     << expected[index] << ", drawn " << drawn[index];
        }
    }
    return ::testing::AssertionSuccess();
}

// Programs and shortcuts, whose own icons are read one by one, beside files of a shared type.
std::vector<std::wstring> AddProgramsAndShortcuts(FolderTree& tree) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<std::wstring> names;
    for (int index = 1; index <= 3; ++index) {
        names.push_back(L"program " + std::to_wstring(index) + L".exe");
        EXPECT_TRUE(CopyFileW(self, tree.Path(names.back()).c_str(), FALSE)) << "a program with an icon of its own";
    }
    names.push_back(L"link.lnk");
    tree.AddShortcut(names.back(), tree.Path(L"program 1.exe"));
    tree.AddFile(L"notes.txt", "text");
    return names;
}

// Every own icon read from now on takes this long, for as long as the object lives.
class SlowIconReading {
public:
    explicit SlowIconReading(DWORD milliseconds) { CFolderMenuIconSource::SetIconReadingDelay(milliseconds); }
    ~SlowIconReading() { CFolderMenuIconSource::SetIconReadingDelay(0); }
};

class FolderMenuIcons : public FolderMenuTest {
protected:
    Pixels Drawn(const std::wstring& text) {
        int position = FindItemPosition(Root(), text);
        if (position < 0)
            return Pixels();
        bool themed = m_menu.GetRootMenu()->IsThemed();
        Canvas canvas(kIconSize + 2);
        auto draw = [&]() {
            MENUITEMINFOW item = ReadMenuItem(Root(), static_cast<UINT>(position), MIIM_DATA | MIIM_ID);
            canvas.Fill(kBackground);
            if (!themed)
                SendDrawItem(Owner().Handle(), Root(), canvas.Dc(), {0, 0, kIconSize + 2, kIconSize + 2},
                             reinterpret_cast<HICON>(item.dwItemData), 0, item.wID);
            return true;
        };
        // The first painting or drawing asks for the entries' own icons, which come from a worker.
        Show({WaitForMenu(Root()), draw, [&] { return m_menu.GetIconsBeingRead() == 0; }, draw});
        return themed ? ItemBitmapPixels(Root(), static_cast<UINT>(position)) : ReadCanvas(canvas, kIconSize + 2);
    }
    Pixels Expected(const CIconHandle& icon) { return AsShownAtRest({icon.Get()}, m_menu.GetRootMenu()->IsThemed()); }
    Pixels ExpectedWithArrow(const CIconHandle& icon) {
        CIconHandle arrow(CFolderMenuIconSource::LoadLinkOverlayIcon(GetSystemMetrics(SM_CXSMICON)));
        EXPECT_NE(nullptr, arrow.Get()) << "the shell's shortcut arrow";
        return AsShownAtRest({icon.Get(), arrow.Get()}, m_menu.GetRootMenu()->IsThemed());
    }
};

} // namespace

TEST_F(FolderMenuIcons, EachKindOfEntryShowsTheShellsIconOfItsFile) {
    AddProgramsAndShortcuts(m_tree);
    std::wstring text = m_tree.Path(L"notes.txt"), program = m_tree.Path(L"program 1.exe");
    std::wstring link = m_tree.Path(L"link.lnk"), folder = m_tree.Path(L"folder");
    m_tree.AddFile(L"folder\\inside.txt");
    std::wstring broken = m_tree.AddShortcut(L"broken.lnk", m_tree.Path(L"gone.exe"));
    std::wstring textLink = m_tree.AddShortcut(L"text link.lnk", text);

    ASSERT_TRUE(BuildRoot());
    EXPECT_EQ(Expected(ShellIconOf(text)), Drawn(L"notes.txt")) << "a plain file type";
    EXPECT_EQ(Expected(ShellIconOf(program)), Drawn(L"program 1.exe")) << "a program's own icon";
    EXPECT_EQ(Expected(ShellIconOf(folder)), Drawn(L"folder"));
    EXPECT_TRUE(LookAlike(ExpectedWithArrow(ShellIconOf(link)), Drawn(L"link.lnk"))) << "a shortcut with its arrow";
    EXPECT_FALSE(LookAlike(Expected(ShellIconOf(link)), Drawn(L"link.lnk"))) << "the arrow shows";
    EXPECT_TRUE(LookAlike(ExpectedWithArrow(ShellIconOf(broken)), Drawn(L"broken.lnk"))) << "a broken shortcut";
    EXPECT_TRUE(LookAlike(ExpectedWithArrow(ShellIconOf(textLink)), Drawn(L"text link.lnk")))
        << "a shortcut to a file of a common type";

    m_menu.SetHideShortcutsOverlayInPopupMenu(TRUE);
    ASSERT_TRUE(BuildRoot());
    EXPECT_EQ(Expected(ShellIconOf(program)), Drawn(L"link.lnk")) << "a shortcut shows its target's icon";
    EXPECT_EQ(Expected(ShellIconOf(text)), Drawn(L"text link.lnk"));
    EXPECT_TRUE(LookAlike(ExpectedWithArrow(ShellIconOf(broken)), Drawn(L"broken.lnk")))
        << "a broken shortcut keeps its own icon";
    EXPECT_EQ(Expected(ShellIconOf(text)), Drawn(L"notes.txt"));
}

TEST_F(FolderMenuIcons, OnlyEntriesThatComeOnScreenReadTheirOwnIcons) {
    // Far more programs than a screen shows; each shows the program icon until its own is read.
    auto name = [](int index) { return L"program " + std::to_wstring(1000 + index) + L".exe"; };
    for (int index = 0; index < 300; ++index)
        m_tree.AddFile(name(index));
    ASSERT_TRUE(BuildRoot());
    auto entry = [&](int index) { return m_menu.GetEntryOfCommand(FindCommand(Root(), name(index))); };
    HICON standIn = entry(299)->Icon();
    // End selects the last item, scrolling the menu down to it.
    Show({PressKeys(Root(), {VK_END}), [&] { return entry(299)->Icon() != standIn; }});
    EXPECT_NE(standIn, entry(0)->Icon()) << "on screen when the menu opened";
    EXPECT_EQ(standIn, entry(150)->Icon()) << "scrolled past, never shown";
}

TEST_F(FolderMenuIcons, AMenuShowsBeforeItsOwnIconsAreReadAndEndsWithEachOfThem) {
    std::vector<std::wstring> names = AddProgramsAndShortcuts(m_tree);
    ASSERT_TRUE(BuildRoot());
    size_t readingWhenShown = 0;
    {
        SlowIconReading slow(300);
        Show({WaitForMenu(Root()), [&] { return readingWhenShown = m_menu.GetIconsBeingRead(), true; },
              [&] { return m_menu.GetIconsBeingRead() == 0; }});
    }
    EXPECT_EQ(names.size(), readingWhenShown) << "the menu was on screen before the own icons were read";
    for (const std::wstring& name : names) {
        CFolderMenuItem* entry = m_menu.GetEntryOfCommand(FindCommand(Root(), name));
        ASSERT_NE(nullptr, entry) << name.c_str();
        EXPECT_NE(nullptr, entry->m_hIcon.Get()) << name.c_str();
        EXPECT_EQ(entry->m_hIcon.Get(), entry->m_hShownIcon)
            << "the item was changed to the own icon: " << name.c_str();
    }
}

TEST_F(FolderMenuIcons, ShowingsClosedBeforeOrAfterTheirIconsCameGiveBackEveryGdiObjectSoak) {
    AddProgramsAndShortcuts(m_tree);
    SlowIconReading slow(20);
    std::shared_ptr<CBackgroundWork> workers = CBackgroundWork::ShareOnThisThread(1);
    auto settle = [&] { return PumpMessagesUntil([&] { return workers->GetOutstandingCount() == 0; }); };
    const int cycles = SoakCycles(20, 200);
    long before = 0;
    for (int cycle = 0; cycle < cycles + 2; ++cycle) {
        // The first two cycles make what every later one reuses, such as the shortcut arrow.
        if (cycle == 2) {
            ASSERT_TRUE(settle());
            before = GdiObjectCounter::Read();
        }
        // Every build reads every icon anew; half the menus close while the icons are on the way.
        m_menu.OnAssociationsChanged();
        ASSERT_TRUE(BuildRoot());
        bool waitForIcons = cycle % 2 == 0;
        Show({WaitForMenu(Root()), [&] { return !waitForIcons || m_menu.GetIconsBeingRead() == 0; }});
    }
    // Compared where the first count was taken: after a menu closed before its icons came.
    ASSERT_TRUE(settle());
    EXPECT_EQ(before, GdiObjectCounter::Read()) << "GDI objects over " << cycles << " showings";
}
