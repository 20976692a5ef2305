#include "config/GenericPathwrenObject.h"

#include "containers/ContainerBase.h"

CGenericPathwrenObject::~CGenericPathwrenObject() {
    ReleaseContainer();
}

void CGenericPathwrenObject::ReleaseContainer() {
    if (!m_pContainer)
        return;
    CContainerBase* container = m_pContainer;
    m_pContainer = nullptr;
    container->Destroy();
}
