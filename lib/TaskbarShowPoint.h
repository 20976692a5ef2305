#pragma once
#include <windows.h>

// Where a menu opened by a click at the cursor goes: the point and whether it hangs upward from
// it (its bottom edge at the point).
struct MenuPlacement {
    POINT point;
    BOOL openUpward;
};

// A click on a taskbar button leaves the cursor on the taskbar, and a menu opened there would
// cover the button. Like a jump list, the menu then opens beside the cursor away from the
// taskbar's edge: above a bottom taskbar, below a top one, beside a left or right one. A cursor
// outside the taskbar keeps the menu at the cursor, hanging upward as from a tray icon.
// `edge` is one of the ABE_ values; a null taskbar means there is none.
MenuPlacement PlaceMenuAwayFromTaskbar(POINT cursor, const RECT* taskbar, UINT edge);
// The same for the taskbar the shell reports now.
MenuPlacement PlaceMenuAwayFromTaskbar(POINT cursor);
