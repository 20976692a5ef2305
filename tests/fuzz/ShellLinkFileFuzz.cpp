// libFuzzer target for the shortcut file reader, built natively with clang under AddressSanitizer
// and UndefinedBehaviorSanitizer by tools/fuzz.sh.
#include "lib/ShellLinkFile.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The link flags follow the 4-byte header size and the 16-byte class identifier.
const size_t kLinkFlagsOffset = 20;
const uint8_t kHasIconLocation = 0x40;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string unicodePath;
    std::string ansiPath;
    bool read = CShellLinkFile::ReadLocalTarget(data, size, &unicodePath, &ansiPath);
    // A target read is a whole path in exactly one of the two encodings.
    if (read == (unicodePath.empty() && ansiPath.empty()) || (read && !unicodePath.empty() && !ansiPath.empty()))
        abort();

    // A shortcut that shows its target's icon is one whose flags were read; naming an icon
    // location in those flags must make it name its own.
    if (!CShellLinkFile::NamesItsIcon(data, size)) {
        if (size <= kLinkFlagsOffset)
            abort();
        std::vector<uint8_t> named(data, data + size);
        named[kLinkFlagsOffset] |= kHasIconLocation;
        if (!CShellLinkFile::NamesItsIcon(named.data(), named.size()))
            abort();
    }
    return 0;
}
