// Interpolators playing forged animations: poses at chosen times, wrapping at
// the duration, time and loop callbacks, stepping back, and combining.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/anim_engine.h"

namespace {

constexpr RwReal kTolerance = 2e-6f;

// Three nodes over two seconds. Node 0 turns about z from 0 to 90 to 180
// degrees while moving 4 along x; node 1 turns 90 degrees about x; node 2
// turns 60 degrees about y by 0.5 s and then only moves.
ForgeAnimation Chain() {
  ForgeAnimation animation;
  animation.duration = 2.0f;
  animation.nodes = {
      {MakeKey(0.0f, kNoRotation, {0, 0, 0}), MakeKey(1.0f, AxisAngle(kAxisZ, 90), {2, 0, 0}),
       MakeKey(2.0f, AxisAngle(kAxisZ, 180), {4, 0, 0})},
      {MakeKey(0.0f, kNoRotation, {1, 0, 0}), MakeKey(2.0f, AxisAngle(kAxisX, 90), {1, 0, 0})},
      {MakeKey(0.0f, kNoRotation, {0, 1, 0}), MakeKey(0.5f, AxisAngle(kAxisY, 60), {0, 1, 0}),
       MakeKey(2.0f, AxisAngle(kAxisY, 60), {0, 2, 0})},
  };
  return animation;
}

struct Pose {
  RtQuat q;
  RwV3d t;
};

// The chain's poses by hand: rotations about one axis interpolate their angle.
std::vector<Pose> ChainPose(double time) {
  const double node0 = time <= 1.0 ? 90.0 * time : 90.0 + 90.0 * (time - 1.0);
  const double node2 = time <= 0.5 ? 120.0 * time : 60.0;
  const RwReal node2Height = time <= 0.5 ? 1.0f : static_cast<RwReal>(1.0 + (time - 0.5) / 1.5);
  return {{AxisAngle(kAxisZ, node0), {static_cast<RwReal>(2.0 * time), 0, 0}},
          {AxisAngle(kAxisX, 45.0 * time), {1, 0, 0}},
          {AxisAngle(kAxisY, node2), {0, node2Height, 0}}};
}

RpHAnimInterpFrame* Slot(const RtAnimInterpolator* interpolator, RwInt32 node) {
  return reinterpret_cast<RpHAnimInterpFrame*>(RtAnimInterpolatorGetSlot(interpolator, node));
}

void ExpectPose(const RtAnimInterpolator* interpolator, const std::vector<Pose>& pose) {
  for (size_t node = 0; node < pose.size(); node++) {
    SCOPED_TRACE(::testing::Message() << "node " << node);
    const RpHAnimInterpFrame* slot = Slot(interpolator, static_cast<RwInt32>(node));
    ExpectQuat(slot->q, pose[node].q, kTolerance);
    ExpectVector(slot->t, pose[node].t, kTolerance);
  }
}

// Two interpolators hold the same pose, slot by slot.
void ExpectSamePose(const RtAnimInterpolator* a, const RtAnimInterpolator* b) {
  ASSERT_EQ(a->numNodes, b->numNodes);
  for (RwInt32 node = 0; node < a->numNodes; node++) {
    SCOPED_TRACE(::testing::Message() << "node " << node);
    EXPECT_EQ(Slot(a, node)->keyFrame1, Slot(b, node)->keyFrame1);
    EXPECT_EQ(Slot(a, node)->keyFrame2, Slot(b, node)->keyFrame2);
    EXPECT_FLOAT_EQ(Slot(a, node)->q.real, Slot(b, node)->q.real);
    EXPECT_FLOAT_EQ(Slot(a, node)->t.x, Slot(b, node)->t.x);
    EXPECT_FLOAT_EQ(Slot(a, node)->t.y, Slot(b, node)->t.y);
  }
}

struct CallCounter {
  int calls = 0;
  bool keep = true;
};

RtAnimInterpolator* Count(RtAnimInterpolator* interpolator, void* data) {
  CallCounter* counter = static_cast<CallCounter*>(data);
  counter->calls++;
  return counter->keep ? interpolator : nullptr;
}

class InterpolatorTest : public AnimEngineTest {
 protected:
  void SetUp() override {
    AnimEngineTest::SetUp();
    animation_ = ForgeAnimationCreate(Chain());
    ASSERT_NE(animation_, nullptr);
  }
  void TearDown() override {
    for (RtAnimInterpolator* interpolator : interpolators_) {
      RtAnimInterpolatorDestroy(interpolator);
    }
    if (animation_ != nullptr) {
      RtAnimAnimationDestroy(animation_);
    }
    AnimEngineTest::TearDown();
  }

  // A chain player at the time, reached by one forward step from 0.
  RtAnimInterpolator* PlayerAt(RwReal time, RwInt32 nodes = 3) {
    RtAnimInterpolator* interpolator = RtAnimInterpolatorCreate(nodes, sizeof(RpHAnimStdKeyFrame));
    interpolators_.push_back(interpolator);
    EXPECT_TRUE(RtAnimInterpolatorSetCurrentAnim(interpolator, animation_));
    RtAnimInterpolatorAddTime(interpolator, time);
    return interpolator;
  }

