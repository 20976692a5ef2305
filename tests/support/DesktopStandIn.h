#pragma once
#include "support/ChildProcess.h"

#include <windows.h>

#include <string>

// One stand-in desktop for a test: started with a layout and its icons ("progman",
// "workerw Alpha 20 20 Beta 640 480") and waited for until its list view holds `items` of them.
// Whatever still runs at the end goes with the process's job.
class DesktopStandIn {
public:
    explicit DesktopStandIn(const std::wstring& arguments = L"progman", int items = 0);
    ~DesktopStandIn();
    DesktopStandIn(const DesktopStandIn&) = delete;
    DesktopStandIn& operator=(const DesktopStandIn&) = delete;

    // Null when the stand-in did not come up in time.
    HWND ListView() const { return m_listView; }
    DWORD Id() const { return m_process.Id(); }
    DWORD ExitCode() const { return m_process.ExitCode(); }
    // Asks it to end and waits. Its windows die only once this thread has destroyed its own
    // windows inside them, so by default this thread's messages are pumped meanwhile; without
    // pumping, an end in time shows those windows were already gone.
    bool Close(bool pumping = true);

private:
    ChildProcess m_process;
    HWND m_listView = nullptr;
    bool m_closed = false;
};

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
