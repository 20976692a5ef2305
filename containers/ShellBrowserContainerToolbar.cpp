#include "containers/ShellBrowserContainerBase.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "lib/StringCopy.h"
#include "config/Skin.h"

#include <dwmapi.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <vector>

namespace {

// Everything, children and frame included, at once: a moved window must not show stale parts.
const UINT kRedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;

struct ButtonDescription {
    UINT command;
    INT group;
    // Normal, hot, pressed and disabled, as the skin numbers its images.
    SkinImageIndex images[ToolbarButtonStateCount];
    LPCWSTR (*tooltip)(const CLanguage&);
};

const ButtonDescription kNavigationButtons[] = {
    {BrowserCommandHome,
     ToolbarGroupNear,
     {SkinImageHome, SkinImageHomeHot, SkinImageHomeDown, SkinImageHome},
     [](const CLanguage& l) -> LPCWSTR { return l.GoToHomeFolder; }},
    {BrowserCommandBack,
     ToolbarGroupNear,
     {SkinImageBack, SkinImageBackHot, SkinImageBackDown, SkinImageBackDisabled},
     [](const CLanguage& l) -> LPCWSTR { return l.GoBack; }},
    {BrowserCommandForward,
     ToolbarGroupNear,
     {SkinImageForward, SkinImageForwardHot, SkinImageForwardDown, SkinImageForwardDisabled},
     [](const CLanguage& l) -> LPCWSTR { return l.GoForward; }},
    {BrowserCommandUp,
     ToolbarGroupNear,
     {SkinImageUp, SkinImageUpHot, SkinImageUpDown, SkinImageUp},
     [](const CLanguage& l) -> LPCWSTR { return l.GoUp; }},
    {BrowserCommandExplorer,
     ToolbarGroupNear,
     {SkinImageJumpToExplorer, SkinImageJumpToExplorerHot, SkinImageJumpToExplorerDown, SkinImageJumpToExplorer},
     [](const CLanguage& l) -> LPCWSTR { return l.OpenFolderWithWindowsExplorer; }},
};
const ButtonDescription kMoveButton = {BrowserCommandMove,
                                       ToolbarGroupMiddle,
                                       {SkinImageMove, SkinImageMoveHot, SkinImageMoveDown, SkinImageMove},
                                       [](const CLanguage& l) -> LPCWSTR { return l.Move; }};
const ButtonDescription kWindowButtons[] = {
    {BrowserCommandToggleMaximize,
     ToolbarGroupFar,
     {SkinImageMaximize, SkinImageMaximizeHot, SkinImageMaximizeDown, SkinImageMaximize},
     nullptr},
    {BrowserCommandClose,
     ToolbarGroupFar,
     {SkinImageClose, SkinImageCloseHot, SkinImageCloseDown, SkinImageClose},
     [](const CLanguage& l) -> LPCWSTR { return l.Close; }},
};

typedef std::array<HICON, SkinImageCount> SkinImageSet;

void GetButtonImages(const ButtonDescription& description, const SkinImageSet& skinImages, HICON* images) {
    for (int state = 0; state < ToolbarButtonStateCount; ++state)
        images[state] = skinImages[description.images[state]];
}

TransparentToolbarButton MakeButton(const ButtonDescription& description, const SkinImageSet& skinImages,
                                    const CLanguage* language) {
    TransparentToolbarButton button = {};
    GetButtonImages(description, skinImages, button.Images);
    button.Group = description.group;
    button.Enabled = TRUE;
    button.Command = description.command;
    if (!language)
        return button;
    if (description.tooltip)
        CopyTruncated(button.Tooltip, ARRAYSIZE(button.Tooltip), description.tooltip(*language));
    else
        swprintf(button.Tooltip, ARRAYSIZE(button.Tooltip), L"%ls / %ls", language->Maximize, language->Reduce);
    return button;
}

} // namespace

