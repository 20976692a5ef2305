#include "options/OptionsLaunchBarPage.h"

#include "config/LaunchBarOptions.h"
#include "lib/MonitorRect.h"
#include "options/OptionsColorButtons.h"
#include "options/OptionsControls.h"
#include "options/OptionsPageHost.h"
#include "res/resource.h"

#include <commctrl.h>

#include <cwchar>

namespace {

const UINT kIconSizes[] = {16, 24, 32, 48, 64};
const LPCWSTR kIconSizeTexts[] = {L"16x16", L"24x24", L"32x32", L"48x48", L"64x64"};
const UINT kLaunchBarColorBackground = 4;
const UINT kLaunchBarFirstPicture = 5;
const UINT kLaunchBarLastPicture = 14;

// The launch bar's number edits; the margins may be negative and are shown signed. A number
// outside its range is refused like a text that is no number: a strip 0 pixels thick could never
// be reached, so the bar would never show again.
struct BarNumber {
    int control;
    BOOL isSigned;
    UINT* (*field)(CLaunchBarOptions& options);
    UINT minimum;
    UINT maximum;
};
#define BAR_FIELD(name) [](CLaunchBarOptions& options) { return reinterpret_cast<UINT*>(&options.name); }
const BarNumber kBarNumbers[] = {
    {IDC_BAR_ACTIVE_AREA, FALSE, BAR_FIELD(HotCornerActiveWitdh), 1, 100},
    {IDC_BAR_MIN_WIDTH, FALSE, BAR_FIELD(MinWidth), 0, 10000},
    {IDC_BAR_MIN_HEIGHT, FALSE, BAR_FIELD(MinHeight), 0, 10000},
    {IDC_BAR_MARGIN_LEFT, TRUE, BAR_FIELD(MarginLeft), 0, 1000},
    {IDC_BAR_MARGIN_RIGHT, TRUE, BAR_FIELD(MarginRight), 0, 1000},
    {IDC_BAR_MARGIN_TOP, TRUE, BAR_FIELD(MarginTop), 0, 1000},
    {IDC_BAR_MARGIN_BOTTOM, TRUE, BAR_FIELD(MarginBottom), 0, 1000},
};

struct BarColor {
    ColorButton button;
    COLORREF CLaunchBarOptions::*field;
};
const BarColor kBarColors[] = {{ColorBarBackground, &CLaunchBarOptions::BackgroundColor},
                               {ColorBarGradient1, &CLaunchBarOptions::BackgroundGradiantColor1},
                               {ColorBarGradient2, &CLaunchBarOptions::BackgroundGradiantColor2},
                               {ColorBarTransparent, &CLaunchBarOptions::TransparentColor}};

} // namespace

