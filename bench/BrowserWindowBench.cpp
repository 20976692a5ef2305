// Measures a folder item's browser window against a bare shell view of the same folder in a plain
// window (IShellFolder::CreateViewObject and IShellView::CreateViewWindow, nothing else), in the
// same run, for folders of 100, 1,000 and 10,000 files:
// - creating the window with its first navigation (Initialize) against creating the bare view;
// - a round trip home -> subfolder -> back against the bare view replaced twice;
// each until the view is painted.
//
// Usage: BrowserWindowBench [runs]   (default 3; the best run of each counts)
#include "BenchHost.h"
#include "app/Pathwren.h"
#include "browser/FolderItemView.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ShellBrowserContainer.h"
#include "lib/ComPtr.h"
#include "lib/IdList.h"
#include "support/TempDirectory.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const SIZE ViewSize = {600, 400};

// The least a view needs from its browser: a window to live in; everything else is declined.
class BareBrowser : public IShellBrowser {
public:
    explicit BareBrowser(HWND host) : m_host(host) {}
    ~BareBrowser() { Show(nullptr); }

    // Replaces the view by one of the folder at the path.
    bool Show(const wchar_t* path) {
        if (m_view) {
            m_view->DestroyViewWindow();
            m_view.Reset();
        }
        if (!path)
            return true;
        CComPtr<IShellFolder> desktop, folder;
        CIdList idList;
        if (FAILED(SHGetDesktopFolder(&desktop)) ||
            FAILED(desktop->ParseDisplayName(m_host, nullptr, const_cast<LPWSTR>(path), nullptr, idList.Receive(),
                                             nullptr)) ||
            FAILED(desktop->BindToObject(idList.Get(), nullptr, IID_PPV_ARGS(&folder))) ||
            FAILED(folder->CreateViewObject(m_host, IID_PPV_ARGS(&m_view))))
            return false;
        RECT rect = {0, 0, ViewSize.cx, ViewSize.cy};
        HWND window = nullptr;
        if (FAILED(m_view->CreateViewWindow(nullptr, &m_settings, this, &rect, &window)))
            return false;
        // Created hidden; a view nobody sees skips work that a shown one does.
        ShowWindow(window, SW_SHOW);
        return true;
    }
    void SetSettings(const FOLDERSETTINGS& settings) { m_settings = settings; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IOleWindow && iid != IID_IShellBrowser)
            return E_NOINTERFACE;
        *object = static_cast<IShellBrowser*>(this);
        return S_OK;
    }
    // Lives on the stack of the bench, longer than any view it hosts.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = m_host;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModelessSB(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
    STDMETHODIMP BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetViewStateStream(DWORD, IStream** stream) override {
        *stream = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetControlWindow(UINT, HWND* window) override {
        *window = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryActiveShellView(IShellView** view) override {
        *view = m_view.Get();
        if (!*view)
            return E_FAIL;
        (*view)->AddRef();
        return S_OK;
    }
    STDMETHODIMP OnViewWindowActive(IShellView*) override { return S_OK; }
    STDMETHODIMP SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }

private:
    HWND m_host;
    FOLDERSETTINGS m_settings = {FVM_ICON, 0};
    CComPtr<IShellView> m_view;
};

struct Item {
    explicit Item(const std::wstring& path) {
        application.m_pOptions = new CApplicationOptions();
        wcscpy(item.Path, path.c_str());
        item.WindowRect = {0, 0, ViewSize.cx, ViewSize.cy};
        item.WindowPositionX = item.WindowPositionY = 40;
        // Shown, as the bare view is: a hidden list view skips work a user would wait for.
        item.ShowAtStartup = TRUE;
    }
    CPathwren application;
    CGenericPathwrenObject item;
};

struct Figures {
    double bareStart = 1e300, windowStart = 1e300, bareTrip = 1e300, windowTrip = 1e300;
    // Both views must list the same items, or the times compare different work.
    LRESULT bareItems = 0, windowItems = 0;
};

LRESULT ItemsListed(HWND parent) {
    HWND listView = FindWindowExW(parent, nullptr, L"SHELLDLL_DefView", nullptr);
    listView = FindWindowExW(listView ? listView : parent, nullptr, WC_LISTVIEWW, nullptr);
    return listView ? SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0) : -1;
}

// What the user waits for includes the first paint: a list view lays its items out only then.
void PaintNow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// One run of the four measures, taking turns so that a busy moment weighs on all alike.
void MeasureOnce(HWND host, Item& item, const std::wstring& home, const std::wstring& sub, Figures* figures) {
    {
        BareBrowser bare(host);
        bare.SetSettings(FolderSettingsOfItem(item.item));
        bench::HostedBrowser() = &bare;
        figures->bareStart = std::min(figures->bareStart, bench::Best(1, [&] {
                                          bare.Show(home.c_str());
                                          PaintNow(host);
                                      }));
        figures->bareTrip = std::min(figures->bareTrip, bench::Best(1, [&] {
                                         bare.Show(sub.c_str());
                                         PaintNow(host);
                                         bare.Show(home.c_str());
                                         PaintNow(host);
                                     }));
        figures->bareItems = ItemsListed(host);
        bench::HostedBrowser() = nullptr;
    }
    std::unique_ptr<CShellBrowserContainer> container;
    figures->windowStart =
        std::min(figures->windowStart, bench::Best(1, [&] {
                     container.reset(new CShellBrowserContainer(GetModuleHandleW(nullptr), &item.application));
                     container->Initialize(&item.item);
                     PaintNow(container->GetWindow());
                 }));
    figures->windowTrip = std::min(figures->windowTrip, bench::Best(1, [&] {
                                       container->GetBrowser()->BrowseToPath(sub.c_str());
                                       PaintNow(container->GetWindow());
                                       SendMessageW(container->GetWindow(), WM_BROWSER_COMMAND, 0, BrowserCommandBack);
                                       PaintNow(container->GetWindow());
                                   }));
    figures->windowItems = ItemsListed(container->GetWindow());
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    bench::StartShellUi();
    HWND host = bench::CreateHost(ViewSize.cx, ViewSize.cy);
    std::printf("browser window against a bare shell view, best of %d runs (ms):\n", runs);
    for (int files : {100, 1000, 10000}) {
        TempDirectory home;
        bench::MakeFiles(home.Path(), files);
        std::wstring sub = home.File(L"sub");
        CreateDirectoryW(sub.c_str(), nullptr);
        bench::MakeFiles(sub, 10);
        Item item(home.Path());
        Figures figures;
        for (int run = 0; run < runs; run++)
            MeasureOnce(host, item, home.Path(), sub, &figures);
        std::printf("  %5d files: start %8.1f vs bare %8.1f, ratio %.2f; round trip %8.1f vs bare %8.1f, ratio %.2f "
                    "(aim 1.2; %ld and %ld items)\n",
                    files, figures.windowStart, figures.bareStart, figures.windowStart / figures.bareStart,
                    figures.windowTrip, figures.bareTrip, figures.windowTrip / figures.bareTrip,
                    static_cast<long>(figures.windowItems), static_cast<long>(figures.bareItems));
    }
    DestroyWindow(host);
    OleUninitialize();
    return 0;
}
