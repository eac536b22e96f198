// Engine fixture and helpers for tests of skins: the engine started with the
// world module, the animation toolkit, hierarchical animation, the skin
// plugin and material effects attached, and posing a hierarchy by an animation.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/anim_engine.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/first_atomic.h"
#include "tests/support/skinned_clump.h"
#include "tools/forge/forge_bytes.h"

// In the game's order: skins after animation, material effects after skins.
inline bool AttachSkinPlugins() {
  return RpWorldPluginAttach() && AttachAnimationPlugins() && RpSkinPluginAttach() && RpMatFXPluginAttach();
}

// A vertex's four bone indices packed into one word, the first in the lowest byte.
inline RwUInt32 Bones(RwUInt8 b0, RwUInt8 b1, RwUInt8 b2, RwUInt8 b3) {
  return static_cast<RwUInt32>(b0) | static_cast<RwUInt32>(b1) << 8 | static_cast<RwUInt32>(b2) << 16 |
         static_cast<RwUInt32>(b3) << 24;
}

class SkinEngineTest : public StartedEngineTest {
 protected:
  void SetUp() override { StartEngine(AttachSkinPlugins); }
};

// Plays the animation on the hierarchy at the time and updates its matrices.
inline bool PoseHierarchy(RpHAnimHierarchy* hierarchy, RtAnimAnimation* animation, RwReal time) {
  return RtAnimInterpolatorSetCurrentAnim(hierarchy->currentAnim, animation) &&
         RtAnimInterpolatorSetCurrentTime(hierarchy->currentAnim, time) && RpHAnimHierarchyUpdateMatrices(hierarchy);
}

// The clump chunk in the bytes, read; null when there is none or it fails.
inline RpClump* ReadClumpBytes(const std::vector<uint8_t>& bytes) {
  return ForgeReadChunk(bytes, kRwChunkClump, RpClumpStreamRead);
}
