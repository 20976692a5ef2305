#include "UpdateServer.h"

#include "support/FileFixtures.h"
#include "support/SourceTree.h"

std::wstring UpdateServerHost() {
    SetEnvironmentVariableW(L"http_proxy", nullptr);
    SetEnvironmentVariableW(L"HTTP_PROXY", nullptr);
    std::vector<unsigned char> port = ReadFileBytes(BesideTestProgram(L"update_server.port"));
    if (port.empty())
        return L"";
    return L"127.0.0.1:" + std::wstring(port.begin(), port.end());
}

UpdateCheckSource TestServerSource(const std::wstring& serverCase, const std::wstring& ownFile, DWORD timeLimit) {
    UpdateCheckSource source;
    source.ownExecutable = BesideTestProgram(ownFile);
    source.server = UpdateServerHost() + L"/" + serverCase;
    source.timeLimit = timeLimit;
    return source;
}
