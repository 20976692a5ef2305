// How the application object ends: a close or the end of the logon while a message box is open,
// and the order in which a dying object lets go of what it owns.
#include "ApplicationFixture.h"

#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/Language.h"
#include "containers/ContainerBase.h"
#include "lib/FileSystem.h"
#include "support/FileFixtures.h"
#include "support/MessagePump.h"
#include "support/WindowSearch.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// A box kept open this long would collect thousands of messages from a loop that re-posts itself.
const DWORD kBoxObservedMs = 400;
const DWORD kWaitLimitMs = 10000;
const wchar_t kFoldersFile[] = L"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\nPath=Music\r\n";

// Shows a message box on this thread, runs whileOpen on a helper thread once the box is on screen,
// then answers the box. Messages sent from the helper reach this thread inside the box's loop.
void ShowBoxWhile(const std::function<void()>& whileOpen) {
    std::atomic<bool> answered(false);
    std::thread helper([&] {
        PumpMessagesUntil([] { return FindOwnWindow(L"#32770") != nullptr; }, kWaitLimitMs);
        whileOpen();
        for (; !answered; Sleep(20)) {
            for (HWND box : WindowsOfClass(L"#32770"))
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    });
    MessageBoxW(nullptr, L"Working on something", L"Busy", MB_OK);
    answered = true;
    helper.join();
}

LRESULT CALLBACK CountMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return DefSubclassProc(window, message, wParam, lParam);
}

// What the application still held when the box was answered, and how busy its window was meanwhile.
struct BoxOutcome {
    int mainWindowMessages = 0;
    size_t itemsLeft = 0;
    bool windowLeft = false;
};

class ApplicationLifetime : public ::testing::Test {
protected:
    // Runs the application with one folder menu item, opens a box from inside its loop and plays
    // whileOpen(main window) on a helper thread while the box is up.
    BoxOutcome RunWithABox(const std::function<void(HWND)>& whileOpen) {
        CreateDirectoryW(fixture.File(L"Music").c_str(), nullptr);
        fixture.Configure(kFoldersFile);
        fixture.Start();
        BoxOutcome outcome;
        EXPECT_TRUE(fixture.RunWhile([&](HWND window) {
            SetWindowSubclass(window, CountMessages, 1, reinterpret_cast<DWORD_PTR>(&outcome.mainWindowMessages));
            ShowBoxWhile([&] { whileOpen(window); });
            RemoveWindowSubclass(window, CountMessages, 1);
            outcome.itemsLeft = fixture.application.m_folders.size();
            outcome.windowLeft = IsWindow(window) != FALSE;
        }));
        return outcome;
    }
    bool Saved() const { return IsExistingFile(fixture.File(L"FoldersOptions.bak").c_str()); }
    // The items outlived the box's loop, which stayed calm; the quit followed the box, after one save.
    void ExpectQuitAfterTheBoxSavedOnce(const BoxOutcome& outcome) {
        EXPECT_EQ(1u, outcome.itemsLeft);
        EXPECT_LT(outcome.mainWindowMessages, 10) << "the waiting quit kept the thread busy";
        EXPECT_EQ(nullptr, fixture.application.m_hMainWindow);
        EXPECT_EQ(kFoldersFile, ReadUtf16File(fixture.File(L"FoldersOptions.bak")));
    }

    ApplicationFixture fixture;
};

} // namespace

TEST_F(ApplicationLifetime, ACloseDuringAMessageBoxSavesAtOnceAndQuitsWhenTheBoxIsAnsweredWithoutSpinning) {
    bool savedWhileOpen = false;
    BoxOutcome outcome = RunWithABox([&](HWND window) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        savedWhileOpen = PumpMessagesUntil([&] { return Saved(); }, kWaitLimitMs);
        Sleep(kBoxObservedMs);
    });
    EXPECT_TRUE(savedWhileOpen);
    EXPECT_TRUE(outcome.windowLeft);
    ExpectQuitAfterTheBoxSavedOnce(outcome);
    EXPECT_TRUE(fixture.application.m_folders.empty());
}

TEST_F(ApplicationLifetime, TheEndOfTheLogonDuringAMessageBoxSavesOnceWithoutWaitingForTheUser) {
    LRESULT queryAnswer = 0;
    LRESULT endAnswer = 1;
    bool savedBeforeTheAnswer = false;
    BoxOutcome outcome = RunWithABox([&](HWND window) {
        queryAnswer = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        savedBeforeTheAnswer = Saved();
        endAnswer = SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        Sleep(kBoxObservedMs);
    });
    EXPECT_EQ(TRUE, queryAnswer);
    EXPECT_EQ(0, endAnswer);
    EXPECT_TRUE(savedBeforeTheAnswer) << "the save must not wait for the box";
    ExpectQuitAfterTheBoxSavedOnce(outcome);
}

namespace {

// Objects that note when they die, so the order of a teardown can be read back.
template <typename Base> struct Noted : Base {
    Noted(std::vector<std::string>* deaths, const char* name) : deaths(deaths), name(name) {}
    ~Noted() override { deaths->push_back(name); }
    std::vector<std::string>* deaths;
    const char* name;
};

struct NotedContainer : CContainerBase {
    NotedContainer(CPathwren* application, std::vector<std::string>* deaths)
        : CContainerBase(nullptr, application), deaths(deaths) {}
    ~NotedContainer() override { deaths->push_back("container"); }
    BOOL SaveState() override { return TRUE; }
    std::vector<std::string>* deaths;
};

} // namespace

TEST(ApplicationTeardown, LeftoverItemsGoBeforeTheLanguageAndOptionsTheirContainersRead) {
    std::vector<std::string> deaths;
    {
        CPathwren application;
        application.m_pLanguage = new Noted<CLanguage>(&deaths, "language");
        application.m_pOptions = new Noted<CApplicationOptions>(&deaths, "options");
        // A start that never reached the loop, or a crash out of it, leaves its items behind.
        auto* item = new CGenericPathwrenObject();
        item->m_pContainer = new NotedContainer(&application, &deaths);
        application.m_folders.push_back(item);
    }
    EXPECT_EQ((std::vector<std::string>{"container", "language", "options"}), deaths);
}
