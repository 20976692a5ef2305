#pragma once
#include "config/IConfigReader.h"
#include "config/IConfigWriter.h"
#include "config/IniDocument.h"

typedef BOOL (*EnumSectionNamesCallback)(LPCWSTR sectionName, void* context);

// Typed access to one INI file with the rules of the private-profile functions. The file is read
// once into a document (again only when its write time or size changed underneath) and every
// read is answered from it; writes change the document, and the file is written whole, in the
// encoding it had, into a temporary file beside it that then replaces it, so the file on disk is
// always either the previous or the new one. Holds no open handle between calls. A file that does
// not exist yet is created (with its directories) holding only the UTF-16LE byte order mark.
class CIniFile : public virtual IConfigReader, public virtual IConfigWriter {
public:
    explicit CIniFile(LPCWSTR fileName);
    ~CIniFile() override {}
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    virtual LPCWSTR GetFileName();
    virtual BOOL GetFileName(LPWSTR buffer, DWORD size);
    // Calls back once per section name in file order; stops early when the callback returns FALSE.
    virtual BOOL EnumSectionNames(EnumSectionNamesCallback callback, void* context);

    BOOL SetSectionName(LPCWSTR sectionName) override;
    LPCWSTR GetSectionName() override;
    BOOL GetSectionName(LPWSTR buffer, DWORD size) override;

    BOOL ReadUInt64(LPCWSTR key, ULONGLONG defaultValue, ULONGLONG* value) override;
    BOOL ReadInt(LPCWSTR key, INT defaultValue, INT* value) override;
    BOOL ReadString(LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) override;
    BOOL ReadBinary(LPCWSTR key, BYTE* buffer, DWORD size, DWORD* bytesRead) override;
    BOOL ReadInt(LPCWSTR section, LPCWSTR key, INT defaultValue, INT* value) override;
    BOOL ReadString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size) override;

    BOOL WriteUInt64(LPCWSTR key, ULONGLONG value) override;
    BOOL WriteInt(LPCWSTR key, INT value) override;
    BOOL WriteString(LPCWSTR key, LPCWSTR value) override;
    BOOL WriteBinary(LPCWSTR key, const BYTE* bytes, DWORD size) override;
    BOOL WriteInt(LPCWSTR section, LPCWSTR key, INT value) override;
    BOOL WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value) override;

    // TRUE when the file has a section of that name (with at least one key).
    BOOL HasSection(LPCWSTR sectionName);

    // Outside BeginWrites / EndWrites every write goes to the file at once. Inside, writes only
    // change the document, and the outermost EndWrites writes the file once; it returns FALSE when
    // that failed (the file then keeps its previous content).
    void BeginWrites();
    BOOL EndWrites();
    // Inside BeginReads / EndReads the file is asked for changes once, not at every section: a
    // load of many sections sees one state of the file.
    void BeginReads();
    void EndReads() { --m_readDepth; }
    // Forgets the file's content: the next write replaces the file with a new UTF-16LE one that
    // holds only what is written from now on. The file itself is not touched until then.
    void StartNewFile();
    // Whether the file could be read (a missing file counts as readable and empty).
    BOOL IsReadable();
    // Whether the file holds nothing but blanks.
    BOOL IsEmpty();

private:
    // The document, read again first when the file changed on disk.
    const CIniDocument& Document();
    // The document as last read; for reads inside the current section.
    const CIniDocument& CurrentDocument();
    // The number of the current section in the document, found once per section and document.
    size_t CurrentSection();
    void SetDocument(CIniDocument&& document);
    BOOL PrepareWrite();
    BOOL Written();
    BOOL Commit();

    WCHAR m_fileName[MAX_PATH];
    WCHAR m_sectionName[MAX_PATH];
    CIniDocument m_document;
    bool m_loaded = false;
    bool m_readable = true;
    bool m_newFile = false;
    int m_writeDepth = 0;
    int m_readDepth = 0;
    size_t m_currentSection = CIniDocument::kNoSection;
    bool m_currentSectionKnown = false;
    FILETIME m_writeTime = {};
    ULONGLONG m_size = 0;
};

// Creates a directory and every missing parent; existing directories count as success.
BOOL CreateDirectoryWithParents(LPCWSTR directory);
