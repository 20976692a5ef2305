#include "IniText.h"

#include "config/GenericPathwrenObject.h"
#include "config/ItemIdentifiers.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Items {
    ~Items() {
        for (CGenericPathwrenObject* item : list)
            delete item;
    }
    CGenericPathwrenObject* Add(LPCWSTR path, LPCWSTR identifier) {
        list.push_back(new CGenericPathwrenObject());
        wcscpy(list.back()->Path, path);
        wcscpy(list.back()->ItemIdentifier, identifier);
        return list.back();
    }
    std::vector<CGenericPathwrenObject*> list;
};

const WCHAR kKnown[] = L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";

} // namespace

// desktop-free: ItemIdentifiers
TEST(ItemIdentifiers, MissingAndRepeatedIdentifiersAreGivenAndOthersKept) {
    Items items;
    items.Add(L"C:\\one", kKnown);
    items.Add(L"C:\\two", L"");
    items.Add(L"C:\\three", L"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"); // a copied section
    items.Add(L"C:\\four", L"");
    EXPECT_TRUE(GiveItemsIdentifiers(items.list));
    EXPECT_STREQ(kKnown, items.list[0]->ItemIdentifier) << "an item keeps the identifier it has";
    std::vector<std::wstring> given;
    for (CGenericPathwrenObject* item : items.list)
        given.push_back(item->ItemIdentifier);
    EXPECT_EQ(4u, std::set<std::wstring>(given.begin(), given.end()).size())
        << "the later of two equal identifiers was replaced";

    EXPECT_FALSE(GiveItemsIdentifiers(items.list)) << "nothing left to give";
    for (size_t i = 0; i < given.size(); ++i)
        EXPECT_EQ(given[i], items.list[i]->ItemIdentifier);

    WCHAR tooSmall[36];
    EXPECT_FALSE(MakeItemIdentifier(tooSmall, ARRAYSIZE(tooSmall))) << "a cut identifier would name nothing";
    for (LPCWSTR text : {L"{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}", L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f", L"",
                         L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1fg", L"0f1e2d3c04b5a-6978-8796-a5b4c3d2e1f0", L"Docs"})
        EXPECT_FALSE(IsItemIdentifierForm(text)) << text;
}

TEST(ItemIdentifiers, ItemsAreFoundByIdentifierBeforeNameAndAnOlderSectionClearsTheIdentifier) {
    TempDirectory temp;
    CreateDirectoryW(temp.File(L"Music").c_str(), nullptr);
    Items items;
    items.Add(temp.File(L"Music").c_str(), kKnown);
    CGenericPathwrenObject* named = items.Add(L"", L"");
    named->FolderPresentationType = FolderPresentationMultipleFoldersMenu;
    wcscpy(named->DisplayName, kKnown); // a name that reads like the first item's identifier

    EXPECT_EQ(0, FindItemByIdentifierOrName(items.list, L"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"));
    EXPECT_EQ(-1, FindItemByIdentifierOrName(items.list, L"")) << "an item without a name is not found by it";

    // Loading an older section into a used record clears what the record had.
    ReadIniText(L"[Item]\r\nPath=C:\\x\r\n", L"Item", [&](CIniFile& file) { ASSERT_TRUE(items.list[0]->Load(file)); });
    EXPECT_STREQ(L"", items.list[0]->ItemIdentifier);
}
