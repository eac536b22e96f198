// MakeNativePath and MakeForwardPath.
#include "game/foundation/native_path.h"

#include <cstring>

#include "engine/engine.h"

namespace {

char* CopyReplacing(const char* path, char from, char to) {
  if (path == nullptr || RwEngineInstance == nullptr || RwEngineInstance->memoryFunctions.rwmalloc == nullptr) {
    return nullptr;
  }
  size_t length = strlen(path);
  char* copy = static_cast<char*>(RwMalloc(length + 1));
  if (copy == nullptr) {
    return nullptr;
  }
  for (size_t i = 0; i <= length; i++) {
    copy[i] = path[i] == from ? to : path[i];
  }
  return copy;
}

}  // namespace

char* MakeNativePath(const char* path) { return CopyReplacing(path, '/', '\\'); }

char* MakeForwardPath(const char* path) { return CopyReplacing(path, '\\', '/'); }

void* OpenNativeFile(const char* path, const char* mode) {
  RwFileFunctions* files = RwEngineGetFileInterface();
  if (files == nullptr || files->rwfopen == nullptr) {
    return nullptr;
  }
  char* native = MakeNativePath(path);
  if (native == nullptr) {
    return nullptr;
  }
  void* handle = files->rwfopen(native, mode);
  EngineFree(native);
  return handle;
}
