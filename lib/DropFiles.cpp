#include "lib/DropFiles.h"

void HandleDropFiles(const DropFilesContext* context, HDROP drop) {
    POINT point = {0, 0};
    DragQueryPoint(drop, &point);
    ClientToScreen(context->window, &point);
    HWND windowUnderPoint = WindowFromPoint(point);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count && context->callback; ++index) {
        WCHAR path[MAX_PATH];
        if (DragQueryFileW(drop, index, path, MAX_PATH))
            context->callback(windowUnderPoint, path, index, context->userValue);
    }
    DragFinish(drop);
}
