#include "app/ApplicationFixture.h"
#include "app/OptionsDialogScript.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/ItemIdentifiers.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "lib/MemoryDc.h"
#include "lib/WindowDc.h"
#include "options/OptionsUI.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/GdiObjectCounter.h"
#include "support/Icons.h"
#include "support/DialogScriptDriver.h"
#include "support/Soak.h"
#include "support/SourceTree.h"
#include "support/WindowSearch.h"
#include "support/WindowsVersionCopy.h"
#include "support/Wine.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windowsx.h>

#include <cwctype>
#include <thread>

namespace {

// One edit on every page; the tree lists the items of Tray Icons mode newest first.
void EditEveryPage(HWND dialog) {
    Pick(dialog, IDC_LANGUAGE, 0); // the only file: relabels the dialog at once
    Select(dialog, {0, 0});        // Launch Bar
    Pick(dialog, IDC_BAR_POSITION, 4);
    Click(dialog, IDC_BAR_FULL_WIDTH);
    Pick(dialog, IDC_BAR_ICON_SIZE, 3);
    Click(dialog, IDC_BAR_PICTURE_RADIO);
    Pick(dialog, IDC_BAR_PICTURE_POSITION, 2);
    Type(dialog, IDC_BAR_PICTURE_PATH, L"bar.png");
    SendDlgItemMessageW(dialog, IDC_BAR_OPACITY, TBM_SETPOS, TRUE, 60);
    Type(dialog, IDC_BAR_ACTIVE_AREA, L"7");
    Type(dialog, IDC_BAR_MARGIN_TOP, L"12");

    Select(dialog, {1, 0}); // C
    Click(dialog, IDC_TYPE_BROWSER);
    Type(dialog, IDC_PATH_EDIT, L"Elsewhere");
    Select(dialog, {1, 0, 0}); // Browsing Options: same item, no save, no reload
    Click(dialog, IDC_INCLUDE_SUBFOLDERS);
    Pick(dialog, IDC_VIEW_TYPE, 5);
    Pick(dialog, IDC_Z_ORDER, 1);
    Type(dialog, IDC_HOT_CORNER_WIDTH, L"33");
    Select(dialog, {1, 0, 1}); // File Filters
    Type(dialog, IDC_INCLUSION_FILTERS, L"*.txt");
    Type(dialog, IDC_EXCLUSION_FILTERS, L"*.tmp");
    Select(dialog, {1, 0, 2}); // Customization
    Click(dialog, IDC_TEXT_COLOR_CHECK);
    {
        DialogScriptDriver colours({DialogScriptDriver::ChooseColour(RGB(10, 20, 30))}, GetCurrentProcessId(),
                                   {dialog});
        Click(dialog, IDC_TEXT_COLOR);
    }
    Click(dialog, IDC_BACKGROUND_GRADIENT_RADIO);
    Pick(dialog, IDC_GRADIENT_TYPE, 2);

    Select(dialog, {1, 1}); // B becomes Desktop
    Click(dialog, IDC_TYPE_DESKTOP);
    Select(dialog, {1, 2}); // A becomes a Multiple Folders Menu of two folders
    Click(dialog, IDC_TYPE_MULTIPLE_FOLDERS_MENU);
    Type(dialog, IDC_DISPLAY_NAME, L"");
    Click(dialog, IDC_LOCAL_PATH);
    Type(dialog, IDC_PATH_EDIT, L"One");
    Click(dialog, IDC_MERGED_ADD);
    Click(dialog, IDC_MERGE_TO_FOLDER);
    Type(dialog, IDC_MERGED_NAME, L"Merged two");
    Type(dialog, IDC_PATH_EDIT, L"Two");
    Click(dialog, IDC_MERGED_ADD);
    SendMessageW(dialog, WM_COMMAND, IDC_ITEM_ADD, 0); // a new Menu item for "c:\"
}

class OptionsDialog : public ::testing::Test {
protected:
    ApplicationFixture fixture;
};

// A browser window's default size and place are a third of the work area, which depends on the
// screen the test runs on; the expected files name them instead of giving numbers.
void CompareWithExpected(const ApplicationFixture& run, const std::wstring& name) {
    std::wstring expected = SourceTreePath(L"tests/options/saved/" + name);
    std::wstring written = ReadUtf16File(run.File(name));
    SIZE third = GetFirstMonitorWorkAreaSize();
    for (const auto& key : {std::make_pair(L"BrowserWidth=", third.cx / 3),
                            {L"WindowPositionX=", third.cx / 3},
                            {L"BrowserHeight=", third.cy / 3},
                            {L"WindowPositionY=", third.cy / 3}}) {
        std::wstring line = key.first + std::to_wstring(key.second) + L"\r\n";
        for (size_t at = written.find(line); at != std::wstring::npos; at = written.find(line, at))
            written.replace(at, line.size(), key.first + std::wstring(L"(a third of the work area)\r\n"));
    }
    // Items get identifiers of their own when the program starts; the expected files say where.
    const std::wstring key = L"ItemIdentifier=";
    for (size_t at = written.find(key); at != std::wstring::npos; at = written.find(key, at + 1)) {
        size_t begin = at + key.size();
        size_t end = written.find(L"\r\n", begin);
        EXPECT_TRUE(IsItemIdentifierForm(written.substr(begin, end - begin).c_str())) << name.c_str();
        written.replace(begin, end - begin, L"(the item's own)");
    }
    if (UpdateFixturesRequested())
        WriteUtf16File(expected, written);
    EXPECT_EQ(ReadUtf16File(expected), written)
        << "the options wrote another " << std::string(name.begin(), name.end());
}

// The same edits on every page: OK saves them and rebuilds every container; Cancel and the close
// box throw them away, the language picked with them too (Esc is the keyboard case's ending).
TEST(OptionsDialogEdits, AreSavedByOkAndTheContainersRebuiltOrThrownAwayByCancelOrTheCloseBox) {
    const std::vector<std::wstring> files = {L"Pathwren.ini", L"UserOptions.ini", L"FoldersOptions.ini"};
    for (const char* ending : {"OK", "Cancel", "close box"}) {
        SCOPED_TRACE(ending);
        ApplicationFixture run;
        run.Configure(kThreeMenuItems);
        std::vector<std::vector<unsigned char>> bytes;
        std::vector<CContainerBase*> before;
        std::vector<CGenericPathwrenObject*> itemsBefore;
        DialogScript script;
        script.inDialog = [&](HWND dialog) {
            for (const std::wstring& file : files)
                bytes.push_back(ReadFileBytes(run.File(file)));
            itemsBefore = run.application.m_folders;
            for (CGenericPathwrenObject* item : run.application.m_folders)
                before.push_back(ContainerOf(*item));
            EditEveryPage(dialog);
            EXPECT_EQ(L"Optionen", WindowText(dialog));
            EXPECT_EQ(L"Ordner", NodeText(dialog, {1}));
            std::string how = ending;
            if (how == "close box") {
                SendMessageW(dialog, WM_CLOSE, 0, 0);
            } else {
                Click(dialog, how == "OK" ? IDOK : IDCANCEL);
            }
        };
        script.afterDialog = [&] {
            bool ok = std::string(ending) == "OK";
            for (size_t i = 0; i < files.size(); ++i) {
                if (ok)
                    CompareWithExpected(run, files[i]);
                else
                    EXPECT_TRUE(bytes[i] == ReadFileBytes(run.File(files[i]))) << files[i].c_str();
            }
            EXPECT_EQ(ok ? L"Optionen" : L"Options", std::wstring(run.application.m_pLanguage->Options));
            ASSERT_EQ(ok ? 4u : 3u, run.application.m_folders.size());
            for (size_t i = 0; i < run.application.m_folders.size(); ++i) {
                CGenericPathwrenObject* item = run.application.m_folders[i];
                // Without Explorer's desktop (no stand-in here) a desktop item gets no container.
                EXPECT_TRUE(!ok || item->FolderPresentationType == FolderPresentationDesktop || ContainerOf(*item))
                    << item->Path;
                // A rebuild makes every item (and with it its container) anew from the dialog's copies,
                // made while the old ones lived; a new container may take a freed one's address.
                if (ok) {
                    EXPECT_EQ(itemsBefore.end(), std::find(itemsBefore.begin(), itemsBefore.end(), item));
                } else {
                    EXPECT_EQ(before[i], ContainerOf(*item));
                }
            }
        };
        RunOptions(run, script);
        EXPECT_FALSE(run.WatchdogFired());
    }
}

// No configuration at all: the start opens the options itself, on the application page, and the
// test's own request finds the dialog open. OK without any item leaves no container to make, so
// the options open again, and quitting ends that dialog too.
TEST_F(OptionsDialog, FirstStartAndOkWithoutItemsOpenTheOptionsAndASecondRequestMakesNoOtherDialog) {
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        EXPECT_TRUE(Shown(dialog, IDC_APPLICATION_GROUP));
        EXPECT_FALSE(Shown(dialog, IDC_SHORTCUT_TYPE_GROUP));
        EXPECT_FALSE(Shown(dialog, IDC_SKIN_PREVIEW)) << "skin None has no preview";
        SendMessageW(fixture.application.m_hMainWindow, WM_SHOW_OPTIONS, 0, 0);
        EXPECT_EQ(1u, WindowsOfClass(L"#32770").size());
        while (Page(dialog, {1, 0})) {
            Select(dialog, {1, 0});
            SendMessageW(dialog, WM_COMMAND, IDC_ITEM_REMOVE, 0);
        }
        Click(dialog, IDOK);
    };
    script.afterDialog = [&] { EXPECT_TRUE(fixture.application.m_folders.empty()); };
    RunOptions(fixture, script);
    EXPECT_EQ(0, fixture.SavedItemCount());
    EXPECT_EQ(3, fixture.PostedCount(WM_SHOW_OPTIONS)) << "the start's request, the test's and the one after OK";
    EXPECT_FALSE(fixture.WatchdogFired());
}

