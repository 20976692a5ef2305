#pragma once
#include "config/IIniFileArrayItem.h"
#include "config/IniFile.h"

#include <cwchar>
#include <new>
#include <vector>

// Largest number of elements a file may give one array: the folder items, or the indexed records
// inside one item. A count beyond it can only come from a damaged file; then just the elements
// that really exist are loaded, so a start never hangs.
const UINT kMaxIniArrayElements = 1000;

// Loads and saves whole option objects of type T (an IIniFileArrayItem), one object per
// section or an array of them in the sections "<name>_0", "<name>_1", ...
template <class T> class CIniFileEx : public CIniFile {
public:
    explicit CIniFileEx(LPCWSTR fileName) : CIniFile(fileName) {}

    // The object read from the section, owned by the caller; null when its Load failed.
    T* Load(LPCWSTR sectionName) {
        ReadBatch batch(*this);
        SectionRestorer restore(*this);
        if (!SetSectionName(sectionName))
            return nullptr;
        T* object = new (std::nothrow) T();
        if (object && !object->Load(*this)) {
            delete object;
            object = nullptr;
        }
        return object;
    }

    // The file is written once, when the object has saved all its keys.
    BOOL Save(T& object, LPCWSTR sectionName) {
        SectionRestorer restore(*this);
        if (!SetSectionName(sectionName))
            return FALSE;
        BeginWrites();
        BOOL saved = object.Save(*this);
        return EndWrites() && saved;
    }

    // The file is written once, with the count and every element.
    BOOL SaveArray(LPCWSTR arrayName, const std::vector<T*>& items) {
        BeginWrites();
        if (!WriteInt(GetSectionName(), arrayName, static_cast<INT>(items.size()))) {
            EndWrites();
            return FALSE;
        }
        SectionRestorer restore(*this);
        BOOL allSaved = TRUE;
        for (UINT i = 0; i < items.size(); ++i) {
            WCHAR section[2 * MAX_PATH];
            FormatElementSection(section, arrayName, i);
            if (!SetSectionName(section) || !items[i]->Save(*this))
                allSaved = FALSE;
        }
        return EndWrites() && allSaved;
    }

    BOOL LoadArray(LPCWSTR arrayName, std::vector<T*>& items) {
        for (T* item : items)
            delete item;
        items.clear();

        ReadBatch batch(*this);
        SectionRestorer restore(*this);
        INT storedCount = 0;
        ReadInt(GetSectionName(), arrayName, 0, &storedCount);
        UINT count = static_cast<UINT>(storedCount);
        bool damagedCount = count > kMaxIniArrayElements;
        if (damagedCount)
            count = kMaxIniArrayElements;

        BOOL allLoaded = TRUE;
        for (UINT i = 0; i < count; ++i) {
            WCHAR section[2 * MAX_PATH];
            FormatElementSection(section, arrayName, i);
            if (!SetSectionName(section)) {
                allLoaded = FALSE;
                continue;
            }
            if (damagedCount && !HasSection(section))
                break;
            T* item = new (std::nothrow) T();
            if (!item || !item->Load(*this)) {
                delete item;
                allLoaded = FALSE;
                continue;
            }
            items.push_back(item);
        }
        return allLoaded && !damagedCount;
    }

    // Whether the current section holds the array's count and every element section it names:
    // what a save that ran to its end leaves behind.
    BOOL HasCompleteArray(LPCWSTR arrayName) {
        ReadBatch batch(*this);
        static const WCHAR kMissing[] = L"\x1F<missing>\x1F";
        WCHAR countText[32];
        ReadString(GetSectionName(), arrayName, kMissing, countText, ARRAYSIZE(countText));
        if (wcscmp(countText, kMissing) == 0)
            return FALSE;
        INT storedCount = 0;
        ReadInt(GetSectionName(), arrayName, 0, &storedCount);
        UINT count = static_cast<UINT>(storedCount);
        if (count > kMaxIniArrayElements)
            return FALSE;
        for (UINT i = 0; i < count; ++i) {
            WCHAR section[2 * MAX_PATH];
            FormatElementSection(section, arrayName, i);
            if (!HasSection(section))
                return FALSE;
        }
        return TRUE;
    }

private:
    template <size_t N> static void FormatElementSection(WCHAR (&section)[N], LPCWSTR arrayName, UINT index) {
        swprintf(section, N, L"%ls_%u", arrayName, index);
    }

    class ReadBatch {
    public:
        explicit ReadBatch(CIniFile& file) : m_file(file) { file.BeginReads(); }
        ~ReadBatch() { m_file.EndReads(); }
        ReadBatch(const ReadBatch&) = delete;
        ReadBatch& operator=(const ReadBatch&) = delete;

    private:
        CIniFile& m_file;
    };

    // Puts the section that was current back when an operation ends, on every path.
    class SectionRestorer {
    public:
        explicit SectionRestorer(CIniFile& file) : m_file(file) { file.GetSectionName(m_saved, ARRAYSIZE(m_saved)); }
        ~SectionRestorer() { m_file.SetSectionName(m_saved); }
        SectionRestorer(const SectionRestorer&) = delete;
        SectionRestorer& operator=(const SectionRestorer&) = delete;

    private:
        CIniFile& m_file;
        WCHAR m_saved[MAX_PATH];
    };
};
