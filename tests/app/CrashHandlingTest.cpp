// Crash handling end to end: crash_child.exe mimics the entry point, faults as told, and the
// handler's questions, save dialog and restart are played from here. The handler's message and the
// translator's limits are checked in this process.
#include "app/ExceptionHardware.h"
#include "app/StructuredExceptionTranslator.h"
#include "lib/FileSystem.h"
#include "lib/RuntimeModule.h"
#include "support/ChildProcess.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/MessagePump.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <dbghelp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

typedef DialogScriptDriver Script;

const DWORD kChildTimeoutMs = 90 * 1000;
const DWORD kStatusStackOverflow = 0xC00000FD;

// One run of crash_child.exe in a fresh directory, with a report file there, while the script
// answers its dialogs. The child's job counts every process it starts in turn (a restarted
// instance) and ends them all with the run, so nothing outlives a test.
class CrashChildRun {
public:
    CrashChildRun(const std::wstring& fault, std::vector<Script::Step> script)
        : commandLine(L"\"" + BesideTestProgram(L"crash_child.exe") + L"\" --fault=" + fault + L" \"--report=" +
                      directory.File(L"report.txt") + L"\" \"an argument with spaces\" last"),
          child(commandLine, directory.Path()) {
        if (!child.Started())
            return;
        Script driver(std::move(script), child.Id());
        child.Resume();
        ended = child.Wait(kChildTimeoutMs);
        dialogs = driver.Finish();
    }

    std::vector<std::wstring> Report() const {
        std::vector<std::wstring> lines;
        std::wstringstream stream(ReadUtf16File(directory.File(L"report.txt")));
        for (std::wstring line; std::getline(stream, line);)
            lines.push_back(line);
        return lines;
    }
    std::string Described() const { return testing::PrintToString(DescribeDialogs(dialogs)); }

    TempDirectory directory;
    const std::wstring commandLine;
    bool ended = false;
    std::vector<Script::Dialog> dialogs;
    ChildProcess child;
};

// The first line that starts with the prefix; the line count when none does.
size_t ReportIndex(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
    size_t index = 0;
    while (index < lines.size() && lines[index].compare(0, prefix.size(), prefix) != 0)
        ++index;
    return index;
}

// The value after "prefix " on the first line that starts with it; empty when there is none.
std::wstring ReportValue(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
    size_t index = ReportIndex(lines, prefix + L" ");
    return index < lines.size() ? lines[index].substr(prefix.size() + 1) : L"";
}

// The exception stream of a minidump, read by the system's own reader: which thread faulted, with
// which code; code 0 when absent.
MINIDUMP_EXCEPTION_STREAM ExceptionInMiniDump(std::vector<unsigned char>& dump) {
    typedef BOOL(WINAPI * ReadStream)(PVOID, ULONG, PMINIDUMP_DIRECTORY*, PVOID*, ULONG*);
    CRuntimeModule debugHelp(L"dbghelp.dll");
    auto read = debugHelp.Procedure<ReadStream>("MiniDumpReadDumpStream");
    void* stream = nullptr;
    ULONG size = 0;
    if (dump.empty() || !read || !read(dump.data(), ExceptionStream, nullptr, &stream, &size) ||
        size < sizeof(MINIDUMP_EXCEPTION_STREAM))
        return {};
    return *static_cast<const MINIDUMP_EXCEPTION_STREAM*>(stream);
}

std::wstring MessageFor(DWORD code, std::vector<ULONG_PTR> parameters = {}) {
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = code;
    record.ExceptionAddress = reinterpret_cast<void*>(0x7FF6A1B2C3D4);
    for (ULONG_PTR parameter : parameters)
        record.ExceptionInformation[record.NumberParameters++] = parameter;
    CONTEXT context = {};
    EXCEPTION_POINTERS pointers = {&record, &context};
    return CExceptionHardware(code, &pointers).Message();
}

// The two questions of the handler, in order, as the user sees them.
void ExpectBothQuestions(const CrashChildRun& run) {
    std::vector<Script::Dialog> boxes;
    std::copy_if(run.dialogs.begin(), run.dialogs.end(), std::back_inserter(boxes),
                 [](const Script::Dialog& dialog) { return dialog.kind == Script::Kind::MessageBox; });
    EXPECT_EQ(L"[box \"Exception\": \"An exception has occurred.\r\nDo you want to save a crash dump file to report "
              L"error to author ?\"] [box \"Query\": \"Restart application ?\"] ",
              DescribeDialogs(boxes));
}

} // namespace

