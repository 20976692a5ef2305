#include "containers/LaunchBarContainerBase.h"

CLaunchBarContainerBase::CLaunchBarContainerBase(HINSTANCE instance, CPathwren* application)
    : CContainerBase(instance, application) {}

CLaunchBarContainerBase::~CLaunchBarContainerBase() {}

BOOL CLaunchBarContainerBase::BuildContextMenu(CLanguage* language) {
    return BuildMenu(language, FALSE);
}
