#include "browser/DesktopBrowser.h"
#include "lib/ComPtr.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A place lookup that must not be needed: the name alone finds the record.
POINT Unasked() {
    ADD_FAILURE() << "the place was asked for although the name is known";
    return {-5, -5};
}

const std::vector<RECT> kOneMonitor = {{0, 0, 1280, 1024}};
// A second monitor left of the first, whose taskbar takes 40 pixels: the union starts at -800.
const std::vector<RECT> kTwoMonitors = {{0, 0, 1000, 760}, {-800, 100, 0, 700}};
const std::vector<RECT> kFullHd = {{0, 0, 1920, 1080}};

const wchar_t kMyComputer[] = L"{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
const wchar_t* const kStartMenuKeys[] = {
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\ClassicStartMenu",
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel"};

// One value written under both start menu keys of a root, whichever the shell reports in use,
// and removed again.
struct HideValue {
    HideValue(HKEY root, LPCWSTR name, DWORD type, const void* data, DWORD size) : root(root), name(name) {
        for (LPCWSTR key : kStartMenuKeys)
            RegSetKeyValueW(root, key, name, type, data, size);
    }
    ~HideValue() {
        for (LPCWSTR key : kStartMenuKeys)
            RegDeleteKeyValueW(root, key, name.c_str());
    }
    HideValue(const HideValue&) = delete;
    HKEY root;
    std::wstring name;
};

} // namespace

// desktop-free: DesktopLabelRecords
TEST(DesktopLabelRecords, FoundByNameWithoutCaseElseByTheirCurrentPlaceFirstRecordFirst) {
    CDesktopLabelRecords records;
    EXPECT_EQ(-1, records.Find(L"Alpha", [] { return POINT{1, 1}; })) << "empty";
    EXPECT_EQ(0, records.Add(L"Alpha", POINT{10, 10}));
    EXPECT_EQ(1, records.Add(L"beta", POINT{20, 20}));
    EXPECT_EQ(2, records.Add(L"BETA", POINT{20, 20}));

    EXPECT_EQ(0, records.Find(L"ALPHA", Unasked));
    EXPECT_EQ(1, records.Find(L"Beta", Unasked)) << "the first of two names that differ in case";
    EXPECT_EQ(1, records.Find(L"Renamed", [] { return POINT{20, 20}; })) << "the first record at the place";
    EXPECT_EQ(-1, records.Find(L"Renamed", [] { return POINT{30, 30}; }));

    // A moved record is found at its new place only, and the place it left still finds the other.
    records.Move(1, POINT{30, 30});
    EXPECT_EQ(1, records.Find(L"Renamed", [] { return POINT{30, 30}; }));
    EXPECT_EQ(2, records.Find(L"Renamed", [] { return POINT{20, 20}; }));
    records.Move(2, POINT{40, 40});
    EXPECT_EQ(-1, records.Find(L"Renamed", [] { return POINT{20, 20}; }));
    EXPECT_EQ(30, records[1].position.x);

    // Moving by name takes the exact name only.
    records.MoveAllNamed(L"BETA", POINT{50, 50});
    EXPECT_EQ(30, records[1].position.x) << "beta is another name";
    EXPECT_EQ(50, records[2].position.x);
    EXPECT_EQ(2, records.Find(L"Renamed", [] { return POINT{50, 50}; }));

    records.Clear();
    EXPECT_EQ(0u, records.Size());
    EXPECT_EQ(-1, records.Find(L"Alpha", [] { return POINT{10, 10}; }));
}

