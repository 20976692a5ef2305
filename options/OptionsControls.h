#pragma once
#include <windows.h>

#include "lib/GdiObject.h"

#include <vector>

// The options template lays its pages out as groups of controls: a group runs from a control
// with WS_GROUP up to, not including, the next one with WS_GROUP, in the order of the dialog's
// children. The pages show, hide, enable and move whole groups.

// Runs the action on each control of the group; FALSE when the group is missing or an action failed.
BOOL ApplyToControlGroup(HWND dialog, int firstControl, BOOL(WINAPI* action)(HWND, int), int argument);
BOOL WINAPI ShowControlAction(HWND window, int show);
BOOL WINAPI EnableControlAction(HWND window, int enable);
// Moves the group so that its first control's top left corner lands on the target.
void MoveControlGroup(HWND dialog, int firstControl, POINT target);
HWND LastOfGroup(HWND dialog, int firstControl);
// Moves a whole control group to follow `after` in the tab order; returns its last window.
HWND PlaceGroupAfter(HWND dialog, int firstControl, HWND after);
// The control's rectangle in the dialog's client coordinates.
RECT GetControlRect(HWND dialog, int control);

// The unsigned number in an edit; FALSE, with the value untouched, for anything but digits
// (surrounding blanks allowed) or a number too big for 32 bits. Windows' own reading of
// GetDlgItemInt differs between versions for a minus sign.
BOOL ReadUnsignedNumber(HWND dialog, int control, UINT* value);
// ReadUnsignedNumber, and FALSE with the value untouched for a number outside minimum..maximum.
BOOL ReadNumberInRange(HWND dialog, int control, UINT minimum, UINT maximum, UINT* value);
// Puts the bitmap (owned by the caller's holder, which may be empty) into a picture static.
// Common controls 6 keep a copy of a bitmap with alpha and hand that copy back on the next
// change; only the copy is deleted here, never the caller's bitmap.
void SetStaticBitmap(HWND picture, CBitmapHandle& shown, HBITMAP replacement);
// Puts these texts in the combo box instead of its own, keeping the entry selected.
void RefillComboBox(HWND list, const std::vector<LPCWSTR>& texts);
