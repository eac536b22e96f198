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
