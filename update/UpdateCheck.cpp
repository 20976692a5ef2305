#include "update/UpdateCheck.h"

#include "config/WebAddresses.h"
#include "config/SpecialPath.h"
#include "lib/FileVersionInfo.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kVersionTag[] = "PROGRAM_VERSION";
const char kChangeInfoTag[] = "PROGRAM_CHANGE_INFO";
// A message box cannot show a megabyte: longer texts from the file are cut for the message.
const size_t kShownVersionLength = 260;
const size_t kShownChangesLength = 4096;
const size_t kOwnVersionLength = 50;

struct Version {
    unsigned numbers[3] = {0, 0, 0};
    int fields = 0;
};

Version ReadVersion(const std::string& text) {
    Version version;
    int read = sscanf(text.c_str(), "%u.%u.%u", &version.numbers[0], &version.numbers[1], &version.numbers[2]);
    version.fields = read > 0 ? read : 0;
    return version;
}

// Only as many of the remote numbers count as the file gives: "1.4" is newer than 1.3.9, "1.3"
// is not.
BOOL IsNewer(const Version& remote, const Version& own) {
    if (remote.numbers[0] != own.numbers[0])
        return remote.numbers[0] > own.numbers[0];
    if (remote.fields < 2 || remote.numbers[1] != own.numbers[1])
        return remote.fields >= 2 && remote.numbers[1] > own.numbers[1];
    return remote.fields == 3 && remote.numbers[2] > own.numbers[2];
}

// The value of a tag, searched in the upper-case copy and cut from the original text, so that
// tags match in any case and values keep theirs.
BOOL TagValue(const std::string& original, const std::string& upper, const char* tag, std::string* value) {
    size_t start = 0, length = 0, after = 0;
    if (!FindXmlTag(upper.c_str(), tag, &start, &length, &after))
        return FALSE;
    *value = original.substr(start, length);
    return TRUE;
}

std::wstring AnsiToWide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length > 0 ? length : 0, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

void SetMessage(UpdateCheckOutcome* outcome, UpdateVerdict verdict, const std::wstring& text, LPCWSTR caption,
                UINT type) {
    outcome->verdict = verdict;
    outcome->text = text;
    outcome->caption = caption;
    outcome->boxType = type;
}

void Compare(const std::string& file, LPCWSTR ownFileVersion, const std::wstring& downloadAddress,
             UpdateCheckOutcome* outcome) {
    std::string upper = file;
    for (char& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    std::string versionText;
    if (!TagValue(file, upper, kVersionTag, &versionText)) {
        SetMessage(outcome, UpdateVerdictInvalidFile, L"Invalid update information file", L"Error",
                   MB_ICONERROR | MB_SYSTEMMODAL);
        return;
    }
    Version remote = ReadVersion(versionText);

    wchar_t ownText[kOwnVersionLength];
    Version own;
    BOOL ownKnown = NormalizeVersionString(ownFileVersion, ownText, kOwnVersionLength);
    if (ownKnown)
        own.fields = swscanf(ownText, L"%u.%u.%u", &own.numbers[0], &own.numbers[1], &own.numbers[2]);
    // An own version that cannot be read counts as up to date: no download is offered blindly.
    if (!ownKnown || !IsNewer(remote, own)) {
        SetMessage(outcome, UpdateVerdictUpToDate, L"Your software is up to date", L"Information",
                   MB_ICONINFORMATION | MB_SYSTEMMODAL);
        return;
    }

    std::string changes;
    TagValue(file, upper, kChangeInfoTag, &changes);
    std::string message = "A new version (" + versionText.substr(0, kShownVersionLength) + ") is available\r\n";
    if (!changes.empty())
        message += "Changes : " + changes.substr(0, kShownChangesLength) + "\r\n";
    message += "\r\nDo you want to download new version now ?";
    SetMessage(outcome, UpdateVerdictNewer, AnsiToWide(message), L"Update", MB_YESNO | MB_ICONINFORMATION);
    outcome->downloadAddress = downloadAddress;
}

} // namespace

