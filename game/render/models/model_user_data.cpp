// Model user data: the render priority bits and the per-atomic set-up.
#include "game/render/models/model_user_data.h"

#include <cstring>

#include "game/render/models/atomic_plugin.h"
#include "game/render/models/clump_ro.h"
#include "game/render/scene/render_state.h"

void SetAtomicRenderPriority(RpAtomic* atomic, u32 priority) {
  const RwUInt32 keep = RpAtomicGetFlags(atomic) & ~(kAtomicPriorityMask << kAtomicPriorityShift);
  RpAtomicSetFlags(atomic, keep | ((priority & kAtomicPriorityMask) << kAtomicPriorityShift));
}

u32 GetAtomicRenderPriority(const RpAtomic* atomic) {
  return (RpAtomicGetFlags(atomic) >> kAtomicPriorityShift) & kAtomicPriorityMask;
}

namespace {

RpAtomicCallBackRender sDefaultRender = nullptr;

// Sets or clears the bits of the atomic's flag byte.
void SetAtomicFlag(RpAtomic* atomic, RwUInt32 bits, bool set) {
  const RwUInt32 flags = RpAtomicGetFlags(atomic);
  RpAtomicSetFlags(atomic, set ? flags | bits : flags & ~bits);
}

// The first key of the fixed order that the array's name matches applies;
// element 0 is the value.
void ApplyUserDataArray(RpAtomic* atomic, RpGeometry* geometry, const RpUserDataArray* array, cClumpRO* owner) {
  const RwChar* name = RpUserDataArrayGetName(array);
  if (name == nullptr) {
    return;
  }
  const RwInt32 value = RpUserDataArrayGetInt(array, 0);
  if (std::strcmp(name, kUserDataPriority) == 0) {
    if (value == kPriorityNeverDrawn) {
      SetAtomicFlag(atomic, kAtomicFlagRender, false);
    } else {
      SetAtomicRenderPriority(atomic, static_cast<u32>(value));
    }
  } else if (std::strcmp(name, kUserDataCollision) == 0) {
    SetAtomicFlag(atomic, kAtomicFlagCollision, value != 0);
  } else if (std::strcmp(name, kUserDataTwoSided) == 0) {
    SetAtomicFlag(atomic, kAtomicFlagTwoSided, value != 0);
  } else if (std::strcmp(name, kUserDataName) == 0) {
    const RwChar* text = RpUserDataArrayGetString(array, 0);
    owner->SetModelName(cString(text != nullptr ? text : ""));
  } else if (std::strcmp(name, kUserDataNoHear) == 0) {
    SetAtomicFlag(atomic, kAtomicFlagNoHear, value != 0);
  } else if (std::strcmp(name, kUserDataNoLight) == 0) {
    RpGeometrySetFlags(geometry, RpGeometryGetFlags(geometry) & ~rpGEOMETRYLIGHT);
  } else if (std::strcmp(name, kUserDataMirror) == 0) {
    owner->SetMirrorFlag(value);
  } else if (std::strcmp(name, kUserDataLod) == 0) {
    owner->SetLodDistance(RpUserDataArrayGetFloat(array, 0));
  }
}

}  // namespace

RpAtomicCallBackRender GetDefaultAtomicRender() {
  return sDefaultRender != nullptr ? sDefaultRender : RpAtomicDefaultRenderCallBack;
}

void RememberDefaultAtomicRender(const RpAtomic* atomic) {
  if (sDefaultRender == nullptr) {
    sDefaultRender = RpAtomicGetRenderCallBack(atomic);
  }
}

const RpUserDataArray* FindModelUserData(const RpGeometry* geometry, const char* key) {
  for (RwInt32 i = 0;; i++) {
    const RpUserDataArray* array = RpUserDataGeometryGetArray(geometry, i);
    if (array == nullptr) {
      return nullptr;
    }
    const RwChar* name = RpUserDataArrayGetName(array);
    if (name != nullptr && std::strcmp(name, key) == 0) {
      return array;
    }
  }
}

void DrawModelAtomic(RpAtomic* atomic) {
  const bool twoSided = (RpAtomicGetFlags(atomic) & kAtomicFlagTwoSided) != 0;
  if (twoSided) {
    SetRenderState(kRwRenderStateCullMode, kCullModeNone);
  }
  GetDefaultAtomicRender()(atomic);
  if (twoSided) {
    SetRenderState(kRwRenderStateCullMode, kCullModeBack);
  }
}

void SetUpModelAtomic(RpAtomic* atomic, cClumpRO* owner) {
  SetAtomicOwner(atomic, owner);
  if (RpAtomicGetRenderCallBack(atomic) != ClumpRenderCallBack) {
    RememberDefaultAtomicRender(atomic);
  }
  RpAtomicSetRenderCallBack(atomic, ClumpRenderCallBack);
  RpGeometry* geometry = RpAtomicGetGeometry(atomic);
  if (geometry == nullptr) {
    return;
  }
  for (RwInt32 i = 0;; i++) {
    const RpUserDataArray* array = RpUserDataGeometryGetArray(geometry, i);
    if (array == nullptr) {
      break;
    }
    ApplyUserDataArray(atomic, geometry, array, owner);
  }
}
