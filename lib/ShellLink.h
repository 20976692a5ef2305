#pragma once
#include <windows.h>

#include <shobjidl.h>

#include "lib/ComPtr.h"

// A shortcut file loaded into a new shell link object.
HRESULT LoadShellLink(LPCWSTR path, CComPtr<IShellLinkW>* link);
// Writes a shortcut file pointing at the target (the demo and the tests make their own).
HRESULT SaveShellLink(LPCWSTR path, LPCWSTR target, LPCWSTR arguments = nullptr, LPCWSTR workingDirectory = nullptr);
