// The clump chunk (0x10): a struct with the member counts, the frame list of
// the hierarchy, the geometry list (0x1A) the atomics index, the atomics,
// the lights and cameras each after a struct with its frame index, and the
// clump's extension.
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/clump.h"
#include "engine/world/geometry.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt32 kStructSize = 12;  // atomic, light and camera counts
constexpr RwUInt32 kWordSize = 4;     // a count or a frame index
// The array of a geometry list being read starts at this many entries and
// doubles, so a corrupt count cannot claim memory the stream does not back.
constexpr RwUInt32 kReadInitialCapacity = 64;

void Raise(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, code); }

// The members of a const clump's list, in list order.
template <typename Visit>
RwBool ForEachLink(const RwLinkList& list, Visit visit) {
  for (const RwLLLink* link = list.link.next; link != &list.link; link = link->next) {
    if (!visit(const_cast<RwLLLink*>(link))) {
      return FALSE;
    }
  }
  return TRUE;
}

RpAtomic* AtomicOf(RwLLLink* link) { return rwLLLinkGetData(link, RpAtomic, inClumpLink); }

// A light or camera of the list whose clump links sit at offset.
template <typename Member>
Member* LinkedMember(RwLLLink* link, RwInt32 offset) {
  return reinterpret_cast<Member*>(reinterpret_cast<RwUInt8*>(link) - offsetof(RpClumpLink, inClumpLink) - offset);
}

RwInt32 GeometryIndex(const RpGeometryList& list, const RpGeometry* geometry) {
  for (RwInt32 i = 0; i < list.numGeometries; ++i) {
    if (list.geometries[i] == geometry) {
      return i;
    }
  }
  return -1;
}

// The frame and geometry lists of a clump being written, and its length.
struct WriteLists {
  RwFrameList frames = {nullptr, 0};
  RpGeometryList geometries = {nullptr, 0};
  ~WriteLists() {
    RwFrameListDeinitialize(&frames);
    RwFree(geometries.geometries);
  }
};

// The index of the object's frame in the list, or -1.
RwInt32 FrameIndex(const RwFrameList& frames, const RwObjectHasFrame& object) {
  RwInt32 index = -1;
  const RwFrame* frame = static_cast<const RwFrame*>(object.object.parent);
  return frame != nullptr && RwFrameListFindFrame(&frames, frame, &index) ? index : -1;
}

// Builds both lists; false (nothing written yet) when an atomic has no
// geometry or a member does not hang on a frame of the hierarchy.
RwBool BuildLists(const RpClump* clump, WriteLists* lists) {
  RwFrame* root = RpClumpGetFrame(clump);
  if (root != nullptr && RwFrameListInitialize(&lists->frames, root) == nullptr) {
    return FALSE;
  }
  RwInt32 numAtomics = 0;
  ForEachLink(clump->atomicList, [&](RwLLLink*) { return ++numAtomics > 0; });
  lists->geometries.geometries =
      static_cast<RpGeometry**>(RwMalloc(sizeof(RpGeometry*) * static_cast<size_t>(numAtomics > 0 ? numAtomics : 1)));
  if (lists->geometries.geometries == nullptr) {
    Raise(kRwErrOutOfMemory);
    return FALSE;
  }
  RpGeometryList& geometries = lists->geometries;
  const RwBool atomicsFit = ForEachLink(clump->atomicList, [&](RwLLLink* link) {
    const RpAtomic* atomic = AtomicOf(link);
    if (atomic->geometry == nullptr || FrameIndex(lists->frames, atomic->object) < 0) {
      return FALSE;
    }
    if (GeometryIndex(geometries, atomic->geometry) < 0) {
      geometries.geometries[geometries.numGeometries++] = atomic->geometry;
    }
    return TRUE;
  });
  const RpClumpModule* module = _rpClumpModule();
  const auto hangs = [lists](RwInt32 offset) {
    return [lists, offset](RwLLLink* link) {
      return FrameIndex(lists->frames, *LinkedMember<RwObjectHasFrame>(link, offset)) >= 0;
    };
  };
  if (!atomicsFit || !ForEachLink(clump->lightList, hangs(module->lightLinkOffset)) ||
      !ForEachLink(clump->cameraList, hangs(module->cameraLinkOffset))) {
    Raise(kRwErrInvalidValue);
    return FALSE;
  }
  return TRUE;
}

