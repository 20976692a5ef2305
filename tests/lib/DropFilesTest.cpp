#include "lib/DropFiles.h"
#include "support/FileFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct DroppedFile {
    HWND window;
    std::wstring path;
    UINT index;
};

void RecordDroppedFile(HWND window, LPCWSTR path, UINT index, LPVOID userValue) {
    static_cast<std::vector<DroppedFile>*>(userValue)->push_back({window, path, index});
}

} // namespace

TEST(DropFilesTest, EveryFileReachesTheCallbackInOrderWithTheWindowUnderTheDropPoint) {
    // SS_NOTIFY: a plain static control is transparent to hit-testing, and so to WindowFromPoint.
    HWND dialog = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_NOTIFY, 200, 150, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND edit =
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 20, 20, 200, 30, dialog, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, edit);
    std::vector<DroppedFile> dropped;
    DropFilesContext context = {dialog, RecordDroppedFile, &dropped};
    const std::vector<std::wstring> paths = {L"C:\\First Folder", L"C:\\Second\\file.txt", L"D:\\Third"};
    HandleDropFiles(&context, MakeDrop({30, 25}, paths));
    ASSERT_EQ(paths.size(), dropped.size());
    for (UINT index = 0; index < paths.size(); ++index) {
        EXPECT_EQ(edit, dropped[index].window) << "file " << index;
        EXPECT_EQ(paths[index], dropped[index].path);
        EXPECT_EQ(index, dropped[index].index);
    }

    DropFilesContext withoutCallback = {dialog, nullptr, nullptr};
    HDROP ignored = MakeDrop({30, 25}, {L"C:\\Ignored"});
    HandleDropFiles(&withoutCallback, ignored);
    EXPECT_EQ(0u, GlobalSize(ignored)) << "the drop is finished even when nobody takes the files";
    DestroyWindow(dialog);
}
