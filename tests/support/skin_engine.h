// Engine fixture and helpers for tests of skins: the engine started with the
// world module, the animation toolkit, hierarchical animation and the skin
// plugin attached, and posing a hierarchy by an animation.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/anim_engine.h"
#include "tests/support/skinned_clump.h"

inline bool AttachSkinPlugins() { return RpWorldPluginAttach() && AttachAnimationPlugins() && RpSkinPluginAttach(); }

class SkinEngineTest : public StartedEngineTest {
 protected:
  void SetUp() override { StartEngine(AttachSkinPlugins); }
};

// Plays the animation on the hierarchy at the time and updates its matrices.
inline bool PoseHierarchy(RpHAnimHierarchy* hierarchy, RtAnimAnimation* animation, RwReal time) {
  return RtAnimInterpolatorSetCurrentAnim(hierarchy->currentAnim, animation) &&
         RtAnimInterpolatorSetCurrentTime(hierarchy->currentAnim, time) && RpHAnimHierarchyUpdateMatrices(hierarchy);
}
