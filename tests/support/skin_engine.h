// Engine fixture and helpers for tests of skins: the engine started with the
// world module, the animation toolkit, hierarchical animation and the skin
// plugin attached, and what a game does to pose a skinned clump (find the
// hierarchy on its frames, bind it, give it to every skinned atomic).
#pragma once

#include <gtest/gtest.h>

#include "tests/support/started_engine.h"
#include "tools/forge/forge.h"

inline bool AttachSkinPlugins() {
  return RpWorldPluginAttach() && RtAnimPluginAttach() && RpHAnimPluginAttach() && RpSkinPluginAttach();
}

class SkinEngineTest : public StartedEngineTest {
 protected:
  void SetUp() override { StartEngine(AttachSkinPlugins); }
};

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
        if (RpSkinGeometryGetSkin(RpAtomicGetGeometry(atomic)) != nullptr) {
          RpSkinAtomicSetHAnimHierarchy(atomic, static_cast<RpHAnimHierarchy*>(data));
        }
        return atomic;
      },
      hierarchy);
  return hierarchy;
}

// Plays the animation on the hierarchy at the time and updates its matrices.
inline bool PoseHierarchy(RpHAnimHierarchy* hierarchy, RtAnimAnimation* animation, RwReal time) {
  return RtAnimInterpolatorSetCurrentAnim(hierarchy->currentAnim, animation) &&
         RtAnimInterpolatorSetCurrentTime(hierarchy->currentAnim, time) && RpHAnimHierarchyUpdateMatrices(hierarchy);
}
