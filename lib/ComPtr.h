#pragma once
#include <windows.h>

#include <wrl/client.h>

// The one COM pointer of the program: the platform's own smart pointer, so no call site releases
// by hand and no early return leaks. Out-parameters take IID_PPV_ARGS(&pointer) or
// pointer.ReleaseAndGetAddressOf(); another interface of the same object comes from As().
template <typename Interface> using CComPtr = Microsoft::WRL::ComPtr<Interface>;
