#include "support/Shortcut.h"

#include <shlobj.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

bool CreateShortcut(const std::wstring& shortcut, const std::wstring& target, const std::wstring& arguments,
                    const std::wstring& workingDirectory) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
           SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments.c_str())) &&
           SUCCEEDED(link->SetWorkingDirectory(workingDirectory.c_str())) && SUCCEEDED(link.As(&file)) &&
           SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
}
