#pragma once
#include <windows.h>

// Replaces the clipboard's content with size bytes of data in the given format (for text, the
// terminator included). Failures are reported with "Error copying data to clipboard" and the
// system's reason; data that cannot be read is refused without a message.
BOOL CopyToClipboard(HWND owner, UINT format, const void* data, SIZE_T size);
