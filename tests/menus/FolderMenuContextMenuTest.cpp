// The shell's context menu of a folder menu entry: it fills, tracks inside the open folder menu,
// runs the chosen command and closes the folder menu only then.
#include "menus/FolderMenu.h"
#include "menus/FolderTree.h"
#include "menus/MenuTestOwner.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

typedef std::function<bool()> Step;

// Steps played by a thread timer, which fires in every menu loop of the thread, nested ones
// included: a step that opens a menu blocks, and the steps after it run inside that menu.
class NestedMenuScript {
public:
    explicit NestedMenuScript(std::vector<Step> steps) : m_steps(std::move(steps)), m_start(GetTickCount()) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 20, OnTimer);
    }
    ~NestedMenuScript() {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    size_t StepsRun() const { return m_next; }
    bool TimedOut() const { return m_timedOut; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        NestedMenuScript* script = s_current;
        if (!script || script->m_next >= script->m_steps.size())
            return;
        if (GetTickCount() - script->m_start > 20000) {
            script->m_timedOut = true;
            script->m_next = script->m_steps.size();
            EndMenu();
            return;
        }
        size_t index = script->m_next++;
        // A step that is not done yet runs again at the next tick, unless nested steps ran meanwhile.
        if (!script->m_steps[index]() && script->m_next == index + 1)
            script->m_next = index;
    }

    static NestedMenuScript* s_current;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_start;
    bool m_timedOut = false;
    UINT_PTR m_timer = 0;
};

NestedMenuScript* NestedMenuScript::s_current = nullptr;

// The open menu of this thread that is not the folder menu: the shell's context menu.
HMENU FindOtherOpenMenu(HMENU folderMenu) {
    struct Search {
        HMENU known, found;
    } search = {folderMenu, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            WCHAR className[16] = L"";
            GetClassNameW(window, className, 16);
            auto menu = reinterpret_cast<HMENU>(SendMessageW(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
            if (wcscmp(className, L"#32768") == 0 && IsWindowVisible(window) && menu != search->known)
                search->found = menu;
            return !search->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Moves down to the item with this text (mnemonic aside) and presses Enter on it; false until then.
bool Choose(HMENU menu, const std::wstring& text) {
    std::vector<std::wstring> texts = MenuItemTexts(menu);
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
    IDataObject* data = nullptr;
    WCHAR path[MAX_PATH] = L"";
    if (FAILED(OleGetClipboard(&data)))
        return path;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0, path, MAX_PATH);
        ReleaseStgMedium(&medium);
    }
    data->Release();
    return path;
}

class FolderMenuContextMenu : public ::testing::Test {
protected:
    void SetUp() override {
        m_scratch = m_tree.AddFile(L"scratch.txt", "scratch");
        std::wstring gone = m_tree.AddFile(L"gone.txt");
        MergedFolder record = FolderRecord(m_tree.Root());
        ASSERT_TRUE(m_menu.Build(&record, 1, TRUE, TRUE, TRUE));
        m_menu.SetOwnerWindow(m_owner.Handle());
        DeleteFileW(gone.c_str());
    }
    HMENU Root() const { return m_menu.GetRootMenu()->GetHandle(); }

    // Releases the right button over the item, as the menu loop passes the button to the owner.
    Step RightClick(const std::wstring& text) {
        return [this, text]() {
            RECT item;
            UINT position = static_cast<UINT>(FindItemPosition(Root(), text));
            if (!FindMenuWindow(Root()) || !GetMenuItemRect(nullptr, Root(), position, &item))
                return false;
            SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2);
            SendMessageW(m_owner.Handle(), WM_RBUTTONUP, 0, 0);
            return true;
        };
    }
    Step InContextMenu(std::function<bool(HMENU)> act) {
        return [this, act]() {
            HMENU contextMenu = FindOtherOpenMenu(Root());
            m_contextTexts = contextMenu ? MenuItemTexts(contextMenu) : m_contextTexts;
            return contextMenu && act(contextMenu);
        };
    }
    Step NoteWhetherFolderMenuIsOpen() {
        return [this]() {
            m_folderMenuOpenAfterwards = FindMenuWindow(Root()) != nullptr;
            EndMenu();
            return true;
        };
    }
    // Asks the owner to draw a folder menu item, as the system does when the folder menu repaints.
    LRESULT DrawFolderMenuItem(const std::wstring& text) {
        UINT commandId = FindCommand(Root(), text);
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, 32, 32);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        DRAWITEMSTRUCT item = {ODT_MENU,
                               0,
                               commandId,
                               ODA_DRAWENTIRE,
                               0,
                               reinterpret_cast<HWND>(Root()),
                               dc,
                               {0, 0, 32, 32},
                               reinterpret_cast<ULONG_PTR>(m_menu.GetEntryOfCommand(commandId)->m_hIcon)};
        LRESULT drawn = SendMessageW(m_owner.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return drawn;
    }

    FolderTree m_tree;
    CFolderMenu m_menu;
    MenuTestOwner m_owner;
    std::wstring m_scratch;
    std::vector<std::wstring> m_contextTexts;
    bool m_folderMenuOpenAfterwards = false;
};

} // namespace

