#include "config/IniDocument.h"

#include <algorithm>
#include <cstring>

namespace {

// The profile functions' blanks: the ASCII white space, plus Ctrl-Z, which old editors put at the
// end of text files. Unicode spaces such as U+00A0 or U+3000 are part of names and values.
bool IsBlank(char16_t c) {
    return c == 0x1A || c == 0x20 || (c >= 0x09 && c <= 0x0D);
}

// Names match without regard to the case of the ASCII letters only; accented capitals stay distinct.
char16_t FoldCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

int CompareFolded(std::u16string_view a, std::u16string_view b) {
    size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        char16_t x = FoldCase(a[i]);
        char16_t y = FoldCase(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Most names differ in length, so equality is settled before any character is folded.
bool EqualFolded(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

// The length and three case-folded characters: enough to tell the keys of one section apart
// almost always, at a cost that does not grow with the name.
uint32_t HashName(std::u16string_view name) {
    if (name.empty())
        return 0;
    uint32_t hash = static_cast<uint32_t>(name.size()) * 0x9E3779B1u;
    hash ^= FoldCase(name.front()) ^ (static_cast<uint32_t>(FoldCase(name[name.size() / 2])) << 8);
    return hash ^ (static_cast<uint32_t>(FoldCase(name.back())) << 16);
}

// Text after a NUL is invisible to the profile functions, which pass names on as C strings.
std::u16string_view UpToNul(std::u16string_view text) {
    size_t nul = text.find(u'\0');
    return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    size_t end = text.size();
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

bool IsLineEnd(char16_t c) {
    return c == u'\r' || c == u'\n';
}

std::u16string DecodeLatin1(const char* bytes, size_t size) {
    std::u16string text(size, u'\0');
    for (size_t i = 0; i < size; ++i)
        text[i] = static_cast<unsigned char>(bytes[i]);
    return text;
}

std::string EncodeLatin1(const char16_t* text, size_t length) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = text[i] < 0x100 ? static_cast<char>(text[i]) : '?';
    return bytes;
}

// The value as the profile functions copy it: one pair of matching quotes around it is dropped,
// then it is cut to size - 1 characters. The closing quote is dropped with the last character
// only when the quoted text fits whole, as they do.
size_t CopyEntry(std::u16string_view value, char16_t* buffer, size_t size) {
    value = UpToNul(value);
    bool quoted = value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0];
    if (quoted)
        value.remove_prefix(1);
    size_t copied = std::min(value.size(), size - 1);
    std::copy(value.begin(), value.begin() + copied, buffer);
    buffer[copied] = u'\0';
    if (quoted && size >= value.size() && copied > 0)
        buffer[--copied] = u'\0';
    return copied;
}

// RtlUnicodeStringToInteger with base 0: blanks and control characters skipped, a sign, a
// lower-case "0x", "0o" or "0b", then digits up to the first that does not belong; overflow wraps.
uint32_t ParseProfileNumber(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] <= u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == u'0') {
        char16_t prefix = text[i + 1];
        base = prefix == u'x' ? 16 : prefix == u'o' ? 8 : prefix == u'b' ? 2 : 10;
        if (base != 10)
            i += 2;
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        uint32_t digit = 99;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'A' && c <= u'Z')
            digit = c - u'A' + 10;
        else if (c >= u'a' && c <= u'z')
            digit = c - u'a' + 10;
        if (digit >= base)
            break;
        total = total * base + digit;
    }
    return negative ? 0u - total : total;
}

