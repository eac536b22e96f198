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

// Opens a file by name for reading through the open entry; when that and the
// tell and seek entries are the defaults, the file's length comes from the
// same query of the system (lengthKnown TRUE), else lengthKnown is FALSE.
void* _rwFileOpenForReading(const RwChar* name, RwUInt32* length, RwBool* lengthKnown);
// Drops the C runtime's own buffer of a file the default open entry has just
// opened, before any read: for a stream that reads ahead through a block of
// its own, which would otherwise be filled through a second copy. FALSE
// (nothing done) when the entries are not the defaults.
RwBool _rwFileUnbuffered(void* handle);
// A read-only view of the first length bytes of a file the default open
// entry opened for reading; null when the entries are not the defaults or
// the system cannot map it. Released by _rwFileUnmapView of the same length.
const RwUInt8* _rwFileMapView(void* handle, RwUInt32 length);
void _rwFileUnmapView(const RwUInt8* view, RwUInt32 length);
