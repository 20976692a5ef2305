#include "options/OptionsControls.h"

#include <vector>

namespace {

BOOL StartsGroup(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_GROUP) != 0;
}

} // namespace

BOOL ApplyToControlGroup(HWND dialog, int firstControl, BOOL(WINAPI* action)(HWND, int), int argument) {
    HWND window = GetDlgItem(dialog, firstControl);
    BOOL all = TRUE;
    if (!window)
        return FALSE;
    do {
        if (!action(window, argument))
            all = FALSE;
        window = GetWindow(window, GW_HWNDNEXT);
    } while (window && !StartsGroup(window));
    return all;
}

BOOL WINAPI ShowControlAction(HWND window, int show) {
    ShowWindow(window, show);
    return TRUE;
}

BOOL WINAPI EnableControlAction(HWND window, int enable) {
    EnableWindow(window, enable);
    return TRUE;
}

RECT GetControlRect(HWND dialog, int control) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, control), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void MoveControlGroup(HWND dialog, int firstControl, POINT target) {
    HWND first = GetDlgItem(dialog, firstControl);
    if (!first)
        return;
    RECT firstRect = GetControlRect(dialog, firstControl);
    int dx = target.x - firstRect.left;
    int dy = target.y - firstRect.top;
    if (dx == 0 && dy == 0)
        return;
    HWND window = first;
    do {
        RECT rect;
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        SetWindowPos(window, nullptr, rect.left + dx, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        window = GetWindow(window, GW_HWNDNEXT);
    } while (window && !StartsGroup(window));
    InvalidateRect(dialog, nullptr, TRUE);
}

HWND LastOfGroup(HWND dialog, int firstControl) {
    HWND last = GetDlgItem(dialog, firstControl);
    for (HWND next = last ? GetWindow(last, GW_HWNDNEXT) : nullptr; next && !StartsGroup(next);
         next = GetWindow(next, GW_HWNDNEXT))
        last = next;
    return last;
}

HWND PlaceGroupAfter(HWND dialog, int firstControl, HWND after) {
    // Collected first: each move changes the sibling order being walked.
    std::vector<HWND> group;
    HWND last = LastOfGroup(dialog, firstControl);
    for (HWND window = GetDlgItem(dialog, firstControl); window; window = GetWindow(window, GW_HWNDNEXT)) {
        group.push_back(window);
        if (window == last)
            break;
    }
    for (HWND window : group) {
        SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = window;
    }
    return after;
}

void SetStaticBitmap(HWND picture, CBitmapHandle& shown, HBITMAP replacement) {
    auto previous = reinterpret_cast<HBITMAP>(
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(replacement)));
    if (previous && previous != shown.Get())
        DeleteObject(previous);
    shown.Reset(replacement);
}

BOOL ReadUnsignedNumber(HWND dialog, int control, UINT* value) {
    WCHAR text[32] = L"";
    GetDlgItemTextW(dialog, control, text, ARRAYSIZE(text));
    const WCHAR* character = text;
    while (*character == L' ')
        ++character;
    unsigned long long number = 0;
    const WCHAR* digits = character;
    for (; *character >= L'0' && *character <= L'9'; ++character) {
        number = number * 10 + static_cast<unsigned>(*character - L'0');
        if (number > 0xFFFFFFFFull)
            return FALSE;
    }
    BOOL anyDigit = character != digits;
    while (*character == L' ')
        ++character;
    if (!anyDigit || *character != L'\0')
        return FALSE;
    *value = static_cast<UINT>(number);
    return TRUE;
}

BOOL ReadNumberInRange(HWND dialog, int control, UINT minimum, UINT maximum, UINT* value) {
    UINT number = 0;
    if (!ReadUnsignedNumber(dialog, control, &number) || number < minimum || number > maximum)
        return FALSE;
    *value = number;
    return TRUE;
}

void RefillComboBox(HWND list, const std::vector<LPCWSTR>& texts) {
    LRESULT selection = SendMessageW(list, CB_GETCURSEL, 0, 0);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (LPCWSTR text : texts)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}
