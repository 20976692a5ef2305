#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Answers message boxes shown while it is armed. Arm it before calling code that shows
// MessageBoxW: a helper thread watches for dialog boxes ("#32770") of the given process,
// records each one's caption and text, and presses the requested button. Boxes beyond the
// list of answers are answered with the last one, so a run never hangs on an unexpected box.
class MessageBoxDriver {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
    };

    // answers: button identifiers (IDOK, IDYES, IDNO, ...) for the first, second, ... box.
    explicit MessageBoxDriver(std::vector<int> answers = {IDOK}, DWORD processId = GetCurrentProcessId());
    ~MessageBoxDriver();
    MessageBoxDriver(const MessageBoxDriver&) = delete;
    MessageBoxDriver& operator=(const MessageBoxDriver&) = delete;

    // Stops watching and returns every box seen, in the order they appeared.
    std::vector<Box> Finish();
    // Waits until at least count boxes were answered or the timeout passed.
    bool WaitForBoxes(size_t count, DWORD timeoutMs);

private:
    void Watch();
    bool AnswerOne(HWND box);

    std::vector<int> m_answers;
    DWORD m_processId;
    std::atomic<bool> m_stop{false};
    CRITICAL_SECTION m_lock;
    std::vector<Box> m_boxes;
    std::thread m_thread;
};
