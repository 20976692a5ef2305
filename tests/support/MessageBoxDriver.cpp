#include "support/MessageBoxDriver.h"

#include <algorithm>

namespace {

// The static control that carries a message box's text.
const int kMessageTextControlId = 0xFFFF;
const WCHAR kAnsweredProperty[] = L"MessageBoxDriverAnswered";

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (owner == search->processId && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window))
        search->dialogs.push_back(window);
    return TRUE;
}

std::wstring WindowText(HWND window) {
    if (!window)
        return L"";
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, &text[0], length + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

} // namespace

MessageBoxDriver::MessageBoxDriver(std::vector<int> answers, DWORD processId)
    : m_answers(std::move(answers)), m_processId(processId) {
    if (m_answers.empty())
        m_answers.push_back(IDOK);
    InitializeCriticalSection(&m_lock);
    m_thread = std::thread([this] { Watch(); });
}

MessageBoxDriver::~MessageBoxDriver() {
    Finish();
    DeleteCriticalSection(&m_lock);
}

std::vector<MessageBoxDriver::Box> MessageBoxDriver::Finish() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    EnterCriticalSection(&m_lock);
    std::vector<Box> boxes = m_boxes;
    LeaveCriticalSection(&m_lock);
    return boxes;
}

bool MessageBoxDriver::WaitForBoxes(size_t count, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        EnterCriticalSection(&m_lock);
        size_t seen = m_boxes.size();
        LeaveCriticalSection(&m_lock);
        if (seen >= count)
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}

void MessageBoxDriver::Watch() {
    while (!m_stop) {
        DialogSearch search{m_processId, {}};
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
        for (HWND dialog : search.dialogs)
            AnswerOne(dialog);
        Sleep(10);
    }
}

bool MessageBoxDriver::AnswerOne(HWND box) {
    // Marked on the window itself: the next box may get the handle of one that just closed.
    if (GetPropW(box, kAnsweredProperty))
        return false;
    SetPropW(box, kAnsweredProperty, reinterpret_cast<HANDLE>(1));
    Box seen{WindowText(box), WindowText(GetDlgItem(box, kMessageTextControlId))};
    EnterCriticalSection(&m_lock);
    size_t index = m_boxes.size();
    m_boxes.push_back(seen);
    LeaveCriticalSection(&m_lock);

    int button = m_answers[std::min(index, m_answers.size() - 1)];
    HWND buttonWindow = GetDlgItem(box, button);
    // WM_COMMAND is what a click on the button sends; posting it works while the box's owner
    // thread is inside its modal loop.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(buttonWindow));
    return true;
}
