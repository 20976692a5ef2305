#pragma once
#include <windows.h>

class IReparsePointSource;

// Receives each match: the directory searched (ending with "\") and the entry found. FALSE ends the
// whole search.
typedef BOOL (*FileSearchCallback)(LPCWSTR directory, const WIN32_FIND_DATAW* entry, void* userData);

struct FileSearchRequest {
    LPCWSTR directory;
    const LPCWSTR* patterns; // wildcard patterns such as "*.ini"
    size_t patternCount;
    BOOL recursive;
    HANDLE cancelEvent; // optional: the search ends as soon as it is signalled
    FileSearchCallback callback;
    void* userData;
    // Resolves junctions and links on the subdirectories; null means the real file system.
    IReparsePointSource* reparsePoints;
};

// Hands every entry matching one of the patterns to the callback, the subdirectories too when
// recursive. A directory reached a second time (through a junction or a link, in any letter case)
// is searched only once, so a link to an ancestor cannot make the search loop. TRUE when the
// search ran; stopped tells whether the callback or the cancel event ended it early.
BOOL SearchFiles(const FileSearchRequest& request, BOOL* stopped);