// A noexcept function, and a call into the C runtime DLL, which the compiler takes as never
// throwing, keep the translated exception from leaving the frame: the process ends after the
// questions with the exception code.
TEST(CrashHandling, FaultsUnwindToTheHandlerWhichNamesThemOrEndTheProcessAndAllAskBothQuestions) {
    struct Case {
        const wchar_t* fault;
        const wchar_t* name; // the exception as the handler's message names it; null: it cannot unwind
        const wchar_t* code;
        bool insideImage;                       // read-foreign faults in a system DLL that handles nothing itself
        std::vector<std::wstring> unwoundFirst; // frames whose destructors run before the handler
    };
    const std::vector<Case> cases = {
        {L"divide", L"INT_DIVIDE_BY_ZERO", L"0xC0000094", true, {L"unwound faulting frame", L"unwound caller frame"}},
        {L"window-procedure",
         L"ACCESS_VIOLATION writing location 0x0000000000000000",
         L"0xC0000005",
         true,
         {L"unwound faulting frame", L"unwound window procedure", L"unwound caller frame"}},
        {L"read-foreign",
         L"ACCESS_VIOLATION reading location 0x0000000000000010",
         L"0xC0000005",
         false,
         {L"unwound calling frame"}},
        {L"noexcept", nullptr, nullptr, true, {}},
        {L"read-runtime", nullptr, nullptr, false, {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(test.fault)));
        CrashChildRun run(test.fault, {Script::Press(IDNO), Script::Press(IDNO)});
        ASSERT_TRUE(run.ended) << "the child hung; " << run.Described();
        ExpectBothQuestions(run);
        // Answering No twice leaves no dump, in the proposed place or anywhere else, and no restart.
        EXPECT_FALSE(IsExistingFile(BesideTestProgram(L"crash_child.dmp").c_str()));
        EXPECT_EQ(std::vector<std::wstring>(), FilesIn(run.directory.Path(), L"*.dmp"));
        EXPECT_EQ(1u, run.child.Accounting().TotalProcesses);
        std::vector<std::wstring> report = run.Report();
        if (!test.name) {
            EXPECT_EQ(0xC0000005u, run.child.ExitCode());
            EXPECT_EQ(report.size(), ReportIndex(report, L"caught ")) << "the entry point's handler cannot be reached";
            continue;
        }
        std::wstring address = ReportValue(report, L"address");
        ASSERT_FALSE(address.empty()) << "no exception pointers reached the handler";
        EXPECT_EQ(std::wstring(test.name) + L" at address " + address + L".", ReportValue(report, L"caught"));
        EXPECT_EQ(address, ReportValue(report, L"context rip")) << "the context is not the fault's";
        EXPECT_EQ(test.code, ReportValue(report, L"code"));
        EXPECT_LT(ReportIndex(report, test.insideImage ? L"inside image" : L"outside image"), report.size());
        for (const std::wstring& frame : test.unwoundFirst)
            EXPECT_LT(ReportIndex(report, frame), ReportIndex(report, L"caught ")) << "before the handler: " << frame;
        EXPECT_EQ(0u, run.child.ExitCode()) << "the entry point returns normally after the handler";
    }
}

