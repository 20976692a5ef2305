#pragma once
#include <windows.h>

BOOL IsExistingDirectory(LPCWSTR path);
BOOL IsExistingFile(LPCWSTR path); // a file, not a directory
