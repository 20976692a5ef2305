#pragma once
#include "browser/DesktopLabelRecords.h"
#include "browser/DesktopMirrorGeometry.h"
#include "browser/ShellBrowserEx.h"
#include "lib/IdList.h"
#include "lib/WindowSubclass.h"

#include <string>
#include <unordered_map>
#include <vector>

// The desktop items the user's shell settings hide: the HideDesktopIcons values of the start menu
// in use, machine values first, then the user's, which may add or take back an item.
std::vector<CIdList> LoadHiddenDesktopItems(IShellFolder* desktop);
BOOL IsHiddenDesktopItem(const std::vector<CIdList>& hidden, PCUITEMID_CHILD child);

// The folder view of a "Desktop" item. While it shows the Desktop folder it mirrors the real
// desktop: the icons the shell hides stay hidden, and every icon stands where Explorer has it,
// scaled into this smaller window. A window small against the monitor gets a compact layout:
// small, closely packed icons whose labels show as immediate tooltips. Choosing a view mode or
// browsing elsewhere ends the mirroring.
class CDesktopBrowser : public CShellBrowserEx {
public:
    CDesktopBrowser(HWND parentWindow, const FOLDERSETTINGS* folderSettings);
    ~CDesktopBrowser() override;

    STDMETHODIMP IncludeObject(IShellView* view, PCUITEMID_CHILD child) override;
    HRESULT Refresh() override;
    void SetViewRect(const RECT& rect) override;
    void OnViewWindowCreated() override;
    void OnBeforeBrowse(PCIDLIST_ABSOLUTE location) override;
    void OnViewModeCommand(UINT viewMode, WPARAM wParam, LPARAM lParam) override;

    BOOL IsMirroring() const { return m_mirroring; }
    BOOL IsCompact() const { return m_compact; }
    BOOL IsShowingDesktop() const { return m_showingDesktop; }
    // Reads where Explorer's desktop icons stand; an unreachable desktop leaves the layout empty.
    void ReadDesktopLayout();
    std::vector<DesktopIcon> DesktopLayout();
    // Places every item of the view that has a counterpart on the desktop; FALSE when none could be.
    BOOL PlaceAllItems();

protected:
    // What the XP view does differently: how the compact layout is switched, how labels are
    // blanked and put back, and what the list view must be kept from doing.
    virtual void SendLayoutViewMode(UINT viewMode) { SendViewModeCommand(viewMode); }
    virtual void HideLabels() {}
    virtual void ShowLabels() {}
    // The name an item's label record is found by.
    virtual std::wstring ItemLabel(int index) { return ItemText(index); }
    virtual void OnLayoutSetUp() {}
    virtual void OnLabelSubclassesRemoved() {}

    static LRESULT CALLBACK LabelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self);
    static LRESULT CALLBACK TooltipProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR self);
    BOOL OnLabelNotification(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void OnItemTextAsked(int index, LPCWSTR text);
    BOOL CopyInfoTip(int index, LPWSTR tip, int tipLength);

    DesktopMirrorGeometry Geometry() const;
    BOOL IsSmallWindow() const;
    void SendViewModeCommand(UINT viewMode);
    void SetUpLayout();
    void EnterCompactLayout();
    void LeaveCompactLayout();
    void StopMirroring();
    void RemoveLabelSubclasses();
    void PutLabelsBack();
    void RecordLabel(int index, LPCWSTR text);
    // The index in m_labels of the item's record: by its label, else by its place. Callers that
    // already hold the label pass it, as each question to the view costs it a name look-up.
    int FindLabelRecord(int index, const std::wstring& label);
    // Reading the layout again for a name it lacks, when asked to, while the view's re-reads last.
    BOOL PlaceItem(int index, LPCWSTR name, BOOL reread);
    BOOL FindDesktopPlace(const std::wstring& name, POINT* place);
    // Called with the layout lock held, after every change of m_desktopLayout.
    void IndexLayout();
    std::wstring ItemText(int index);
    POINT ItemPosition(int index);

    // Each new view may read the layout again this often for names it has not found.
    static const int kLayoutRereads = 4;
    int m_layoutRereadsLeft = kLayoutRereads;
    BOOL m_allIconsOnFirstMonitor = TRUE;
    // The work areas the layout was read against, whose coordinates its places are in. Kept with
    // it: asking the system again for every item the view paints made placing a large desktop
    // about a tenth slower.
    std::vector<RECT> m_layoutWorkAreas;
    CRITICAL_SECTION m_layoutLock;
    CRITICAL_SECTION m_labelsLock;
    CDesktopLabelRecords m_labels;
    std::vector<CIdList> m_hiddenItems;
    std::vector<DesktopIcon> m_desktopLayout;
    // Each name's first icon in m_desktopLayout: a view places each of its items by one look-up.
    std::unordered_map<std::wstring, size_t> m_layoutIndex;
    CIdList m_desktopIdList;
    BOOL m_inWideNotification = FALSE;
    BOOL m_inNarrowNotification = FALSE;
    HWND m_desktopListView = nullptr;
    BOOL m_showingDesktop = TRUE;
    BOOL m_compact = TRUE;
    BOOL m_mirroring = TRUE;
    UINT m_userViewMode;
    BOOL m_switchingViewMode = FALSE;
    BOOL m_labelsHidden = FALSE;
    int m_savedTooltipDelay = 65535;
    // The windows that carry our label and tooltip procedures, for taking them off again.
    CWindowSubclass m_labelHook;
    CWindowSubclass m_tooltipHook;
};
