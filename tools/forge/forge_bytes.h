// Byte building shared by the forge's writers: little-endian fields and
// chunks assembled in memory, so that every chunk's length is known before
// its header is written, and what an engine writer puts on a memory stream.
#pragma once

#include <functional>
#include <vector>

#include "engine/engine.h"
#include "tools/forge/forge.h"

class ForgeBytes {
 public:
  ForgeBytes& U32(RwUInt32 value);
  ForgeBytes& S32(RwInt32 value) { return U32(static_cast<RwUInt32>(value)); }
  ForgeBytes& U16(RwUInt16 value);
  ForgeBytes& U8(RwUInt8 value);
  ForgeBytes& Real(RwReal value);
  ForgeBytes& Vector(const RwV3d& vector) { return Real(vector.x).Real(vector.y).Real(vector.z); }
  ForgeBytes& Bytes(const std::vector<RwUInt8>& bytes);
  // A chunk of the type and version around the body.
  ForgeBytes& Chunk(RwUInt32 type, RwUInt32 version, const std::vector<RwUInt8>& body);

  const std::vector<RwUInt8>& bytes() const { return bytes_; }

 private:
  std::vector<RwUInt8> bytes_;
};

// What write put on a memory stream, in *bytes; false when write failed.
bool ForgeEngineWritten(const std::function<bool(RwStream*)>& write, std::vector<RwUInt8>* bytes);
// Writes the bytes to a new file of the path through the engine's file interface.
bool ForgeWriteBytesFile(const RwChar* path, const std::vector<RwUInt8>& bytes);
// Runs write on a file stream of the path.
bool ForgeWriteFile(const RwChar* path, const std::function<bool(RwStream*)>& write);
// Runs read on a stream over the bytes once it found the chunk of the type;
// null when there is no such chunk or read fails.
template <typename T>
T* ForgeReadChunk(const std::vector<RwUInt8>& bytes, RwUInt32 type, T* (*read)(RwStream*)) {
  RwMemory memory = {const_cast<RwUInt8*>(bytes.data()), static_cast<RwUInt32>(bytes.size())};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream == nullptr) {
    return nullptr;
  }
  T* object = RwStreamFindChunk(stream, type, nullptr, nullptr) ? read(stream) : nullptr;
  RwStreamClose(stream, nullptr);
  return object;
}
// A material of the description with one reference for the caller.
RpMaterial* ForgeMaterialCreate(const ForgeMaterial& description);
// Gives the material the effects (nothing for kind 0); false on failure.
bool ForgeMaterialApplyEffects(RpMaterial* material, const ForgeMaterialEffects& effects);