// The tree lists the Tray Icons items newest first; in Launch Bar mode the tree order is stored.
// A dropped file fills the local path edit and nothing else; so does a folder chosen in the
// folder browser.
TEST_F(OptionsDialog, MovedItemsKeepTheTreeOrderInLaunchBarModeAndADropOrBrowseFillsOnlyThePath) {
    fixture.Configure(kThreeMenuItems);
    std::wstring dropped = fixture.File(L"B"), chosen = fixture.File(L"Elsewhere");
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        Select(dialog, {1, 0});                 // C
        for (int press = 0; press < 3; ++press) // the third, at the end, does nothing
            SendMessageW(dialog, WM_COMMAND, IDC_ITEM_MOVE_DOWN, 0);
        Select(dialog, {1, 0}); // B
        for (int target : {IDC_OPTIONS_TREE, IDC_PATH_EDIT}) {
            RECT rect = ChildRect(dialog, GetDlgItem(dialog, target));
            POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
            SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(point, {dropped})), 0);
            EXPECT_EQ(L"", Text(dialog, IDC_OPTIONS_TREE));
            EXPECT_EQ(target == IDC_OPTIONS_TREE ? L"B" : dropped, Text(dialog, IDC_PATH_EDIT));
        }
        {
            DialogScriptDriver browser({DialogScriptDriver::ChooseFolder(chosen)}, GetCurrentProcessId(), {dialog});
            Click(dialog, IDC_PATH_BROWSE); // the browser's loop runs in here while the driver answers it
        }
        EXPECT_EQ(chosen, Text(dialog, IDC_PATH_EDIT));
        Select(dialog, {0});
        Pick(dialog, IDC_LAUNCH_MODE, LaunchModeLaunchBar);
        Click(dialog, IDOK);
    };
    script.afterDialog = [&] {
        std::vector<std::wstring> paths;
        for (CGenericPathwrenObject* item : fixture.application.m_folders)
            paths.push_back(item->Path);
        EXPECT_EQ((std::vector<std::wstring>{chosen, L"A", L"C"}), paths);
        EXPECT_NE(nullptr, fixture.application.m_pLaunchBar);
    };
    RunOptions(fixture, script);
}

