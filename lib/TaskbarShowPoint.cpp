#include "lib/TaskbarShowPoint.h"

#include <shellapi.h>

MenuPlacement PlaceMenuAwayFromTaskbar(POINT cursor, const RECT* taskbar, UINT edge) {
    MenuPlacement placement = {cursor, TRUE};
    if (!taskbar || !PtInRect(taskbar, cursor))
        return placement;
    switch (edge) {
        case ABE_TOP:
            placement.point.y = taskbar->bottom;
            placement.openUpward = FALSE;
            break;
        case ABE_LEFT:
            placement.point.x = taskbar->right;
            placement.openUpward = FALSE;
            break;
        case ABE_RIGHT:
            // A menu that does not fit right of the point is flipped by the system to end at it,
            // which is just left of the taskbar.
            placement.point.x = taskbar->left;
            placement.openUpward = FALSE;
            break;
        default:
            placement.point.y = taskbar->top;
            break;
    }
    return placement;
}

MenuPlacement PlaceMenuAwayFromTaskbar(POINT cursor) {
    APPBARDATA taskbar = {};
    taskbar.cbSize = sizeof(taskbar);
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar))
        return PlaceMenuAwayFromTaskbar(cursor, nullptr, ABE_BOTTOM);
    return PlaceMenuAwayFromTaskbar(cursor, &taskbar.rc, taskbar.uEdge);
}
