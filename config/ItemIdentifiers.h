#pragma once
#include <windows.h>

#include <vector>

class CGenericPathwrenObject;

// Gives every item without an identifier, or with one an earlier item already has (a section
// copied by hand in the file), a new one. TRUE when any item got one.
BOOL GiveItemsIdentifiers(const std::vector<CGenericPathwrenObject*>& items);
// A new identifier: a GUID in its 36-character form without braces, so that it can also stand in
// an application user model identifier.
BOOL MakeItemIdentifier(LPWSTR buffer, size_t size);
// Whether the text has the form of an identifier, whether or not an item has it.
bool IsItemIdentifierForm(LPCWSTR text);
// The index of the item with that identifier or, failing that, with that display name (both
// without regard to case); -1 when none.
int FindItemByIdentifierOrName(const std::vector<CGenericPathwrenObject*>& items, LPCWSTR text);