// The width the control's text takes in the control's own font, the mnemonic mark left out.
int TextWidth(HWND control, const std::wstring& text) {
    CMemoryDc dc;
    dc.Select(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT bounds = {0, 0, 0, 0};
    DrawTextW(dc.Get(), text.c_str(), -1, &bounds, DT_CALCRECT | DT_SINGLELINE);
    return bounds.right - bounds.left;
}

// A button's type (BS_GROUPBOX...), or -1 for a control of another class.
LONG ButtonType(HWND control) {
    WCHAR className[16] = L"";
    GetClassNameW(control, className, ARRAYSIZE(className));
    return _wcsicmp(className, L"Button") == 0 ? GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK : -1;
}

// The room a control leaves its text: a check box or radio button its box and the gap after it, a
// group box the frame's corner on both sides, a push button its edges and its icon.
int TextRoom(HWND control, int dpi) {
    RECT client;
    GetClientRect(control, &client);
    switch (ButtonType(control)) {
        case -1:
            return client.right;
        case BS_AUTOCHECKBOX:
        case BS_CHECKBOX:
        case BS_AUTORADIOBUTTON:
        case BS_RADIOBUTTON:
            return client.right - MulDiv(17, dpi, 96);
        case BS_GROUPBOX:
            return client.right - MulDiv(20, dpi, 96);
        default:
            return client.right - MulDiv(8, dpi, 96) -
                   (SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0) ? MulDiv(16 + 4, dpi, 96) : 0);
    }
}

