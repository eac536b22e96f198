// Fuzz target for WAV loading: any bytes as "DATA\MEDIA\fuzz.wav" behind an
// in-memory file-function table, loaded by CSoundEngine::LoadWav with
// DirectSound in test mode; a loaded sample is played and mixed, then
// destroyed.
#include <cstddef>
#include <cstdint>

#include "game/app/audio/sound_engine.h"
#include "platform/dsound/dsound_testing.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/memory_files.h"

namespace {

// The engine initialised (for its file interface and memory functions), the
// file table served from memory, and the sound engine open on a test device.
bool Start() {
  if (!fakedevice::Init(nullptr, 0)) {
    return false;
  }
  *RwEngineGetFileInterface() = memoryfiles::Table();
  dsoundtest::SetTestMode(true);
  return CSoundEngine::Create(22050, 16, 40.0f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = Start();
  if (!started) {
    __builtin_trap();
  }
  if (size > 1 << 20) {
    return 0;
  }
  memoryfiles::Serve("DATA\\MEDIA\\fuzz.wav", data, size);
  tSoundBuffer* buffer = CSoundEngine::LoadWav("fuzz");
  if (buffer != nullptr) {
    // The samples come from the file: never more than it holds, rounded up
    // to a whole frame.
    if (buffer->sizeBytes > size + 3) {
      __builtin_trap();
    }
    CSoundEngine::GetParams(buffer)->looping = 1;
    CSoundEngine::Play(buffer);
    CSoundEngine::UpdateNow(true);
    if (dsoundtest::PumpFrames(dsoundtest::NewestDevice(), 64).size() != 128) {
      __builtin_trap();
    }
    CSoundEngine::DestroyBuffer(buffer);
  }
  if (CSoundEngine::GetBufferCount() != 0) {
    __builtin_trap();
  }
  return 0;
}
