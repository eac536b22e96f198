// The atomic chunk (0x14) inside a clump chunk: a 16-byte struct with the
// frame and geometry indices and the flags, an inline geometry when the clump
// has no geometry list, and the extension, in which the right-to-render
// sub-chunk (0x1F) names the plugin that picks the atomic's pipeline.
#include "engine/src/frame.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kStructSize = 16;
constexpr RwUInt32 kFlagsMask = 0xFF;

// What the right-to-render sub-chunk of the atomic being read named.
RpRightToRender gRights = {FALSE, 0, 0};

RwStream* RightsRead(RwStream* stream, RwInt32 length, void*, RwInt32, RwInt32) {
  return _rpRightToRenderRead(stream, length, &gRights);
}

RwStream* RightsWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  return _rpRightToRenderWrite(stream, static_cast<const RpAtomic*>(object)->pipeline);
}

RwInt32 RightsGetSize(const void* object, RwInt32, RwInt32) {
  return _rpRightToRenderGetSize(static_cast<const RpAtomic*>(object)->pipeline);
}

RwBool FailRead() {
  RwErrorRaise(kRwPluginIdCore, kRwErrRead);
  return FALSE;
}

// Gives the atomic its geometry: the indexed one of the list, or the inline
// chunk that follows when the list is empty.
RwBool ReadGeometry(RwStream* stream, RpAtomic* atomic, const RpGeometryList* geometries, RwUInt32 index) {
  if (geometries->numGeometries > 0) {
    RpAtomicSetGeometry(atomic, geometries->geometries[index], 0);
    return TRUE;
  }
  if (!RwStreamFindChunk(stream, kRwChunkGeometry, nullptr, nullptr)) {
    return FALSE;
  }
  RpGeometry* geometry = RpGeometryStreamRead(stream);
  if (geometry == nullptr) {
    return FALSE;
  }
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpGeometryDestroy(geometry);  // the atomic holds its own reference
  return TRUE;
}

}  // namespace

RwBool _rpAtomicRightToRenderPluginAttach(void) {
  return RpAtomicRegisterPlugin(0, kRwChunkRightToRender, nullptr, nullptr, nullptr) >= 0 &&
         RpAtomicRegisterPluginStream(kRwChunkRightToRender, RightsRead, RightsWrite, RightsGetSize) >= 0;
}

RwUInt32 _rpAtomicStreamGetSize(const RpAtomic* atomic) {
  return 2 * kRwChunkHeaderSize + kStructSize +
         static_cast<RwUInt32>(RwPluginRegistryGetSize(_rpAtomicRegistry(), atomic));
}

const RpAtomic* _rpAtomicStreamWrite(const RpAtomic* atomic, RwStream* stream, RwUInt32 frameIndex,
                                     RwUInt32 geometryIndex) {
  RwUInt8 body[kStructSize];
  RwWriteLittleEndianUInt32(body + 0, frameIndex);
  RwWriteLittleEndianUInt32(body + 4, geometryIndex);
  RwWriteLittleEndianUInt32(body + 8, atomic->object.object.flags);
  RwWriteLittleEndianUInt32(body + 12, 0);
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkAtomic, _rpAtomicStreamGetSize(atomic), kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr ||
      RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, kStructSize, kRwLibraryVersion, kRwLibraryBuild) ==
          nullptr ||
      RwStreamWrite(stream, body, kStructSize) == nullptr ||
      RwPluginRegistryWriteDataChunks(_rpAtomicRegistry(), stream, atomic) == nullptr) {
    return nullptr;
  }
  return atomic;
}

RpAtomic* _rpAtomicStreamRead(RwStream* stream, const RwFrameList* frames, const RpGeometryList* geometries) {
  RwUInt8 body[kStructSize];
  if (!_rpReadStructRecord(stream, body, kStructSize, nullptr)) {
    FailRead();
    return nullptr;
  }
  const RwUInt32 frameIndex = RwReadLittleEndianUInt32(body + 0);
  const RwUInt32 geometryIndex = RwReadLittleEndianUInt32(body + 4);
  const RwUInt32 numFrames = static_cast<RwUInt32>(frames->numFrames);
  const RwUInt32 numGeometries = static_cast<RwUInt32>(geometries->numGeometries);
  if ((numFrames > 0 && frameIndex >= numFrames) || (numGeometries > 0 && geometryIndex >= numGeometries)) {
    FailRead();
    return nullptr;
  }
  RpAtomic* atomic = RpAtomicCreate();
  if (atomic == nullptr) {
    return nullptr;
  }
  atomic->object.object.flags = static_cast<RwUInt8>(RwReadLittleEndianUInt32(body + 8) & kFlagsMask);
  if (numFrames > 0) {
    RpAtomicSetFrame(atomic, frames->frames[frameIndex]);
  }
  gRights = {FALSE, 0, 0};
  if (!ReadGeometry(stream, atomic, geometries, geometryIndex) ||
      RwPluginRegistryReadDataChunks(_rpAtomicRegistry(), stream, atomic) == nullptr) {
    RpAtomicDestroy(atomic);
    FailRead();
    return nullptr;
  }
  if (gRights.present) {
    // A plugin that is not attached or refuses leaves the atomic's pipeline as it is.
    RwPluginRegistryInvokeRights(_rpAtomicRegistry(), gRights.pluginID, atomic, gRights.data);
  }
  return atomic;
}
