// The base of objects that the render manager sorts by render type and that
// cameras keep in their extra lists: a list node of the manager's list and a
// counted object, so that a camera's extra list can hold it.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/reference.h"
#include "game/foundation/types.h"

class cCamera;
struct RpAtomic;

// Render types: arrays 0 to 3 of the render manager (2 sorted back to front),
// 4 the current camera's extra list.
enum eRenderObjectType : u32 {
  kRoTypeOpaque = 0,
  kRoTypeFirstPass = 1,
  kRoTypeDistanceSorted = 2,
  kRoTypeLastPass = 3,
  kRoTypeCameraExtra = 4,
};

class cRenderObject : public cListNode, public cReference {
 public:
  cRenderObject() : mSortKey(0.0f) {}
  ~cRenderObject() override {}

  virtual u32 GetRoType() = 0;
  // The engine atomic that stands for the object in a world; none here.
  virtual RpAtomic* GetAtomic() { return nullptr; }
  virtual RwFrame* GetFrame() = 0;
  // Draws the object through the camera whose update is under way.
  virtual void Render(cCamera* camera) = 0;

  // Squared distance from the camera, written by the distance sort.
  f32 GetSortKey() const { return mSortKey; }
  void SetSortKey(f32 key) { mSortKey = key; }

 private:
  f32 mSortKey;
};
