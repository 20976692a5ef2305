#include "skin/TransparentToolbar.h"

#include "lib/StringCopy.h"

#include <commctrl.h>

#include <algorithm>

const WCHAR CTransparentToolbar::ClassName[] = L"CTransparentToolbarClassName";

namespace {

// Invalidate, internal paint, erase, all children, update now, frame: the whole bar at once.
const UINT kRedrawEverything =
    RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;
const int kTooltipMaxWidth = 400;

int ClampGroup(int group) {
    return group < ToolbarGroupNear || group > ToolbarGroupFar ? ToolbarGroupNear : group;
}

TransparentToolbarPlacedButton Placed(const TransparentToolbarButton& button) {
    TransparentToolbarPlacedButton placed = {};
    placed.Button = button;
    placed.Button.Group = ClampGroup(button.Group);
    placed.Button.Tooltip[ARRAYSIZE(placed.Button.Tooltip) - 1] = L'\0';
    placed.State = button.Enabled ? ToolbarButtonNormal : ToolbarButtonDisabled;
    return placed;
}

} // namespace

CTransparentToolbar::CTransparentToolbar(HINSTANCE module, HWND owner, ITransparentToolbarEvents* events,
                                         const TransparentToolbarSettings& settings)
    : m_hInstance(module), m_pEvents(events), m_vertical(settings.Vertical), m_backgroundType(settings.BackgroundType),
      m_followsColorScheme(settings.FollowsColorScheme), m_backgroundColor(settings.BackgroundColor),
      m_gradientColor1(settings.GradientColor1), m_gradientColor2(settings.GradientColor2),
      m_backgroundBrush(CreateSolidBrush(settings.BackgroundColor)), m_transparentColor(settings.TransparentColor),
      m_useTransparentColor(settings.UseTransparentColor), m_opacity(std::min(std::max(settings.Opacity, 0), 100)),
      m_requestedPosition{settings.X, settings.Y}, m_requestedSize{settings.Width, settings.Height}, m_x(settings.X),
      m_y(settings.Y), m_width(0), m_height(0), m_minWidth(0), m_minHeight(0), m_buttonWidth(settings.ButtonWidth),
      m_buttonHeight(settings.ButtonHeight), m_marginLeft(settings.MarginLeft), m_marginTop(settings.MarginTop),
      m_marginRight(settings.MarginRight), m_marginBottom(settings.MarginBottom), m_groupCount(), m_groupSpace(),
      m_hasMoveButton(FALSE), m_moveButtonVisible(TRUE), m_moveButton(), m_overMoveButton(FALSE), m_hotButton(-1),
      m_pressed(FALSE), m_dragging(FALSE), m_pendingDrag(FALSE), m_dragFromAnywhere(settings.DragFromAnywhere),
      m_lastCursorPos(), m_sizeAllCursor(LoadCursorW(nullptr, IDC_SIZEALL)), m_tooltip(nullptr), m_tooltipText() {
    // A picture that does not load leaves picture backgrounds unpainted.
    if (m_gdiplus.Started() && settings.BackgroundImage && settings.BackgroundImage[0])
        Gdiplus::DllExports::GdipLoadImageFromFileICM(settings.BackgroundImage, m_picture.Receive());
    if (settings.Buttons) {
        for (UINT index = 0; index < settings.ButtonCount; ++index)
            m_buttons.push_back(Placed(settings.Buttons[index]));
    }
    m_hasMoveButton = settings.HasMoveButton && settings.MoveButton;
    if (m_hasMoveButton) {
        m_moveButton = Placed(*settings.MoveButton);
        m_moveButton.State = ToolbarButtonNormal;
    }
    ComputeSizes();
    LayOut();
    if (CreateToolbarWindow(owner, settings.Topmost))
        CreateTooltip();
}

CTransparentToolbar::~CTransparentToolbar() {
    // A tooltip dies with its owner, so without our window it is gone already.
    if (m_hWnd && m_tooltip)
        DestroyWindow(m_tooltip);
    m_tooltip = nullptr;
    DestroyOwnWindow();
}

const TransparentToolbarPlacedButton* CTransparentToolbar::GetButton(UINT index) const {
    return index < m_buttons.size() ? &m_buttons[index] : nullptr;
}

