#pragma once
#include <windows.h>

#include <string>

// The stand-in for Explorer's desktop that the build puts beside tests/.
std::wstring DesktopStandInPath();

// The desktop list view once the stand-in process has built it and filled in at least the given
// number of items (it fills the list view last); null after 15 seconds.
HWND WaitForDesktopListView(DWORD processId, int items = 0);

// Asks the stand-in to end: its top window and, in the WorkerW layout, the Progman beside it.
void CloseDesktopStandIn(HWND listView);

// Commands to the stand-in's desktop, as a user would change Explorer's (it also renames, command
// 2, and removes, command 4): false when the item named is not there.
bool AddDesktopIcon(HWND listView, const std::wstring& name, int x, int y);
bool MoveDesktopIcon(HWND listView, const std::wstring& name, int x, int y);
// At the next question for an item's place the stand-in stops answering anything for the time
// given, as a hung Explorer, and then writes the answer where the question asked.
bool HangDesktopStandIn(HWND listView, DWORD milliseconds);
// From now on the stand-in's list view reports this many items, whatever it holds.
bool ClaimDesktopIconCount(HWND listView, long long count);
// How often the stand-in's list view was asked for an item's place since it started.
LONG DesktopIconPositionReads(HWND listView);
