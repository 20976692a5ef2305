#include "lib/Listview.h"

#include "WrappedControl.h"
#include "support/ClipboardText.h"
#include "support/OpenedAddresses.h"
#include "support/SourceTree.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A report list view of three columns and four rows: markup characters, quotes, tabs, blanks,
// empty cells, the euro sign and a character beyond the BMP. Rows 1 and 2 are selected; row 2 has
// its own colours.
class ListviewTest : public WrappedControlTest<CListview> {
protected:
    void SetUp() override {
        list = CreateControl(WC_LISTVIEWW, LVS_REPORT, 580, 260);
        Wrap(new CListview(list));
        view->AddColumn(L"Name", 120);
        view->AddColumn(L"Type", 80);
        view->AddColumn(L"Note \"quoted\"", 200);
        const wchar_t* rows[][3] = {{L"a&b<c>d", L"Menu", L"two  blanks"},
                                    {L"Say \"hi\"", L"", L"tab\there"},
                                    {L"Price \u20AC5", L"{braces} \\", L"smile \xD83D\xDE00"},
                                    {L"plain", L"x", L""}};
        for (int row = 0; row < 4; ++row) {
            ASSERT_EQ(row, view->InsertRow(rows[row][0], row, -1));
            view->SetSubItemText(row, 1, rows[row][1]);
            view->SetSubItemText(row, 2, rows[row][2]);
        }
        ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
        ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
        view->SetRowColors(2, RGB(0x10, 0x20, 0x30), RGB(0xFF, 0xEE, 0x01));
    }

    HWND list = nullptr;
};

} // namespace

TEST_F(ListviewTest, EachFormatMatchesItsExpectedFileByteForByte) {
    TempDirectory temp;
    for (const wchar_t* extension : {L"xml", L"html", L"rtf", L"csv", L"txt"}) {
        for (BOOL selectedOnly : {FALSE, TRUE}) {
            std::wstring name = std::wstring(selectedOnly ? L"selected." : L"all.") + extension;
            SCOPED_TRACE(testing::PrintToString(name));
            // The format follows the extension in any case.
            std::wstring path = temp.File(name);
            if (!selectedOnly)
                CharUpperW(&path[path.rfind(L'.') + 1]);
            ASSERT_TRUE(view->SaveRowsToFile(path.c_str(), selectedOnly));
            std::vector<unsigned char> written = ReadFileBytes(path);
            std::wstring expectedPath = SourceTreePath(L"tests/lib/listview_expected/" + name);
            if (UpdateFixturesRequested())
                WriteFileBytes(expectedPath, written);
            EXPECT_EQ(ReadFileBytes(expectedPath), written);
        }
    }

    // The box adds the system's reason to the name.
    for (const auto& refused : RefusedSaves(temp, [&](LPCWSTR path) { return view->SaveRowsToFile(path, FALSE); }))
        EXPECT_EQ(0u, refused.second.find(L"Can't create file " + refused.first)) << testing::PrintToString(refused);
}

TEST_F(ListviewTest, KeysCopyTheSelectedRowsAndSelectAll) {
    SendMessageW(list, WM_KEYDOWN, 'C', 0);
    const std::wstring selectedRows = L"Say \"hi\"\t\ttab\there\r\nPrice \u20AC5\t{braces} \\\tsmile \xD83D\xDE00\r\n";
    EXPECT_EQ(selectedRows, ClipboardText());
    ListView_SetItemState(list, 2, 0, LVIS_SELECTED);
    SendMessageW(list, WM_KEYDOWN, VK_INSERT, 0);
    EXPECT_EQ(L"Say \"hi\"\t\ttab\there\r\n", ClipboardText());
    SendMessageW(list, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(4u, ListView_GetSelectedCount(list));
    // The numeric pad's 1 and 3 share the codes of "a" and "c" in ASCII but are other keys.
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    SendMessageW(list, WM_KEYDOWN, VK_NUMPAD1, 0);
    EXPECT_EQ(0u, ListView_GetSelectedCount(list));
}

TEST_F(ListviewTest, SavingFromTheContextMenuAsksAndOpensOnlyOnYes) {
    TempDirectory temp;
    OpenedAddresses opened({L".pwlv"});
    const std::wstring asked =
        L"[box \"Information\": \"Save Successfully Completed\r\nDo you want to open saved document now ?\"] ";
    struct Run {
        std::wstring file;
        int answer;
        std::wstring boxes; // after the save dialog
    } runs[] = {{temp.File(L"no.pwlv"), IDNO, asked},
                {temp.File(L"yes.pwlv"), IDYES, asked},
                {temp.File(L"nothing.pwzq"), IDYES, asked + L"[box \"Error\": \"Error opening associated viewer\"] "}};
    for (const Run& run : runs) {
        SCOPED_TRACE(testing::PrintToString(run.file));
        DialogScriptDriver driver({DialogScriptDriver::SaveAs(run.file), DialogScriptDriver::Press(run.answer),
                                   DialogScriptDriver::Press(IDOK)});
        // Copy Selected, Copy All, Save Selected, Save All
        // A cursor that an earlier case left over the menu must not change the entry chosen.
        SetCursorPos(110, 125);
        UINT_PTR timer = ChooseMenuEntryWhenShown(4);
        view->ShowContextMenu(POINT{100, 100});
        KillTimer(nullptr, timer);
        auto dialogs = driver.Finish();
        ASSERT_FALSE(dialogs.empty());
        EXPECT_EQ(run.boxes, DescribeDialogs({dialogs.begin() + 1, dialogs.end()}));
        // "Save All" in text form: any extension but the five is saved as text.
        EXPECT_EQ(ReadFileBytes(SourceTreePath(L"tests/lib/listview_expected/all.txt")), ReadFileBytes(run.file));
    }
    std::vector<std::wstring> lines = opened.Wait(1);
    ASSERT_EQ(1u, lines.size()) << "No opened something, or Yes nothing";
    EXPECT_NE(std::wstring::npos, lines[0].find(L"yes.pwlv")) << testing::PrintToString(lines[0]);
}
