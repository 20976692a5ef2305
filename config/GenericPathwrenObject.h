#pragma once
#include "config/SingleFolderOptions.h"

// What a folder item keeps of the object that presents it on screen: only the way to end it.
class IFolderItemContainer {
public:
    // Ends the container; the object is gone afterwards.
    virtual void Destroy() = 0;

protected:
    ~IFolderItemContainer() = default;
};

// A folder item as the application keeps it: its settings plus the container that presents it.
class CGenericPathwrenObject : public CSingleFolderOptions {
public:
    CGenericPathwrenObject() : m_pContainer(nullptr) {}
    ~CGenericPathwrenObject() override;

    // Ends the container, if any, and clears the link.
    void ReleaseContainer();

    IFolderItemContainer* m_pContainer; // owned; null until the item's container is created
};
