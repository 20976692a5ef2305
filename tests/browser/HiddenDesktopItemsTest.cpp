#include "browser/DesktopBrowser.h"
#include "lib/ComPtr.h"

#include <gtest/gtest.h>

#include <string>

namespace {

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
