#include "browser/DesktopLabelRecords.h"

#include <cwctype>

std::wstring CDesktopLabelRecords::Folded(const std::wstring& name) {
    // The same folding as _wcsicmp, which the records were once compared with.
    std::wstring folded(name);
    for (wchar_t& character : folded)
        character = static_cast<wchar_t>(towlower(character));
    return folded;
}

int CDesktopLabelRecords::Add(const std::wstring& name, POINT place) {
    int record = static_cast<int>(m_records.size());
    m_records.push_back({place, name});
    m_byName[Folded(name)].push_back(record);
    m_byPlace[Key(place)].insert(record);
    return record;
}

void CDesktopLabelRecords::Move(int record, POINT place) {
    DesktopIcon& icon = m_records[static_cast<size_t>(record)];
    if (icon.position.x == place.x && icon.position.y == place.y)
        return;
    auto old = m_byPlace.find(Key(icon.position));
    if (old != m_byPlace.end()) {
        old->second.erase(record);
        if (old->second.empty())
            m_byPlace.erase(old);
    }
    icon.position = place;
    m_byPlace[Key(place)].insert(record);
}

void CDesktopLabelRecords::MoveAllNamed(const std::wstring& name, POINT place) {
    auto named = m_byName.find(Folded(name));
    if (named == m_byName.end())
        return;
    for (int record : named->second)
        if (m_records[static_cast<size_t>(record)].name == name)
            Move(record, place);
}

void CDesktopLabelRecords::Clear() {
    m_records.clear();
    m_byName.clear();
    m_byPlace.clear();
}
