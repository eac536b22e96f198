// The game's two reporting paths: a fatal error that ends the process, and a
// trace line on the debugger output.
#pragma once

#include "game/foundation/types.h"

// Longest message, terminator included; longer texts are cut.
constexpr size_t kMessageSize = 1024;

// Formats the message, writes it to the debugger output, sets the fatal-error
// flag, shows it in a message box and ends the process. Never returns.
[[noreturn]] void FatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Ends the process at once with kAbortExitStatus, as the C runtime's abort
// ends it on Windows: no signal and no core file, no exit handlers run.
// What the C runtime still buffers for standard output is written first.
[[noreturn]] void AbortProcess();
constexpr int kAbortExitStatus = 3;

// Formats the message and writes it to the debugger output only.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Set by FatalError before its message box; while it is set the window
// procedure leaves every message to the default handling.
extern u32 gFatalErrorFlag;

// The two places where reporting touches the operating system.
void WriteDebugOutput(const char* text);
void ShowFatalMessageBox(const char* text);
