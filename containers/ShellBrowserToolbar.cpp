#include "containers/ShellBrowserToolbar.h"

#include "browser/ShellBrowserEx.h"
#include "config/ApplicationOptions.h"
#include "config/Language.h"
#include "lib/StringCopy.h"

#include <dwmapi.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <vector>

namespace {

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

CShellBrowserToolbar::CShellBrowserToolbar(IContainerHost* host, CShellBrowserPlacement& placement)
    : m_host(host), m_placement(placement), m_dwm(L"dwmapi.dll"),
      m_dwmIsCompositionEnabled(m_dwm.Procedure<decltype(m_dwmIsCompositionEnabled)>("DwmIsCompositionEnabled")),
      m_dwmGetWindowAttribute(m_dwm.Procedure<decltype(m_dwmGetWindowAttribute)>("DwmGetWindowAttribute")),
      m_moving(FALSE) {}

const CSkin* CShellBrowserToolbar::Skin() const {
    return m_host && m_host->GetOptions() ? &m_host->GetOptions()->Skin : nullptr;
}

BOOL CShellBrowserToolbar::Create(HINSTANCE instance, ITransparentToolbarEvents* events, BOOL withNavigation,
                                  const CLanguage* language) {
    const CSkin* skin = Skin();
    if (!skin)
        return FALSE;
    TakeSkinImages(FALSE);
    const SkinImageSet images = SkinImages();
    std::vector<TransparentToolbarButton> buttons;
    if (withNavigation) {
        for (const ButtonDescription& description : kNavigationButtons)
            buttons.push_back(MakeButton(description, images, language));
    }
    for (const ButtonDescription& description : kWindowButtons)
        buttons.push_back(MakeButton(description, images, language));
    TransparentToolbarButton moveButton = MakeButton(kMoveButton, images, language);

    int height = m_placement.ToolbarHeight();
    RECT frame = VisibleFrame();
    TransparentToolbarSettings settings;
    settings.BackgroundType = skin->BackgroundType;
    settings.BackgroundColor = skin->BackgroundColor;
    settings.GradientColor1 = skin->BackgroundColor;
    settings.GradientColor2 = skin->BackgroundColor2;
    settings.BackgroundImage = skin->BackgroundImage;
    settings.TransparentColor = skin->TransparentColor;
    settings.UseTransparentColor = skin->UseTransparentColor;
    settings.Opacity = skin->Opacity;
    settings.X = frame.left;
    settings.Y = frame.top - height;
    settings.Width = frame.right - frame.left;
    settings.Height = settings.ButtonWidth = settings.ButtonHeight = height;
    settings.Buttons = buttons.data();
    settings.ButtonCount = static_cast<UINT>(buttons.size());
    settings.MoveButton = &moveButton;
    settings.HasMoveButton = skin->ShowMoveButton;
    settings.DragFromAnywhere = TRUE;
    settings.FollowsColorScheme = !m_host->GetOptions()->bUseSkin;
    m_toolbar.reset(new CTransparentToolbar(instance, m_placement.Window(), events, settings));
    if (!m_toolbar->GetHandle()) {
        m_toolbar.reset();
        return FALSE;
    }
    m_toolbar->EnableButton(BrowserCommandBack, FALSE);
    m_toolbar->EnableButton(BrowserCommandForward, FALSE);
    return TRUE;
}

RECT CShellBrowserToolbar::VisibleFrame() const {
    HWND window = m_placement.Window();
    RECT frame = {};
    GetWindowRect(window, &frame);
    BOOL composition = FALSE;
    if (m_dwmIsCompositionEnabled && m_dwmGetWindowAttribute && SUCCEEDED(m_dwmIsCompositionEnabled(&composition)) &&
        composition) {
        RECT extended;
        if (SUCCEEDED(m_dwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &extended, sizeof(extended))))
            frame = extended;
    }
    return frame;
}

void CShellBrowserToolbar::Place() {
    if (!m_toolbar)
        return;
    RECT frame = VisibleFrame();
    int height = m_placement.ToolbarHeight();
    m_moving = TRUE;
    m_toolbar->SetBounds(frame.left, frame.top - height, frame.right - frame.left, height);
    m_moving = FALSE;
}

void CShellBrowserToolbar::Show(BOOL show) {
    // Never activated: the keys belong to the folder view below.
    if (m_toolbar)
        ShowWindow(m_toolbar->GetHandle(), show ? SW_SHOWNA : SW_HIDE);
}

void CShellBrowserToolbar::UpdateNavigationButtons(const CShellBrowserEx* browser) {
    if (!m_toolbar || !browser)
        return;
    int index = browser->HistoryIndex();
    m_toolbar->EnableButton(BrowserCommandBack, index >= 1);
    m_toolbar->EnableButton(BrowserCommandForward, index >= 0 && index != browser->HistoryCount() - 1);
}

void CShellBrowserToolbar::SetMaximizedLook(BOOL maximized) {
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

void CShellBrowserToolbar::Rescale(BOOL maximized) {
    if (!m_toolbar)
        return;
    TransparentToolbarSettings sizes;
    sizes.Width = m_toolbar->GetWidth();
    sizes.Height = sizes.ButtonWidth = sizes.ButtonHeight = m_placement.ToolbarHeight();
    m_toolbar->ChangeSizes(sizes);
    TakeSkinImages(maximized);
}

void CShellBrowserToolbar::TakeSkinImages(BOOL maximized) {
    std::vector<CIconHandle> scaled;
    const CSkin* skin = Skin();
    int height = m_placement.ToolbarHeight();
    if (skin && skin->ImageSize() != height) {
        for (int i = 0; i < SkinImageCount; ++i)
            scaled.emplace_back(skin->CreateImageIcon(static_cast<SkinImageIndex>(i), height));
    }
    m_scaledSkinImages.swap(scaled);
    // The previous pictures go only once the toolbar holds the new ones.
    ApplySkinImages(maximized);
}

CShellBrowserToolbar::SkinImageSet CShellBrowserToolbar::SkinImages() const {
    SkinImageSet images = {};
    const CSkin* skin = Skin();
    for (size_t i = 0; i < images.size(); ++i) {
        if (i < m_scaledSkinImages.size() && m_scaledSkinImages[i])
            images[i] = m_scaledSkinImages[i].Get();
        else if (skin)
            images[i] = skin->Images[i].Icon;
    }
    return images;
}

void CShellBrowserToolbar::ApplySkinImages(BOOL maximized) {
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
    SetMaximizedLook(maximized);
}

void CShellBrowserToolbar::OnMoved(int dx, int dy) {
    if (m_moving)
        return;
    RECT rect;
    GetWindowRect(m_placement.Window(), &rect);
    OffsetRect(&rect, dx, dy);
    m_moving = TRUE;
    m_placement.PlaceWindow(rect, SWP_NOSIZE);
    m_moving = FALSE;
}