// The lines before the first header and under each header, found as the parse finds them, so
// that the parse reserves each section's room once instead of growing it by doubling (which holds
// up to three times the room at the moment of growing). In a multi-byte code page a trailing
// byte may look like a bracket; the count is then a little off, which costs only a growth. Also
// counts the characters of the lines without their line ends, the most a code page decodes them to.
template <typename Char>
std::vector<uint32_t> CountLinesPerSection(const Char* text, size_t count, size_t* contentLength) {
    std::vector<uint32_t> counts(1, 0);
    *contentLength = 0;
    for (size_t start = 0; start < count;) {
        size_t end = start;
        while (end < count && text[end] != '\r' && text[end] != '\n')
            ++end;
        size_t next = end;
        while (next < count && (text[next] == '\r' || text[next] == '\n'))
            ++next;
        *contentLength += end - start;
        size_t first = start;
        while (first < end && IsBlank(static_cast<char16_t>(text[first])))
            ++first;
        bool header = false;
        for (size_t i = end; first < end && text[first] == '[' && i > first + 1 && !header; --i)
            header = text[i - 1] == ']';
        if (header)
            counts.push_back(1);
        else
            ++counts.back();
        start = next;
    }
    return counts;
}

// Room for what a save adds to a parsed file, a few keys: without it, the first write into a full
// vector of a large file would hold the old and a doubled new one at once.
size_t WithRoomForWrites(size_t count) {
    return count + count / 16 + 2;
}

void AppendUtf16(std::vector<unsigned char>& bytes, std::u16string_view text) {
    size_t at = bytes.size();
    bytes.resize(at + 2 * text.size());
    unsigned char* out = bytes.data() + at;
    for (char16_t c : text) {
        *out++ = static_cast<unsigned char>(c & 0xFF);
        *out++ = static_cast<unsigned char>(c >> 8);
    }
}

} // namespace

const IniCodePage& Latin1CodePage() {
    static const IniCodePage codePage = {DecodeLatin1, EncodeLatin1};
    return codePage;
}

CIniDocument::CIniDocument() {
    m_raw = {0xFF, 0xFE};
    m_sections.emplace_back();
    BuildSectionIndex();
}

CIniDocument CIniDocument::Parse(std::vector<unsigned char>&& bytes, const IniCodePage& codePage) {
    CIniDocument document;
    document.m_raw = std::move(bytes);
    const unsigned char* raw = document.m_raw.data();
    size_t size = document.m_raw.size();
    if (size >= 2 && raw[0] == 0xFF && raw[1] == 0xFE) {
        size_t count = (size - 2) / 2;
        document.m_rawTail = (size - 2) % 2;
        document.m_text.reserve(WithRoomForWrites(count));
        document.m_text.resize(count);
        char16_t* text = &document.m_text[0];
        size_t contentLength = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        std::memcpy(text, raw + 2, 2 * count); // the file's order is the machine's
#else
        for (size_t i = 0; i < count; ++i)
            text[i] = static_cast<char16_t>(raw[2 + 2 * i] | (raw[3 + 2 * i] << 8));
#endif
        document.ReserveForParse(CountLinesPerSection(text, count, &contentLength));
        for (size_t start = 0; start < count;) {
            size_t end = start;
            while (end < count && !IsLineEnd(document.m_text[end]))
                ++end;
            size_t next = end;
            while (next < count && IsLineEnd(document.m_text[next]))
                ++next;
            Line line;
            line.rawOffset = static_cast<uint32_t>(2 + 2 * start);
            line.rawLength = static_cast<uint32_t>(2 * (next - start));
            line.breakLength = static_cast<uint32_t>(2 * (next - end));
            document.AddLine({static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)}, line);
            start = next;
        }
    } else {
        document.m_encoding = IniEncoding::Ansi;
        size_t contentLength = 0;
        document.ReserveForParse(CountLinesPerSection(raw, size, &contentLength));
        // A code page gives at most one UTF-16 unit per byte.
        document.m_text.reserve(WithRoomForWrites(contentLength));
        // CR and LF are never part of a multi-byte character, so the lines are found in the bytes
        // and each is decoded on its own, which keeps every line's bytes known.
        for (size_t start = 0; start < size;) {
            size_t end = start;
            while (end < size && raw[end] != '\r' && raw[end] != '\n')
                ++end;
            size_t next = end;
            while (next < size && (raw[next] == '\r' || raw[next] == '\n'))
                ++next;
            uint32_t offset = static_cast<uint32_t>(document.m_text.size());
            document.m_text += codePage.decode(reinterpret_cast<const char*>(raw + start), end - start);
            Line line;
            line.rawOffset = static_cast<uint32_t>(start);
            line.rawLength = static_cast<uint32_t>(next - start);
            line.breakLength = static_cast<uint32_t>(next - end);
            document.AddLine({offset, static_cast<uint32_t>(document.m_text.size() - offset)}, line);
            start = next;
        }
    }
    document.m_sectionLines.clear();
    document.m_sectionLines.shrink_to_fit();
    document.NoteRepeatedNames();
    document.BuildSectionIndex();
    return document;
}