// On every page and for every shortcut type: each visible control lies inside the client area,
// over no other (a group box holds its content), shows its whole label in its own font, with a
// mnemonic of its own; Tab runs tree, toolbar, the visible page top to bottom, OK and Cancel, and
// comes round; each type shows and enables its own options.
void ExpectEveryPageLaidOut(HWND dialog, const std::string& when, int dpi) {
    const struct {
        std::vector<int> page;
        int type;
        bool path, merged, window; // the path and merged groups shown, the window options enabled
    } pages[] = {{{0}, 0, false, false, false},
                 {{0, 0}, 0, false, false, false},
                 {{1, 0}, IDC_TYPE_DESKTOP, false, false, true},
                 {{1, 0}, IDC_TYPE_MENU, true, false, false},
                 {{1, 0}, IDC_TYPE_BROWSER, true, false, true},
                 {{1, 0}, IDC_TYPE_MULTIPLE_FOLDERS_MENU, true, true, false},
                 {{1, 0, 0}, 0, false, false, false},
                 {{1, 0, 1}, 0, false, false, false},
                 {{1, 0, 2}, 0, false, false, false}};
    RECT client;
    GetClientRect(dialog, &client);
    for (size_t page = 0; page < ARRAYSIZE(pages); ++page) {
        SCOPED_TRACE(testing::Message() << when << ", page " << page);
        Select(dialog, pages[page].page);
        if (int type = pages[page].type) {
            Click(dialog, type);
            EXPECT_EQ(pages[page].path, Shown(dialog, IDC_PATH_GROUP)) << type;
            EXPECT_EQ(pages[page].merged, Shown(dialog, IDC_MERGED_LIST)) << type;
            EXPECT_EQ(pages[page].window, Enabled(dialog, IDC_Z_ORDER)) << type;
            EXPECT_EQ(!pages[page].window, Enabled(dialog, IDC_HIDE_FILES_EXTENSIONS)) << type;
            EXPECT_EQ(type == IDC_TYPE_BROWSER, Enabled(dialog, IDC_SAVE_ICONS_POSITIONS)) << type;
            // The groups follow each other without gaps (a desktop item's hidden path keeps its place).
            int above = pages[page].merged ? IDC_NAME_GROUP : IDC_PATH_GROUP;
            EXPECT_EQ(ChildRect(dialog, GetDlgItem(dialog, above)).bottom,
                      ChildRect(dialog, GetDlgItem(dialog, IDC_ASSOCIATED_ICON_GROUP)).top)
                << type;
            Pick(dialog, IDC_VIEW_TYPE, 3); // details: no icon positions
            EXPECT_FALSE(Enabled(dialog, IDC_SAVE_ICONS_POSITIONS));
            Pick(dialog, IDC_VIEW_TYPE, 0);
        }
        std::vector<HWND> shown;
        std::wstring letters;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child))
                continue;
            int id = GetDlgCtrlID(child);
            RECT rect = ChildRect(dialog, child), inside, overlap;
            EXPECT_TRUE(IntersectRect(&inside, &rect, &client) && EqualRect(&inside, &rect))
                << "control " << id << " leaves the dialog";
            std::wstring text = WindowText(child);
            if (TakesMnemonic(child) && !text.empty()) {
                EXPECT_LE(TextWidth(child, text), TextRoom(child, dpi)) << "control " << id << " cuts its text";
            }
            size_t mark = text.find(L'&');
            if (mark != std::wstring::npos && mark + 1 < text.size() && text[mark + 1] != L'&') {
                WCHAR letter = static_cast<WCHAR>(towlower(text[mark + 1]));
                EXPECT_EQ(std::wstring::npos, letters.find(letter)) << "mnemonic of " << id;
                letters += letter;
            }
            if (ButtonType(child) == BS_GROUPBOX)
                continue;
            for (HWND other : shown) {
                RECT otherRect = ChildRect(dialog, other);
                EXPECT_FALSE(IntersectRect(&overlap, &rect, &otherRect))
                    << "control " << id << " over " << GetDlgCtrlID(other);
            }
            shown.push_back(child);
        }
        HWND tree = GetDlgItem(dialog, IDC_OPTIONS_TREE);
        std::vector<HWND> visited = {tree};
        for (HWND next = GetNextDlgTabItem(dialog, tree, FALSE); next != tree && visited.size() < 100;
             next = GetNextDlgTabItem(dialog, next, FALSE))
            visited.push_back(next);
        ASSERT_GE(visited.size(), 3u); // the launch bar page is off in Tray Icons mode
        EXPECT_EQ(GetDlgItem(dialog, IDOK), visited[visited.size() - 2]);
        EXPECT_EQ(GetDlgItem(dialog, IDCANCEL), visited.back());
        LONG previousTop = -1; // controls of one row may differ by a few pixels
        for (size_t i = 2; i + 2 < visited.size(); ++i) {
            LONG top = ChildRect(dialog, visited[i]).top;
            EXPECT_TRUE(IsWindowVisible(visited[i]) && IsWindowEnabled(visited[i])) << GetDlgCtrlID(visited[i]);
            EXPECT_GE(top + MulDiv(8, dpi, 96), previousTop)
                << "Tab reaches " << GetDlgCtrlID(visited[i]) << " out of order";
            previousTop = top;
        }
    }
}

