// The frame extension's sub-chunk (0x11E): the frame's node id and, on a
// skeleton's root frame, the hierarchy's flags, key size and nodes. Key sizes
// are stored as a standard key's stream size plus whatever a larger key adds.
#include "engine/plugin/hanim/hanim_internal.h"
#include "engine/plugin/hanim/rphanim.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"

namespace {

// version, node id, node count.
constexpr RwInt32 kFixedFields = 3;
constexpr RwUInt32 kFixedBytes = kFixedFields * 4;
// flags, key size.
constexpr RwUInt32 kHierarchyFieldBytes = 8;
// node id, node index, node flags.
constexpr RwInt32 kNodeFields = 3;
constexpr RwUInt32 kNodeBytes = kNodeFields * 4;
// In-memory key sizes a stream may ask for: a standard key up to a few times
// its size, so that the interpolator a stream makes stays proportionate.
constexpr RwInt32 kMaxKeyFrameSize = 256;
constexpr RwInt32 kStdKeyFrameSize = static_cast<RwInt32>(sizeof(RpHAnimStdKeyFrame));

// The stored key size of an in-memory one, and back.
RwInt32 StoredKeySize(RwInt32 keyFrameSize) { return keyFrameSize - kStdKeyFrameSize + kRpHAnimStdKeyFrameStreamSize; }
RwInt32 MemoryKeySize(RwInt32 stored) { return kStdKeyFrameSize + (stored - kRpHAnimStdKeyFrameStreamSize); }

// The hierarchy whose nodes the frame writes: its own, unless a sub-hierarchy.
const RpHAnimHierarchy* WrittenHierarchy(const RwFrame* frame) {
  const RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(const_cast<RwFrame*>(frame));
  if (hierarchy == nullptr || (hierarchy->flags & kRpHAnimSubHierarchy) != 0) {
    return nullptr;
  }
  return hierarchy;
}

RwStream* Fail(RwInt32 code) {
  RwErrorRaise(static_cast<RwInt32>(kRpHAnimPluginId), code);
  return nullptr;
}

// Reads the nodes into a new hierarchy whose root frame is the frame.
RpHAnimHierarchy* ReadHierarchy(RwStream* stream, RwInt32 numNodes) {
  RwInt32 fields[2];
  if (RwStreamReadInt32(stream, fields, sizeof(fields)) == nullptr) {
    return nullptr;
  }
  const RwInt32 stored = fields[1];
  if (stored < kRpHAnimStdKeyFrameStreamSize || stored > StoredKeySize(kMaxKeyFrameSize)) {
    Fail(kRwErrInvalidValue);
    return nullptr;
  }
  // A stream never carries a sub-hierarchy's nodes: what it makes owns its arrays.
  const RwUInt32 flags = static_cast<RwUInt32>(fields[0]) & ~kRpHAnimSubHierarchy;
  RpHAnimHierarchy* hierarchy = RpHAnimHierarchyCreate(numNodes, nullptr, nullptr, flags, MemoryKeySize(stored));
  if (hierarchy == nullptr) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < numNodes; i++) {
    RwInt32 node[kNodeFields];
    if (RwStreamReadInt32(stream, node, sizeof(node)) == nullptr) {
      RpHAnimHierarchyDestroy(hierarchy);
      return nullptr;
    }
    hierarchy->pNodeInfo[i].nodeID = node[0];
    hierarchy->pNodeInfo[i].nodeIndex = node[1];
    hierarchy->pNodeInfo[i].flags = static_cast<RwUInt32>(node[2]);
  }
  return hierarchy;
}

RwStream* ReadFrameData(RwStream* stream, RwInt32 length, void* object, RwInt32 /*offset*/, RwInt32 /*size*/) {
  RwFrame* frame = static_cast<RwFrame*>(object);
  RwInt32 fields[kFixedFields];
  if (length < static_cast<RwInt32>(kFixedBytes)) {
    return Fail(kRwErrRead);
  }
  if (RwStreamReadInt32(stream, fields, kFixedBytes) == nullptr || fields[0] != kRpHAnimStreamVersion) {
    return nullptr;
  }
  RpHAnimFrameSetID(frame, fields[1]);
  const RwInt32 numNodes = fields[2];
  RwUInt32 used = kFixedBytes;
  if (numNodes >= 1) {
    const RwUInt32 room = static_cast<RwUInt32>(length) - kFixedBytes;
    if (room < kHierarchyFieldBytes || static_cast<RwUInt32>(numNodes) > (room - kHierarchyFieldBytes) / kNodeBytes) {
      return Fail(kRwErrRead);  // more nodes than the sub-chunk holds
    }
    RpHAnimHierarchy* hierarchy = ReadHierarchy(stream, numNodes);
    if (hierarchy == nullptr) {
      return nullptr;
    }
    // A second sub-chunk for the same frame replaces the hierarchy it made.
    RpHAnimHierarchy* previous = RpHAnimFrameGetHierarchy(frame);
    if (previous != nullptr && previous->parentFrame == frame) {
      RpHAnimHierarchyDestroy(previous);
    }
    RpHAnimFrameSetHierarchy(frame, hierarchy);
    used += kHierarchyFieldBytes + static_cast<RwUInt32>(numNodes) * kNodeBytes;
  }
  // Whatever a newer writer put after the fields is not ours.
  return RwStreamSkip(stream, static_cast<RwUInt32>(length) - used);
}

RwStream* WriteFrameData(RwStream* stream, RwInt32 /*length*/, const void* object, RwInt32 /*offset*/,
                         RwInt32 /*size*/) {
  RwFrame* frame = const_cast<RwFrame*>(static_cast<const RwFrame*>(object));
  const RpHAnimHierarchy* hierarchy = WrittenHierarchy(frame);
  const RwInt32 fields[kFixedFields] = {kRpHAnimStreamVersion, RpHAnimFrameGetID(frame),
                                        hierarchy != nullptr ? hierarchy->numNodes : 0};
  if (RwStreamWriteInt32(stream, fields, kFixedBytes) == nullptr) {
    return nullptr;
  }
  if (hierarchy == nullptr) {
    return stream;
  }
  const RwInt32 header[2] = {static_cast<RwInt32>(hierarchy->flags),
                             StoredKeySize(hierarchy->currentAnim->maxKeyFrameSize)};
  if (RwStreamWriteInt32(stream, header, sizeof(header)) == nullptr) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < hierarchy->numNodes; i++) {
    const RpHAnimNodeInfo& info = hierarchy->pNodeInfo[i];
    const RwInt32 node[kNodeFields] = {info.nodeID, info.nodeIndex, static_cast<RwInt32>(info.flags)};
    if (RwStreamWriteInt32(stream, node, sizeof(node)) == nullptr) {
      return nullptr;
    }
  }
  return stream;
}

RwInt32 FrameDataSize(const void* object, RwInt32 /*offset*/, RwInt32 /*size*/) {
  const RpHAnimHierarchy* hierarchy = WrittenHierarchy(static_cast<const RwFrame*>(object));
  if (hierarchy == nullptr) {
    return static_cast<RwInt32>(kFixedBytes);
  }
  return static_cast<RwInt32>(kFixedBytes + kHierarchyFieldBytes) +
         hierarchy->numNodes * static_cast<RwInt32>(kNodeBytes);
}

}  // namespace

RwBool _rpHAnimRegisterFrameStream(void) {
  return RwFrameRegisterPluginStream(kRpHAnimPluginId, ReadFrameData, WriteFrameData, FrameDataSize) >= 0;
}
