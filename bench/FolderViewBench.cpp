// Measures the folder view against the least the same work needs, in the same run:
// - listing a 5,000-file folder through the filtering view (filters that keep every item) against
//   a plain view of the same folder;
// - re-rendering a 1920 x 1080 gradient background on resize against a bare GDI+ gradient fill of
//   that size, and a stretched 4000 x 3000 picture against one draw of the decoded picture;
// - the GDI objects the process holds after 1,000 resizes with a background.
//
// Usage: FolderViewBench [runs] [listing]   (runs: default 3, the best run of each counts;
//        "listing" measures the 5,000-file listing alone)
#include "BenchHost.h"
#include "browser/ShellBrowserEx.h"
#include "lib/IdList.h"
#include "menus/FileNameFilter.h"
#include "lib/GdiplusSession.h"
#include "skin/BackgroundPainting.h"
#include "support/GdiObjectCounter.h"
#include "support/TempDirectory.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const SIZE FullHd = {1920, 1080};

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&m_start); }
    double Elapsed() const {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_start;
};

template <class Browser> double ListFolder(HWND host, const std::wstring& folder, int runs, bool filtered) {
    return bench::Best(runs, [&] {
        Browser browser(host, nullptr, 3);
        bench::HostedBrowser() = &browser;
        if constexpr (std::is_same<Browser, CShellBrowserEx>::value) {
            if (filtered) {
                browser.SetInclusionFilter(L"*.txt;*.dat");
                browser.SetExclusionFilter(L"*.ini;*.tmp");
            }
        }
        browser.BrowseToPath(folder.c_str());
        bench::HostedBrowser() = nullptr;
    });
}

// Where the filtering view's time per item goes: the questions IncludeObject asks the folder, the
// pattern matching, and the whole of IncludeObject, each over every item of the folder.
void IncludeObjectBreakdown(HWND host, const std::wstring& folder, int runs) {
    CShellBrowserEx browser(host, nullptr, 3);
    bench::HostedBrowser() = &browser;
    browser.SetInclusionFilter(L"*.txt;*.dat");
    browser.SetExclusionFilter(L"*.ini;*.tmp");
    browser.BrowseToPath(folder.c_str());
    IShellFolder* shellFolder = browser.CurrentFolder();
    std::vector<CIdList> children;
    CComPtr<IEnumIDList> enumerator;
    if (shellFolder &&
        SUCCEEDED(shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &enumerator)) && enumerator) {
        LPITEMIDLIST child = nullptr;
        while (enumerator->Next(1, &child, nullptr) == S_OK)
            children.emplace_back(child);
    }
    if (children.empty()) {
        bench::HostedBrowser() = nullptr;
        return;
    }
    auto perItem = [&](const std::function<void(PCUITEMID_CHILD)>& work) {
        return 1000.0 *
               bench::Best(runs,
                           [&] {
                               for (const CIdList& child : children)
                                   work(reinterpret_cast<PCUITEMID_CHILD>(child.Get()));
                           }) /
               static_cast<double>(children.size());
    };
    double attributes = perItem([&](PCUITEMID_CHILD child) {
        SFGAOF wanted = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_BROWSABLE | SFGAO_LINK;
        shellFolder->GetAttributesOf(1, &child, &wanted);
    });
    double parsingName = perItem([&](PCUITEMID_CHILD child) {
        STRRET name;
        WCHAR text[MAX_PATH];
        if (SUCCEEDED(shellFolder->GetDisplayNameOf(child, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)))
            StrRetToBufW(&name, child, text, MAX_PATH);
    });
    CFileNameFilter inclusion(FileNameFilterInclusion, L"*.txt;*.dat"),
        exclusion(FileNameFilterExclusion, L"*.ini;*.tmp");
    double patterns = perItem([&](PCUITEMID_CHILD) {
        volatile BOOL kept = inclusion.Accepts(L"file 1234.txt") && exclusion.Accepts(L"file 1234.txt");
        (void)kept;
    });
    double include = perItem([&](PCUITEMID_CHILD child) { browser.IncludeObject(nullptr, child); });
    printf("per item: attributes %.2f us, parsing name %.2f us, patterns %.2f us, IncludeObject %.2f us\n", attributes,
           parsingName, patterns, include);
    bench::HostedBrowser() = nullptr;
}

