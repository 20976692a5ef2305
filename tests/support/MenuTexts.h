#pragma once
#include <windows.h>

#include <string>
#include <vector>

typedef std::vector<std::wstring> Texts;

// The texts of a menu's items, in order (empty for a separator).
Texts MenuItemTexts(HMENU menu);