BOOL FindXmlTag(LPCSTR text, LPCSTR tag, size_t* valueStart, size_t* valueLength, size_t* afterElement) {
    if (!text || !*text || !tag)
        return FALSE;
    std::string opening = std::string("<") + tag + ">";
    std::string closing = std::string("</") + tag + ">";
    const char* open = strstr(text, opening.c_str());
    const char* close = strstr(text, closing.c_str());
    if (open) {
        if (!close || close < open)
            return FALSE;
        *valueStart = (open - text) + opening.size();
        *valueLength = (close - text) - *valueStart;
        *afterElement = (close - text) + closing.size();
        return TRUE;
    }
    if (close)
        return FALSE;
    std::string empty = std::string("<") + tag + " />";
    const char* emptyElement = strstr(text, empty.c_str());
    if (!emptyElement)
        return FALSE;
    *valueStart = emptyElement - text;
    *valueLength = 0;
    *afterElement = *valueStart + empty.size();
    return TRUE;
}

UpdateCheckSource ProgramUpdateCheckSource() {
    UpdateCheckSource source;
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        source.ownExecutable = path;
    wchar_t server[256];
    std::wstring iniPath = GetProgramDirectory() + L"Pathwren.ini";
    GetPrivateProfileStringW(L"Pathwren", L"UpdateServer", kMakerHost, server, ARRAYSIZE(server), iniPath.c_str());
    source.server = server[0] ? server : kMakerHost;
    return source;
}

void EvaluateUpdateCheck(const UpdateCheckSource& source, UpdateCheckOutcome* outcome) {
    *outcome = UpdateCheckOutcome();
    FileVersionInfo ownVersion;
    if (source.ownExecutable.empty() || !ownVersion.Load(source.ownExecutable.c_str()))
        return;

    outcome->downloader = HttpDownloader(source.sizeLimit, source.timeLimit);
    std::vector<BYTE> data;
    DWORD size = 0;
    std::wstring server = L"http://" + source.server;
    if (!outcome->downloader.DownloadToMemory((server + kUpdateInformationPath).c_str(), &data, &size)) {
        outcome->downloadError = GetLastError();
        wchar_t text[512];
        outcome->downloader.FormatDownloadError(outcome->downloadError, text, ARRAYSIZE(text));
        SetMessage(outcome, UpdateVerdictDownloadFailed, text, L"Error", MB_ICONERROR);
        return;
    }
    // The body ends with two zero bytes; like any text search, the file ends at its first zero.
    std::string file(reinterpret_cast<const char*>(data.data()));
    Compare(file, ownVersion.m_szFileVersion, server + kUpdateDownloadPath, outcome);
}

BOOL RunUpdateCheck(BOOL* newer) {
    return RunUpdateCheck(ProgramUpdateCheckSource(), newer);
}

BOOL RunUpdateCheck(const UpdateCheckSource& source, BOOL* newer) {
    if (newer)
        *newer = FALSE;
    UpdateCheckOutcome outcome;
    EvaluateUpdateCheck(source, &outcome);
    switch (outcome.verdict) {
        case UpdateVerdictNoVersionInformation:
            return FALSE;
        case UpdateVerdictDownloadFailed:
            outcome.downloader.ReportDownloadError(outcome.downloadError);
            return FALSE;
        case UpdateVerdictInvalidFile:
        case UpdateVerdictUpToDate:
            MessageBoxW(nullptr, outcome.text.c_str(), outcome.caption.c_str(), outcome.boxType);
            return outcome.verdict == UpdateVerdictUpToDate;
        case UpdateVerdictNewer:
            if (newer)
                *newer = TRUE;
            if (MessageBoxW(nullptr, outcome.text.c_str(), outcome.caption.c_str(), outcome.boxType) == IDYES)
                ShellExecuteW(nullptr, L"open", outcome.downloadAddress.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
            return TRUE;
    }
    return FALSE;
}
