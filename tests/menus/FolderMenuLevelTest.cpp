// The name lookup of a level, which merging folders by name relies on.
#include "menus/FolderMenuLevel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <new>
#include <string>

// Every block the standard containers of this test program give back is overwritten first, so
// that code still reading one sees garbage instead of the text that happened to stay there.
void operator delete(void* block) noexcept {
    // Through a volatile pointer: the compiler drops plain stores into memory about to be freed.
    volatile unsigned char* bytes = static_cast<unsigned char*>(block);
    for (size_t index = 0, size = block ? _msize(block) : 0; index < size; ++index)
        bytes[index] = 0xDD;
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}

// desktop-free: FolderMenuLevel
TEST(FolderMenuLevel, ANameStaysFoundWhileItsEntryGainsTheSameNamedFoldersOfOtherDrives) {
    CFolderMenuLevel level(std::unique_ptr<CPopUpMenu>(new CPopUpMenu()));
    // Paths this short live inside the string object itself, so they move whenever the entry's
    // list of paths grows; that is what merging "C:\a" with "D:\a", "E:\a"... does.
    CFolderMenuItem* entry =
        level.Append(std::unique_ptr<CFolderMenuItem>(new CFolderMenuItem(L"C:\\a", L"a", TRUE, nullptr)));
    ASSERT_EQ(entry, level.FindByName(L"a", FALSE));
    for (wchar_t drive = L'D'; drive <= L'Z'; ++drive) {
        entry->AddPath((std::wstring(1, drive) + L":\\a").c_str());
        ASSERT_EQ(entry, level.FindByName(L"a", FALSE)) << "after merging the folder of drive " << char(drive);
    }
    EXPECT_EQ(std::wstring(L"C:\\a"), entry->m_paths.front());
    EXPECT_EQ(nullptr, level.FindByName(L"z", FALSE));
}
