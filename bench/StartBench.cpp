// Starts the real Pathwren.exe with 1 and with 100 folder items (tray folder menus) and prints
// how long each takes until its main window answers, when every item's tray icon exists; then
// closes it as the user would.
#include "RealProgram.h"
#include "support/TempDirectory.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring FoldersFile(int items) {
    std::wstring text = L"[Default]\r\nFolders=" + std::to_wstring(items) + L"\r\n";
    for (int i = 0; i < items; ++i)
        text += L"[Folders_" + std::to_wstring(i) + L"]\r\nFolderPresentationType=2\r\nPath=C:\\windows\r\n";
    return text;
}

double MedianStart(int items) {
    TempDirectory directory;
    bench::RealProgram program(directory.Path());
    std::vector<double> times;
    for (int run = 0; run < 3; ++run) {
        program.WriteFolders(FoldersFile(items));
        times.push_back(program.StartUntilAnswering());
        program.Close();
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

} // namespace

int main() {
    double one = MedianStart(1);
    double hundred = MedianStart(100);
    printf("start until answering: 1 item %.0f ms, 100 items %.0f ms, ratio %.2f\n", one, hundred, hundred / one);
    return one > 0 && hundred > 0 ? 0 : 1;
}