// Every page is laid out in every shipped language at the system's DPI, 96 here and 144 in a copy
// of this program started so; at 96 the dialog then follows a change of its monitor's DPI. The
// item, a Browser made a Multiple Folders Menu, keeps its path and is named after its type.
TEST(OptionsDialogLayout, EveryPageFitsInEveryLanguageAt96And144DpiAndAfterTheDpiChanges) {
    if (!StartedAsVersionCopy()) {
        EXPECT_TRUE(CopyPassed(RunCopyAtDpi(144, L"options_tests_144dpi.exe", L"OptionsDialogLayout.*")));
    }
    const int systemDpi = GetDeviceCaps(CWindowDc().Get(), LOGPIXELSY);
    EXPECT_EQ(StartedAsVersionCopy() ? 144 : 96, systemDpi);
    std::vector<std::wstring> languages = FilesIn(SourceTreePath(L"res/Languages"), L"*.ini");
    ASSERT_GE(languages.size(), 9u);
    languages.push_back(L""); // the built-in texts, last: the DPI changes in these
    for (const std::wstring& language : languages) {
        std::wstring name = language.substr(language.find_last_of(L'\\') + 1);
        std::string when(name.begin(), name.end()); // the file names' non-ASCII letters are only a hint
        ApplicationFixture fixture;
        fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=A\r\nFolderPresentationType=0\r\n"
                          L"FolderViewMode=0\r\n");
        if (!name.empty()) {
            CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
            CopyFileW(language.c_str(), fixture.File(L"Languages\\" + name).c_str(), FALSE);
            WriteUtf16File(fixture.File(L"UserOptions.ini"),
                           L"[Default]\r\nLanguage=" + name.substr(0, name.size() - 4) + L"\r\n");
        }
        DialogScript script;
        script.inDialog = [&](HWND dialog) {
            ExpectEveryPageLaidOut(dialog, when + " at the system's DPI", systemDpi);
            if (!name.empty())
                return Click(dialog, IDCANCEL);
            for (int dpi : systemDpi == 96 ? std::vector<int>{96, 144} : std::vector<int>{systemDpi}) {
                if (dpi != systemDpi) {
                    RECT before, suggested, after;
                    GetWindowRect(dialog, &before);
                    LONG treeRight = ChildRect(dialog, GetDlgItem(dialog, IDC_OPTIONS_TREE)).right;
                    suggested = {before.left, before.top,
                                 before.left + MulDiv(before.right - before.left, dpi, systemDpi),
                                 before.top + MulDiv(before.bottom - before.top, dpi, systemDpi)};
                    SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
                    GetWindowRect(dialog, &after);
                    EXPECT_TRUE(EqualRect(&suggested, &after));
                    EXPECT_NEAR(MulDiv(treeRight, dpi, systemDpi),
                                ChildRect(dialog, GetDlgItem(dialog, IDC_OPTIONS_TREE)).right, 2);
                    ExpectEveryPageLaidOut(dialog, "after a change from 96 to 144 DPI", dpi);
                }
                LOGFONTW font = {};
                GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, IDOK, WM_GETFONT, 0, 0)), sizeof(font),
                           &font);
                EXPECT_EQ(-MulDiv(8, dpi, 72), font.lfHeight) << dpi;
                auto okIcon = reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, IDOK, BM_GETIMAGE, IMAGE_ICON, 0));
                EXPECT_EQ(static_cast<size_t>(MulDiv(16, dpi, 96) * MulDiv(16, dpi, 96)),
                          ReadIconPixels(okIcon).size());
                int treeImage = 0, treeImageHeight = 0;
                ImageList_GetIconSize(TreeView_GetImageList(GetDlgItem(dialog, IDC_OPTIONS_TREE), TVSIL_NORMAL),
                                      &treeImage, &treeImageHeight);
                EXPECT_EQ(MulDiv(16, dpi, 96), treeImage) << dpi << ": the tree's images";
                RECT dragged = {0, 0, 10, 10};
                SendMessageW(dialog, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
                EXPECT_EQ(MulDiv(400, dpi, 96), dragged.right) << dpi << ": the smallest size";
            }
            Click(dialog, IDOK);
        };
        script.afterDialog = [&] {
            if (!name.empty())
                return;
            const CGenericPathwrenObject& item = *fixture.application.m_folders[0];
            EXPECT_EQ(FolderPresentationMultipleFoldersMenu, item.FolderPresentationType);
            EXPECT_STREQ(L"A", item.Path) << "a Multiple Folders Menu keeps the old path";
            EXPECT_STREQ(L"Multiple Folders Menu", item.DisplayName);
            EXPECT_TRUE(item.MergedFolders->empty());
        };
        EXPECT_TRUE(RunOptions(fixture, script)) << when;
    }
}

int WINAPI PickImageresFive(HWND, PWSTR path, UINT size, int* index) {
    wcsncpy(path, L"imageres.dll", size);
    *index = 5;
    return 1;
}

