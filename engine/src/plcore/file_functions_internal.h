// The engine's own entries of the string-function table, which
// RwStringFunctionsInstall puts into the instance; callers use the table.
#pragma once

#include "engine/src/plcore/file_functions.h"

RwChar* _rwStringFindLast(const RwChar* text, RwInt32 character);
// The terminating NUL itself is found when asked for.
RwChar* _rwStringFindFirst(const RwChar* text, RwInt32 character);
// 0 when either is null; otherwise the difference of the first differing
// bytes after mapping 'A'..'Z' to 'a'..'z', taken as signed 8-bit values.
RwInt32 _rwStringCompareIgnoringCase(const RwChar* a, const RwChar* b);
RwChar* _rwStringToUpper(RwChar* text);
RwChar* _rwStringToLower(RwChar* text);

// The length of a file the default open entry has just opened for reading
// (standing at its start), from one query of the system; FALSE when the
// open, tell or seek entries are not the defaults, or the system cannot
// tell, or the length passes what a tell could report.
RwBool _rwFileLengthAtOpen(void* handle, RwUInt32* length);
// Drops the C runtime's own buffer of a file the default open entry has just
// opened, before any read: for a stream that reads ahead through a block of
// its own, which would otherwise be filled through a second copy. FALSE
// (nothing done) when the entries are not the defaults.
RwBool _rwFileUnbuffered(void* handle);
