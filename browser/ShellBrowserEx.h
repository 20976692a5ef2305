#pragma once
#include <windows.h>

#include <gdiplus.h>

#include <memory>

#include "browser/ShellBrowser.h"
#include "lib/GdiplusSession.h"
#include "lib/WindowSubclass.h"
#include "menus/FileNameFilter.h"

// The folder view the program shows: filtered (folders on or off, inclusion and exclusion
// patterns), opening items with one click when asked, and keeping the owner's colours and
// background on the view's list view although the shell resets them on its own. View mode
// changes made in the view's own menu are reported to the owner.
class CShellBrowserEx : public CShellBrowser {
public:
    typedef void (*ViewModeChangedCallback)(HWND listView, UINT viewMode, void* context);

    // Background types as the folder item stores them.
    enum BackgroundType { BackgroundShell = 0, BackgroundSolid = 1, BackgroundGradient = 2, BackgroundPicture = 3 };

    CShellBrowserEx(HWND parentWindow, const FOLDERSETTINGS* folderSettings);
    CShellBrowserEx(HWND parentWindow, const FOLDERSETTINGS* folderSettings, UINT viewMode);
    // Virtual, unlike the base's: a container owns its view as this type, the desktop one included.
    virtual ~CShellBrowserEx();

    STDMETHODIMP IncludeObject(IShellView* view, PCUITEMID_CHILD child) override;
    HRESULT Refresh() override;
    void SetViewRect(const RECT& rect) override;
    void OnViewWindowCreated() override;
    void OnViewWindowDestroying(HWND viewWindow, HWND listView) override;
    // Called when the view's own menu switches the mode, before the view handles the command.
    virtual void OnViewModeCommand(UINT viewMode, WPARAM wParam, LPARAM lParam) {
        (void)viewMode, (void)wParam, (void)lParam;
    }
    // Takes effect at the next navigation; drops the full-row selection the shell adds.
    virtual void SetViewMode(UINT viewMode);

    BOOL SetInclusionFilter(LPCWSTR filters);
    BOOL SetExclusionFilter(LPCWSTR filters);
    void SetShowFolders(BOOL show) { m_showFolders = show; }
    void SetShowDriveRoots(BOOL show) { m_showDriveRoots = show; }
    void SetOneClickActivate(BOOL oneClick) { m_oneClickActivate = oneClick; }
    void SetViewModeChangedCallback(ViewModeChangedCallback callback, void* context);

    // Colours take effect with ApplyTextColors and ApplyBackground (and at every navigation).
    void SetTextColor(BOOL specified, COLORREF color);
    void SetTextBackgroundColor(BOOL specified, COLORREF color);
    void SetBackgroundType(UINT type) { m_backgroundType = type; }
    void SetBackgroundColor(COLORREF color) { m_backgroundColor = color; }
    void SetPictureInterpolation(Gdiplus::InterpolationMode mode) { m_pictureInterpolation = mode; }
    // Both follow the colour scheme too: the dark one colours the shell's own background, high
    // contrast gives the system's colours in place of the item's.
    void ApplyTextColors();
    void ApplyBackground();

    // Render the background bitmap for the current view size and keep the parameters for the
    // next resize. A picture that cannot be loaded keeps the previous bitmap.
    BOOL RenderGradient(COLORREF color1, COLORREF color2, UINT gradientType);
    BOOL RenderPicture(LPCWSTR path, UINT position);
    Gdiplus::Bitmap* BackgroundBitmap() const { return m_backgroundBitmap.get(); }

    // Raised between the list view's begin and end of label editing: keys belong to the edit.
    BOOL IsEditingLabel() const { return m_labelEditing; }

protected:
    Gdiplus::InterpolationMode m_pictureInterpolation = Gdiplus::InterpolationModeHighQualityBicubic;
    BOOL m_showFolders = TRUE;
    BOOL m_showDriveRoots = TRUE;
    BOOL m_oneClickActivate = FALSE;
    ViewModeChangedCallback m_viewModeChangedCallback = nullptr;
    void* m_viewModeChangedContext = nullptr;
    CGdiplusSession m_gdiplus;
    UINT m_backgroundType = BackgroundShell;
    BOOL m_textColorSpecified = FALSE;
    BOOL m_textBackgroundColorSpecified = FALSE;
    COLORREF m_textColor = 0;
    COLORREF m_textBackgroundColor = 0xFFFFFF;
    COLORREF m_backgroundColor = 0xFFFFFF;
    WCHAR m_picturePath[MAX_PATH] = L"";
    UINT m_picturePosition = 0;
    COLORREF m_gradientColor1 = 0x00FF00;
    COLORREF m_gradientColor2 = 0xFF0000;
    UINT m_gradientType = 0;
    // Raised while we send the list view its image or colours, which the subclass refuses to
    // anyone else.
    BOOL m_settingBackgroundImage = FALSE;
    BOOL m_settingColors = FALSE;
    BOOL m_labelEditing = FALSE;
    // The list view has the colours of a dark scheme, which a light one must take back.
    BOOL m_schemeColorsApplied = FALSE;
    std::unique_ptr<Gdiplus::Bitmap> m_backgroundBitmap;
    std::unique_ptr<CFileNameFilter> m_inclusionFilter;
    std::unique_ptr<CFileNameFilter> m_exclusionFilter;
    HCURSOR m_handCursor;
    // The decoded picture, kept so that a resize renders without decoding the file again.
    std::unique_ptr<Gdiplus::Image> m_picture;

private:
    static LRESULT CALLBACK ListViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                              DWORD_PTR self);
    static LRESULT CALLBACK ViewWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                DWORD_PTR self);
    void RemoveListViewFullRowStyles();
    UINT ShownBackgroundType() const;
    void ApplySchemeBackground();
    BOOL RenderBackground(UINT type);
    BOOL SetListViewImage(HBITMAP bitmap);
    BOOL OnSetCursor();
    void ActivateItem(int item);
    BOOL PassesFilters(PCUITEMID_CHILD child);

    CWindowSubclass m_listViewHook;
    CWindowSubclass m_viewWindowHook;
};
