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
