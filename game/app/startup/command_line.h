// Cutting the command line into arguments.
#pragma once

#include "game/foundation/types.h"

// One block from the C runtime's malloc (free it with free) holding *count
// argument pointers followed by a cut copy of text. Characters below 33
// outside double quotes separate arguments; a double quote switches quoting
// and is not part of the argument, and a closing one ends its argument. Null
// when text is null or the block cannot be had (*count is then 0).
char** SplitCommandLine(const char* text, u32* count);
