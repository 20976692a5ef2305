#include "support/DialogScriptDriver.h"

#include "support/WindowSearch.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

namespace {

// The static control that carries a message box's text.
const int kMessageTextControlId = 0xFFFF;
// The file name box of the common file dialogs: a combo box (cmb13) or, in older templates, an
// edit (edt1).
const int kFileNameComboId = 0x47C;
const int kFileNameEditId = 0x480;
// The red, green and blue edits of the full colour dialog.
const int kColourEditIds[] = {706, 707, 708};
// Messages to the other process wait for it to answer. Not SMTO_ABORTIFHUNG: a process that just
// spent seconds writing a dump counts as hung until its next dialog pumps messages.
const UINT kCrossProcessTimeoutMs = 10000;

BOOL CALLBACK FindFileNameEdit(HWND window, LPARAM found) {
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (_wcsicmp(className, L"Edit") != 0)
        return TRUE;
    for (HWND control = window; control; control = GetParent(control)) {
        int id = GetDlgCtrlID(control);
        if (id == kFileNameComboId || id == kFileNameEditId) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        if (GetWindow(control, GW_OWNER) || !(GetWindowLongW(control, GWL_STYLE) & WS_CHILD))
            break;
    }
    return TRUE;
}

// Text of a window of another process: WM_GETTEXT is marshalled across processes, while
// GetWindowText would only see the caption stored with the window, never an edit's content.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    if (window)
        SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                            kCrossProcessTimeoutMs, &copied);
    return text;
}

void PressButton(HWND dialog, int button) {
    // WM_COMMAND is what a click on the button sends; posting it works while the dialog's
    // thread is inside its modal loop.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

std::wstring ItemText(HWND tree, HTREEITEM node) {
    wchar_t text[MAX_PATH] = L"";
    TVITEMW item = {TVIF_TEXT, node, 0, 0, text, MAX_PATH, 0, 0, 0, 0};
    if (node)
        TreeView_GetItem(tree, &item);
    return text;
}

// The browser selects its own start folder once its tree is filled, and a choice made before that
// is lost; under Wine a BFFM_SETSELECTION sent while its own is under way is ignored too. So wait
// for the start folder, choose, and where that did not take, click the folder's node among the
// start folder's siblings as a user would.
void SelectFolder(HWND dialog, const std::wstring& folder) {
    HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
    for (DWORD start = GetTickCount(); SelectedTreeText(dialog).empty() && GetTickCount() - start < 10000;)
        Sleep(20);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()), SMTO_NORMAL,
                        kCrossProcessTimeoutMs, &ignored);
    const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
    HTREEITEM selected = TreeView_GetSelection(tree);
    if (!selected || ItemText(tree, selected) == name)
        return;
    for (HTREEITEM node = TreeView_GetChild(tree, TreeView_GetParent(tree, selected)); node;
         node = TreeView_GetNextSibling(tree, node))
        if (ItemText(tree, node) == name)
            TreeView_SelectItem(tree, node);
}

} // namespace

DialogScriptDriver::DialogScriptDriver(std::vector<Step> script, DWORD processId, std::vector<HWND> alreadyOpen)
    : m_script(std::move(script)), m_processId(processId), m_handled(std::move(alreadyOpen)) {
    m_thread = std::thread([this] {
        for (; !m_stop; Sleep(10)) {
            // A handled dialog may still be closing after its button was pressed.
            for (HWND dialog : WindowsOfClass(L"#32770", m_processId))
                if (std::find(m_handled.begin(), m_handled.end(), dialog) == m_handled.end())
                    Handle(dialog);
        }
    });
}

std::vector<DialogScriptDriver::Dialog> DialogScriptDriver::Finish() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard<std::mutex> lock(m_lock);
    return m_dialogs;
}

void DialogScriptDriver::Handle(HWND dialog) {
    HWND fileNameEdit = nullptr;
    EnumChildWindows(dialog, FindFileNameEdit, reinterpret_cast<LPARAM>(&fileNameEdit));
    Kind kind = fileNameEdit                                            ? Kind::SaveFile
                : GetDlgItem(dialog, kColourEditIds[0])                 ? Kind::Colour
                : FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr) ? Kind::Folder
                                                                        : Kind::MessageBox;
    Dialog seen{kind, TextOf(dialog), TextOf(fileNameEdit ? fileNameEdit : GetDlgItem(dialog, kMessageTextControlId))};
    m_handled.push_back(dialog);
    size_t index = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        index = m_dialogs.size();
        m_dialogs.push_back(seen);
    }
    if (index >= m_script.size() || m_script[index].kind != kind) {
        if (kind == Kind::MessageBox && GetDlgItem(dialog, IDNO))
            PressButton(dialog, IDNO);
        else
            PressButton(dialog, GetDlgItem(dialog, IDCANCEL) ? IDCANCEL : IDOK);
        return;
    }
    DWORD_PTR ignored = 0;
    if (kind == Kind::SaveFile)
        SendMessageTimeoutW(fileNameEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_script[index].fileName.c_str()),
                            SMTO_NORMAL, kCrossProcessTimeoutMs, &ignored);
    if (kind == Kind::Folder)
        SelectFolder(dialog, m_script[index].fileName);
    const COLORREF colour = m_script[index].colour;
    const BYTE channels[] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    for (int channel = 0; kind == Kind::Colour && channel < 3; ++channel) {
        std::wstring text = std::to_wstring(channels[channel]);
        SendMessageTimeoutW(GetDlgItem(dialog, kColourEditIds[channel]), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kCrossProcessTimeoutMs, &ignored);
    }
    PressButton(dialog, m_script[index].button);
}

std::wstring SelectedTreeText(HWND dialog) {
    HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
    return tree ? ItemText(tree, TreeView_GetSelection(tree)) : L"";
}

std::wstring DescribeDialogs(const std::vector<DialogScriptDriver::Dialog>& dialogs) {
    std::wstring description;
    for (const DialogScriptDriver::Dialog& dialog : dialogs) {
        description += dialog.kind == DialogScriptDriver::Kind::SaveFile ? L"[save dialog "
                       : dialog.kind == DialogScriptDriver::Kind::Colour ? L"[colour dialog "
                       : dialog.kind == DialogScriptDriver::Kind::Folder ? L"[folder browser "
                                                                         : L"[box ";
        description += L"\"" + dialog.caption + L"\": \"" + dialog.text + L"\"] ";
    }
    return description.empty() ? L"(no dialogs)" : description;
}
