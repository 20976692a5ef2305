#include "lib/FileSearch.h"

#include "lib/ReparsePoints.h"
#include "lib/KernelHandle.h"
#include "lib/LinkListSingleThreaded.h"

#include <string>

namespace {

struct SearchState {
    const FileSearchRequest* request;
    CLinkListSimpleSingleThreaded visited;
    BOOL stopped = FALSE;
};

BOOL IsCancelled(const FileSearchRequest& request) {
    return request.cancelEvent && WaitForSingleObject(request.cancelEvent, 0) == WAIT_OBJECT_0;
}

BOOL IsDotEntry(const WIN32_FIND_DATAW& entry) {
    return wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0;
}

// Compares only ASCII letters without case, like the file system does for the names it was
// given; a locale's case rules must not make two different directories equal.
BOOL EqualIgnoringAsciiCase(const std::wstring& left, LPCWSTR right) {
    for (size_t index = 0; index < left.size(); ++index) {
        wchar_t a = left[index], b = right[index];
        if (a >= L'a' && a <= L'z')
            a -= L'a' - L'A';
        if (b >= L'a' && b <= L'z')
            b -= L'a' - L'A';
        if (a != b)
            return FALSE;
    }
    return TRUE;
}

// Remembers the directory; FALSE when it was seen before (or cannot be remembered).
BOOL MarkVisited(SearchState& state, const std::wstring& directory) {
    for (LINK_LIST_NODE* node = state.visited.First(); node; node = node->next) {
        LPCWSTR seen = static_cast<LPCWSTR>(node->data);
        if (wcslen(seen) == directory.size() && EqualIgnoringAsciiCase(directory, seen))
            return FALSE;
    }
    wchar_t* copy = new wchar_t[directory.size() + 1];
    wcscpy(copy, directory.c_str());
    if (!state.visited.AddItem(state.visited.Last(), copy)) {
        delete[] copy;
        return FALSE;
    }
    return TRUE;
}

// FALSE when the search must end.
BOOL SearchPattern(SearchState& state, const std::wstring& directory, LPCWSTR pattern) {
    const FileSearchRequest& request = *state.request;
    WIN32_FIND_DATAW entry;
    CFindHandle find(FindFirstFileW((directory + pattern).c_str(), &entry));
    if (!find)
        return TRUE;
    do {
        if (IsDotEntry(entry))
            continue;
        if (!request.callback(directory.c_str(), &entry, request.userData) || IsCancelled(request)) {
            state.stopped = TRUE;
            return FALSE;
        }
    } while (FindNextFileW(find.Get(), &entry));
    return TRUE;
}

BOOL SearchDirectory(SearchState& state, std::wstring directory);

BOOL SearchSubdirectories(SearchState& state, const std::wstring& directory) {
    WIN32_FIND_DATAW entry;
    CFindHandle find(FindFirstFileW((directory + L"*").c_str(), &entry));
    if (!find)
        return TRUE;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(entry))
            continue;
        std::wstring path = directory + entry.cFileName;
        // Searching the link's target under the target's own name lets the visited list recognise
        // a folder reached through a junction as the one it already searched.
        wchar_t resolved[kResolvedPathLength];
        BOOL resolvedOk = state.request->reparsePoints
                              ? ResolveReparsePoints(path.c_str(), resolved, state.request->reparsePoints)
                              : ResolveReparsePoints(path.c_str(), resolved);
        if (!SearchDirectory(state, resolvedOk ? std::wstring(resolved) : path))
            return FALSE;
    } while (FindNextFileW(find.Get(), &entry));
    return TRUE;
}

// FALSE when the search must end.
BOOL SearchDirectory(SearchState& state, std::wstring directory) {
    const FileSearchRequest& request = *state.request;
    if (IsCancelled(request)) {
        state.stopped = TRUE;
        return FALSE;
    }
    if (directory.empty() || directory.back() != L'\\')
        directory += L'\\';
    if (!MarkVisited(state, directory))
        return TRUE;
    for (size_t index = 0; index < request.patternCount; ++index) {
        if (request.patterns[index] && !SearchPattern(state, directory, request.patterns[index]))
            return FALSE;
    }
    return !request.recursive || SearchSubdirectories(state, directory);
}

} // namespace

BOOL SearchFiles(const FileSearchRequest& request, BOOL* stopped) {
    if (stopped)
        *stopped = FALSE;
    if (!request.callback || !request.directory || !request.patterns)
        return FALSE;
    SearchState state;
    state.request = &request;
    SearchDirectory(state, request.directory);
    // The list owns only its nodes: the directory texts go first.
    for (LINK_LIST_NODE* node = state.visited.First(); node; node = node->next)
        delete[] static_cast<wchar_t*>(node->data);
    state.visited.RemoveAllItems();
    if (stopped)
        *stopped = state.stopped;
    return TRUE;
}
