// CSoundEngine::LoadWav: uncompressed WAV samples read field by field through
// the engine's file interface into a 16-bit buffer. Every length is checked
// against what is left of the file; a damaged file loads nothing and leaves
// no buffer behind.
#include <cstdio>
#include <cstring>

#include "game/app/audio/sound_engine.h"
#include "game/foundation/native_path.h"

namespace {

constexpr char kSoundPathFormat[] = "DATA/MEDIA/%s.%s";
constexpr u32 kSoundPathSize = 260;
constexpr u32 kRiffHeaderSize = 8;  // "RIFF" and the size, not examined
// The format fields read: tag, channels, rate and bytes per second.
constexpr u32 kFormatFieldsSize = 12;
constexpr u16 kFormatPcm = 1;

struct tWavReader {
  RwFileFunctions* files;
  void* handle;
  u32 left;  // bytes of the file not read yet
};

bool ReadBytes(tWavReader* reader, void* out, u32 bytes) {
  if (bytes > reader->left || reader->files->rwfread(out, 1, bytes, reader->handle) != bytes) {
    return false;
  }
  reader->left -= bytes;
  return true;
}

bool ReadU16(tWavReader* reader, u16* value) {
  u8 b[2];
  if (!ReadBytes(reader, b, sizeof(b))) {
    return false;
  }
  *value = static_cast<u16>(b[0] | (b[1] << 8));
  return true;
}

bool ReadU32(tWavReader* reader, u32* value) {
  u8 b[4];
  if (!ReadBytes(reader, b, sizeof(b))) {
    return false;
  }
  *value = static_cast<u32>(b[0]) | (static_cast<u32>(b[1]) << 8) | (static_cast<u32>(b[2]) << 16) |
           (static_cast<u32>(b[3]) << 24);
  return true;
}

// bytes plus the pad byte that follows an odd-sized chunk.
bool SkipChunk(tWavReader* reader, u32 bytes) {
  u32 total = bytes + (bytes & 1);
  if (total < bytes || total > reader->left) {
    return false;
  }
  if (reader->files->rwfseek(reader->handle, static_cast<RwInt32>(total), 1) != 0) {
    return false;
  }
  reader->left -= total;
  return true;
}

// The file's size from its end, with the position back at its start.
bool MeasureFile(tWavReader* reader) {
  RwFileFunctions* files = reader->files;
  if (files->rwfseek(reader->handle, 0, 2) != 0) {
    return false;
  }
  RwInt32 size = files->rwftell(reader->handle);
  if (size < 0 || files->rwfseek(reader->handle, 0, 0) != 0) {
    return false;
  }
  reader->left = static_cast<u32>(size);
  return true;
}

// A buffer of size bytes filled from the file, or null with nothing left.
tSoundBuffer* ReadData(tWavReader* reader, u32 size, u32 channels, u32 rate) {
  tSoundBuffer* buffer = CSoundEngine::CreateBuffer(size, channels, rate);
  if (buffer == nullptr) {
    return nullptr;
  }
  tSoundLock lock;
  if (!CSoundEngine::Lock(buffer, 0, buffer->sizeBytes, &lock)) {
    CSoundEngine::DestroyBuffer(buffer);
    return nullptr;
  }
  // The buffer is rounded up to whole frames, so the first part holds size.
  bool read = ReadBytes(reader, lock.part1, size);
  CSoundEngine::Unlock(buffer, &lock);
  if (!read) {
    CSoundEngine::DestroyBuffer(buffer);
    return nullptr;
  }
  return buffer;
}

tSoundBuffer* ReadWav(tWavReader* reader) {
  char tag[8];
  u32 formatSize = 0;
  u16 formatTag = 0;
  u16 channels = 0;
  u32 rate = 0;
  u32 bytesPerSecond = 0;
  if (!MeasureFile(reader) || !SkipChunk(reader, kRiffHeaderSize) || !ReadBytes(reader, tag, sizeof(tag)) ||
      memcmp(tag, "WAVEfmt ", sizeof(tag)) != 0) {
    return nullptr;
  }
  if (!ReadU32(reader, &formatSize) || formatSize < kFormatFieldsSize || !ReadU16(reader, &formatTag) ||
      !ReadU16(reader, &channels) || !ReadU32(reader, &rate) || !ReadU32(reader, &bytesPerSecond) ||
      !SkipChunk(reader, formatSize - kFormatFieldsSize)) {
    return nullptr;
  }
  if (formatTag != kFormatPcm) {
    return nullptr;
  }
  for (;;) {
    char id[4];
    u32 size = 0;
    if (!ReadBytes(reader, id, sizeof(id)) || !ReadU32(reader, &size)) {
      return nullptr;
    }
    if (memcmp(id, "data", sizeof(id)) == 0) {
      return size <= reader->left ? ReadData(reader, size, channels, rate) : nullptr;
    }
    if (!SkipChunk(reader, size)) {
      return nullptr;
    }
  }
}

}  // namespace

tSoundBuffer* CSoundEngine::LoadWav(const char* name) {
  if (name == nullptr) {
    return nullptr;
  }
  char path[kSoundPathSize];
  int length = snprintf(path, sizeof(path), kSoundPathFormat, name, "wav");
  if (length < 0 || static_cast<u32>(length) >= sizeof(path)) {
    return nullptr;
  }
  void* handle = OpenNativeFile(path, "rb");
  if (handle == nullptr) {
    return nullptr;
  }
  RwFileFunctions* files = RwEngineGetFileInterface();
  tSoundBuffer* buffer = nullptr;
  if (HasDevice()) {
    tWavReader reader = {files, handle, 0};
    buffer = ReadWav(&reader);
  }
  files->rwfclose(handle);
  return buffer;
}
