#pragma once
#include "config/IConfigReader.h"
#include "config/IConfigWriter.h"
#include "lib/StringCopy.h"

#include <windows.h>

#include <cstddef>
#include <type_traits>
#include <variant>

// A settings record is described once, as an array of SettingKey rows in the order its keys are
// written. The defaults of a new record, Load, Save and the copy all walk those rows, so a new
// setting is its field plus one row, and the bytes a record writes follow from the row order.

// A fixed WCHAR array of the record; made by Text<&Record::Field>(), which takes the size from
// the array itself.
template <class Record> struct TextField {
    LPWSTR (*buffer)(Record& record);
    LPCWSTR (*text)(const Record& record);
    DWORD size; // characters, terminator included
};

// One side of a rectangle stored as its length: loading puts the near edge at 0.
template <class Record> struct LengthField {
    RECT Record::*rectangle;
    LONG RECT::*nearEdge;
    LONG RECT::*farEdge;
};

// Indexed records under a count key (the row's key): reading them, writing them, and appending
// the source's records to the destination's on a copy. A new record has none.
template <class Record> struct RecordsField {
    void (*load)(IConfigReader& reader, LPCWSTR countKey, Record& record);
    void (*save)(IConfigWriter& writer, LPCWSTR countKey, const Record& record);
    void (*append)(const Record& source, Record& destination);
};

// BOOL is an INT and COLORREF a DWORD, so these cover every number a record stores.
template <class Record>
using SettingField = std::variant<INT Record::*, UINT Record::*, DWORD Record::*, BYTE Record::*, TextField<Record>,
                                  LengthField<Record>, RecordsField<Record>>;

// A constant, or a value computed from the rows before it (already loaded when reading a file),
// for keys whose default follows another setting.
template <class Record> class SettingDefault {
public:
    constexpr SettingDefault(INT number) : m_number(number) {}
    constexpr SettingDefault(LPCWSTR text) : m_text(text) {}
    constexpr SettingDefault(INT (*number)(const Record&)) : m_computedNumber(number) {}
    constexpr SettingDefault(LPCWSTR (*text)(const Record&)) : m_computedText(text) {}

    INT Number(const Record& record) const { return m_computedNumber ? m_computedNumber(record) : m_number; }
    LPCWSTR Text(const Record& record) const {
        if (m_computedText)
            return m_computedText(record);
        return m_text ? m_text : L"";
    }

private:
    INT m_number = 0;
    LPCWSTR m_text = nullptr;
    INT (*m_computedNumber)(const Record&) = nullptr;
    LPCWSTR (*m_computedText)(const Record&) = nullptr;
};

template <class Record> struct SettingKey {
    // A key with a condition is read and written only while it holds; it sees the rows before it.
    using Condition = bool (*)(const Record&);

    constexpr SettingKey(LPCWSTR key, SettingField<Record> value, SettingDefault<Record> byDefault,
                         Condition when = nullptr)
        : name(key), field(value), defaultValue(byDefault), stored(when) {}
    constexpr SettingKey(LPCWSTR countKey, RecordsField<Record> records, Condition when = nullptr)
        : name(countKey), field(records), defaultValue(0), stored(when) {}

    LPCWSTR name;
    SettingField<Record> field;
    SettingDefault<Record> defaultValue;
    Condition stored;
};

namespace settings_detail {

template <class... Visitors> struct Overloaded : Visitors... { using Visitors::operator()...; };
template <class... Visitors> Overloaded(Visitors...) -> Overloaded<Visitors...>;

template <class Pointer> struct MemberOf;
template <class Record, class Type> struct MemberOf<Type Record::*> {
    using RecordType = Record;
    using FieldType = Type;
};

template <class Record> void SetLength(Record& record, const LengthField<Record>& length, INT value) {
    RECT& rectangle = record.*length.rectangle;
    rectangle.*length.nearEdge = 0;
    rectangle.*length.farEdge = value;
}

template <class Record> bool IsStored(const SettingKey<Record>& key, const Record& record) {
    return !key.stored || key.stored(record);
}

} // namespace settings_detail

