#pragma once
#include "lib/WindowBase.h"
#include "lib/GdiObject.h"
#include "lib/GdiplusObject.h"

#include <windows.h>

#include <vector>

class CTransparentToolbar;

enum TransparentToolbarButtonState {
    ToolbarButtonNormal,
    ToolbarButtonHot,
    ToolbarButtonPressed,
    ToolbarButtonDisabled,
    ToolbarButtonStateCount
};

enum TransparentToolbarGroup { ToolbarGroupNear, ToolbarGroupMiddle, ToolbarGroupFar, ToolbarGroupCount };

// A button as its creator describes it. The images stay the creator's.
struct TransparentToolbarButton {
    HICON Images[ToolbarButtonStateCount]; // by TransparentToolbarButtonState
    INT Group;                             // TransparentToolbarGroup
    BOOL Enabled;
    INT SpaceBefore; // pixels left free in front of the button
    UINT Command;
    WCHAR Tooltip[128]; // empty: no tooltip
};

// The toolbar's copy of a button, where it stands (client pixels) and how it shows.
struct TransparentToolbarPlacedButton {
    TransparentToolbarButton Button;
    POINT Position;
    INT State; // TransparentToolbarButtonState
};

class ITransparentToolbarEvents {
public:
    // Dragged by the user, or moved by anyone but the toolbar's owner through SetBounds.
    virtual void OnToolbarMoved(CTransparentToolbar* toolbar, int dx, int dy) = 0;
    virtual void OnToolbarMoveEnded(CTransparentToolbar* toolbar) = 0;
    virtual void OnToolbarButtonClicked(CTransparentToolbar* toolbar, UINT command) = 0;
    virtual void OnToolbarButtonRightClicked(CTransparentToolbar* toolbar, UINT buttonIndex) = 0;
    // A left double-click on the background.
    virtual void OnToolbarDoubleClicked(CTransparentToolbar* toolbar) = 0;
    // Right button released over the toolbar but not over an enabled button.
    virtual void OnToolbarRightClicked(CTransparentToolbar* toolbar, POINT screenPoint) = 0;
    // Each returns the result of its message.
    virtual LRESULT OnToolbarKeyDown(CTransparentToolbar* toolbar, WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT OnToolbarClose(CTransparentToolbar* toolbar, WPARAM wParam, LPARAM lParam) = 0;
    virtual ~ITransparentToolbarEvents() {}
};

class CTransparentToolbarEventsBase : public ITransparentToolbarEvents {
public:
    void OnToolbarMoved(CTransparentToolbar*, int, int) override {}
    void OnToolbarMoveEnded(CTransparentToolbar*) override {}
    void OnToolbarButtonClicked(CTransparentToolbar*, UINT) override {}
    void OnToolbarButtonRightClicked(CTransparentToolbar*, UINT) override {}
    void OnToolbarDoubleClicked(CTransparentToolbar*) override {}
    void OnToolbarRightClicked(CTransparentToolbar*, POINT) override {}
    // The key is taken, as the window base takes it.
    LRESULT OnToolbarKeyDown(CTransparentToolbar*, WPARAM, LPARAM) override { return 1; }
    // The window stays: closing is the sink's decision.
    LRESULT OnToolbarClose(CTransparentToolbar*, WPARAM, LPARAM) override { return 0; }
};

// How a toolbar looks and where it stands. A record rather than two dozen constructor arguments,
// so call sites name what they set.
struct TransparentToolbarSettings {
    BOOL Vertical = FALSE;
    INT BackgroundType = 4; // 0-3 gradients by GDI+ mode, 4 solid, 5-14 picture placements
    COLORREF BackgroundColor = RGB(255, 0, 255);
    COLORREF GradientColor1 = RGB(255, 0, 255);
    COLORREF GradientColor2 = RGB(255, 0, 255);
    LPCWSTR BackgroundImage = nullptr; // may be null
    COLORREF TransparentColor = RGB(255, 0, 255);
    BOOL UseTransparentColor = TRUE;
    INT Opacity = 100; // percent
    INT X = 0;
    INT Y = 0;
    INT Width = 0; // raised to the minimum the buttons need
    INT Height = 0;
    INT ButtonWidth = 24;
    INT ButtonHeight = 24;
    const TransparentToolbarButton* Buttons = nullptr; // copied
    UINT ButtonCount = 0;
    const TransparentToolbarButton* MoveButton = nullptr; // copied; may be null
    BOOL HasMoveButton = FALSE;
    BOOL DragFromAnywhere = FALSE;
    INT MarginLeft = 0;
    INT MarginTop = 0;
    INT MarginRight = 0;
    INT MarginBottom = 0;
    BOOL Topmost = FALSE;
    // The look is the program's own, not one the user chose: it turns dark with the scheme.
    BOOL FollowsColorScheme = FALSE;
};

// The program's own skinned toolbar: a layered popup window with a painted background, a row
// or column of icon buttons in three groups (near end, middle, far end) and an optional move
// button to drag it by. It is created hidden; its owner shows it with Show.
class CTransparentToolbar : public CWindowBase {
public:
    static const WCHAR ClassName[];
    // The command of the browser's maximize and restore button.
    static const UINT MaximizeCommand = 6;