BOOL CShellBrowserContainerBase::CreateToolbar() {
    if (!m_pHost || !m_pHost->GetOptions())
        return FALSE;
    const CSkin& skin = m_pHost->GetOptions()->Skin;
    TakeSkinImages();
    const SkinImageSet images = SkinImages();
    std::vector<TransparentToolbarButton> buttons;
    if (m_pItem->AllowSubFoldersNavigation) {
        for (const ButtonDescription& description : kNavigationButtons)
            buttons.push_back(MakeButton(description, images, m_pLanguage));
    }
    for (const ButtonDescription& description : kWindowButtons)
        buttons.push_back(MakeButton(description, images, m_pLanguage));
    TransparentToolbarButton moveButton = MakeButton(kMoveButton, images, m_pLanguage);

    RECT frame = VisibleFrame();
    TransparentToolbarSettings settings;
    settings.BackgroundType = skin.BackgroundType;
    settings.BackgroundColor = skin.BackgroundColor;
    settings.GradientColor1 = skin.BackgroundColor;
    settings.GradientColor2 = skin.BackgroundColor2;
    settings.BackgroundImage = skin.BackgroundImage;
    settings.TransparentColor = skin.TransparentColor;
    settings.UseTransparentColor = skin.UseTransparentColor;
    settings.Opacity = skin.Opacity;
    settings.X = frame.left;
    settings.Y = frame.top - ToolbarHeight();
    settings.Width = frame.right - frame.left;
    settings.Height = settings.ButtonWidth = settings.ButtonHeight = ToolbarHeight();
    settings.Buttons = buttons.data();
    settings.ButtonCount = static_cast<UINT>(buttons.size());
    settings.MoveButton = &moveButton;
    settings.HasMoveButton = skin.ShowMoveButton;
    settings.DragFromAnywhere = TRUE;
    settings.FollowsColorScheme = !m_pHost->GetOptions()->bUseSkin;
    m_toolbar.reset(new CTransparentToolbar(m_hInstance, m_window, this, settings));
    if (!m_toolbar->GetHandle()) {
        m_toolbar.reset();
        return FALSE;
    }
    m_toolbar->EnableButton(BrowserCommandBack, FALSE);
    m_toolbar->EnableButton(BrowserCommandForward, FALSE);
    return TRUE;
}

RECT CShellBrowserContainerBase::VisibleFrame() const {
    RECT frame = {};
    GetWindowRect(m_window, &frame);
    BOOL composition = FALSE;
    if (m_dwmIsCompositionEnabled && m_dwmGetWindowAttribute && SUCCEEDED(m_dwmIsCompositionEnabled(&composition)) &&
        composition) {
        RECT extended;
        if (SUCCEEDED(m_dwmGetWindowAttribute(m_window, DWMWA_EXTENDED_FRAME_BOUNDS, &extended, sizeof(extended))))
            frame = extended;
    }
    return frame;
}

void CShellBrowserContainerBase::PlaceToolbar() {
    if (!m_toolbar)
        return;
    RECT frame = VisibleFrame();
    m_movingToolbar = TRUE;
    m_toolbar->SetBounds(frame.left, frame.top - ToolbarHeight(), frame.right - frame.left, ToolbarHeight());
    m_movingToolbar = FALSE;
}

void CShellBrowserContainerBase::ShowToolbar(BOOL show) {
    // Never activated: the keys belong to the folder view below.
    if (m_toolbar)
        ShowWindow(m_toolbar->GetHandle(), show ? SW_SHOWNA : SW_HIDE);
}

void CShellBrowserContainerBase::UpdateNavigationButtons() {
    if (!m_toolbar || !m_browser)
        return;
    int index = m_browser->HistoryIndex();
    m_toolbar->EnableButton(BrowserCommandBack, index >= 1);
    m_toolbar->EnableButton(BrowserCommandForward, index >= 0 && index != m_browser->HistoryCount() - 1);
}

