#pragma once
#include "config/GenericPathwrenObject.h"

#include <cwchar>
#include <vector>

// The folder items of one numbered save: every setting of every item depends on the generation
// and the item's index, so a file that mixes two saves cannot pass for either.
inline std::vector<CGenericPathwrenObject*> MakeGenerationItems(int generation, int count) {
    std::vector<CGenericPathwrenObject*> items;
    for (int i = 0; i < count; ++i) {
        CGenericPathwrenObject* item = new CGenericPathwrenObject();
        item->FolderPresentationType = 3;
        swprintf(item->DisplayName, 256, L"Generation %d item %d", generation, i);
        swprintf(item->Path, MAX_PATH, L"C:\\generation %d\\item %d", generation, i);
        swprintf(item->InclusionFilters, 1024, L"*.g%d;*.i%d", generation, i);
        item->FolderViewMode = generation % 11;
        item->HotKeyVirtualKey = 'A' + (generation + i) % 26;
        item->TextColor = static_cast<COLORREF>(generation * 1000 + i);
        item->LaunchBarFreeSpaceBeforeIcon = generation; // the last key each item writes
        items.push_back(item);
    }
    return items;
}