// After the divide, Yes to the second question starts the program again with the same command line.
TEST(CrashHandling, YesSavesAMiniDumpOfTheFaultWhereTheUserChoosesEvenAfterAStackOverflowAndRestartsTheProgram) {
    // An overflowed stack cannot be unwound: the process ends with the exception code.
    for (DWORD code : {DWORD(0xC0000094), kStatusStackOverflow}) {
        bool overflow = code == kStatusStackOverflow;
        SCOPED_TRACE(overflow ? "stack-overflow" : "divide");
        TempDirectory target;
        std::wstring dumpFile = target.File(L"chosen.dmp");
        CrashChildRun run(overflow ? L"stack-overflow" : L"divide",
                          {Script::Press(IDYES), Script::SaveAs(dumpFile), Script::Press(overflow ? IDNO : IDYES)});
        ASSERT_TRUE(run.ended) << "the child hung; " << run.Described();
        ASSERT_EQ(3u, run.dialogs.size()) << run.Described();
        EXPECT_EQ(Script::Kind::SaveFile, run.dialogs[1].kind);
        EXPECT_EQ(L"crash_child.dmp", run.dialogs[1].text.substr(run.dialogs[1].text.find_last_of(L'\\') + 1))
            << "the executable's own name with the extension dmp is proposed";
        ExpectBothQuestions(run);
        EXPECT_EQ(overflow ? kStatusStackOverflow : 0u, run.child.ExitCode());
        ASSERT_TRUE(PumpMessagesUntil([&] { return run.child.Accounting().ActiveProcesses == 0; }, kChildTimeoutMs))
            << "the restarted instance did not end";
        EXPECT_EQ(overflow ? 1u : 2u, run.child.Accounting().TotalProcesses);
        std::vector<std::wstring> report = run.Report();
        EXPECT_EQ(overflow, ReportIndex(report, L"unwound") == report.size());
        EXPECT_EQ(overflow ? L"" : run.commandLine, ReportValue(report, L"restarted"));

        std::vector<unsigned char> dump = ReadFileBytes(dumpFile);
        ASSERT_GE(dump.size(), 4u) << "no dump was written";
        EXPECT_EQ("MDMP", std::string(dump.begin(), dump.begin() + 4));
        MINIDUMP_EXCEPTION_STREAM exception = ExceptionInMiniDump(dump);
        EXPECT_EQ(code, exception.ExceptionRecord.ExceptionCode) << "the dump's exception stream";
        EXPECT_EQ(run.child.MainThreadId(), exception.ThreadId) << "the dump names the faulting thread, not the helper";
    }
}

TEST(CrashHandling, ACrashOrAnExceptionInsideTheRunningApplicationTakesItsMainWindowAlongBeforeTheQuestions) {
    // A close and an options request are queued for the main window, and a logoff comes after the
    // unwinding: none may reach the destroyed application object, which would save from freed memory.
    // std::bad_alloc thrown at start-up or by a window procedure gets the same questions.
    for (LPCWSTR fault : {L"application", L"application-bad-alloc", L"start-up-bad-alloc"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(fault)));
        CrashChildRun run(fault, {Script::Press(IDNO), Script::Press(IDNO)});
        ASSERT_TRUE(run.ended) << "the child hung; " << run.Described();
        std::vector<std::wstring> report = run.Report();
        size_t caught = ReportIndex(report, L"caught ");
        ASSERT_LT(caught, report.size()) << "the exception did not reach the handler";
        EXPECT_LT(ReportIndex(report, L"unwound application frame"), caught);
        if (wcscmp(fault, L"start-up-bad-alloc") != 0) {
            EXPECT_LT(ReportIndex(report, L"main window gone"), report.size()) << "the main window outlived its object";
        }
        ExpectBothQuestions(run);
        EXPECT_EQ(0u, run.child.ExitCode());
        EXPECT_FALSE(IsExistingFile(run.directory.File(L"FoldersOptions.bak").c_str()))
            << "something saved after the crash";
    }
}

// desktop-free: ExceptionHardware
TEST(ExceptionHardware, MessageNamesTheExceptionTheAccessAndTheFaultingAddress) {
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        // Named codes and both directions of an access violation come from the real faults above;
        // these are the forms none of them produces. A foreign C++ exception:
        {L"Unknown exception", MessageFor(0xE06D7363)},
        // Any non-zero access kind (8: execute) counts as writing.
        {L"ACCESS_VIOLATION writing location 0x00000000DEADBEEF", MessageFor(0xC0000005, {8, 0xDEADBEEF})},
        // Without the inaccessible address the detail is left out.
        {L"ACCESS_VIOLATION", MessageFor(0xC0000005, {1})}};
    for (const auto& test : cases)
        EXPECT_EQ(test.first + L" at address 0x00007FF6A1B2C3D4.", test.second);
}

// desktop-free: StructuredExceptionTranslator
TEST(StructuredExceptionTranslator, LeavesFaultsThatSystemCodeHandlesToTheSystem) {
    SetStructuredExceptionTranslator(CExceptionHardware::Translator);
    // lstrlenW catches bad pointers itself and answers 0; translating its fault would turn a
    // documented result into a crash.
    const wchar_t* volatile invalid = reinterpret_cast<const wchar_t*>(16);
    try {
        EXPECT_EQ(0, lstrlenW(invalid));
    } catch (const CExceptionHardware& exception) {
        ADD_FAILURE() << "translated: " << testing::PrintToString(std::wstring(exception.Message()));
    }
    SetStructuredExceptionTranslator(nullptr);
}
