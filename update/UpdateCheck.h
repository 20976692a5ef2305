#pragma once
#include <windows.h>

#include "update/HttpDownloader.h"

#include <string>

class CDownloadCancellation;

// Finds "<tag>value</tag>", or the empty form "<tag />", anywhere in a terminated single-byte text
// by plain text search (no XML parsing, case as given). Offsets count bytes from the text's
// start: the value's start and length, and the first byte after the element.
BOOL FindXmlTag(LPCSTR text, LPCSTR tag, size_t* valueStart, size_t* valueLength, size_t* afterElement);

// What one check compares: the file whose version counts as the program's own and the server
// (host or host:port) that holds the update information file.
struct UpdateCheckSource {
    std::wstring ownExecutable;
    std::wstring server;
    DWORD timeLimit = HttpDownloader::kDefaultTimeLimit;
    DWORD sizeLimit = HttpDownloader::kDefaultSizeLimit;
};

// The running program and the server named by "UpdateServer" in section "Pathwren" of
// "Pathwren.ini" in the program directory, the maker's host when there is none. Read at each
// check, so a changed file takes effect without a restart; the program never writes the key.
UpdateCheckSource ProgramUpdateCheckSource();

enum UpdateVerdict {
    UpdateVerdictNoVersionInformation, // own version resource unreadable: nothing is shown
    UpdateVerdictDownloadFailed,
    UpdateVerdictInvalidFile,
    UpdateVerdictUpToDate,
    UpdateVerdictNewer,
};

// A check's result and the message box that tells the user about it.
struct UpdateCheckOutcome {
    UpdateVerdict verdict = UpdateVerdictNoVersionInformation;
    HttpDownloader downloader;
    DWORD downloadError = 0;
    std::wstring text;
    std::wstring caption;
    UINT boxType = 0;
    std::wstring downloadAddress; // opened when the user wants the newer version
};

// Downloads and compares without showing anything; a cancellation, when given, may end the
// download from another thread.
void EvaluateUpdateCheck(const UpdateCheckSource& source, UpdateCheckOutcome* outcome,
                         CDownloadCancellation* cancellation = nullptr);
// Makes the outcome the failed download's, with the message that explains the error.
void SetDownloadFailure(UpdateCheckOutcome* outcome, DWORD error);

// The Check For Update command: compares, tells the user, offers the download of a newer version.
// TRUE when a verdict was reached (newer or up to date); newer, when given, tells which.
BOOL RunUpdateCheck(BOOL* newer = nullptr);
BOOL RunUpdateCheck(const UpdateCheckSource& source, BOOL* newer = nullptr);
// The boxes of a check made: the verdict, the offer of a newer version, or the failure. Returns
// what RunUpdateCheck returns.
BOOL ShowUpdateCheckOutcome(const UpdateCheckOutcome& outcome, BOOL* newer = nullptr);
