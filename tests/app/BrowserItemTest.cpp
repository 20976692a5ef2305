#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "containers/NotifyIcon.h"
#include "containers/ShellBrowserContainerBase.h"
#include "menus/PopUpMenu.h"
#include "support/FileFixtures.h"
#include "support/MenuTexts.h"
#include "support/MessagePump.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> ListedNames(HWND listView) {
    std::vector<std::wstring> names;
    int count = ListView_GetItemCount(listView);
    for (int i = 0; i < count; ++i) {
        wchar_t name[MAX_PATH] = L"";
        ListView_GetItemText(listView, i, 0, name, MAX_PATH);
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs steps from the program's own message loop (hotkeys and key translation happen only
// there): each step acts once, then waits up to five seconds for its result.
struct Steps {
    struct Step {
        const char* name;
        std::function<void()> act;
        std::function<bool()> done;
    };
    std::vector<Step> steps;
    std::vector<std::string> failed;
    HWND mainWindow = nullptr;
    size_t current = 0;
    bool acted = false;
    DWORD started = 0;

    static Steps* running;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) { running->Advance(timer); }
    void Advance(UINT_PTR timer) {
        if (current == steps.size()) {
            KillTimer(nullptr, timer);
            PostMessageW(mainWindow, WM_CLOSE, 0, 0);
            return;
        }
        Step& step = steps[current];
        if (!acted) {
            acted = true;
            started = GetTickCount();
            step.act();
            return;
        }
        bool timedOut = GetTickCount() - started > 5000;
        if (!step.done() && !timedOut)
            return;
        if (timedOut)
            failed.push_back(step.name);
        ++current;
        acted = false;
    }
    void Start(HWND window) {
        mainWindow = window;
        running = this;
        SetTimer(nullptr, 0, 50, Tick);
    }
};
Steps* Steps::running = nullptr;

} // namespace

TEST(BrowserItem, TrayAndHotkeyShowTheFilteredFolderAndClosingOnlyHides) {
    ApplicationFixture fixture;
    CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
    for (const wchar_t* name : {L"kept.txt", L"other.txt", L"dropped.log"})
        WriteFileBytes(fixture.File(L"Here\\") + name, {'x'});
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=0\r\nPath=Here\r\n"
                      L"ExclusionFilters=*.log\r\nFolderViewMode=3\r\nHotKeyModifier=3\r\nHotKeyVirtualKey=120\r\n");
    fixture.Start();

    CShellBrowserContainerBase* container = nullptr;
    HWND window = nullptr;
    std::vector<std::wstring> listed;
    bool focused = false;
    Steps steps;
    auto shown = [&] { return IsWindowVisible(window) != FALSE; };
    auto hidden = [&] { return !IsWindowVisible(window) && IsWindow(window); };
    auto hotkey = [&] { PostMessageW(steps.mainWindow, WM_HOTKEY, 0, 0); };
    steps.steps = {
        {"the tray click shows",
         [&] { PostMessageW(container->GetNotifyIcon()->m_hWnd, WM_NOTIFY_ICON_CALLBACK, 0, WM_LBUTTONUP); }, shown},
        {"the folder is listed", [] {},
         [&] {
             listed = ListedNames(container->GetBrowser()->ListView());
             focused = GetFocus() == container->GetBrowser()->ListView();
             return listed.size() == 2;
         }},
        {"the hotkey hides a shown window", hotkey, hidden},
        {"the hotkey shows a hidden window", hotkey, shown},
        {"closing hides and keeps the window", [&] { PostMessageW(window, WM_CLOSE, 0, 0); }, hidden},
    };
    Texts menu;
    fixture.RunWhile([&](HWND mainWindow) {
        container = dynamic_cast<CShellBrowserContainerBase*>(fixture.application.m_folders[0]->m_pContainer);
        if (!container || !container->GetNotifyIcon()) {
            PostMessageW(mainWindow, WM_CLOSE, 0, 0);
            return;
        }
        window = container->GetWindow();
        menu = MenuItemTexts(container->GetContextMenu()->GetHandle());
        steps.Start(mainWindow);
    });
    ASSERT_NE(nullptr, container) << "a Browser item gets a browser window with a tray icon";
    EXPECT_FALSE(fixture.WatchdogFired());
    EXPECT_EQ(std::vector<std::string>(), steps.failed);
    EXPECT_EQ((std::vector<std::wstring>{L"kept.txt", L"other.txt"}), listed) << "the item's filters apply";
    EXPECT_TRUE(focused) << "the list view takes the keys";
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(L"Show / Hide", menu[0]);
    EXPECT_EQ(L"Maximize / Reduce", menu[1]);
}