// Windows before 7 offer seven view types, later ones eight; a stored view the list lacks loads
// as the first entry and is saved as 0. A copy of this program that Wine starts as Windows XP
// checks the older list. A hot or down icon that was never set, or still equals the associated
// icon, follows a new associated icon; one set to another icon stays.
TEST_F(OptionsDialog, TheViewTypesAreThoseOfTheReportedWindowsVersionAndStateIconsFollowTheAssociatedIcon) {
    if (!StartedAsVersionCopy()) {
        EXPECT_TRUE(
            CopyPassed(RunCopyAsWindowsVersion(L"winxp", L"options_tests_xp.exe", L"OptionsDialog.TheViewTypesAre*")));
    }
    bool xp = StartedAsVersionCopy();
    const struct {
        int stored, entry7, saved7, entryXp, savedXp;
    } views[] = {{9, 0, 0, 4, 9}, {7, 7, 7, 0, 0}, {8, 4, 8, 5, 8}}; // thumbnails, extra large, tiles
    fixture.Configure(L"[Default]\r\nFolders=3\r\n[Folders_0]\r\nPath=A\r\nFolderViewMode=9\r\n"
                      L"AssociatedIconPath=shell32.dll\r\nAssociatedIconIndex=1\r\n[Folders_1]\r\nPath=B\r\n"
                      L"FolderViewMode=7\r\nAssociatedIconPath=shell32.dll\r\nAssociatedIconIndex=1\r\n"
                      L"AssociatedHotIconPath=shell32.dll\r\nAssociatedHotIconIndex=2\r\nAssociatedDownIconPath="
                      L"SHELL32.DLL\r\nAssociatedDownIconIndex=1\r\n[Folders_2]\r\nPath=C\r\nFolderViewMode=8\r\n");
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        EXPECT_EQ(xp ? 7 : 8, SendDlgItemMessageW(dialog, IDC_VIEW_TYPE, CB_GETCOUNT, 0, 0));
        // Wine's icon picker shows nothing (see the case below); a stand-in answers instead.
        COptionsUI::FromWindow(dialog)->SetIconPicker(PickImageresFive);
        for (int item = 0; item < 3; ++item) {
            Select(dialog, {1, 2 - item}); // the tree lists the items newest first
            EXPECT_EQ(xp ? views[item].entryXp : views[item].entry7,
                      SendDlgItemMessageW(dialog, IDC_VIEW_TYPE, CB_GETCURSEL, 0, 0))
                << "stored view " << views[item].stored;
            if (item < 2)
                SendMessageW(dialog, WM_COMMAND, IDC_ASSOCIATED_ICON_BROWSE, 0);
        }
        Click(dialog, IDOK);
    };
    std::vector<std::wstring> icons;
    script.afterDialog = [&] {
        for (int item = 0; item < 3; ++item) {
            const CGenericPathwrenObject& saved = *fixture.application.m_folders[item];
            EXPECT_EQ(xp ? views[item].savedXp : views[item].saved7, saved.FolderViewMode)
                << "stored view " << views[item].stored;
            icons.push_back(std::wstring(saved.AssociatedIconPath) + std::to_wstring(saved.AssociatedIconIndex) + L" " +
                            saved.AssociatedHotIconPath + std::to_wstring(saved.AssociatedHotIconIndex) + L" " +
                            saved.AssociatedDownIconPath + std::to_wstring(saved.AssociatedDownIconIndex));
        }
    };
    RunOptions(fixture, script);
    ASSERT_EQ(3u, icons.size());
    // The second item's hot icon was set to another.
    EXPECT_EQ(L"imageres.dll5 imageres.dll5 imageres.dll5", icons[0]);
    EXPECT_EQ(L"imageres.dll5 shell32.dll2 imageres.dll5", icons[1]);
}

// windows-only: OptionsDialog.TheIconPickerSetsTheAssociatedIcon
// The picker chooses the fourth icon of the file; the hot icon, never set, follows.
TEST_F(OptionsDialog, TheIconPickerSetsTheAssociatedIcon) {
    if (RunningOnWine())
        GTEST_SKIP() << "Wine 8's PickIconDlg is a stub (\"fixme:shell:PickIconDlg ... stub\"): it shows no dialog "
                        "and returns -1 at once";
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=A\r\nAssociatedIconPath=shell32.dll\r\n");
    DialogScript script;
    script.inDialog = [&](HWND dialog) {
        Select(dialog, {1, 0});
        // The picker's loop runs inside the command while this thread chooses in it.
        std::thread chooser([dialog] {
            for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(10)) {
                HWND picker = WindowsOfClass(L"#32770").front();
                if (HWND list = picker != dialog ? FindWindowExW(picker, nullptr, L"ListBox", nullptr) : nullptr) {
                    SendMessageW(list, LB_SETCURSEL, 3, 0);
                    PostMessageW(picker, WM_COMMAND, IDOK, 0);
                    return;
                }
            }
        });
        SendMessageW(dialog, WM_COMMAND, IDC_ASSOCIATED_ICON_BROWSE, 0);
        chooser.join();
        Click(dialog, IDOK);
    };
    script.afterDialog = [&] { EXPECT_EQ(3, fixture.application.m_folders[0]->AssociatedHotIconIndex); };
    RunOptions(fixture, script);
}

