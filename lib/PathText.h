#pragma once
#include <windows.h>

// The text after the last "\" or "/", or the whole text.
LPCWSTR FindLastComponent(LPCWSTR path);
// The text after the last "." of the last component; the terminator when there is none.
LPCWSTR FindExtension(LPCWSTR path);
// Whether the last component's extension is the given one (without the dot), in any case.
BOOL HasExtension(LPCWSTR path, LPCWSTR extension);
