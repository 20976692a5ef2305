#pragma once
#include <windows.h>

// Order of folder menu entries: names that start with a digit come first, ordered by their
// leading number and then by text; all other names by text. Text compares without regard to
// case for the letters A to Z only. Negative, zero or positive like wcscmp.
int CompareMenuNames(LPCWSTR first, LPCWSTR second);
