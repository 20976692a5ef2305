// Measures the desktop mirror's cross-process work against the least the same work needs, in the
// same run, with the desktop stand-in as Explorer:
// - reading the desktop layout of 50, 500 and 2,000 icons against a bare loop of the same
//   cross-process calls (the ratio should stay near 1);
// - placing a mirror of 500 and 2,000 icons (the layout read and every item placed) against the
//   bare read of the same layout (the aim is 1.2), and beside it the same less one repaint of the
//   view, the part the view's own drawing takes;
// - a burst of 100 desktop changes while the mirror is hidden, in layout reads (the aim is none),
//   and the next showing (one rebuild).
//
// Usage: DesktopLayoutBench [runs]   (default 3; the best run of each counts)
#include "BenchHost.h"
#include "app/ContainerFactory.h"
#include "app/Pathwren.h"
#include "browser/DesktopBrowser.h"
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "containers/ContainerBase.h"
#include "containers/ShellBrowserContainerBase.h"
#include "lib/KernelHandle.h"
#include "lib/RegistryKey.h"
#include "support/DesktopStandIn.h"
#include "support/MessagePump.h"
#include "support/TempDirectory.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// The same calls as the layout read, without the object around them.
void BareRead(HWND listView) {
    DWORD processId = 0;
    GetWindowThreadProcessId(listView, &processId);
    CKernelHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    BYTE* block = static_cast<BYTE*>(VirtualAllocEx(process.Get(), nullptr, 600, MEM_COMMIT, PAGE_READWRITE));
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(block + 8);
    item.cchTextMax = MAX_PATH;
    int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        POINT place;
        WCHAR name[MAX_PATH];
        SIZE_T done;
        SendMessageW(listView, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(block));
        ReadProcessMemory(process.Get(), block, &place, sizeof(place), &done);
        item.iItem = index;
        WriteProcessMemory(process.Get(), block + 528, &item, 72, &done);
        if (SendMessageW(listView, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(block + 528)) > 0)
            ReadProcessMemory(process.Get(), block + 8, name, sizeof(name), &done);
    }
    VirtualFreeEx(process.Get(), block, 0, MEM_RELEASE);
}

std::wstring IconName(int index) {
    return L"Icon " + std::to_wstring(10000 + index);
}

