#include "config/ItemIdentifiers.h"

#include "config/GenericPathwrenObject.h"
#include "lib/StringCopy.h"

#include <objbase.h>

#include <cwchar>
#include <cwctype>

namespace {

const size_t kIdentifierLength = 36;

bool SameText(LPCWSTR first, LPCWSTR second) {
    return CompareStringOrdinal(first, -1, second, -1, TRUE) == CSTR_EQUAL;
}

bool IsTaken(const std::vector<CGenericPathwrenObject*>& items, size_t before, LPCWSTR identifier) {
    for (size_t i = 0; i < before; ++i) {
        if (SameText(items[i]->ItemIdentifier, identifier))
            return true;
    }
    return false;
}

} // namespace

BOOL MakeItemIdentifier(LPWSTR buffer, size_t size) {
    GUID guid;
    WCHAR text[40];
    if (size <= kIdentifierLength || FAILED(CoCreateGuid(&guid)) || StringFromGUID2(guid, text, ARRAYSIZE(text)) == 0)
        return FALSE;
    CopyTruncated(buffer, kIdentifierLength + 1, text + 1); // without the braces
    for (size_t i = 0; buffer[i]; ++i)
        buffer[i] = static_cast<WCHAR>(towlower(buffer[i]));
    return TRUE;
}

BOOL GiveItemsIdentifiers(const std::vector<CGenericPathwrenObject*>& items) {
    BOOL given = FALSE;
    for (size_t i = 0; i < items.size(); ++i) {
        LPWSTR identifier = items[i]->ItemIdentifier;
        if (identifier[0] && !IsTaken(items, i, identifier))
            continue;
        if (MakeItemIdentifier(identifier, ARRAYSIZE(items[i]->ItemIdentifier)))
            given = TRUE;
    }
    return given;
}

bool IsItemIdentifierForm(LPCWSTR text) {
    if (wcslen(text) != kIdentifierLength)
        return false;
    for (size_t i = 0; i < kIdentifierLength; ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != L'-' : !iswxdigit(text[i]))
            return false;
    }
    return true;
}

int FindItemByIdentifierOrName(const std::vector<CGenericPathwrenObject*>& items, LPCWSTR text) {
    if (!text[0])
        return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (SameText(items[i]->ItemIdentifier, text))
            return static_cast<int>(i);
    }
    WCHAR name[MAX_PATH];
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i]->GetDisplayName(name) && SameText(name, text))
            return static_cast<int>(i);
    }
    return -1;
}