void COptionsLaunchBarPage::Attach(CLaunchBarOptions& bar) {
    m_pBar = &bar;
    HWND dialog = m_host.Dialog();
    SendDlgItemMessageW(dialog, IDC_BAR_OPACITY, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    UINT monitors = static_cast<UINT>(EnumerateMonitors().size());
    for (UINT i = 1; i <= monitors; ++i) {
        WCHAR number[16];
        swprintf(number, ARRAYSIZE(number), L"%u", i);
        SendDlgItemMessageW(dialog, IDC_BAR_MONITOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    }
    for (LPCWSTR size : kIconSizeTexts)
        SendDlgItemMessageW(dialog, IDC_BAR_ICON_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
}

void COptionsLaunchBarPage::Load() {
    HWND dialog = m_host.Dialog();
    CLaunchBarOptions& bar = *m_pBar;
    SendDlgItemMessageW(dialog, IDC_BAR_MONITOR, CB_SETCURSEL, bar.ScreenIndex, 0);
    SendDlgItemMessageW(dialog, IDC_BAR_POSITION, CB_SETCURSEL, bar.Position, 0);
    CheckDlgButton(dialog, IDC_BAR_FULL_WIDTH, bar.UseFullScreenWidth ? BST_CHECKED : BST_UNCHECKED);
    WPARAM size = 0;
    for (WPARAM i = 0; i < ARRAYSIZE(kIconSizes); ++i) {
        if (kIconSizes[i] == bar.IconSize)
            size = i;
    }
    SendDlgItemMessageW(dialog, IDC_BAR_ICON_SIZE, CB_SETCURSEL, size, 0);
    SendDlgItemMessageW(dialog, IDC_BAR_GRADIENT_TYPE, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(dialog, IDC_BAR_PICTURE_POSITION, CB_SETCURSEL, 0, 0);
    int radio = IDC_BAR_COLOR_RADIO;
    if (bar.BackgroundType < kLaunchBarColorBackground) {
        radio = IDC_BAR_GRADIENT_RADIO;
        SendDlgItemMessageW(dialog, IDC_BAR_GRADIENT_TYPE, CB_SETCURSEL, bar.BackgroundType, 0);
    } else if (bar.BackgroundType >= kLaunchBarFirstPicture && bar.BackgroundType <= kLaunchBarLastPicture) {
        radio = IDC_BAR_PICTURE_RADIO;
        SendDlgItemMessageW(dialog, IDC_BAR_PICTURE_POSITION, CB_SETCURSEL, bar.BackgroundType - kLaunchBarFirstPicture,
                            0);
    }
    for (int button : {IDC_BAR_COLOR_RADIO, IDC_BAR_GRADIENT_RADIO, IDC_BAR_PICTURE_RADIO})
        CheckDlgButton(dialog, button, button == radio ? BST_CHECKED : BST_UNCHECKED);
    for (const BarColor& color : kBarColors)
        m_colors.Set(color.button, bar.*color.field);
    SetDlgItemTextW(dialog, IDC_BAR_PICTURE_PATH, bar.BackgroundImage);
    CheckDlgButton(dialog, IDC_BAR_USE_TRANSPARENT, bar.UseTransparentColor ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dialog, IDC_BAR_OPACITY, TBM_SETPOS, TRUE, bar.Opacity);
    for (const BarNumber& number : kBarNumbers)
        SetDlgItemInt(dialog, number.control, *number.field(bar), number.isSigned);
}

void COptionsLaunchBarPage::Save() {
    HWND dialog = m_host.Dialog();
    CLaunchBarOptions& bar = *m_pBar;
    // A monitor unplugged since the bar was placed on it has no entry; it keeps its number, so the
    // bar goes back there once the monitor does.
    LRESULT monitor = SendDlgItemMessageW(dialog, IDC_BAR_MONITOR, CB_GETCURSEL, 0, 0);
    if (monitor != CB_ERR)
        bar.ScreenIndex = static_cast<UINT>(monitor);
    bar.VerticalDirection = FALSE;
    LRESULT position = SendDlgItemMessageW(dialog, IDC_BAR_POSITION, CB_GETCURSEL, 0, 0);
    if (position != CB_ERR)
        bar.Position = static_cast<UINT>(position);
    bar.UseFullScreenWidth = IsDlgButtonChecked(dialog, IDC_BAR_FULL_WIDTH) == BST_CHECKED;
    LRESULT size = SendDlgItemMessageW(dialog, IDC_BAR_ICON_SIZE, CB_GETCURSEL, 0, 0);
    if (size >= 0 && size < static_cast<LRESULT>(ARRAYSIZE(kIconSizes)))
        bar.IconSize = bar.IconHeight = kIconSizes[size];
    if (IsDlgButtonChecked(dialog, IDC_BAR_COLOR_RADIO) == BST_CHECKED)
        bar.BackgroundType = kLaunchBarColorBackground;
    else if (IsDlgButtonChecked(dialog, IDC_BAR_GRADIENT_RADIO) == BST_CHECKED)
        bar.BackgroundType = static_cast<UINT>(SendDlgItemMessageW(dialog, IDC_BAR_GRADIENT_TYPE, CB_GETCURSEL, 0, 0));
    else if (IsDlgButtonChecked(dialog, IDC_BAR_PICTURE_RADIO) == BST_CHECKED)
        bar.BackgroundType =
            static_cast<UINT>(SendDlgItemMessageW(dialog, IDC_BAR_PICTURE_POSITION, CB_GETCURSEL, 0, 0)) +
            kLaunchBarFirstPicture;
    for (const BarColor& color : kBarColors)
        bar.*color.field = m_colors.Get(color.button);
    GetDlgItemTextW(dialog, IDC_BAR_PICTURE_PATH, bar.BackgroundImage, MAX_PATH);
    bar.UseTransparentColor = IsDlgButtonChecked(dialog, IDC_BAR_USE_TRANSPARENT) == BST_CHECKED;
    bar.Opacity = static_cast<BYTE>(SendDlgItemMessageW(dialog, IDC_BAR_OPACITY, TBM_GETPOS, 0, 0) & 0xFF);
    for (const BarNumber& number : kBarNumbers)
        ReadNumberInRange(dialog, number.control, number.minimum, number.maximum, number.field(bar));
}