void CTransparentToolbar::ComputeSizes() {
    std::fill(m_groupCount, m_groupCount + ToolbarGroupCount, 0);
    std::fill(m_groupSpace, m_groupSpace + ToolbarGroupCount, 0);
    for (const TransparentToolbarPlacedButton& button : m_buttons) {
        ++m_groupCount[button.Button.Group];
        m_groupSpace[button.Button.Group] += button.Button.SpaceBefore;
    }
    // The move button belongs to its group like any other, so the middle and far groups
    // leave room for it.
    if (m_hasMoveButton) {
        ++m_groupCount[m_moveButton.Button.Group];
        m_groupSpace[m_moveButton.Button.Group] += m_moveButton.Button.SpaceBefore;
    }
    int count = m_groupCount[0] + m_groupCount[1] + m_groupCount[2];
    int spaces = m_groupSpace[0] + m_groupSpace[1] + m_groupSpace[2];
    if (m_vertical) {
        m_minWidth = m_marginLeft + m_marginRight + m_buttonWidth;
        m_minHeight = count * m_buttonHeight + m_marginTop + m_marginBottom + spaces;
    } else {
        m_minHeight = m_marginTop + m_marginBottom + m_buttonHeight;
        m_minWidth = count * m_buttonWidth + m_marginLeft + m_marginRight + spaces;
    }
    // Negative margins may make a negative minimum; a window is never smaller than nothing.
    m_minWidth = std::max(m_minWidth, 0);
    m_minHeight = std::max(m_minHeight, 0);
    m_width = std::max<int>(m_requestedSize.cx, m_minWidth);
    m_height = std::max<int>(m_requestedSize.cy, m_minHeight);
}

int CTransparentToolbar::PlaceGroup(int group, int running) {
    int size = m_vertical ? m_buttonHeight : m_buttonWidth;
    auto place = [&](TransparentToolbarPlacedButton& button) {
        int along = running + button.Button.SpaceBefore;
        running = along + size;
        button.Position = m_vertical ? POINT{m_marginLeft, along} : POINT{along, m_marginTop};
    };
    for (TransparentToolbarPlacedButton& button : m_buttons) {
        if (button.Button.Group == group)
            place(button);
    }
    if (m_hasMoveButton && m_moveButton.Button.Group == group)
        place(m_moveButton);
    return running;
}

void CTransparentToolbar::LayOut() {
    int size = m_vertical ? m_buttonHeight : m_buttonWidth;
    int length = m_vertical ? m_height : m_width;
    int nearMargin = m_vertical ? m_marginTop : m_marginLeft;
    int farMargin = m_vertical ? m_marginBottom : m_marginRight;
    // The near margin counts in the minimum size but does not shift the near group.
    int nearEnd = PlaceGroup(ToolbarGroupNear, 0);
    int middleStart = (length + m_groupSpace[1] - m_groupCount[1] * size - nearMargin - farMargin) / 2;
    int middleEnd = PlaceGroup(ToolbarGroupMiddle, std::max(middleStart, nearEnd));
    int farStart = length - m_groupCount[2] * size - m_groupSpace[2] - farMargin;
    PlaceGroup(ToolbarGroupFar, std::max(farStart, middleEnd));
}

BOOL CTransparentToolbar::CreateToolbarWindow(HWND owner, BOOL topmost) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(m_hInstance, ClassName, &windowClass)) {
        windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        windowClass.lpfnWndProc = CWindowBase::WindowProc;
        windowClass.hInstance = m_hInstance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = ClassName;
        if (!RegisterClassExW(&windowClass))
            return FALSE;
    }
    DWORD extendedStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | (topmost ? WS_EX_TOPMOST : 0);
    if (!CreateWindowExW(extendedStyle, ClassName, L"", WS_POPUP, m_x, m_y, m_width, m_height, owner, nullptr,
                         m_hInstance, this))
        return FALSE;
    DWORD flags = (m_opacity == 100 ? 0 : LWA_ALPHA) | (m_useTransparentColor ? LWA_COLORKEY : 0);
    SetLayeredWindowAttributes(m_hWnd, m_transparentColor, static_cast<BYTE>(m_opacity * 255 / 100), flags);
    return TRUE;
}

void CTransparentToolbar::CreateTooltip() {
    m_tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, m_hInstance, nullptr);
    if (!m_tooltip)
        return;
    // One tool for the whole window; its text is asked for whenever it shows, so it follows
    // the button under the cursor.
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.hinst = m_hInstance;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
    SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
}

void CTransparentToolbar::Resize(int x, int y, UINT flags) {
    if (m_hWnd)
        SetWindowPos(m_hWnd, nullptr, x, y, m_width, m_height, flags);
    LayOut();
    if (m_hWnd)
        RedrawWindow(m_hWnd, nullptr, nullptr, kRedrawEverything);
}

