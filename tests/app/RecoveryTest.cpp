// What the program recovers from: a crash (crash_child.exe mimics the entry point and faults as told;
// the handler's questions, save dialog and restart are played from here), the damaged files of the
// corpus of tests/app/make_malformed_configs.py in every place of the configuration, and killed saves.
#include "ApplicationFixture.h"

#include "app/ExceptionHardware.h"
#include "app/StructuredExceptionTranslator.h"
#include "app/save_child/SavedGeneration.h"
#include "config/ApplicationOptions.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "lib/FileSystem.h"
#include "lib/KernelHandle.h"
#include "lib/RuntimeModule.h"
#include "support/ChildProcess.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/MessagePump.h"
#include "support/Soak.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <dbghelp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

typedef DialogScriptDriver Script;

const DWORD kChildTimeoutMs = 90 * 1000;

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

// Starts and closes the program with each damaged file of the corpus (or of one of its halves, in
// name order: a folders file with items starts tray icons, and the whole corpus of those would
// take too long for one case) in the given places of its configuration.
enum class Corpus { Whole, FirstHalf, SecondHalf };
void StartAndCloseWithEachDamagedFile(const std::vector<std::wstring>& places, Corpus part = Corpus::Whole) {
    std::vector<std::wstring> corpus = FilesIn(SourceTreePath(L"tests/app/malformed"), L"*.ini");
    ASSERT_GE(corpus.size(), 50u) << "the corpus is missing";
    if (part == Corpus::FirstHalf)
        corpus.resize(corpus.size() / 2);
    else if (part == Corpus::SecondHalf)
        corpus.erase(corpus.begin(), corpus.begin() + corpus.size() / 2);

    for (const std::wstring& damagedFile : corpus) {
        SCOPED_TRACE(testing::PrintToString(damagedFile));
        ApplicationFixture fixture;
        // Without a folders file the start makes the default desktop item, whose mirror of the desktop
        // costs a good part of a start; a damaged folders file that names no item still leads there.
        // Where another file is the damaged one, a menu item over an existing folder serves.
        bool foldersDamaged = std::find(places.begin(), places.end(), L"FoldersOptions.ini") != places.end();
        fixture.Configure(foldersDamaged ? L""
                                         : L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=Languages\r\n"
                                           L"FolderPresentationType=2\r\n");
        CreateDirectoryW(fixture.File(L"Languages").c_str(), nullptr);
        for (const std::wstring& place : places)
            ASSERT_TRUE(CopyFileW(damagedFile.c_str(), fixture.File(place).c_str(), FALSE));

        DialogScriptDriver driver;
        fixture.Start();
        ASSERT_NE(nullptr, fixture.application.m_pOptions);
        ASSERT_NE(nullptr, fixture.application.m_pLanguage);
        ASSERT_FALSE(fixture.application.m_folders.empty()) << "at least the desktop item or the menu item";
        EXPECT_LE(fixture.application.m_folders.size(), kMaxIniArrayElements);
        EXPECT_TRUE(fixture.RunAndClose());
        // The one message allowed: a damaged user options file may name a language that has no file.
        std::vector<DialogScriptDriver::Dialog> dialogs = driver.Finish();
        bool languageMessage = dialogs.size() == 1 && dialogs[0].text.find(L"language file") != std::wstring::npos &&
                               fixture.application.m_pLanguage->Exit == std::wstring(L"Exit");
        EXPECT_TRUE(dialogs.empty() || languageMessage)
            << "damaged configuration shows no message box: " << testing::PrintToString(DescribeDialogs(dialogs));
    }
}

const wchar_t kRestoredText[] = L"The folder configuration was damaged; the previous one was restored.";
const std::wstring kTwoItems = L"[Default]\r\nFolders=2\r\n[Folders_0]\r\nFolderPresentationType=3\r\nDisplayName=A\r\n"
                               L"[Folders_1]\r\nFolderPresentationType=3\r\nDisplayName=B\r\n";

