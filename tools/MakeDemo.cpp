// Fills a copy of the program directory with a demo configuration, so a newcomer sees Pathwren
// work at once: a "Menu" item on a small sample folder (given relative to the program
// directory), a "Multiple Folders Menu" item over that folder and the user's documents, the
// sample folder in its own window, and a "Desktop" item mirroring a demo desktop, whose folders
// are made here too (run.sh makes them the desktop for the demo run).
#include "config/ApplicationOptions.h"
#include "config/GenericPathwrenObject.h"
#include "config/IniFileEx.h"
#include "config/SpecialPath.h"
#include "lib/KernelHandle.h"
#include "lib/ShellLink.h"
#include "lib/StringCopy.h"
#include "res/resource.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const WCHAR kDemoFolder[] = L"Demo Folder";
const WCHAR kDemoDesktop[] = L"Demo Desktop";
// The folders run.sh also places on its stand-in of Explorer's desktop.
const WCHAR* const kDesktopFolders[] = {L"Photos", L"Projects", L"Recipes", L"Music", L"Letters", L"Travel"};

bool WriteTextFile(const std::wstring& path, const char* text) {
    CFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), text, static_cast<DWORD>(strlen(text)), &written, nullptr);
}

void MakeSampleFolder(const std::wstring& root) {
    const WCHAR* folders[] = {L"", L"\\Photos", L"\\Projects", L"\\Projects\\Website", L"\\Projects\\Garden plan"};
    for (const WCHAR* folder : folders)
        CreateDirectoryW((root + folder).c_str(), nullptr);
    WriteTextFile(root + L"\\Read me.txt", "Pathwren opens this folder as a menu from the notification area.\r\n");
    WriteTextFile(root + L"\\Shopping list.txt", "Bread\r\nApples\r\nCoffee\r\n");
    WriteTextFile(root + L"\\Say hello.cmd", "@echo Hello from Pathwren!\r\n@pause\r\n");
    WriteTextFile(root + L"\\Photos\\Holiday 1.txt", "A photo would be here.\r\n");
    WriteTextFile(root + L"\\Photos\\Holiday 2.txt", "Another photo would be here.\r\n");
    WriteTextFile(root + L"\\Projects\\Website\\index.html", "<html><body>Hello</body></html>\r\n");
    WriteTextFile(root + L"\\Projects\\Garden plan\\Plants.txt", "Tomatoes, beans, basil.\r\n");
    SaveShellLink((root + L"\\Projects shortcut.lnk").c_str(), (root + L"\\Projects").c_str());
}

void MakeDemoDesktop(const std::wstring& root) {
    CreateDirectoryW(root.c_str(), nullptr);
    for (const WCHAR* folder : kDesktopFolders)
        CreateDirectoryW((root + L"\\" + folder).c_str(), nullptr);
}

// The demo bar: docked at the top centre (Wine's taskbar covers the bottom of a virtual desktop),
// opaque, because a virtual display shows no translucency, and with folder icons that open
// under the cursor and when pressed.
void GiveLaunchBarLook(const std::wstring& programDirectory, CApplicationOptions& options,
                       std::vector<CGenericPathwrenObject*>& items) {
    options.LaunchMode = LaunchModeLaunchBar;
    CLaunchBarOptions& bar = options.LaunchBarOptions;
    bar.Position = 1;
    bar.UseFullScreenWidth = FALSE;
    bar.Opacity = 100;
    bar.BackgroundType = 1;
    bar.BackgroundGradiantColor1 = RGB(255, 255, 255);
    bar.BackgroundGradiantColor2 = RGB(0, 102, 204);
    bar.IconSize = 32;
    bar.HotCornerActiveWitdh = 8;
    // The program's own toolbar artwork, by resource identifier (a negative index).
    std::wstring program = programDirectory + L"\\Pathwren.exe";
    const int looks[][3] = {
        {IDI_TOOLBAR_HOME, IDI_TOOLBAR_HOME_HOT, IDI_TOOLBAR_HOME_DOWN},
        {IDI_TOOLBAR_JUMP_TO_EXPLORER, IDI_TOOLBAR_JUMP_TO_EXPLORER_HOT, IDI_TOOLBAR_JUMP_TO_EXPLORER_DOWN}};
    for (size_t index = 0; index < items.size() && index < ARRAYSIZE(looks); ++index) {
        CGenericPathwrenObject* item = items[index];
        CopyTruncated(item->AssociatedIconPath, program.c_str());
        item->AssociatedIconIndex = -looks[index][0];
        CopyTruncated(item->AssociatedHotIconPath, program.c_str());
        item->AssociatedHotIconIndex = -looks[index][1];
        CopyTruncated(item->AssociatedDownIconPath, program.c_str());
        item->AssociatedDownIconIndex = -looks[index][2];
    }
}