BOOL CTransparentToolbar::SetWidth(int length) {
    m_width = std::max(length, m_minWidth);
    Resize(0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return length >= m_minWidth;
}

BOOL CTransparentToolbar::SetBounds(int x, int y, int width, int height) {
    m_width = std::max(width, m_minWidth);
    m_height = std::max(height, m_minHeight);
    // Stored first: the owner moving its bar is no move to report back to it.
    m_x = x;
    m_y = y;
    Resize(x, y, SWP_NOZORDER | SWP_NOACTIVATE);
    return width >= m_minWidth && height >= m_minHeight;
}

TransparentToolbarPlacedButton* CTransparentToolbar::FindCommand(UINT command) {
    for (TransparentToolbarPlacedButton& button : m_buttons) {
        if (button.Button.Command == command)
            return &button;
    }
    return nullptr;
}

int CTransparentToolbar::StateFor(const TransparentToolbarPlacedButton& button, BOOL isHot) const {
    if (!button.Button.Enabled)
        return ToolbarButtonDisabled;
    if (!isHot)
        return ToolbarButtonNormal;
    return m_pressed ? ToolbarButtonPressed : ToolbarButtonHot;
}

BOOL CTransparentToolbar::EnableButton(UINT command, BOOL enabled) {
    TransparentToolbarPlacedButton* button = FindCommand(command);
    if (!button)
        return FALSE;
    button->Button.Enabled = enabled;
    SetButtonState(*button, StateFor(*button, m_hotButton == static_cast<int>(button - m_buttons.data())));
    return TRUE;
}

BOOL CTransparentToolbar::SetMaximizeButtonImages(HICON normal, HICON hot, HICON pressed, HICON disabled) {
    const HICON images[ToolbarButtonStateCount] = {normal, hot, pressed, disabled};
    return SetButtonImages(MaximizeCommand, images);
}

BOOL CTransparentToolbar::SetButtonImages(UINT command, const HICON* images) {
    TransparentToolbarPlacedButton* button = FindCommand(command);
    if (!button)
        return FALSE;
    std::copy(images, images + ToolbarButtonStateCount, button->Button.Images);
    button->State = StateFor(*button, m_hotButton == static_cast<int>(button - m_buttons.data()));
    InvalidateButton(*button);
    return TRUE;
}

BOOL CTransparentToolbar::SetMoveButtonImages(const HICON* images) {
    if (!m_hasMoveButton)
        return FALSE;
    std::copy(images, images + ToolbarButtonStateCount, m_moveButton.Button.Images);
    InvalidateButton(m_moveButton);
    return TRUE;
}

BOOL CTransparentToolbar::SetMoveButtonVisible(BOOL visible) {
    if (!m_hasMoveButton)
        return FALSE;
    m_moveButtonVisible = visible;
    InvalidateButton(m_moveButton);
    return TRUE;
}

LRESULT CTransparentToolbar::OnNotify(WPARAM, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header || !m_tooltip || header->hwndFrom != m_tooltip || header->code != TTN_GETDISPINFOW)
        return 0;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    info->lpszText = m_tooltipText;
    info->hinst = nullptr;
    return 0;
}

LRESULT CTransparentToolbar::OnKeyDown(WPARAM wParam, LPARAM lParam) {
    return m_pEvents ? m_pEvents->OnToolbarKeyDown(this, wParam, lParam) : 1;
}

LRESULT CTransparentToolbar::OnClose(WPARAM wParam, LPARAM lParam) {
    // Without a sink DefWindowProcW destroys the window; the base then forgets it.
    return m_pEvents ? m_pEvents->OnToolbarClose(this, wParam, lParam) : CallDefault(WM_CLOSE, wParam, lParam);
}

LRESULT CTransparentToolbar::OnMove(WPARAM, LPARAM lParam) {
    if (m_dragging)
        return 0;
    // Signed: a bar on a monitor left of or above the primary one has negative coordinates.
    int x = static_cast<short>(LOWORD(lParam));
    int y = static_cast<short>(HIWORD(lParam));
    int dx = x - m_x;
    int dy = y - m_y;
    m_x = x;
    m_y = y;
    if ((dx || dy) && m_pEvents)
        m_pEvents->OnToolbarMoved(this, dx, dy);
    return 0;
}

void CTransparentToolbar::ChangeSizes(const TransparentToolbarSettings& settings) {
    m_requestedSize = {settings.Width, settings.Height};
    m_buttonWidth = settings.ButtonWidth;
    m_buttonHeight = settings.ButtonHeight;
    m_marginLeft = settings.MarginLeft;
    m_marginTop = settings.MarginTop;
    m_marginRight = settings.MarginRight;
    m_marginBottom = settings.MarginBottom;
    ComputeSizes();
    Resize(0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
