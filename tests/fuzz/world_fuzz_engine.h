// Shared start of the engine for the world module's fuzz targets: the minimal
// display device with the world module and the plugins whose sub-chunks come
// with its objects attached, and a texture reader that makes a texture
// without raster, so that material chunks never reach the file system while
// their textures' extensions are still read.
#pragma once

#include <cstdlib>

#include "engine/engine.h"
#include "tests/fuzz/fake_device_engine.h"

namespace worldfuzz {

inline RwTexture* NamedTexture(const RwChar* name, const RwChar*) {
  RwTexture* texture = RwTextureCreate(nullptr);
  if (texture != nullptr) {
    RwTextureSetName(texture, name);
  }
  return texture;
}

// The world module and the plugins, in the game's order.
inline bool AttachPlugins() {
  return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpMatFXPluginAttach() && RpUserDataPluginAttach() &&
         RpPVSPluginAttach() && RpLODAtomicPluginAttach() && RpMorphPluginAttach() && RpDMorphPluginAttach();
}

inline bool StartEngine() {
  if (!fakedevice::Init(nullptr, 1u << 20) || !AttachPlugins() || !fakedevice::OpenAndStart()) {
    return false;
  }
  return RwTextureSetReadCallBack(NamedTexture) != FALSE;
}

// The first chunk of the type in the bytes, read with read; null when there
// is none or it does not read.
template <typename T>
T* ReadChunk(const uint8_t* data, size_t size, RwUInt32 type, T* (*read)(RwStream*)) {
  RwMemory memory = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream == nullptr) {
    return nullptr;
  }
  T* object = RwStreamFindChunk(stream, type, nullptr, nullptr) ? read(stream) : nullptr;
  RwStreamClose(stream, nullptr);
  return object;
}

// Writes the object (to exercise the writer on what was read), destroys it
// and clears the error record.
template <typename T>
void WriteBackAndDestroy(T* object, const T* (*write)(const T*, RwStream*), RwBool (*destroy)(T*)) {
  if (object != nullptr) {
    RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
    if (out != nullptr) {
      write(object, out);
      RwStreamClose(out, nullptr);
    }
    destroy(object);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
}

// Reads the first chunk of the type in the bytes with read, writes what was
// read back and destroys it, on an engine the caller started.
template <typename T>
void ReadWriteDestroyStarted(const uint8_t* data, size_t size, RwUInt32 type, T* (*read)(RwStream*),
                             const T* (*write)(const T*, RwStream*), RwBool (*destroy)(T*)) {
  WriteBackAndDestroy(ReadChunk(data, size, type, read), write, destroy);
}

// The same on the engine StartEngine brings up once.
template <typename T>
void ReadWriteDestroy(const uint8_t* data, size_t size, RwUInt32 type, T* (*read)(RwStream*),
                      const T* (*write)(const T*, RwStream*), RwBool (*destroy)(T*)) {
  static const bool started = StartEngine();
  if (!started) {
    std::abort();
  }
  ReadWriteDestroyStarted(data, size, type, read, write, destroy);
}

}  // namespace worldfuzz