// A number edit refuses text that is no unsigned number and a number out of its range (a launch
// bar strip 0 pixels thick, a hot corner of 0 pixels could never be reached): OK keeps what was
// there, as it keeps what the dialog cannot show (a monitor unplugged since, a special folder this
// system lacks, a language whose file is gone, a launch bar background out of range). A language
// file gone from the list, a skin without its file or its preview and over-long filters change
// nothing either; Remove, Up and Down without an item explain why, and a picture GDI+ cannot read
// is refused until a real one is chosen.
TEST(OptionsDialogBadInput, IsRefusedAndOkKeepsWhatItCannotShow) {
    const struct {
        int control;
        bool onItem;
        LPCWSTR kept, typed;
    } numbers[] = {{IDC_BAR_ACTIVE_AREA, false, L"HotCornerActiveWitdh=9", L"0"},
                   {IDC_BAR_MIN_WIDTH, false, L"MinWidth=31", L"abc"},
                   {IDC_BAR_MIN_HEIGHT, false, L"MinHeight=32", L"-5"},
                   {IDC_BAR_MARGIN_LEFT, false, L"MarginLeft=33", L"123456789012"},
                   {IDC_BAR_MARGIN_RIGHT, false, L"MarginRight=34", L" 7x"},
                   {IDC_BAR_MARGIN_TOP, false, L"MarginTop=4", L"1001"},
                   {IDC_BAR_MARGIN_BOTTOM, false, L"MarginBottom=35", L""},
                   {IDC_HOT_CORNER_WIDTH, true, L"HotCornerWidth=21", L"0"},
                   {IDC_HOT_CORNER_HEIGHT, true, L"HotCornerHeight=22", L"abc"},
                   {IDC_SPACE_BEFORE_ICON, true, L"LaunchBarFreeSpaceBeforeIcon=23", L"1001"}};
    // Both sides of the background types' range, the second as a file stores -1.
    for (LPCWSTR background : {L"15", L"4294967295"}) {
        SCOPED_TRACE(testing::Message() << "BackgroundType=" << std::wstring(background).c_str());
        ApplicationFixture fixture;
        std::vector<std::pair<std::wstring, std::wstring>> kept = {{L"UserOptions.ini", L"Language=Klingon"},
                                                                   {L"UserOptions.ini", L"ScreenIndex=2"},
                                                                   {L"UserOptions.ini", L"BackgroundType=4"},
                                                                   {L"FoldersOptions.ini", L"Path=::CSIDL:0x7777"},
                                                                   {L"FoldersOptions.ini", L"HotCornerScreenIndex=3"}};
        std::wstring bar = L"BackgroundType=" + std::wstring(background) + L"\r\nScreenIndex=2\r\n";
        std::wstring item = L"Path=::CSIDL:0x7777\r\nFolderPresentationType=2\r\nHotCornerScreenIndex=3\r\n";
        for (const auto& number : numbers) {
            (number.onItem ? item : bar) += number.kept + std::wstring(L"\r\n");
            kept.push_back({number.onItem ? L"FoldersOptions.ini" : L"UserOptions.ini", number.kept});
        }
        fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\n" + item);
        WriteUtf16File(fixture.File(L"UserOptions.ini"), L"[Default]\r\nLanguage=Klingon\r\n[LaunchBar]\r\n" + bar);
        for (LPCWSTR folder : {L"Languages", L"Skins", L"Skins\\Good", L"Skins\\NoConf"})
            CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
        WriteUtf16File(fixture.File(L"Skins\\Good\\SkinConf.ini"), L"[Preview]\r\nFileName=missing.png\r\n");
        WriteUtf16File(fixture.File(L"Languages\\Gone.ini"), L"[Language]\r\nOptions=Gone\r\n");
        const std::wstring picture = SourceTreePath(L"res/pictures/Menu.jpg");
        // The start says once that the chosen language has no file.
        DialogScriptDriver startBox({DialogScriptDriver::Press(IDOK)});
        std::vector<DialogScriptDriver::Dialog> boxes;
        DialogScript script;
        script.afterStart = [&] { EXPECT_EQ(1u, startBox.Finish().size()); };
        script.inDialog = [&](HWND dialog) {
            ASSERT_EQ(1, GetSystemMetrics(SM_CMONITORS)) << "the test display has one monitor";
            EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_BAR_COLOR_RADIO));
            DeleteFileW(fixture.File(L"Languages\\Gone.ini").c_str());
            for (LPCWSTR language : {L"Deutsch", L"Gone"})
                Pick(dialog, IDC_LANGUAGE, ComboBox_FindStringExact(GetDlgItem(dialog, IDC_LANGUAGE), -1, language));
            EXPECT_EQ(L"Optionen", WindowText(dialog)) << "a language that cannot be loaded changes nothing";
            Pick(dialog, IDC_LANGUAGE, -1); // back to no entry: the file's language, untouched
            EXPECT_NE(CB_ERR, ComboBox_FindStringExact(GetDlgItem(dialog, IDC_SKIN), -1, L"Good"));
            EXPECT_EQ(CB_ERR, ComboBox_FindStringExact(GetDlgItem(dialog, IDC_SKIN), -1, L"NoConf"));
            Pick(dialog, IDC_SKIN, 1);
            EXPECT_FALSE(Shown(dialog, IDC_SKIN_PREVIEW)) << "a skin whose preview is missing";
            Pick(dialog, IDC_SKIN, 0);
            {
                DialogScriptDriver driver({}, GetCurrentProcessId(), {dialog});
                for (UINT command : {IDC_ITEM_REMOVE, IDC_ITEM_MOVE_UP, IDC_ITEM_MOVE_DOWN})
                    SendMessageW(dialog, WM_COMMAND, command, 0);
                boxes = driver.Finish();
            }
            using Step = DialogScriptDriver;
            DialogScriptDriver pictures(
                {Step::SaveAs(fixture.File(L"Languages\\Deutsch.ini")), Step::Press(IDOK), Step::SaveAs(picture)},
                GetCurrentProcessId(), {dialog});
            SendMessageW(dialog, WM_COMMAND, IDC_PICTURE_BROWSE, 0);
            std::wstring seen = DescribeDialogs(pictures.Finish());
            EXPECT_NE(std::wstring::npos, seen.find(L"[box \"Error\": \"Unsupported Image Format\"] [save dialog"))
                << seen;
            EXPECT_EQ(picture, Text(dialog, IDC_PICTURE_PATH));
            Select(dialog, {1, 0});
            EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_SYSTEM_SPECIAL_PATH));
            EXPECT_EQ(CB_ERR, SendDlgItemMessageW(dialog, IDC_SPECIAL_FOLDER_LIST, CB_GETCURSEL, 0, 0))
                << "a special folder this system lacks is no entry of the list";
            Type(dialog, IDC_INCLUSION_FILTERS, std::wstring(1100, L'f').c_str());
            for (const auto& number : numbers)
                Type(dialog, number.control, number.typed);
            Click(dialog, IDOK);
        };
        std::unique_ptr<DialogScriptDriver> decliner;
        script.afterDialog = [&] {
            // The rebuilt item reports its folder missing; the box is declined.
            decliner.reset(new DialogScriptDriver());
            ASSERT_EQ(1u, fixture.application.m_folders.size());
            EXPECT_EQ(1023u, wcslen(fixture.application.m_folders[0]->InclusionFilters));
        };
        EXPECT_TRUE(RunOptions(fixture, script));
        // The start-up's own box about the missing special folder may come first.
        const std::wstring box = L"[box \"Error\": \"No Folder Selected\"] ";
        EXPECT_NE(std::wstring::npos, DescribeDialogs(boxes).find(box + box + box)) << DescribeDialogs(boxes);
        for (const auto& line : kept)
            EXPECT_NE(std::wstring::npos, ReadUtf16File(fixture.File(line.first)).find(L"\r\n" + line.second + L"\r\n"))
                << std::string(line.second.begin(), line.second.end()) << " in "
                << std::string(line.first.begin(), line.first.end());
    }
}

