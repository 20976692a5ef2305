#pragma once
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// A name and a place: an icon of Explorer's desktop, or an item of the mirror and its label.
struct DesktopIcon {
    POINT position;
    std::wstring name;
};

// The names and places the mirror has seen its items under. A view of thousands of items asks for
// a record once per item, so records are found through indexes by name and by place rather than
// by a scan, which made placing a large desktop quadratic.
class CDesktopLabelRecords {
public:
    // The first record of the name, compared without regard to case; failing that the first
    // record at the place (a renamed item keeps its old name and is found there); -1 for none.
    // The place is asked for only when the name is not known, as it costs the view a message.
    template <class PlaceOf> int Find(const std::wstring& name, PlaceOf placeOf) const {
        auto named = m_byName.find(Folded(name));
        if (named != m_byName.end())
            return named->second.front();
        POINT place = placeOf();
        auto placed = m_byPlace.find(Key(place));
        return placed == m_byPlace.end() ? -1 : *placed->second.begin();
    }
    int Add(const std::wstring& name, POINT place);
    void Move(int record, POINT place);
    // Moves every record of exactly this name.
    void MoveAllNamed(const std::wstring& name, POINT place);
    void Clear();
    const DesktopIcon& operator[](int record) const { return m_records[static_cast<size_t>(record)]; }
    size_t Size() const { return m_records.size(); }

private:
    typedef std::pair<LONG, LONG> PlaceKey;
    static PlaceKey Key(POINT place) { return PlaceKey(place.x, place.y); }
    static std::wstring Folded(const std::wstring& name);

    std::vector<DesktopIcon> m_records;
    // Record numbers in the order they were added, so the first is the one a scan would find.
    std::unordered_map<std::wstring, std::vector<int>> m_byName;
    std::map<PlaceKey, std::set<int>> m_byPlace;
};
