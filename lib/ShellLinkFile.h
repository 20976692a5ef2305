#pragma once
// Portable on purpose: no Windows header, so the reader also builds natively and can be fuzzed.
#include <cstddef>
#include <cstdint>
#include <string>

// Reads a shortcut file's bytes in the shell's binary link format. The shell's own link object
// costs about a millisecond per shortcut to create and load, and a folder menu lists every
// shortcut of a folder at every build; the path a shortcut keeps is a few bytes into the file.
class CShellLinkFile {
public:
    // The local path the shortcut keeps for its target: its base path and suffix joined, in UTF-16
    // when the file has it so (unicodePath), else in the system's ANSI code page (ansiPath).
    // FALSE, leaving the shell to decide, for a damaged file and for targets the shell may see
    // otherwise: written with environment variables, installed on demand, on a network share
    // only, or a shell item without a path.
    static bool ReadLocalTarget(const uint8_t* data, size_t size, std::u16string* unicodePath, std::string* ansiPath);
    // Whether the shortcut names an icon of its own, rather than showing its target's; true for
    // bytes that are no shortcut.
    static bool NamesItsIcon(const uint8_t* data, size_t size);
};
