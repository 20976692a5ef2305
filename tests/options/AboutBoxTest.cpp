#include "options/AboutBox.h"

#include "app/OptionsDialogScript.h"
#include "app/Pathwren.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "lib/WindowDc.h"
#include "res/resource.h"
#include "support/FileFixtures.h"
#include "support/GdiObjectCounter.h"
#include "support/OpenedAddresses.h"
#include "support/SourceTree.h"
#include "support/WindowSearch.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace {

class TestContainer : public CContainerBase {
public:
    explicit TestContainer(IContainerHost* host) : CContainerBase(GetModuleHandleW(nullptr), host) {}
    BOOL SaveState() override { return TRUE; }
};

// The work to do once the about box is up; it runs inside the box's own modal loop.
std::function<void(HWND)> g_onAboutBox;

void CALLBACK WaitForAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND dialog = FindDialogTitled(L"About")) {
        KillTimer(nullptr, timer);
        g_onAboutBox(dialog);
    }
}

void WithAboutBox(const std::function<void()>& open, std::function<void(HWND)> work) {
    g_onAboutBox = std::move(work);
    UINT_PTR timer = SetTimer(nullptr, 0, 50, WaitForAboutBox);
    open();
    KillTimer(nullptr, timer);
}

// The link control's point over the link with the given ID, found with the control's hit test.
bool FindLinkPoint(HWND link, const wchar_t* id, POINT* point) {
    RECT client;
    GetClientRect(link, &client);
    for (int y = 2; y < client.bottom; y += 3) {
        for (int x = 2; x < client.right; x += 3) {
            LHITTESTINFO hit = {};
            hit.pt = POINT{x, y};
            if (SendMessageW(link, LM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) && wcscmp(hit.item.szID, id) == 0) {
                *point = hit.pt;
                return true;
            }
        }
    }
    return false;
}

} // namespace

TEST(AboutBoxTest, FromTheContainerMenuItShowsTitleLinksAndAlphaAndEachLinkOpensItsAddress) {
    OpenedAddresses opened;
    // The application carries out the menu's About.
    CPathwren application;
    application.m_pLanguage = new CLanguage();
    TestContainer container(&application);
    ASSERT_TRUE(container.BuildContextMenu(application.m_pLanguage));
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    container.SetOwnerWindow(owner);

    const int dpi = GetDeviceCaps(CWindowDc().Get(), LOGPIXELSX);
    bool foundAllLinks = true, closedByEsc = false;
    WithAboutBox(
        [&] {
            // The fourth entry: arrows skip the separators.
            UINT_PTR menuTimer = ChooseMenuEntryWhenShown(4);
            container.ShowContextMenu(POINT{200, 300}, FALSE);
            KillTimer(nullptr, menuTimer);
        },
        [&](HWND dialog) {
            wchar_t title[128] = L"", after = 0;
            GetDlgItemTextW(dialog, IDC_ABOUT_TITLE, title, 128);
            unsigned numbers[3];
            EXPECT_EQ(3, swscanf(title, L"Pathwren v%u.%u.%u%lc", &numbers[0], &numbers[1], &numbers[2], &after))
                << testing::PrintToString(std::wstring(title));
            BYTE alpha = 0;
            DWORD layeredFlags = 0;
            GetLayeredWindowAttributes(dialog, nullptr, &alpha, &layeredFlags);
            EXPECT_EQ(242, alpha);
            EXPECT_TRUE(layeredFlags & LWA_ALPHA);
            HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
            const RECT linkRectangle = ChildRect(dialog, link);
            EXPECT_EQ(MulDiv(20, dpi, 96), linkRectangle.left) << "the link's place follows the DPI";
            EXPECT_EQ(MulDiv(350, dpi, 96), linkRectangle.right - linkRectangle.left);
            for (const wchar_t* id : {L"IdHomePage", L"IdUserDoc", L"IdMailto"}) {
                POINT point = {};
                foundAllLinks = foundAllLinks && FindLinkPoint(link, id, &point);
                SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
                SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
            }
            // Enter acts like a click on the focused link: the one clicked last.
            SetFocus(link);
            SendMessageW(link, WM_KEYDOWN, VK_RETURN, 0);
            PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
            closedByEsc = true;
        });
    DestroyWindow(owner);
    EXPECT_TRUE(closedByEsc) << "the about box never appeared";
    EXPECT_EQ(nullptr, FindDialogTitled(L"About")) << "Esc left the box open";
    ASSERT_TRUE(foundAllLinks) << "the link control does not show the three links";
    // Each address starts its own recording process, so the lines may come in any order.
    std::vector<std::wstring> lines = opened.Wait(4);
    ASSERT_EQ(4u, lines.size());
    std::multiset<std::wstring> addresses;
    for (const std::wstring& line : lines) {
        size_t start = line.rfind(L" \"");
        addresses.insert(start == std::wstring::npos ? line : line.substr(start + 2, line.size() - start - 3));
    }
    EXPECT_EQ((std::multiset<std::wstring>{L"http://www.pathwren.example.org/Pathwren/",
                                           L"http://www.pathwren.example.org/Pathwren/index.php#documentation_user",
                                           L"mailto:pathwren@example.org", L"mailto:pathwren@example.org"}),
              addresses);
}

