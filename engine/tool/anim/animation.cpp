// Animations: the animation chunk (0x1B) read through the keyframe type's key
// reader, destruction, and rewriting every key relative to a pose.
#include <cmath>
#include <cstdint>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/stream.h"
#include "engine/tool/anim/anim_internal.h"
#include "engine/tool/anim/rtanim.h"

namespace {

// version, keyframe type id, key count, flags, duration.
constexpr RwUInt32 kAnimationHeaderSize = 20;
// A key block larger than this is refused before anything is allocated.
constexpr std::uint64_t kMaxKeyBlockBytes = 0x7FFFFFFF;

RtAnimKeyFrameHeader* KeyAt(const RtAnimAnimation* animation, RwInt32 index) {
  return reinterpret_cast<RtAnimKeyFrameHeader*>(static_cast<RwUInt8*>(animation->pFrames) +
                                                 static_cast<size_t>(index) * animation->interpInfo->keyFrameSize);
}

// The next key of the node whose key sits at index: the first later key in
// the block whose previous key is it; -1 when there is none. The first
// numNodes keys are every node's first key and follow no key, whatever their
// stored previous key says (streams store 0 there, which names key 0).
RwInt32 NextKeyOfNode(const RtAnimAnimation* animation, RwInt32 numNodes, RwInt32 index) {
  const RtAnimKeyFrameHeader* key = KeyAt(animation, index);
  for (RwInt32 later = index < numNodes ? numNodes : index + 1; later < animation->numFrames; later++) {
    if (KeyAt(animation, later)->prevFrame == key) {
      return later;
    }
  }
  return -1;
}

// A duration must be a positive finite number of seconds: the player wraps
// its time by subtracting it.
bool DurationPlayable(RwReal duration) { return duration > 0.0f && std::isfinite(duration); }

}  // namespace

RtAnimAnimation* RtAnimAnimationStreamRead(RwStream* stream) {
  RwFreeList* list = _rtAnimAnimationFreeList();
  if (list == nullptr) {
    _rtAnimRaise(kRwErrWrongEngineState);
    return nullptr;
  }
  RwUInt8 header[kAnimationHeaderSize];
  if (RwStreamRead(stream, header, kAnimationHeaderSize) != kAnimationHeaderSize ||
      RwReadLittleEndianUInt32(header) != kRtAnimStreamVersion) {
    return nullptr;
  }
  RtAnimKeyFrameType* type = RtAnimGetKeyFrameType(RwReadLittleEndianUInt32(header + 4));
  if (type == nullptr) {
    _rtAnimRaise(kRtAnimErrUnknownType);
    return nullptr;
  }
  const RwInt32 numFrames = RwReadLittleEndianInt32(header + 8);
  const RwReal duration = RwReadLittleEndianReal(header + 16);
  if (numFrames < 0 || !DurationPlayable(duration) ||
      static_cast<std::uint64_t>(numFrames) * type->keyFrameSize > kMaxKeyBlockBytes) {
    _rtAnimRaise(kRwErrInvalidValue);
    return nullptr;
  }
  RtAnimAnimation* animation = static_cast<RtAnimAnimation*>(RwFreeListEntryAlloc(list));
  if (animation == nullptr) {
    _rtAnimRaise(kRwErrOutOfMemory);
    return nullptr;
  }
  animation->interpInfo = type;
  animation->numFrames = numFrames;
  animation->flags = RwReadLittleEndianUInt32(header + 12);
  animation->duration = duration;
  animation->pFrames = nullptr;
  if (type->keyFrameStreamReadCB(stream, animation) == nullptr) {
    RwFreeListEntryFree(list, animation);
    return nullptr;
  }
  return animation;
}

RtAnimAnimation* RtAnimAnimationRead(const RwChar* fileName) {
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, fileName);
  if (stream == nullptr) {
    return nullptr;
  }
  RtAnimAnimation* animation = nullptr;
  if (RwStreamFindChunk(stream, kRwChunkAnimAnimation, nullptr, nullptr)) {
    animation = RtAnimAnimationStreamRead(stream);
  }
  RwStreamClose(stream, nullptr);
  return animation;
}

RtAnimAnimation* RtAnimAnimationDestroy(RtAnimAnimation* animation) {
  if (animation == nullptr) {
    return nullptr;
  }
  EngineFree(animation->pFrames);
  animation->pFrames = nullptr;
  RwFreeListEntryFree(_rtAnimAnimationFreeList(), animation);
  return animation;
}

RtAnimAnimation* RtAnimAnimationMakeRelative(RtAnimAnimation* animation, RwInt32 numNodes, RwReal time) {
  RtAnimInterpolator* pose =
      RtAnimInterpolatorCreate(numNodes, static_cast<RwInt32>(animation->interpInfo->keyFrameSize));
  if (pose == nullptr) {
    return nullptr;
  }
  if (!RtAnimInterpolatorSetCurrentAnim(pose, animation)) {
    RtAnimInterpolatorDestroy(pose);
    return nullptr;
  }
  RtAnimInterpolatorSetCurrentTime(pose, time);
  const RtAnimKeyFrameMulRecipCallBack mulRecip = animation->interpInfo->keyFrameMulRecipCB;
  for (RwInt32 node = 0; node < numNodes; node++) {
    void* base = RtAnimInterpolatorGetSlot(pose, node);
    // The node's keys in time order, up to and including its key at the duration.
    for (RwInt32 index = node; index >= 0; index = NextKeyOfNode(animation, numNodes, index)) {
      RtAnimKeyFrameHeader* key = KeyAt(animation, index);
      mulRecip(key, base);
      if (key->time >= animation->duration) {
        break;
      }
    }
  }
  RtAnimInterpolatorDestroy(pose);
  return animation;
}
