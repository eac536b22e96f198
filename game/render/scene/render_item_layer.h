// The render manager's deferred layers: models with a render priority and
// atomic render objects put themselves here while the world is drawn, and
// the manager draws the layers after the world, in layer order.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

class cAtomicRO;
class cCamera;

constexpr u32 kRenderItemLayerCount = 3;
constexpr u32 kRenderItemLayerCapacity = 1024;  // items a layer takes per frame

enum eRenderItemKind : u8 {
  kRenderItemObject = 0,  // an atomic render object
  kRenderItemAtomic = 1,  // an engine atomic, drawn with the default callback
};

struct tRenderItem {
  f32 sortKey;  // distance from the camera
  u8 kind;      // eRenderItemKind
  union {
    RpAtomic* atomic;
    cAtomicRO* object;
  };
};

// qsort's answer for two distance keys, farther first; equal keys compare
// equal, so that the order is consistent for the sort.
inline int CompareFartherFirst(f32 keyA, f32 keyB) {
  if (keyA > keyB) {
    return -1;
  }
  return keyA < keyB ? 1 : 0;
}

class cRenderItemLayer {
 public:
  cRenderItemLayer();
  ~cRenderItemLayer();

  cRenderItemLayer(const cRenderItemLayer&) = delete;
  cRenderItemLayer& operator=(const cRenderItemLayer&) = delete;

  // Fatal "...: array is full" once the layer holds its capacity.
  void AddRenderItemAtomic(RpAtomic* atomic);
  void AddRenderItemRO(cAtomicRO* object);
  void Clear() { mCount = 0; }

  // Keys := distance from the camera to each item's atomic frame; farther
  // items first, equal keys in no defined order.
  void SortByDistance(cCamera* camera);
  // Each item in order: an atomic with the default callback (culling off
  // for a two-sided one), an object through its Render.
  void Render(cCamera* camera);

  u32 GetCount() const { return mCount; }
  const tRenderItem& GetItem(u32 index) const { return mItems[index]; }

 private:
  // The next item, of that kind; fatal with the message when full.
  tRenderItem& Append(u8 kind, const char* fullMessage);

  tRenderItem* mItems;  // kRenderItemLayerCapacity
  u32 mCount;
};
