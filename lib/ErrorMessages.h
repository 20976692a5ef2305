#pragma once
#include <windows.h>

// Shows the system's text for a COM result in an error box; results the system has no text for
// get the texts the compiler's _com_error class would give ("IDispatch error #n", "Unknown error").
void ShowComError(HRESULT hr);

// An error box with the caption "Error"; returns the MessageBoxW result.
int ShowError(HWND owner, LPCWSTR text);

// Shows the text followed, on the next line, by the system's description of the calling thread's
// last error code. Call it straight after the failing function, before anything can reset the code.
void ShowLastError(LPCWSTR text, HWND owner = nullptr);
