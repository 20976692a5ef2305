// libFuzzer target for the INI parser, built natively with clang under AddressSanitizer and
// UndefinedBehaviorSanitizer by tools/fuzz.sh. The input is a file and a batch of writes.
#include "config/IniDocument.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Write {
    std::u16string section, key, value;
};

// Names and values as the program writes them: no line break or NUL, which no setting holds, no
// "=" in a key and no "[" starting one, which would make it a value or a section header. Blanks
// around them are left to the document to drop.
std::u16string Text(FuzzedDataProvider& input, bool key) {
    std::string bytes = input.ConsumeRandomLengthString(24);
    std::u16string text;
    for (unsigned char c : bytes) {
        if (c == '\r' || c == '\n' || c == 0 || (key && c == '='))
            continue;
        text += static_cast<char16_t>(c);
    }
    size_t first = text.find_first_not_of(u" \t\x0B\x0C\x1A");
    if (key && first != std::u16string::npos && text[first] == u'[')
        text[first] = u'(';
    return text;
}

std::u16string Read(const CIniDocument& document, const Write& write) {
    char16_t buffer[64];
    size_t length = document.GetString(write.section, write.key, u"<missing>", buffer, 64);
    return std::u16string(buffer, length);
}

// The lines of an ANSI file, each with its line end, as every reader cuts them.
std::vector<std::string> Lines(const std::vector<unsigned char>& bytes) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        while (end < bytes.size() && (bytes[end] == '\r' || bytes[end] == '\n'))
            ++end;
        lines.emplace_back(bytes.begin() + start, bytes.begin() + end);
        start = end;
    }
    return lines;
}

// Whether a line may hold one of the written keys, compared without case: only those may change.
// A key of blanks only is the nameless one, which any line with "=" or a NUL (which ends a name) may hold.
bool MayHoldAWrittenKey(const std::string& line, const std::vector<Write>& writes) {
    auto fold = [](char16_t c) { return static_cast<char>((c >= u'A' && c <= u'Z') ? c + 32 : c); };
    std::string folded;
    for (unsigned char c : line)
        folded += fold(c);
    for (const Write& write : writes) {
        std::string key;
        for (char16_t c : write.key)
            key += fold(c);
        size_t first = key.find_first_not_of(" \t\x0B\x0C\x1A");
        if (first == std::string::npos
                ? folded.find_first_of(std::string("=\0", 2)) != std::string::npos
                : folded.find(key.substr(first, key.find_last_not_of(" \t\x0B\x0C\x1A") + 1 - first)) !=
                      std::string::npos)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<Write> writes(input.ConsumeIntegralInRange<size_t>(0, 6));
    for (Write& write : writes) {
        write.section = Text(input, false);
        write.key = Text(input, true);
        write.value = Text(input, false);
    }
    std::vector<unsigned char> file = input.ConsumeRemainingBytes<unsigned char>();

    CIniDocument batch = CIniDocument::Parse(file.data(), file.size(), Latin1CodePage());
    // A document nobody wrote to gives back exactly the bytes it was read from.
    if (batch.Serialize(Latin1CodePage()) != file)
        abort();
    char16_t buffer[64];
    std::vector<std::u16string> sections = batch.SectionNames();
    for (size_t i = 0; i < sections.size() && i < 8; ++i) {
        for (const std::u16string& key : batch.KeyNames(sections[i])) {
            batch.GetString(sections[i], key, u"default ", buffer, 1 + key.size() % 64);
            batch.GetInt(sections[i], key, -1);
        }
    }

    // The batch answers from memory, the program after it from a fresh parse of the saved bytes:
    // after every write, both must give the same answers, and writes made one at a time through
    // saved bytes must end in the same file as the batch.
    std::vector<unsigned char> stepwise = file;
    for (size_t i = 0; i < writes.size(); ++i) {
        batch.SetString(writes[i].section, writes[i].key, writes[i].value);
        CIniDocument step = CIniDocument::Parse(stepwise.data(), stepwise.size(), Latin1CodePage());
        step.SetString(writes[i].section, writes[i].key, writes[i].value);
        stepwise = step.Serialize(Latin1CodePage());
        std::vector<unsigned char> saved = batch.Serialize(Latin1CodePage());
        if (saved != stepwise)
            abort();
        CIniDocument fresh = CIniDocument::Parse(saved.data(), saved.size(), Latin1CodePage());
        if (fresh.Encoding() != batch.Encoding())
            abort();
        for (size_t j = 0; j <= i; ++j) {
            if (Read(fresh, writes[j]) != Read(batch, writes[j]))
                abort();
        }
    }

    // Every line that cannot hold a written key keeps its bytes, in its order.
    if (batch.Encoding() == IniEncoding::Ansi && !writes.empty()) {
        std::vector<unsigned char> saved = batch.Serialize(Latin1CodePage());
        std::string text(saved.begin(), saved.end());
        size_t at = 0;
        for (const std::string& line : Lines(file)) {
            if (MayHoldAWrittenKey(line, writes))
                continue;
            // A last line without its line end gets one when lines are written after it.
            size_t found = text.find(line, at);
            if (found == std::string::npos)
                abort();
            at = found + line.size();
        }
    }
    return 0;
}
