// cRenderItemLayer: appending, the distance sort and drawing.
#include "game/render/scene/render_item_layer.h"

#include <cstdlib>

#include "game/foundation/fatal_error.h"
#include "game/render/models/atomic_ro.h"
#include "game/render/scene/camera.h"
#include "game/render/models/model_user_data.h"

namespace {

RpAtomic* ItemAtomic(const tRenderItem& item) {
  return item.kind == kRenderItemAtomic ? item.atomic : item.object->GetAtomic();
}

int CompareItems(const void* a, const void* b) {
  return CompareFartherFirst(static_cast<const tRenderItem*>(a)->sortKey, static_cast<const tRenderItem*>(b)->sortKey);
}

}  // namespace

cRenderItemLayer::cRenderItemLayer() : mItems(new tRenderItem[kRenderItemLayerCapacity]), mCount(0) {}

cRenderItemLayer::~cRenderItemLayer() { delete[] mItems; }

tRenderItem& cRenderItemLayer::Append(u8 kind, const char* fullMessage) {
  if (mCount >= kRenderItemLayerCapacity) {
    FatalError("%s", fullMessage);
  }
  tRenderItem& item = mItems[mCount++];
  item.sortKey = 0.0f;
  item.kind = kind;
  return item;
}

void cRenderItemLayer::AddRenderItemAtomic(RpAtomic* atomic) {
  Append(kRenderItemAtomic, "cRenderItemLayer::AddRenderItemAtomic : array is full").atomic = atomic;
}

void cRenderItemLayer::AddRenderItemRO(cAtomicRO* object) {
  Append(kRenderItemObject, "cRenderItemLayer::AddRenderItemRO : array is full").object = object;
}

void cRenderItemLayer::SortByDistance(cCamera* camera) {
  const RwV3d eye = RwFrameGetLTM(camera->GetFrame())->pos;
  for (u32 i = 0; i < mCount; i++) {
    const RwV3d position = RwFrameGetLTM(RpAtomicGetFrame(ItemAtomic(mItems[i])))->pos;
    RwV3d d;
    RwV3dSub(&d, &position, &eye);
    mItems[i].sortKey = RwV3dLength(&d);
  }
  std::qsort(mItems, mCount, sizeof(tRenderItem), CompareItems);
}

void cRenderItemLayer::Render(cCamera* camera) {
  for (u32 i = 0; i < mCount; i++) {
    const tRenderItem& item = mItems[i];
    if (item.kind != kRenderItemAtomic) {
      item.object->Render(camera);
      continue;
    }
    DrawModelAtomic(item.atomic);
  }
}
