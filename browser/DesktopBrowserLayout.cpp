#include "browser/DesktopBrowser.h"

#include "lib/ScopedLock.h"

#include "browser/DesktopListView.h"
#include "lib/KernelHandle.h"
#include "lib/MonitorRect.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// One block in Explorer's process holds everything a read needs: the list view writes an
// item's place and text there, since its messages carry pointers that are only valid in it.
const SIZE_T kPointOffset = 0, kTextOffset = 8, kItemOffset = 528, kBlockSize = 600;
// The item structure as a 64-bit list view of any version reads it: up to the columns pointer.
const SIZE_T kItemBytes = 72;
static_assert(sizeof(LVITEMW) >= kItemBytes, "the remote item structure is the 64-bit one");
static_assert(kTextOffset + MAX_PATH * sizeof(WCHAR) <= kItemOffset, "the text buffer ends before the item");
static_assert(kItemOffset + kItemBytes <= kBlockSize, "the item fits into the block");
// Explorer answers each question in microseconds; one that takes a second means it hangs, and the
// read stops there rather than freezing the program with it.
const UINT kExplorerAnswerTimeout = 1000;
// Far over any real desktop: a count another process reports is not trusted with our memory.
const int kMostDesktopIcons = 20000;
// The region RedrawWindow repaints: invalidate, erase, the frame, children, at once.
const UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;

// Memory reserved in another window's process, released (and the process handle closed) on
// every path out of the read.
class CRemoteBlock {
public:
    explicit CRemoteBlock(HWND window) {
        DWORD processId = 0;
        if (!window || !GetWindowThreadProcessId(window, &processId) || !processId)
            return;
        m_process.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
        if (m_process)
            m_address =
                static_cast<BYTE*>(VirtualAllocEx(m_process.Get(), nullptr, kBlockSize, MEM_COMMIT, PAGE_READWRITE));
    }
    ~CRemoteBlock() {
        if (m_address && !m_abandoned)
            VirtualFreeEx(m_process.Get(), m_address, 0, MEM_RELEASE);
    }
    CRemoteBlock(const CRemoteBlock&) = delete;
    CRemoteBlock& operator=(const CRemoteBlock&) = delete;

    BOOL Valid() const { return m_address != nullptr; }
    LPARAM At(SIZE_T offset) const { return reinterpret_cast<LPARAM>(m_address + offset); }
    BOOL Read(SIZE_T offset, void* data, SIZE_T size) const {
        SIZE_T done = 0;
        return ReadProcessMemory(m_process.Get(), m_address + offset, data, size, &done) && done == size;
    }
    BOOL Write(SIZE_T offset, const void* data, SIZE_T size) const {
        SIZE_T done = 0;
        return WriteProcessMemory(m_process.Get(), m_address + offset, data, size, &done) && done == size;
    }
    // Sends a question whose answer the list view writes into the block. A question left unanswered
    // stays queued in the hung process and writes there when it wakes: the block is then left to
    // it (a few hundred bytes) instead of being freed under that write.
    BOOL Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                                 kExplorerAnswerTimeout, &result)) {
            m_abandoned = TRUE;
            return FALSE;
        }
        *answer = static_cast<LRESULT>(result);
        return TRUE;
    }

private:
    CKernelHandle m_process;
    BYTE* m_address = nullptr;
    BOOL m_abandoned = FALSE;
};

} // namespace

void CDesktopBrowser::ReadDesktopLayout() {
    CScopedLock lock(m_layoutLock);
    m_allIconsOnFirstMonitor = TRUE;
    m_desktopLayout.clear();
    m_layoutIndex.clear();
    m_layoutWorkAreas = GetMonitorWorkAreas();
    m_desktopListView = FindDesktopListView();
    CRemoteBlock block(m_desktopListView);
    if (!block.Valid())
        return;
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(block.At(kTextOffset));
    item.cchTextMax = MAX_PATH;
    LRESULT reported = 0;
    if (!block.Ask(m_desktopListView, LVM_GETITEMCOUNT, 0, 0, &reported))
        return;
    int count = static_cast<int>(std::min<LRESULT>(std::max<LRESULT>(reported, 0), kMostDesktopIcons));
    m_desktopLayout.reserve(count);
    WCHAR name[MAX_PATH];
    for (int index = 0; index < count; ++index) {
        DesktopIcon icon = {{-1, -1}, L""};
        // A window that died or hangs in the middle answers nothing more: the rest stays unread.
        LRESULT placed = 0;
        if (!block.Ask(m_desktopListView, LVM_GETITEMPOSITION, index, block.At(kPointOffset), &placed) || !placed ||
            !block.Read(kPointOffset, &icon.position, sizeof(icon.position)))
            break;
        if (!IsOnFirstMonitor(m_layoutWorkAreas, icon.position))
            m_allIconsOnFirstMonitor = FALSE;
        item.iItem = index;
        if (!block.Write(kItemOffset, &item, kItemBytes))
            break;
        // Only the characters the list view wrote cross back: most names are a few dozen of 260.
        LRESULT length = 0;
        if (!block.Ask(m_desktopListView, LVM_GETITEMTEXTW, index, block.At(kItemOffset), &length))
            break;
        length = std::min<LRESULT>(std::max<LRESULT>(length, 0), MAX_PATH - 1);
        if (length > 0 && block.Read(kTextOffset, name, length * sizeof(WCHAR)))
            icon.name.assign(name, wcsnlen(name, length));
        m_desktopLayout.push_back(std::move(icon));
    }
    IndexLayout();
}

