// Crash handling end to end: crash_child.exe mimics the entry point, faults as told, and the
// handler's questions, save dialog and restart are played from here.
#include "support/ChildProcessRun.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/TempDirectory.h"

#include <dbghelp.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

typedef DialogScriptDriver::Kind Kind;
typedef std::vector<DialogScriptDriver::Step> Script;

const wchar_t kDumpQuestion[] =
    L"An exception has occurred.\r\nDo you want to save a crash dump file to report error to author ?";
const DWORD kChildTimeoutMs = 90 * 1000;
const DWORD kStatusStackOverflow = 0xC00000FD;

std::wstring TestDirectory() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    return directory.substr(0, directory.find_last_of(L'\\') + 1);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstringstream stream(text);
    for (std::wstring line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// The value after "prefix " on the first line that starts with it; empty when there is none.
std::wstring ReportValue(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
    for (const std::wstring& line : lines) {
        if (line.compare(0, prefix.size() + 1, prefix + L" ") == 0)
            return line.substr(prefix.size() + 1);
    }
    return L"";
}

size_t ReportIndex(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
    for (size_t index = 0; index < lines.size(); ++index) {
        if (lines[index].compare(0, prefix.size(), prefix) == 0)
            return index;
    }
    return lines.size();
}

struct DumpedException {
    bool found;
    DWORD threadId;
    DWORD code;
};

// The exception stream of a minidump: which thread faulted, with which code.
DumpedException ExceptionInMiniDump(const std::vector<unsigned char>& dump) {
    DumpedException none = {false, 0, 0};
    if (dump.size() < sizeof(MINIDUMP_HEADER))
        return none;
    const MINIDUMP_HEADER* header = reinterpret_cast<const MINIDUMP_HEADER*>(dump.data());
    for (ULONG32 index = 0; index < header->NumberOfStreams; ++index) {
        size_t entry = header->StreamDirectoryRva + index * sizeof(MINIDUMP_DIRECTORY);
        if (entry + sizeof(MINIDUMP_DIRECTORY) > dump.size())
            return none;
        const MINIDUMP_DIRECTORY* directory = reinterpret_cast<const MINIDUMP_DIRECTORY*>(dump.data() + entry);
        if (directory->StreamType != ExceptionStream)
            continue;
        if (directory->Location.Rva + sizeof(MINIDUMP_EXCEPTION_STREAM) > dump.size())
            return none;
        const MINIDUMP_EXCEPTION_STREAM* stream =
            reinterpret_cast<const MINIDUMP_EXCEPTION_STREAM*>(dump.data() + directory->Location.Rva);
        return DumpedException{true, stream->ThreadId, stream->ExceptionRecord.ExceptionCode};
    }
    return none;
}

// One run of crash_child.exe in a fresh directory, with a report file there.
class CrashChildRun {
public:
    CrashChildRun(const std::wstring& fault, const Script& script)
        : m_commandLine(L"\"" + TestDirectory() + L"crash_child.exe\" --fault=" + fault + L" \"--report=" +
                        m_directory.File(L"report.txt") + L"\" \"an argument with spaces\" last"),
          m_run(m_commandLine, m_directory.Path(), script, kChildTimeoutMs) {}

    const ChildProcessRun& Process() const { return m_run; }
    const std::wstring& CommandLine() const { return m_commandLine; }
    const TempDirectory& Directory() const { return m_directory; }
    const std::vector<DialogScriptDriver::Dialog>& Dialogs() const { return m_run.Dialogs(); }
    std::vector<std::wstring> Report() const { return Lines(ReadUtf16File(m_directory.File(L"report.txt"))); }

private:
    TempDirectory m_directory;
    std::wstring m_commandLine;
    ChildProcessRun m_run;
};

// The two questions of the handler, in order, as the user sees them.
void ExpectBothQuestions(const std::vector<DialogScriptDriver::Dialog>& dialogs) {
    std::vector<DialogScriptDriver::Dialog> boxes;
    for (const DialogScriptDriver::Dialog& dialog : dialogs) {
        if (dialog.kind == Kind::MessageBox)
            boxes.push_back(dialog);
    }
    ASSERT_EQ(2u, boxes.size()) << testing::PrintToString(DescribeDialogs(dialogs));
    EXPECT_EQ(L"Exception", boxes[0].caption);
    EXPECT_EQ(kDumpQuestion, boxes[0].text);
    EXPECT_EQ(L"Query", boxes[1].caption);
    EXPECT_EQ(L"Restart application ?", boxes[1].text);
}

// The caught message names the exception and the address in the exception record.
void ExpectCaughtMessage(const std::vector<std::wstring>& report, const std::wstring& name) {
    std::wstring address = ReportValue(report, L"address");
    ASSERT_FALSE(address.empty()) << "no exception pointers reached the handler";
    EXPECT_EQ(name + L" at address " + address + L".", ReportValue(report, L"caught"));
    EXPECT_EQ(address, ReportValue(report, L"context rip")) << "the context is not the fault's";
}

} // namespace

