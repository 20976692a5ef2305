// Saves and loads 100 and 1,000 folder items through the INI layer and prints the times beside a
// floor measured in the same run: one WriteFile, or one ReadFile plus the conversion to UTF-16
// text, of the very bytes the save wrote. Each figure is the best of a few tries, the floors'
// too: on a shared machine a single try mostly measures the neighbours.
#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "support/TempDirectory.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// With durable set, also what any save that must survive a power cut pays: the flush of the
// new bytes and the rename over the old file.
double FloorWrite(const std::wstring& path, const std::vector<char>& bytes, bool durable) {
    LARGE_INTEGER start = Now();
    std::wstring written = durable ? path + L".new" : path;
    HANDLE file =
        CreateFileW(written.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD count = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
    if (durable)
        FlushFileBuffers(file);
    CloseHandle(file);
    if (durable)
        MoveFileExW(written.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    return Milliseconds(start, Now());
}

double FloorRead(const std::wstring& path, std::vector<char>& bytes) {
    LARGE_INTEGER start = Now();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (read - 2) / 2);
    double elapsed = Milliseconds(start, Now());
    return text.empty() ? -1 : elapsed;
}

bool Measure(int count) {
    std::vector<CGenericPathwrenObject*> items;
    for (int i = 0; i < count; ++i) {
        CGenericPathwrenObject* item = new CGenericPathwrenObject();
        swprintf(item->Path, MAX_PATH, L"C:\\Users\\bench\\Folder %d", i);
        item->HotKeyModifier = MOD_CONTROL;
        item->HotKeyVirtualKey = 'A' + i % 26;
        items.push_back(item);
    }
    TempDirectory directory;
    std::wstring path = directory.File(L"FoldersOptions.ini");
    std::vector<CGenericPathwrenObject*> readBack;
    const int kTries = 5;
    double saveMs = 1e300, loadMs = 1e300, readFloor = 1e300, writeFloor = 1e300, durableFloor = 1e300;
    std::vector<char> bytes;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        DeleteFileW(path.c_str());
        for (CGenericPathwrenObject* item : readBack)
            delete item;
        readBack.clear();
        LARGE_INTEGER start = Now();
        {
            CIniFileEx<CGenericPathwrenObject> file(path.c_str());
            file.SaveArray(L"Folders", items);
        }
        LARGE_INTEGER saved = Now();
        {
            CIniFileEx<CGenericPathwrenObject> file(path.c_str());
            file.LoadArray(L"Folders", readBack);
        }
        LARGE_INTEGER loaded = Now();
        saveMs = std::min(saveMs, Milliseconds(start, saved));
        loadMs = std::min(loadMs, Milliseconds(saved, loaded));
        readFloor = std::min(readFloor, FloorRead(path, bytes));
        writeFloor = std::min(writeFloor, FloorWrite(directory.File(L"floor.ini"), bytes, false));
        durableFloor = std::min(durableFloor, FloorWrite(directory.File(L"floor.ini"), bytes, true));
    }
    printf("%5d items, %7zu bytes: save %7.2f ms (floor %.2f, ratio %.1f; durable floor %.2f, ratio %.1f), "
           "load %7.2f ms (floor %.2f, ratio %.1f)\n",
           count, bytes.size(), saveMs, writeFloor, saveMs / writeFloor, durableFloor, saveMs / durableFloor, loadMs,
           readFloor, loadMs / readFloor);
    bool complete = readBack.size() == static_cast<size_t>(count);
    for (CGenericPathwrenObject* item : items)
        delete item;
    for (CGenericPathwrenObject* item : readBack)
        delete item;
    return complete;
}

} // namespace

int main() {
    bool complete = Measure(100);
    complete = Measure(1000) && complete;
    return complete ? 0 : 1;
}
