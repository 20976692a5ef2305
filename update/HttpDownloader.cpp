#include "update/HttpDownloader.h"

#include "lib/InternetHandle.h"
#include "update/DownloadCancellation.h"

#include <wininet.h>

#include <cstdio>
#include <cwchar>
#include <algorithm>
#include <string>

namespace {

const size_t kUrlPartLength = 1024;
const DWORD kFirstCapacity = 4096;
const DWORD kMinimumFreeSpace = 1024;
const DWORD kTimerSlack = 100;

// Milliseconds left until the deadline; 0 once it has passed.
DWORD Remaining(ULONGLONG deadline) {
    ULONGLONG now = GetTickCount64();
    return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
}

// Every blocking WinINet call waits at most until the deadline, not a fresh full time limit.
void LimitWaits(HINTERNET handle, DWORD milliseconds) {
    DWORD wait = milliseconds ? milliseconds : 1;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &wait, sizeof(wait));
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &wait, sizeof(wait));
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &wait, sizeof(wait));
}

// The announced length, read as text: a number beyond 32 bits must not wrap into a small one.
// FALSE when the answer has no usable Content-Length.
BOOL QueryContentLength(HINTERNET request, ULONGLONG* length) {
    wchar_t text[64];
    DWORD textSize = sizeof(text);
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &textSize, nullptr))
        return FALSE;
    if (text[0] < L'0' || text[0] > L'9')
        return FALSE;
    ULONGLONG value = 0;
    for (const wchar_t* digit = text; *digit >= L'0' && *digit <= L'9'; ++digit) {
        if (value > (~0ULL - 9) / 10) {
            *length = ~0ULL;
            return TRUE;
        }
        value = value * 10 + (*digit - L'0');
    }
    *length = value;
    return TRUE;
}

} // namespace

BOOL HttpDownloader::DownloadToMemory(LPCWSTR url, std::vector<BYTE>* data, DWORD* size) {
    m_dwHttpStatus = 0;
    m_dwProtocolError = 0;
    data->clear();
    *size = 0;
    // The code comes back as a value: closing the handles on the way out resets the thread's
    // last error.
    m_dwLastError = Fetch(url, data, size);
    if (m_dwLastError != 0) {
        data->clear();
        *size = 0;
    }
    SetLastError(m_dwLastError);
    return m_dwLastError == 0;
}

DWORD HttpDownloader::Fetch(LPCWSTR url, std::vector<BYTE>* data, DWORD* size) {
    ULONGLONG deadline = GetTickCount64() + m_timeLimit;
    std::wstring fullUrl = url ? url : L"";
    if (_wcsnicmp(fullUrl.c_str(), L"http://", 7) != 0)
        fullUrl = L"http://" + fullUrl;

    wchar_t host[kUrlPartLength], user[kUrlPartLength], password[kUrlPartLength], path[kUrlPartLength];
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = kUrlPartLength;
    parts.lpszUserName = user;
    parts.dwUserNameLength = kUrlPartLength;
    parts.lpszPassword = password;
    parts.dwPasswordLength = kUrlPartLength;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = kUrlPartLength;
    if (!InternetCrackUrlW(fullUrl.c_str(), 0, ICU_DECODE, &parts))
        return GetLastError();

    // Declared in opening order, so they close request first, session last.
    CInternetHandle session(InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.0)",
                                          INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return GetLastError();
    LimitWaits(session.Get(), Remaining(deadline));
    CInternetHandle connection(InternetConnectW(session.Get(), host, parts.nPort, user[0] ? user : nullptr,
                                                password[0] ? password : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        return GetLastError();
    LPCWSTR acceptedTypes[] = {L"*/*", nullptr};
    CInternetHandle request(HttpOpenRequestW(connection.Get(), L"GET", path, nullptr, nullptr, acceptedTypes,
                                             INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request)
        return GetLastError();
    // Declared after the request, so it decides before the request's holder closes it.
    struct WatchedRequest {
        CDownloadCancellation* cancellation;
        CInternetHandle* request;
        ~WatchedRequest() {
            if (cancellation && cancellation->Unwatch(request->Get()))
                request->Detach();
        }
    } watched{m_cancellation, &request};
    if (m_cancellation && !m_cancellation->Watch(request.Get()))
        return ERROR_INTERNET_OPERATION_CANCELLED;
    LimitWaits(request.Get(), Remaining(deadline));
    if (!HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0))
        return FailureCode(deadline);

    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize, nullptr))
        return GetLastError();
    m_dwHttpStatus = status;
    if (status != HTTP_STATUS_OK) {
        m_dwProtocolError = 1;
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    }

    return ReadBody(request.Get(), deadline, data, size);
}

