// Model user data: the render priority bits and the per-atomic set-up.
#include "game/render/model_user_data.h"

#include "game/render/atomic_plugin.h"
#include "game/render/clump_ro.h"
#include "game/render/render_state.h"

void SetAtomicRenderPriority(RpAtomic* atomic, u32 priority) {
  const RwUInt32 keep = RpAtomicGetFlags(atomic) & ~(kAtomicPriorityMask << kAtomicPriorityShift);
  RpAtomicSetFlags(atomic, keep | ((priority & kAtomicPriorityMask) << kAtomicPriorityShift));
}

u32 GetAtomicRenderPriority(const RpAtomic* atomic) {
  return (RpAtomicGetFlags(atomic) >> kAtomicPriorityShift) & kAtomicPriorityMask;
}

namespace {

RpAtomicCallBackRender sDefaultRender = nullptr;

}  // namespace

RpAtomicCallBackRender GetDefaultAtomicRender() {
  return sDefaultRender != nullptr ? sDefaultRender : RpAtomicDefaultRenderCallBack;
}

void RememberDefaultAtomicRender(const RpAtomic* atomic) {
  if (sDefaultRender == nullptr) {
    sDefaultRender = RpAtomicGetRenderCallBack(atomic);
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
  // USERDATA-PENDING
}
