#pragma once
#include "containers/ContainerBase.h"

// The launch bar itself as a container: the menu of the bar's background, which has no item to
// show and so no Show entry.
class CLaunchBarContainerBase : public CContainerBase {
public:
    CLaunchBarContainerBase(HINSTANCE instance, IContainerHost* host);
    ~CLaunchBarContainerBase() override;

    BOOL BuildContextMenu(CLanguage* language) override;
    BOOL SaveState() override { return TRUE; }
};
