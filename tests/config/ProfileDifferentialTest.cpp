#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "support/FileFixtures.h"
#include "support/SourceTree.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

// Every answer CIniFile gives must be the one the private-profile functions give for the same
// file. The corpus is the damaged-configuration one written by tests/app/make_malformed_configs.py.

namespace {

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text.substr(0, 60))
        narrow += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    return narrow;
}

// Answers every read the program makes, and checks it against the profile functions as it goes.
template <class T> class ComparingIniFile : public CIniFileEx<T> {
public:
    ComparingIniFile(LPCWSTR fileName, std::vector<std::string>* differences)
        : CIniFileEx<T>(fileName), m_differences(differences) {}

    using CIniFileEx<T>::ReadInt;
    using CIniFileEx<T>::ReadString;

    BOOL ReadInt(LPCWSTR key, INT defaultValue, INT* value) override {
        BOOL result = CIniFileEx<T>::ReadInt(key, defaultValue, value);
        CompareInt(this->GetSectionName(), key, defaultValue, *value);
        return result;
    }
    BOOL ReadInt(LPCWSTR section, LPCWSTR key, INT defaultValue, INT* value) override {
        BOOL result = CIniFileEx<T>::ReadInt(section, key, defaultValue, value);
        CompareInt(section, key, defaultValue, *value);
        return result;
    }
    BOOL ReadString(LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) override {
        BOOL result = CIniFileEx<T>::ReadString(key, defaultValue, buffer, size);
        CompareString(this->GetSectionName(), key, defaultValue, buffer, size);
        return result;
    }
    BOOL ReadString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) override {
        BOOL result = CIniFileEx<T>::ReadString(section, key, defaultValue, buffer, size);
        CompareString(section, key, defaultValue, buffer, size);
        return result;
    }

    void CompareInt(LPCWSTR section, LPCWSTR key, INT defaultValue, INT value) {
        ++m_reads;
        INT expected = static_cast<INT>(GetPrivateProfileIntW(section, key, defaultValue, this->GetFileName()));
        if (expected != value)
            Report(section, key, "int " + std::to_string(value) + ", profile API " + std::to_string(expected));
    }
    void CompareString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPCWSTR value, DWORD size) {
        ++m_reads;
        std::vector<WCHAR> expected(size + 1, L'\0');
        GetPrivateProfileStringW(section, key, defaultValue, expected.data(), size, this->GetFileName());
        if (size > 0 && std::wstring(expected.data()) != value)
            Report(section, key, "\"" + Narrow(value) + "\", profile API \"" + Narrow(expected.data()) + "\"");
    }
    void Report(LPCWSTR section, LPCWSTR key, const std::string& what) {
        if (m_differences->size() < 20)
            m_differences->push_back("[" + Narrow(section) + "] " + Narrow(key) + ": " + what);
    }

    int m_reads = 0;

private:
    std::vector<std::string>* m_differences;
};

std::vector<std::wstring> SectionNamesOfProfileApi(LPCWSTR path) {
    std::vector<WCHAR> names(1 << 16);
    for (;;) {
        DWORD length = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), path);
        if (length < names.size() - 2)
            break;
        names.resize(names.size() * 4);
    }
    std::vector<std::wstring> result;
    for (LPCWSTR name = names.data(); *name; name += wcslen(name) + 1)
        result.push_back(name);
    return result;
}

// The names of the entries of a section as they stand in the file's text, for reading each back.
std::vector<std::wstring> EntryNames(const std::wstring& text, const std::wstring& section) {
    std::vector<std::wstring> names;
    std::wstring current;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        size_t first = line.find_first_not_of(L" \t");
        if (first == std::wstring::npos)
            continue;
        if (line[first] == L'[') {
            size_t close = line.rfind(L']');
            if (close != std::wstring::npos && close > first)
                current = line.substr(first + 1, close - first - 1);
            continue;
        }
        size_t equals = line.find(L'=');
        if (equals != std::wstring::npos && equals > first && _wcsicmp(current.c_str(), section.c_str()) == 0)
            names.push_back(line.substr(first, equals - first));
    }
    return names;
}

bool StartsWith(const std::vector<unsigned char>& bytes, std::initializer_list<unsigned char> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

} // namespace

// desktop-free: ProfileDifferential
TEST(ProfileDifferential, EveryCorpusFileReadsAsTheProfileFunctionsReadIt) {
    std::wstring directory = SourceTreePath(L"tests/app/malformed");
    std::vector<std::wstring> corpus = FilesIn(directory, L"*.ini");
    ASSERT_GE(corpus.size(), 200u) << "the corpus is missing";

    int reads = 0, namedCases = 0;
    for (const std::wstring& path : corpus) {
        SCOPED_TRACE(Narrow(path.substr(directory.size() + 1)));
        std::vector<unsigned char> bytes = ReadFileBytes(path);
        // Wine's profile functions also decode a UTF-8 or UTF-16BE byte order mark; Windows' read
        // any file without FF FE in the ANSI code page, so the mark is text before the first
        // header and the first section is not found.
        if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}) || StartsWith(bytes, {0xFE, 0xFF})) {
            ++namedCases;
            CIniFile file(path.c_str());
            EXPECT_FALSE(file.HasSection(L"Default")) << "a mark other than FF FE is not an encoding";
            continue;
        }
        std::vector<std::string> differences;
        ComparingIniFile<CGenericPathwrenObject> folders(path.c_str(), &differences);
        std::vector<std::wstring> sections;
        folders.EnumSectionNames(
            [](LPCWSTR name, void* context) -> BOOL {
                static_cast<std::vector<std::wstring>*>(context)->push_back(name);
                return TRUE;
            },
            &sections);
        EXPECT_EQ(SectionNamesOfProfileApi(path.c_str()), sections);

        std::vector<CGenericPathwrenObject*> items;
        folders.LoadArray(L"Folders", items);
        for (CGenericPathwrenObject* item : items)
            delete item;
        ComparingIniFile<CLanguage> language(path.c_str(), &differences);
        delete language.Load(L"Language");

        // Every key present, through the buffer sizes that show truncation and quotes.
        std::wstring text =
            StartsWith(bytes, {0xFF, 0xFE}) ? ReadUtf16File(path) : std::wstring(bytes.begin(), bytes.end());
        std::set<std::wstring> seen;
        for (size_t i = 0; i < sections.size() && i < 200; ++i) {
            if (!seen.insert(sections[i]).second)
                continue;
            for (const std::wstring& key : EntryNames(text, sections[i])) {
                for (DWORD size : {1u, 2u, 3u, 4u, 6u, 1024u}) {
                    std::vector<WCHAR> buffer(size);
                    folders.ReadString(sections[i].c_str(), key.c_str(), L"def", buffer.data(), size);
                }
                INT number = 0;
                folders.ReadInt(sections[i].c_str(), key.c_str(), -5, &number);
            }
        }
        reads += folders.m_reads + language.m_reads;
        for (const std::string& difference : differences)
            ADD_FAILURE() << difference;
    }
    EXPECT_GT(reads, 10000) << "the comparison must really have run";
    EXPECT_EQ(2, namedCases) << "the UTF-8 and UTF-16BE marks";
}
