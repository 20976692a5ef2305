// libFuzzer target for the shortcut file reader, built natively with clang under AddressSanitizer
// and UndefinedBehaviorSanitizer by tools/fuzz.sh.
#include "lib/ShellLinkFile.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string unicodePath;
    std::string ansiPath;
    bool read = CShellLinkFile::ReadLocalTarget(data, size, &unicodePath, &ansiPath);
    // A target read is a whole path in exactly one of the two encodings.
    if (read == (unicodePath.empty() && ansiPath.empty()) || (read && !unicodePath.empty() && !ansiPath.empty()))
        abort();
    return 0;
}
