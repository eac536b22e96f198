// Byte building and file writing shared by the forge's writers.
#include "tools/forge/forge_bytes.h"

#include "tools/forge/forge.h"

ForgeBytes& ForgeBytes::U32(RwUInt32 value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes_.push_back(static_cast<RwUInt8>(value >> shift));
  }
  return *this;
}

ForgeBytes& ForgeBytes::U16(RwUInt16 value) {
  bytes_.push_back(static_cast<RwUInt8>(value));
  bytes_.push_back(static_cast<RwUInt8>(value >> 8));
  return *this;
}

ForgeBytes& ForgeBytes::U8(RwUInt8 value) {
  bytes_.push_back(value);
  return *this;
}

ForgeBytes& ForgeBytes::Real(RwReal value) {
  RwUInt8 bytes[4];
  RwWriteLittleEndianReal(bytes, value);
  bytes_.insert(bytes_.end(), bytes, bytes + 4);
  return *this;
}

ForgeBytes& ForgeBytes::Bytes(const std::vector<RwUInt8>& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

ForgeBytes& ForgeBytes::Chunk(RwUInt32 type, RwUInt32 version, const std::vector<RwUInt8>& body) {
  U32(type).U32(static_cast<RwUInt32>(body.size())).U32(RwChunkStampEncode(version, kRwLibraryBuild));
  return Bytes(body);
}

bool ForgeEngineWritten(const std::function<bool(RwStream*)>& write, std::vector<RwUInt8>* bytes) {
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  if (stream == nullptr) {
    return false;
  }
  const bool written = write(stream);
  RwMemory memory = {nullptr, 0};
  RwStreamClose(stream, &memory);
  bytes->assign(memory.start, memory.start + memory.length);
  RwFree(memory.start);
  return written;
}

bool ForgeWriteFile(const RwChar* path, const std::function<bool(RwStream*)>& write) {
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamWrite, path);
  if (stream == nullptr) {
    return false;
  }
  const bool written = write(stream);
  return RwStreamClose(stream, nullptr) && written;
}

bool ForgeWriteBytesFile(const RwChar* path, const std::vector<RwUInt8>& bytes) {
  return ForgeWriteFile(path, [&bytes](RwStream* stream) {
    return RwStreamWrite(stream, bytes.data(), static_cast<RwUInt32>(bytes.size())) != nullptr;
  });
}

RpMaterial* ForgeMaterialCreate(const ForgeMaterial& description) {
  RpMaterial* material = RpMaterialCreate();
  if (material == nullptr) {
    return nullptr;
  }
  RpMaterialSetColor(material, &description.color);
  material->surfaceProps = description.surface;
  if (!description.texture.empty()) {
    RwTexture* texture = RwTextureCreate(nullptr);
    if (texture == nullptr) {
      RpMaterialDestroy(material);
      return nullptr;
    }
    RwTextureSetName(texture, description.texture.c_str());
    if (!description.mask.empty()) {
      RwTextureSetMaskName(texture, description.mask.c_str());
    }
    RpMaterialSetTexture(material, texture);
    RwTextureDestroy(texture);  // the material holds its own reference
  }
  if (!ForgeMaterialApplyEffects(material, description.effects)) {
    RpMaterialDestroy(material);
    return nullptr;
  }
  return material;
}
