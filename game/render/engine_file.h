// Files the game reads and writes through the engine's streams, so that a
// mounted pack serves reads: game paths ('/') are handed over in native form.
#pragma once

#include "engine/engine.h"

// The file as an engine stream; null when it does not open.
RwStream* OpenEngineFile(const char* path, RwUInt32 accessType);
// Writes the bytes as the whole file; false when it cannot be written.
bool WriteEngineFile(const char* path, const RwMemory& memory);
