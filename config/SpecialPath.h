#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A stored folder path is either a plain path (absolute, or relative to the program directory)
// or a Windows special folder written "::CSIDL:0x%X".

struct SpecialFolderEntry {
    int csidl;
    LPCWSTR name;
};

// The special folders the options offer, in alphabetical order of their names.
extern const SpecialFolderEntry kSpecialFolders[55];

// The real directory of a stored path; FALSE when it cannot be parsed or is not a directory.
BOOL ResolveSpecialPath(LPCWSTR storedPath, LPWSTR resolved);
// A plain path made absolute against base (null: the program directory); "/" counts as "\".
// Neither the path nor the process's current directory is changed.
BOOL MakeAbsolutePath(LPCWSTR baseDirectory, LPCWSTR path, LPWSTR absolute);
// The last component of the resolved path, for a display name when the shell has none.
BOOL GetLastPathComponent(LPCWSTR storedPath, LPWSTR component);

// "::CSIDL:0x%X" of the number.
std::wstring FormatSpecialPath(int csidl);
// TRUE when the path is special and its number parses.
BOOL ParseSpecialPath(LPCWSTR storedPath, int* csidl);
// The program directory with its trailing backslash: the executable's directory, unless a test
// moved the program into a directory of its own with OverrideProgramDirectory.
std::wstring GetProgramDirectory();
// Test seam: every program-relative path (configuration files, languages, skins, relative item
// paths) then lives under the given directory (with its trailing backslash); null restores the
// executable's directory.
void OverrideProgramDirectory(LPCWSTR directory);

struct SpecialFolderOffer {
    int csidl;
    std::wstring path;
    std::wstring text; // "%s    (%s)": the path and the name
};

// The special folders that exist on this system, sorted by path (UTF-16 code units).
std::vector<SpecialFolderOffer> GetSpecialFolderOffers();
