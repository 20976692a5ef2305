// A start with many items pays for their icons only: each item's folder menu, folder watch and
// context menu are made when the user first asks for them, through the real program's clicks,
// hotkeys and message loop, and behave from then on as if they had been there all along.
#include "ApplicationFixture.h"

#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/FolderMenuContainer.h"
#include "containers/NotifyIcon.h"
#include "support/FileFixtures.h"
#include "support/MenuTexts.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class ItemFirstUse : public ::testing::Test {
protected:
    // Starts with one "Menu" item per folder, each folder holding one file named after it.
    void Start(const std::vector<std::wstring>& folders) {
        std::wstring text = L"[Default]\r\nFolders=" + std::to_wstring(folders.size()) + L"\r\n";
        for (size_t i = 0; i < folders.size(); ++i) {
            CreateDirectoryW(fixture.File(folders[i]).c_str(), nullptr);
            WriteFileBytes(fixture.File(folders[i] + L"\\" + folders[i] + L".txt"), {'x'});
            text +=
                L"[Folders_" + std::to_wstring(i) + L"]\r\nFolderPresentationType=2\r\nPath=" + folders[i] + L"\r\n";
        }
        fixture.Configure(text);
        fixture.Start();
    }

    CFolderMenuContainer* Container(size_t item) const {
        return dynamic_cast<CFolderMenuContainer*>(ContainerOf(*fixture.application.m_folders[item]));
    }

    // What each item has made so far, as words, so a failure names the item and the part.
    std::vector<std::string> Made() const {
        std::vector<std::string> made;
        for (size_t i = 0; i < fixture.application.m_folders.size(); ++i) {
            CFolderMenuContainer* container = Container(i);
            std::string parts;
            if (container && container->GetFolderMenu())
                parts += "menu ";
            if (container && container->GetRegistration())
                parts += "watch ";
            if (container && container->GetContextMenu())
                parts += "context";
            made.push_back(parts);
        }
        return made;
    }

    // A step that posts what the shell posts to the item's tray icon window for the mouse message.
    std::function<bool()> Click(size_t item, UINT mouseMessage) {
        return [this, item, mouseMessage] {
            CNotifyIcon* icon = Container(item)->GetNotifyIcon();
            PostMessageW(icon->m_hWnd, WM_NOTIFY_ICON_CALLBACK, icon->m_notifyIconData.uID, mouseMessage);
            return true;
        };
    }

    // A step that waits for a menu, reads it and closes it, then one that waits until it is gone
    // and the program is back in its own loop.
    std::vector<std::function<bool()>> ReadAndClose(Texts& shown) {
        return {[&shown] {
                    HWND menu = FindOwnWindow(L"#32768");
                    if (!menu)
                        return false;
                    shown = MenuItemTexts(reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0)));
                    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                    return true;
                },
                [] { return FindOwnWindow(L"#32768") == nullptr; }};
    }

    std::function<bool()> Record(std::vector<std::vector<std::string>>& made) {
        return [this, &made] { return made.push_back(Made()), true; };
    }

    ApplicationFixture fixture;
};

std::vector<std::function<bool()>> Join(std::initializer_list<std::vector<std::function<bool()>>> parts) {
    std::vector<std::function<bool()>> steps;
    for (const auto& part : parts)
        steps.insert(steps.end(), part.begin(), part.end());
    return steps;
}

} // namespace

TEST_F(ItemFirstUse, EachItemMakesOnlyWhatItWasAskedFor) {
    Start({L"A", L"B", L"C"});
    std::vector<std::vector<std::string>> made;
    Texts first, context, third;
    // What the system posts when the third item's hotkey is pressed.
    auto hotkey = [this] { return PostMessageW(fixture.application.m_hMainWindow, WM_HOTKEY, 2, 0), true; };
    const auto steps = Join({{Record(made), Click(0, WM_LBUTTONUP)},
                             ReadAndClose(first),
                             {Record(made), Click(1, WM_RBUTTONUP)},
                             ReadAndClose(context),
                             {Record(made), hotkey},
                             ReadAndClose(third),
                             {Record(made)}});
    ASSERT_EQ(steps.size(), fixture.RunSteps(steps)) << "a menu never opened";

    ASSERT_EQ(4u, made.size());
    EXPECT_EQ((std::vector<std::string>{"", "", ""}), made[0]) << "at start";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "", ""}), made[1]) << "after a left click on the first";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "context", ""}), made[2]) << "after a right click on the second";
    EXPECT_EQ((std::vector<std::string>{"menu watch ", "context", "menu watch "}), made[3])
        << "after the third's hotkey";
    EXPECT_EQ((Texts{L"A"}), first);
    EXPECT_EQ((Texts{L"C"}), third);
    ASSERT_FALSE(context.empty());
    EXPECT_EQ(fixture.application.m_pLanguage->Show, context[0]);
}

TEST_F(ItemFirstUse, AnItemShownOnceFollowsLaterChangesOfItsFolder) {
    Start({L"Docs"});
    std::wstring added = fixture.File(L"Docs\\added.txt");
    UINT buildsBeforeChange = 0;
    Texts before, after;
    auto change = [&] {
        buildsBeforeChange = Container(0)->GetBuildCount();
        WriteFileBytes(added, {'x'});
        // Wine does not watch the file system itself; Explorer announces changes like this.
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, added.c_str(), nullptr);
        return true;
    };
    auto rebuilt = [&] { return Container(0)->GetBuildCount() > buildsBeforeChange; };
    const auto steps = Join({{Click(0, WM_LBUTTONUP)},
                             ReadAndClose(before),
                             {change, rebuilt, Click(0, WM_LBUTTONUP)},
                             ReadAndClose(after)});
    ASSERT_EQ(steps.size(), fixture.RunSteps(steps)) << "no menu, or the change never rebuilt it";
    EXPECT_EQ((Texts{L"Docs"}), before);
    EXPECT_EQ((Texts{L"added", L"Docs"}), after) << "the second showing missed the change";
}
