#include "menus/FolderTree.h"

#include "support/FileFixtures.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>

using Microsoft::WRL::ComPtr;

namespace {

void CreateFoldersOnTheWay(const std::wstring& path) {
    for (size_t separator = path.find(L'\\', 3); separator != std::wstring::npos;
         separator = path.find(L'\\', separator + 1))
        CreateDirectoryW((L"\\\\?\\" + path.substr(0, separator)).c_str(), nullptr);
}

} // namespace

FolderTree::~FolderTree() {
    // Deep trees pass the path limit of the plain Win32 calls.
    RemoveTree(L"\\\\?\\" + Root());
}

std::wstring FolderTree::AddFile(const std::wstring& relative, const std::string& content) {
    std::wstring path = Path(relative);
    CreateFoldersOnTheWay(path);
    WriteFileBytes(L"\\\\?\\" + path, std::vector<unsigned char>(content.begin(), content.end()));
    return path;
}

std::wstring FolderTree::AddShortcut(const std::wstring& relative, const std::wstring& target) {
    std::wstring path = Path(relative);
    CreateFoldersOnTheWay(path);
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
        FAILED(link->SetPath(target.c_str())) || FAILED(link.As(&file)) || FAILED(file->Save(path.c_str(), TRUE)))
        return L"";
    return path;
}

MergedFolder FolderRecord(const std::wstring& directory, INT merged, const std::wstring& mergedName) {
    MergedFolder record = {};
    record.MergedMenu = merged;
    wcsncpy(record.MergedMenuName, mergedName.c_str(), ARRAYSIZE(record.MergedMenuName) - 1);
    wcsncpy(record.Directory, directory.c_str(), ARRAYSIZE(record.Directory) - 1);
    return record;
}

Texts MenuItemTexts(HMENU menu) {
    Texts texts;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        WCHAR text[MAX_PATH] = L"";
        GetMenuStringW(menu, static_cast<UINT>(position), text, MAX_PATH, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

int FindItemPosition(HMENU menu, const std::wstring& text) {
    Texts texts = MenuItemTexts(menu);
    auto found = std::find(texts.begin(), texts.end(), text);
    return found == texts.end() ? -1 : static_cast<int>(found - texts.begin());
}

void HighlightSubMenuItem(CFolderMenu& folderMenu, HMENU menu, const std::wstring& text) {
    int position = FindItemPosition(menu, text);
    folderMenu.OnMenuSelect(folderMenu.GetRootMenu(), MAKEWPARAM(position, MF_POPUP | MF_HILITE),
                            reinterpret_cast<LPARAM>(menu));
}

std::string WaitForFileText(const std::wstring& path, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        std::vector<unsigned char> bytes = ReadFileBytes(path);
        if (!bytes.empty())
            return std::string(bytes.begin(), bytes.end());
        Sleep(50);
    }
    return "";
}