    // Without a window when creation failed: check GetHandle.
    CTransparentToolbar(HINSTANCE module, HWND owner, ITransparentToolbarEvents* events,
                        const TransparentToolbarSettings& settings);
    ~CTransparentToolbar() override;

    // Both raise the size to the minimum; they answer whether no raising was needed.
    BOOL SetWidth(int length);
    BOOL SetBounds(int x, int y, int width, int height);
    // Takes the lengths of the settings (size, button size, margins) and lays the buttons out
    // again, as after a change of the screen's scale; everything else stays.
    void ChangeSizes(const TransparentToolbarSettings& settings);
    // FALSE when no button (or no move button) fits; nothing changes then.
    BOOL EnableButton(UINT command, BOOL enabled);
    BOOL SetMaximizeButtonImages(HICON normal, HICON hot, HICON pressed, HICON disabled);
    // New pictures for a button, in TransparentToolbarButtonState order, as after a change of
    // scale; the old ones stay the creator's to release. FALSE when no button fits.
    BOOL SetButtonImages(UINT command, const HICON* images);
    BOOL SetMoveButtonImages(const HICON* images);
    BOOL SetMoveButtonVisible(BOOL visible);

    UINT GetButtonCount() const { return static_cast<UINT>(m_buttons.size()); }
    // Null past the end, or without a move button.
    const TransparentToolbarPlacedButton* GetButton(UINT index) const;
    const TransparentToolbarPlacedButton* GetMoveButton() const { return m_hasMoveButton ? &m_moveButton : nullptr; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetMinWidth() const { return m_minWidth; }
    int GetMinHeight() const { return m_minHeight; }
    HWND GetTooltipWindow() const { return m_tooltip; }

protected:
    LRESULT OnClose(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnRButtonUp(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMove(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDraw(HDC dc) override;

private:
    // Layout (TransparentToolbar.cpp).
    void ComputeSizes();
    void LayOut();
    int PlaceGroup(int group, int running);
    BOOL CreateToolbarWindow(HWND owner, BOOL topmost);
    void CreateTooltip();
    void Resize(int x, int y, UINT flags);
    TransparentToolbarPlacedButton* FindCommand(UINT command);
    int StateFor(const TransparentToolbarPlacedButton& button, BOOL isHot) const;

    // Painting (TransparentToolbarDraw.cpp).
    void DrawBackground(HDC dc, const RECT& rect);
    void DrawGradient(HDC dc, const RECT& rect);
    void DrawPicture(HDC dc, const RECT& rect);
    void DrawButton(HDC dc, const TransparentToolbarPlacedButton& button);

    // Mouse (TransparentToolbarMouse.cpp).
    POINT CursorInClient(POINT* screen) const;
    BOOL IsOver(const TransparentToolbarPlacedButton& button, POINT client) const;
    int ButtonAt(POINT client) const;
    BOOL IsOverMoveButton(POINT client) const;
    void SetButtonState(TransparentToolbarPlacedButton& button, int state);
    void InvalidateButton(const TransparentToolbarPlacedButton& button);
    void CoolDownHotButton();
    void ShowTooltip(LPCWSTR text);
    void HideTooltip();
    void StartDragging(POINT screen);
    void DragTo(POINT screen);
    void HoverAt(POINT screen, POINT client, WPARAM keys);

    HINSTANCE m_hInstance;
    ITransparentToolbarEvents* m_pEvents;
    BOOL m_vertical;
    INT m_backgroundType;
    BOOL m_followsColorScheme;
    COLORREF m_backgroundColor;
    COLORREF m_gradientColor1;
    COLORREF m_gradientColor2;
    // Declared before every GDI+ object so that it shuts GDI+ down after they are gone.
    CGdiplusSession m_gdiplus;
    CGdiplusImage m_picture;
    CBrushHandle m_backgroundBrush;
    COLORREF m_transparentColor;
    BOOL m_useTransparentColor;
    INT m_opacity;
    POINT m_requestedPosition;
    SIZE m_requestedSize;
    INT m_x;
    INT m_y;
    INT m_width;
    INT m_height;
    INT m_minWidth;
    INT m_minHeight;
    INT m_buttonWidth;
    INT m_buttonHeight;
    INT m_marginLeft;
    INT m_marginTop;
    INT m_marginRight;
    INT m_marginBottom;
    INT m_groupCount[ToolbarGroupCount];
    INT m_groupSpace[ToolbarGroupCount];
    std::vector<TransparentToolbarPlacedButton> m_buttons;
    BOOL m_hasMoveButton;
    BOOL m_moveButtonVisible;
    TransparentToolbarPlacedButton m_moveButton;
    BOOL m_overMoveButton;
    int m_hotButton; // -1: none
    BOOL m_pressed;
    BOOL m_dragging;
    BOOL m_pendingDrag;
    BOOL m_dragFromAnywhere;
    POINT m_lastCursorPos;   // screen
    HCURSOR m_sizeAllCursor; // shared system cursor
    HWND m_tooltip;
    WCHAR m_tooltipText[128];
};
