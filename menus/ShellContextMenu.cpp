#include "menus/ShellContextMenu.h"

#include "lib/IdList.h"
#include "lib/MenuTree.h"
#include "lib/WindowSubclass.h"

#include <commctrl.h>

namespace {

const UINT_PTR kContextMenuSubclassId = 0;

} // namespace

CShellContextMenu::CShellContextMenu(HWND owner, HMENU menu) : m_hOwner(owner), m_hMenu(menu) {}

HRESULT CShellContextMenu::Fill(LPCWSTR path) {
    CIdList idList;
    HRESULT hr = SHParseDisplayName(path, nullptr, idList.Receive(), 0, nullptr);
    if (FAILED(hr))
        return hr;
    CComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    hr = SHBindToParent(idList.Get(), IID_PPV_ARGS(&parent), &child);
    if (FAILED(hr))
        return hr;
    hr = parent->GetUIObjectOf(m_hOwner, 1, &child, IID_IContextMenu, nullptr,
                               reinterpret_cast<void**>(m_contextMenu.ReleaseAndGetAddressOf()));
    if (FAILED(hr))
        return hr;
    if (FAILED(m_contextMenu.As(&m_contextMenu3)))
        m_contextMenu.As(&m_contextMenu2);
    return m_contextMenu->QueryContextMenu(m_hMenu, 0, kFirstCommandId, kLastCommandId, CMF_NORMAL);
}

BOOL CShellContextMenu::Track(int x, int y) {
    if (!m_contextMenu)
        return FALSE;
    CWindowSubclass ownerHook;
    if (!ownerHook.Install(m_hOwner, OwnerWindowProc, kContextMenuSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return FALSE;
    SetLastError(ERROR_SUCCESS);
    UINT chosen = static_cast<UINT>(TrackPopupMenuEx(m_hMenu, TPM_RETURNCMD, x, y, m_hOwner, nullptr));
    // Opened from inside another menu, which is what a right click in a folder menu does.
    if (!chosen && GetLastError() == ERROR_POPUP_ALREADY_ACTIVE)
        chosen = static_cast<UINT>(TrackPopupMenuEx(m_hMenu, TPM_RETURNCMD | TPM_RECURSE, x, y, m_hOwner, nullptr));
    ownerHook.Remove();
    if (chosen < kFirstCommandId || chosen > kLastCommandId)
        return FALSE;
    Invoke(chosen);
    return TRUE;
}

void CShellContextMenu::Invoke(UINT commandId) {
    CMINVOKECOMMANDINFO invoke = {};
    invoke.cbSize = sizeof(invoke);
    invoke.hwnd = m_hOwner;
    invoke.lpVerb = MAKEINTRESOURCEA(commandId - kFirstCommandId);
    invoke.nShow = SW_SHOWNORMAL;
    m_contextMenu->InvokeCommand(&invoke);
}

BOOL CShellContextMenu::HoldsMenu(HMENU menu) const {
    return IsMenuInTree(m_hMenu, menu);
}

LRESULT CALLBACK CShellContextMenu::OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                    UINT_PTR subclassId, DWORD_PTR referenceData) {
    (void)subclassId;
    auto* contextMenu = reinterpret_cast<CShellContextMenu*>(referenceData);
    switch (message) {
        case WM_INITMENUPOPUP:
        case WM_MENUCHAR:
            return contextMenu->HandleMenuMessage(message, wParam, lParam);
        case WM_MEASUREITEM:
            if (wParam == 0)
                return contextMenu->HandleMenuMessage(message, wParam, lParam);
            break;
        case WM_DRAWITEM:
            // The folder menu under this one stays on screen and repaints; its items are drawn by
            // their own menu, further down the window's subclass chain.
            if (wParam == 0 && contextMenu->HoldsMenu(
                                   reinterpret_cast<HMENU>(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem)))
                return contextMenu->HandleMenuMessage(message, wParam, lParam);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CShellContextMenu::HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_contextMenu3) {
        LRESULT result = 0;
        m_contextMenu3->HandleMenuMsg2(message, wParam, lParam, &result);
        return result;
    }
    if (message == WM_MENUCHAR)
        return DefSubclassProc(m_hOwner, message, wParam, lParam);
    if (m_contextMenu2)
        m_contextMenu2->HandleMenuMsg(message, wParam, lParam);
    return message == WM_INITMENUPOPUP ? 0 : 1;
}
