// libFuzzer target for the INI parser, built natively with clang under AddressSanitizer and
// UndefinedBehaviorSanitizer by tools/fuzz.sh.
#include "config/IniDocument.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CIniDocument document = CIniDocument::Parse(data, size, Latin1CodePage());
    // A document nobody wrote to gives back exactly the bytes it was read from.
    if (document.Serialize(Latin1CodePage()) != std::vector<unsigned char>(data, data + size))
        abort();

    char16_t buffer[64];
    std::vector<std::u16string> sections = document.SectionNames();
    for (size_t i = 0; i < sections.size() && i < 8; ++i) {
        for (const std::u16string& key : document.KeyNames(sections[i])) {
            document.GetString(sections[i], key, u"default ", buffer, 1 + key.size() % 64);
            document.GetInt(sections[i], key, -1);
        }
    }
    document.GetInt(u"Default", u"Folders", 0);

    // Writes land where a later read finds them, whatever the file looked like.
    document.SetString(u"Default", u"Folders", u"12");
    document.SetString(u" Folders_0 ", u"Path", u"C:\\");
    std::vector<unsigned char> saved = document.Serialize(Latin1CodePage());
    CIniDocument reread = CIniDocument::Parse(saved.data(), saved.size(), Latin1CodePage());
    if (reread.GetInt(u"default", u"folders", 0) != 12 || reread.GetString(u"Folders_0", u"Path", u"", buffer, 64) != 3)
        abort();
    return 0;
}
