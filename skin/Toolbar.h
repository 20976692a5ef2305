#pragma once
#include "lib/ImageListHandle.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

class CPopUpMenu;
class CToolbar;

class IToolbarEvents {
public:
    // A button's drop-down menu is about to show; the sink may fill or adjust it.
    virtual void OnBeforeMenu(CToolbar* toolbar, CPopUpMenu* menu) = 0;
    // The user chose `command` in the drop-down menu.
    virtual void OnMenuCommand(CToolbar* toolbar, CPopUpMenu* menu, UINT command) = 0;
    virtual ~IToolbarEvents() {}
};

class CToolbarEventsBase : public IToolbarEvents {
public:
    void OnBeforeMenu(CToolbar*, CPopUpMenu*) override {}
    void OnMenuCommand(CToolbar*, CPopUpMenu*, UINT) override {}
};

// A standard toolbar control with 24 x 24 icon buttons that show their text beside the image,
// tooltips from the wrapper, and drop-down menus with icons. Its parent forwards WM_NOTIFY to
// HandleNotify. The control itself dies with its parent.
class CToolbar {
public:
    static const WCHAR MarkerPropertyName[];

    CToolbar(HINSTANCE module, HWND parent, IToolbarEvents* events = nullptr, BOOL vertical = FALSE);
    ~CToolbar();
    CToolbar(const CToolbar&) = delete;
    CToolbar& operator=(const CToolbar&) = delete;

    // The wrapper of a toolbar control, found through its property; null for other windows.
    static CToolbar* FromHandle(HWND window);

    HWND GetHandle() const { return m_hWnd; }
    HWND GetTooltip() const { return m_tooltip; }
    HIMAGELIST GetImageList() const { return m_images.Get(); }

    // The icons are resources of the module. FALSE, with every image list as before, when an
    // icon does not load or the lists have fallen out of step.
    BOOL AddButton(UINT command, LPCWSTR text, UINT normalIcon, UINT disabledIcon, UINT hotIcon, LPCWSTR tooltip);
    // A null text clears the tooltip. FALSE when no button has the command.
    BOOL SetButtonTooltip(UINT command, LPCWSTR text);
    // Gives the button a drop-down arrow that opens the menu; the menu stays the caller's.
    BOOL SetButtonMenu(UINT command, CPopUpMenu* menu);

    // TRUE when the notification was this toolbar's; *result is then the answer.
    BOOL HandleNotify(const NMHDR* header, LRESULT* result);

private:
    struct ButtonData {
        UINT Command;
        std::wstring Tooltip;
        CPopUpMenu* Menu; // not owned
    };

    ButtonData* FindButton(UINT command) const;
    LRESULT OnDropDown(const NMTOOLBARW* notification);

    HINSTANCE m_hInstance;
    IToolbarEvents* m_pEvents;
    BOOL m_vertical;
    HWND m_hWnd;
    HWND m_tooltip;
    CImageListHandle m_images;
    CImageListHandle m_disabledImages;
    CImageListHandle m_hotImages;
    std::vector<std::unique_ptr<ButtonData>> m_buttons;
};
