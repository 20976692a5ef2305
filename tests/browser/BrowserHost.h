#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "browser/ShellBrowserEx.h"
#include "lib/GdiplusSession.h"
#include "lib/WindowLink.h"
#include "support/MessagePump.h"
#include "support/FolderTree.h"

#include <gtest/gtest.h>

#include <optional>

const COLORREF Red = 0x0000FF;
const COLORREF Blue = 0xFF0000;

// The file system path of an absolute identifier list, or "" for a virtual folder.
inline std::wstring PathOf(PCIDLIST_ABSOLUTE idList) {
    WCHAR path[MAX_PATH] = L"";
    if (!idList || !SHGetPathFromIDListW(idList, path))
        return L"";
    return path;
}

inline std::wstring CurrentPath(const CShellBrowser& browser) {
    return PathOf(browser.CurrentLocation());
}

// The window a browser under test lives in: resizable, handing the browser its client rectangle
// on every WM_SIZE and answering the view's 0x407 query with the browser's IShellBrowser, the way
// the browser windows of the program do. It records what the browser's callbacks report.
class BrowserHost {
public:
    BrowserHost() {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kClassName;
        RegisterClassExW(&windowClass);
        m_window = CreateWindowExW(0, kClassName, L"Browser test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 640, 480,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), this);
    }
    ~BrowserHost() { DestroyWindow(m_window); }
    BrowserHost(const BrowserHost&) = delete;
    BrowserHost& operator=(const BrowserHost&) = delete;

    HWND Window() const { return m_window; }
    // Connects the browser's callbacks and window messages; Detach before the browser dies.
    void Attach(CShellBrowser* browser) {
        m_browser = browser;
        browser->SetBrowseStartingCallback(
            [](PCIDLIST_ABSOLUTE oldLocation, PCIDLIST_ABSOLUTE newLocation, void* context) {
                BrowserHost* host = static_cast<BrowserHost*>(context);
                host->starting.push_back((oldLocation ? PathOf(oldLocation) : L"-") + L" " + PathOf(newLocation));
                if (std::function<void()> action = std::exchange(host->onStarting, nullptr))
                    action();
            },
            this);
        browser->SetBrowseCompletedCallback(
            [](PCIDLIST_ABSOLUTE location, void* context) {
                static_cast<BrowserHost*>(context)->completed.push_back(PathOf(location));
            },
            this);
        browser->SetDefaultCommandCallback([](void* context) { static_cast<BrowserHost*>(context)->defaultCommands++; },
                                           this);
    }
    // Also records the view modes the browser reports.
    void Attach(CShellBrowserEx* browser) {
        Attach(static_cast<CShellBrowser*>(browser));
        browser->SetViewModeChangedCallback(
            [](HWND, UINT viewMode, void* context) {
                static_cast<BrowserHost*>(context)->viewModes.push_back(viewMode);
            },
            this);
    }
    void Detach() { m_browser = nullptr; }

    std::vector<std::wstring> starting;  // "<old> <new>" paths of each browse-starting callback
    std::vector<std::wstring> completed; // the path of each browse-completed callback
    int defaultCommands = 0;
    std::vector<UINT> viewModes; // each view-mode-changed report
    // Run inside the browse-starting callback, once.
    std::function<void()> onStarting;

private:
    static constexpr UINT WM_GET_ISHELLBROWSER = WM_USER + 7;
    static constexpr const wchar_t* kClassName = L"PathwrenBrowserTestHost";

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        BrowserHost* host = LinkWindowObject<BrowserHost>(window, message, lParam);
        if (host && host->m_browser) {
            if (message == WM_SIZE) {
                RECT client;
                GetClientRect(window, &client);
                host->m_browser->SetViewRect(client);
                return 0;
            }
            if (message == WM_GET_ISHELLBROWSER)
                return reinterpret_cast<LRESULT>(static_cast<IShellBrowser*>(host->m_browser));
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    CShellBrowser* m_browser = nullptr;
};

// For what has no event to wait for: the shell's refresh of a virtual folder, a box that must not come.
inline void PumpFor(DWORD milliseconds) {
    PumpMessagesUntil([] { return false; }, milliseconds);
}

inline std::vector<std::wstring> ListViewTexts(HWND listView) {
    std::vector<std::wstring> texts;
    for (int index = 0; index < ListView_GetItemCount(listView); index++) {
        WCHAR text[MAX_PATH] = L"";
        ListView_GetItemText(listView, index, 0, text, MAX_PATH);
        texts.push_back(text);
    }
    return texts;
}

inline int FindListViewItem(HWND listView, const std::wstring& text) {
    std::vector<std::wstring> texts = ListViewTexts(listView);
    // The shell may hide the extension of a known type.
    std::wstring stem = text.substr(0, text.rfind(L'.'));
    for (size_t index = 0; index < texts.size(); index++)
        if (_wcsicmp(texts[index].c_str(), text.c_str()) == 0 || _wcsicmp(texts[index].c_str(), stem.c_str()) == 0)
            return static_cast<int>(index);
    return -1;
}

// Writes a PNG picture of one colour, with a centred rectangle of half its size in `middle` unless
// that is CLR_INVALID; starts GDI+ for itself.
inline bool SaveSolidPicture(const std::wstring& path, int width, int height, COLORREF color,
                             COLORREF middle = CLR_INVALID) {
    // GDI+'s built-in PNG encoder.
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    CGdiplusSession gdiplus;
    if (!gdiplus.Started())
        return false;
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&bitmap);
    graphics.Clear(Gdiplus::Color(0xFF, GetRValue(color), GetGValue(color), GetBValue(color)));
    if (middle != CLR_INVALID) {
        Gdiplus::SolidBrush brush(Gdiplus::Color(0xFF, GetRValue(middle), GetGValue(middle), GetBValue(middle)));
        graphics.FillRectangle(&brush, width / 4, height / 4, width / 2, height / 2);
    }
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

// A browser of the given class in its host window; Create makes it anew with another view mode.
template <class Browser> class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override { Create(); }
    void TearDown() override { Destroy(); }
    void Create(UINT viewMode = 3, const FOLDERSETTINGS* settings = nullptr) {
        Destroy();
        m_browser.emplace(m_host.Window(), settings, viewMode);
        m_host.Attach(&*m_browser);
    }
    void Destroy() {
        m_host.Detach();
        m_browser.reset();
    }
    HWND ListView() const { return m_browser->ListView(); }

    BrowserHost m_host;
    FolderTree m_folders;
    std::optional<Browser> m_browser;
};
