#pragma once
#include <windows.h>

// Conversions between UTF-16 and the ANSI code page (CP_ACP).
//
// The allocating forms return 0 with a new terminated buffer in *converted (free it with delete[]),
// or an error code with *converted null: ERROR_NOT_ENOUGH_MEMORY or the conversion's own error.
// A null text is not an error: *converted is then null and the result 0.
DWORD AnsiToWideAlloc(LPCSTR text, LPWSTR* converted);
DWORD WideToAnsiAlloc(LPCWSTR text, LPSTR* converted);

// The buffer forms convert into a buffer of bufferLength characters (bytes for ANSI) and return the
// length of the text written, terminator excluded. A text that does not fit is cut after the last
// whole character that does, so a surrogate pair or a double-byte character is never split. A null
// text or buffer gives ERROR_INVALID_PARAMETER, an empty buffer ERROR_NOT_ENOUGH_MEMORY; note that
// these codes are indistinguishable from lengths of 87 and 8, so callers that care check the
// arguments themselves. The buffer always ends with a terminator at its last position.
int AnsiToWide(LPCSTR text, LPWSTR buffer, int bufferLength);
int WideToAnsi(LPCWSTR text, LPSTR buffer, int bufferSize);
