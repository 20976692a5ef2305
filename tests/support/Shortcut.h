#pragma once
#include <string>

// Saves a shortcut through the shell's own link object; false when any step fails.
bool CreateShortcut(const std::wstring& shortcut, const std::wstring& target, const std::wstring& arguments = L"",
                    const std::wstring& workingDirectory = L"");
