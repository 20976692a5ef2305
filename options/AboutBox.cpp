#include "options/AboutBox.h"

#include "config/WebAddresses.h"
#include "config/Language.h"
#include "lib/DialogColors.h"
#include "lib/FileVersionInfo.h"
#include "lib/GdiObject.h"
#include "lib/Dpi.h"
#include "lib/ModalDialog.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

const int kLinkLeft = 20;
const int kLinkTop = 60;
const int kLinkWidth = 350;
const int kLinkHeight = 65;
const BYTE kAboutAlpha = 242;

HFONT CreateShellDialogFont(int height, int weight) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
}

// The link's rectangle is given in pixels at 96 DPI; on a larger screen the dialog grows with its
// font, so the link must grow too or it would cover the title and be cut.
RECT ScaledLinkRectangle(UINT dpi) {
    RECT rectangle = {ScaleForDpi(kLinkLeft, dpi), ScaleForDpi(kLinkTop, dpi), ScaleForDpi(kLinkWidth, dpi),
                      ScaleForDpi(kLinkHeight, dpi)};
    return rectangle;
}

// The box and what it owns; the fonts live as long as the box's controls use them.
class CAboutBox : public CModalDialog {
public:
    CAboutBox(HINSTANCE instance, LPCWSTR title, LPCWSTR text) : m_instance(instance), m_title(title), m_text(text) {}

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Close();

    HINSTANCE m_instance;
    LPCWSTR m_title;
    LPCWSTR m_text;
    CFontHandle m_titleFont;
    CFontHandle m_linkFont;
    HWND m_link = nullptr;
    CDialogColors m_colors;
};

BOOL CAboutBox::OnInitDialog() {
    UINT dpi = GetWindowDpi(m_hDialog);
    HICON icon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_ABOUT), IMAGE_ICON,
                                               GetSystemMetricForDpi(SM_CXICON, dpi),
                                               GetSystemMetricForDpi(SM_CYICON, dpi), LR_SHARED));
    HICON smallIcon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_ABOUT), IMAGE_ICON,
                                                    GetSystemMetricForDpi(SM_CXSMICON, dpi),
                                                    GetSystemMetricForDpi(SM_CYSMICON, dpi), LR_SHARED));
    SendMessageW(m_hDialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(m_hDialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));

    m_titleFont.Reset(CreateShellDialogFont(ScaleForDpi(18, dpi), FW_BOLD));
    SendDlgItemMessageW(m_hDialog, IDC_ABOUT_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
    SetDlgItemTextW(m_hDialog, IDC_ABOUT_TITLE, m_title);

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    RECT place = ScaledLinkRectangle(dpi);
    m_link = CreateWindowExW(0, WC_LINK, m_text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, place.left, place.top, place.right,
                             place.bottom, m_hDialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ABOUT_LINK)),
                             m_instance, nullptr);
    if (m_link) {
        // The link paints its background with its class brush: the dialog's face colour.
        SetClassLongPtrW(m_link, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
        m_linkFont.Reset(CreateShellDialogFont(ScaleForDpi(16, dpi), FW_NORMAL));
        SendMessageW(m_link, WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont.Get()), FALSE);
    }

    SetWindowLongPtrW(m_hDialog, GWL_EXSTYLE, GetWindowLongPtrW(m_hDialog, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(m_hDialog, 0, kAboutAlpha, LWA_ALPHA);
    CDialogColors::ApplyToWindow(m_hDialog);
    RedrawWindow(m_hDialog, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

void OpenLink(const NMLINK* link) {
    LPCWSTR address = kMailtoAddress;
    if (wcscmp(link->item.szID, L"IdHomePage") == 0)
        address = kHomePageAddress;
    else if (wcscmp(link->item.szID, L"IdUserDoc") == 0)
        address = kUserManualAddress;
    ShellExecuteW(link->hdr.hwndFrom, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

void CAboutBox::Close() {
    // The fonts go with the object once the box and its controls are gone: a control must not
    // paint with a deleted font in between.
    EndDialog(m_hDialog, 0);
    if (m_link) {
        DestroyWindow(m_link);
        m_link = nullptr;
    }
}

INT_PTR CAboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_ABOUT_LINK && (header->code == NM_CLICK || header->code == NM_RETURN)) {
                OpenLink(reinterpret_cast<const NMLINK*>(lParam));
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            // Esc arrives as IDCANCEL and closes the box like OK.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                Close();
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            Close();
            return TRUE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            return reinterpret_cast<INT_PTR>(m_colors.OnControlColor(message, reinterpret_cast<HDC>(wParam)));
        case WM_COLOR_SCHEME_CHANGED:
            CDialogColors::ApplyToWindow(m_hDialog);
            return TRUE;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_KILLFOCUS:
            return TRUE;
    }
    return FALSE;
}

} // namespace

void BuildAboutText(const CLanguage* language, LPWSTR text, size_t textSize) {
    if (textSize == 0)
        return;
    _snwprintf(text, textSize,
               L"%s, %s <a id=\"IdHomePage\">%s</a>\r\n"
               L"%s <a id=\"IdUserDoc\">%s</a>\r\n"
               L"%s : %s\r\n"
               L"               <a id=\"IdMailto\">%s</a>",
               language ? language->ForMoreInformations : L"For more informations", language ? language->See : L"see",
               language ? language->ProjectHomePage : L"project homepage", language ? language->Or : L"or",
               language ? language->UserManual : L"user manual", language ? language->Author : L"Author", kMakerName,
               kMakerMailAddress);
    text[textSize - 1] = L'\0';
}

void BuildAboutTitle(LPCWSTR executable, LPWSTR title, size_t titleSize) {
    if (titleSize == 0)
        return;
    title[0] = L'\0';
    FileVersionInfo version;
    if (!executable || !version.Load(executable))
        return;
    wchar_t numbers[kVersionStringLength];
    NormalizeVersionString(version.m_szFileVersion, numbers, kVersionStringLength);
    _snwprintf(title, titleSize, L"%s v%s", version.m_szProductName, numbers);
    title[titleSize - 1] = L'\0';
}

void ShowAboutBox(HINSTANCE instance, LPCWSTR aboutText) {
    wchar_t builtIn[kAboutTextLength];
    if (!aboutText) {
        BuildAboutText(nullptr, builtIn, kAboutTextLength);
        aboutText = builtIn;
    }
    wchar_t executable[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, executable, MAX_PATH);
    wchar_t title[kAboutTextLength];
    BuildAboutTitle(length > 0 && length < MAX_PATH ? executable : nullptr, title, kAboutTextLength);

    CAboutBox(instance, title, aboutText).Run(instance, IDD_ABOUT, nullptr);
}
