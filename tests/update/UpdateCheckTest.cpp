#include "update/UpdateCheck.h"

#include "UpdateServer.h"
#include "config/SpecialPath.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/OpenedAddresses.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>

const std::wstring kQuestion = L"\r\nDo you want to download new version now ?";

// desktop-free: UpdateCheckTest.FindXmlTagFindsFullAndEmptyElementsOnly
TEST(UpdateCheckTest, FindXmlTagFindsFullAndEmptyElementsOnly) {
    struct Case {
        const char* text;
        BOOL found;
        size_t start, length, after;
    } cases[] = {
        {"<V>1.2</V>", TRUE, 3, 3, 10}, {"ab<V></V><V>9</V>", TRUE, 5, 0, 9}, {"x<V />y", TRUE, 1, 0, 6},
        {"<V>1.2", FALSE, 0, 0, 0},     {"</V>1.2<V>", FALSE, 0, 0, 0},       {"1.2</V>", FALSE, 0, 0, 0},
        {"<v>1.2</v>", FALSE, 0, 0, 0}, // callers search an upper-case copy
        {"", FALSE, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        size_t start = 99, length = 99, after = 99;
        EXPECT_EQ(c.found, FindXmlTag(c.text, "V", &start, &length, &after));
        if (c.found) {
            EXPECT_EQ(c.start, start);
            EXPECT_EQ(c.length, length);
            EXPECT_EQ(c.after, after);
        }
    }
}

// desktop-free: UpdateCheckTest.EachFileGivesItsOneVerdictAndMessage
TEST(UpdateCheckTest, EachFileGivesItsOneVerdictAndMessage) {
    ASSERT_FALSE(UpdateServerHost().empty()) << "the update_server fixture is not running";
    const std::wstring upToDate = L"Your software is up to date";
    const std::wstring invalid = L"Invalid update information file";
    struct Case {
        std::wstring serverCase;
        UpdateVerdict verdict;
        std::wstring text; // empty: not checked
        const wchar_t* ownFile = L"VersionDotted.dll";
    } cases[] = {
        {L"normal", UpdateVerdictNewer,
         L"A new version (1.4.0) is available\r\nChanges : Faster menus\r\n" + kQuestion},
        {L"lowercase", UpdateVerdictNewer,
         L"A new version (1.4.0-Beta) is available\r\nChanges : Menus\r\n" + kQuestion},
        {L"version/1.4", UpdateVerdictNewer, L""},
        {L"version/1.3.10", UpdateVerdictNewer, L""},
        {L"version/2", UpdateVerdictNewer, L""},
        {L"version/1.3", UpdateVerdictUpToDate, upToDate},
        {L"version/1.3.9", UpdateVerdictUpToDate, upToDate},
        {L"version/0.9.9", UpdateVerdictUpToDate, upToDate},
        {L"version/1.3.9", UpdateVerdictUpToDate, upToDate, L"VersionCommas.dll"},
        // An own version with only two numbers cannot be compared: up to date.
        {L"version/9.9.9", UpdateVerdictUpToDate, upToDate, L"VersionTwoNumbers.dll"},
        {L"no-changes", UpdateVerdictNewer, L"A new version (1.4.0) is available\r\n" + kQuestion},
        {L"no-version", UpdateVerdictInvalidFile, invalid},
        {L"unclosed", UpdateVerdictInvalidFile, invalid},
        {L"closed-first", UpdateVerdictInvalidFile, invalid},
        {L"garbage-with-version", UpdateVerdictInvalidFile, invalid},
        // A version must start with a number, and each dot must be followed by one.
        {L"version/", UpdateVerdictInvalidFile, invalid},
        {L"version/-1", UpdateVerdictInvalidFile, invalid},
        {L"version/1.-1", UpdateVerdictInvalidFile, invalid},
        {L"normal", UpdateVerdictNoVersionInformation, L"", L"VersionNone.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.serverCase) + " against " + testing::PrintToString(c.ownFile));
        UpdateCheckOutcome outcome;
        EvaluateUpdateCheck(TestServerSource(c.serverCase, c.ownFile), &outcome);
        EXPECT_EQ(c.verdict, outcome.verdict);
        if (!c.text.empty()) {
            EXPECT_EQ(c.text, outcome.text);
        }
        if (c.verdict == UpdateVerdictNewer) {
            EXPECT_EQ(L"Update", outcome.caption);
        }
        if (c.verdict == UpdateVerdictNoVersionInformation) {
            EXPECT_TRUE(outcome.text.empty()) << "nothing is shown without an own version";
        }
    }

    // A megabyte of version is cut for the message, which still names the start of it.
    UpdateCheckOutcome huge;
    EvaluateUpdateCheck(TestServerSource(L"huge-version"), &huge);
    EXPECT_EQ(UpdateVerdictNewer, huge.verdict);
    EXPECT_EQ(0u, huge.text.find(L"A new version (1.4.7777"));
    EXPECT_LT(huge.text.size(), 400u);
}

TEST(UpdateCheckTest, YesOpensTheDownloadNoOpensNothingFailuresShowOneMessageAndTheServerComesFromTheMainFile) {
    ASSERT_FALSE(UpdateServerHost().empty());
    OpenedAddresses opened;
    {
        DialogScriptDriver driver({DialogScriptDriver::Press(IDNO)});
        BOOL newer = FALSE;
        EXPECT_TRUE(RunUpdateCheck(TestServerSource(L"no-changes"), &newer));
        EXPECT_TRUE(newer);
        EXPECT_EQ(L"[box \"Update\": \"A new version (1.4.0) is available\r\n" + kQuestion + L"\"] ",
                  DescribeDialogs(driver.Finish()));
    }
    {
        DialogScriptDriver driver({DialogScriptDriver::Press(IDYES)});
        EXPECT_TRUE(RunUpdateCheck(TestServerSource(L"normal")));
        EXPECT_EQ(1u, driver.Finish().size());
    }
    std::vector<std::wstring> lines = opened.Wait(1);
    ASSERT_EQ(1u, lines.size()) << "No opened something, or Yes nothing";
    EXPECT_NE(std::wstring::npos, lines[0].find(L"http://" + UpdateServerHost() + L"/normal/exe/Pathwren_bin64.zip"))
        << testing::PrintToString(lines[0]);
    {
        DialogScriptDriver driver;
        BOOL newer = TRUE;
        EXPECT_FALSE(RunUpdateCheck(TestServerSource(L"not-found"), &newer));
        EXPECT_FALSE(newer);
        EXPECT_EQ(L"[box \"Error\": \"HTTP protocol error 404\"] ", DescribeDialogs(driver.Finish()));
    }

    TempDirectory programDirectory;
    OverrideProgramDirectory((programDirectory.Path() + L"\\").c_str());
    EXPECT_EQ(L"www.pathwren.example.org", ProgramUpdateCheckSource().server) << "the maker's host without a file";
    ASSERT_TRUE(WriteUtf16File(programDirectory.File(L"Pathwren.ini"),
                               L"[Pathwren]\r\nUpdateServer=" + UpdateServerHost() + L"/version/1.3.9\r\n"));
    UpdateCheckSource configured = ProgramUpdateCheckSource();
    OverrideProgramDirectory(nullptr);
    EXPECT_EQ(UpdateServerHost() + L"/version/1.3.9", configured.server);
    EXPECT_EQ(BesideTestProgram(L"update_tests.exe"), configured.ownExecutable);
}
