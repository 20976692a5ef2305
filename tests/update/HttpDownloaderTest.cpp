#include "update/HttpDownloader.h"

#include "UpdateServer.h"

#include <gtest/gtest.h>

#include <psapi.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace {

const DWORD kTimeLimit = 3000;
const DWORD kSizeLimit = 1024 * 1024;

SIZE_T PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize;
}

std::wstring ErrorText(const HttpDownloader& downloader, DWORD error) {
    wchar_t text[512];
    downloader.FormatDownloadError(error, text, ARRAYSIZE(text));
    return text;
}

} // namespace

// desktop-free: HttpDownloaderTest
TEST(HttpDownloaderTest, EveryAnswerEndsWithinTheLimitsWithOneMeaning) {
    std::wstring server = UpdateServerHost();
    ASSERT_FALSE(server.empty()) << "the update_server fixture is not running";

    // The texts of wininet.dll's message table (as Wine words them); a code that is not WinINet's
    // gets the "Error 0x" form.
    const std::wstring timeoutText = L"The update check could not reach the server:\r\nThe request has timed out.\r\n";
    const std::wstring memoryText = L"The update information file is larger than 1024 KB; it was not read.";
    struct Case {
        std::wstring url;
        BOOL result;
        DWORD error;
        long long size;
        std::wstring message;
    } cases[] = {
        {server + L"/normal/Pathwren/Pathwren.xml", TRUE, 0, 147, L"Unknown HTTP error"},
        {server + L"/not-found", FALSE, ERROR_HTTP_INVALID_SERVER_RESPONSE, 0, L"HTTP protocol error 404"},
        {server + L"/no-length", TRUE, 0, 10135, L""},
        {server + L"/length0", TRUE, 0, 0, L""},
        {server + L"/garbage", TRUE, 0, 2048, L""},
        {server + L"/length-99999999999", FALSE, ERROR_FILE_TOO_LARGE, 0, memoryText},
        {server + L"/endless", FALSE, ERROR_FILE_TOO_LARGE, 0, memoryText},
        {server + L"/drip", FALSE, ERROR_INTERNET_TIMEOUT, 0, timeoutText},
        {server + L"/stall-before-headers", FALSE, ERROR_INTERNET_TIMEOUT, 0, timeoutText},
        {server + L"/stall-after-headers", FALSE, ERROR_INTERNET_TIMEOUT, 0, timeoutText},
        // A reset in the middle of a body is reported as aborted or as reset, depending on when
        // Wine's WinINet notices it.
        {server + L"/reset", FALSE, ERROR_INTERNET_CONNECTION_ABORTED, 0, L""},
        {L"127.0.0.1:1/closed-port", FALSE, ERROR_INTERNET_CANNOT_CONNECT, 0,
         L"The update check could not reach the server:\r\nThe attempt to connect to the server failed.\r\n"},
        {L"HTTP://pathwren-test.invalid/Pathwren/Pathwren.xml", FALSE, ERROR_INTERNET_NAME_NOT_RESOLVED, 0,
         L"The update check could not reach the server:\r\nThe server name could not be resolved.\r\n"},
    };
    SIZE_T peakBefore = PeakWorkingSet();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.url));
        HttpDownloader downloader(kSizeLimit, kTimeLimit);
        std::vector<BYTE> data(3, 0x55);
        DWORD size = 12345;
        ULONGLONG start = GetTickCount64();
        BOOL result = downloader.DownloadToMemory(c.url.c_str(), &data, &size);
        DWORD error = GetLastError();
        ULONGLONG elapsed = GetTickCount64() - start;
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(error, downloader.m_dwLastError);
        bool resetEitherWay = c.error == ERROR_INTERNET_CONNECTION_ABORTED && error == ERROR_INTERNET_CONNECTION_RESET;
        EXPECT_EQ(c.error, resetEitherWay ? c.error : error);
        // Resolving a name may take the resolver's own time, which the limit cannot shorten.
        if (c.error != ERROR_INTERNET_NAME_NOT_RESOLVED) {
            EXPECT_LE(elapsed, kTimeLimit + 2000u);
        }
        if (result) {
            EXPECT_EQ(c.size, size);
            ASSERT_EQ(size + 2u, data.size());
            EXPECT_EQ(0, data[size]);
            EXPECT_EQ(0, data[size + 1]);
            EXPECT_EQ(200u, downloader.m_dwHttpStatus);
        } else {
            EXPECT_EQ(0u, size);
        }
        EXPECT_EQ(c.error == ERROR_HTTP_INVALID_SERVER_RESPONSE ? 1u : 0u, downloader.m_dwProtocolError);
        if (!c.message.empty()) {
            EXPECT_EQ(c.message, ErrorText(downloader, result ? 0 : error));
        }
    }
    EXPECT_LT(PeakWorkingSet() - peakBefore, SIZE_T(8) * 1024 * 1024) << "a body held more than its limit";
}

TEST(HttpDownloaderTest, BodiesArriveCompleteErrorsGetTextsAndNoLimitWrapsTheBuffer) {
    std::wstring server = UpdateServerHost();
    ASSERT_FALSE(server.empty());
    HttpDownloader downloader;
    std::vector<BYTE> data;
    DWORD size = 0;
    ASSERT_TRUE(downloader.DownloadToMemory((L"http://" + server + L"/no-length").c_str(), &data, &size));
    std::string body(reinterpret_cast<const char*>(data.data()));
    EXPECT_EQ(size, body.size()) << "no zero inside, two after";
    EXPECT_EQ(0u, body.find("<?xml"));
    EXPECT_EQ(body.size() - 13, body.rfind("</PATHWREN>\r\n")) << "the end of a body without a length arrived";

    // A code WinINet has no words for gets the system's, or at least says what failed.
    std::wstring denied = ErrorText(downloader, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0u, denied.find(L"The update check could not reach the server:\r\n")) << testing::PrintToString(denied);
    EXPECT_EQ(std::wstring::npos, denied.find(L"Error 0x")) << testing::PrintToString(denied);
    EXPECT_EQ(L"The update check could not reach the server (error 0x2000FFFF).", ErrorText(downloader, 0x2000FFFF));
    wchar_t small[8];
    downloader.FormatDownloadError(ERROR_ACCESS_DENIED, small, ARRAYSIZE(small));
    EXPECT_EQ(L"The upd", std::wstring(small)) << "cut inside its buffer";

    // A limit of 4 GiB - 1 and an announced length as large: a buffer of "length + 2" bytes would
    // be 1 byte in 32 bits. The body ends after 147 bytes, so an honest download reports the cut.
    // One byte less of limit, and the announcement alone is too much.
    struct Case {
        DWORD limit, error;
    } cases[] = {{0xFFFFFFFFu, ERROR_INTERNET_CONNECTION_RESET}, {0xFFFFFFFEu, ERROR_FILE_TOO_LARGE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        HttpDownloader limited(c.limit, kTimeLimit);
        size = 99;
        EXPECT_FALSE(limited.DownloadToMemory((server + L"/length-4294967295").c_str(), &data, &size));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(0u, size);
        EXPECT_LT(data.capacity(), 64u * 1024 * 1024) << "reserved what the server announced, not what came";
    }
    // A body without a length under a limit that is not a power of two fills it exactly, no more.
    HttpDownloader limited(5000, kTimeLimit);
    EXPECT_FALSE(limited.DownloadToMemory((server + L"/no-length").c_str(), &data, &size));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_TOO_LARGE), GetLastError());
    EXPECT_EQ(L"The update information file is larger than 4 KB; it was not read.", ErrorText(limited, GetLastError()));
}