DWORD HttpDownloader::ReadBody(HINTERNET request, ULONGLONG deadline, std::vector<BYTE>* data, DWORD* size) {
    ULONGLONG announced = 0;
    BOOL lengthKnown = QueryContentLength(request, &announced);
    if (lengthKnown && announced > m_sizeLimit)
        return ERROR_FILE_TOO_LARGE;

    // The buffer grows with what arrives, never with what is announced: a server may promise 4 GB
    // and send a line. Sizes are counted in 64 bits, where "limit + 2" cannot wrap.
    const ULONGLONG limit = lengthKnown ? announced : m_sizeLimit;
    ULONGLONG capacity = (std::min)(limit, static_cast<ULONGLONG>(kFirstCapacity));
    if (capacity + 2 > SIZE_MAX)
        return ERROR_FILE_TOO_LARGE;
    data->assign(static_cast<size_t>(capacity + 2), 0);
    ULONGLONG received = 0;
    // Read in the pieces WinINet already holds: a synchronous read of a larger buffer would wait
    // until that buffer is full, past any deadline.
    for (;;) {
        if (lengthKnown && received == announced)
            break;
        DWORD wait = Remaining(deadline);
        if (!wait)
            return ERROR_INTERNET_TIMEOUT;
        LimitWaits(request, wait);
        DWORD available = 0;
        BOOL queried = InternetQueryDataAvailable(request, &available, 0, 0);
        // A full buffer of the largest size and more to come, or a server that ends the connection
        // abruptly on a client that stopped reading: more than the limit either way.
        if (!lengthKnown && received == m_sizeLimit && (!queried || available > 0))
            return ERROR_FILE_TOO_LARGE;
        if (!queried)
            return FailureCode(deadline);
        if (available == 0)
            break;
        if (capacity - received <= kMinimumFreeSpace && capacity < limit) {
            capacity = (std::min)(limit, capacity * 2);
            if (capacity + 2 > SIZE_MAX)
                return ERROR_FILE_TOO_LARGE;
            data->resize(static_cast<size_t>(capacity + 2), 0);
        }
        // Data beyond the announced length.
        if (received == capacity)
            return ERROR_INTERNET_CONNECTION_RESET;
        DWORD piece = static_cast<DWORD>((std::min)(static_cast<ULONGLONG>(available), capacity - received));
        DWORD read = 0;
        if (!InternetReadFile(request, data->data() + received, piece, &read))
            return FailureCode(deadline);
        if (read == 0)
            break;
        received += read;
    }
    // The connection ended early without WinINet calling it an error.
    if (lengthKnown && received < announced)
        return ERROR_INTERNET_CONNECTION_RESET;
    data->resize(static_cast<size_t>(received + 2));
    (*data)[received] = 0;
    (*data)[received + 1] = 0;
    *size = static_cast<DWORD>(received);
    return 0;
}

// The code of the call that just failed. A WinINet call that gives up at its receive time-out
// reports the socket's WSAEWOULDBLOCK under Wine, and a timer may fire a little early: a failure
// with (almost) no time left is the deadline's. A call that failed because another thread closed
// its handle was cancelled, whatever it says.
DWORD HttpDownloader::FailureCode(ULONGLONG deadline) const {
    DWORD error = GetLastError();
    if (m_cancellation && m_cancellation->IsCancelled())
        return ERROR_INTERNET_OPERATION_CANCELLED;
    if (error == WSAEWOULDBLOCK || Remaining(deadline) < kTimerSlack)
        return ERROR_INTERNET_TIMEOUT;
    // Wine's WinINet at times passes a socket's code through; the user gets WinINet's words.
    if (error == WSAECONNRESET)
        return ERROR_INTERNET_CONNECTION_RESET;
    if (error == WSAECONNABORTED)
        return ERROR_INTERNET_CONNECTION_ABORTED;
    return error;
}

void HttpDownloader::FormatDownloadError(DWORD error, LPWSTR text, size_t textSize) const {
    if (textSize == 0)
        return;
    text[0] = L'\0';
    if (m_dwProtocolError) {
        _snwprintf(text, textSize, L"HTTP protocol error %u", static_cast<unsigned>(m_dwHttpStatus));
    } else if (error == ERROR_FILE_TOO_LARGE) {
        _snwprintf(text, textSize, L"The update information file is larger than %u KB; it was not read.",
                   static_cast<unsigned>(m_sizeLimit / 1024));
    } else if (error != 0) {
        // WinINet's words for its own codes, the system's for the socket and system codes it passes on.
        wchar_t reason[400] = L"";
        DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      GetModuleHandleW(L"wininet.dll"), error, 0, reason, ARRAYSIZE(reason), nullptr);
        if (length == 0)
            length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                    reason, ARRAYSIZE(reason), nullptr);
        if (length > 0)
            _snwprintf(text, textSize, L"The update check could not reach the server:\r\n%ls", reason);
        else
            _snwprintf(text, textSize, L"The update check could not reach the server (error 0x%08X).",
                       static_cast<unsigned>(error));
    }
    text[textSize - 1] = L'\0';
    if (text[0] == L'\0')
        _snwprintf(text, textSize, L"Unknown HTTP error");
    text[textSize - 1] = L'\0';
}

int HttpDownloader::ReportDownloadError(DWORD error) const {
    wchar_t text[512];
    FormatDownloadError(error, text, ARRAYSIZE(text));
    return MessageBoxW(nullptr, text, L"Error", MB_ICONERROR);
}
