#pragma once
#include <windows.h>

class CHotWindow;

// What a hot area reports. Both are called from a timer of the watched window's thread.
class IHotWindowEvents {
public:
    // The cursor came to rest in the hot rectangle. The sink may ask that the area count as
    // entered while the cursor stays in a larger keep rectangle (the bar it shows, say).
    virtual void OnHotWindowEnter(CHotWindow* hotWindow, BOOL* useKeepRect, RECT* keepRect) = 0;
    // The cursor has been outside the hot (and keep) rectangle for two leave ticks.
    virtual void OnHotWindowLeave(CHotWindow* hotWindow) = 0;
    virtual ~IHotWindowEvents() {}
};

class CHotWindowEventsBase : public IHotWindowEvents {
public:
    void OnHotWindowEnter(CHotWindow*, BOOL*, RECT*) override {}
    void OnHotWindowLeave(CHotWindow*) override {}
};

// A screen rectangle watched by polling the cursor with timers of a window: a fast timer waits
// for the cursor to rest in it, a slow one for the cursor to be gone. Only one runs at a time.
// The owner sets the watched window, the rectangle and the sink, then calls WatchForEnter.
class CHotWindow {
public:
    CHotWindow();
    // Kills the running timer.
    virtual ~CHotWindow();
    CHotWindow(const CHotWindow&) = delete;
    CHotWindow& operator=(const CHotWindow&) = delete;

    // Each stops whichever timer runs and starts its own; FALSE when no timer could be set.
    BOOL WatchForEnter();
    BOOL WatchForLeave();
    // Stops watching, for an owner that must stay shown through something modal; it calls
    // WatchForLeave again afterwards.
    void StopWatching();

    HWND GetWatchedWindow() const { return m_watchedWindow; }
    void SetWatchedWindow(HWND window) { m_watchedWindow = window; }
    const RECT& GetHotRect() const { return m_hotRect; }
    void SetHotRect(const RECT& rect) { m_hotRect = rect; }
    void SetEvents(IHotWindowEvents* events) { m_pEvents = events; }
    BOOL IsWatchingForEnter() const { return m_enterTimerRunning; }
    BOOL IsWatchingForLeave() const { return m_leaveTimerRunning; }

private:
    BOOL StartTimer(UINT period, TIMERPROC procedure);
    static CHotWindow* FromTimer(UINT_PTR identifier);
    static void CALLBACK EnterTimerProc(HWND window, UINT message, UINT_PTR identifier, DWORD time);
    static void CALLBACK LeaveTimerProc(HWND window, UINT message, UINT_PTR identifier, DWORD time);
    void OnEnterTick();
    void OnLeaveTick();
    BOOL IsResting(POINT cursor) const;

    HWND m_watchedWindow;
    HWND m_timerWindow;
    RECT m_hotRect;
    POINT m_lastCursorPos;
    IHotWindowEvents* m_pEvents;
    BOOL m_enterTimerRunning;
    BOOL m_leaveTimerRunning;
    UINT m_enterPeriod;
    UINT m_leavePeriod;
    BOOL m_useKeepRect;
    RECT m_keepRect;
};
