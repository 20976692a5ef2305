#pragma once
#include <windows.h>
#include <shlobj.h>

#include "lib/ComPtr.h"

// The shell's own context menu for one path, filled into a popup menu the caller owns and tracked
// for the caller's window. While it is tracked, the window's menu messages go to the shell's
// handler so that owner-drawn submenus ("Send to", "Open with") fill and draw.
class CShellContextMenu {
public:
    static constexpr UINT kFirstCommandId = 0xF000;
    static constexpr UINT kLastCommandId = 0xFFFF;

    CShellContextMenu(HWND owner, HMENU menu);
    CShellContextMenu(const CShellContextMenu&) = delete;
    CShellContextMenu& operator=(const CShellContextMenu&) = delete;

    HRESULT Fill(LPCWSTR path);
    // Shows the filled menu at (x, y) and runs the chosen command. TRUE when a command was chosen.
    BOOL Track(int x, int y);

private:
    static LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR subclassId, DWORD_PTR referenceData);
    LRESULT HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL HoldsMenu(HMENU menu) const;
    void Invoke(UINT commandId);

    HWND m_hOwner;
    HMENU m_hMenu; // the caller's
    CComPtr<IContextMenu> m_contextMenu;
    CComPtr<IContextMenu2> m_contextMenu2;
    CComPtr<IContextMenu3> m_contextMenu3;
};
