// Walks of a world's sector tree for the collision queries: a line clipped
// at the planes as it descends (the same division as in collision trees), a
// box, and a sphere carrying each pending subtree's box. The world's fixed
// stacks suffice: its reader refuses trees deeper than they hold.
#include <initializer_list>

#include "engine/plugin/collis/collis_internal.h"
#include "engine/world/bsp_walk.h"
#include "engine/world/world.h"

namespace {

struct PendingLine {
  RpSector* sector;
  RwLine segment;
};

struct PendingBox {
  RpSector* sector;
  RwBBox box;
};

}  // namespace

RpWorld* RpWorldForAllSectorsOnLine(RpWorld* world, const RwLine* line, const RpLineSlopes* slopes,
                                    RpWorldSectorCallBack callBack, void* data, RwLine* clipped) {
  RpSectorStack<PendingLine> pending;
  PendingLine current = {world->rootSector, *line};
  for (;;) {
    if (!RpSectorIsAtomic(current.sector)) {
      const RpPlaneSector* plane = RpSectorAsPlane(current.sector);
      RpLineSplitStep step;
      _rpLineSplitStep(&step, static_cast<RwUInt32>(plane->type), plane->leftValue, plane->rightValue, &current.segment,
                       slopes);
      if (step.later && !pending.Push({step.nowRight ? plane->leftSubTree : plane->rightSubTree, step.laterSegment})) {
        return nullptr;  // deeper than any tree the world reader accepts
      }
      current = {step.nowRight ? plane->rightSubTree : plane->leftSubTree, step.now};
      continue;
    }
    if (clipped != nullptr) {
      *clipped = current.segment;
    }
    if (callBack(RpSectorAsAtomic(current.sector), data) == nullptr) {
      return nullptr;
    }
    if (!pending.Pop(&current)) {
      return world;
    }
  }
}

RpWorld* RpWorldForAllSectorsInBox(RpWorld* world, const RwBBox* box, RpWorldSectorCallBack callBack, void* data) {
  RpSectorStack<RpSector*> pending;
  RpSector* current = world->rootSector;
  for (;;) {
    if (!RpSectorIsAtomic(current)) {
      const RpPlaneSector* plane = RpSectorAsPlane(current);
      if (RpAxisComponent(box->inf, plane->type) >= plane->leftValue) {
        current = plane->rightSubTree;
        continue;
      }
      if (RpAxisComponent(box->sup, plane->type) >= plane->rightValue && !pending.Push(plane->rightSubTree)) {
        return nullptr;
      }
      current = plane->leftSubTree;
      continue;
    }
    if (callBack(RpSectorAsAtomic(current), data) == nullptr) {
      return nullptr;
    }
    if (!pending.Pop(&current)) {
      return world;
    }
  }
}

RwReal _rpCollisionBoxDistanceSquared(const RwBBox* box, const RwV3d* point) {
  RwReal total = 0.0f;
  for (RwInt32 axis : {rpSECTORPLANEX, rpSECTORPLANEY, rpSECTORPLANEZ}) {
    const RwReal c = RpAxisComponent(*point, axis);
    const RwReal low = RpAxisComponent(box->inf, axis);
    const RwReal high = RpAxisComponent(box->sup, axis);
    const RwReal gap = c < low ? low - c : (c > high ? c - high : 0.0f);
    total += gap * gap;
  }
  return total;
}

RpWorld* RpWorldForAllSectorsInSphere(RpWorld* world, const RwSphere* sphere, RpWorldSectorCallBack callBack,
                                      void* data) {
  const RwReal radiusSquared = sphere->radius * sphere->radius;
  auto reaches = [sphere, radiusSquared](const RwBBox& box) {
    return _rpCollisionBoxDistanceSquared(&box, &sphere->center) <= radiusSquared;
  };
  RpSectorStack<PendingBox> pending;
  PendingBox current = {world->rootSector, world->boundingBox};
  if (!reaches(current.box)) {
    return world;
  }
  for (;;) {
    if (!RpSectorIsAtomic(current.sector)) {
      const RpPlaneSector* plane = RpSectorAsPlane(current.sector);
      PendingBox left = {plane->leftSubTree, current.box};
      *RpAxisComponent(&left.box.sup, plane->type) = plane->leftValue;
      PendingBox right = {plane->rightSubTree, current.box};
      *RpAxisComponent(&right.box.inf, plane->type) = plane->rightValue;
      const bool enterLeft = reaches(left.box);
      const bool enterRight = reaches(right.box);
      if (enterLeft && enterRight && !pending.Push(right)) {
        return nullptr;
      }
      if (enterLeft || enterRight) {
        current = enterLeft ? left : right;
        continue;
      }
    } else if (callBack(RpSectorAsAtomic(current.sector), data) == nullptr) {
      return nullptr;
    }
    if (!pending.Pop(&current)) {
      return world;
    }
  }
}
