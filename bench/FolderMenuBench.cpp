// Builds folder menus of 100, 1,000 and 10,000 files and of a deep tree of empty folders, and
// compares each build with the least any listing must do, measured in the same run: the bare
// enumeration plus one shell icon per entry (flat folders) or the bare recursive enumeration
// (deep tree), and times the rebuild that follows every showing. Also prints the GDI objects the
// process holds once the menu is built, since Windows refuses a process more than 10,000 and every
// entry owns an icon.
//
// Usage: FolderMenuBench [runs]   (default 3; the 10,000-file folder always runs twice at most)
#include "lib/StringCopy.h"
#include "menus/FolderMenu.h"
#include "support/GdiObjectCounter.h"
#include "support/TempDirectory.h"

#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
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

void MakeFlatFolder(const std::wstring& folder, int files) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int index = 0; index < files; ++index) {
        std::wstring path = folder + L"\\file " + std::to_wstring(index) + L".txt";
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
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
    double menuItemsMs; // the items alone, icons included, as CPopUpMenu makes them for any menu
};

// The floor of a flat folder: enumerate, and get each entry's icon from the shell.
FloorFigures FlatFloor(const std::wstring& folder) {
    std::vector<HICON> icons;
    Stopwatch watch;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0)
                continue;
            WCHAR path[MAX_PATH];
            swprintf(path, MAX_PATH, L"%ls\\%ls", folder.c_str(), found.cFileName);
            SHFILEINFOW info = {};
            SHGetFileInfoW(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
            icons.push_back(info.hIcon);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    FloorFigures figures = {watch.Elapsed(), 0};

    CPopUpMenu* menu = new CPopUpMenu();
    Stopwatch items;
    for (size_t index = 0; index < icons.size(); ++index)
        menu->InsertItem(L"file 0000.txt", icons[index], static_cast<UINT>(index), menu->NextCommandId());
    figures.menuItemsMs = items.Elapsed();
    delete menu;
    for (HICON icon : icons) {
        if (icon)
            DestroyIcon(icon);
    }
    return figures;
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

// The floor of the deep tree: the bare recursive enumeration the visibility scan cannot avoid.
FloorFigures TreeFloor(const std::wstring& folder) {
    Stopwatch watch;
    CountFolders(folder);
    return {watch.Elapsed(), 0};
}

struct BuildFigures {
    double buildMs;
    double rebuildMs; // the same menu built again, as after every showing, nothing changed on disk
    double destroyMs;
    int rootItems;
    long gdiAfterBuild;
};

BuildFigures BuildMenu(const std::wstring& folder, bool countGdi) {
    MergedFolder record = {};
    CopyTruncated(record.Directory, ARRAYSIZE(record.Directory), folder.c_str());
    CFolderMenu* menu = new CFolderMenu();
    Stopwatch build;
    menu->Build(&record, 1, TRUE, TRUE, TRUE);
    BuildFigures figures = {};
    figures.buildMs = build.Elapsed();
    figures.rootItems = GetMenuItemCount(menu->GetRootMenu()->GetHandle());
    figures.gdiAfterBuild = countGdi ? GdiObjectCounter::Read() : 0;
    Stopwatch rebuild;
    menu->Build(&record, 1, TRUE, TRUE, TRUE);
    figures.rebuildMs = rebuild.Elapsed();
    Stopwatch destroy;
    delete menu;
    figures.destroyMs = destroy.Elapsed();
    return figures;
}

void Report(const char* label, int runs, const FloorFigures& floor, const BuildFigures& best, long gdiBefore,
            long gdiAfter) {
    printf("%s (%d runs, %d root items)\n", label, runs, best.rootItems);
    printf("    build %.1f ms, floor %.1f ms, ratio %.3f\n", best.buildMs, floor.floorMs, best.buildMs / floor.floorMs);
    printf("    rebuild of the unchanged folder %.1f ms, rebuild / build %.3f\n", best.rebuildMs,
           best.rebuildMs / best.buildMs);
    if (floor.menuItemsMs > 0)
        printf("    menu items alone %.1f ms; build / (floor + menu items) %.3f\n", floor.menuItemsMs,
               best.buildMs / (floor.floorMs + floor.menuItemsMs));
    printf("    destroy %.1f ms; GDI objects held: before %ld, after build %ld, after destroy %ld\n", best.destroyMs,
           gdiBefore, best.gdiAfterBuild, gdiAfter);
    fflush(stdout);
}

// Alternates floor and build so that both see a warm cache; the fastest run of each counts. The
// objects held are read after the last build.
template <typename Floor> void Measure(const char* label, const std::wstring& folder, int runs, Floor floor) {
    FloorFigures bestFloor = {1e300, 1e300};
    BuildFigures best = {1e300, 1e300, 1e300, 0, 0};
    long gdiBefore = GdiObjectCounter::Read();
    for (int run = 0; run < runs; ++run) {
        FloorFigures floorFigures = floor(folder);
        bestFloor.floorMs = std::min(bestFloor.floorMs, floorFigures.floorMs);
        bestFloor.menuItemsMs = std::min(bestFloor.menuItemsMs, floorFigures.menuItemsMs);
        BuildFigures figures = BuildMenu(folder, run == runs - 1);
        best.buildMs = std::min(best.buildMs, figures.buildMs);
        best.rebuildMs = std::min(best.rebuildMs, figures.rebuildMs);
        best.destroyMs = std::min(best.destroyMs, figures.destroyMs);
        best.rootItems = figures.rootItems;
        best.gdiAfterBuild = figures.gdiAfterBuild;
    }
    Report(label, runs, bestFloor, best, gdiBefore, GdiObjectCounter::Read());
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    OleInitialize(nullptr);
    TempDirectory benchDirectory;
    const std::wstring& root = benchDirectory.Path();

    for (int files : {100, 1000, 10000}) {
        std::wstring folder = root + L"\\flat " + std::to_wstring(files);
        MakeFlatFolder(folder, files);
        char label[64];
        snprintf(label, sizeof(label), "flat %d files", files);
        Measure(label, folder, files >= 10000 ? std::min(runs, 2) : runs, FlatFloor);
    }

    std::wstring tree = root + L"\\tree";
    CreateDirectoryW(tree.c_str(), nullptr);
    int folders = MakeTree(tree + L"\\empty", kTreeDepth);
    char label[64];
    snprintf(label, sizeof(label), "deep tree %d folders", folders);
    Measure(label, tree, runs, TreeFloor);

    OleUninitialize();
    return 0;
}
