// Interpolators: one slot a node holding the two keys the node lies between
// and the key interpolated from them. Playing forward moves keys that became
// due into their slots through one cursor in block order; playing backward
// walks each node's previous-key chain.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/tool/anim/anim_internal.h"
#include "engine/tool/anim/rtanim.h"

namespace {

// Slots start at the first 16-byte boundary after the record.
constexpr size_t kSlotAlignment = 16;
constexpr size_t kSlotsOffset = (sizeof(RtAnimInterpolator) + kSlotAlignment - 1) & ~(kSlotAlignment - 1);
constexpr std::uint64_t kMaxInterpolatorBytes = 0x7FFFFFFF;
// Beyond this many durations a wrap takes the remainder at once instead of
// subtracting one duration at a time.
constexpr RwReal kWrapSubtractLimit = 1024.0f;

RwUInt8* Slots(const RtAnimInterpolator* interpolator) {
  return const_cast<RwUInt8*>(reinterpret_cast<const RwUInt8*>(interpolator)) + kSlotsOffset;
}

RtAnimInterpFrameHeader* SlotAt(const RtAnimInterpolator* interpolator, RwInt32 node) {
  return reinterpret_cast<RtAnimInterpFrameHeader*>(Slots(interpolator) +
                                                    static_cast<size_t>(node) * interpolator->currentKeyFrameSize);
}

RwUInt8* KeyBlock(const RtAnimAnimation* animation) { return static_cast<RwUInt8*>(animation->pFrames); }

RtAnimKeyFrameHeader* KeyAt(const RtAnimAnimation* animation, RwInt32 index) {
  return reinterpret_cast<RtAnimKeyFrameHeader*>(KeyBlock(animation) +
                                                 static_cast<size_t>(index) * animation->interpInfo->keyFrameSize);
}

// Time in (duration, inf) brought into [0, duration] by whole durations; the
// result of the first subtraction (the largest wrapped time) goes to *first.
RwReal WrapForward(RwReal time, RwReal duration, RwReal* first) {
  *first = time - duration;
  if (time > duration * kWrapSubtractLimit) {
    time = std::fmod(time, duration);
  }
  while (time > duration) {
    time -= duration;
  }
  return time;
}

// Time below 0 brought into [0, duration) by whole durations.
RwReal WrapBackward(RwReal time, RwReal duration) {
  if (time < -duration * kWrapSubtractLimit) {
    time = std::fmod(time, duration);
  }
  while (time < 0.0f) {
    time += duration;
  }
  return time;
}

// Each slot starts as its node's first key, between that key and the node's
// second key; the cursor points after the first two keys of every node.
void Bind(RtAnimInterpolator* interpolator) {
  const RtAnimAnimation* animation = interpolator->pCurrentAnim;
  const RtAnimKeyFrameType* type = animation->interpInfo;
  const RwInt32 nodes = interpolator->numNodes;
  interpolator->currentTime = 0.0f;
  interpolator->currentKeyFrameSize = static_cast<RwInt32>(type->keyFrameSize);
  interpolator->keyFrameApplyCB = type->keyFrameApplyCB;
  interpolator->keyFrameBlendCB = type->keyFrameBlendCB;
  interpolator->keyFrameInterpolateCB = type->keyFrameInterpolateCB;
  interpolator->keyFrameAddCB = type->keyFrameAddCB;
  if (nodes > 0) {
    std::memcpy(Slots(interpolator), animation->pFrames, static_cast<size_t>(nodes) * type->keyFrameSize);
  }
  for (RwInt32 node = 0; node < nodes; node++) {
    RtAnimInterpFrameHeader* slot = SlotAt(interpolator, node);
    slot->keyFrame1 = KeyAt(animation, node);
    slot->keyFrame2 = KeyAt(animation, node + nodes);
  }
  interpolator->pNextFrame = KeyAt(animation, 2 * nodes);
}

// The slot whose newer key is the given one, searched once round the slots
// from start; -1 when none holds it.
RwInt32 FindSlotWithNewer(const RtAnimInterpolator* interpolator, const void* key, RwInt32 start) {
  const RwInt32 nodes = interpolator->numNodes;
  for (RwInt32 step = 0; step < nodes; step++) {
    const RwInt32 node = (start + step) % nodes;
    if (SlotAt(interpolator, node)->keyFrame2 == key) {
      return node;
    }
  }
  return -1;
}

// Moves every key that became due into the slot of its node: a key is due
// once its node's newer key (its previous key) lies at or before the time.
void Advance(RtAnimInterpolator* interpolator) {
  const RtAnimAnimation* animation = interpolator->pCurrentAnim;
  const RwUInt32 keySize = animation->interpInfo->keyFrameSize;
  RwUInt8* const end = KeyBlock(animation) + static_cast<size_t>(animation->numFrames) * keySize;
  RwInt32 start = 0;
  while (static_cast<RwUInt8*>(interpolator->pNextFrame) < end) {
    RtAnimKeyFrameHeader* key = static_cast<RtAnimKeyFrameHeader*>(interpolator->pNextFrame);
    const RtAnimKeyFrameHeader* previous = static_cast<const RtAnimKeyFrameHeader*>(key->prevFrame);
    if (previous == nullptr || previous->time > interpolator->currentTime) {
      return;
    }
    const RwInt32 node = FindSlotWithNewer(interpolator, previous, start);
    if (node < 0) {
      return;  // a key no slot waits for: the block is out of player order
    }
    RtAnimInterpFrameHeader* slot = SlotAt(interpolator, node);
    slot->keyFrame1 = slot->keyFrame2;
    slot->keyFrame2 = key;
    interpolator->pNextFrame = reinterpret_cast<RwUInt8*>(key) + keySize;
    start = node + 1;
  }
}

// The key before this one when it lies earlier in the block, else null.
RtAnimKeyFrameHeader* EarlierKey(const RtAnimAnimation* animation, const RtAnimKeyFrameHeader* key) {
  RwUInt8* previous = static_cast<RwUInt8*>(key->prevFrame);
  if (previous == nullptr || previous < KeyBlock(animation) || previous >= reinterpret_cast<const RwUInt8*>(key)) {
    return nullptr;
  }
  return reinterpret_cast<RtAnimKeyFrameHeader*>(previous);
}

void StepBack(RtAnimInterpolator* interpolator) {
  const RtAnimAnimation* animation = interpolator->pCurrentAnim;
  for (RwInt32 node = 0; node < interpolator->numNodes; node++) {
    RtAnimInterpFrameHeader* slot = SlotAt(interpolator, node);
    while (interpolator->currentTime < slot->keyFrame1->time) {
      RtAnimKeyFrameHeader* earlier = EarlierKey(animation, slot->keyFrame1);
      if (earlier == nullptr) {
        break;
      }
      slot->keyFrame2 = slot->keyFrame1;
      slot->keyFrame1 = earlier;
    }
  }
}

void InterpolateAll(RtAnimInterpolator* interpolator) {
  for (RwInt32 node = 0; node < interpolator->numNodes; node++) {
    RtAnimInterpFrameHeader* slot = SlotAt(interpolator, node);
    interpolator->keyFrameInterpolateCB(slot, slot->keyFrame1, slot->keyFrame2, interpolator->currentTime);
  }
}

// The time callback when crossed, then the loop callback when looped; a
// callback that returns null is removed.
void RunCallBacks(RtAnimInterpolator* interpolator, bool crossed, bool looped) {
  if (crossed && interpolator->pAnimCallBack != nullptr &&
      interpolator->pAnimCallBack(interpolator, interpolator->pAnimCallBackData) == nullptr) {
    interpolator->pAnimCallBack = nullptr;
    interpolator->pAnimCallBackData = nullptr;
    interpolator->animCallBackTime = -1.0f;
  }
  if (looped && interpolator->pAnimLoopCallBack != nullptr &&
      interpolator->pAnimLoopCallBack(interpolator, interpolator->pAnimLoopCallBackData) == nullptr) {
    interpolator->pAnimLoopCallBack = nullptr;
    interpolator->pAnimLoopCallBackData = nullptr;
  }
}

// The animation a step of dt seconds plays, or null when the step does
// nothing; *result is then FALSE without an animation and TRUE for a step
// that is not a positive finite time.
const RtAnimAnimation* StepAnimation(const RtAnimInterpolator* interpolator, RwReal dt, RwBool* result) {
  *result = interpolator->pCurrentAnim != nullptr ? TRUE : FALSE;
  if (!(dt > 0.0f) || !std::isfinite(dt)) {
    return nullptr;
  }
  return interpolator->pCurrentAnim;
}

// An input of a combining call needs a slot for every node of out, each at
// least as large as out's.
bool InputCovers(const RtAnimInterpolator* out, const RtAnimInterpolator* in) {
  return in->numNodes >= out->numNodes && in->currentKeyFrameSize >= out->currentKeyFrameSize;
}

// Runs combine (out slot, in1 slot, in2 slot) for every node of out; false
// when out has no such callback or an input is too small.
template <typename Combine>
RwBool CombineSlots(RtAnimInterpolator* out, RtAnimInterpolator* in1, RtAnimInterpolator* in2, bool hasCallBack,
                    Combine combine) {
  if (!hasCallBack || !InputCovers(out, in1) || !InputCovers(out, in2)) {
    _rtAnimRaise(kRwErrInvalidValue);
    return FALSE;
  }
  for (RwInt32 node = 0; node < out->numNodes; node++) {
    combine(SlotAt(out, node), SlotAt(in1, node), SlotAt(in2, node));
  }
  return TRUE;
}

}  // namespace

