#include "lib/HotWindow.h"

#include <set>

namespace {

const LONG kUnset = 0x7FFFFFFF;
const UINT kEnterPeriod = 50;
const UINT kLeavePeriod = 500;

// The hot windows alive now. A WM_TIMER fetched before KillTimer can still be dispatched after
// its object died, so a timer procedure only trusts identifiers found here.
std::set<const CHotWindow*>& LiveHotWindows() {
    static std::set<const CHotWindow*> live;
    return live;
}

} // namespace

CHotWindow::CHotWindow()
    : m_watchedWindow(nullptr),
      m_timerWindow(nullptr), m_hotRect{kUnset, kUnset, kUnset, kUnset}, m_lastCursorPos{kUnset, kUnset},
      m_pEvents(nullptr), m_enterTimerRunning(FALSE), m_leaveTimerRunning(FALSE), m_enterPeriod(kEnterPeriod),
      m_leavePeriod(kLeavePeriod), m_useKeepRect(FALSE), m_keepRect() {
    LiveHotWindows().insert(this);
}

CHotWindow::~CHotWindow() {
    StopWatching();
    LiveHotWindows().erase(this);
}

void CHotWindow::StopWatching() {
    if (m_enterTimerRunning || m_leaveTimerRunning)
        KillTimer(m_timerWindow, reinterpret_cast<UINT_PTR>(this));
    m_enterTimerRunning = FALSE;
    m_leaveTimerRunning = FALSE;
}

BOOL CHotWindow::StartTimer(UINT period, TIMERPROC procedure) {
    StopWatching();
    // SetTimer without a window ignores the identifier and makes up its own, which could then
    // never be killed by ours.
    if (!m_watchedWindow)
        return FALSE;
    if (!SetTimer(m_watchedWindow, reinterpret_cast<UINT_PTR>(this), period, procedure))
        return FALSE;
    m_timerWindow = m_watchedWindow;
    return TRUE;
}

BOOL CHotWindow::WatchForEnter() {
    m_enterTimerRunning = StartTimer(m_enterPeriod, EnterTimerProc);
    return m_enterTimerRunning;
}

BOOL CHotWindow::WatchForLeave() {
    m_leaveTimerRunning = StartTimer(m_leavePeriod, LeaveTimerProc);
    return m_leaveTimerRunning;
}

CHotWindow* CHotWindow::FromTimer(UINT_PTR identifier) {
    auto* hotWindow = reinterpret_cast<CHotWindow*>(identifier);
    return LiveHotWindows().count(hotWindow) ? hotWindow : nullptr;
}

void CALLBACK CHotWindow::EnterTimerProc(HWND, UINT, UINT_PTR identifier, DWORD) {
    if (CHotWindow* hotWindow = FromTimer(identifier))
        hotWindow->OnEnterTick();
}

void CALLBACK CHotWindow::LeaveTimerProc(HWND, UINT, UINT_PTR identifier, DWORD) {
    if (CHotWindow* hotWindow = FromTimer(identifier))
        hotWindow->OnLeaveTick();
}

BOOL CHotWindow::IsResting(POINT cursor) const {
    if (m_lastCursorPos.x == kUnset || m_lastCursorPos.y == kUnset)
        return FALSE;
    // In floating point: a distance to the unset position would overflow 32-bit squares.
    double dx = static_cast<double>(cursor.x) - m_lastCursorPos.x;
    double dy = static_cast<double>(cursor.y) - m_lastCursorPos.y;
    double limit = static_cast<double>(GetSystemMetrics(SM_CXDOUBLECLK)) * GetSystemMetrics(SM_CYDOUBLECLK);
    return dx * dx + dy * dy <= limit;
}

void CHotWindow::OnEnterTick() {
    if (!m_enterTimerRunning)
        return;
    POINT cursor;
    if (!GetCursorPos(&cursor))
        return;
    BOOL entered = PtInRect(&m_hotRect, cursor) && IsResting(cursor);
    m_lastCursorPos = cursor;
    if (!entered)
        return;
    WatchForLeave();
    // Last: the sink may destroy this object.
    if (m_pEvents)
        m_pEvents->OnHotWindowEnter(this, &m_useKeepRect, &m_keepRect);
}

void CHotWindow::OnLeaveTick() {
    if (!m_leaveTimerRunning)
        return;
    POINT cursor;
    if (!GetCursorPos(&cursor))
        return;
    POINT last = m_lastCursorPos;
    m_lastCursorPos = cursor;
    if (m_useKeepRect && (PtInRect(&m_keepRect, cursor) || PtInRect(&m_keepRect, last)))
        return;
    if (PtInRect(&m_hotRect, cursor) || PtInRect(&m_hotRect, last))
        return;
    WatchForEnter();
    if (m_pEvents)
        m_pEvents->OnHotWindowLeave(this);
}