void CDesktopBrowser::IndexLayout() {
    m_layoutIndex.clear();
    m_layoutIndex.reserve(m_desktopLayout.size());
    // emplace keeps the first icon of a name, the one a scan from the front would find.
    for (size_t index = 0; index < m_desktopLayout.size(); ++index)
        m_layoutIndex.emplace(m_desktopLayout[index].name, index);
}

std::vector<DesktopIcon> CDesktopBrowser::DesktopLayout() {
    CScopedLock lock(m_layoutLock);
    return m_desktopLayout;
}

BOOL CDesktopBrowser::FindDesktopPlace(const std::wstring& name, POINT* place) {
    CScopedLock lock(m_layoutLock);
    auto found = m_layoutIndex.find(name);
    if (found == m_layoutIndex.end())
        return FALSE;
    const DesktopIcon& icon = m_desktopLayout[found->second];
    // -1 is where a list view puts an item it has not placed yet.
    if (icon.position.x == -1 || icon.position.y == -1)
        return FALSE;
    *place = icon.position;
    return TRUE;
}

std::wstring CDesktopBrowser::ItemText(int index) {
    // Our own question must get the real name, not the blanked one.
    BOOL wasInNotification = m_inWideNotification;
    m_inWideNotification = TRUE;
    WCHAR text[MAX_PATH] = L"";
    ListView_GetItemText(m_listView, index, 0, text, MAX_PATH);
    m_inWideNotification = wasInNotification;
    return text;
}

POINT CDesktopBrowser::ItemPosition(int index) {
    POINT place = {-1, -1};
    ListView_GetItemPosition(m_listView, index, &place);
    return place;
}

BOOL CDesktopBrowser::PlaceAllItems() {
    if (!m_listView)
        return FALSE;
    BOOL empty;
    {
        CScopedLock lock(m_layoutLock);
        empty = m_desktopLayout.empty();
    }
    if (empty)
        ReadDesktopLayout();
    CScopedLock labels(m_labelsLock);
    DesktopMirrorGeometry geometry = Geometry();
    BOOL placed = FALSE;
    int count = ListView_GetItemCount(m_listView);
    for (int index = 0; index < count; ++index) {
        std::wstring label = ItemLabel(index);
        int record = FindLabelRecord(index, label);
        const std::wstring& name = record >= 0 ? m_labels[record].name : label;
        POINT desktop;
        if (!FindDesktopPlace(name, &desktop))
            continue;
        POINT place = MirrorPosition(geometry, desktop);
        if (record >= 0)
            m_labels.Move(record, place);
        // Posted: the view sets its own places after it answers, and would overwrite ours.
        PostMessageW(m_listView, LVM_SETITEMPOSITION, index, MAKELPARAM(place.x, place.y));
        placed = TRUE;
    }
    RedrawWindow(m_listView, nullptr, nullptr, kRedrawFlags);
    return placed;
}

BOOL CDesktopBrowser::PlaceItem(int index, LPCWSTR name, BOOL reread) {
    POINT desktop;
    // An icon just created may not be on Explorer's desktop yet when our view lists it. The
    // re-reads are shared by the whole view: names that have no icon at all, a folder Explorer
    // hides say, would otherwise cost a full read each.
    while (!FindDesktopPlace(name, &desktop)) {
        if (!reread || m_layoutRereadsLeft <= 0)
            return FALSE;
        --m_layoutRereadsLeft;
        ReadDesktopLayout();
    }
    POINT place = MirrorPosition(Geometry(), desktop);
    POINT current = ItemPosition(index);
    if (place.x == current.x && place.y == current.y)
        return TRUE;
    CScopedLock lock(m_labelsLock);
    m_labels.MoveAllNamed(name, place);
    PostMessageW(m_listView, LVM_SETITEMPOSITION, index, MAKELPARAM(place.x, place.y));
    return TRUE;
}
