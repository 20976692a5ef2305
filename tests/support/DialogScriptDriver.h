#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Plays a script against the dialogs a process shows (this one unless told otherwise): a message box is answered with
// a button; a file dialog gets a file name typed into it, a colour dialog the red, green and blue of a colour, a folder
// browser a folder selected, and OK is pressed. A helper thread watches for the process's dialogs, so that one whose
// modal loop runs inside a call of the test's thread is answered while that call waits, and records each one it
// handled. A dialog past the end of the script, or of another kind than it expects, is declined (No, Cancel, or OK when
// it is the only button) so that a run never hangs on it; the record shows what happened.
class DialogScriptDriver {
public:
    enum class Kind { MessageBox, SaveFile, Colour, Folder };
    struct Step {
        Kind kind;
        int button;            // message box: the button to press
        std::wstring fileName; // save dialog: the full path to type; folder browser: the folder
        COLORREF colour;       // colour dialog: the colour to type
    };
    struct Dialog {
        Kind kind;
        std::wstring caption;
        std::wstring text; // the message of a box; for a save dialog, the file name it proposed
    };

    static Step Press(int button) { return Step{Kind::MessageBox, button, L"", 0}; }
    static Step SaveAs(const std::wstring& fileName) { return Step{Kind::SaveFile, IDOK, fileName, 0}; }
    static Step ChooseColour(COLORREF colour) { return Step{Kind::Colour, IDOK, L"", colour}; }
    static Step ChooseFolder(const std::wstring& folder) { return Step{Kind::Folder, IDOK, folder, 0}; }

    // Dialogs in alreadyOpen (one the test itself drives) are left alone.
    explicit DialogScriptDriver(std::vector<Step> script = {}, DWORD processId = GetCurrentProcessId(),
                                std::vector<HWND> alreadyOpen = {});
    ~DialogScriptDriver() { Finish(); }
    DialogScriptDriver(const DialogScriptDriver&) = delete;
    DialogScriptDriver& operator=(const DialogScriptDriver&) = delete;

    // Stops watching and returns every dialog handled, in order.
    std::vector<Dialog> Finish();

private:
    void Handle(HWND dialog);

    std::vector<Step> m_script;
    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<Dialog> m_dialogs;
    std::vector<HWND> m_handled;
    std::thread m_thread;
};

// The text of the item selected in a folder browser's tree; empty when none is.
std::wstring SelectedTreeText(HWND dialog);

// A short, readable description of a recorded dialog sequence for failure messages.
std::wstring DescribeDialogs(const std::vector<DialogScriptDriver::Dialog>& dialogs);
