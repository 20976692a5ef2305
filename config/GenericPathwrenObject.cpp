#include "config/GenericPathwrenObject.h"

CGenericPathwrenObject::~CGenericPathwrenObject() {
    ReleaseContainer();
}

void CGenericPathwrenObject::ReleaseContainer() {
    if (!m_pContainer)
        return;
    IFolderItemContainer* container = m_pContainer;
    m_pContainer = nullptr;
    container->Destroy();
}
