#include "menus/FolderTree.h"

#include "support/FileFixtures.h"

#include <shlobj.h>
#include <wrl/client.h>

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

std::wstring FolderTree::AddFolder(const std::wstring& relative) {
    std::wstring path = Path(relative);
    CreateFoldersOnTheWay(path + L"\\");
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

std::wstring FolderTree::AddEmptyLibrary(const std::wstring& relative) {
    return AddFile(relative, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                             "<libraryDescription xmlns=\"http://schemas.microsoft.com/windows/2009/library\">\r\n"
                             "  <searchConnectorDescriptionList/>\r\n"
                             "</libraryDescription>\r\n");
}

std::wstring FolderTree::AddMarkerScript(const std::wstring& relative, const std::wstring& marker,
                                         const std::string& text) {
    std::string narrowMarker(marker.begin(), marker.end());
    return AddFile(relative, "@echo off\r\necho " + text + "> \"" + narrowMarker + "\"\r\n");
}

MergedFolder FolderRecord(const std::wstring& directory, INT merged, const std::wstring& mergedName) {
    MergedFolder record = {};
    record.MergedMenu = merged;
    wcsncpy(record.MergedMenuName, mergedName.c_str(), ARRAYSIZE(record.MergedMenuName) - 1);
    wcsncpy(record.Directory, directory.c_str(), ARRAYSIZE(record.Directory) - 1);
    return record;
}

std::vector<std::wstring> MenuItemTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        WCHAR text[MAX_PATH] = L"";
        GetMenuStringW(menu, static_cast<UINT>(position), text, MAX_PATH, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

int FindItemPosition(HMENU menu, const std::wstring& text) {
    std::vector<std::wstring> texts = MenuItemTexts(menu);
    for (size_t position = 0; position < texts.size(); ++position) {
        if (texts[position] == text)
            return static_cast<int>(position);
    }
    return -1;
}

HMENU FindSubMenu(HMENU menu, const std::wstring& text) {
    int position = FindItemPosition(menu, text);
    return position < 0 ? nullptr : GetSubMenu(menu, position);
}

UINT FindCommand(HMENU menu, const std::wstring& text) {
    int position = FindItemPosition(menu, text);
    return position < 0 ? 0 : GetMenuItemID(menu, position);
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
