// The game's two reporting paths: a fatal error that ends the process, and a
// trace line on the debugger output.
#pragma once

#include "game/foundation/types.h"

// Longest message, terminator included; longer texts are cut.
constexpr size_t kMessageSize = 1024;

// Longest piece of a data file's text that a fatal message quotes, in bytes.
// A longer one is cut and ends in "...", so that it never pushes what the
// message says after it (the file's name) out of the message.
constexpr size_t kQuotedTextLength = 64;
struct tQuotedText {
  char text[kQuotedTextLength + sizeof("...")];
};
// The text as a fatal message quotes it; a null text quotes as empty. The cut
// never splits a UTF-8 character.
tQuotedText QuoteForMessage(const char* text);

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
