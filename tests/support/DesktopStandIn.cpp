#include "support/DesktopStandIn.h"

#include "browser/DesktopListView.h"
#include "support/MessagePump.h"
#include "support/SourceTree.h"

#include <commctrl.h>

namespace {

bool SendCommand(HWND listView, ULONG_PTR command, const std::wstring& text) {
    COPYDATASTRUCT data = {command, static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                           const_cast<wchar_t*>(text.c_str())};
    return SendMessageW(GetAncestor(listView, GA_ROOT), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

std::wstring Place(const std::wstring& name, int x, int y) {
    return name + L"|" + std::to_wstring(x) + L"|" + std::to_wstring(y);
}

// The desktop list view once the stand-in process has built it and filled in at least the given
// number of items (it fills the list view last); null after 15 seconds.
HWND WaitForDesktopListView(DWORD processId, int items) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(20)) {
        HWND found = FindDesktopListView();
        DWORD owner = 0;
        if (found && GetWindowThreadProcessId(found, &owner) && owner == processId &&
            ListView_GetItemCount(found) >= items)
            return found;
    }
    return nullptr;
}

// Asks the stand-in to end: its top window and, in the WorkerW layout, the Progman beside it.
void CloseDesktopStandIn(HWND listView) {
    HWND top = GetAncestor(listView, GA_ROOT);
    PostMessageW(top, WM_CLOSE, 0, 0);
    HWND progman = FindWindowW(L"Progman", L"Program Manager");
    if (progman && progman != top)
        PostMessageW(progman, WM_CLOSE, 0, 0);
}

} // namespace

// The build puts the stand-in for Explorer's desktop beside tests/.
DesktopStandIn::DesktopStandIn(const std::wstring& arguments, int items)
    : m_process(L"\"" + BesideTestProgram(L"..\\DesktopStandIn.exe") + L"\" " + arguments) {
    if (!m_process.Started())
        return;
    m_process.Resume();
    m_listView = WaitForDesktopListView(m_process.Id(), items);
}

DesktopStandIn::~DesktopStandIn() {
    if (m_listView && !m_closed)
        CloseDesktopStandIn(m_listView);
}

bool DesktopStandIn::Close(bool pumping) {
    if (!m_listView)
        return false;
    CloseDesktopStandIn(m_listView);
    m_closed = true;
    const DWORD limitMs = 10000;
    return pumping ? PumpMessagesUntil([this] { return m_process.Ended(); }, limitMs) : m_process.Wait(limitMs);
}

bool AddDesktopIcon(HWND listView, const std::wstring& name, int x, int y) {
    return SendCommand(listView, 1, Place(name, x, y));
}

bool MoveDesktopIcon(HWND listView, const std::wstring& name, int x, int y) {
    return SendCommand(listView, 3, Place(name, x, y));
}

LONG DesktopIconPositionReads(HWND listView) {
    return static_cast<LONG>(SendMessageW(GetAncestor(listView, GA_ROOT), WM_APP, 0, 0));
}

bool HangDesktopStandIn(HWND listView, DWORD milliseconds) {
    return SendCommand(listView, 5, std::to_wstring(milliseconds));
}

bool ClaimDesktopIconCount(HWND listView, long long count) {
    return SendCommand(listView, 6, std::to_wstring(count));
}
