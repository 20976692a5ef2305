#include "browser/DesktopBrowser.h"

#include "lib/ScopedLock.h"

#include "lib/Dpi.h"
#include "lib/StringCopy.h"

#include <commctrl.h>

namespace {

const int kCompactIconSpacing = 4; // at 96 DPI
// Sent by the view's own command to turn auto-arrange off; an arranging view ignores places.
const WPARAM kAutoArrangeCommand = 0x7071;

std::wstring Widened(LPCSTR text) {
    WCHAR wide[MAX_PATH] = L"";
    if (text)
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH);
    wide[MAX_PATH - 1] = L'\0';
    return wide;
}

} // namespace

void CDesktopBrowser::SetUpLayout() {
    if (!m_showingDesktop || !m_listView)
        return;
    if (m_compact)
        EnterCompactLayout();
    SendMessageW(m_listView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, 0);
    // The label procedure places each item as the view first names it, in both layouts.
    if (!m_labelHook.Window())
        m_labelHook.Install(m_viewWindow, LabelProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
    OnLayoutSetUp();
    if (!(GetWindowLongPtrW(m_listView, GWL_STYLE) & LVS_AUTOARRANGE))
        return;
    SendMessageW(m_viewWindow, WM_COMMAND, kAutoArrangeCommand, 0);
    // Wine's view knows no such command and arranges its desktop view always: the style goes.
    LONG_PTR style = GetWindowLongPtrW(m_listView, GWL_STYLE);
    if (style & LVS_AUTOARRANGE)
        SetWindowLongPtrW(m_listView, GWL_STYLE, style & ~static_cast<LONG_PTR>(LVS_AUTOARRANGE));
}

void CDesktopBrowser::EnterCompactLayout() {
    int spacing = ScaleForDpi(kCompactIconSpacing, GetWindowDpi(m_listView));
    SendMessageW(m_listView, LVM_SETICONSPACING, 0, MAKELPARAM(spacing, spacing));
    if (!m_labelsHidden)
        HideLabels();
    m_labelsHidden = TRUE;
    HWND tooltip = ListView_GetToolTips(m_listView);
    if (!tooltip || m_tooltipHook.Window())
        return;
    m_savedTooltipDelay = static_cast<int>(SendMessageW(tooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
    SendMessageW(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
    RECT noMargin = {};
    SendMessageW(tooltip, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&noMargin));
    // The list view gives its tooltip margins for the labels it draws; a tip in place of a hidden
    // label wants none.
    m_tooltipHook.Install(tooltip, TooltipProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
}

void CDesktopBrowser::LeaveCompactLayout() {
    if (!m_showingDesktop || !m_mirroring)
        return;
    if (HWND tooltip = m_tooltipHook.Window()) {
        m_tooltipHook.Remove();
        SendMessageW(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(m_savedTooltipDelay, 0));
    }
    if (m_listView)
        SendMessageW(m_listView, LVM_SETICONSPACING, 0, static_cast<LPARAM>(-1));
    PutLabelsBack();
    m_compact = FALSE;
}

void CDesktopBrowser::RemoveLabelSubclasses() {
    m_tooltipHook.Remove();
    m_labelHook.Remove();
    OnLabelSubclassesRemoved();
    CScopedLock lock(m_labelsLock);
    m_labels.Clear();
}

void CDesktopBrowser::PutLabelsBack() {
    if (!m_labelsHidden)
        return;
    // The view names its items on demand: once we stop blanking the answers, a repaint shows them.
    ShowLabels();
    m_labelsHidden = FALSE;
    if (m_listView)
        InvalidateRect(m_listView, nullptr, TRUE);
}

int CDesktopBrowser::FindLabelRecord(int index, const std::wstring& label) {
    CScopedLock lock(m_labelsLock);
    return m_labels.Find(label, [&] { return ItemPosition(index); });
}

void CDesktopBrowser::RecordLabel(int index, LPCWSTR text) {
    CScopedLock labels(m_labelsLock);
    int record = FindLabelRecord(index, text);
    if (record < 0) {
        m_labels.Add(text, ItemPosition(index));
        // First sight of the item in this view: it may be newer than the layout we read.
        PlaceItem(index, text, TRUE);
        return;
    }
    if (m_labels[record].name == text) {
        // The view may have inserted the item anew, at a place of its own.
        PlaceItem(index, text, FALSE);
        return;
    }
    // A rename: the desktop icon takes the new name and the item keeps its place. The record keeps
    // the old name and is found by its place from now on.
    CScopedLock layout(m_layoutLock);
    for (DesktopIcon& icon : m_desktopLayout)
        if (icon.name == m_labels[record].name)
            icon.name = text;
    IndexLayout();
}

BOOL CDesktopBrowser::CopyInfoTip(int index, LPWSTR tip, int tipLength) {
    CScopedLock lock(m_labelsLock);
    int record = FindLabelRecord(index, ItemLabel(index));
    if (record < 0 || !tip || tipLength <= 0)
        return FALSE;
    CopyTruncated(tip, static_cast<size_t>(tipLength < MAX_PATH ? tipLength : MAX_PATH), m_labels[record].name.c_str());
    return TRUE;
}

LRESULT CALLBACK CDesktopBrowser::TooltipProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                   DWORD_PTR) {
    if (message == TTM_SETMARGIN)
        return 0;
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CDesktopBrowser::LabelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR self) {
    LRESULT result = 0;
    if (message == WM_NOTIFY &&
        reinterpret_cast<CDesktopBrowser*>(self)->OnLabelNotification(window, message, wParam, lParam, &result))
        return result;
    return DefSubclassProc(window, message, wParam, lParam);
}

BOOL CDesktopBrowser::OnLabelNotification(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!m_listView || header->hwndFrom != m_listView)
        return FALSE;
    switch (header->code) {
        case LVN_GETDISPINFOW:
        case LVN_GETDISPINFOA: {
            BOOL wide = header->code == LVN_GETDISPINFOW;
            // The text is there only after the view has answered.
            *result = DefSubclassProc(window, message, wParam, lParam);
            BOOL& busy = wide ? m_inWideNotification : m_inNarrowNotification;
            auto* wideInfo = reinterpret_cast<NMLVDISPINFOW*>(lParam);
            auto* narrowInfo = reinterpret_cast<NMLVDISPINFOA*>(lParam);
            if (busy || !(wideInfo->item.mask & LVIF_TEXT) || !wideInfo->item.pszText)
                return TRUE;
            busy = TRUE;
            std::wstring text = wide ? std::wstring(wideInfo->item.pszText) : Widened(narrowInfo->item.pszText);
            RecordLabel(wideInfo->item.iItem, text.c_str());
            if (m_labelsHidden && wideInfo->item.cchTextMax > 0) {
                if (wide)
                    wideInfo->item.pszText[0] = L'\0';
                else
                    narrowInfo->item.pszText[0] = '\0';
            }
            busy = FALSE;
            return TRUE;
        }
        case LVN_ENDLABELEDITW:
        case LVN_ENDLABELEDITA: {
            *result = DefSubclassProc(window, message, wParam, lParam);
            auto* wideInfo = reinterpret_cast<NMLVDISPINFOW*>(lParam);
            if (!wideInfo->item.pszText)
                return TRUE;
            std::wstring text = header->code == LVN_ENDLABELEDITW
                                    ? std::wstring(wideInfo->item.pszText)
                                    : Widened(reinterpret_cast<NMLVDISPINFOA*>(lParam)->item.pszText);
            RecordLabel(wideInfo->item.iItem, text.c_str());
            return TRUE;
        }
        case LVN_GETINFOTIPW: {
            auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
            if (!CopyInfoTip(tip->iItem, tip->pszText, tip->cchTextMax))
                return FALSE;
            *result = 1;
            return TRUE;
        }
        case LVN_GETINFOTIPA: {
            auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(lParam);
            WCHAR name[MAX_PATH];
            if (!tip->pszText || tip->cchTextMax <= 0 || !CopyInfoTip(tip->iItem, name, MAX_PATH))
                return FALSE;
            WideCharToMultiByte(CP_ACP, 0, name, -1, tip->pszText, tip->cchTextMax, nullptr, nullptr);
            tip->pszText[tip->cchTextMax - 1] = '\0';
            *result = 1;
            return TRUE;
        }
    }
    return FALSE;
}
