#include "browser/DesktopLabelRecords.h"

#include <gtest/gtest.h>

namespace {

// A place lookup that must not be needed: the name alone finds the record.
POINT Unasked() {
    ADD_FAILURE() << "the place was asked for although the name is known";
    return {-5, -5};
}

} // namespace

// desktop-free: DesktopLabelRecords
TEST(DesktopLabelRecords, FoundByNameWithoutCaseElseByTheirCurrentPlaceFirstRecordFirst) {
    CDesktopLabelRecords records;
    EXPECT_EQ(-1, records.Find(L"Alpha", [] { return POINT{1, 1}; })) << "empty";
    EXPECT_EQ(0, records.Add(L"Alpha", POINT{10, 10}));
    EXPECT_EQ(1, records.Add(L"beta", POINT{20, 20}));
    EXPECT_EQ(2, records.Add(L"BETA", POINT{20, 20}));

    EXPECT_EQ(0, records.Find(L"ALPHA", Unasked));
    EXPECT_EQ(1, records.Find(L"Beta", Unasked)) << "the first of two names that differ in case";
    EXPECT_EQ(1, records.Find(L"Renamed", [] { return POINT{20, 20}; })) << "the first record at the place";
    EXPECT_EQ(-1, records.Find(L"Renamed", [] { return POINT{30, 30}; }));

    // A moved record is found at its new place only, and the place it left still finds the other.
    records.Move(1, POINT{30, 30});
    EXPECT_EQ(1, records.Find(L"Renamed", [] { return POINT{30, 30}; }));
    EXPECT_EQ(2, records.Find(L"Renamed", [] { return POINT{20, 20}; }));
    records.Move(2, POINT{40, 40});
    EXPECT_EQ(-1, records.Find(L"Renamed", [] { return POINT{20, 20}; }));
    EXPECT_EQ(30, records[1].position.x);

    // Moving by name takes the exact name only.
    records.MoveAllNamed(L"BETA", POINT{50, 50});
    EXPECT_EQ(30, records[1].position.x) << "beta is another name";
    EXPECT_EQ(50, records[2].position.x);
    EXPECT_EQ(2, records.Find(L"Renamed", [] { return POINT{50, 50}; }));

    records.Clear();
    EXPECT_EQ(0u, records.Size());
    EXPECT_EQ(-1, records.Find(L"Alpha", [] { return POINT{10, 10}; }));
}