template <auto Member> constexpr TextField<typename settings_detail::MemberOf<decltype(Member)>::RecordType> Text() {
    using Record = typename settings_detail::MemberOf<decltype(Member)>::RecordType;
    using Field = typename settings_detail::MemberOf<decltype(Member)>::FieldType;
    static_assert(std::is_same_v<std::remove_extent_t<Field>, WCHAR> && std::extent_v<Field> > 0,
                  "text settings live in fixed WCHAR arrays");
    return {[](Record& record) -> LPWSTR { return record.*Member; },
            [](const Record& record) -> LPCWSTR { return record.*Member; }, static_cast<DWORD>(std::extent_v<Field>)};
}

template <class Record, std::size_t N> void ApplyDefaultSettings(const SettingKey<Record> (&keys)[N], Record& record) {
    using namespace settings_detail;
    for (const SettingKey<Record>& key : keys) {
        std::visit(Overloaded{[&](const TextField<Record>& text) {
                                  CopyTruncated(text.buffer(record), text.size, key.defaultValue.Text(record));
                              },
                              [&](const LengthField<Record>& length) {
                                  SetLength(record, length, key.defaultValue.Number(record));
                              },
                              [](const RecordsField<Record>&) {},
                              [&](auto number) {
                                  using Number = std::remove_reference_t<decltype(record.*number)>;
                                  record.*number = static_cast<Number>(key.defaultValue.Number(record));
                              }},
                   key.field);
    }
}

// A missing key takes its default; a key whose condition fails is not read and its field keeps
// its value.
template <class Record, std::size_t N>
void LoadSettings(const SettingKey<Record> (&keys)[N], IConfigReader& reader, Record& record) {
    using namespace settings_detail;
    for (const SettingKey<Record>& key : keys) {
        if (!IsStored(key, record))
            continue;
        std::visit(
            Overloaded{[&](const TextField<Record>& text) {
                           // A value too long for its buffer keeps what fits.
                           reader.ReadString(key.name, key.defaultValue.Text(record), text.buffer(record), text.size);
                       },
                       [&](const LengthField<Record>& length) {
                           SetLength(record, length, ReadIntValue(reader, key.name, key.defaultValue.Number(record)));
                       },
                       [&](const RecordsField<Record>& records) { records.load(reader, key.name, record); },
                       [&](auto number) {
                           using Number = std::remove_reference_t<decltype(record.*number)>;
                           record.*number =
                               static_cast<Number>(ReadIntValue(reader, key.name, key.defaultValue.Number(record)));
                       }},
            key.field);
    }
}

// Write failures are ignored: a later save writes everything again.
template <class Record, std::size_t N>
void SaveSettings(const SettingKey<Record> (&keys)[N], IConfigWriter& writer, const Record& record) {
    using namespace settings_detail;
    for (const SettingKey<Record>& key : keys) {
        if (!IsStored(key, record))
            continue;
        std::visit(Overloaded{[&](const TextField<Record>& text) { writer.WriteString(key.name, text.text(record)); },
                              [&](const LengthField<Record>& length) {
                                  const RECT& rectangle = record.*length.rectangle;
                                  writer.WriteInt(key.name, rectangle.*length.farEdge - rectangle.*length.nearEdge);
                              },
                              [&](const RecordsField<Record>& records) { records.save(writer, key.name, record); },
                              [&](auto number) { writer.WriteInt(key.name, static_cast<INT>(record.*number)); }},
                   key.field);
    }
}

// Copies every row whatever its condition; a stored length copies its whole rectangle.
template <class Record, std::size_t N>
void CopySettings(const SettingKey<Record> (&keys)[N], const Record& source, Record& destination) {
    using namespace settings_detail;
    if (&source == &destination)
        return; // appending a record's own records to itself would double them
    for (const SettingKey<Record>& key : keys) {
        std::visit(Overloaded{[&](const TextField<Record>& text) {
                                  CopyTruncated(text.buffer(destination), text.size, text.text(source));
                              },
                              [&](const LengthField<Record>& length) {
                                  destination.*length.rectangle = source.*length.rectangle;
                              },
                              [&](const RecordsField<Record>& records) { records.append(source, destination); },
                              [&](auto number) { destination.*number = source.*number; }},
                   key.field);
    }
}