RtAnimInterpolator* RtAnimInterpolatorCreate(RwInt32 numNodes, RwInt32 maxKeyFrameSize) {
  if (numNodes < 0 || maxKeyFrameSize < static_cast<RwInt32>(sizeof(RtAnimInterpFrameHeader))) {
    _rtAnimRaise(kRwErrInvalidValue);
    return nullptr;
  }
  const std::uint64_t bytes = kSlotsOffset + static_cast<std::uint64_t>(numNodes) * maxKeyFrameSize;
  if (bytes > kMaxInterpolatorBytes) {
    _rtAnimRaise(kRwErrInvalidValue);
    return nullptr;
  }
  void* block = RwMalloc(static_cast<size_t>(bytes));
  if (block == nullptr) {
    _rtAnimRaise(kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(block, 0, static_cast<size_t>(bytes));
  RtAnimInterpolator* interpolator = static_cast<RtAnimInterpolator*>(block);
  interpolator->animCallBackTime = -1.0f;
  interpolator->maxKeyFrameSize = maxKeyFrameSize;
  interpolator->currentKeyFrameSize = maxKeyFrameSize;
  interpolator->numNodes = numNodes;
  interpolator->parentAnimation = interpolator;
  return interpolator;
}

void RtAnimInterpolatorDestroy(RtAnimInterpolator* interpolator) { EngineFree(interpolator); }

RwBool RtAnimInterpolatorSetCurrentAnim(RtAnimInterpolator* interpolator, RtAnimAnimation* animation) {
  if (animation == nullptr || animation->numFrames < 2 * static_cast<std::int64_t>(interpolator->numNodes) ||
      static_cast<RwInt64>(animation->interpInfo->keyFrameSize) > interpolator->maxKeyFrameSize) {
    _rtAnimRaise(kRwErrInvalidValue);
    return FALSE;
  }
  interpolator->pCurrentAnim = animation;
  Bind(interpolator);
  return TRUE;
}

RwBool RtAnimInterpolatorSetKeyFrameCallBacks(RtAnimInterpolator* interpolator, RwUInt32 typeID) {
  const RtAnimKeyFrameType* type = RtAnimGetKeyFrameType(typeID);
  if (type == nullptr) {
    _rtAnimRaise(kRtAnimErrUnknownType);
    return FALSE;
  }
  // The callbacks read and write whole keys of the type: the slots take its size.
  if (static_cast<RwInt64>(type->keyFrameSize) > interpolator->maxKeyFrameSize) {
    _rtAnimRaise(kRwErrInvalidValue);
    return FALSE;
  }
  interpolator->currentKeyFrameSize = static_cast<RwInt32>(type->keyFrameSize);
  interpolator->keyFrameApplyCB = type->keyFrameApplyCB;
  interpolator->keyFrameBlendCB = type->keyFrameBlendCB;
  interpolator->keyFrameInterpolateCB = type->keyFrameInterpolateCB;
  interpolator->keyFrameAddCB = type->keyFrameAddCB;
  return TRUE;
}

void RtAnimInterpolatorSetAnimCallBack(RtAnimInterpolator* interpolator, RtAnimCallBack callBack, RwReal callBackTime,
                                       void* data) {
  interpolator->pAnimCallBack = callBack;
  interpolator->pAnimCallBackData = data;
  interpolator->animCallBackTime = callBack != nullptr ? callBackTime : -1.0f;
}

void RtAnimInterpolatorSetAnimLoopCallBack(RtAnimInterpolator* interpolator, RtAnimCallBack callBack, void* data) {
  interpolator->pAnimLoopCallBack = callBack;
  interpolator->pAnimLoopCallBackData = data;
}

RwBool RtAnimInterpolatorAddTime(RtAnimInterpolator* interpolator, RwReal dt) {
  RwBool result;
  const RtAnimAnimation* animation = StepAnimation(interpolator, dt, &result);
  if (animation == nullptr) {
    return result;
  }
  const RwReal callBackTime = interpolator->animCallBackTime;
  const RwReal duration = animation->duration;
  bool crossed = callBackTime > interpolator->currentTime && callBackTime <= interpolator->currentTime + dt;
  RwReal time = interpolator->currentTime + dt;
  if (!std::isfinite(time)) {
    time = std::fmod(interpolator->currentTime, duration) + std::fmod(dt, duration);
  }
  bool looped = false;
  if (time > duration) {
    RwReal firstWrap;
    time = WrapForward(time, duration, &firstWrap);
    looped = true;
    crossed = crossed || callBackTime <= firstWrap;
    Bind(interpolator);
  } else if (interpolator->pNextFrame == nullptr) {
    Bind(interpolator);
  }
  interpolator->currentTime = time;
  Advance(interpolator);
  InterpolateAll(interpolator);
  RunCallBacks(interpolator, crossed, looped);
  return TRUE;
}

RwBool RtAnimInterpolatorSubtractTime(RtAnimInterpolator* interpolator, RwReal dt) {
  RwBool result;
  const RtAnimAnimation* animation = StepAnimation(interpolator, dt, &result);
  if (animation == nullptr) {
    return result;
  }
  const RwReal callBackTime = interpolator->animCallBackTime;
  bool crossed = interpolator->currentTime > callBackTime && interpolator->currentTime - dt <= callBackTime;
  const RwReal time = interpolator->currentTime - dt;
  bool looped = false;
  if (time < 0.0f) {
    const RwReal wrapped = WrapBackward(time, animation->duration);
    Bind(interpolator);
    RtAnimInterpolatorAddTime(interpolator, wrapped);
    crossed = crossed || wrapped < callBackTime;
    looped = true;
  } else {
    interpolator->currentTime = time;
    StepBack(interpolator);
    InterpolateAll(interpolator);
    // The cursor no longer matches the slots: the next step forward rebinds.
    interpolator->pNextFrame = nullptr;
  }
  RunCallBacks(interpolator, crossed, looped);
  return TRUE;
}

RwBool RtAnimInterpolatorSetCurrentTime(RtAnimInterpolator* interpolator, RwReal time) {
  const RwReal difference = time - interpolator->currentTime;
  if (difference >= 0.0f) {
    return RtAnimInterpolatorAddTime(interpolator, difference);
  }
  return RtAnimInterpolatorSubtractTime(interpolator, -difference);
}

RwBool RtAnimInterpolatorCopy(RtAnimInterpolator* destination, const RtAnimInterpolator* source) {
  const std::uint64_t bytes = static_cast<std::uint64_t>(destination->numNodes) * destination->currentKeyFrameSize;
  const std::uint64_t available = static_cast<std::uint64_t>(source->numNodes) * source->maxKeyFrameSize;
  if (source->numNodes < destination->numNodes || bytes > available) {
    _rtAnimRaise(kRwErrInvalidValue);
    return FALSE;
  }
  std::memmove(Slots(destination), Slots(source), static_cast<size_t>(bytes));
  return TRUE;
}

RwBool RtAnimInterpolatorBlend(RtAnimInterpolator* out, RtAnimInterpolator* in1, RtAnimInterpolator* in2,
                               RwReal alpha) {
  const RtAnimKeyFrameBlendCallBack blend = out->keyFrameBlendCB;
  return CombineSlots(out, in1, in2, blend != nullptr,
                      [blend, alpha](void* o, void* a, void* b) { blend(o, a, b, alpha); });
}

RwBool RtAnimInterpolatorAddTogether(RtAnimInterpolator* out, RtAnimInterpolator* in1, RtAnimInterpolator* in2) {
  const RtAnimKeyFrameAddCallBack add = out->keyFrameAddCB;
  return CombineSlots(out, in1, in2, add != nullptr, [add](void* o, void* a, void* b) { add(o, a, b); });
}

RtAnimInterpFrameHeader* RtAnimInterpolatorGetSlot(const RtAnimInterpolator* interpolator, RwInt32 node) {
  if (node < 0 || node >= interpolator->numNodes) {
    return nullptr;
  }
  return SlotAt(interpolator, node);
}