void CIniDocument::ReserveForParse(const std::vector<uint32_t>& linesPerSection) {
    m_sectionLines = linesPerSection;
    m_sections.reserve(m_sectionLines.size());
    m_sections[0].lines.reserve(WithRoomForWrites(m_sectionLines[0]));
    m_sections[0].entries.reserve(WithRoomForWrites(m_sectionLines[0]));
}

void CIniDocument::AddLine(Span content, const Line& line) {
    std::u16string_view text = View(content);
    std::u16string_view trimmed = TrimBlanks(text);
    size_t start = static_cast<size_t>(trimmed.data() - text.data());
    size_t end = start + trimmed.size();
    uint32_t base = content.offset;
    if (start < end && text[start] == u'[') {
        size_t close = text.rfind(u']', end - 1);
        if (close != std::u16string_view::npos && close > start) {
            Section section;
            // Blanks inside the brackets are not part of the name.
            std::u16string_view inside = TrimBlanks(text.substr(start + 1, close - start - 1));
            section.name = {static_cast<uint32_t>(base + (inside.data() - text.data())),
                            static_cast<uint32_t>(inside.size())};
            section.name.length = static_cast<uint32_t>(UpToNul(View(section.name)).size());
            size_t number = m_sections.size();
            if (number < m_sectionLines.size()) {
                section.lines.reserve(WithRoomForWrites(m_sectionLines[number]));
                section.entries.reserve(WithRoomForWrites(m_sectionLines[number] - 1));
            }
            section.lines.push_back(line);
            m_sections.push_back(std::move(section));
            return;
        }
    }
    Section& section = m_sections.back();
    section.lines.push_back(line);
    if (start >= end)
        return;
    section.afterLastEntry = static_cast<uint32_t>(section.lines.size());
    // One pass over the line finds the "=" and the first NUL on either side of it, which ends
    // the name or the value early.
    const char16_t* chars = text.data();
    size_t equals = end, nameNul = end, valueNul = end;
    for (size_t i = start; i < end; ++i) {
        if (chars[i] == u'=' && equals == end)
            equals = i;
        else if (chars[i] == u'\0' && equals == end)
            nameNul = std::min(nameNul, i);
        else if (chars[i] == u'\0')
            valueNul = std::min(valueNul, i);
    }
    Entry entry;
    entry.line = static_cast<uint32_t>(section.lines.size() - 1);
    size_t nameEnd = equals;
    if (equals < end) {
        while (nameEnd > start && IsBlank(chars[nameEnd - 1]))
            --nameEnd;
        size_t valueStart = equals + 1;
        while (valueStart < end && IsBlank(chars[valueStart]))
            ++valueStart;
        entry.hasValue = true;
        entry.value = {static_cast<uint32_t>(base + valueStart), static_cast<uint32_t>(valueNul - valueStart)};
    }
    // A nameless entry right after another nameless one is dropped, as the profile functions do.
    bool keep = nameEnd > start || section.entries.empty() || section.entries.back().name.length > 0;
    entry.name = {static_cast<uint32_t>(base + start), static_cast<uint32_t>(std::min(nameEnd, nameNul) - start)};
    if (keep)
        section.AddEntry(entry, HashName(View(entry.name)));
}

