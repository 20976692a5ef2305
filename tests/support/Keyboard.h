#pragma once
#include <windows.h>

#include <initializer_list>

// Presses the keys in order through the input queue and lets them go in reverse, as a hand
// holding modifiers does; the window in front receives them.
void SendKeys(std::initializer_list<WORD> keys);
