#include "lib/SystemImageList.h"

#include <shellapi.h>

#include <cstdlib>
#include <initializer_list>

namespace {

// IImageList; its header's constant lives in no MinGW import library.
const GUID kImageListInterface = {0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};

// Asked for once and held for the life of the process: each call hands out a reference, and a
// menu asks for thousands of icons. An IImageList of the system lists is also their HIMAGELIST,
// as documented.
HIMAGELIST SystemImageList(int which) {
    static void* lists[SHIL_EXTRALARGE + 1] = {};
    if (!lists[which] && FAILED(SHGetImageList(which, kImageListInterface, &lists[which])))
        lists[which] = nullptr;
    return static_cast<HIMAGELIST>(lists[which]);
}

} // namespace

HIMAGELIST GetNearestSystemImageList(int size, int* iconSize) {
    HIMAGELIST nearest = nullptr;
    int nearestSize = 0;
    for (int which : {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE}) {
        HIMAGELIST list = SystemImageList(which);
        int width = 0, height = 0;
        if (!list || !ImageList_GetIconSize(list, &width, &height))
            continue;
        if (!nearest || std::abs(width - size) < std::abs(nearestSize - size) ||
            (std::abs(width - size) == std::abs(nearestSize - size) && width < nearestSize)) {
            nearest = list;
            nearestSize = width;
        }
    }
    if (iconSize)
        *iconSize = nearestSize;
    return nearest;
}

int SystemIconIndexOfType(LPCWSTR name, DWORD attributes) {
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(name, attributes, &info, sizeof(info),
                        SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return -1;
    return info.iIcon;
}

void PreloadShellIcons() {
    SystemIconIndexOfType(L"file.txt", FILE_ATTRIBUTE_NORMAL);
    SystemIconIndexOfType(L"folder", FILE_ATTRIBUTE_DIRECTORY);
}

HICON CreateSystemImageListIcon(int index, int size) {
    HIMAGELIST list = index >= 0 ? GetNearestSystemImageList(size, nullptr) : nullptr;
    return list ? ImageList_GetIcon(list, index, ILD_NORMAL) : nullptr;
}
