#pragma once
#include <windows.h>

// Path text helpers of the folder menu. Paths live in buffers of kPathBufferLength characters and
// are cut to kMaxPathLength characters when copied.
const size_t kPathBufferLength = MAX_PATH;
const size_t kMaxPathLength = MAX_PATH - 1;

// Copies at most kMaxPathLength characters and terminates; returns the length copied.
size_t CopyPathCut(LPWSTR destination, LPCWSTR source);
// Copies the folder (cut like CopyPathCut) and ends it with one "\"; returns the length.
size_t CopyFolderWithBackslash(LPWSTR destination, LPCWSTR folder);

// The text after the last "\" or "/", or the whole text.
LPCWSTR FindLastComponent(LPCWSTR path);
// The text after the last "." of the last component; the terminator when there is none.
LPCWSTR FindExtension(LPCWSTR path);

BOOL IsShortcutExtension(LPCWSTR extension);
BOOL IsLibraryExtension(LPCWSTR extension);
BOOL IsDotOrDotDot(LPCWSTR name);
BOOL IsExistingDirectory(LPCWSTR path);