TEST(CrashHandling, DivideByZeroUnwindsToTheHandlerWhichAsksBothQuestions) {
    CrashChildRun run(L"divide", {DialogScriptDriver::Press(IDNO), DialogScriptDriver::Press(IDNO)});
    ASSERT_TRUE(run.Process().Ended()) << "the child hung; " << testing::PrintToString(DescribeDialogs(run.Dialogs()));
    std::vector<std::wstring> report = run.Report();

    ExpectBothQuestions(run.Dialogs());
    ExpectCaughtMessage(report, L"INT_DIVIDE_BY_ZERO");
    EXPECT_EQ(L"0xC0000094", ReportValue(report, L"code"));
    EXPECT_LT(ReportIndex(report, L"inside image"), report.size());
    size_t caught = ReportIndex(report, L"caught ");
    EXPECT_LT(ReportIndex(report, L"unwound faulting frame"), caught) << "destructors run before the handler";
    EXPECT_LT(ReportIndex(report, L"unwound caller frame"), caught);
    EXPECT_EQ(0u, run.Process().ExitCode()) << "the entry point returns normally after the handler";

    // Answering No twice leaves no dump, in the proposed place or anywhere else, and no restart.
    EXPECT_FALSE(FileExists(TestDirectory() + L"crash_child.dmp"));
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(run.Directory().File(L"*.dmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "unexpected dump file";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    EXPECT_EQ(1u, run.Process().ProcessesStarted());
}

TEST(CrashHandling, AccessViolationInAWindowProcedureUnwindsThroughTheMessageLoop) {
    CrashChildRun run(L"window-procedure", {DialogScriptDriver::Press(IDNO), DialogScriptDriver::Press(IDNO)});
    ASSERT_TRUE(run.Process().Ended()) << "the child hung";
    std::vector<std::wstring> report = run.Report();

    ExpectCaughtMessage(report, L"ACCESS_VIOLATION writing location 0x0000000000000000");
    EXPECT_EQ(L"0xC0000005", ReportValue(report, L"code"));
    size_t caught = ReportIndex(report, L"caught ");
    EXPECT_LT(ReportIndex(report, L"unwound faulting frame"), caught);
    EXPECT_LT(ReportIndex(report, L"unwound window procedure"), caught);
    EXPECT_LT(ReportIndex(report, L"unwound caller frame"), caught);
    ExpectBothQuestions(run.Dialogs());
}

TEST(CrashHandling, FaultInASystemDllThatNothingHandlesIsTranslatedToo) {
    CrashChildRun run(L"read-foreign", {DialogScriptDriver::Press(IDNO), DialogScriptDriver::Press(IDNO)});
    ASSERT_TRUE(run.Process().Ended()) << "the child hung";
    std::vector<std::wstring> report = run.Report();
    ExpectCaughtMessage(report, L"ACCESS_VIOLATION reading location 0x0000000000000010");
    EXPECT_LT(ReportIndex(report, L"outside image"), report.size()) << "the fault was expected in the system DLL";
    EXPECT_LT(ReportIndex(report, L"unwound calling frame"), ReportIndex(report, L"caught "));
    ExpectBothQuestions(run.Dialogs());
}

TEST(CrashHandling, FaultsThatCannotUnwindToTheHandlerStillGetBothQuestions) {
    // A noexcept function, and a call into the C runtime DLL, which the compiler takes as never
    // throwing: the translated exception cannot leave the frame, and the process ends after the
    // questions with the exception code.
    for (const wchar_t* fault : {L"noexcept", L"read-runtime"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(fault)));
        CrashChildRun run(fault, {DialogScriptDriver::Press(IDNO), DialogScriptDriver::Press(IDNO)});
        ASSERT_TRUE(run.Process().Ended()) << "the child hung";
        ExpectBothQuestions(run.Dialogs());
        EXPECT_EQ(0xC0000005u, run.Process().ExitCode());
        std::vector<std::wstring> report = run.Report();
        EXPECT_EQ(report.size(), ReportIndex(report, L"caught ")) << "the entry point's handler cannot be reached";
    }
}

TEST(CrashHandling, YesToTheDumpQuestionSavesAMiniDumpOfTheFaultWhereTheUserChooses) {
    TempDirectory target;
    std::wstring dumpFile = target.File(L"chosen.dmp");
    CrashChildRun run(L"divide", {DialogScriptDriver::Press(IDYES), DialogScriptDriver::SaveAs(dumpFile),
                                  DialogScriptDriver::Press(IDNO)});
    ASSERT_TRUE(run.Process().Ended()) << "the child hung; " << testing::PrintToString(DescribeDialogs(run.Dialogs()));

    const std::vector<DialogScriptDriver::Dialog>& dialogs = run.Dialogs();
    ASSERT_EQ(3u, dialogs.size()) << testing::PrintToString(DescribeDialogs(dialogs));
    EXPECT_EQ(Kind::SaveFile, dialogs[1].kind);
    EXPECT_EQ(L"crash_child.dmp", dialogs[1].text.substr(dialogs[1].text.find_last_of(L'\\') + 1))
        << "the executable's own name with the extension dmp is proposed";
    ExpectBothQuestions(dialogs);

    std::vector<unsigned char> dump = ReadFileBytes(dumpFile);
    ASSERT_GE(dump.size(), 4u) << "no dump was written";
    EXPECT_EQ("MDMP", std::string(dump.begin(), dump.begin() + 4));
    DumpedException exception = ExceptionInMiniDump(dump);
    ASSERT_TRUE(exception.found) << "the dump has no exception stream";
    EXPECT_EQ(0xC0000094u, exception.code);
    EXPECT_EQ(run.Process().MainThreadId(), exception.threadId);
    EXPECT_EQ(1u, run.Process().ProcessesStarted());
}

TEST(CrashHandling, YesToRestartStartsTheProgramAgainWithTheSameCommandLine) {
    CrashChildRun run(L"divide", {DialogScriptDriver::Press(IDNO), DialogScriptDriver::Press(IDYES)});
    ASSERT_TRUE(run.Process().Ended()) << "the child hung";
    ASSERT_TRUE(run.Process().WaitForAllProcesses(kChildTimeoutMs)) << "the restarted instance did not end";

    EXPECT_EQ(2u, run.Process().ProcessesStarted());
    EXPECT_EQ(run.CommandLine(), ReportValue(run.Report(), L"restarted"));
    ExpectBothQuestions(run.Dialogs());
}

TEST(CrashHandling, StackOverflowStillOffersTheDumpAndThenEndsTheProcess) {
    TempDirectory target;
    std::wstring dumpFile = target.File(L"overflow.dmp");
    CrashChildRun run(L"stack-overflow", {DialogScriptDriver::Press(IDYES), DialogScriptDriver::SaveAs(dumpFile),
                                          DialogScriptDriver::Press(IDNO)});
    ASSERT_TRUE(run.Process().Ended()) << "the child hung; " << testing::PrintToString(DescribeDialogs(run.Dialogs()));

    ExpectBothQuestions(run.Dialogs());
    EXPECT_EQ(kStatusStackOverflow, run.Process().ExitCode());
    std::vector<std::wstring> report = run.Report();
    EXPECT_EQ(report.size(), ReportIndex(report, L"unwound")) << "an overflowed stack cannot be unwound";
    DumpedException exception = ExceptionInMiniDump(ReadFileBytes(dumpFile));
    ASSERT_TRUE(exception.found) << "no dump with an exception stream was written";
    EXPECT_EQ(kStatusStackOverflow, exception.code);
    EXPECT_EQ(run.Process().MainThreadId(), exception.threadId)
        << "the dump names the overflowed thread, not the helper";
}
