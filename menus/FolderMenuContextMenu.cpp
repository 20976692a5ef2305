#include "menus/FolderMenu.h"

#include "lib/MenuHandle.h"
#include "menus/ShellContextMenu.h"

void CFolderMenu::OnMenuItemRightClick(CPopUpMenu* menu, UINT position, HMENU itemMenu) {
    (void)menu;
    if (m_showingContextMenu)
        return;
    // Separators and the "Empty" item are no entries and get no menu.
    CFolderMenuItem* entry = m_builder.FindEntryAt(itemMenu, position);
    if (!entry)
        return;
    CMenuHandle contextMenu(CreatePopupMenu());
    if (!contextMenu)
        return;
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_STYLE;
    info.dwStyle = MNS_CHECKORBMP;
    SetMenuInfo(contextMenu.Get(), &info);

    POINT cursor = {};
    GetCursorPos(&cursor);
    m_showingContextMenu = TRUE;
    {
        CShellContextMenu shellMenu(m_hOwner, contextMenu.Get());
        // A command may act on the entry (delete, rename) or open a window: the folder menu
        // closes either way, as the shell's own menus do.
        if (SUCCEEDED(shellMenu.Fill(entry->m_paths.front().c_str())) && shellMenu.Track(cursor.x, cursor.y))
            EndMenu();
    }
    m_showingContextMenu = FALSE;
}
