// Shared pieces of the animated-model tests: the engine with the animation
// plugins and random numbers, skeleton clumps built in code, and forged
// animations whose root walks a known path.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "game/render/models/anim_model.h"
#include "game/render/models/atomic_plugin.h"
#include "tests/game/render/room_world.h"
#include "tests/support/anim_engine.h"

inline bool AttachAnimModelPlugins() {
  return RpWorldPluginAttach() && AttachAnimationPlugins() && RpRandomPluginAttach() && RegisterAtomicPlugin();
}

// A chain of nodes nodes one unit apart along +y lasting duration; every
// node but the root turns about x from 0 to degrees.
inline ForgeAnimation Bend(int nodes, RwReal duration, double degrees) {
  ForgeAnimation animation;
  animation.duration = duration;
  for (int i = 0; i < nodes; i++) {
    const RwV3d offset = {0.0f, i == 0 ? 0.0f : 1.0f, 0.0f};
    const RtQuat turned = i == 0 ? kNoRotation : AxisAngle(kAxisX, degrees);
    animation.nodes.push_back({MakeKey(0.0f, kNoRotation, offset), MakeKey(duration, turned, offset)});
  }
  return animation;
}

// A root key position at a time.
struct RootStep {
  RwReal time;
  RwV3d position;
};

// The unbent chain lasting the last step's time, its root passing through
// the steps.
inline ForgeAnimation RootWalk(int nodes, const std::vector<RootStep>& steps) {
  ForgeAnimation animation = Bend(nodes, steps.back().time, 0.0);
  animation.nodes[0].clear();
  for (const RootStep& step : steps) {
    animation.nodes[0].push_back(MakeKey(step.time, kNoRotation, step.position));
  }
  return animation;
}

class AnimModelEngineTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine(AttachAnimModelPlugins);
    RpRandomSeed(1);
  }
  void TearDown() override {
    mRoom.Release();
    for (RpClump* clump : mClumps) {
      RpClumpDestroy(clump);
    }
    for (RtAnimAnimation* animation : mAnimations) {
      RtAnimAnimationDestroy(animation);
    }
    StartedEngineTest::TearDown();
  }

  // A clump whose frame holds a chain of nodes frames one unit apart along
  // +y, ids 1 to nodes, the hierarchy on the first; destroyed by TearDown.
  RpClump* SkeletonClump(int nodes) {
    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    RpClumpSetFrame(clump, root);
    std::vector<RwUInt32> flags(nodes, 0);
    flags.back() = kRpHAnimPop;
    std::vector<RwInt32> ids;
    RwFrame* parent = root;
    RwFrame* first = nullptr;
    for (int i = 0; i < nodes; i++) {
      RwFrame* frame = RwFrameCreate();
      const RwV3d up = {0.0f, i == 0 ? 0.0f : 1.0f, 0.0f};
      RwFrameTranslate(frame, &up, kRwCombineReplace);
      RpHAnimFrameSetID(frame, i + 1);
      RwFrameAddChild(parent, frame);
      parent = frame;
      first = first == nullptr ? frame : first;
      ids.push_back(i + 1);
    }
    RpHAnimHierarchy* hierarchy =
        RpHAnimHierarchyCreate(nodes, flags.data(), ids.data(), 0, sizeof(RpHAnimStdKeyFrame));
    RpHAnimFrameSetHierarchy(first, hierarchy);
    mClumps.push_back(clump);
    return clump;
  }

  // The forged animation, destroyed by TearDown.
  RtAnimAnimation* Animation(const ForgeAnimation& forged) {
    RtAnimAnimation* animation = ForgeAnimationCreate(forged);
    EXPECT_NE(nullptr, animation);
    mAnimations.push_back(animation);
    return animation;
  }

  // A table of the animations in order.
  static void Fill(cAnimTable* table, const std::vector<RtAnimAnimation*>& animations) {
    table->Allocate(static_cast<u32>(animations.size()));
    for (size_t i = 0; i < animations.size(); i++) {
      (*table)[static_cast<u32>(i)].animation = animations[i];
    }
  }

  RoomWorld mRoom;

 private:
  std::vector<RpClump*> mClumps;
  std::vector<RtAnimAnimation*> mAnimations;
};