// The main and user options files of a single-user program directory, written as the program
// writes them. No language is chosen, so the demo speaks the language of Windows.
bool WriteApplicationOptions(const std::wstring& programDirectory, CApplicationOptions& options) {
    std::wstring mainFilePath = programDirectory + L"\\Pathwren.ini";
    DeleteFileW(mainFilePath.c_str());
    DeleteFileW(options.UserOptionsFile);
    CIniFileEx<CApplicationOptions> file(mainFilePath.c_str());
    return file.Save(options, L"Pathwren") != FALSE;
}

bool WriteConfiguration(const std::wstring& programDirectory, bool launchBar, bool showDesktop) {
    CApplicationOptions options;
    CopyTruncated(options.ApplicationDirectory, (programDirectory + L"\\").c_str());
    options.SetConfigLocation(TRUE);
    options.bRunAtStartup = FALSE;
    options.Language[0] = L'\0';

    std::vector<CGenericPathwrenObject*> items(4);
    items[0] = new CGenericPathwrenObject();
    CopyTruncated(items[0]->Path, kDemoFolder);
    items[0]->HotKeyModifier = MOD_CONTROL | MOD_ALT;
    items[0]->HotKeyVirtualKey = 'D';
    items[1] = new CGenericPathwrenObject();
    items[1]->FolderPresentationType = FolderPresentationMultipleFoldersMenu;
    CopyTruncated(items[1]->DisplayName, L"Demo and Documents");
    CopyTruncated(items[1]->Path, kDemoFolder);
    items[1]->MergeMenusInPopupMenu = FALSE;
    items[1]->MergedFolders->push_back({0, L"Demo", L"Demo Folder"});
    MergedFolder documents = {0, L"Documents", L""};
    CopyTruncated(documents.Directory, FormatSpecialPath(CSIDL_PERSONAL).c_str());
    items[1]->MergedFolders->push_back(documents);
    // The same folder in its own window, open from the start, over a soft gradient.
    items[2] = new CGenericPathwrenObject();
    items[2]->FolderPresentationType = FolderPresentationBrowser;
    CopyTruncated(items[2]->Path, kDemoFolder);
    items[2]->ShowAtStartup = !showDesktop;
    items[2]->RememberLastPosition = TRUE;
    items[2]->WindowRect = {0, 0, 520, 340};
    items[2]->WindowPositionX = 240;
    items[2]->WindowPositionY = 160;
    items[2]->BackgroundType = 2;
    items[2]->BackgroundColor1 = RGB(236, 244, 255);
    items[2]->BackgroundColor2 = RGB(190, 214, 245);
    items[2]->HotKeyModifier = MOD_CONTROL | MOD_ALT;
    items[2]->HotKeyVirtualKey = 'B';

    // The desktop, scaled into a small window: compact icons at Explorer's places.
    items[3] = new CGenericPathwrenObject();
    items[3]->FolderPresentationType = FolderPresentationDesktop;
    items[3]->ShowAtStartup = showDesktop;
    items[3]->WindowRect = {0, 0, 512, 410};
    items[3]->WindowPositionX = 720;
    items[3]->WindowPositionY = 120;
    items[3]->HotKeyModifier = MOD_CONTROL | MOD_ALT;
    items[3]->HotKeyVirtualKey = 'W';

    if (launchBar)
        GiveLaunchBarLook(programDirectory, options, items);
    bool written = WriteApplicationOptions(programDirectory, options);

    std::wstring foldersFile = programDirectory + L"\\FoldersOptions.ini";
    DeleteFileW(foldersFile.c_str());
    CIniFileEx<CGenericPathwrenObject> file(foldersFile.c_str());
    BOOL saved = file.SaveArray(L"Folders", items);
    for (CGenericPathwrenObject* item : items)
        delete item;
    return written && saved;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    bool launchBar = argc == 3 && wcscmp(argv[2], L"--launch-bar") == 0;
    bool showDesktop = argc == 3 && wcscmp(argv[2], L"--desktop") == 0;
    if (argc != 2 && !launchBar && !showDesktop) {
        fwprintf(stderr, L"usage: MakeDemo <program directory> [--launch-bar | --desktop]\n");
        return 2;
    }
    CoInitialize(nullptr);
    std::wstring programDirectory = argv[1];
    MakeSampleFolder(programDirectory + L"\\" + kDemoFolder);
    MakeDemoDesktop(programDirectory + L"\\" + kDemoDesktop);
    bool written = WriteConfiguration(programDirectory, launchBar, showDesktop);
    CoUninitialize();
    return written ? 0 : 1;
}