TEST(AboutBoxTest, TextsAreBuiltFromTheLanguageAndCutAtTheirBuffers) {
    wchar_t text[kAboutTextLength];
    BuildAboutText(nullptr, text, kAboutTextLength);
    EXPECT_EQ(std::wstring(L"For more informations, see <a id=\"IdHomePage\">project homepage</a>\r\n"
                           L"or <a id=\"IdUserDoc\">user manual</a>\r\n"
                           L"Author : The Pathwren developers\r\n"
                           L"               <a id=\"IdMailto\">pathwren@example.org</a>"),
              text);

    // Every text at its full length: the result is cut inside the 520 units, never past them.
    CLanguage language;
    language.ForEachText([](LPCWSTR, LPWSTR buffer, DWORD size) {
        std::fill(buffer, buffer + size - 1, L'W');
        buffer[size - 1] = L'\0';
    });
    std::vector<wchar_t> guarded(kAboutTextLength + 16, L'#');
    BuildAboutText(&language, guarded.data(), kAboutTextLength);
    size_t length = wcslen(guarded.data());
    EXPECT_LT(length, kAboutTextLength);
    EXPECT_GT(length, kAboutTextLength - 64) << "cut far before the buffer's end";
    for (size_t index = kAboutTextLength; index < guarded.size(); ++index)
        ASSERT_EQ(L'#', guarded[index]);

    wchar_t title[kAboutTextLength];
    BuildAboutTitle(BesideTestProgram(L"VersionCommas.dll").c_str(), title, kAboutTextLength);
    EXPECT_STREQ(L"Pathwren v1.3.9", title);
    BuildAboutTitle(BesideTestProgram(L"VersionNone.dll").c_str(), title, kAboutTextLength);
    EXPECT_STREQ(L"", title) << "no version resource, no title line";
}

// In every shipped language the about box's link text, wrapped as the link control wraps it,
// fits the control's rectangle: no line of it is cut off at the bottom. After them, twenty boxes
// with the built-in text, closed by OK, give back their GDI objects.
TEST(AboutBoxTest, TheLinkTextFitsInEveryLanguageAndBoxesClosedByOkGiveBackTheirGdiObjects) {
    std::vector<std::wstring> languages = FilesIn(SourceTreePath(L"res/Languages"), L"*.ini");
    ASSERT_GE(languages.size(), 9u);
    for (const std::wstring& path : languages) {
        SCOPED_TRACE(testing::PrintToString(path.substr(path.find_last_of(L'\\') + 1)));
        std::unique_ptr<CLanguage> language;
        {
            CIniFileEx<CLanguage> file(path.c_str());
            language.reset(file.Load(L"Language"));
        }
        ASSERT_TRUE(language);
        wchar_t text[kAboutTextLength];
        BuildAboutText(language.get(), text, kAboutTextLength);
        RECT client = {};
        LRESULT needed = 0;
        WithAboutBox([&] { ShowAboutBox(GetModuleHandleW(nullptr), text); },
                     [&](HWND dialog) {
                         HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
                         GetClientRect(link, &client);
                         needed = SendMessageW(link, LM_GETIDEALHEIGHT, client.right, 0);
                         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                     });
        EXPECT_GT(needed, 0);
        EXPECT_LE(needed, client.bottom) << "the link needs " << needed << " px, has " << client.bottom;
    }
    long before = GdiObjectCounter::Read(); // after boxes that loaded what stays: classes, shared icons, fonts
    for (int cycle = 0; cycle < 20; ++cycle)
        WithAboutBox([] { ShowAboutBox(GetModuleHandleW(nullptr), nullptr); },
                     [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(nullptr, FindDialogTitled(L"About"));
    EXPECT_LE(GdiObjectCounter::Read() - before, 2) << "each about box leaks GDI objects";
}
