#include "app/Pathwren.h"

#include "config/GenericPathwrenObject.h"
#include "config/ItemIdentifiers.h"
#include "containers/ContainerBase.h"
#include "lib/TaskbarShowPoint.h"

// The commands of the command line inside the instance that carries them out.

void CPathwren::QueueStartCommand(const StartCommand& command, POINT point) {
    m_startCommands.push_back({command, point});
    // Before the window exists, WM_CREATE posts the request once the containers are there.
    if (m_hMainWindow)
        PostMessageW(m_hMainWindow, WM_RUN_START_COMMANDS, 0, 0);
}

BOOL CPathwren::HasCommandItem(const std::wstring& item) const {
    return FindItemByIdentifierOrName(m_folders, item.c_str()) >= 0;
}

LRESULT CPathwren::OnCopyData(const COPYDATASTRUCT* data) {
    StartCommand command;
    POINT point;
    if (!ReadHandOver(data, m_mainConfigurationFile, &command, &point))
        return kHandOverRefused;
    if (command.kind == StartCommandKind::Show && !HasCommandItem(command.item))
        return kHandOverUnknownItem;
    // The sender waits until this returns; the menu it asks for would hold it for as long as the
    // menu is open, so the command is carried out from the queue.
    QueueStartCommand(command, point);
    return kHandOverTaken;
}

void CPathwren::CarryOutStartCommands() {
    // A command that arrives while a menu of the previous one is open closes that menu; the loop
    // below goes on with it once the menu's own loop has ended.
    if (m_carryingOutCommands) {
        EndMenu();
        return;
    }
    m_carryingOutCommands = TRUE;
    while (!m_startCommands.empty() && !m_quitRequested) {
        QueuedStartCommand queued = m_startCommands.front();
        m_startCommands.pop_front();
        switch (queued.command.kind) {
            case StartCommandKind::Show:
                ShowItemAt(queued.command.item, queued.point);
                break;
            case StartCommandKind::Options:
                RunApplicationCommand(ApplicationCommandOptions);
                break;
            case StartCommandKind::Exit:
                RunApplicationCommand(ApplicationCommandExit);
                break;
            case StartCommandKind::None:
                break;
        }
    }
    m_carryingOutCommands = FALSE;
}

void CPathwren::ShowItemAt(const std::wstring& item, POINT point) {
    // Looked up again: the options may have replaced the items since the command was taken.
    int index = FindItemByIdentifierOrName(m_folders, item.c_str());
    if (index < 0)
        return;
    CContainerBase* container = ContainerOf(*m_folders[index]);
    if (!container)
        return;
    MenuPlacement placement = PlaceMenuAwayFromTaskbar(point);
    container->SetShowPoint(placement.point, placement.openUpward);
    // As the hotkey does: a browser window already shown is hidden again.
    container->Show(FALSE);
}
