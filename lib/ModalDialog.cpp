#include "lib/ModalDialog.h"

namespace {

const WCHAR kDialogObjectProperty[] = L"CModalDialog_Object";

} // namespace

INT_PTR CModalDialog::Run(HINSTANCE instance, UINT templateId, HWND owner) {
    INT_PTR result =
        DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
    m_hDialog = nullptr;
    return result;
}

void CModalDialog::Unlink() {
    if (m_hDialog)
        RemovePropW(m_hDialog, kDialogObjectProperty);
}

CModalDialog* CModalDialog::FromWindow(HWND window) {
    return window ? static_cast<CModalDialog*>(GetPropW(window, kDialogObjectProperty)) : nullptr;
}

INT_PTR CALLBACK CModalDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* object = reinterpret_cast<CModalDialog*>(lParam);
        object->m_hDialog = dialog;
        SetPropW(dialog, kDialogObjectProperty, object);
        return object->OnInitDialog();
    }
    CModalDialog* object = FromWindow(dialog);
    if (!object)
        return FALSE;
    if (message == WM_NCDESTROY) {
        object->Unlink();
        return FALSE;
    }
    return object->OnMessage(message, wParam, lParam);
}
