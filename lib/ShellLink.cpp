#include "lib/ShellLink.h"

#include <objbase.h>
#include <shlguid.h>

HRESULT LoadShellLink(LPCWSTR path, CComPtr<IShellLinkW>* link) {
    CComPtr<IShellLinkW> created;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created));
    if (FAILED(hr))
        return hr;
    CComPtr<IPersistFile> file;
    hr = created.As(&file);
    if (SUCCEEDED(hr))
        hr = file->Load(path, STGM_READ);
    if (SUCCEEDED(hr))
        *link = created;
    return hr;
}

HRESULT SaveShellLink(LPCWSTR path, LPCWSTR target, LPCWSTR arguments, LPCWSTR workingDirectory) {
    CComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
    if (FAILED(hr))
        return hr;
    link->SetPath(target);
    if (arguments)
        link->SetArguments(arguments);
    if (workingDirectory)
        link->SetWorkingDirectory(workingDirectory);
    CComPtr<IPersistFile> file;
    hr = link.As(&file);
    return SUCCEEDED(hr) ? file->Save(path, TRUE) : hr;
}