// Icons named in order, spread over a 1280 x 1024 desktop.
void AddSpreadIcons(HWND listView, int icons) {
    for (int index = 0; index < icons; ++index)
        AddDesktopIcon(listView, IconName(index), (index * 37) % 1280, (index * 53) % 1024);
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    // The mirror's folders live in a desktop directory of the bench's own, set before the shell's
    // first look at the desktop, and put back at the end.
    TempDirectory desktopDirectory;
    CRegistryKey shellFolders;
    RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                  shellFolders.Receive());
    WCHAR saved[MAX_PATH] = L"";
    DWORD savedSize = sizeof(saved), savedType = REG_EXPAND_SZ;
    bool hadValue = RegQueryValueExW(shellFolders.Get(), L"Desktop", nullptr, &savedType,
                                     reinterpret_cast<BYTE*>(saved), &savedSize) == ERROR_SUCCESS;
    RegSetValueExW(shellFolders.Get(), L"Desktop", 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(desktopDirectory.Path().c_str()),
                   static_cast<DWORD>((desktopDirectory.Path().size() + 1) * sizeof(WCHAR)));
    bench::StartShellUi();

    HWND host = bench::CreateHost(640, 512);
    FOLDERSETTINGS settings = {FVM_ICON, FWF_NOWEBVIEW};
    std::printf("desktop layout read, best of %d runs (ms):\n", runs);
    for (int icons : {50, 500, 2000}) {
        DesktopStandIn standIn;
        HWND listView = standIn.ListView();
        AddSpreadIcons(listView, icons);
        CDesktopBrowser browser(host, &settings);
        bench::BestPair best = bench::BestOfAlternating(
            runs, [&] { browser.ReadDesktopLayout(); }, [&] { BareRead(listView); });
        std::printf("  %5d icons: layout read %8.2f, bare calls %8.2f, ratio %.2f (%zu read)\n", icons, best.work,
                    best.floor, best.work / best.floor, browser.DesktopLayout().size());
        standIn.Close(false);
    }

    // A burst of desktop changes while the "Desktop" item's window is hidden, counted in layout
    // reads: the stand-in counts how often it was asked for an icon's place.
    // Every icon has its folder: a name the mirror cannot find makes it read the layout again.
    int made = 0;
    {
        const int icons = 50, changes = 100;
        for (; made < icons; ++made)
            CreateDirectoryW(desktopDirectory.File(IconName(made)).c_str(), nullptr);
        DesktopStandIn standIn;
        HWND listView = standIn.ListView();
        AddSpreadIcons(listView, icons);
        CPathwren application;
        application.m_pOptions = new CApplicationOptions();
        CGenericPathwrenObject item;
        TempDirectory elsewhere;
        wcscpy(item.Path, elsewhere.Path().c_str());
        item.FolderPresentationType = FolderPresentationDesktop;
        item.WindowRect = {0, 0, 640, 512};
        if (CreateContainerForItem(&item, &application, GetModuleHandleW(nullptr), nullptr, nullptr)) {
            CContainerBase* container = ContainerOf(item);
            container->Show(TRUE);
            PumpPendingMessages();
            container->Hide();
            LONG before = DesktopIconPositionReads(listView);
            for (int change = 0; change < changes; ++change) {
                SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSH, desktopDirectory.Path().c_str(), nullptr);
                PumpPendingMessages();
            }
            PumpMessagesUntil([] { return false; }, 1000);
            LONG hidden = DesktopIconPositionReads(listView) - before;
            container->Show(TRUE);
            PumpPendingMessages();
            LONG shown = DesktopIconPositionReads(listView) - before - hidden;
            // One rebuild of the same desktop, for comparison: the view's names that Explorer's
            // desktop lacks (Wine's view shows a few) cost a rebuild re-reads of its own.
            LONG rebuildFrom = DesktopIconPositionReads(listView);
            static_cast<CShellBrowserContainerBase*>(container)->GetBrowser()->Refresh();
            PumpPendingMessages();
            LONG rebuild = DesktopIconPositionReads(listView) - rebuildFrom;
            std::printf("%d desktop changes while hidden: %.1f layout reads; the next showing: %.1f, one rebuild of "
                        "the same desktop: %.1f\n",
                        changes, static_cast<double>(hidden) / icons, static_cast<double>(shown) / icons,
                        static_cast<double>(rebuild) / icons);
        }
        item.ReleaseContainer();
        standIn.Close(false);
    }
    // Placing: a mirror of as many folders as the desktop has icons reads the layout and places
    // every item; the least that needs is the bare read.
    std::printf("icons placed (layout read and every item placed), best of %d runs (ms):\n", runs);
    for (int icons : {500, 2000}) {
        for (; made < icons; ++made)
            CreateDirectoryW(desktopDirectory.File(IconName(made)).c_str(), nullptr);
        DesktopStandIn standIn;
        HWND listView = standIn.ListView();
        AddSpreadIcons(listView, icons);
        {
            CDesktopBrowser browser(host, &settings);
            bench::HostedBrowser() = &browser;
            browser.BrowseToDesktop();
            browser.SetViewRect({0, 0, 640, 512});
            PumpPendingMessages();
            // The parts of the best run, to show where what is above the floor goes.
            double parts[3] = {}, bestTotal = 1e300;
            bench::BestPair best = bench::BestOfAlternating(
                runs,
                [&] {
                    double read = bench::Best(1, [&] { browser.ReadDesktopLayout(); });
                    double place = bench::Best(1, [&] { browser.PlaceAllItems(); });
                    double pump = bench::Best(1, [&] { PumpPendingMessages(); });
                    if (read + place + pump < bestTotal) {
                        bestTotal = read + place + pump;
                        parts[0] = read, parts[1] = place, parts[2] = pump;
                    }
                },
                [&] { BareRead(listView); });
            std::printf("  %5d icons: placed %8.2f, bare read %8.2f, ratio %.2f (read %.0f, placing %.0f, the view "
                        "moving its items %.0f)\n",
                        icons, best.work, best.floor, best.work / best.floor, parts[0], parts[1], parts[2]);
            // Placing ends in a repaint of the whole view, which the bare read has no part of: the
            // view drawing its items once more, with our label procedure, says how much that is.
            double repaint = bench::Best(runs, [&] {
                RedrawWindow(browser.ListView(), nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            });
            std::printf("         the view repainting its items alone %.0f; placed less that, against the bare read: "
                        "%.2f\n",
                        repaint, (best.work - repaint) / best.floor);
            bench::HostedBrowser() = nullptr;
        }
        standIn.Close(false);
    }

    DestroyWindow(host);
    OleUninitialize();
    if (hadValue)
        RegSetValueExW(shellFolders.Get(), L"Desktop", 0, savedType, reinterpret_cast<const BYTE*>(saved), savedSize);
    else
        RegDeleteValueW(shellFolders.Get(), L"Desktop");
    return 0;
}
