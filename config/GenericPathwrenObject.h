#pragma once
#include "config/SingleFolderOptions.h"

class CContainerBase;

// A folder item as the application keeps it: its settings plus the container that presents it.
class CGenericPathwrenObject : public CSingleFolderOptions {
public:
    CGenericPathwrenObject() : m_pContainer(nullptr) {}
    ~CGenericPathwrenObject() override;

    // Ends the container, if any, and clears the link.
    void ReleaseContainer();

    CContainerBase* m_pContainer; // owned; null until the item's container is created
};
