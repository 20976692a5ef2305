#pragma once
#include <windows.h>

#include "lib/FileSystem.h"
#include "lib/PathText.h"

// Path text helpers of the folder menu. Paths live in buffers of kPathBufferLength characters and
// are cut to kMaxPathLength characters when copied.
const size_t kPathBufferLength = MAX_PATH;
const size_t kMaxPathLength = MAX_PATH - 1;

// Copies at most kMaxPathLength characters and terminates; returns the length copied.
size_t CopyPathCut(LPWSTR destination, LPCWSTR source);
// Copies the folder (cut like CopyPathCut) and ends it with one "\"; returns the length.
size_t CopyFolderWithBackslash(LPWSTR destination, LPCWSTR folder);

BOOL IsShortcutExtension(LPCWSTR extension);
BOOL IsLibraryExtension(LPCWSTR extension);
BOOL IsDotOrDotDot(LPCWSTR name);
