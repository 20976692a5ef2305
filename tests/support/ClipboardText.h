#pragma once
#include <string>

// The Unicode text on the clipboard; "(no text)" or "(clipboard busy)" when there is none to read.
std::wstring ClipboardText();
