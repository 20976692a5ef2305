// Damaged configuration files: the corpus of tests/app/make_malformed_configs.py in every place of
// the configuration, a damaged folders file that gives way to its backup, and saves killed midway.
#include "ApplicationFixture.h"

#include "app/save_child/SavedGeneration.h"
#include "config/ApplicationOptions.h"
#include "config/IniFileEx.h"
#include "config/Language.h"
#include "lib/KernelHandle.h"
#include "support/ChildProcess.h"
#include "support/DialogScriptDriver.h"
#include "support/FileFixtures.h"
#include "support/Soak.h"
#include "support/SourceTree.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {
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

void Delete(std::vector<CGenericPathwrenObject*>& items) {
    for (CGenericPathwrenObject* item : items)
        delete item;
    items.clear();
}

// The items a fresh start of the program loads from the folders file, restore included.
std::vector<unsigned char> StartAndLoad(const std::wstring& foldersFile, BOOL* restored) {
    CPathwren application;
    application.m_pOptions = new CApplicationOptions();
    wcscpy(application.m_pOptions->FoldersFile, foldersFile.c_str());
    application.LoadFolders();
    *restored = application.m_restoredFromBackup;
    std::vector<unsigned char> bytes = SavedBytes(application.m_folders);
    Delete(application.m_folders);
    return bytes;
}

std::vector<unsigned char> GenerationBytes(int generation) {
    std::vector<CGenericPathwrenObject*> items = MakeGenerationItems(generation, 100);
    std::vector<unsigned char> bytes = SavedBytes(items);
    Delete(items);
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
