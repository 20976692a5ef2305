#include "support/TempDirectory.h"

#include "lib/KernelHandle.h"

#include <stdexcept>

namespace {

std::wstring MakeUniqueDirectory() {
    wchar_t tempRoot[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, tempRoot);
    static LONG counter = 0;
    for (int attempt = 0; length > 0 && length < MAX_PATH && attempt < 1000; ++attempt) {
        wchar_t candidate[MAX_PATH];
        swprintf(candidate, MAX_PATH, L"%lspwt_%lu_%ld_%d", tempRoot, GetCurrentProcessId(),
                 InterlockedIncrement(&counter), attempt);
        if (CreateDirectoryW(candidate, nullptr))
            return candidate;
    }
    throw std::runtime_error("could not create a temporary directory");
}

} // namespace

TempDirectory::TempDirectory() : m_path(MakeUniqueDirectory()) {}

TempDirectory::~TempDirectory() {
    RemoveTree(m_path);
}

std::wstring TempDirectory::File(const std::wstring& relative) const {
    return m_path + L"\\" + relative;
}

bool RemoveTree(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    // Tests make files read-only to simulate failing saves; clear that so removal works.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileW(path.c_str()) != FALSE;
    WIN32_FIND_DATAW found;
    CFindHandle search((attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? INVALID_HANDLE_VALUE
                                                                   : FindFirstFileW((path + L"\\*").c_str(), &found));
    for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.Get(), &found)) {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            RemoveTree(path + L"\\" + name);
    }
    search.Reset();
    return RemoveDirectoryW(path.c_str()) != FALSE;
}