// desktop-free: DesktopMirrorGeometry
// The layout is compact exactly when the window is small, as the mirror decides it.
TEST(DesktopMirrorGeometry,
     SmallWindowsUnderEightyPercentGetCompactPlacesScaledKeptOffTheEdgesAndSizedToTheMonitorsScale) {
    struct Case {
        const std::vector<RECT>* monitors;
        BOOL allOnFirst;
        RECT view;
        POINT desktop, expected;
        UINT dpi;
    } cases[] = {
        // 640 x 512 less 16-pixel scroll bars: 624 x 496 against 1280 x 1024, rounded down;
        // compact icons of 16 pixels with 5-pixel margins.
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {20, 20}, {9, 9}, 96},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {1200, 900}, {585, 435}, 96},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {-1, -1}, {5, 5}, 96},
        {&kOneMonitor, TRUE, {0, 0, 640, 512}, {1280, 1024}, {603, 475}, 96},
        // Not small: 32-pixel icons, 10-pixel margins.
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {20, 20}, {18, 19}, 96},
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {1275, 1020}, {1142, 942}, 96},
        {&kOneMonitor, TRUE, {0, 0, 1200, 1000}, {0, 0}, {10, 10}, 96},
        // 79 % both ways is small, 80 % one way is not.
        {&kOneMonitor, TRUE, {0, 0, 1023, 818}, {1280, 0}, {986, 5}, 96},
        {&kOneMonitor, TRUE, {0, 0, 1023, 820}, {1280, 0}, {965, 10}, 96},
        // The first monitor lies at 800 in desktop coordinates; the union is 1800 wide.
        {&kTwoMonitors, TRUE, {0, 0, 500, 400}, {1300, 380}, {242, 192}, 96},
        {&kTwoMonitors, FALSE, {0, 0, 500, 400}, {1300, 380}, {349, 192}, 96},
        {&kTwoMonitors, TRUE, {0, 0, 900, 500}, {1300, 380}, {442, 242}, 96},
        // A window one pixel wide: the far bound wins over the margin.
        {&kOneMonitor, TRUE, {0, 0, 1, 300}, {640, 100}, {-36, 27}, 96},
        // At 150 % icons are 48 pixels (24 compact) with 15-pixel margins (8 compact, 7.5 rounded)
        // and the scroll bars 24.
        {&kFullHd, TRUE, {0, 0, 1800, 1000}, {0, 0}, {15, 15}, 144},
        {&kFullHd, TRUE, {0, 0, 1800, 1000}, {1920, 1080}, {1713, 913}, 144},
        {&kFullHd, TRUE, {0, 0, 960, 540}, {0, 0}, {8, 8}, 144},
        {&kFullHd, TRUE, {0, 0, 960, 540}, {1920, 1080}, {904, 484}, 144},
    };
    for (const Case& c : cases) {
        const LONG scrollBar = MulDiv(16, c.dpi, 96);
        DesktopMirrorGeometry geometry = {*c.monitors, c.allOnFirst, c.view, {scrollBar, scrollBar}, FALSE, c.dpi};
        geometry.compact = IsSmallMirror(geometry);
        POINT place = MirrorPosition(geometry, c.desktop);
        EXPECT_TRUE(place.x == c.expected.x && place.y == c.expected.y)
            << c.dpi << " dpi: (" << c.desktop.x << "," << c.desktop.y << ") in " << c.view.right << " x "
            << c.view.bottom << " went to " << place.x << "," << place.y;
    }
    EXPECT_FALSE(IsSmallMirror(DesktopMirrorGeometry())) << "no monitor, nothing to compare with";
    EXPECT_FALSE(IsSmallMirror({kOneMonitor, TRUE, {0, 0, 500, 1000}, {}}));
    EXPECT_TRUE(IsOnFirstMonitor(kTwoMonitors, {800, 0}));
    EXPECT_TRUE(IsOnFirstMonitor(kTwoMonitors, {1799, 759}));
    EXPECT_FALSE(IsOnFirstMonitor(kTwoMonitors, {799, 10}));
    EXPECT_FALSE(IsOnFirstMonitor(kTwoMonitors, {1000, 760}));
}

// desktop-free: HiddenDesktopItems
TEST(HiddenDesktopItems, UserValuesAddOrTakeBackWhatTheMachineHidesAndOnlyNumbersCount) {
    CComPtr<IShellFolder> desktop;
    ASSERT_HRESULT_SUCCEEDED(SHGetDesktopFolder(&desktop));
    CIdList myComputer;
    WCHAR parsing[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    ASSERT_HRESULT_SUCCEEDED(
        desktop->ParseDisplayName(nullptr, nullptr, parsing, nullptr, myComputer.Receive(), nullptr));
    const size_t always = LoadHiddenDesktopItems(desktop.Get()).size();

    const DWORD none = 99;
    struct Case {
        DWORD machine, user, userType;
        bool hidden;
    } cases[] = {
        {none, 1, REG_DWORD, true},   {1, 0, REG_DWORD, false}, {7, none, REG_DWORD, true},
        {none, 0, REG_DWORD, false},  {0, 1, REG_DWORD, true},  {0, 0, REG_DWORD, false},
        {1, 1, REG_DWORD, true},      {none, 1, REG_SZ, false}, {1, 0, REG_SZ, true},
        {none, 1, REG_BINARY, false},
    };
    for (const Case& c : cases) {
        std::unique_ptr<HideValue> machine, user;
        if (c.machine != none)
            machine.reset(new HideValue(HKEY_LOCAL_MACHINE, kMyComputer, REG_DWORD, &c.machine, sizeof(DWORD)));
        if (c.user != none && c.userType == REG_SZ)
            user.reset(new HideValue(HKEY_CURRENT_USER, kMyComputer, REG_SZ, L"1", 2 * sizeof(WCHAR)));
        else if (c.user != none)
            user.reset(new HideValue(HKEY_CURRENT_USER, kMyComputer, c.userType, &c.user, sizeof(DWORD)));
        std::vector<CIdList> hidden = LoadHiddenDesktopItems(desktop.Get());
        EXPECT_EQ(c.hidden, IsHiddenDesktopItem(hidden, reinterpret_cast<PCUITEMID_CHILD>(myComputer.Get())) != FALSE)
            << "machine " << c.machine << ", user " << c.user << " of type " << c.userType;
        EXPECT_EQ(always + (c.hidden ? 1 : 0), hidden.size());
    }

    const DWORD one = 1;
    {
        HideValue unnamed(HKEY_LOCAL_MACHINE, L"", REG_DWORD, &one, sizeof(one));
        EXPECT_EQ(always, LoadHiddenDesktopItems(desktop.Get()).size()) << "the key's unnamed value is no item";
    }
    // Wine parses any name, a class or not, into some item; on Windows this one does not parse.
    HideValue notAClass(HKEY_CURRENT_USER, L"{not a class}", REG_DWORD, &one, sizeof(one));
    std::vector<CIdList> hidden = LoadHiddenDesktopItems(desktop.Get());
    EXPECT_FALSE(IsHiddenDesktopItem(hidden, reinterpret_cast<PCUITEMID_CHILD>(myComputer.Get())));
    EXPECT_TRUE(LoadHiddenDesktopItems(nullptr).empty());
}
