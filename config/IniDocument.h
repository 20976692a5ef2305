#pragma once
// Portable on purpose: no Windows header, so the parser also builds natively and can be fuzzed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How a document's bytes are text.
enum class IniEncoding {
    Utf16LittleEndian, // the file starts with FF FE
    Ansi,              // anything else, in the system's ANSI code page
};

// Conversion between the ANSI code page and UTF-16; the Windows build passes the system's
// code page, the native build a Latin-1 stand-in.
struct IniCodePage {
    std::u16string (*decode)(const char* bytes, size_t size);
    std::string (*encode)(const char16_t* text, size_t length);
};

const IniCodePage& Latin1CodePage();

// An INI file parsed the way the private-profile functions see it, with every line's bytes kept
// so that serialising it gives back the file unchanged except for the lines written since.
//
// The rules, shared with the profile functions: a line is cut at any run of CR and LF; blanks
// (ASCII white space and Ctrl-Z) around it are ignored; "[" starts a section header whose name is
// what stands between it and the last "]", blanks removed (a "[" line without "]" is an entry);
// any other non-blank line is an entry whose name runs to the first "=" and whose value follows
// it, both without surrounding blanks (an entry without "=" has no value and reads as missing).
// Names compare without regard to ASCII case; of duplicate sections only the first is searched,
// and of duplicate keys in it the first wins. Text after a NUL character of a name or value is
// ignored.
class CIniDocument {
public:
    CIniDocument(); // empty, UTF-16LE
    static CIniDocument Parse(const unsigned char* bytes, size_t size, const IniCodePage& codePage) {
        return Parse(std::vector<unsigned char>(bytes, bytes + size), codePage);
    }
    // Keeps the bytes themselves rather than a copy.
    static CIniDocument Parse(std::vector<unsigned char>&& bytes, const IniCodePage& codePage);

    IniEncoding Encoding() const { return m_encoding; }
    // The file's bytes: the original ones for every line not written since, new lines in the
    // document's encoding, each ended by CR LF.
    std::vector<unsigned char> Serialize(const IniCodePage& codePage) const;
    bool Modified() const { return m_modified; }

    // Sections are also named by their number, so that a reader of many keys of one section
    // looks it up once. A number stays valid as long as the document (writes only add sections);
    // kNoSection names none.
    static constexpr size_t kNoSection = static_cast<size_t>(-1);
    size_t FindSectionNumber(std::u16string_view name) const;

    // GetPrivateProfileStringW for a named key: the value (quotes around it removed) or the
    // default (its trailing spaces removed) into buffer, cut to size - 1 characters. Returns the
    // number of characters copied.
    size_t GetString(std::u16string_view section, std::u16string_view key, std::u16string_view defaultValue,
                     char16_t* buffer, size_t size) const {
        return GetString(FindSectionNumber(section), key, defaultValue, buffer, size);
    }
    size_t GetString(size_t section, std::u16string_view key, std::u16string_view defaultValue, char16_t* buffer,
                     size_t size) const;
    // GetPrivateProfileIntW: the value read as a signed or unsigned 32-bit number (decimal, or
    // after "0x", "0o", "0b"), wrapping on overflow; the default when the value is missing or empty.
    uint32_t GetInt(std::u16string_view section, std::u16string_view key, int32_t defaultValue) const {
        return GetInt(FindSectionNumber(section), key, defaultValue);
    }
    uint32_t GetInt(size_t section, std::u16string_view key, int32_t defaultValue) const;
    // Names of the sections in file order, duplicates included, nameless ones left out.
    std::vector<std::u16string> SectionNames() const;
    // Names of the entries of a section (its first occurrence) that have a name and are not
    // comments (";"), in file order.
    std::vector<std::u16string> KeyNames(std::u16string_view section) const;
    bool HasKeys(std::u16string_view section) const;
    // No section and no entry: a blank file.
    bool IsEmpty() const { return m_sections.size() == 1 && m_sections[0].entries.empty(); }

    // WritePrivateProfileStringW: blanks around the names and the value are dropped; an
    // existing entry's line is rewritten, a new one goes after its section's last entry, a new
    // section at the end of the file. Returns the section's number.
    size_t SetString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    void SetString(size_t section, std::u16string_view key, std::u16string_view value);

private:
    // Names and values are spans of m_text: the decoded file, followed by the text written since.
    struct Span {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    // A line and an entry are held for every line of the file, so both are kept small: a file of
    // one-character lines costs them per two bytes.
    struct Line {
        // An original line: its bytes in m_raw, line end included. A rewritten one: its original
        // line end's bytes in m_raw (kept when the line is written), and the number of its text
        // in m_rewritten in place of rawLength.
        uint32_t rawOffset = 0;
        uint32_t rawLength = 0;
        uint32_t breakLength : 31;
        uint32_t rewritten : 1;
        Line() : breakLength(0), rewritten(0) {}
    };
    struct Entry {
        Span name;
        Span value;
        uint32_t line : 31; // index into the section's lines
        uint32_t hasValue : 1;
        Entry() : line(0), hasValue(0) {}
    };
    struct Section {
        Span name;
        std::vector<Line> lines; // a header, when there is one, is the first
        std::vector<Entry> entries;
        // The line after the last that holds an entry, a nameless one that is not read included,
        // where a new entry goes; 0 when there is none. A fresh parse of the saved file must find
        // the new entry at the place the document put it.
        uint32_t afterLastEntry = 0;
        // Keys are mostly read in file order, so a search starts behind the last key found. That
        // finds the first of keys of the same name only when the section has none such; writes
        // only add names that are not there yet.
        bool mayRepeatNames = false;
        mutable uint32_t nextSearch = 0;
        // One bit per name hash: a name whose bit is clear is not there, which a save of a new
        // section asks for every key.
        uint64_t nameBits[4] = {};
        static uint32_t NameBit(uint32_t hash) { return (hash * 0x9E3779B1u) >> 24; }
        void AddEntry(const Entry& entry, uint32_t hash) {
            entries.push_back(entry);
            nameBits[NameBit(hash) >> 6] |= uint64_t(1) << (NameBit(hash) & 63);
        }
        bool MayHold(uint32_t hash) const { return (nameBits[NameBit(hash) >> 6] >> (NameBit(hash) & 63)) & 1; }
    };

    std::u16string_view View(Span span) const { return std::u16string_view(m_text).substr(span.offset, span.length); }
    Span Append(std::u16string_view text);
    void AddLine(Span content, const Line& line);
    // Room for the lines of each section of a file about to be parsed, and for its text.
    void ReserveForParse(const std::vector<uint32_t>& linesPerSection);
    Span RewrittenText(const Line& line) const { return m_rewritten[line.rawLength]; }
    void Rewrite(Line& line, Span text);
    void BuildSectionIndex();
    void NoteRepeatedNames();
    const Section* FindSection(std::u16string_view name) const;
    const Entry* FindEntry(const Section& section, std::u16string_view name) const;
    bool IsKey(const Entry& entry) const;

    IniEncoding m_encoding = IniEncoding::Utf16LittleEndian;
    std::vector<unsigned char> m_raw;
    size_t m_rawTail = 0; // bytes after the last whole UTF-16 character, kept at the end
    std::u16string m_text;
    std::vector<Span> m_rewritten;        // the text of each rewritten line
    std::vector<uint32_t> m_sectionLines; // while parsing: the lines each section will hold
    std::vector<Section> m_sections;      // m_sections[0] holds what comes before the first header
    std::vector<uint32_t> m_sectionOrder; // section indices sorted by case-folded name, file order among equals
    bool m_modified = false;
};
