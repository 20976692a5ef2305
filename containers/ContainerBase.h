#pragma once
#include <windows.h>

// What the application sees of an item's presentation. The tray icon, the context menu and
// the presentation-specific operations join this class as their subsystems arrive; for now
// a folder item only needs to release its container.
class CContainerBase {
public:
    virtual ~CContainerBase() {}
    // Ends the container; the object is gone afterwards.
    virtual void Destroy() { delete this; }
};
