#include "support/DialogScriptDriver.h"

#include <algorithm>

namespace {

// The static control that carries a message box's text.
const int kMessageTextControlId = 0xFFFF;
// The file name box of the common file dialogs: a combo box (cmb13) or, in older templates, an
// edit (edt1).
const int kFileNameComboId = 0x47C;
const int kFileNameEditId = 0x480;
// Messages to the other process wait for it to answer. Not SMTO_ABORTIFHUNG: a process that just
// spent seconds writing a dump counts as hung until its next dialog pumps messages.
const UINT kCrossProcessTimeoutMs = 10000;

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

bool IsFileNameEdit(HWND window) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (_wcsicmp(className, L"Edit") != 0)
        return false;
    for (HWND control = window; control; control = GetParent(control)) {
        int id = GetDlgCtrlID(control);
        if (id == kFileNameComboId || id == kFileNameEditId)
            return true;
        if (GetWindow(control, GW_OWNER) || !(GetWindowLongW(control, GWL_STYLE) & WS_CHILD))
            break;
    }
    return false;
}

BOOL CALLBACK FindFileNameEdit(HWND window, LPARAM found) {
    if (!IsFileNameEdit(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FileNameEditOf(HWND dialog) {
    HWND edit = nullptr;
    EnumChildWindows(dialog, FindFileNameEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

// Text of a window of another process: WM_GETTEXT is marshalled across processes, while
// GetWindowText would only see the caption stored with the window, never an edit's content.
std::wstring TextOf(HWND window) {
    if (!window)
        return L"";
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kCrossProcessTimeoutMs,
                        &copied);
    return text;
}

void PressButton(HWND dialog, int button) {
    // WM_COMMAND is what a click on the button sends; posting it works while the dialog's
    // thread is inside its modal loop.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

void Decline(HWND dialog, DialogScriptDriver::Kind kind) {
    if (kind == DialogScriptDriver::Kind::MessageBox && GetDlgItem(dialog, IDNO))
        PressButton(dialog, IDNO);
    else
        PressButton(dialog, GetDlgItem(dialog, IDCANCEL) ? IDCANCEL : IDOK);
}

} // namespace

DialogScriptDriver::Step DialogScriptDriver::Press(int button) {
    return Step{Kind::MessageBox, button, L""};
}

DialogScriptDriver::Step DialogScriptDriver::SaveAs(const std::wstring& fileName) {
    return Step{Kind::SaveFile, IDOK, fileName};
}

DialogScriptDriver::DialogScriptDriver(std::vector<Step> script, DWORD processId)
    : m_script(std::move(script)), m_processId(processId) {
    InitializeCriticalSection(&m_lock);
    m_thread = std::thread([this] { Watch(); });
}

DialogScriptDriver::~DialogScriptDriver() {
    Finish();
    DeleteCriticalSection(&m_lock);
}

std::vector<DialogScriptDriver::Dialog> DialogScriptDriver::Finish() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    EnterCriticalSection(&m_lock);
    std::vector<Dialog> dialogs = m_dialogs;
    LeaveCriticalSection(&m_lock);
    return dialogs;
}

void DialogScriptDriver::Watch() {
    while (!m_stop) {
        DialogSearch search{m_processId, {}};
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
        for (HWND dialog : search.dialogs) {
            // A handled dialog may still be closing; its handle is only reused once it is gone.
            if (std::find(m_handled.begin(), m_handled.end(), dialog) == m_handled.end() || !IsWindow(dialog))
                Handle(dialog);
        }
        Sleep(10);
    }
}

void DialogScriptDriver::Handle(HWND dialog) {
    HWND fileNameEdit = FileNameEditOf(dialog);
    Kind kind = fileNameEdit ? Kind::SaveFile : Kind::MessageBox;
    Dialog seen{kind, TextOf(dialog), TextOf(fileNameEdit ? fileNameEdit : GetDlgItem(dialog, kMessageTextControlId))};
    m_handled.erase(std::remove(m_handled.begin(), m_handled.end(), dialog), m_handled.end());
    m_handled.push_back(dialog);

    EnterCriticalSection(&m_lock);
    size_t index = m_dialogs.size();
    m_dialogs.push_back(seen);
    LeaveCriticalSection(&m_lock);

    if (index >= m_script.size() || m_script[index].kind != kind) {
        Decline(dialog, kind);
        return;
    }
    const Step& step = m_script[index];
    if (kind == Kind::SaveFile) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(fileNameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.fileName.c_str()), SMTO_NORMAL,
                            kCrossProcessTimeoutMs, &ignored);
    }
    PressButton(dialog, step.button);
}

std::wstring DescribeDialogs(const std::vector<DialogScriptDriver::Dialog>& dialogs) {
    std::wstring description;
    for (const DialogScriptDriver::Dialog& dialog : dialogs) {
        description += dialog.kind == DialogScriptDriver::Kind::SaveFile ? L"[save dialog " : L"[box ";
        description += L"\"" + dialog.caption + L"\": \"" + dialog.text + L"\"] ";
    }
    return description.empty() ? L"(no dialogs)" : description;
}