void CIniDocument::NoteRepeatedNames() {
    // An open-addressing set of the names' hashes per section; equal hashes count as a repeat.
    const size_t kLargestChecked = 4096;
    std::vector<uint32_t> slots; // entry index + 1; 0 is free
    std::vector<uint32_t> hashes;
    for (Section& section : m_sections) {
        size_t count = section.entries.size();
        section.mayRepeatNames = count > kLargestChecked;
        if (count < 2 || section.mayRepeatNames)
            continue;
        size_t size = 64;
        while (size < 2 * count)
            size *= 2;
        slots.assign(size, 0);
        hashes.resize(count);
        for (size_t i = 0; i < count; ++i)
            hashes[i] = HashName(View(section.entries[i].name));
        for (size_t i = 0; i < count && !section.mayRepeatNames; ++i) {
            uint32_t hash = hashes[i];
            size_t slot = (hash * 0x9E3779B1u) & (size - 1);
            while (slots[slot] != 0 && !section.mayRepeatNames) {
                section.mayRepeatNames = hashes[slots[slot] - 1] == hash;
                slot = (slot + 1) & (size - 1);
            }
            slots[slot] = static_cast<uint32_t>(i + 1);
        }
    }
}

void CIniDocument::BuildSectionIndex() {
    m_sectionOrder.resize(m_sections.size());
    for (size_t i = 0; i < m_sections.size(); ++i)
        m_sectionOrder[i] = static_cast<uint32_t>(i);
    std::stable_sort(m_sectionOrder.begin(), m_sectionOrder.end(), [this](uint32_t a, uint32_t b) {
        return CompareFolded(View(m_sections[a].name), View(m_sections[b].name)) < 0;
    });
}

size_t CIniDocument::FindSectionNumber(std::u16string_view name) const {
    name = TrimBlanks(UpToNul(name));
    auto found = std::lower_bound(m_sectionOrder.begin(), m_sectionOrder.end(), name, [this](uint32_t index, auto key) {
        return CompareFolded(View(m_sections[index].name), key) < 0;
    });
    if (found == m_sectionOrder.end() || !EqualFolded(View(m_sections[*found].name), name))
        return kNoSection;
    return *found;
}

const CIniDocument::Section* CIniDocument::FindSection(std::u16string_view name) const {
    size_t number = FindSectionNumber(name);
    return number == kNoSection ? nullptr : &m_sections[number];
}

const CIniDocument::Entry* CIniDocument::FindEntry(const Section& section, std::u16string_view name) const {
    name = TrimBlanks(UpToNul(name));
    uint32_t hash = HashName(name);
    if (!section.MayHold(hash))
        return nullptr;
    size_t count = section.entries.size();
    size_t start = section.mayRepeatNames || section.nextSearch >= count ? 0 : section.nextSearch;
    for (size_t i = 0; i < count; ++i) {
        size_t index = start + i < count ? start + i : start + i - count;
        const Entry& entry = section.entries[index];
        if (EqualFolded(View(entry.name), name)) {
            section.nextSearch = static_cast<uint32_t>(index + 1);
            return &entry;
        }
    }
    return nullptr;
}

size_t CIniDocument::GetString(size_t section, std::u16string_view key, std::u16string_view defaultValue,
                               char16_t* buffer, size_t size) const {
    if (!buffer || size == 0)
        return 0;
    const Section* found = section < m_sections.size() ? &m_sections[section] : nullptr;
    const Entry* entry = found ? FindEntry(*found, key) : nullptr;
    if (entry && entry->hasValue)
        return CopyEntry(View(entry->value), buffer, size);
    std::u16string_view fallback = UpToNul(defaultValue);
    // Trailing spaces of the default go, but never its first character.
    size_t length = fallback.size();
    while (length > 1 && fallback[length - 1] == u' ')
        --length;
    return CopyEntry(fallback.substr(0, length), buffer, size);
}

uint32_t CIniDocument::GetInt(size_t section, std::u16string_view key, int32_t defaultValue) const {
    // The profile functions read the text into 30 characters first, so longer numbers are cut.
    char16_t text[30];
    size_t length = GetString(section, key, u"", text, 30);
    if (length == 0)
        return static_cast<uint32_t>(defaultValue);
    return ParseProfileNumber(std::u16string_view(text, length));
}

