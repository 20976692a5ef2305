#pragma once
#include <string>

// "127.0.0.1:port" of the test server the update_server fixture started; empty when it is not
// running. Also clears the proxy variables, which Wine's WinINet would otherwise honour.
std::wstring UpdateServerHost();
