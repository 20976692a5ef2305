#include "BrowserHost.h"

#include "lib/GdiplusSession.h"

#include <utility>

namespace {

const UINT WM_GET_ISHELLBROWSER = WM_USER + 7;
const wchar_t HostClassName[] = L"PathwrenBrowserTestHost";

} // namespace

BrowserHost::BrowserHost() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = HostClassName;
    RegisterClassExW(&windowClass);
    m_window = CreateWindowExW(0, HostClassName, L"Browser test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 640, 480,
                               nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

BrowserHost::~BrowserHost() {
    DestroyWindow(m_window);
}

void BrowserHost::Attach(CShellBrowser* browser) {
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

void BrowserHost::Attach(CShellBrowserEx* browser) {
    Attach(static_cast<CShellBrowser*>(browser));
    browser->SetViewModeChangedCallback(
        [](HWND, UINT viewMode, void* context) { static_cast<BrowserHost*>(context)->viewModes.push_back(viewMode); },
        this);
}

LRESULT CALLBACK BrowserHost::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    BrowserHost* host = reinterpret_cast<BrowserHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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

std::wstring PathOf(PCIDLIST_ABSOLUTE idList) {
    WCHAR path[MAX_PATH] = L"";
    if (!idList || !SHGetPathFromIDListW(idList, path))
        return L"";
    return path;
}

std::vector<std::wstring> ListViewTexts(HWND listView) {
    std::vector<std::wstring> texts;
    for (int index = 0; index < ListView_GetItemCount(listView); index++) {
        WCHAR text[MAX_PATH] = L"";
        ListView_GetItemText(listView, index, 0, text, MAX_PATH);
        texts.push_back(text);
    }
    return texts;
}

int FindListViewItem(HWND listView, const std::wstring& text) {
    std::vector<std::wstring> texts = ListViewTexts(listView);
    // The shell may hide the extension of a known type.
    std::wstring stem = text.substr(0, text.rfind(L'.'));
    for (size_t index = 0; index < texts.size(); index++)
        if (_wcsicmp(texts[index].c_str(), text.c_str()) == 0 || _wcsicmp(texts[index].c_str(), stem.c_str()) == 0)
            return static_cast<int>(index);
    return -1;
}

bool SaveSolidPicture(const std::wstring& path, int width, int height, COLORREF color, COLORREF middle) {
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
