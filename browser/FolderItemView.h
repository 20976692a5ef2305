#pragma once
#include <windows.h>

#include <shobjidl.h>

#include "browser/ShellBrowserEx.h"
#include "config/SingleFolderOptions.h"

// The folder settings a view of the item starts with: the shell's view mode nearest to the item's
// own index, without the web view.
FOLDERSETTINGS FolderSettingsOfItem(const CSingleFolderOptions& item);

// Gives a folder view every look and filter setting of a folder item: filters, navigation, one
// click, colours and background. A relative background picture is taken from the program's
// directory. The owner sets the callbacks and navigates.
void ApplyFolderItemView(CShellBrowserEx& browser, const CSingleFolderOptions& item);
