// The toolkit as an engine plugin: its open makes the animation free list,
// its close destroys it and empties the keyframe-type registry, which is one
// table for the whole program.
#include "engine/tool/anim/rtanim.h"

#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/tool/anim/anim_internal.h"

namespace {

constexpr RwUInt32 kAnimationsPerBlock = 128;
constexpr RwUInt32 kAnimationAlignment = 8;

RtAnimKeyFrameType sKeyFrameTypes[kRtAnimMaxKeyFrameTypes];
RwInt32 sKeyFrameTypeCount = 0;
RwFreeList* sAnimationFreeList = nullptr;

void* AnimOpen(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  sAnimationFreeList =
      RwFreeListCreate(static_cast<RwUInt32>(sizeof(RtAnimAnimation)), kAnimationsPerBlock, kAnimationAlignment);
  return sAnimationFreeList != nullptr ? instance : nullptr;
}

void* AnimClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  if (sAnimationFreeList != nullptr) {
    RwFreeListDestroy(sAnimationFreeList);
    sAnimationFreeList = nullptr;
  }
  // Types register again at the next open.
  sKeyFrameTypeCount = 0;
  return instance;
}

}  // namespace

RwFreeList* _rtAnimAnimationFreeList(void) { return sAnimationFreeList; }

void _rtAnimRaise(RwInt32 code) { RwErrorRaise(static_cast<RwInt32>(kRtAnimPluginId), code); }

RwBool RtAnimPluginAttach(void) { return RwEngineRegisterPlugin(0, kRtAnimPluginId, AnimOpen, AnimClose) > 0; }

RwBool RtAnimRegisterKeyFrameType(const RtAnimKeyFrameType* type) {
  if (sKeyFrameTypeCount >= kRtAnimMaxKeyFrameTypes) {
    _rtAnimRaise(kRtAnimErrRegistryFull);
    return FALSE;
  }
  if (RtAnimGetKeyFrameType(type->typeID) != nullptr) {
    _rtAnimRaise(kRtAnimErrTypeRegistered);
    return FALSE;
  }
  sKeyFrameTypes[sKeyFrameTypeCount++] = *type;
  return TRUE;
}

RtAnimKeyFrameType* RtAnimGetKeyFrameType(RwUInt32 typeID) {
  for (RwInt32 i = 0; i < sKeyFrameTypeCount; i++) {
    if (sKeyFrameTypes[i].typeID == typeID) {
      return &sKeyFrameTypes[i];
    }
  }
  return nullptr;
}
