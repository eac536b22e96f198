// Files the game reads and writes through the engine's streams, so that a
// mounted pack serves reads: game paths ('/') are handed over in native form.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

// The file as an engine stream; null when it does not open.
RwStream* OpenEngineFile(const char* path, RwUInt32 accessType);
// Writes the bytes as the whole file; false when it cannot be written.
bool WriteEngineFile(const char* path, const RwMemory& memory);

// Ends the game on a file that could not be read as a file of chunks whose
// first is of the type (what names it: "model", "world"): "Missing file:
// <path>" when it does not open, else "Damaged file: <path> (<why>)", why
// telling whether it is empty, ends early, starts with another chunk or is
// damaged inside.
[[noreturn]] void FatalUnreadableChunkFile(const char* path, RwUInt32 type, const char* what);

// The first chunk of the type in the stream, read by read; the stream is
// closed. Null when the chunk is absent or cannot be read.
template <typename T>
T* ReadChunkAndClose(RwStream* stream, RwUInt32 type, T* (*read)(RwStream*)) {
  T* object = RwStreamFindChunk(stream, type, nullptr, nullptr) ? read(stream) : nullptr;
  RwStreamClose(stream, nullptr);
  return object;
}

// The object's chunk written by write into an engine block (freed with
// RwFree); false when it cannot be written.
template <typename T>
bool WriteChunkToMemory(const T* object, const T* (*write)(const T*, RwStream*), RwMemory* memory) {
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  if (stream == nullptr) {
    return false;
  }
  if (write(object, stream) == nullptr) {
    RwStreamClose(stream, nullptr);
    return false;
  }
  return RwStreamClose(stream, memory) != FALSE;
}
