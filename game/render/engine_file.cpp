// Engine file streams opened on native paths.
#include "game/render/engine_file.h"

#include "game/foundation/native_path.h"

RwStream* OpenEngineFile(const char* path, RwUInt32 accessType) {
  char* native = MakeNativePath(path);
  if (native == nullptr) {
    return nullptr;
  }
  RwStream* stream = RwStreamOpen(kRwStreamFileName, accessType, native);
  EngineFree(native);
  return stream;
}

bool WriteEngineFile(const char* path, const RwMemory& memory) {
  RwStream* stream = OpenEngineFile(path, kRwStreamWrite);
  if (stream == nullptr) {
    return false;
  }
  const bool written = RwStreamWrite(stream, memory.start, memory.length) != nullptr;
  return RwStreamClose(stream, nullptr) != FALSE && written;
}
