#include "containers/LaunchBarContainerBase.h"

CLaunchBarContainerBase::CLaunchBarContainerBase(HINSTANCE instance, IContainerHost* host)
    : CContainerBase(instance, host) {}

CLaunchBarContainerBase::~CLaunchBarContainerBase() {}

BOOL CLaunchBarContainerBase::BuildContextMenu(CLanguage* language) {
    return BuildMenu(language, FALSE);
}
