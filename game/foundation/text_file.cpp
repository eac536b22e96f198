// Reading a whole text file through the engine's file interface (so that a
// mounted pack file serves it) into one private string buffer.
#include "engine/engine.h"
#include "game/foundation/native_path.h"
#include "game/foundation/property.h"

bool ReadTextFile(const cString& path, cString* text) {
  void* handle = OpenNativeFile(path.CStr(), "rb");
  if (handle == nullptr) {
    return false;
  }
  RwFileFunctions* files = RwEngineGetFileInterface();
  s32 size = 0;
  if (files->rwfseek(handle, 0, 2) == 0) {
    size = files->rwftell(handle);
  }
  if (size < 0) {
    size = 0;
  }
  files->rwfseek(handle, 0, 0);
  cString buffer(static_cast<u32>(size));
  size_t got = size == 0 ? 0 : files->rwfread(buffer.SharedData(), 1, static_cast<size_t>(size), handle);
  files->rwfclose(handle);
  // A short read keeps what arrived; the rest of the buffer is never seen.
  *text = buffer.Slice(0, static_cast<u32>(got));
  return true;
}
