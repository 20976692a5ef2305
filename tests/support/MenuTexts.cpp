#include "support/MenuTexts.h"

Texts MenuItemTexts(HMENU menu) {
    Texts texts;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        WCHAR text[MAX_PATH] = L"";
        GetMenuStringW(menu, static_cast<UINT>(position), text, MAX_PATH, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}
