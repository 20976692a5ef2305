// Builds and shows folder menus of 100, 1,000 and 10,000 files of 20 types, with a program and a
// shortcut in every 50 files and 20 subfolders, and of a deep tree of empty folders. Each showing
// (build, then track until the menu is idle on screen) is compared with the least any program must
// do to show the same entries with the shell's icons, measured in the same run: enumerate, one icon
// lookup per file type (per file for programs and shortcuts), sort, insert the items into a native
// menu with one bitmap per distinct icon and track it until idle; for the deep tree, the bare
// recursive enumeration. A second floor looks every icon up per type, programs and shortcuts
// included: what a menu that reads only the icons of the items on screen cannot beat. The first
// showing has nothing cached; the showing after the rebuild of the unchanged folder is the one
// every later click gets. The own icons of the entries on screen (programs, shortcuts) come from
// worker threads after the menu shows: the time until the last of them is in its item is printed
// beside the first showing. Also prints the GDI objects the process holds and the menus (USER
// objects) the folder menu holds while the menu is open.
//
// Usage: FolderMenuBench [runs]   (default 3; the 10,000-file folder always runs twice at most)
#include "BenchHost.h"
#include "RealProgram.h"
#include "lib/ShellLink.h"
#include "lib/StringCopy.h"
#include "menus/FolderMenu.h"
#include "menus/MenuNameOrder.h"
#include "support/FileFixtures.h"
#include "support/GdiObjectCounter.h"
#include "support/TempDirectory.h"

#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <commctrl.h>
#include <cwchar>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const int kTreeFanOut = 3;
const int kTreeDepth = 7;

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&m_start); }
    double Elapsed() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return Milliseconds(m_start, now);
    }

private:
    LARGE_INTEGER m_start;
};

// The owner of every tracked menu: it closes the menu as soon as the menu loop first goes idle,
// that is once the menu is on screen and drawn, after running what the bench reads then.
HWND& MenuOwner() {
    static HWND owner = nullptr;
    return owner;
}

std::function<void()>& OnMenuIdle() {
    static std::function<void()> onIdle;
    return onIdle;
}

LRESULT CALLBACK CloseMenuWhenIdle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU) {
        if (OnMenuIdle())
            OnMenuIdle()();
        OnMenuIdle() = nullptr;
        EndMenu();
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void CreateMenuOwner() {
    MenuOwner() = bench::CreateHost(1, 1);
    SetWindowSubclass(MenuOwner(), CloseMenuWhenIdle, 1, 0);
}

// Menus of the tree: the USER objects it holds (a menu may be the submenu of several items).
void CollectMenus(HMENU menu, std::set<HMENU>& menus) {
    if (!menus.insert(menu).second)
        return;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        if (HMENU subMenu = GetSubMenu(menu, position))
            CollectMenus(subMenu, menus);
    }
}

size_t CountMenus(HMENU root) {
    std::set<HMENU> menus;
    CollectMenus(root, menus);
    return menus.size();
}

const wchar_t* const kTypes[] = {L"txt", L"doc",  L"pdf", L"jpg", L"png", L"zip", L"mp3", L"html", L"css", L"js",
                                 L"xml", L"json", L"csv", L"log", L"ini", L"bmp", L"gif", L"wav",  L"rtf", L"md"};
const int kSubFolders = 20;

void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

void MakeFlatFolder(const std::wstring& folder, int files) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int index = 0; index < files; ++index) {
        std::wstring name = folder + L"\\file " + std::to_wstring(index);
        if (index % 50 == 10)
            MakeFile(name + L".exe");
        else if (index % 50 == 20)
            SaveShellLink((name + L".lnk").c_str(), (folder + L"\\file 0.txt").c_str());
        else
            MakeFile(name + L"." + kTypes[index % 20]);
    }
    for (int index = 0; index < kSubFolders; ++index) {
        std::wstring subFolder = folder + L"\\folder " + std::to_wstring(index);
        CreateDirectoryW(subFolder.c_str(), nullptr);
        MakeFile(subFolder + L"\\inside.txt");
    }
}

int MakeTree(const std::wstring& folder, int depth) {
    CreateDirectoryW(folder.c_str(), nullptr);
    int folders = 1;
    for (int child = 0; depth > 0 && child < kTreeFanOut; ++child)
        folders += MakeTree(folder + L"\\d" + std::to_wstring(child), depth - 1);
    return folders;
}

struct FloorFigures {
    double floorMs;
    double perTypeFloorMs; // programs and shortcuts too looked up once per type, as no menu can avoid
};

HBITMAP MakeIconBitmap(HIMAGELIST list, int index) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, 16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return bitmap;
}

