#include "config/IniDocument.h"
#include "support/FileFixtures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const std::string& text) {
    return std::vector<unsigned char>(text.begin(), text.end());
}

CIniDocument Parse(const std::vector<unsigned char>& bytes) {
    return CIniDocument::Parse(bytes.data(), bytes.size(), Latin1CodePage());
}

std::u16string Value(const CIniDocument& document, const std::u16string& section, const std::u16string& key) {
    char16_t buffer[64];
    document.GetString(section, key, u"<default>", buffer, 64);
    return buffer;
}

} // namespace

// desktop-free: IniDocument
TEST(IniDocument, UnchangedLinesKeepTheirBytesThroughASave) {
    const std::string original = "; the user's note\r\n[Default]  \r\n  Folders = 1 ;old\n\n\n"
                                 "Unknown=kept\r\n[Folders_0]\rPath=C:\\\r\n# more\r\nLast=x";
    for (bool utf16 : {false, true}) {
        SCOPED_TRACE(utf16 ? "UTF-16LE" : "ANSI");
        std::vector<unsigned char> bytes =
            utf16 ? Utf16Bytes(std::wstring(original.begin(), original.end())) : Bytes(original);
        CIniDocument document = Parse(bytes);
        EXPECT_EQ(bytes, document.Serialize(Latin1CodePage())) << "nothing written, nothing changed";
        EXPECT_EQ(utf16 ? IniEncoding::Utf16LittleEndian : IniEncoding::Ansi, document.Encoding());

        document.SetString(u"DEFAULT", u"Folders", u"2");
        document.SetString(u"Folders_0", u"Added", u"  new");
        document.SetString(u"Folders_1", u"Path", u"D:\\");
        const std::string expected = "; the user's note\r\n[Default]  \r\nFolders=2\n\n\n"
                                     "Unknown=kept\r\n[Folders_0]\rPath=C:\\\r\n# more\r\nLast=x\r\nAdded=new\r\n"
                                     "[Folders_1]\r\nPath=D:\\\r\n";
        std::vector<unsigned char> saved = document.Serialize(Latin1CodePage());
        EXPECT_EQ(utf16 ? Utf16Bytes(std::wstring(expected.begin(), expected.end())) : Bytes(expected), saved);
        CIniDocument reread = Parse(saved);
        EXPECT_EQ(u"2", Value(reread, u"default", u"folders"));
    }
}

TEST(IniDocument, SameValuesChangeNothingAndOnlyTheFirstDuplicateCounts) {
    CIniDocument document = Parse(Bytes("[A]\r\nk=v\r\n"));
    document.SetString(u"a", u" K ", u"v");
    EXPECT_EQ(Bytes("[A]\r\nk=v\r\n"), document.Serialize(Latin1CodePage()));

    CIniDocument duplicates = Parse(Bytes("[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\nonly=4\r\n"));
    EXPECT_EQ(u"1", Value(duplicates, u"S", u"k"));
    EXPECT_EQ(u"<default>", Value(duplicates, u"S", u"only")) << "the second [s] is never searched";
    EXPECT_EQ((std::vector<std::u16string>{u"S", u"s"}), duplicates.SectionNames());
    duplicates.SetString(u"S", u"only", u"5");
    EXPECT_EQ(u"5", Value(duplicates, u"s", u"only")) << "and a write goes to the first";
}

// Inside a batch the program reads from the document in memory, after it from a fresh parse of
// the saved bytes: both must give the same answers and put the next write at the same place.
TEST(IniDocument, ABatchOfWritesAgreesWithAFreshParseOfItsSavedBytes) {
    struct Write {
        std::u16string section, key, value;
        std::u16string read = value; // what a read gives back
    };
    struct Case {
        const char* name;
        std::string file;
        std::vector<Write> writes;
    } cases[] = {
        // Written in Latin-1, a first line's bytes FF FE would be the mark of a UTF-16 file.
        {"blanks before FF FE", " \xFF\xFE=1\r\n", {{u"", u"\u00FF\u00FE", u"2"}}},
        // Every reader drops the blanks that end a line.
        {"a value ending in blanks", "[S]\r\n", {{u"S", u"k", u"0x10 \t", u"0x10"}, {u"S", u"k", u" 2 ", u"2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CIniDocument batch = Parse(Bytes(c.file));
        std::vector<unsigned char> stepwise = Bytes(c.file);
        for (const Write& write : c.writes) {
            batch.SetString(write.section, write.key, write.value);
            CIniDocument fresh = Parse(stepwise);
            fresh.SetString(write.section, write.key, write.value);
            stepwise = fresh.Serialize(Latin1CodePage());
        }
        std::vector<unsigned char> saved = batch.Serialize(Latin1CodePage());
        EXPECT_EQ(stepwise, saved) << "the batch put a write elsewhere than writes one at a time";
        CIniDocument reread = Parse(saved);
        EXPECT_EQ(IniEncoding::Ansi, reread.Encoding());
        // From the last write back, so only the last write of a key says what it reads.
        std::set<std::u16string> writtenLater;
        for (auto write = c.writes.rbegin(); write != c.writes.rend(); ++write) {
            EXPECT_EQ(Value(reread, write->section, write->key), Value(batch, write->section, write->key));
            if (writtenLater.insert(write->section + u'\n' + write->key).second) {
                EXPECT_EQ(write->read, Value(reread, write->section, write->key));
            }
        }
    }
}
