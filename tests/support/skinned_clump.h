// What a game does to pose a skinned clump, for tests and fuzz targets:
// find the hierarchy on its frames, bind it to them and give it to every
// atomic whose geometry has a skin.
#pragma once

#include "engine/engine.h"

// The first hierarchy on the frame or below it, depth first.
inline RpHAnimHierarchy* FindHierarchy(RwFrame* frame) {
  if (RpHAnimHierarchy* own = RpHAnimFrameGetHierarchy(frame)) {
    return own;
  }
  RpHAnimHierarchy* found = nullptr;
  RwFrameForAllChildren(
      frame,
      [](RwFrame* child, void* data) -> RwFrame* {
        *static_cast<RpHAnimHierarchy**>(data) = FindHierarchy(child);
        return *static_cast<RpHAnimHierarchy**>(data) != nullptr ? nullptr : child;
      },
      &found);
  return found;
}

// Binds the clump's hierarchy to its frames, gives it standard keys and
// hands it to every atomic with a skinned geometry; the hierarchy, or null.
inline RpHAnimHierarchy* PrepareSkinnedClump(RpClump* clump) {
  RpHAnimHierarchy* hierarchy = FindHierarchy(RpClumpGetFrame(clump));
  if (hierarchy == nullptr || RpHAnimHierarchyAttach(hierarchy) == nullptr) {
    return nullptr;
  }
  RtAnimInterpolatorSetKeyFrameCallBacks(hierarchy->currentAnim, kRpHAnimStdKeyFrameTypeId);
  RpClumpForAllAtomics(
      clump,
      [](RpAtomic* atomic, void* data) {
        const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        if (geometry != nullptr && RpSkinGeometryGetSkin(geometry) != nullptr) {
          RpSkinAtomicSetHAnimHierarchy(atomic, static_cast<RpHAnimHierarchy*>(data));
        }
        return atomic;
      },
      hierarchy);
  return hierarchy;
}