void CShellBrowserContainerBase::SetMaximizedLook(BOOL maximized) {
    if (!m_toolbar)
        return;
    const SkinImageSet images = SkinImages();
    m_toolbar->SetMoveButtonVisible(!maximized);
    if (maximized)
        m_toolbar->SetMaximizeButtonImages(images[SkinImageReduce], images[SkinImageReduceHot],
                                           images[SkinImageReduceDown], images[SkinImageReduce]);
    else
        m_toolbar->SetMaximizeButtonImages(images[SkinImageMaximize], images[SkinImageMaximizeHot],
                                           images[SkinImageMaximizeDown], images[SkinImageMaximize]);
}

void CShellBrowserContainerBase::TakeSkinImages() {
    std::vector<CIconHandle> scaled;
    const CSkin* skin = m_pHost && m_pHost->GetOptions() ? &m_pHost->GetOptions()->Skin : nullptr;
    if (skin && skin->ImageSize() != ToolbarHeight()) {
        for (int i = 0; i < SkinImageCount; ++i)
            scaled.emplace_back(skin->CreateImageIcon(static_cast<SkinImageIndex>(i), ToolbarHeight()));
    }
    m_scaledSkinImages.swap(scaled);
    // The previous pictures go only once the toolbar holds the new ones.
    ApplySkinImages();
}

SkinImageSet CShellBrowserContainerBase::SkinImages() const {
    SkinImageSet images = {};
    const CSkin* skin = m_pHost && m_pHost->GetOptions() ? &m_pHost->GetOptions()->Skin : nullptr;
    for (size_t i = 0; i < images.size(); ++i) {
        if (i < m_scaledSkinImages.size() && m_scaledSkinImages[i])
            images[i] = m_scaledSkinImages[i].Get();
        else if (skin)
            images[i] = skin->Images[i].Icon;
    }
    return images;
}

void CShellBrowserContainerBase::ApplySkinImages() {
    if (!m_toolbar)
        return;
    const SkinImageSet images = SkinImages();
    HICON buttonImages[ToolbarButtonStateCount];
    auto apply = [&](const ButtonDescription& description) {
        GetButtonImages(description, images, buttonImages);
        m_toolbar->SetButtonImages(description.command, buttonImages);
    };
    std::for_each(std::begin(kNavigationButtons), std::end(kNavigationButtons), apply);
    std::for_each(std::begin(kWindowButtons), std::end(kWindowButtons), apply);
    GetButtonImages(kMoveButton, images, buttonImages);
    m_toolbar->SetMoveButtonImages(buttonImages);
    // The maximize button shows restore pictures while the window is maximized.
    SetMaximizedLook(m_pItem && m_pItem->IsMaximized);
}

void CShellBrowserContainerBase::OnToolbarMoved(CTransparentToolbar*, int dx, int dy) {
    if (m_movingToolbar)
        return;
    RECT rect;
    GetWindowRect(m_window, &rect);
    OffsetRect(&rect, dx, dy);
    m_movingToolbar = TRUE;
    PlaceWindow(rect, SWP_NOSIZE);
    m_movingToolbar = FALSE;
}

void CShellBrowserContainerBase::OnToolbarMoveEnded(CTransparentToolbar*) {
    RECT rect;
    GetWindowRect(m_window, &rect);
    m_pItem->WindowPositionX = rect.left;
    m_pItem->WindowPositionY = rect.top;
    if (m_listView) {
        SetFocus(m_listView);
        RedrawWindow(m_listView, nullptr, nullptr, kRedrawAll);
    }
}

void CShellBrowserContainerBase::OnToolbarButtonClicked(CTransparentToolbar*, UINT command) {
    PostMessageW(m_window, WM_BROWSER_COMMAND, 0, command);
}

void CShellBrowserContainerBase::OnToolbarDoubleClicked(CTransparentToolbar*) {
    PostMessageW(m_window, WM_BROWSER_COMMAND, 0, BrowserCommandToggleMaximize);
}

LRESULT CShellBrowserContainerBase::OnToolbarKeyDown(CTransparentToolbar*, WPARAM wParam, LPARAM) {
    return HandleKey(static_cast<UINT>(wParam));
}

LRESULT CShellBrowserContainerBase::OnToolbarClose(CTransparentToolbar*, WPARAM, LPARAM) {
    Hide();
    return 0;
}
