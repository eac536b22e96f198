// Model user data: the render priority bits and the per-atomic set-up.
#include "game/render/model_user_data.h"

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