// desktop-free: FormatHotKeyText
TEST(FormatHotKeyText, NamesTheModifiersInOrderAndTheDedicatedKeys) {
    const struct {
        UINT modifiers, key;
        LPCWSTR prefix; // null: FALSE and no text
    } cases[] = {{MOD_ALT | MOD_CONTROL, 'F', L"ALT + CTRL + "},
                 {MOD_CONTROL | MOD_SHIFT, VK_DELETE, L"CTRL + SHIFT + "},
                 {MOD_WIN, VK_F5, L"WIN + "},
                 {MOD_CONTROL, VK_CONTROL, nullptr},
                 {MOD_ALT, 0, nullptr}};
    for (const auto& entry : cases) {
        WCHAR text[MAX_PATH] = L"", name[64] = L"";
        UINT scan = MapVirtualKeyW(entry.key, MAPVK_VK_TO_VSC) | (entry.key == VK_DELETE ? 0x100 : 0);
        GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64);
        EXPECT_EQ(entry.prefix != nullptr, FormatHotKeyText(entry.modifiers, entry.key, text) != FALSE) << entry.key;
        EXPECT_EQ(entry.prefix ? entry.prefix + std::wstring(name) : L"", text) << entry.key;
    }
}

WPARAM g_closingButton = IDCANCEL;

// OK rebuilds every container; Cancel leaves them. Neither may leave GDI objects behind. An
// opening costs half a second under Wine: the soak makes 20 Cancels and 5 OKs, the everyday run
// one of each.
TEST_F(OptionsDialog, OpenAndCancelOrOkSoakKeepsTheGdiCountFlat) {
    fixture.Configure(kThreeMenuItems);
    for (LPCWSTR folder : {L"A", L"B", L"C"})
        CreateDirectoryW(fixture.File(folder).c_str(), nullptr);
    fixture.Start();
    // The first cycle loads what stays cached for the process (fonts, theme parts); then rounds
    // of Cancels and an OK.
    std::vector<WPARAM> buttons = {IDOK};
    for (int round = SoakCycles(1, 5); round > 0; --round) {
        buttons.insert(buttons.end(), SoakCycles(1, 4), IDCANCEL);
        buttons.push_back(IDOK);
    }
    size_t cycles = 0;
    long afterFirst = 0;
    fixture.RunWhile([&](HWND window) {
        for (; cycles < buttons.size(); ++cycles) {
            g_closingButton = buttons[cycles];
            UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, [](HWND, UINT, UINT_PTR, DWORD) {
                if (HWND dialog = FindOptionsDialog())
                    PostMessageW(dialog, WM_COMMAND, g_closingButton, 0);
            });
            CPathwren& application = fixture.application;
            OptionsDialogSource source = {GetModuleHandleW(nullptr), window,
                                          application.m_pOptions,    application.m_pLanguage,
                                          &application.m_folders,    application.m_hDefaultIcon};
            EditedConfiguration edited;
            if (ShowOptionsDialog(source, &edited, nullptr) == OPTIONS_RESULT_OK)
                application.ReplaceConfiguration(edited);
            KillTimer(nullptr, timer);
            if (cycles == 0)
                afterFirst = GdiObjectCounter::Read();
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(buttons.size(), cycles);
    EXPECT_LE(GdiObjectCounter::Read(), afterFirst + 2);
}

} // namespace
