#include "menus/FolderMenuPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>

TEST(FolderMenuPaths, AFolderOfAnyLengthEndsInOneBackslashInsideItsBuffer) {
    for (size_t folderLength : {0u, 3u, 257u, 258u, 259u, 260u, 400u}) {
        for (bool endsInBackslash : {false, true}) {
            std::wstring folder(folderLength, L'f');
            if (endsInBackslash && folderLength > 0)
                folder.back() = L'\\';
            SCOPED_TRACE(testing::Message() << folderLength << " characters, backslash " << endsInBackslash);
            // One character more than the buffer the paths live in, to see a write past it.
            wchar_t buffer[kPathBufferLength + 1];
            std::fill(buffer, buffer + kPathBufferLength + 1, L'#');
            size_t length = CopyFolderWithBackslash(buffer, folder.c_str());
            EXPECT_EQ(L'#', buffer[kPathBufferLength]) << "written past the buffer";
            ASSERT_LE(length, kMaxPathLength);
            EXPECT_EQ(length, wcslen(buffer));
            EXPECT_EQ(L'\\', buffer[length - 1]);
            EXPECT_NE(L'\\', length > 1 ? buffer[length - 2] : L'f') << "one backslash";
            EXPECT_EQ(folder.substr(0, length - 1), std::wstring(buffer, length - 1)) << "the folder's start is kept";
        }
    }
}