std::vector<std::u16string> CIniDocument::SectionNames() const {
    std::vector<std::u16string> names;
    for (const Section& section : m_sections) {
        if (section.name.length > 0)
            names.emplace_back(View(section.name));
    }
    return names;
}

std::vector<std::u16string> CIniDocument::KeyNames(std::u16string_view section) const {
    std::vector<std::u16string> names;
    const Section* found = FindSection(section);
    if (!found)
        return names;
    for (const Entry& entry : found->entries) {
        if (IsKey(entry))
            names.emplace_back(View(entry.name));
    }
    return names;
}

// Asked for every element of an array at start, so without copying any name.
bool CIniDocument::HasKeys(std::u16string_view section) const {
    const Section* found = FindSection(section);
    return found && std::any_of(found->entries.begin(), found->entries.end(),
                                [this](const Entry& entry) { return IsKey(entry); });
}

bool CIniDocument::IsKey(const Entry& entry) const {
    return entry.name.length > 0 && m_text[entry.name.offset] != u';';
}

CIniDocument::Span CIniDocument::Append(std::u16string_view text) {
    Span span{static_cast<uint32_t>(m_text.size()), static_cast<uint32_t>(text.size())};
    m_text.append(text.data(), text.size());
    return span;
}

size_t CIniDocument::SetString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    std::u16string_view sectionName = TrimBlanks(UpToNul(section));
    size_t number = FindSectionNumber(sectionName);
    if (number == kNoSection) {
        Line header;
        Span headerText{static_cast<uint32_t>(m_text.size()), static_cast<uint32_t>(sectionName.size() + 2)};
        Rewrite(header, headerText);
        m_text += u'[';
        m_text.append(sectionName.data(), sectionName.size());
        m_text += u']';
        Section created;
        created.name = {headerText.offset + 1, static_cast<uint32_t>(sectionName.size())};
        // A save writes sections alike one after the other (one folder item each). No item has
        // hundreds of keys: a larger section before is no measure of this one.
        const size_t kLargestLikeSection = 256;
        created.lines.reserve(std::min(m_sections.back().lines.size(), kLargestLikeSection));
        created.entries.reserve(std::min(m_sections.back().entries.size(), kLargestLikeSection));
        created.lines.push_back(header);
        m_sections.push_back(std::move(created));
        // Behind every section of the same name, so the first one stays the one found.
        number = m_sections.size() - 1;
        auto position = std::upper_bound(
            m_sectionOrder.begin(), m_sectionOrder.end(), number, [this](size_t added, uint32_t existing) {
                return CompareFolded(View(m_sections[added].name), View(m_sections[existing].name)) < 0;
            });
        m_sectionOrder.insert(position, static_cast<uint32_t>(number));
    }
    SetString(number, key, value);
    return number;
}

