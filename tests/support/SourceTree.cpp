#include "support/SourceTree.h"

#include <windows.h>

std::wstring SourceTreePath(const std::wstring& relativePath) {
    std::string unixRoot = PATHWREN_SOURCE_DIR;
    std::wstring path = L"Z:";
    for (char c : unixRoot)
        path += (c == '/') ? L'\\' : static_cast<wchar_t>(c);
    path += L'\\';
    for (wchar_t c : relativePath)
        path += (c == L'/') ? L'\\' : c;
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
