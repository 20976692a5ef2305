#pragma once
#include <windows.h>

#include <vector>

// One synchronous HTTP GET into memory over WinINet, and the explanation of a failed one. The
// download runs on the user-interface thread, so it is bounded: a body larger than the size limit
// and a download slower than the time limit fail instead of holding the program.
class HttpDownloader {
public:
    HttpDownloader(DWORD sizeLimit = kDefaultSizeLimit, DWORD timeLimitMilliseconds = kDefaultTimeLimit)
        : m_sizeLimit(sizeLimit), m_timeLimit(timeLimitMilliseconds) {}

    static constexpr DWORD kDefaultSizeLimit = 1024 * 1024;
    static constexpr DWORD kDefaultTimeLimit = 20000;

    // Fetches the URL ("http://" is put in front when it has no scheme). data receives the body
    // followed by two zero bytes, so it reads as a terminated single-byte or UTF-16 text; size
    // counts the body only. FALSE with the thread's last error set to the cause: a WinINet error,
    // ERROR_INTERNET_TIMEOUT past the time limit, ERROR_NOT_ENOUGH_MEMORY past the size limit,
    // ERROR_HTTP_INVALID_SERVER_RESPONSE for a status other than 200 (see m_dwProtocolError).
    BOOL DownloadToMemory(LPCWSTR url, std::vector<BYTE>* data, DWORD* size);

    // The text ReportDownloadError shows, into a buffer of textSize units.
    void FormatDownloadError(DWORD error, LPWSTR text, size_t textSize) const;
    // Shows the failure of the last download in an error box; returns the MessageBoxW result.
    int ReportDownloadError(DWORD error) const;

    DWORD m_dwProtocolError = 0; // 1 when the server answered with a status other than 200
    DWORD m_dwLastError = 0;
    DWORD m_dwHttpStatus = 0;

private:
    // 0, or the code of the failure.
    DWORD Fetch(LPCWSTR url, std::vector<BYTE>* data, DWORD* size);

    DWORD m_sizeLimit;
    DWORD m_timeLimit;
};
