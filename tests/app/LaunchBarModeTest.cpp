// The real program in "Launch Bar" mode: one hidden bar with a button per item, auto-hiding at
// each edge under a real cursor, and the bar's own menu ending the program with its items saved.
#include "ApplicationFixture.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "containers/LaunchBarContainerBase.h"
#include "launchbar/LaunchBar.h"
#include "menus/PopUpMenu.h"
#include "support/GdiObjectCounter.h"
#include "support/MessagePump.h"
#include "support/Soak.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

// Pumps the thread's messages until done() holds or the time is up; the time it took. done() is
// asked after every message: hiding the bar sets off a burst of activation messages that would
// otherwise delay the reading by seconds.
DWORD WaitFor(DWORD limit, const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < limit) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (!done() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    return GetTickCount() - start;
}

std::wstring MenuText(HMENU menu, int index) {
    WCHAR text[MAX_PATH] = L"";
    GetMenuStringW(menu, index, text, MAX_PATH, MF_BYPOSITION);
    return text;
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class LaunchBarMode : public ::testing::Test {
protected:
    // Starts the program with two menu items on a bar at the position and runs during() in its loop.
    void Run(UINT position, const std::function<void(CLaunchBar&, HWND toolbar)>& during) {
        CreateDirectoryW(fixture.File(L"Here").c_str(), nullptr);
        CreateDirectoryW(fixture.File(L"There").c_str(), nullptr);
        fixture.Configure(L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nPath=Here\r\n[Folders_1]\r\nPath=There\r\n");
        fixture.Start();
        CApplicationOptions& options = *fixture.application.m_pOptions;
        options.LaunchMode = LaunchModeLaunchBar;
        options.LaunchBarOptions.Position = position;
        options.LaunchBarOptions.UseFullScreenWidth = FALSE;
        fixture.RunWhile([&](HWND window) {
            CLaunchBar* bar = fixture.application.m_pLaunchBar;
            ASSERT_NE(nullptr, bar);
            during(*bar, bar->GetToolbarWindow());
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
    }
    CContainerBase* Container(size_t item) const { return fixture.application.m_folders[item]->m_pContainer; }

    ApplicationFixture fixture;
};

TEST_F(LaunchBarMode, ItemsBecomeButtonsOfOneHiddenBarInsteadOfTrayIcons) {
    Run(1, [&](CLaunchBar& bar, HWND toolbar) {
        EXPECT_EQ(1u, WindowsOfClass(CTransparentToolbar::ClassName, GetCurrentProcessId(), false).size());
        EXPECT_FALSE(IsWindowVisible(toolbar));
        ASSERT_EQ(2u, bar.GetToolbar()->GetButtonCount());
        const CLanguage& language = *fixture.application.m_pLanguage;
        for (UINT i = 0; i < 2; ++i) {
            WCHAR name[MAX_PATH];
            fixture.application.m_folders[i]->GetDisplayName(name);
            EXPECT_STREQ(name, bar.GetToolbar()->GetButton(i)->Button.Tooltip);
            EXPECT_EQ(Container(i), bar.GetToolbar()->GetButton(i)->Button.Container);
            EXPECT_EQ(nullptr, Container(i)->GetNotifyIcon());
            EXPECT_EQ(toolbar, Container(i)->GetOwnerWindow());
            EXPECT_EQ(language.Show, MenuText(Container(i)->GetContextMenu()->GetHandle(), 0));
        }
        EXPECT_EQ(toolbar, bar.GetContainer()->GetOwnerWindow());
        EXPECT_EQ(language.Options, MenuText(bar.GetContainer()->GetContextMenu()->GetHandle(), 0));
    });
}

TEST_F(LaunchBarMode, EachEdgeShowsTheBarOnlyForACursorRestingInItsStrip) {
    for (UINT position : {1u, 6u, 3u, 4u}) {
        SCOPED_TRACE(testing::Message() << "position " << position);
        Run(position, [&](CLaunchBar& bar, HWND toolbar) {
            const RECT strip = bar.GetHotWindow()->GetHotRect();
            const bool vertical = position == 3 || position == 4;
            // A quick pass along the strip: the cursor never rests.
            for (int step = 0; step < 30; ++step) {
                POINT along = Centre(strip);
                LONG offset = (step * 37) % 200 - 100;
                (vertical ? along.y : along.x) += offset;
                SetCursorPos(along.x, along.y);
                WaitFor(10, [] { return false; });
            }
            EXPECT_FALSE(IsWindowVisible(toolbar)) << "shown by a quick pass";

            POINT rest = Centre(strip);
            SetCursorPos(rest.x, rest.y);
            DWORD shownAfter = WaitFor(1000, [&] { return IsWindowVisible(toolbar) != FALSE; });
            ASSERT_TRUE(IsWindowVisible(toolbar));
            EXPECT_LE(shownAfter, 300u);

            RECT barRect = {};
            GetWindowRect(toolbar, &barRect);
            POINT onBar = Centre(barRect);
            (vertical ? onBar.x : onBar.y) += vertical ? (position == 3 ? 8 : -8) : (position == 6 ? -8 : 8);
            SetCursorPos(onBar.x, onBar.y);
            WaitFor(1200, [] { return false; });
            EXPECT_TRUE(IsWindowVisible(toolbar)) << "hidden while the cursor is on the bar";

            HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 500, 500, 50, 50, nullptr,
                                         nullptr, nullptr, nullptr);
            SetForegroundWindow(other);
            SetCursorPos(640, 512);
            DWORD hiddenAfter = WaitFor(3000, [&] { return !IsWindowVisible(toolbar); });
            EXPECT_FALSE(IsWindowVisible(toolbar));
            EXPECT_LE(hiddenAfter, 1500u);
            EXPECT_EQ(other, GetForegroundWindow()) << "the foreground is given back";
            DestroyWindow(other);
        });
    }
}

// Chooses the last entry (Exit) of the first menu that opens.
void CALLBACK ChooseLastEntry(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND menu = FindOwnWindow(L"#32768")) {
        KillTimer(nullptr, timer);
        PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    }
}

TEST_F(LaunchBarMode, ExitFromTheBarsMenuEndsTheProgramWithItsItemsSaved) {
    Run(6, [&](CLaunchBar& bar, HWND toolbar) {
        DeleteFileW(fixture.File(L"FoldersOptions.ini").c_str());
        SetTimer(nullptr, 0, 20, ChooseLastEntry);
        RECT barRect = {};
        GetWindowRect(toolbar, &barRect);
        bar.OnToolbarRightClicked(bar.GetToolbar(), Centre(barRect));
        MSG close = {};
        EXPECT_TRUE(PeekMessageW(&close, fixture.application.m_hMainWindow, WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
            << "Exit asks the main window to close";
    });
    EXPECT_EQ(2, fixture.SavedItemCount());
    EXPECT_EQ(nullptr, fixture.application.m_pLaunchBar);
}

} // namespace

TEST_F(LaunchBarMode, SoakOfRebuildsAndShowHideCyclesGivesBackWhatItTakes) {
    const int rebuilds = SoakCycles(20, 200);
    const int cycles = SoakCycles(100, 1000);
    Run(6, [&](CLaunchBar&, HWND) {
        CPathwren& application = fixture.application;
        // What the options dialog's OK does: the items, their containers and the bar made anew.
        auto rebuild = [&] {
            application.StoreContainersState();
            application.LoadFolders();
            application.CreateContainers();
        };
        auto showAndHide = [&](int count) {
            CLaunchBar& bar = *application.m_pLaunchBar;
            for (int i = 0; i < count; ++i) {
                BOOL useKeepRect = FALSE;
                RECT keepRect = {};
                bar.OnHotWindowEnter(bar.GetHotWindow(), &useKeepRect, &keepRect);
                bar.OnHotWindowLeave(bar.GetHotWindow());
            }
            PumpPendingMessages();
        };
        rebuild(); // the first rebuild settles what lives as long as the process (icons, GDI+)
        showAndHide(1);
        long start = GdiObjectCounter::Read();
        long half = 0;
        for (int i = 0; i < rebuilds; ++i) {
            rebuild();
            showAndHide(cycles / rebuilds);
            if (i + 1 == rebuilds / 2)
                half = GdiObjectCounter::Read();
        }
        long end = GdiObjectCounter::Read();
        std::printf("launch bar soak: %d rebuilds, %d show/hide cycles, GDI objects %ld -> %ld -> %ld\n", rebuilds,
                    cycles, start, half, end);
        EXPECT_EQ(half, end) << "a leak of one object per rebuild shows here";
        EXPECT_EQ(1u, WindowsOfClass(CTransparentToolbar::ClassName, GetCurrentProcessId(), false).size());
    });
}