void CIniDocument::SetString(size_t section, std::u16string_view key, std::u16string_view value) {
    if (section >= m_sections.size())
        return;
    std::u16string_view keyName = TrimBlanks(UpToNul(key));
    // Blanks that end the value would end the line, where every reader of the saved file drops
    // them: they go now, so that the document answers as a fresh read of the file will.
    std::u16string_view newValue = TrimBlanks(UpToNul(value));
    Section& target = m_sections[section];
    m_modified = true;
    Entry* entry = const_cast<Entry*>(FindEntry(target, keyName));
    if (entry) {
        if (entry->hasValue && View(entry->value) == newValue)
            return;
        // The file's spelling of the name stays. The room is made first: the name is text of
        // the document itself, which must not move while it is copied.
        uint32_t nameLength = entry->name.length;
        m_text.reserve(m_text.size() + nameLength + 1 + newValue.size());
        Span line{static_cast<uint32_t>(m_text.size()), static_cast<uint32_t>(nameLength + 1 + newValue.size())};
        m_text.append(View(entry->name));
        m_text += u'=';
        m_text.append(newValue.data(), newValue.size());
        Rewrite(target.lines[entry->line], line);
        entry->name = {line.offset, nameLength};
        entry->value = {line.offset + nameLength + 1, static_cast<uint32_t>(newValue.size())};
        entry->hasValue = true;
        return;
    }
    // After the header, or at the very start of the lines before the first header. A reader
    // takes a file's leading line ends as one blank line, which a first line written before it
    // would join as its own line end: the new line goes after it, where a read finds it too.
    size_t position = target.afterLastEntry ? target.afterLastEntry : (section == 0 ? 0 : 1);
    if (position == 0 && !target.lines.empty() && !target.lines[0].rewritten &&
        target.lines[0].rawLength == target.lines[0].breakLength)
        position = 1;
    position = std::min(position, target.lines.size());
    target.afterLastEntry = static_cast<uint32_t>(position + 1);
    Line line;
    Span lineText{static_cast<uint32_t>(m_text.size()), static_cast<uint32_t>(keyName.size() + 1 + newValue.size())};
    Rewrite(line, lineText);
    m_text.append(keyName.data(), keyName.size());
    m_text += u'=';
    m_text.append(newValue.data(), newValue.size());
    target.lines.insert(target.lines.begin() + position, line);
    Entry added;
    added.line = static_cast<uint32_t>(position);
    added.name = {lineText.offset, static_cast<uint32_t>(keyName.size())};
    added.value = {static_cast<uint32_t>(lineText.offset + keyName.size() + 1), static_cast<uint32_t>(newValue.size())};
    added.hasValue = true;
    target.AddEntry(added, HashName(keyName));
}

void CIniDocument::Rewrite(Line& line, Span text) {
    if (line.rewritten) {
        m_rewritten[line.rawLength] = text;
        return;
    }
    line.rawOffset += line.rawLength - line.breakLength;
    line.rawLength = static_cast<uint32_t>(m_rewritten.size());
    line.rewritten = 1;
    m_rewritten.push_back(text);
}

std::vector<unsigned char> CIniDocument::Serialize(const IniCodePage& codePage) const {
    std::vector<unsigned char> bytes;
    bytes.reserve(m_raw.size() + 2 * (m_text.size() - std::min(m_text.size(), m_raw.size() / 2)));
    bool utf16 = m_encoding == IniEncoding::Utf16LittleEndian;
    if (utf16)
        bytes.insert(bytes.end(), m_raw.begin(), m_raw.begin() + 2);
    bool lineOpen = false; // the previous line has no line end yet
    auto appendText = [&](std::u16string_view text) {
        if (utf16) {
            AppendUtf16(bytes, text);
        } else {
            std::string encoded = codePage.encode(text.data(), text.size());
            bytes.insert(bytes.end(), encoded.begin(), encoded.end());
        }
    };
    for (const Section& section : m_sections) {
        for (const Line& line : section.lines) {
            if (lineOpen)
                appendText(u"\r\n");
            if (line.rewritten) {
                appendText(View(RewrittenText(line)));
                auto lineEnd = m_raw.begin() + line.rawOffset;
                if (line.breakLength > 0)
                    bytes.insert(bytes.end(), lineEnd, lineEnd + line.breakLength);
                else
                    appendText(u"\r\n");
                lineOpen = false;
            } else {
                auto lineStart = m_raw.begin() + line.rawOffset;
                bytes.insert(bytes.end(), lineStart, lineStart + line.rawLength);
                lineOpen = line.breakLength == 0;
            }
        }
    }
    bytes.insert(bytes.end(), m_raw.end() - m_rawTail, m_raw.end());
    // A file read as ANSI cannot start with FF FE, but a line written first can ("\xFF\xFE=1" in
    // Latin-1, or a name that had blanks before it): the file would read back as UTF-16 and lose
    // every line. A blank before it is dropped by every reader.
    if (!utf16 && bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        bytes.insert(bytes.begin(), ' ');
    return bytes;
}
