#include "app/CommandLine.h"

#include "app/Pathwren.h"
#include "config/ApplicationOptions.h"
#include "config/IniFileEx.h"
#include "config/ItemIdentifiers.h"
#include "config/Language.h"
#include "lib/FileSystem.h"
#include "lib/MemoryHandle.h"
#include "lib/StringCopy.h"
#include "lib/TextFormat.h"

#include <shellapi.h>

#include <cwchar>
#include <memory>

namespace {

// Marks a WM_COPYDATA as a hand-over of this layout; other programs' data is refused.
const ULONG_PTR kHandOverTag = 0x50574331; // "PWC1"
// A hung instance must not hold the click that started this process for long.
const UINT kHandOverTimeoutMs = 5000;

struct HandOverData {
    DWORD senderProcessId;
    DWORD senderSessionId;
    DWORD kind;
    POINT point;
    WCHAR mainConfigurationFile[MAX_PATH];
    WCHAR item[MAX_PATH];
};

bool IsSwitch(LPCWSTR argument, LPCWSTR name) {
    // "/show" and "-show" read as "--show": shortcuts made by hand often use them.
    if (argument[0] == L'-' && argument[1] == L'-')
        argument += 2;
    else if (argument[0] == L'/' || argument[0] == L'-')
        argument += 1;
    else
        return false;
    return _wcsicmp(argument, name) == 0;
}

DWORD CurrentSessionId() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

bool SameFile(LPCWSTR first, LPCWSTR second) {
    WCHAR firstFull[MAX_PATH], secondFull[MAX_PATH];
    if (!GetFullPathNameW(first, MAX_PATH, firstFull, nullptr) ||
        !GetFullPathNameW(second, MAX_PATH, secondFull, nullptr))
        return false;
    return CompareStringOrdinal(firstFull, -1, secondFull, -1, TRUE) == CSTR_EQUAL;
}

// The language the options of that main file name, or the built-in English.
std::unique_ptr<CLanguage> LoadLanguageOf(LPCWSTR mainConfigurationFile) {
    std::unique_ptr<CApplicationOptions> options;
    if (IsExistingFile(mainConfigurationFile))
        options.reset(CIniFileEx<CApplicationOptions>(mainConfigurationFile).Load(L"Pathwren"));
    std::unique_ptr<CLanguage> language;
    if (options)
        language.reset(CIniFileEx<CLanguage>(options->LanguageFile).Load(L"Language"));
    if (!language)
        language.reset(new CLanguage());
    return language;
}

} // namespace

BOOL ParseStartCommand(int count, const LPCWSTR* arguments, StartCommand* command, std::wstring* notUnderstood) {
    *command = StartCommand();
    notUnderstood->clear();
    for (int i = 0; i < count; ++i) {
        LPCWSTR argument = arguments[i];
        if (command->kind != StartCommandKind::None) {
            *notUnderstood = argument;
            return FALSE;
        }
        if (IsSwitch(argument, L"show") && i + 1 < count && arguments[i + 1][0]) {
            command->kind = StartCommandKind::Show;
            command->item = arguments[++i];
        } else if (IsSwitch(argument, L"options")) {
            command->kind = StartCommandKind::Options;
        } else if (IsSwitch(argument, L"exit")) {
            command->kind = StartCommandKind::Exit;
        } else {
            *notUnderstood = argument;
            return FALSE;
        }
    }
    return TRUE;
}

BOOL ParseOwnStartCommand(StartCommand* command, std::wstring* notUnderstood) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    CLocalMemory argumentBlock(arguments);
    if (!arguments) {
        *command = StartCommand();
        return TRUE;
    }
    return ParseStartCommand(count - 1, const_cast<const LPCWSTR*>(arguments + 1), command, notUnderstood);
}

HandOverResult HandOverToRunningInstance(const StartCommand& command, LPCWSTR mainConfigurationFile, POINT point) {
    HandOverData data = {};
    data.senderProcessId = GetCurrentProcessId();
    data.senderSessionId = CurrentSessionId();
    data.kind = static_cast<DWORD>(command.kind);
    data.point = point;
    CopyTruncated(data.mainConfigurationFile, MAX_PATH, mainConfigurationFile);
    CopyTruncated(data.item, MAX_PATH, command.item.c_str());
    COPYDATASTRUCT copy = {kHandOverTag, sizeof(data), &data};

    // Every instance of every configuration has a main window of this class; only the one of this
    // configuration takes the command.
    for (HWND window = FindWindowExW(nullptr, nullptr, kMainWindowClassName, nullptr); window;
         window = FindWindowExW(nullptr, window, kMainWindowClassName, nullptr)) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (processId == GetCurrentProcessId())
            continue;
        // The click that started this process gave it the right to take the foreground; a menu
        // tracked by a process without that right does not close when the user clicks away. The
        // right must be passed on before the instance acts, that is before it is asked.
        AllowSetForegroundWindow(processId);
        DWORD_PTR answer = kHandOverRefused;
        if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG,
                                 kHandOverTimeoutMs, &answer))
            continue;
        if (answer == static_cast<DWORD_PTR>(kHandOverTaken))
            return HandOverResult::CarriedOut;
        if (answer == static_cast<DWORD_PTR>(kHandOverUnknownItem))
            return HandOverResult::UnknownItem;
    }
    return HandOverResult::NoInstance;
}

BOOL ReadHandOver(const COPYDATASTRUCT* data, LPCWSTR ownMainConfigurationFile, StartCommand* command, POINT* point) {
    if (!data || data->dwData != kHandOverTag || data->cbData != sizeof(HandOverData) || !data->lpData)
        return FALSE;
    HandOverData received;
    memcpy(&received, data->lpData, sizeof(received));
    received.mainConfigurationFile[MAX_PATH - 1] = L'\0';
    received.item[MAX_PATH - 1] = L'\0';
    // Windows of another session are out of reach anyway; a sender that claims this session must
    // also be a process of it.
    DWORD ownSession = CurrentSessionId();
    DWORD senderSession = 0;
    if (received.senderSessionId != ownSession || !ProcessIdToSessionId(received.senderProcessId, &senderSession) ||
        senderSession != ownSession)
        return FALSE;
    if (!SameFile(received.mainConfigurationFile, ownMainConfigurationFile))
        return FALSE;
    if (received.kind < static_cast<DWORD>(StartCommandKind::Show) ||
        received.kind > static_cast<DWORD>(StartCommandKind::Exit))
        return FALSE;
    command->kind = static_cast<StartCommandKind>(received.kind);
    command->item = command->kind == StartCommandKind::Show ? received.item : L"";
    *point = received.point;
    return TRUE;
}

void ShowCommandNotUnderstood(LPCWSTR mainConfigurationFile, LPCWSTR text) {
    std::unique_ptr<CLanguage> language = LoadLanguageOf(mainConfigurationFile);
    std::wstring message = FormatWithText(language->CommandNotUnderstood, text);
    MessageBoxW(nullptr, message.c_str(), L"Pathwren", MB_ICONERROR | MB_SETFOREGROUND);
}

void ShowUnknownItem(LPCWSTR mainConfigurationFile, LPCWSTR item) {
    std::unique_ptr<CLanguage> language = LoadLanguageOf(mainConfigurationFile);
    // A taskbar shortcut names its item by identifier; that its item is gone is the likely story.
    LPCWSTR format = IsItemIdentifierForm(item) ? language->ShortcutItemDeleted : language->UnknownItem;
    std::wstring message = FormatWithText(format, item);
    MessageBoxW(nullptr, message.c_str(), L"Pathwren", MB_ICONERROR | MB_SETFOREGROUND);
}
