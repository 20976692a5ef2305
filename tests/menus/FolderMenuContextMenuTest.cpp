// The shell's context menu of a folder menu entry: it fills, tracks inside the open folder menu,
// runs the chosen command and closes the folder menu only then.
#include "menus/FolderTree.h"

#include <ole2.h>
#include <shellapi.h>

#include <algorithm>

namespace {

// Moves down to the item with this text (mnemonic aside) and presses Enter on it; false until then.
bool Choose(HMENU menu, const std::wstring& text) {
    Texts texts = MenuItemTexts(menu);
    for (UINT position = 0; position < texts.size(); ++position) {
        texts[position].erase(std::remove(texts[position].begin(), texts[position].end(), L'&'), texts[position].end());
        if (texts[position] != text)
            continue;
        bool highlighted = GetMenuState(menu, position, MF_BYPOSITION) & MF_HILITE;
        PostMessageW(FindMenuWindow(menu), WM_KEYDOWN, highlighted ? VK_RETURN : VK_DOWN, 0);
        return highlighted;
    }
    return false;
}

std::wstring FileOnClipboard() {
    WCHAR path[MAX_PATH] = L"";
    if (!OpenClipboard(nullptr))
        return path;
    if (HANDLE drop = GetClipboardData(CF_HDROP))
        DragQueryFileW(static_cast<HDROP>(drop), 0, path, MAX_PATH);
    CloseClipboard();
    return path;
}

class FolderMenuContextMenu : public FolderMenuTest {
protected:
    // The open menu that is not the folder menu: the shell's context menu.
    HMENU ContextMenu() const {
        for (const auto& open : OpenMenus()) {
            if (open.second != Root())
                return open.second;
        }
        return nullptr;
    }
    // Blocks while the shell's menu is open; the steps after it run inside that menu.
    MenuTestOwner::Step RightClick(const std::wstring& text) {
        return ::RightClick(Owner().Handle(), Root(), static_cast<UINT>(FindItemPosition(Root(), text)));
    }
    MenuTestOwner::Step InContextMenu(std::function<bool(HMENU)> act) {
        return [this, act]() {
            HMENU contextMenu = ContextMenu();
            m_contextTexts = contextMenu ? MenuItemTexts(contextMenu) : m_contextTexts;
            return contextMenu && act(contextMenu);
        };
    }

    Texts m_contextTexts;
};

} // namespace

TEST_F(FolderMenuContextMenu, ChoosingAShellCommandRunsItAndClosesTheFolderMenu) {
    std::wstring scratch = m_tree.AddFile(L"scratch.txt", "scratch"), gone = m_tree.AddFile(L"gone.txt");
    ASSERT_TRUE(BuildRoot());
    DeleteFileW(gone.c_str());
    OleSetClipboard(nullptr);
    bool noMenuForVanishedFile = false;
    LRESULT folderItemDrawn = -1;
    Canvas canvas(32);
    auto drawAnItemAndChooseCopy = [&](HMENU contextMenu) {
        if (folderItemDrawn == -1) {
            UINT command = FindCommand(Root(), L"scratch.txt");
            folderItemDrawn = SendDrawItem(Owner().Handle(), Root(), canvas.Dc(), {0, 0, 32, 32},
                                           m_menu.GetEntryOfCommand(command)->Icon(), 0, command);
        }
        return Choose(contextMenu, L"Copy");
    };
    size_t stepsRun = 0;
    EXPECT_EQ(0u, Show({WaitForMenu(Root()), RightClick(L"gone.txt"),
                        [&]() { return noMenuForVanishedFile = !ContextMenu() && FindMenuWindow(Root()); },
                        RightClick(L"scratch.txt"), InContextMenu(drawAnItemAndChooseCopy), [] { return true; }},
                       &stepsRun));
    EXPECT_TRUE(noMenuForVanishedFile) << "an entry whose file vanished gets no shell menu; the folder menu stays";
    EXPECT_EQ(5u, stepsRun) << "the folder menu closed with the command, before the last step; shell items: "
                            << m_contextTexts.size();
    EXPECT_EQ(scratch, FileOnClipboard()) << "the shell's Copy ran on the entry's file";
    EXPECT_EQ(TRUE, folderItemDrawn) << "the folder menu under the shell's menu still draws its own items";
    OleSetClipboard(nullptr);
}
