#pragma once
#include "update/UpdateCheck.h"

#include <string>

// "127.0.0.1:port" of the test server the update_server fixture started; empty when it is not
// running. Also clears the proxy variables, which Wine's WinINet would otherwise honour.
std::wstring UpdateServerHost();

// A check against the test server's case ("normal", "version/1.4") by a program whose version
// is that of the fixture library given, 1.3.9 by default.
UpdateCheckSource TestServerSource(const std::wstring& serverCase, const std::wstring& ownFile = L"VersionDotted.dll",
                                   DWORD timeLimit = 3000);
