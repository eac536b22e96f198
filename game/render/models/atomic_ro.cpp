// cAtomicRO: the atomic with its empty geometry and frame, the deferring
// render callback and the explicit bounding sphere.
#include "game/render/models/atomic_ro.h"

#include "game/render/models/atomic_plugin.h"
#include "game/render/scene/render_manager.h"

cAtomicRO::cAtomicRO(f32 radius, u8 layer) : mAtomic(RpAtomicCreate()), mLayer(layer) {
  RpGeometry* geometry = RpGeometryCreateEmpty(radius);
  RpAtomicSetGeometry(mAtomic, geometry, 0);
  RpGeometryDestroy(geometry);  // the atomic holds its own reference
  RpAtomicSetFrame(mAtomic, RwFrameCreate());
  RpAtomicSetFlags(mAtomic, RpAtomicGetFlags(mAtomic) & ~rpATOMICCOLLISIONTEST);
  SetAtomicOwner(mAtomic, this);
  RpAtomicSetRenderCallBack(mAtomic, DeferAtomicRO);
}

cAtomicRO::~cAtomicRO() {
  RpWorld* world = RpAtomicGetWorld(mAtomic);
  if (world != nullptr) {
    RpWorldRemoveAtomic(world, mAtomic);
  }
  RwFrame* frame = RpAtomicGetFrame(mAtomic);
  RpAtomicDestroy(mAtomic);
  RwFrameDestroy(frame);
}

void cAtomicRO::SetBoundingSphere(const RwV3d& centre, f32 radius) {
  RpMorphTarget* target = RpGeometryGetMorphTarget(RpAtomicGetGeometry(mAtomic), 0);
  target->boundingSphere.center = centre;
  target->boundingSphere.radius = radius;
  RpInterpolator& interpolator = mAtomic->interpolator;
  interpolator.flags |= rpINTERPOLATORDIRTYINSTANCE | rpINTERPOLATORDIRTYSPHERE;
  interpolator.position = 0.0f;
  if ((interpolator.flags & rpINTERPOLATORNOFRAMEDIRTY) == 0) {
    RwFrameMarkDirty(RpAtomicGetFrame(mAtomic));
  }
}

RpAtomic* DeferAtomicRO(RpAtomic* atomic) {
  cAtomicRO* object = static_cast<cAtomicRO*>(GetAtomicOwner(atomic));
  cRenderManager* manager = cRenderManager::GetCurrent();
  if (object == nullptr || manager == nullptr) {
    return atomic;
  }
  cRenderItemLayer* layer = manager->GetItemLayer(static_cast<u32>(object->GetLayer()) - 1);
  if (layer != nullptr) {
    layer->AddRenderItemRO(object);
  }
  return atomic;
}
