#pragma once
#include <windows.h>
#include <wininet.h>

#include <vector>

class CDownloadCancellation;

// One synchronous HTTP GET into memory over WinINet, and the explanation of a failed one. The
// download is bounded: a body larger than the size limit and a download slower than the time limit
// fail instead of holding the thread, and another thread may cancel it.
class HttpDownloader {
public:
    HttpDownloader(DWORD sizeLimit = kDefaultSizeLimit, DWORD timeLimitMilliseconds = kDefaultTimeLimit)
        : m_sizeLimit(sizeLimit), m_timeLimit(timeLimitMilliseconds) {}

    static constexpr DWORD kDefaultSizeLimit = 1024 * 1024;
    static constexpr DWORD kDefaultTimeLimit = 20000;

    // Fetches the URL ("http://" is put in front when it has no scheme). data receives the body
    // followed by two zero bytes, so it reads as a terminated single-byte or UTF-16 text; size
    // counts the body only. FALSE with the thread's last error set to the cause: a WinINet error,
    // ERROR_INTERNET_TIMEOUT past the time limit, ERROR_FILE_TOO_LARGE past the size limit,
    // ERROR_HTTP_INVALID_SERVER_RESPONSE for a status other than 200 (see m_dwProtocolError),
    // ERROR_INTERNET_OPERATION_CANCELLED after a cancel.
    BOOL DownloadToMemory(LPCWSTR url, std::vector<BYTE>* data, DWORD* size);
    // Downloads from now on end early when the cancellation is cancelled; null: never.
    void SetCancellation(CDownloadCancellation* cancellation) { m_cancellation = cancellation; }

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
    DWORD ReadBody(HINTERNET request, ULONGLONG deadline, std::vector<BYTE>* data, DWORD* size);
    DWORD FailureCode(ULONGLONG deadline) const;

    DWORD m_sizeLimit;
    DWORD m_timeLimit;
    CDownloadCancellation* m_cancellation = nullptr;
};
