#include "config/SettingKey.h"

#include "IniText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A small record with one field of every kind a table can describe.
struct Sample {
    INT Number, Double;
    UINT Unsigned;
    COLORREF Color;
    BYTE Percent;
    BOOL HasNote;
    WCHAR Note[8];
    RECT Window;
    std::vector<INT> Marks;
};

INT TwiceTheNumber(const Sample& sample) {
    return 2 * sample.Number;
}

bool HasNote(const Sample& sample) {
    return sample.HasNote != FALSE;
}

void LoadMarks(IConfigReader& reader, LPCWSTR countKey, Sample& sample) {
    INT count = ReadIntValue(reader, countKey, 0);
    for (INT i = 0; i < count; ++i)
        sample.Marks.push_back(ReadIntValue(reader, (L"Mark_" + std::to_wstring(i)).c_str(), -1));
}

void SaveMarks(IConfigWriter& writer, LPCWSTR countKey, const Sample& sample) {
    writer.WriteInt(countKey, static_cast<INT>(sample.Marks.size()));
    for (size_t i = 0; i < sample.Marks.size(); ++i)
        writer.WriteInt((L"Mark_" + std::to_wstring(i)).c_str(), sample.Marks[i]);
}

void AppendMarks(const Sample& source, Sample& destination) {
    destination.Marks.insert(destination.Marks.end(), source.Marks.begin(), source.Marks.end());
}

constexpr SettingKey<Sample> kSampleKeys[] = {
    {L"Number", &Sample::Number, 5},
    {L"Double", &Sample::Double, TwiceTheNumber},
    {L"Unsigned", &Sample::Unsigned, 7},
    {L"Color", &Sample::Color, 0xFFFFFF},
    {L"Percent", &Sample::Percent, 90},
    {L"HasNote", &Sample::HasNote, TRUE},
    {L"Note", Text<&Sample::Note>(), L"none", HasNote},
    {L"Width", LengthField<Sample>{&Sample::Window, &RECT::left, &RECT::right}, 100},
    {L"Marks", RecordsField<Sample>{LoadMarks, SaveMarks, AppendMarks}},
};

std::wstring SavedText(const Sample& sample) {
    return WrittenIniText(
        nullptr, [&](CIniFile& file) { SaveSettings(kSampleKeys, static_cast<IConfigWriter&>(file), sample); });
}

Sample Loaded(const std::wstring& text, Sample sample = Sample()) {
    ReadIniText(text, nullptr,
                [&](CIniFile& file) { LoadSettings(kSampleKeys, static_cast<IConfigReader&>(file), sample); });
    return sample;
}

} // namespace

// desktop-free: SettingKey
TEST(SettingKey, EveryKindIsWrittenInRowOrderAndReadBackAfterTheRowsBeforeItAndCopiedWhole) {
    const std::wstring text =
        L"[Default]\r\nNumber=4294967293\r\nDouble=8\r\nUnsigned=4294967295\r\nColor=1193046\r\n"
        L"Percent=200\r\nHasNote=1\r\nNote=abc\r\nWidth=300\r\nMarks=2\r\nMark_0=11\r\nMark_1=12\r\n";
    Sample sample = {-3, 8, 0xFFFFFFFFu, 0x123456, 200, TRUE, L"abc", {50, 60, 350, 90}, {11, 12}};
    EXPECT_EQ(text, SavedText(sample));

    EXPECT_EQ(text, SavedText(Loaded(text)));

    EXPECT_EQ(300 % 256, Loaded(L"[Default]\r\nPercent=300\r\n").Percent);

    Sample fresh = {};
    ApplyDefaultSettings(kSampleKeys, fresh);
    // Double is computed from the default before it.
    EXPECT_EQ(L"[Default]\r\nNumber=5\r\nDouble=10\r\nUnsigned=7\r\nColor=16777215\r\nPercent=90\r\nHasNote=1\r\n"
              L"Note=none\r\nWidth=100\r\nMarks=0\r\n",
              SavedText(fresh));

    Sample source = {-3, 8, 9, 0x123456, 200, FALSE, L"abc", {50, 60, 350, 90}, {11, 12}};
    Sample destination = {};
    CopySettings(kSampleKeys, source, destination);
    EXPECT_EQ(50, destination.Window.left) << "the whole rectangle, not only its stored length";
    EXPECT_EQ(60, destination.Window.top);
    EXPECT_STREQ(L"abc", destination.Note) << "conditions do not limit a copy";
    EXPECT_EQ(SavedText(source), SavedText(destination));

    CopySettings(kSampleKeys, source, source);
    EXPECT_EQ((std::vector<INT>{11, 12}), source.Marks) << "a copy onto itself doubles nothing";
}
