#include "menus/FolderMenuTypeIcons.h"

#include <gtest/gtest.h>

namespace {

// A key of a file type or class registered for this test, gone again with the object. Wine's
// classes root does not show the user's own classes, so it is written there directly.
class RegisteredType {
public:
    RegisteredType(const std::wstring& name, const std::wstring& subKey, LPCWSTR defaultValue) : m_name(name) {
        std::wstring key = subKey.empty() ? name : name + L"\\" + subKey;
        EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, defaultValue,
                                                 static_cast<DWORD>((wcslen(defaultValue) + 1) * sizeof(WCHAR))));
    }
    ~RegisteredType() { RegDeleteTreeW(HKEY_CLASSES_ROOT, m_name.c_str()); }

private:
    std::wstring m_name;
};

} // namespace

// desktop-free: FolderMenuTypeIcons
TEST(FolderMenuTypeIcons, WhetherATypesFilesDifferIsAskedOncePerThreadAndAnewAfterAnyMenuHeardOfAChange) {
    RegisteredType ownIcon(L".pwtown", L"DefaultIcon", L"\"%1\"");
    RegisteredType handled(L".pwthandled", L"", L"Pathwren.HandledType");
    RegisteredType handler(L"Pathwren.HandledType", L"shellex\\IconHandler", L"{00000000-0000-0000-0000-000000000001}");
    int size = GetSystemMetrics(SM_CXSMICON);
    CFolderMenuTypeIcons first;
    first.Clear(size);
    EXPECT_TRUE(first.IsPerFileType(L"exe")) << "programs differ, registered or not";
    EXPECT_TRUE(first.IsPerFileType(L"pwtown")) << "the file itself names the icon";
    EXPECT_TRUE(first.IsPerFileType(L"pwthandled")) << "an icon handler of the type's class";
    EXPECT_FALSE(first.IsPerFileType(L"pwtlate"));
    EXPECT_EQ(nullptr, first.IconOf(L"C:\\a.pwtown", FALSE, FILE_ATTRIBUTE_NORMAL)) << "the caller reads the file";
    HICON shared = first.IconOf(L"C:\\a.pwtlate", FALSE, FILE_ATTRIBUTE_NORMAL);
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(shared, first.IconOf(L"C:\\b.PWTLATE", FALSE, FILE_ATTRIBUTE_NORMAL));

    // Another menu of the thread takes the answers already given, even once the registry changed...
    RegisteredType late(L".pwtlate", L"DefaultIcon", L"%1");
    CFolderMenuTypeIcons second;
    EXPECT_FALSE(second.IsPerFileType(L"pwtlate"));
    EXPECT_NE(nullptr, second.IconOf(L"C:\\a.pwtlate", FALSE, FILE_ATTRIBUTE_NORMAL));
    // ...until one of them hears that associations changed: then every menu asks anew.
    first.Clear(size);
    EXPECT_TRUE(second.IsPerFileType(L"pwtlate"));
    EXPECT_EQ(nullptr, second.IconOf(L"C:\\c.pwtlate", FALSE, FILE_ATTRIBUTE_NORMAL));
}
