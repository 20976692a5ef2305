// Clicks the tray icon of the real Pathwren.exe holding one "Menu" item on a folder of 10,000
// files, and prints how long each click takes until the menu is on screen: the first showing, and
// a second click right after the first menu closed (while the program rebuilds it).
//
// Usage: MenuClickBench [files]   (default 10000)
#include "BenchHost.h"
#include "RealProgram.h"
#include "support/TempDirectory.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    int files = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    TempDirectory directory;
    std::wstring folder = directory.File(L"Big");
    CreateDirectoryW(folder.c_str(), nullptr);
    bench::MakeFiles(folder, files);
    bench::RealProgram program(directory.Path());
    program.WriteFolders(L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=" + folder +
                         L"\r\n");
    double start = program.StartUntilAnswering();
    double first = program.ClickUntilMenuShown();
    program.CloseMenu();
    double second = program.ClickUntilMenuShown();
    program.CloseMenu();
    std::printf("%d files: start %.0f ms, first click to menu %.0f ms, second click %.0f ms\n", files, start, first,
                second);
    return start > 0 && first > 0 && second > 0 ? 0 : 1;
}
