#pragma once
#include <windows.h>
#include <commctrl.h>

// The shell keeps every icon it shows in a few system image lists of fixed sizes (small, large,
// extra large), under one index in all of them. The list whose icons come nearest to the size
// asked for, the smaller of two as near, so that a picture is taken at a size it was drawn for
// and never stretched; iconSize receives that list's size. Null when the shell gives no list.
// The lists belong to the shell: never destroy them.
HIMAGELIST GetNearestSystemImageList(int size, int* iconSize);

// A new icon of the system image lists' picture at the index, from the nearest list.
HICON CreateSystemImageListIcon(int index, int size);

// The system image lists' index of the icon a name of that type shows (a folder's with
// FILE_ATTRIBUTE_DIRECTORY), without reading any file; -1 when the shell has none.
int SystemIconIndexOfType(LPCWSTR name, DWORD attributes);

// Looks up a file type's and a folder's small icon and drops the answers. The shell loads its image
// lists and the icons every folder shows at its first lookup, which costs tens of milliseconds: a
// program that calls this once it has started and is idle takes that off the first menu the user
// opens.
void PreloadShellIcons();
