// Fuzz target for the Ogg music stream: any bytes as a music file behind an
// in-memory file-function table, opened by COggDecoder, decoded to the end,
// rewound and decoded again, which must give the same number of bytes.
#include <cstddef>
#include <cstdint>

#include "game/app/audio/ogg_decoder.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/memory_files.h"

namespace {

constexpr char kPath[] = "data\\media\\music\\fuzz.ogg";
constexpr s32 kChunkSize = 4096;
// Decode steps before giving up on an input; a valid small file needs far
// fewer.
constexpr int kMostSteps = 1 << 20;

// The engine initialised for its file interface and memory functions, the
// file table served from memory.
bool Start() {
  if (!fakedevice::Init(nullptr, 0)) {
    return false;
  }
  *RwEngineGetFileInterface() = memoryfiles::Table();
  return true;
}

// Bytes decoded up to the end; every step within the chunk and whole frames.
int64_t DecodeToEnd(COggDecoder* decoder) {
  static int16_t chunk[kChunkSize / 2];
  int64_t total = 0;
  const s32 frameBytes = decoder->GetChannels() * 2;
  for (int step = 0; step < kMostSteps; step++) {
    const s32 bytes = decoder->Decode(chunk);
    if (bytes == kOggEndOfStream) {
      return total;
    }
    if (bytes < 0 || bytes > kChunkSize || (frameBytes != 0 && bytes % frameBytes != 0)) {
      __builtin_trap();
    }
    total += bytes;
  }
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = Start();
  if (!started) {
    __builtin_trap();
  }
  if (size > 1 << 16) {
    return 0;
  }
  memoryfiles::Serve(kPath, data, size);
  COggDecoder decoder;
  if (!decoder.Open(kPath, kChunkSize)) {
    if (decoder.Decode(nullptr) != kOggEndOfStream) {
      __builtin_trap();
    }
    return 0;
  }
  const int64_t first = DecodeToEnd(&decoder);
  if (first < 0) {
    return 0;
  }
  if (!decoder.Rewind() || DecodeToEnd(&decoder) != first) {
    __builtin_trap();
  }
  return 0;
}
