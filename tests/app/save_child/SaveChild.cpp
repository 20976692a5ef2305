// save_child.exe FOLDERS_FILE GENERATION EVENT_NAME: saves generation GENERATION of 100 folder
// items with the program's own SaveFolders, setting the event just before, so that the test that
// kills it can aim at the save.
#include "SavedGeneration.h"

#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "lib/StringCopy.h"

#include <windows.h>

#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return 2;
    CPathwren application;
    application.m_pOptions = new CApplicationOptions();
    CopyTruncated(application.m_pOptions->FoldersFile, argv[1]);
    application.m_folders = MakeGenerationItems(_wtoi(argv[2]), 100);
    HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    if (started)
        SetEvent(started);
    // The application object deletes the items it holds.
    return application.SaveFolders() ? 0 : 1;
}
