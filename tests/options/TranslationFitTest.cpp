#include "app/ApplicationFixture.h"
#include "app/OptionsDialogScript.h"

#include "options/OptionsUI.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"
#include "support/WindowSearch.h"
#include "support/WindowsVersionCopy.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& text) {
    std::string narrow(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

// The width the control's text takes in the control's own font, the mnemonic mark left out.
int TextWidth(HWND control, const std::wstring& text) {
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT bounds = {0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &bounds, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return bounds.right - bounds.left;
}

// The room a control leaves its text: a check box or radio button its box and the gap after it, a
// group box the frame's corner on both sides, a push button its edges and its icon.
int TextRoom(HWND control, int dpi) {
    RECT client;
    GetClientRect(control, &client);
    int width = client.right;
    WCHAR className[16] = L"";
    GetClassNameW(control, className, ARRAYSIZE(className));
    if (_wcsicmp(className, L"Button") != 0)
        return width;
    switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX:
        case BS_CHECKBOX:
        case BS_AUTORADIOBUTTON:
        case BS_RADIOBUTTON:
            return width - MulDiv(17, dpi, 96);
        case BS_GROUPBOX:
            return width - MulDiv(20, dpi, 96);
        default: {
            int room = width - MulDiv(8, dpi, 96);
            if (SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0))
                room -= MulDiv(16 + 4, dpi, 96);
            return room;
        }
    }
}

// Every page of the dialog, the item page once for each shortcut type, as the user can see them.
const struct {
    std::vector<int> page;
    int type;
    const char* name;
} kPages[] = {{{0}, 0, "application"},
              {{0, 0}, 0, "launch bar"},
              {{1, 0}, IDC_TYPE_DESKTOP, "item (Desktop)"},
              {{1, 0}, IDC_TYPE_MENU, "item (Menu)"},
              {{1, 0}, IDC_TYPE_BROWSER, "item (Browser)"},
              {{1, 0}, IDC_TYPE_MULTIPLE_FOLDERS_MENU, "item (Multiple Folders Menu)"},
              {{1, 0, 0}, 0, "browsing options"},
              {{1, 0, 1}, 0, "file filters"},
              {{1, 0, 2}, 0, "customization"}};

// Each visible text on every page that its control cuts, and each control over another.
std::vector<std::string> FindMisfits(HWND dialog, int dpi) {
    std::vector<std::string> misfits;
    for (const auto& page : kPages) {
        TreeView_SelectItem(GetDlgItem(dialog, IDC_OPTIONS_TREE), Page(dialog, page.page));
        if (page.type)
            SendDlgItemMessageW(dialog, page.type, BM_CLICK, 0, 0);
        std::vector<HWND> shown;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child))
                continue;
            std::wstring text = WindowText(child);
            if (TakesMnemonic(child) && !text.empty()) {
                int needed = TextWidth(child, text), room = TextRoom(child, dpi);
                if (needed > room)
                    misfits.push_back(std::string(page.name) + ": " + std::to_string(GetDlgCtrlID(child)) + " \"" +
                                      Narrow(text) + "\" needs " + std::to_string(needed) + " px, has " +
                                      std::to_string(room));
            }
            WCHAR className[16] = L"";
            GetClassNameW(child, className, ARRAYSIZE(className));
            if (_wcsicmp(className, L"Button") == 0 && (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
                continue;
            RECT rect = ChildRect(dialog, child), overlap;
            for (HWND other : shown) {
                RECT otherRect = ChildRect(dialog, other);
                if (IntersectRect(&overlap, &rect, &otherRect))
                    misfits.push_back(std::string(page.name) + ": " + std::to_string(GetDlgCtrlID(child)) + " over " +
                                      std::to_string(GetDlgCtrlID(other)));
            }
            shown.push_back(child);
        }
    }
    return misfits;
}

// The misfits of the options dialog in one language, at the DPI this process runs at.
std::vector<std::string> MisfitsIn(const std::wstring& languageFile) {
    ApplicationFixture fixture;
    fixture.Configure(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=A\r\nFolderPresentationType=0\r\n");
    CreateDirectoryW(fixture.File(L"A").c_str(), nullptr);
    CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
    std::wstring name = languageFile.substr(languageFile.find_last_of(L'\\') + 1);
    CopyFileW(languageFile.c_str(), fixture.File(L"Languages\\" + name).c_str(), FALSE);
    WriteUtf16File(fixture.File(L"UserOptions.ini"),
                   L"[Default]\r\nLanguage=" + name.substr(0, name.size() - 4) + L"\r\n");
    fixture.Start();
    fixture.openOptions = true;
    std::vector<std::string> misfits = {"the dialog never opened"};
    HWND dialog = nullptr;
    std::vector<std::function<bool()>> steps = {
        [&] { return PostMessageW(fixture.application.m_hMainWindow, WM_SHOW_OPTIONS, 0, 0) != FALSE; },
        [&] {
            if (!(dialog = FindOptionsDialog()))
                return false;
            HDC screen = GetDC(nullptr);
            int dpi = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
            misfits = FindMisfits(dialog, dpi);
            SendDlgItemMessageW(dialog, IDCANCEL, BM_CLICK, 0, 0);
            return true;
        },
        [&] { return !IsWindow(dialog); }};
    fixture.RunSteps(steps, true);
    return misfits;
}

} // namespace

// Every label, check box, radio button, button and group box title of every options page shows
// its whole text in every shipped language, measured in the control's own font, and no control
// covers another; a copy of this program checks the same at 144 DPI.
TEST(TranslationFit, EveryOptionsTextFitsItsControlInEveryLanguageAt96And144Dpi) {
    if (!StartedAsVersionCopy()) {
        EXPECT_TRUE(CopyPassed(RunCopyAtDpi(144, L"options_tests_fit144.exe", L"TranslationFit.*")));
    }
    std::vector<std::wstring> languages = FilesIn(SourceTreePath(L"res/Languages"), L"*.ini");
    ASSERT_GE(languages.size(), 9u);
    for (const std::wstring& language : languages) {
        std::vector<std::string> misfits = MisfitsIn(language);
        std::string all;
        for (const std::string& misfit : misfits)
            all += "\n  " + misfit;
        EXPECT_TRUE(misfits.empty()) << Narrow(language.substr(language.find_last_of(L'\\') + 1)) << ":" << all;
    }
}
