#include "skin/Toolbar.h"

#include "lib/ThemePalette.h"

#include "lib/WindowLink.h"
#include "menus/PopUpMenu.h"

const WCHAR CToolbar::MarkerPropertyName[] = L"CToolbarMarkerPropName";

namespace {

const int kImageSize = 24;
const int kInitialImages = 20;
const int kImageGrowth = 5;

HIMAGELIST CreateImageList() {
    return ImageList_Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, kInitialImages, kImageGrowth);
}

} // namespace

CToolbar::CToolbar(HINSTANCE module, HWND parent, IToolbarEvents* events, BOOL vertical)
    : m_hInstance(module), m_pEvents(events), m_vertical(vertical), m_hWnd(nullptr), m_tooltip(nullptr),
      m_images(CreateImageList()), m_disabledImages(CreateImageList()), m_hotImages(CreateImageList()) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    m_hWnd = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_GROUP | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | TBSTYLE_LIST, 0, 0, 0,
                             0, parent, nullptr, module, nullptr);
    if (!m_hWnd)
        return;
    SendMessageW(m_hWnd, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(m_hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(kImageSize, kImageSize));
    SendMessageW(m_hWnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images.Get()));
    SendMessageW(m_hWnd, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(m_disabledImages.Get()));
    SendMessageW(m_hWnd, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(m_hotImages.Get()));
    m_tooltip = reinterpret_cast<HWND>(SendMessageW(m_hWnd, TB_GETTOOLTIPS, 0, 0));
    SendMessageW(m_hWnd, TB_AUTOSIZE, 0, 0);
    SetPropW(m_hWnd, MarkerPropertyName, this);
}

CToolbar::~CToolbar() {
    // The control may outlive this object inside its parent: it must neither find the wrapper
    // nor paint with the image lists about to be destroyed.
    if (m_hWnd && IsWindow(m_hWnd) && FromHandle(m_hWnd) == this) {
        UnlinkWindowObject(m_hWnd, MarkerPropertyName);
        SendMessageW(m_hWnd, TB_SETIMAGELIST, 0, 0);
        SendMessageW(m_hWnd, TB_SETDISABLEDIMAGELIST, 0, 0);
        SendMessageW(m_hWnd, TB_SETHOTIMAGELIST, 0, 0);
    }
}

CToolbar* CToolbar::FromHandle(HWND window) {
    return LinkedWindowObject<CToolbar>(window, MarkerPropertyName);
}

BOOL CToolbar::AddButton(UINT command, LPCWSTR text, UINT normalIcon, UINT disabledIcon, UINT hotIcon,
                         LPCWSTR tooltip) {
    if (!m_hWnd)
        return FALSE;
    HIMAGELIST lists[] = {m_images.Get(), m_disabledImages.Get(), m_hotImages.Get()};
    const UINT icons[] = {normalIcon, disabledIcon, hotIcon};
    int indexes[3] = {-1, -1, -1};
    BOOL added = TRUE;
    for (int list = 0; list < 3 && added; ++list) {
        // Shared icons belong to the system's cache: never destroyed here.
        HICON icon = static_cast<HICON>(
            LoadImageW(m_hInstance, MAKEINTRESOURCEW(icons[list]), IMAGE_ICON, kImageSize, kImageSize, LR_SHARED));
        indexes[list] = icon ? ImageList_AddIcon(lists[list], icon) : -1;
        added = indexes[list] >= 0 && indexes[list] == indexes[0];
    }
    if (!added) {
        for (int list = 0; list < 3; ++list) {
            if (indexes[list] >= 0)
                ImageList_Remove(lists[list], indexes[list]);
        }
        return FALSE;
    }
    std::unique_ptr<ButtonData> data(new ButtonData{command, tooltip ? tooltip : L"", nullptr});
    TBBUTTON button = {};
    button.iBitmap = indexes[0];
    button.idCommand = static_cast<int>(command);
    button.fsState = TBSTATE_ENABLED | (m_vertical ? TBSTATE_WRAP : 0);
    button.fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    button.dwData = reinterpret_cast<DWORD_PTR>(data.get());
    button.iString = reinterpret_cast<INT_PTR>(text ? text : L"");
    if (!SendMessageW(m_hWnd, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button))) {
        for (int list = 0; list < 3; ++list)
            ImageList_Remove(lists[list], indexes[list]);
        return FALSE;
    }
    m_buttons.push_back(std::move(data));
    SendMessageW(m_hWnd, TB_AUTOSIZE, 0, 0);
    return TRUE;
}

CToolbar::ButtonData* CToolbar::FindButton(UINT command) const {
    for (const std::unique_ptr<ButtonData>& button : m_buttons) {
        if (button->Command == command)
            return button.get();
    }
    return nullptr;
}

BOOL CToolbar::SetButtonTooltip(UINT command, LPCWSTR text) {
    ButtonData* button = FindButton(command);
    if (!button)
        return FALSE;
    button->Tooltip = text ? text : L"";
    return TRUE;
}

BOOL CToolbar::SetButtonMenu(UINT command, CPopUpMenu* menu) {
    ButtonData* button = FindButton(command);
    if (!button)
        return FALSE;
    button->Menu = menu;
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE;
    info.fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT | (menu ? BTNS_WHOLEDROPDOWN : 0);
    SendMessageW(m_hWnd, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    SendMessageW(m_hWnd, TB_AUTOSIZE, 0, 0);
    return TRUE;
}

BOOL CToolbar::HandleNotify(const NMHDR* header, LRESULT* result) {
    if (!header || !m_hWnd || (header->hwndFrom != m_hWnd && header->hwndFrom != m_tooltip))
        return FALSE;
    if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
        ButtonData* button = FindButton(static_cast<UINT>(header->idFrom));
        if (!button)
            return FALSE;
        info->hinst = m_hInstance;
        info->lpszText = const_cast<LPWSTR>(button->Tooltip.c_str());
        *result = 0;
        return TRUE;
    }
    if (header->code == TBN_DROPDOWN) {
        *result = OnDropDown(reinterpret_cast<const NMTOOLBARW*>(header));
        return TRUE;
    }
    // The labels are drawn in the window text colour, black whatever the dialog behind them.
    if (header->code == NM_CUSTOMDRAW && header->hwndFrom == m_hWnd && DrawingDark()) {
        auto* draw = reinterpret_cast<NMTBCUSTOMDRAW*>(const_cast<NMHDR*>(header));
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
            *result = CDRF_NOTIFYITEMDRAW;
            return TRUE;
        }
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            draw->clrText = CurrentPalette().DialogText;
            *result = CDRF_DODEFAULT;
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT CToolbar::OnDropDown(const NMTOOLBARW* notification) {
    ButtonData* button = FindButton(static_cast<UINT>(notification->iItem));
    if (!button || !button->Menu)
        return TBDDRET_NODEFAULT;
    CPopUpMenu* menu = button->Menu;
    if (m_pEvents)
        m_pEvents->OnBeforeMenu(this, menu);
    RECT rect = {};
    SendMessageW(m_hWnd, TB_GETRECT, notification->iItem, reinterpret_cast<LPARAM>(&rect));
    MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    UINT command = menu->Track(rect.left, rect.bottom, GetParent(m_hWnd), FALSE);
    if (command && m_pEvents)
        m_pEvents->OnMenuCommand(this, menu, command);
    return TBDDRET_DEFAULT;
}
