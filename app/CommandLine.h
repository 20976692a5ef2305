#pragma once
#include <windows.h>

#include <string>

// What a start of Pathwren.exe with arguments asks for. Scripts and the taskbar shortcuts the
// options make use these; a start without arguments starts the program as always.
enum class StartCommandKind {
    None,
    Show,    // --show ITEM: the item's presentation, as its hotkey shows it
    Options, // --options
    Exit,    // --exit: save and quit, as the Exit command does
};

struct StartCommand {
    StartCommandKind kind = StartCommandKind::None;
    std::wstring item; // --show: the item's identifier or its display name
};

// The arguments after the program name. FALSE, with the first argument that was not understood,
// for an unknown switch, a --show without its item or anything after a complete command.
BOOL ParseStartCommand(int count, const LPCWSTR* arguments, StartCommand* command, std::wstring* notUnderstood);
// The same for this process's own command line.
BOOL ParseOwnStartCommand(StartCommand* command, std::wstring* notUnderstood);

// What became of a command offered to the instances that run.
enum class HandOverResult {
    NoInstance,  // no instance of this configuration runs: this process must start and carry it out
    CarriedOut,  // the instance took it
    UnknownItem, // the instance has no such item
};

// Offers the command, with the point where it was given, to the instance whose main
// configuration file is this one. The instance checks that the command comes from its own
// session and configuration; the caller creates no window of its own.
HandOverResult HandOverToRunningInstance(const StartCommand& command, LPCWSTR mainConfigurationFile, POINT point);

// Tells the user that the command line was not understood (text, or the unknown item), with the
// language of the given main configuration file: a process that hands over never loaded it.
void ShowCommandNotUnderstood(LPCWSTR mainConfigurationFile, LPCWSTR text);
void ShowUnknownItem(LPCWSTR mainConfigurationFile, LPCWSTR item);

// The exit code of a start whose command could not be carried out.
const int kStartCommandFailedExitCode = 2;

// The receiving side: the command in a WM_COPYDATA, when it is a hand-over from this session
// for this main configuration file; FALSE for anything else, which is never carried out.
BOOL ReadHandOver(const COPYDATASTRUCT* data, LPCWSTR ownMainConfigurationFile, StartCommand* command, POINT* point);

// The instance's answers to a hand-over, as the result of WM_COPYDATA.
const LRESULT kHandOverRefused = 0; // not for this instance (or not a hand-over at all)
const LRESULT kHandOverTaken = 1;
const LRESULT kHandOverUnknownItem = 2;