// The floor of a flat folder: enumerate, one icon lookup per type (per file for programs and
// shortcuts, unless perType), sort, and insert into a native menu with one bitmap per distinct icon.
double FlatFloorMs(const std::wstring& folder, bool perType) {
    Stopwatch watch;
    struct Entry {
        std::wstring name;
        int icon;
    };
    std::vector<Entry> entries;
    std::map<std::wstring, int> typeIcons;
    HIMAGELIST list = nullptr;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0)
                continue;
            bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const wchar_t* dot = wcsrchr(found.cFileName, L'.');
            std::wstring type = isFolder ? L"\\" : (dot ? dot : L"");
            SHFILEINFOW info = {};
            if (!perType && (type == L".exe" || type == L".lnk")) {
                std::wstring path = folder + L"\\" + found.cFileName;
                list = reinterpret_cast<HIMAGELIST>(
                    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
            } else if (!typeIcons.count(type)) {
                list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
                    (L"x" + type).c_str(), isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info,
                    sizeof(info), SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
                typeIcons[type] = info.iIcon;
            } else {
                info.iIcon = typeIcons[type];
            }
            entries.push_back({found.cFileName, info.iIcon});
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& first, const Entry& second) {
        return CompareMenuNames(first.name.c_str(), second.name.c_str()) < 0;
    });
    HMENU menu = CreatePopupMenu();
    std::map<int, HBITMAP> bitmaps;
    for (size_t index = 0; index < entries.size(); ++index) {
        HBITMAP& bitmap = bitmaps[entries[index].icon];
        if (!bitmap)
            bitmap = MakeIconBitmap(list, entries[index].icon);
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STRING | MIIM_ID | MIIM_BITMAP;
        item.dwTypeData = const_cast<LPWSTR>(entries[index].name.c_str());
        item.wID = static_cast<UINT>(index + 1);
        item.hbmpItem = bitmap;
        InsertMenuItemW(menu, static_cast<UINT>(index), TRUE, &item);
    }
    SetForegroundWindow(MenuOwner());
    TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, MenuOwner(), nullptr);
    double elapsed = watch.Elapsed();
    DestroyMenu(menu);
    for (const auto& bitmap : bitmaps)
        DeleteObject(bitmap.second);
    return elapsed;
}

FloorFigures FlatFloor(const std::wstring& folder) {
    return {FlatFloorMs(folder, false), FlatFloorMs(folder, true)};
}

int CountFolders(const std::wstring& folder) {
    int folders = 1;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return folders;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcscmp(found.cFileName, L".") != 0 &&
            wcscmp(found.cFileName, L"..") != 0)
            folders += CountFolders(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return folders;
}

// The floor of the deep tree: the bare recursive enumeration the visibility scan cannot avoid, and
// its one folder shown.
FloorFigures TreeFloor(const std::wstring& folder) {
    Stopwatch watch;
    CountFolders(folder);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"empty");
    SetForegroundWindow(MenuOwner());
    TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, MenuOwner(), nullptr);
    FloorFigures figures = {watch.Elapsed(), 0};
    figures.perTypeFloorMs = figures.floorMs;
    DestroyMenu(menu);
    return figures;
}

struct BuildFigures {
    double buildMs; // built and shown until idle
    // From the build until every entry that came on screen shows its own icon, read on a worker
    double finalIconsMs;
    double rebuildMs; // built again, as after every showing, nothing changed on disk, and shown
    double destroyMs;
    int rootItems;
    long gdiWhileShown;
    size_t menusWhileShown;
};

void Show(CFolderMenu& menu) {
    menu.SetOwnerWindow(MenuOwner());
    menu.GetRootMenu()->Track(0, 0, MenuOwner(), FALSE);
}

