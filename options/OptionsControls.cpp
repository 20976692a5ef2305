#include "options/OptionsUI.h"

#include "config/Language.h"
#include "res/resource.h"

#include <commdlg.h>

void SetStaticBitmap(HWND picture, CBitmapHandle& shown, HBITMAP replacement) {
    auto previous = reinterpret_cast<HBITMAP>(
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(replacement)));
    if (previous && previous != shown.Get())
        DeleteObject(previous);
    shown.Reset(replacement);
}

BOOL ReadUnsignedNumber(HWND dialog, int control, UINT* value) {
    WCHAR text[32] = L"";
    GetDlgItemTextW(dialog, control, text, ARRAYSIZE(text));
    const WCHAR* character = text;
    while (*character == L' ')
        ++character;
    unsigned long long number = 0;
    const WCHAR* digits = character;
    for (; *character >= L'0' && *character <= L'9'; ++character) {
        number = number * 10 + static_cast<unsigned>(*character - L'0');
        if (number > 0xFFFFFFFFull)
            return FALSE;
    }
    BOOL anyDigit = character != digits;
    while (*character == L' ')
        ++character;
    if (!anyDigit || *character != L'\0')
        return FALSE;
    *value = static_cast<UINT>(number);
    return TRUE;
}

BOOL ReadNumberInRange(HWND dialog, int control, UINT minimum, UINT maximum, UINT* value) {
    UINT number = 0;
    if (!ReadUnsignedNumber(dialog, control, &number) || number < minimum || number > maximum)
        return FALSE;
    *value = number;
    return TRUE;
}

BOOL WINAPI ShowControlAction(HWND window, int show) {
    ShowWindow(window, show);
    return TRUE;
}

BOOL WINAPI EnableControlAction(HWND window, int enable) {
    EnableWindow(window, enable);
    return TRUE;
}

int COptionsUI::ShowOptionsError(LPCWSTR text) {
    int result = MessageBoxW(m_hDialog, text, L"Error", MB_ICONERROR | MB_TOPMOST);
    if (result == 0)
        result = MessageBoxW(m_hDialog, text, L"Error", MB_ICONERROR);
    return result;
}

void COptionsUI::BrowsePicture(int targetEdit) {
    for (;;) {
        WCHAR file[MAX_PATH] = L"";
        OPENFILENAMEW open = {};
        open.lStructSize = sizeof(open);
        open.hwndOwner = m_hDialog;
        open.lpstrFilter = L"All\0*.*\0";
        open.nFilterIndex = 1;
        open.lpstrFile = file;
        open.nMaxFile = MAX_PATH;
        open.lpstrDefExt = L"";
        open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
        if (!GetOpenFileNameW(&open))
            return;
        if (!m_gdiplus || !m_gdiplus->Started()) {
            SetDlgItemTextW(m_hDialog, targetEdit, file);
            return;
        }
        Gdiplus::GpImage* image = nullptr;
        if (Gdiplus::DllExports::GdipLoadImageFromFileICM(file, &image) == Gdiplus::Ok) {
            Gdiplus::DllExports::GdipDisposeImage(image);
            SetDlgItemTextW(m_hDialog, targetEdit, file);
            return;
        }
        ShowOptionsError(m_pLanguage->UnsupportedImageFormat);
    }
}

HICON COptionsUI::KeepIcon(HICON icon) {
    if (icon)
        m_icons.emplace_back(icon);
    return icon;
}

HICON COptionsUI::GetDefaultItemIcon() const {
    if (m_hDefaultItemIcon)
        return m_hDefaultItemIcon;
    return static_cast<HICON>(
        LoadImageW(m_hInstance, MAKEINTRESOURCEW(IDI_DEFAULT_FOLDER), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}
