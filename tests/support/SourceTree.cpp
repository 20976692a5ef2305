#include "support/SourceTree.h"

#include <windows.h>

#include <algorithm>

std::wstring SourceTreePath(const std::wstring& relativePath) {
    std::string unixRoot = PATHWREN_SOURCE_DIR;
    std::wstring path = L"Z:" + std::wstring(unixRoot.begin(), unixRoot.end()) + L"/" + relativePath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring BesideTestProgram(const std::wstring& name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.rfind(L'\\') + 1) + name;
}

bool UpdateFixturesRequested() {
    wchar_t value[8] = L"";
    return GetEnvironmentVariableW(L"PATHWREN_UPDATE_FIXTURES", value, 8) > 0 && value[0] == L'1';
}