// The icons read for the entries that came on screen arrive as messages, changing the items.
void WaitForOwnIcons(CFolderMenu& menu) {
    while (menu.GetIconsBeingRead() > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

BuildFigures BuildMenu(const std::wstring& folder, bool countObjects) {
    MergedFolder record = {};
    CopyTruncated(record.Directory, ARRAYSIZE(record.Directory), folder.c_str());
    CFolderMenu* menu = new CFolderMenu();
    BuildFigures figures = {};
    Stopwatch build;
    menu->Build(&record, 1, {TRUE, TRUE, TRUE});
    Show(*menu);
    figures.buildMs = build.Elapsed();
    WaitForOwnIcons(*menu);
    figures.finalIconsMs = build.Elapsed();
    figures.rootItems = GetMenuItemCount(menu->GetRootMenu()->GetHandle());
    if (countObjects) {
        OnMenuIdle() = [&]() {
            figures.gdiWhileShown = GdiObjectCounter::Read();
            figures.menusWhileShown = CountMenus(menu->GetRootMenu()->GetHandle());
        };
    }
    Stopwatch rebuild;
    menu->Build(&record, 1, {TRUE, TRUE, TRUE});
    Show(*menu);
    figures.rebuildMs = rebuild.Elapsed();
    Stopwatch destroy;
    delete menu;
    figures.destroyMs = destroy.Elapsed();
    return figures;
}

void Report(const char* label, int runs, const FloorFigures& floor, const BuildFigures& best, double firstRunBuildMs,
            long gdiBefore, long gdiAfter) {
    printf("%s (%d runs, %d root items)\n", label, runs, best.rootItems);
    printf("    first showing %.1f ms, floor %.1f ms, ratio %.3f\n", best.buildMs, floor.floorMs,
           best.buildMs / floor.floorMs);
    // Later runs find the answers about these types that the thread's menus share.
    printf("    first showing in the first run %.1f ms, ratio %.3f\n", firstRunBuildMs,
           firstRunBuildMs / floor.floorMs);
    printf("    every entry on screen with its own icon %.1f ms after the build, ratio %.3f\n", best.finalIconsMs,
           best.finalIconsMs / floor.floorMs);
    printf("    showing after a rebuild of the unchanged folder %.1f ms, ratio %.3f\n", best.rebuildMs,
           best.rebuildMs / floor.floorMs);
    printf("    floor with every icon looked up per type %.1f ms: ratios %.3f and %.3f\n", floor.perTypeFloorMs,
           best.buildMs / floor.perTypeFloorMs, best.rebuildMs / floor.perTypeFloorMs);
    printf("    destroy %.1f ms; GDI objects held: before %ld, while shown %ld, after destroy %ld; menus held while "
           "shown %zu\n",
           best.destroyMs, gdiBefore, best.gdiWhileShown, gdiAfter, best.menusWhileShown);
    fflush(stdout);
}

// Alternates floor and build so that both see a warm cache; the fastest run of each counts. The
// objects held are read after the last build.
// Returns the floors.
template <typename Floor> FloorFigures Measure(const char* label, const std::wstring& folder, int runs, Floor floor) {
    FloorFigures bestFloor = {1e300, 1e300};
    BuildFigures best = {1e300, 1e300, 1e300, 1e300, 0, 0, 0};
    long gdiBefore = GdiObjectCounter::Read();
    double firstRunBuildMs = 0;
    for (int run = 0; run < runs; ++run) {
        FloorFigures floorFigures = floor(folder);
        bestFloor.floorMs = std::min(bestFloor.floorMs, floorFigures.floorMs);
        bestFloor.perTypeFloorMs = std::min(bestFloor.perTypeFloorMs, floorFigures.perTypeFloorMs);
        BuildFigures figures = BuildMenu(folder, run == runs - 1);
        if (run == 0)
            firstRunBuildMs = figures.buildMs;
        best.buildMs = std::min(best.buildMs, figures.buildMs);
        best.finalIconsMs = std::min(best.finalIconsMs, figures.finalIconsMs);
        best.rebuildMs = std::min(best.rebuildMs, figures.rebuildMs);
        best.destroyMs = std::min(best.destroyMs, figures.destroyMs);
        best.rootItems = figures.rootItems;
        best.gdiWhileShown = figures.gdiWhileShown;
        best.menusWhileShown = figures.menusWhileShown;
    }
    Report(label, runs, bestFloor, best, firstRunBuildMs, gdiBefore, GdiObjectCounter::Read());
    return bestFloor;
}

// The real program, started on the folder as a "Menu" item with a tray icon: what a click costs
// until the menu is idle on screen, the second one right after the first showing closed, while the
// program rebuilds. The first click comes at once after the start, and in a second run a second
// later, as a user's would: by then the start's own work in the background is done.
void MeasureRealProgram(const std::wstring& folder, const FloorFigures& floor) {
    for (DWORD pause : {0, 1000}) {
        TempDirectory directory;
        bench::RealProgram program(directory.Path());
        program.WriteFolders(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=" + folder +
                             L"\r\n");
        if (program.StartUntilAnswering() < 0) {
            printf("real program: ..\\dist\\Pathwren.exe did not start\n");
            return;
        }
        Sleep(pause);
        double first = program.ClickUntilMenuIdle();
        program.CloseMenu();
        double second = program.ClickUntilMenuIdle();
        program.CloseMenu();
        printf("real program, tray click %s until the menu is idle: first %.1f ms, second right after %.1f ms; "
               "ratios to the floors %.3f and %.3f, %.3f and %.3f\n",
               pause ? "a second after the start" : "right after the start", first, second, first / floor.floorMs,
               first / floor.perTypeFloorMs, second / floor.floorMs, second / floor.perTypeFloorMs);
    }
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    bench::StartShellUi();
    CreateMenuOwner();
    TempDirectory benchDirectory;
    const std::wstring& root = benchDirectory.Path();

    for (int files : {100, 1000, 10000}) {
        std::wstring folder = root + L"\\flat " + std::to_wstring(files);
        MakeFlatFolder(folder, files);
        char label[64];
        snprintf(label, sizeof(label), "flat %d files", files);
        FloorFigures floor = Measure(label, folder, files >= 10000 ? std::min(runs, 2) : runs, FlatFloor);
        if (files != 1000)
            MeasureRealProgram(folder, floor);
    }

    std::wstring tree = root + L"\\tree";
    CreateDirectoryW(tree.c_str(), nullptr);
    int folders = MakeTree(tree + L"\\empty", kTreeDepth);
    char label[64];
    snprintf(label, sizeof(label), "deep tree %d folders", folders);
    Measure(label, tree, runs, TreeFloor);

    DestroyWindow(MenuOwner());
    OleUninitialize();
    return 0;
}