  RtAnimAnimation* animation_ = nullptr;
  std::vector<RtAnimInterpolator*> interpolators_;
};

TEST_F(InterpolatorTest, PosesOfTheChainAtChosenTimes) {
  RtAnimInterpolator* player = PlayerAt(0.0f);
  RwReal now = 0.0f;
  for (RwReal time : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 1.5f, 1.875f, 2.0f}) {
    SCOPED_TRACE(::testing::Message() << "time " << time);
    RtAnimInterpolatorAddTime(player, time - now);
    now = time;
    EXPECT_FLOAT_EQ(player->currentTime, time);
    ExpectPose(player, ChainPose(time));
  }
}

TEST_F(InterpolatorTest, ArrivesAtTheDurationAndWrapsOnceACall) {
  RtAnimInterpolator* player = PlayerAt(0.0f);
  CallCounter loops;
  RtAnimInterpolatorSetAnimLoopCallBack(player, Count, &loops);

  RtAnimInterpolatorAddTime(player, 2.0f);
  EXPECT_FLOAT_EQ(player->currentTime, 2.0f);
  EXPECT_EQ(loops.calls, 0);
  ExpectPose(player, ChainPose(2.0));

  RtAnimInterpolatorAddTime(player, 0.5f);
  EXPECT_FLOAT_EQ(player->currentTime, 0.5f);
  EXPECT_EQ(loops.calls, 1);
  ExpectPose(player, ChainPose(0.5));

  // Three and a half durations in one call: one loop callback.
  RtAnimInterpolatorAddTime(player, 7.0f);
  EXPECT_FLOAT_EQ(player->currentTime, 1.5f);
  EXPECT_EQ(loops.calls, 2);
  ExpectPose(player, ChainPose(1.5));

  // Steps of nothing, or backwards, do nothing.
  RtAnimInterpolatorAddTime(player, 0.0f);
  RtAnimInterpolatorAddTime(player, -1.0f);
  EXPECT_FLOAT_EQ(player->currentTime, 1.5f);
}

TEST_F(InterpolatorTest, TimeCallBackRunsWhenCrossedUntilItRemovesItself) {
  RtAnimInterpolator* player = PlayerAt(0.0f);
  CallCounter crossings;
  RtAnimInterpolatorSetAnimCallBack(player, Count, 1.0f, &crossings);
  const struct {
    RwReal dt;
    int calls;
  } steps[] = {{0.5f, 0}, {0.5f, 1}, {0.5f, 1}, {1.0f, 1}, {0.5f, 2}, {3.5f, 3}};
  for (const auto& step : steps) {
    SCOPED_TRACE(::testing::Message() << "to " << player->currentTime + step.dt);
    RtAnimInterpolatorAddTime(player, step.dt);
    EXPECT_EQ(crossings.calls, step.calls);
  }

  RtAnimInterpolatorSetCurrentTime(player, 1.25f);
  EXPECT_EQ(crossings.calls, 4);

  // Backwards across the time counts too; a callback returning null is gone.
  crossings.keep = false;
  RtAnimInterpolatorSubtractTime(player, 0.5f);
  EXPECT_EQ(crossings.calls, 5);
  EXPECT_EQ(player->pAnimCallBack, nullptr);
  EXPECT_FLOAT_EQ(player->animCallBackTime, -1.0f);
  RtAnimInterpolatorAddTime(player, 1.0f);
  EXPECT_EQ(crossings.calls, 5);
}

TEST_F(InterpolatorTest, SteppingBackMatchesPlayingForwardAndRebindsAfterwards) {
  RtAnimInterpolator* player = PlayerAt(1.75f);
  RtAnimInterpolatorSetCurrentTime(player, 0.25f);
  EXPECT_EQ(player->pNextFrame, nullptr);
  ExpectSamePose(player, PlayerAt(0.25f));
  ExpectPose(player, ChainPose(0.25));

  RtAnimInterpolatorAddTime(player, 1.0f);
  ExpectSamePose(player, PlayerAt(1.25f));

  // Back past 0: wraps from the end, calling the loop callback once.
  CallCounter loops;
  RtAnimInterpolatorSetAnimLoopCallBack(player, Count, &loops);
  RtAnimInterpolatorSubtractTime(player, 1.5f);
  EXPECT_FLOAT_EQ(player->currentTime, 1.75f);
  EXPECT_EQ(loops.calls, 1);
  ExpectPose(player, ChainPose(1.75));
}

