#pragma once
#include <windows.h>

class CGenericPathwrenObject;
class CLanguage;
class IContainerHost;

// Gives the item the container of its shortcut type; FALSE (after telling the user when its
// folder is missing) leaves the item without one.
BOOL CreateContainerForItem(CGenericPathwrenObject* item, IContainerHost* host, HINSTANCE instance, HICON defaultIcon,
                            CLanguage* language);

// Windows XP exactly (5.1): its shell views need the XP browser containers.
BOOL IsWindowsXP();
