#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Plays a script against the dialogs another process shows: a message box is answered with a
// button, a save-file dialog gets a file name typed into it and Save pressed. A helper thread
// watches for the process's dialog windows ("#32770") and records each one it handled. A dialog
// past the end of the script, or of another kind than the script expects, is declined (No,
// Cancel) so that a run never hangs on it; the record shows what happened.
class DialogScriptDriver {
public:
    enum class Kind { MessageBox, SaveFile };

    struct Step {
        Kind kind;
        int button;            // message box: the button to press
        std::wstring fileName; // save dialog: the full path to type
    };

    struct Dialog {
        Kind kind;
        std::wstring caption;
        // The message of a box; for a save dialog, the file name it proposed.
        std::wstring text;
    };

    static Step Press(int button);
    static Step SaveAs(const std::wstring& fileName);

    DialogScriptDriver(std::vector<Step> script, DWORD processId);
    ~DialogScriptDriver();
    DialogScriptDriver(const DialogScriptDriver&) = delete;
    DialogScriptDriver& operator=(const DialogScriptDriver&) = delete;

    // Stops watching and returns every dialog handled, in order.
    std::vector<Dialog> Finish();

private:
    void Watch();
    void Handle(HWND dialog);

    std::vector<Step> m_script;
    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    CRITICAL_SECTION m_lock;
    std::vector<Dialog> m_dialogs;
    std::vector<HWND> m_handled;
    std::thread m_thread;
};

// A short, readable description of a recorded dialog sequence for failure messages.
std::wstring DescribeDialogs(const std::vector<DialogScriptDriver::Dialog>& dialogs);