// Length of the clump chunk's body, or 0 when it does not fit a chunk length.
RwUInt32 ClumpStreamGetSize(const RpClump* clump, const WriteLists& lists) {
  const RpClumpModule* module = _rpClumpModule();
  RwUInt64 size = kRwChunkHeaderSize + kStructSize;
  size += kRwChunkHeaderSize + static_cast<RwUInt64>(RwFrameListStreamGetSize(&lists.frames));
  size += 2 * kRwChunkHeaderSize + kWordSize;
  for (RwInt32 i = 0; i < lists.geometries.numGeometries; ++i) {
    size += kRwChunkHeaderSize + RpGeometryStreamGetSize(lists.geometries.geometries[i]);
  }
  ForEachLink(clump->atomicList, [&](RwLLLink* link) {
    size += kRwChunkHeaderSize + _rpAtomicStreamGetSize(AtomicOf(link));
    return TRUE;
  });
  ForEachLink(clump->lightList, [&](RwLLLink* link) {
    size +=
        2 * kRwChunkHeaderSize + kWordSize + RpLightStreamGetSize(LinkedMember<RpLight>(link, module->lightLinkOffset));
    return TRUE;
  });
  ForEachLink(clump->cameraList, [&](RwLLLink* link) {
    size += 2 * kRwChunkHeaderSize + kWordSize +
            static_cast<RwUInt64>(RwCameraStreamGetSize(LinkedMember<RwCamera>(link, module->cameraLinkOffset)));
    return TRUE;
  });
  size += kRwChunkHeaderSize + static_cast<RwUInt64>(RwPluginRegistryGetSize(_rpClumpRegistry(), clump));
  return size <= 0xFFFFFFFFu ? static_cast<RwUInt32>(size) : 0;
}

RwBool WriteWords(RwStream* stream, const RwUInt32* words, RwUInt32 count) {
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, kWordSize * count, kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr) {
    return FALSE;
  }
  for (RwUInt32 i = 0; i < count; ++i) {
    RwUInt8 bytes[kWordSize];
    RwWriteLittleEndianUInt32(bytes, words[i]);
    if (RwStreamWrite(stream, bytes, kWordSize) == nullptr) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool WriteGeometryList(RwStream* stream, const RpGeometryList& list) {
  RwUInt32 size = kRwChunkHeaderSize + kWordSize;
  for (RwInt32 i = 0; i < list.numGeometries; ++i) {
    size += kRwChunkHeaderSize + RpGeometryStreamGetSize(list.geometries[i]);
  }
  const RwUInt32 count = static_cast<RwUInt32>(list.numGeometries);
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkGeometryList, size, kRwLibraryVersion, kRwLibraryBuild) ==
          nullptr ||
      !WriteWords(stream, &count, 1)) {
    return FALSE;
  }
  for (RwInt32 i = 0; i < list.numGeometries; ++i) {
    if (RpGeometryStreamWrite(list.geometries[i], stream) == nullptr) {
      return FALSE;
    }
  }
  return TRUE;
}

// Each light or camera of the list: a struct with its frame index, then its chunk.
template <typename Member>
RwBool WriteFramedMembers(RwStream* stream, const RwLinkList& list, RwInt32 offset, const RwFrameList& frames,
                          const Member* (*write)(const Member*, RwStream*)) {
  return ForEachLink(list, [&](RwLLLink* link) {
    const Member* member = LinkedMember<Member>(link, offset);
    const RwUInt32 index = static_cast<RwUInt32>(FrameIndex(frames, member->object));
    return WriteWords(stream, &index, 1) && write(member, stream) != nullptr;
  });
}

RwBool WriteBody(const RpClump* clump, RwStream* stream, const WriteLists& lists) {
  const RpClumpModule* module = _rpClumpModule();
  if (RwFrameListStreamWrite(&lists.frames, stream) == nullptr || !WriteGeometryList(stream, lists.geometries)) {
    return FALSE;
  }
  const RwBool atomicsWritten = ForEachLink(clump->atomicList, [&](RwLLLink* link) {
    const RpAtomic* atomic = AtomicOf(link);
    const RwInt32 frameIndex = FrameIndex(lists.frames, atomic->object);
    const RwInt32 geometryIndex = GeometryIndex(lists.geometries, atomic->geometry);
    return _rpAtomicStreamWrite(atomic, stream, static_cast<RwUInt32>(frameIndex),
                                static_cast<RwUInt32>(geometryIndex)) != nullptr;
  });
  return atomicsWritten &&
         WriteFramedMembers<RpLight>(stream, clump->lightList, module->lightLinkOffset, lists.frames,
                                     RpLightStreamWrite) &&
         WriteFramedMembers<RwCamera>(stream, clump->cameraList, module->cameraLinkOffset, lists.frames,
                                      RwCameraStreamWrite);
}

