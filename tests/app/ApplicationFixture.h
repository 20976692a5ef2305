#pragma once
#include "app/Pathwren.h"
#include "support/TempDirectory.h"

#include <functional>
#include <string>
#include <vector>

class CShellBrowserContainerBase;

// A CPathwren whose program directory is a fresh temporary folder, so each test starts like a
// first start from an unpacked program directory and never touches the real one. The tray icons
// are added to a notification area the fixture plays, not to the shell's.
class ApplicationFixture {
public:
    ApplicationFixture();
    ~ApplicationFixture();

    std::wstring File(const std::wstring& name) const { return m_programDirectory.File(name); }

    // Writes a single-user main file that leaves the Run key alone and, unless empty, the folders file.
    void Configure(const std::wstring& foldersFile);
    // Runs the start-up of the entry point: options, language, folders.
    void Start();
    // Runs the message loop; once the main window exists and no message box of the start-up is
    // open, calls during(mainWindow) from inside the loop (with evenDuringMessageBoxes, as soon
    // as the window exists, possibly from a box's modal loop). A watchdog closes the window
    // after watchdogMs so a broken test cannot hang.
    BOOL RunWhile(const std::function<void(HWND)>& during, bool evenDuringMessageBoxes = false);
    BOOL RunAndClose(bool evenDuringMessageBoxes = false) {
        return RunWhile([](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }, evenDuringMessageBoxes);
    }
    // Plays the steps one per timer tick from inside the loop (and any modal loop in it): a step that
    // returns false runs again at the next tick. Closes the main window after the last; returns
    // how many steps were done, so a run the watchdog ended says where it stuck.
    size_t RunSteps(std::vector<std::function<bool()>> steps, bool evenDuringMessageBoxes = false);
    // The messages with this identifier that were posted to the main window during RunWhile.
    int PostedCount(UINT message) const;
    // Whether the last RunWhile ended only because its watchdog closed the window.
    bool WatchdogFired() const;
    // The item count the folders file on disk declares.
    int SavedItemCount() const;
    // The item's browser window; null while it has none, or when the item shows no browser.
    CShellBrowserContainerBase* Browser(size_t item) const;

    CPathwren application;
    // Whether a request for the options opens the dialog; otherwise it is only counted.
    bool openOptions = false;
    // How long RunWhile lets the loop run before its watchdog closes the main window.
    UINT watchdogMs = 30000;

private:
    BOOL(WINAPI* m_realShellNotifyIcon)(DWORD, PNOTIFYICONDATAW);
    TempDirectory m_programDirectory;
};
