#include "options/OptionsUI.h"

#include "config/ApplicationOptions.h"
#include "lib/ErrorMessages.h"
#include "lib/FileReplace.h"

#include <string>

BOOL COptionsUI::CheckConfigurationWritable() {
    // The edits live only in the dialog until OK hands them over, and the application's save
    // cannot give them back; a file that would refuse them keeps the dialog open instead.
    const LPCWSTR files[] = {m_options->UserOptionsFile, m_options->FoldersFile};
    for (LPCWSTR file : files) {
        if (!file[0] || CanReplaceFile(file))
            continue;
        std::wstring text = std::wstring(L"The settings cannot be saved to the file\n") + file;
        ShowLastError(text.c_str(), m_hDialog);
        return FALSE;
    }
    return TRUE;
}