// What a clump being read has gathered that is not yet the clump's.
struct ReadLists {
  RwFrameList frames = {nullptr, 0};
  RpGeometryList geometries = {nullptr, 0};
  RwInt32 capacity = 0;
  // Releases the reading references of the geometries and both arrays; the
  // frames belong to the clump by now.
  ~ReadLists() {
    for (RwInt32 i = 0; i < geometries.numGeometries; ++i) {
      RpGeometryDestroy(geometries.geometries[i]);
    }
    RwFree(geometries.geometries);
    RwFrameListDeinitialize(&frames);
  }
};

// Reads the frame list; a list with a second root is refused, as the clump
// could not own that root's frames.
RwBool ReadFrames(RwStream* stream, RpClump* clump, ReadLists* lists) {
  if (!RwStreamFindChunk(stream, kRwChunkFrameList, nullptr, nullptr) ||
      RwFrameListStreamRead(stream, &lists->frames) == nullptr) {
    return FALSE;
  }
  RwFrameList& frames = lists->frames;
  for (RwInt32 i = 1; i < frames.numFrames; ++i) {
    if (RwFrameGetParent(frames.frames[i]) == nullptr) {
      // Later frames hang below earlier ones: destroying from the end frees leaves first.
      for (RwInt32 j = frames.numFrames - 1; j >= 0; --j) {
        RwFrameDestroy(frames.frames[j]);
      }
      RwFrameListDeinitialize(&frames);
      return FALSE;
    }
  }
  RpClumpSetFrame(clump, frames.numFrames > 0 ? frames.frames[0] : nullptr);
  return TRUE;
}

RwBool AppendGeometry(ReadLists* lists, RpGeometry* geometry, RwUInt32 count) {
  RpGeometryList& list = lists->geometries;
  if (list.numGeometries == lists->capacity) {
    const RwUInt32 doubled = lists->capacity > 0 ? 2 * static_cast<RwUInt32>(lists->capacity) : kReadInitialCapacity;
    const RwInt32 capacity = static_cast<RwInt32>(doubled < count ? doubled : count);
    auto* grown =
        static_cast<RpGeometry**>(RwRealloc(list.geometries, sizeof(RpGeometry*) * static_cast<size_t>(capacity)));
    if (grown == nullptr) {
      RpGeometryDestroy(geometry);
      Raise(kRwErrOutOfMemory);
      return FALSE;
    }
    list.geometries = grown;
    lists->capacity = capacity;
  }
  list.geometries[list.numGeometries++] = geometry;
  return TRUE;
}

RwBool ReadGeometryList(RwStream* stream, ReadLists* lists) {
  RwUInt32 listLength = 0;
  RwUInt32 structLength = 0;
  RwUInt8 countBytes[kWordSize];
  if (!RwStreamFindChunk(stream, kRwChunkGeometryList, &listLength, nullptr) ||
      !RwStreamFindChunk(stream, kRwChunkStruct, &structLength, nullptr) || structLength < kWordSize ||
      !RwStreamReadExact(stream, countBytes, kWordSize) || RwStreamSkip(stream, structLength - kWordSize) == nullptr) {
    return FALSE;
  }
  // Each geometry takes a chunk header at least of what the list holds after its struct.
  const RwUInt32 count = RwReadLittleEndianUInt32(countBytes);
  const RwUInt64 rest = static_cast<RwUInt64>(listLength) - kRwChunkHeaderSize - structLength;
  if (static_cast<RwUInt64>(listLength) < kRwChunkHeaderSize + static_cast<RwUInt64>(structLength) ||
      count > rest / kRwChunkHeaderSize) {
    return FALSE;
  }
  for (RwUInt32 i = 0; i < count; ++i) {
    RpGeometry* geometry =
        RwStreamFindChunk(stream, kRwChunkGeometry, nullptr, nullptr) ? RpGeometryStreamRead(stream) : nullptr;
    if (geometry == nullptr || !AppendGeometry(lists, geometry, count)) {
      return FALSE;
    }
  }
  return TRUE;
}

