#include "options/OptionsItemPage.h"

#include "config/GenericPathwrenObject.h"
#include "lib/StringCopy.h"
#include "options/OptionsPageHost.h"
#include "res/resource.h"

#include <shellapi.h>

#include <cwchar>

HICON COptionsItemPage::KeepIcon(HICON icon) {
    if (icon)
        m_icons.emplace_back(icon);
    return icon;
}

void COptionsItemPage::ShowItemIcon(int staticControl, LPCWSTR path, int index, BOOL setTreeImage) {
    HICON large = nullptr;
    CIconHandle small;
    if (path[0])
        ExtractIconExW(path, index, &large, setTreeImage ? small.Receive() : nullptr, 1);
    // A static shows the icon it is given without a copy of its own: the page keeps it.
    HICON shown = large ? KeepIcon(large) : m_hDefaultIcon;
    SendDlgItemMessageW(m_host.Dialog(), staticControl, STM_SETICON, reinterpret_cast<WPARAM>(shown), 0);
    if (setTreeImage && small)
        m_host.ShowItemImage(small.Get());
}

void COptionsItemPage::ShowAssociatedIcon() {
    if (m_pItem)
        ShowItemIcon(IDC_ASSOCIATED_ICON, m_iconPath, m_iconIndex, TRUE);
}

// PickIconDlg answers 1 for a choice and 0 for Cancel; Wine's stub answers -1 without showing
// anything, which must not count as a choice.
void COptionsItemPage::PickAssociatedIcon() {
    if (!m_pItem)
        return;
    WCHAR path[MAX_PATH];
    CopyTruncated(path, m_iconPath);
    int index = m_iconIndex;
    if (m_pickIcon(m_host.Dialog(), path, MAX_PATH, &index) > 0)
        SetAssociatedIcon(path, index);
}

void COptionsItemPage::SetAssociatedIcon(LPCWSTR path, int index) {
    // The dialog may have ended while the picker was open.
    if (!m_pItem)
        return;
    // A state icon that was never set, or still equals the associated icon, follows it.
    auto follows = [this](LPCWSTR storedPath, LPCWSTR statePath, int stateIndex) {
        return !storedPath[0] || (_wcsicmp(statePath, m_iconPath) == 0 && stateIndex == m_iconIndex);
    };
    BOOL hotFollows = follows(m_pItem->AssociatedHotIconPath, m_hotIconPath, m_hotIconIndex);
    BOOL downFollows = follows(m_pItem->AssociatedDownIconPath, m_downIconPath, m_downIconIndex);
    CopyTruncated(m_iconPath, path);
    m_iconIndex = index;
    ShowItemIcon(IDC_ASSOCIATED_ICON, m_iconPath, m_iconIndex, TRUE);
    if (hotFollows) {
        CopyTruncated(m_hotIconPath, m_iconPath);
        m_hotIconIndex = m_iconIndex;
        ShowItemIcon(IDC_HOT_ICON, m_hotIconPath, m_hotIconIndex, FALSE);
    }
    if (downFollows) {
        CopyTruncated(m_downIconPath, m_iconPath);
        m_downIconIndex = m_iconIndex;
        ShowItemIcon(IDC_DOWN_ICON, m_downIconPath, m_downIconIndex, FALSE);
    }
}

void COptionsItemPage::PickStateIcon(int staticControl) {
    BOOL hot = staticControl == IDC_HOT_ICON;
    LPWSTR path = hot ? m_hotIconPath : m_downIconPath;
    int* index = hot ? &m_hotIconIndex : &m_downIconIndex;
    WCHAR picked[MAX_PATH];
    CopyTruncated(picked, MAX_PATH, path);
    int pickedIndex = *index;
    if (m_pickIcon(m_host.Dialog(), picked, MAX_PATH, &pickedIndex) <= 0 || !m_pItem)
        return;
    CopyTruncated(path, MAX_PATH, picked);
    *index = pickedIndex;
    ShowItemIcon(staticControl, path, *index, FALSE);
}