// Alternates between two sizes so that every call really resizes.
double Resizes(CShellBrowserEx& browser, int count) {
    Stopwatch watch;
    for (int index = 0; index < count; index++) {
        RECT rect = {0, 0, FullHd.cx - index % 2, FullHd.cy};
        browser.SetViewRect(rect);
    }
    return watch.Elapsed() / count;
}

std::wstring MakePicture(const std::wstring& path) {
    Gdiplus::Bitmap picture(4000, 3000, PixelFormat32bppARGB);
    Gdiplus::Graphics(&picture).Clear(Gdiplus::Color(0xFF, 0x20, 0x80, 0xC0));
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::string buffer(size, '\0');
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(&buffer[0]);
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT index = 0; index < count; index++)
        if (wcscmp(encoders[index].MimeType, L"image/png") == 0)
            picture.Save(path.c_str(), &encoders[index].Clsid, nullptr);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    bench::StartShellUi();
    CGdiplusSession gdiplus;
    HWND host = bench::CreateHost(FullHd.cx, FullHd.cy);
    TempDirectory directory;
    bench::MakeFiles(directory.Path(), 5000);

    // The three listings take turns, so that a busy moment of the machine weighs on all alike.
    double plain = 1e300, unfiltered = 1e300, filtered = 1e300;
    for (int run = 0; run < runs; run++) {
        plain = std::min(plain, ListFolder<CShellBrowser>(host, directory.Path(), 1, false));
        unfiltered = std::min(unfiltered, ListFolder<CShellBrowserEx>(host, directory.Path(), 1, false));
        filtered = std::min(filtered, ListFolder<CShellBrowserEx>(host, directory.Path(), 1, true));
    }
    printf("5,000 files: plain view %.1f ms, filtering view %.1f ms without filters, %.1f ms with, ratio %.2f "
           "(aim 1.25)\n",
           plain, unfiltered, filtered, filtered / plain);
    IncludeObjectBreakdown(host, directory.Path(), runs);
    if (argc > 2 && strcmp(argv[2], "listing") == 0) {
        DestroyWindow(host);
        OleUninitialize();
        return 0;
    }

    const int resizes = 20;
    double bareFill = bench::Best(runs, [] { RenderGradientBitmap(FullHd, 0x0000FF, 0xFF0000, 2); });
    std::wstring picturePath = MakePicture(directory.File(L"big.png"));
    std::unique_ptr<Gdiplus::Image> decoded = LoadPicture(picturePath.c_str());
    double bareDraw = bench::Best(runs, [&] {
        Gdiplus::Bitmap target(FullHd.cx, FullHd.cy, PixelFormat32bppARGB);
        Gdiplus::Graphics graphics(&target);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.DrawImage(decoded.get(), 0, 0, FullHd.cx, FullHd.cy);
    });
    {
        // An empty folder: the list view's own relayout is not what is measured.
        std::wstring empty = directory.File(L"empty");
        CreateDirectoryW(empty.c_str(), nullptr);
        CShellBrowserEx browser(host, nullptr, 0);
        bench::HostedBrowser() = &browser;
        browser.BrowseToPath(empty.c_str());
        browser.SetBackgroundType(CShellBrowserEx::BackgroundGradient);
        browser.RenderGradient(0x0000FF, 0xFF0000, 2);
        double gradient = Resizes(browser, resizes);
        browser.SetBackgroundType(CShellBrowserEx::BackgroundPicture);
        browser.RenderPicture(picturePath.c_str(), 0);
        double picture = Resizes(browser, resizes);
        printf("1920 x 1080 resize: gradient %.1f ms vs bare fill %.1f ms, ratio %.2f (aim 1.2)\n", gradient, bareFill,
               gradient / bareFill);
        printf("1920 x 1080 resize: stretched 4000 x 3000 picture %.1f ms vs one draw %.1f ms, ratio %.2f (aim 1.3)\n",
               picture, bareDraw, picture / bareDraw);

        browser.SetBackgroundType(CShellBrowserEx::BackgroundGradient);
        Resizes(browser, 2);
        long before = GdiObjectCounter::Read();
        Resizes(browser, 1000);
        long after = GdiObjectCounter::Read();
        printf("GDI objects after 1,000 resizes: %ld before, %ld after\n", before, after);
        bench::HostedBrowser() = nullptr;
    }
    decoded.reset();
    DestroyWindow(host);
    OleUninitialize();
    return 0;
}