// Reads count lights or cameras, each after a struct with its frame index,
// onto their frames and into the clump.
template <typename Member>
RwBool ReadFramedMembers(RwStream* stream, RpClump* clump, const RwFrameList& frames, RwUInt32 count,
                         RwUInt32 chunkType, Member* (*read)(RwStream*), RpClump* (*add)(RpClump*, Member*),
                         RwBool (*destroy)(Member*)) {
  for (RwUInt32 i = 0; i < count; ++i) {
    RwUInt8 indexBytes[kWordSize];
    if (!_rpReadStructRecord(stream, indexBytes, kWordSize, nullptr)) {
      return FALSE;
    }
    const RwUInt32 index = RwReadLittleEndianUInt32(indexBytes);
    if (index >= static_cast<RwUInt32>(frames.numFrames) || !RwStreamFindChunk(stream, chunkType, nullptr, nullptr)) {
      return FALSE;
    }
    Member* member = read(stream);
    if (member == nullptr) {
      return FALSE;
    }
    RwObjectHasFrameSetFrame(&member->object, frames.frames[index]);
    if (add(clump, member) == nullptr) {
      destroy(member);
      return FALSE;
    }
  }
  return TRUE;
}

RwBool ReadBody(RwStream* stream, RpClump* clump, const RwUInt32 counts[3]) {
  ReadLists lists;
  if (!ReadFrames(stream, clump, &lists) || !ReadGeometryList(stream, &lists)) {
    return FALSE;
  }
  for (RwUInt32 i = 0; i < counts[0]; ++i) {
    RpAtomic* atomic = RwStreamFindChunk(stream, kRwChunkAtomic, nullptr, nullptr)
                           ? _rpAtomicStreamRead(stream, &lists.frames, &lists.geometries)
                           : nullptr;
    if (atomic == nullptr) {
      return FALSE;
    }
    RpClumpAddAtomic(clump, atomic);
  }
  return ReadFramedMembers<RpLight>(stream, clump, lists.frames, counts[1], kRwChunkLight, RpLightStreamRead,
                                    RpClumpAddLight, RpLightDestroy) &&
         ReadFramedMembers<RwCamera>(stream, clump, lists.frames, counts[2], kRwChunkCamera, RwCameraStreamRead,
                                     RpClumpAddCamera, RwCameraDestroy);
}

}  // namespace

const RpClump* RpClumpStreamWrite(const RpClump* clump, RwStream* stream) {
  WriteLists lists;
  if (!BuildLists(clump, &lists)) {
    return nullptr;
  }
  const RwUInt32 size = ClumpStreamGetSize(clump, lists);
  if (size == 0) {
    Raise(kRwErrWrite);
    return nullptr;
  }
  RwUInt32 counts[3] = {0, 0, 0};
  ForEachLink(clump->atomicList, [&](RwLLLink*) { return ++counts[0] > 0; });
  ForEachLink(clump->lightList, [&](RwLLLink*) { return ++counts[1] > 0; });
  ForEachLink(clump->cameraList, [&](RwLLLink*) { return ++counts[2] > 0; });
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkClump, size, kRwLibraryVersion, kRwLibraryBuild) == nullptr ||
      !WriteWords(stream, counts, 3) || !WriteBody(clump, stream, lists) ||
      RwPluginRegistryWriteDataChunks(_rpClumpRegistry(), stream, clump) == nullptr) {
    return nullptr;
  }
  return clump;
}

RpClump* RpClumpStreamRead(RwStream* stream) {
  RwUInt8 record[kStructSize];
  RwUInt32 version = 0;
  if (!_rpReadStructRecord(stream, record, kStructSize, &version)) {
    Raise(kRwErrRead);
    return nullptr;
  }
  RwUInt32 counts[3] = {RwReadLittleEndianUInt32(record), RwReadLittleEndianUInt32(record + 4),
                        RwReadLittleEndianUInt32(record + 8)};
  if (version <= kRpClumpAtomicCountOnlyVersion) {
    counts[1] = 0;
    counts[2] = 0;
  }
  RpClump* clump = RpClumpCreate();
  if (clump == nullptr) {
    return nullptr;
  }
  if (!ReadBody(stream, clump, counts) ||
      RwPluginRegistryReadDataChunks(_rpClumpRegistry(), stream, clump) == nullptr) {
    RpClumpDestroy(clump);
    Raise(kRwErrRead);
    return nullptr;
  }
  return clump;
}
