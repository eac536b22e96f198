// Feeds arbitrary bytes to the texture dictionary reader as a ".txd" file, on
// an engine started over the Direct3D 8 stand-in in a hidden window, so the
// driver's native texture reader (direct, compressed and converted roads)
// sees every input. Memory functions refuse very large blocks.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/driver/d3d8/d3d8texture_native.h"
#include "engine/engine.h"
#include "platform/win/window_internal.h"

namespace {

constexpr size_t kMaximumBlock = 64u << 20;

void* LimitedMalloc(size_t size) { return size > kMaximumBlock ? nullptr : std::malloc(size); }
void* LimitedRealloc(void* block, size_t size) { return size > kMaximumBlock ? nullptr : std::realloc(block, size); }
void* LimitedCalloc(size_t count, size_t size) {
  return (size != 0 && count > kMaximumBlock / size) ? nullptr : std::calloc(count, size);
}

bool StartEngine() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    return false;
  }
  static HWND__ window;
  window.sdlWindow = SDL_CreateWindow("txd", 0, 0, 64, 48, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window.sdlWindow == nullptr) {
    return false;
  }
  static const RwMemoryFunctions memory = {LimitedMalloc, std::free, LimitedRealloc, LimitedCalloc};
  RwEngineOpenParams params = {&window};
  if (!RwD3D8DriverInstall() || !RwEngineInit(&memory, 0, 1u << 20) || !RwEngineOpen(&params)) {
    return false;
  }
  return RwEngineSetVideoMode(0) && RwEngineStart();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartEngine();
  if (!started) {
    std::abort();
  }
  RwMemory memory = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream == nullptr) {
    return 0;
  }
  if (RwStreamFindChunk(stream, kRwChunkTexDictionary, nullptr, nullptr)) {
    if (RwTexDictionary* dictionary = RwTexDictionaryStreamRead(stream)) {
      RwTexDictionaryDestroy(dictionary);
    }
  }
  RwStreamClose(stream, nullptr);
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