// The bytes SaveArray writes for these items: two equal texts mean equal items, key by key.
std::vector<unsigned char> SavedBytes(const std::vector<CGenericPathwrenObject*>& items) {
    TempDirectory scratch;
    std::wstring path = scratch.File(L"items.ini");
    {
        CIniFileEx<CGenericPathwrenObject> file(path.c_str());
        file.SaveArray(L"Folders", items);
    }
    return ReadFileBytes(path);
}

// The items a fresh start of the program loads from the folders file, restore included.
std::vector<unsigned char> StartAndLoad(const std::wstring& foldersFile, BOOL* restored) {
    CPathwren application;
    application.m_pOptions = new CApplicationOptions();
    wcscpy(application.m_pOptions->FoldersFile, foldersFile.c_str());
    application.LoadFolders();
    *restored = application.m_restoredFromBackup;
    return SavedBytes(application.m_folders); // the application object deletes its items
}

std::vector<unsigned char> GenerationBytes(int generation) {
    std::vector<CGenericPathwrenObject*> items = MakeGenerationItems(generation, 100);
    std::vector<unsigned char> bytes = SavedBytes(items);
    for (CGenericPathwrenObject* item : items)
        delete item;
    return bytes;
}

// Starts save_child.exe on the file; once it says the save begins, waits the given time (busy,
// for sub-millisecond aim) and kills it. A negative time lets it finish. Returns how long the
// child ran after it began saving, in milliseconds; -1 when it did not start.
double SaveAndKill(const std::wstring& foldersFile, int generation, double killAfterMs) {
    std::wstring eventName = L"PathwrenSaveChild" + std::to_wstring(GetCurrentProcessId());
    CKernelHandle started(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    ChildProcess child(L"\"" + BesideTestProgram(L"save_child.exe") + L"\" \"" + foldersFile + L"\" " +
                       std::to_wstring(generation) + L" " + eventName);
    if (!child.Started())
        return -1;
    child.Resume();
    WaitForSingleObject(started.Get(), 30000);
    LARGE_INTEGER frequency, begin, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    auto elapsedMs = [&]() {
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
    };
    while (killAfterMs >= 0 && elapsedMs() < killAfterMs) {
    }
    child.Wait(killAfterMs >= 0 ? 0 : 30000); // ends the whole job when it still runs
    return elapsedMs();
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
    for (DWORD code : {STATUS_INTEGER_DIVIDE_BY_ZERO, STATUS_STACK_OVERFLOW}) {
        bool overflow = code == STATUS_STACK_OVERFLOW;
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
        EXPECT_EQ(overflow ? STATUS_STACK_OVERFLOW : 0u, run.child.ExitCode());
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

TEST(MalformedConfiguration, DamagedFoldersFilesStartWithDefaultsFirstHalf) {
    StartAndCloseWithEachDamagedFile({L"FoldersOptions.ini"}, Corpus::FirstHalf);
}

TEST(MalformedConfiguration, DamagedFoldersFilesStartWithDefaultsSecondHalf) {
    StartAndCloseWithEachDamagedFile({L"FoldersOptions.ini"}, Corpus::SecondHalf);
}

TEST(MalformedConfiguration, DamagedMainFilesStartWithDefaults) {
    StartAndCloseWithEachDamagedFile({L"Pathwren.ini"});
}

TEST(MalformedConfiguration, DamagedUserOptionsAndLanguageFilesStartWithDefaults) {
    StartAndCloseWithEachDamagedFile({L"UserOptions.ini", L"Languages\\English.ini"});
}

// A damaged file gives way to a complete backup, with one message. A file the user emptied, and a
// damaged one whose backup is damaged too, are left alone: the desktop item stands in.
TEST(FoldersFileRecovery, ADamagedFileGivesWayToACompleteBackupWithOneMessageAndOthersAreLeftAlone) {
    const struct {
        std::wstring file; // empty: none
        std::wstring backup;
        bool restored;
    } cases[] = {
        {L"", kTwoItems, true},                                                           // the file is missing
        {L"[Folders_0]\r\nFolderPresentationType=3\r\n", kTwoItems, true},                // no [Default]
        {L"[Default]\r\nFolders=3\r\n[Folders_0]\r\nDisplayName=X\r\n", kTwoItems, true}, // sections missing
        {L"\r\n", kTwoItems, false},                                                      // emptied by the user
        {L"[Default]\r\nFolders=0\r\n", kTwoItems, false},                                // every item removed
        {L"[Folders_0]\r\nDisplayName=X\r\n", L"[Default]\r\nFolders=2\r\n[Folders_0]\r\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file));
        ApplicationFixture fixture;
        fixture.Configure(c.file);
        WriteUtf16File(fixture.File(L"FoldersOptions.bak"), c.backup);
        DialogScriptDriver driver({DialogScriptDriver::Press(IDOK)});
        fixture.Start();
        EXPECT_EQ(c.restored, fixture.application.m_restoredFromBackup != FALSE);
        EXPECT_EQ(c.restored ? kTwoItems : c.file, ReadUtf16File(fixture.File(L"FoldersOptions.ini")));
        ASSERT_EQ(c.restored ? 2u : 1u, fixture.application.m_folders.size());
        EXPECT_EQ(c.restored ? FolderPresentationMultipleFoldersMenu : FolderPresentationDesktop,
                  fixture.application.m_folders[0]->FolderPresentationType);
        if (c.restored) {
            EXPECT_TRUE(fixture.RunAndClose());
            EXPECT_EQ(kTwoItems, ReadUtf16File(fixture.File(L"FoldersOptions.bak"))) << "the save kept the good backup";
        } else {
            EXPECT_FALSE(fixture.application.m_showOptionsAtStart) << "a file was there";
        }
        EXPECT_EQ(c.restored ? L"[box \"Pathwren\": \"" + std::wstring(kRestoredText) + L"\"] " : L"(no dialogs)",
                  DescribeDialogs(driver.Finish()));
    }
}

// desktop-free: FoldersFileRecovery.ASaveKilledAtAnyMomentLeavesTheOldOrTheNewConfigurationWhole
TEST(FoldersFileRecovery, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewConfigurationWhole) {
    const int kills = SoakCycles(20, 100);
    TempDirectory directory;
    std::wstring foldersFile = directory.File(L"FoldersOptions.ini");

    double saveMs = SaveAndKill(foldersFile, 1, -1);
    ASSERT_GT(saveMs, 0) << "save_child.exe did not run";
    BOOL restored = FALSE;
    std::vector<unsigned char> current = GenerationBytes(1);
    ASSERT_EQ(current, StartAndLoad(foldersFile, &restored));

    std::mt19937 random(20261206);
    std::uniform_real_distribution<double> moment(0.0, saveMs * 2.0);
    int completeNew = 0;
    for (int kill = 0; kill < kills; ++kill) {
        int generation = kill + 2;
        double at = moment(random);
        SaveAndKill(foldersFile, generation, at);
        std::vector<unsigned char> loaded = StartAndLoad(foldersFile, &restored);
        std::vector<unsigned char> next = GenerationBytes(generation);
        bool isOld = loaded == current;
        bool isNew = loaded == next;
        ASSERT_TRUE(isOld || isNew) << "kill " << kill << " at " << at << " ms of " << saveMs
                                    << " ms left a mixture or a loss";
        // The replace alone keeps the file whole; the backup is for what it cannot prevent.
        EXPECT_FALSE(restored) << "kill " << kill << " at " << at << " ms left a damaged file";
        if (isNew) {
            current = next;
            ++completeNew;
        }
    }
    printf("%d of %d saves completed before the kill (a save takes %.1f ms)\n", completeNew, kills, saveMs);
    EXPECT_LT(completeNew, kills) << "no kill landed inside a save, so nothing was tested";
}