TEST_F(FolderMenuContextMenu, ChoosingAShellCommandRunsItAndClosesTheFolderMenu) {
    OleSetClipboard(nullptr);
    bool noMenuForVanishedFile = false;
    LRESULT folderItemDrawn = -1;
    NestedMenuScript script(
        {WaitForMenu(Root()), RightClick(L"gone.txt"),
         [&]() { return noMenuForVanishedFile = !FindOtherOpenMenu(Root()) && FindMenuWindow(Root()); },
         RightClick(L"scratch.txt"), InContextMenu([&](HMENU contextMenu) {
             if (folderItemDrawn == -1)
                 folderItemDrawn = DrawFolderMenuItem(L"scratch.txt");
             return Choose(contextMenu, L"Copy");
         }),
         NoteWhetherFolderMenuIsOpen()});
    EXPECT_EQ(0u, m_menu.GetRootMenu()->Track(100, 100, m_owner.Handle(), FALSE));
    ASSERT_FALSE(script.TimedOut()) << "steps run: " << script.StepsRun() << ", shell items: " << m_contextTexts.size();
    EXPECT_TRUE(noMenuForVanishedFile) << "an entry whose file vanished gets no shell menu; the folder menu stays";
    EXPECT_EQ(5u, script.StepsRun()) << "the folder menu closed with the command, before the last step";
    EXPECT_EQ(m_scratch, FileOnClipboard()) << "the shell's Copy ran on the entry's file";
    EXPECT_EQ(TRUE, folderItemDrawn) << "the folder menu under the shell's menu still draws its own items";
    OleSetClipboard(nullptr);
}

TEST_F(FolderMenuContextMenu, DismissingTheShellMenuKeepsTheFolderMenuOpen) {
    if (RunningOnWine())
        GTEST_SKIP() << "Wine ends every open menu when a menu tracked inside another one closes";
    NestedMenuScript script({WaitForMenu(Root()), RightClick(L"scratch.txt"), InContextMenu([](HMENU contextMenu) {
                                 return PostMessageW(FindMenuWindow(contextMenu), WM_KEYDOWN, VK_ESCAPE, 0) != FALSE;
                             }),
                             NoteWhetherFolderMenuIsOpen()});
    EXPECT_EQ(0u, m_menu.GetRootMenu()->Track(100, 100, m_owner.Handle(), FALSE));
    ASSERT_FALSE(script.TimedOut()) << "steps run: " << script.StepsRun();
    EXPECT_FALSE(m_contextTexts.empty()) << "the shell filled its menu";
    EXPECT_TRUE(m_folderMenuOpenAfterwards);
}
