#pragma once
#include <windows.h>

#include <string>

// A batch script that writes one line into the file `marker` when it runs: the text given, after
// the expansion cmd.exe does ("%CD%" is the directory the script was started in, "%*" its
// arguments).
bool WriteMarkerScript(const std::wstring& script, const std::wstring& marker, const std::string& line);

// Waits for a started script's marker to hold a whole line and returns that line without its
// trailing blanks; "(nothing written)" when none came within the limit.
std::string WaitForMarkerLine(const std::wstring& marker, DWORD timeoutMs = 20000);
