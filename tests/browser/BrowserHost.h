#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/ShellBrowserEx.h"
#include "support/MessagePump.h"
#include "support/FolderTree.h"

#include <gtest/gtest.h>

#include <optional>

const COLORREF Red = 0x0000FF;
const COLORREF Blue = 0xFF0000;

// The window a browser under test lives in: resizable, handing the browser its client rectangle
// on every WM_SIZE and answering the view's 0x407 query with the browser's IShellBrowser, the way
// the browser windows of the program do. It records what the browser's callbacks report.
class BrowserHost {
public:
    BrowserHost();
    ~BrowserHost();
    BrowserHost(const BrowserHost&) = delete;
    BrowserHost& operator=(const BrowserHost&) = delete;

    HWND Window() const { return m_window; }
    // Connects the browser's callbacks and window messages; Detach before the browser dies.
    void Attach(CShellBrowser* browser);
    // Also records the view modes the browser reports.
    void Attach(CShellBrowserEx* browser);
    void Detach() { m_browser = nullptr; }

    std::vector<std::wstring> starting;  // "<old> <new>" paths of each browse-starting callback
    std::vector<std::wstring> completed; // the path of each browse-completed callback
    int defaultCommands = 0;
    std::vector<UINT> viewModes; // each view-mode-changed report
    // Run inside the browse-starting callback, once.
    std::function<void()> onStarting;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    CShellBrowser* m_browser = nullptr;
};

// The file system path of an absolute identifier list, or "" for a virtual folder.
std::wstring PathOf(PCIDLIST_ABSOLUTE idList);
inline std::wstring CurrentPath(const CShellBrowser& browser) {
    return PathOf(browser.CurrentLocation());
}

// For what has no event to wait for: the shell's refresh of a virtual folder, a box that must not come.
inline void PumpFor(DWORD milliseconds) {
    PumpMessagesUntil([] { return false; }, milliseconds);
}

std::vector<std::wstring> ListViewTexts(HWND listView);
int FindListViewItem(HWND listView, const std::wstring& text);

// Writes a PNG picture of one colour, with a centred rectangle of half its size in `middle` unless
// that is CLR_INVALID; starts GDI+ for itself.
bool SaveSolidPicture(const std::wstring& path, int width, int height, COLORREF color, COLORREF middle = CLR_INVALID);

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
