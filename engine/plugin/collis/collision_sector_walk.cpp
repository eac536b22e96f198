// Walks of a world's sector tree for the collision queries: a line clipped
// at the planes as it descends (the same division as in collision trees), a
// box, and a sphere carrying each pending subtree's box. Fixed stacks of 63
// entries: the world reader refuses trees deeper than that.
#include "engine/plugin/collis/collis_internal.h"
#include "engine/world/world.h"

namespace {

// Pending subtrees a sector walk can hold.
constexpr RwInt32 kSectorStackSize = 63;

bool IsAtomic(const RpSector* sector) { return sector->type < 0; }

const RpPlaneSector* AsPlane(const RpSector* sector) { return reinterpret_cast<const RpPlaneSector*>(sector); }

RpWorldSector* AsAtomic(RpSector* sector) { return reinterpret_cast<RpWorldSector*>(sector); }

RwReal Component(const RwV3d& v, RwInt32 axis) { return axis == 0 ? v.x : (axis == 4 ? v.y : v.z); }

RwReal& Component(RwV3d& v, RwInt32 axis) { return axis == 0 ? v.x : (axis == 4 ? v.y : v.z); }

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
  PendingLine pending[kSectorStackSize];
  RwInt32 numPending = 0;
  PendingLine current = {world->rootSector, *line};
  for (;;) {
    if (!IsAtomic(current.sector)) {
      const RpPlaneSector* plane = AsPlane(current.sector);
      RpLineSplitStep step;
      _rpLineSplitStep(&step, static_cast<RwUInt32>(plane->type), plane->leftValue, plane->rightValue, &current.segment,
                       slopes);
      if (step.later) {
        if (numPending == kSectorStackSize) {
          return nullptr;  // deeper than any tree the world reader accepts
        }
        pending[numPending++] = {step.nowRight ? plane->leftSubTree : plane->rightSubTree, step.laterSegment};
      }
      current = {step.nowRight ? plane->rightSubTree : plane->leftSubTree, step.now};
      continue;
    }
    if (clipped != nullptr) {
      *clipped = current.segment;
    }
    if (callBack(AsAtomic(current.sector), data) == nullptr) {
      return nullptr;
    }
    if (numPending == 0) {
      return world;
    }
    current = pending[--numPending];
  }
}

RpWorld* RpWorldForAllSectorsInBox(RpWorld* world, const RwBBox* box, RpWorldSectorCallBack callBack, void* data) {
  RpSector* pending[kSectorStackSize];
  RwInt32 numPending = 0;
  RpSector* current = world->rootSector;
  for (;;) {
    if (!IsAtomic(current)) {
      const RpPlaneSector* plane = AsPlane(current);
      if (Component(box->inf, plane->type) < plane->leftValue) {
        if (Component(box->sup, plane->type) >= plane->rightValue) {
          if (numPending == kSectorStackSize) {
            return nullptr;
          }
          pending[numPending++] = plane->rightSubTree;
        }
        current = plane->leftSubTree;
      } else {
        current = plane->rightSubTree;
      }
      continue;
    }
    if (callBack(AsAtomic(current), data) == nullptr) {
      return nullptr;
    }
    if (numPending == 0) {
      return world;
    }
    current = pending[--numPending];
  }
}

RwReal _rpCollisionBoxDistanceSquared(const RwBBox* box, const RwV3d* point) {
  RwReal total = 0.0f;
  for (RwInt32 axis = 0; axis <= 8; axis += 4) {
    const RwReal c = Component(*point, axis);
    const RwReal low = Component(box->inf, axis);
    const RwReal high = Component(box->sup, axis);
    const RwReal gap = c < low ? low - c : (c > high ? c - high : 0.0f);
    total += gap * gap;
  }
  return total;
}

RpWorld* RpWorldForAllSectorsInSphere(RpWorld* world, const RwSphere* sphere, RpWorldSectorCallBack callBack,
                                      void* data) {
  const RwReal radiusSquared = sphere->radius * sphere->radius;
  PendingBox pending[kSectorStackSize];
  RwInt32 numPending = 0;
  PendingBox current = {world->rootSector, world->boundingBox};
  bool have = _rpCollisionBoxDistanceSquared(&current.box, &sphere->center) <= radiusSquared;
  for (;;) {
    if (have && !IsAtomic(current.sector)) {
      const RpPlaneSector* plane = AsPlane(current.sector);
      PendingBox left = {plane->leftSubTree, current.box};
      Component(left.box.sup, plane->type) = plane->leftValue;
      PendingBox right = {plane->rightSubTree, current.box};
      Component(right.box.inf, plane->type) = plane->rightValue;
      const bool enterLeft = _rpCollisionBoxDistanceSquared(&left.box, &sphere->center) <= radiusSquared;
      const bool enterRight = _rpCollisionBoxDistanceSquared(&right.box, &sphere->center) <= radiusSquared;
      if (enterLeft && enterRight) {
        if (numPending == kSectorStackSize) {
          return nullptr;
        }
        pending[numPending++] = right;
      }
      current = enterLeft ? left : right;
      have = enterLeft || enterRight;
      continue;
    }
    if (have && callBack(AsAtomic(current.sector), data) == nullptr) {
      return nullptr;
    }
    if (numPending == 0) {
      return world;
    }
    current = pending[--numPending];
    have = true;
  }
}
