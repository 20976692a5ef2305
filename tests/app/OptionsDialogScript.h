#pragma once
#include "ApplicationFixture.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

// The dialog runs its own modal loop inside the application's; the fixture's step timer reaches it there.
struct DialogScript {
    // Once the start-up is over (its boxes answered), before the options open.
    std::function<void()> afterStart;
    std::function<void(HWND dialog)> inDialog;
    // Played one per timer tick after inDialog, so that the dialog handles the input in between.
    std::vector<std::function<void(HWND dialog)>> laterSteps;
    std::function<void()> afterDialog;
};

// Three Menu items of folders A, B and C: the tree lists them newest first.
const WCHAR kThreeMenuItems[] = L"[Default]\r\nFolders=3\r\n[Folders_0]\r\nPath=A\r\nFolderPresentationType=2\r\n"
                                L"[Folders_1]\r\nPath=B\r\nFolderPresentationType=2\r\n"
                                L"[Folders_2]\r\nPath=C\r\nFolderPresentationType=2\r\n";

std::wstring WindowText(HWND window);
// A dialog of this process by its title; null when none is open.
HWND FindDialogTitled(const std::wstring& title, bool visibleOnly = true);
HWND FindOptionsDialog();
// Runs the program on the configuration, opens the options and plays the script; whether it ended.
bool RunOptions(ApplicationFixture& fixture, DialogScript& script);
// The page at a path of child indexes from the root: {1, 0, 2} is the first item's third page.
HTREEITEM Page(HWND dialog, const std::vector<int>& path);
void Select(HWND dialog, const std::vector<int>& path);
std::wstring NodeText(HWND dialog, const std::vector<int>& path);
std::wstring Text(HWND dialog, int control);
// The child's rectangle in the dialog's client coordinates.
RECT ChildRect(HWND dialog, HWND child);
bool Shown(HWND dialog, int control);
bool Enabled(HWND dialog, int control);
void Click(HWND dialog, int control);
// Selects the entry and tells the dialog, as a choice with the mouse would.
void Pick(HWND dialog, int control, int index);
void Type(HWND dialog, int control, LPCWSTR text);