// The chain has 8 keys: five nodes would need 10.
TEST_F(InterpolatorTest, BindingRefusesAnimationsTheSlotsCannotHold) {
  RtAnimInterpolator* tooManyNodes = RtAnimInterpolatorCreate(5, sizeof(RpHAnimStdKeyFrame));
  interpolators_.push_back(tooManyNodes);
  EXPECT_FALSE(RtAnimInterpolatorSetCurrentAnim(tooManyNodes, animation_));
  EXPECT_EQ(tooManyNodes->pCurrentAnim, nullptr);

  RtAnimInterpolator* smallKeys = RtAnimInterpolatorCreate(3, sizeof(RtAnimInterpFrameHeader));
  interpolators_.push_back(smallKeys);
  EXPECT_FALSE(RtAnimInterpolatorSetCurrentAnim(smallKeys, animation_));
  EXPECT_FALSE(RtAnimInterpolatorSetKeyFrameCallBacks(smallKeys, kRpHAnimStdKeyFrameTypeId));
  TakeError();

  EXPECT_FALSE(RtAnimInterpolatorSetKeyFrameCallBacks(smallKeys, 7));
  ExpectError(kRtAnimPluginId, kRtAnimErrUnknownType);
  EXPECT_EQ(RtAnimInterpolatorCreate(-1, sizeof(RpHAnimStdKeyFrame)), nullptr);
  EXPECT_EQ(RtAnimInterpolatorCreate(2, 8), nullptr);
}

TEST_F(InterpolatorTest, CopiesBlendsAndAddsSlotBySlot) {
  RtAnimInterpolator* start = PlayerAt(0.0f);
  RtAnimInterpolator* middle = PlayerAt(1.0f);
  RtAnimInterpolator* out = RtAnimInterpolatorCreate(3, sizeof(RpHAnimStdKeyFrame));
  interpolators_.push_back(out);
  ASSERT_TRUE(RtAnimInterpolatorSetKeyFrameCallBacks(out, kRpHAnimStdKeyFrameTypeId));

  // Halfway between the poses at 0 and 1 s: node 2 does not turn evenly, so
  // only nodes 0 and 1 hold the pose at 0.5 s.
  ASSERT_TRUE(RtAnimInterpolatorBlend(out, start, middle, 0.5f));
  std::vector<Pose> halfway = ChainPose(0.5);
  halfway.pop_back();
  ExpectPose(out, halfway);

  ASSERT_TRUE(RtAnimInterpolatorAddTogether(out, middle, middle));
  const RpHAnimInterpFrame* node0 = Slot(out, 0);
  ExpectQuat(node0->q, AxisAngle(kAxisZ, 180), kTolerance);
  EXPECT_FLOAT_EQ(node0->t.x, 4.0f);

  ASSERT_TRUE(RtAnimInterpolatorCopy(out, middle));
  ExpectSamePose(out, middle);

  // Inputs with fewer nodes than the output are refused.
  RtAnimInterpolator* small = PlayerAt(0.0f, 2);
  EXPECT_FALSE(RtAnimInterpolatorCopy(out, small));
  EXPECT_FALSE(RtAnimInterpolatorBlend(out, start, small, 0.5f));
  EXPECT_FALSE(RtAnimInterpolatorAddTogether(out, small, start));
  EXPECT_TRUE(RtAnimInterpolatorCopy(small, out));
}

// A block out of player order: the key after the first two of every node
// names a previous key that no slot waits for. The advance stops there
// instead of searching without end, and stepping back stops at a previous
// key that does not lie earlier in the block.
TEST_F(InterpolatorTest, KeysOutOfOrderEndTheAdvance) {
  std::vector<RpHAnimStdKeyFrame> keys(5);
  for (RpHAnimStdKeyFrame& key : keys) {
    key = {};
    key.q.real = 1.0f;
  }
  keys[0].time = 0.0f;  // node 0
  keys[1].time = 0.0f;  // node 1
  keys[2].time = 1.0f;
  keys[2].prevFrame = &keys[0];
  keys[3].time = 1.0f;
  keys[3].prevFrame = &keys[4];  // a later key
  keys[4].time = 2.0f;
  keys[4].prevFrame = &keys[0];  // no slot's newer key
  RtAnimAnimation animation = {RtAnimGetKeyFrameType(kRpHAnimStdKeyFrameTypeId), 5, 0, 2.0f, keys.data()};
  RtAnimInterpolator* player = RtAnimInterpolatorCreate(2, sizeof(RpHAnimStdKeyFrame));
  interpolators_.push_back(player);
  ASSERT_TRUE(RtAnimInterpolatorSetCurrentAnim(player, &animation));

  RtAnimInterpolatorAddTime(player, 1.5f);
  EXPECT_EQ(player->pNextFrame, &keys[4]);
  EXPECT_EQ(Slot(player, 0)->keyFrame2, &keys[2]);

  Slot(player, 1)->keyFrame1 = &keys[3];
  RtAnimInterpolatorSubtractTime(player, 1.0f);
  EXPECT_EQ(Slot(player, 1)->keyFrame1, &keys[3]);
}

}  // namespace
