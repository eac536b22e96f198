// Walks of a world's BSP tree with fixed explicit stacks. The reader refuses
// trees deeper than kRpWorldMaxPlaneDepth planes, and a walk holds at most
// one pending subtree per plane on its path, so the stacks never fill.
#pragma once

#include "engine/world/world.h"

constexpr RwInt32 kRpWorldWalkStackSize = kRpWorldMaxPlaneDepth + 1;

// Subtrees (with what a walk carries along) waiting to be visited.
template <typename Entry>
struct RpSectorStack {
  Entry entries[kRpWorldWalkStackSize];
  RwInt32 count = 0;

  // False, with nothing pushed, when full.
  RwBool Push(const Entry& entry) {
    if (count == kRpWorldWalkStackSize) {
      return FALSE;
    }
    entries[count++] = entry;
    return TRUE;
  }
  RwBool Pop(Entry* entry) {
    if (count == 0) {
      return FALSE;
    }
    *entry = entries[--count];
    return TRUE;
  }
};

inline RwBool RpSectorIsAtomic(const RpSector* sector) { return sector->type < 0; }
inline RpWorldSector* RpSectorAsAtomic(RpSector* sector) { return reinterpret_cast<RpWorldSector*>(sector); }
inline RpPlaneSector* RpSectorAsPlane(RpSector* sector) { return reinterpret_cast<RpPlaneSector*>(sector); }
inline RpSector* RpSectorOf(RpWorldSector* sector) { return reinterpret_cast<RpSector*>(sector); }
inline RpSector* RpSectorOf(RpPlaneSector* sector) { return reinterpret_cast<RpSector*>(sector); }

// The vector's component on a plane sector's axis.
inline RwReal* RpAxisComponent(RwV3d* vector, RwInt32 axis) {
  return axis == rpSECTORPLANEX ? &vector->x : (axis == rpSECTORPLANEY ? &vector->y : &vector->z);
}
inline RwReal RpAxisComponent(const RwV3d& vector, RwInt32 axis) {
  return axis == rpSECTORPLANEX ? vector.x : (axis == rpSECTORPLANEY ? vector.y : vector.z);
}

// Calls visit(sector) for each atomic sector that the box reaches, until it
// returns false. At a plane the left child is taken when the box's minimum
// lies below the left value and the right child when its maximum lies above
// the right value; a box that reaches neither (flat on a shared plane) goes
// to the right child, so that every box finds a sector.
template <typename Visit>
void RpWorldForAllSectorsInBox(RpSector* root, const RwBBox& box, Visit visit) {
  RpSectorStack<RpSector*> pending;
  RpSector* sector = root;
  while (sector != nullptr) {
    if (RpSectorIsAtomic(sector)) {
      if (!visit(RpSectorAsAtomic(sector)) || !pending.Pop(&sector)) {
        return;
      }
      continue;
    }
    const RpPlaneSector* plane = RpSectorAsPlane(sector);
    const RwBool left = RpAxisComponent(box.inf, plane->type) < plane->leftValue;
    const RwBool right = RpAxisComponent(box.sup, plane->type) > plane->rightValue;
    if (left && right) {
      pending.Push(plane->rightSubTree);
      sector = plane->leftSubTree;
    } else {
      sector = left ? plane->leftSubTree : plane->rightSubTree;
    }
  }
}
