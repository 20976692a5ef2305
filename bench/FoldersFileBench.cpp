// Saves and loads 100 folder items through the INI layer and prints the cost per item.
// The profile API writes one key per call, so saving is expected to cost more than loading.
#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "support/TempDirectory.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kItems = 100;

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main() {
    std::vector<CGenericPathwrenObject*> items;
    for (int i = 0; i < kItems; ++i) {
        CGenericPathwrenObject* item = new CGenericPathwrenObject();
        swprintf(item->Path, MAX_PATH, L"C:\\Users\\bench\\Folder %d", i);
        item->HotKeyModifier = MOD_CONTROL;
        item->HotKeyVirtualKey = 'A' + i % 26;
        items.push_back(item);
    }
    TempDirectory directory;
    std::wstring path = directory.File(L"FoldersOptions.ini");
    LARGE_INTEGER start, saved, loaded;
    std::vector<CGenericPathwrenObject*> readBack;
    {
        CIniFileEx<CGenericPathwrenObject> file(path.c_str());
        QueryPerformanceCounter(&start);
        file.SaveArray(L"Folders", items);
        QueryPerformanceCounter(&saved);
        file.LoadArray(L"Folders", readBack);
        QueryPerformanceCounter(&loaded);
    }
    double saveMs = Milliseconds(start, saved) / kItems;
    double loadMs = Milliseconds(saved, loaded) / kItems;
    printf("folder items: %d saved, %d loaded\n", kItems, static_cast<int>(readBack.size()));
    printf("save ms/item = %.3f\n", saveMs);
    printf("load ms/item = %.3f\n", loadMs);
    printf("save / load = %.2f\n", saveMs / loadMs);

    for (CGenericPathwrenObject* item : items)
        delete item;
    for (CGenericPathwrenObject* item : readBack)
        delete item;
    return readBack.size() == static_cast<size_t>(kItems) ? 0 : 1;
}
