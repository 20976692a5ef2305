#pragma once
#include <windows.h>

// The first file of a folder listing, as FindFirstFileExW with the basic information and large
// fetches; the pattern is the folder with "\*" appended. Close the handle with FindClose.
HANDLE OpenFolderListing(LPCWSTR pattern, WIN32_FIND_DATAW* found);

// Makes every listing of the folder (the path without the "\*") that starts from now on take this
// long before it begins, as a folder on a slow disk or server does; 0 ends the delay, also for
// listings waiting in it. No folder is delayed unless one is set here, which only tests do.
void SetFolderListingDelay(LPCWSTR folder, DWORD milliseconds);
