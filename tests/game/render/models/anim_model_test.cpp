// Tests of animated models on skeletons built in code: root motion taken
// out of forged animations, the frame's movement in the three playing
// states, passed times around a wrap, phases, blends that must change
// nothing, and animations of no length.
#include "game/render/models/anim_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/game/render/expect_v3d.h"
#include "tests/game/render/models/anim_fixture.h"

namespace {

constexpr int kNodes = 4;

RwV3d FramePosition(const cAnimModel& model) { return RwFrameGetMatrix(model.GetFrame())->pos; }

// The world matrix of the model's last node.
RwMatrix NodeMatrix(const cAnimModel& model, int node) {
  return *RwFrameGetLTM(model.GetHierarchy()->pNodeInfo[node].pFrame);
}

void ExpectSameMatrix(const RwMatrix& expected, const RwMatrix& actual) {
  ExpectV3d(expected.right, actual.right, 1e-4f);
  ExpectV3d(expected.up, actual.up, 1e-4f);
  ExpectV3d(expected.at, actual.at, 1e-4f);
  ExpectV3d(expected.pos, actual.pos, 1e-4f);
}

class AnimModelTest : public AnimModelEngineTest {
 protected:
  // Slot 0 walks 2 units along z in 1 s (two root keys), slot 1 walks
  // 1, then 0.5 more, in 1 s (three keys), slots 2 and 4 bend the chain in
  // 0.5 s, slot 3 adds nothing for 0.5 s (an overlay).
  void SetUp() override {
    AnimModelEngineTest::SetUp();
    Fill(&mTable, {Animation(RootWalk(kNodes, {{0.0f, {0, 0, 0}}, {1.0f, {0, 0, 2}}})),
                   Animation(RootWalk(kNodes, {{0.0f, {0, 0, 0}}, {0.5f, {0, 0, 1}}, {1.0f, {0, 0, 1.5f}}})),
                   Animation(Bend(kNodes, 0.5f, 60.0)), Animation(RestAnimation(kNodes, 0.5f)),
                   Animation(Bend(kNodes, 0.5f, 60.0))});
  }

  // The pose of the last node of a model playing the slot at the time.
  RwMatrix PoseAt(u32 slot, f32 time) {
    cAnimModel plain(SkeletonClump(kNodes), &mTable, nullptr);
    plain.SetAnim(slot, time);
    plain.RefreshPose();
    return NodeMatrix(plain, kNodes - 1);
  }

  cAnimTable mTable;
};

TEST_F(AnimModelTest, RootMotionIsTakenOutOnce) {
  cAnimModel model(SkeletonClump(kNodes), &mTable, nullptr);
  ASSERT_EQ(2u, mTable[0].rootKeys.GetCount());
  ExpectV3d({0.0f, 0.0f, 2.0f}, mTable[0].rootVelocity);
  EXPECT_EQ(1.0f, mTable[0].rootKeys[1].time);
  EXPECT_EQ(2.0f, mTable[0].rootKeys[1].z);
  ASSERT_EQ(3u, mTable[1].rootKeys.GetCount());
  EXPECT_EQ(0.5f, mTable[1].rootKeys[1].time);
  EXPECT_EQ(1.0f, mTable[1].rootKeys[1].z);
  ExpectV3d({0.0f, 0.0f, 1.5f}, mTable[1].rootVelocity);
  ExpectV3d({0.0f, 0.0f, 0.0f}, mTable[2].rootVelocity);

  SCOPED_TRACE("the animation now plays in place");
  model.Update(0.75f);
  model.RefreshPose();
  EXPECT_FALSE(model.IsPoseStale());
  ExpectV3d({0.0f, 0.0f, 0.0f}, RwFrameGetMatrix(model.GetHierarchy()->pNodeInfo[0].pFrame)->pos);

  SCOPED_TRACE("a second model of the table takes nothing out again");
  mTable[1].rootKeys[2].z = 9.0f;
  cAnimModel second(SkeletonClump(kNodes), &mTable, nullptr);
  EXPECT_EQ(9.0f, mTable[1].rootKeys[2].z);
}

TEST_F(AnimModelTest, FrameMovesByRootMotionInEveryState) {
  {
    SCOPED_TRACE("two root keys: the velocity, in the model's own axes");
    cAnimModel model(SkeletonClump(kNodes), &mTable, nullptr);
    RwFrameRotate(model.GetFrame(), &kAxisY, 90.0f, kRwCombineReplace);  // its z is world x
    model.Update(0.25f);
    ExpectV3d({0.5f, 0.0f, 0.0f}, FramePosition(model));
    model.SetSpeed(2.0f);
    model.Update(0.25f);
    ExpectV3d({1.5f, 0.0f, 0.0f}, FramePosition(model));
  }
  {
    SCOPED_TRACE("a root track, across the wrap");
    cAnimModel model(SkeletonClump(kNodes), &mTable, nullptr);
    model.SetAnim(1, 0.0f);
    model.Update(0.25f);  // P(0.25) = 0.5
    ExpectV3d({0.0f, 0.0f, 0.5f}, FramePosition(model));
    model.Update(0.5f);  // P(0.75) = 1.25
    ExpectV3d({0.0f, 0.0f, 1.25f}, FramePosition(model));
    model.Update(0.5f);  // to the end (1.5), then from the start to P(0.25)
    ExpectV3d({0.0f, 0.0f, 2.0f}, FramePosition(model));
    EXPECT_FLOAT_EQ(0.25f, model.GetCurrentTime());
  }
  {
    SCOPED_TRACE("an overlay: the velocity of the animation below");
    cAnimModel model(SkeletonClump(kNodes), &mTable, nullptr);
    model.StartTransition(2);
    EXPECT_EQ(kAnimOverlay, model.GetCurrentIndex());
    model.Update(0.25f);
    model.Update(0.25f);  // the overlay reaches its end
    ExpectV3d({0.0f, 0.0f, 1.0f}, FramePosition(model));
    EXPECT_EQ(kAnimOverlay, model.GetCurrentIndex());
    model.Update(0.25f);  // ends it without moving
    EXPECT_EQ(0u, model.GetCurrentIndex());
    EXPECT_EQ(kAnimOverlay, model.GetPreviousIndex());
    EXPECT_TRUE(model.HasWrapped());
    ExpectV3d({0.0f, 0.0f, 1.0f}, FramePosition(model));
    EXPECT_FLOAT_EQ(0.5f, model.GetCurrentTime());
  }
  {
    SCOPED_TRACE("a cross-fade: the blend of both velocities, unscaled by the speed");
    cAnimModel model(SkeletonClump(kNodes), &mTable, nullptr);
    model.SetSpeed(2.0f);
    EXPECT_EQ(kAnimCrossFade, model.BlendToAnim(1, true, 0.0f, 1.0f));
    model.Update(0.25f);  // w = 0.5: 0.5 x 1.5 + 0.5 x 2 units a second for 0.25 s
    ExpectV3d({0.0f, 0.0f, 0.4375f}, FramePosition(model), 1e-4f);
    model.Update(0.25f);  // w = 1: ends at the target's time 1.0 wrapped
    ExpectV3d({0.0f, 0.0f, 0.8125f}, FramePosition(model), 1e-4f);
    EXPECT_EQ(1u, model.GetCurrentIndex());
    EXPECT_EQ(kAnimCrossFade, model.GetPreviousIndex());
    EXPECT_FLOAT_EQ(0.0f, model.GetCurrentTime());
    model.BlendToAnim(0, false, 0.0f, 1.0f);
    model.Update(0.25f);
    ExpectV3d({0.0f, 0.0f, 0.8125f}, FramePosition(model), 1e-4f);
  }
}

TEST_F(AnimModelTest, PassedTimesAroundAWrap) {
  cAnimModel model(SkeletonClump(kNodes), &mTable, nullptr);
  model.Update(0.3f);
  EXPECT_FALSE(model.HasWrapped());
  model.Update(0.3f);
  EXPECT_TRUE(model.HasPassedTime(0.5f));
  EXPECT_FALSE(model.HasPassedTime(0.7f));
  EXPECT_FALSE(model.HasPassedTime(-1.0f));
  // The finished flag comes an update early: one more of this length ends
  // the animation, so a one-shot can be left before it starts again.
  EXPECT_FALSE(model.HasWrapped());
  model.Update(0.6f);  // 0.6 to 0.2, through the end
  EXPECT_TRUE(model.HasWrapped());
  EXPECT_TRUE(model.HasPassedTime(0.0f));
  EXPECT_TRUE(model.HasPassedTime(0.1f));
  EXPECT_TRUE(model.HasPassedTime(0.9f));
  EXPECT_FALSE(model.HasPassedTime(0.5f));
  EXPECT_FALSE(model.HasPassedTime(-0.1f));
  model.Update(0.5f);  // 0.7: the next update of this length ends it
  EXPECT_TRUE(model.HasWrapped());
  model.Update(0.1f);
  EXPECT_FALSE(model.HasWrapped());
  model.BlendToAnim(1, false, 0.0f, -1.0f);
  EXPECT_FALSE(model.HasPassedTime(0.5f));
}

TEST_F(AnimModelTest, PhasesFollowThePlayingAnimation) {
  cAnimModel model(SkeletonClump(kNodes), &mTable, nullptr);
  model.Update(0.25f);
  EXPECT_FLOAT_EQ(0.25f, model.GetAnimPhase());
  model.StartTransition(3);
  model.Update(0.25f);
  EXPECT_FLOAT_EQ(0.5f, model.GetAnimPhase());  // the animation below the overlay
  model.BlendToAnimInPhase(2, false, 0.2f);     // half-way into a 0.5 s animation
  EXPECT_EQ(0.0f, model.GetAnimPhase());
  EXPECT_FLOAT_EQ(0.25f, model.GetTargetTime());
  EXPECT_EQ(0.2f, model.GetBlendDuration());
  model.BlendToAnimInPhase(1, false, 0.2f);  // ignored during a cross-fade
  EXPECT_EQ(2u, model.GetTargetIndex());
}

TEST_F(AnimModelTest, BlendsThatMustChangeNothing) {
  cPropertyFile file;
  const char text[] = "[man]\nGLOBAL_BLEND_TIME = 0.4\nSTART_ANIM_INDEX = 2\nGLOBAL_ANIM_SPEED = 0.5\n";
  cString buffer(static_cast<u32>(sizeof(text) - 1));
  memcpy(buffer.SharedData(), text, sizeof(text) - 1);
  file.ParseText(buffer);
  cAnimModel model(SkeletonClump(kNodes), &mTable, file.FindGroup("man"));
  EXPECT_EQ(2u, model.GetCurrentIndex());
  EXPECT_EQ(0.4f, model.GetGlobalBlendTime());
  EXPECT_EQ(0.5f, model.GetSpeed());
  model.Update(0.2f);
  model.RefreshPose();
  ExpectSameMatrix(PoseAt(2, 0.1f), NodeMatrix(model, kNodes - 1));

  SCOPED_TRACE("to the animation playing, or to the state codes");
  EXPECT_EQ(2u, model.BlendToAnim(2, true, 0.3f, 0.1f));
  EXPECT_EQ(2u, model.BlendToAnim(kAnimCrossFade, true, 0.3f, 0.1f));
  EXPECT_EQ(2u, model.BlendToAnim(77, true, 0.3f, 0.1f));
  model.StartTransition(2);
  model.SetAnim(40, 0.0f);
  EXPECT_EQ(2u, model.GetCurrentIndex());
  EXPECT_FLOAT_EQ(0.1f, model.GetCurrentTime());
  EXPECT_FALSE(model.IsPoseStale());

  SCOPED_TRACE("an overlay of a pose at rest");
  model.StartTransition(3);
  model.Update(0.2f);
  model.RefreshPose();
  const RwMatrix bent = PoseAt(2, 0.2f);
  ExpectSameMatrix(bent, NodeMatrix(model, kNodes - 1));
  EXPECT_GT(std::fabs(bent.pos.z - PoseAt(2, 0.1f).pos.z), 0.01f);  // the pose did move on
  model.StartTransition(1);                                         // ignored while the overlay plays
  EXPECT_EQ(3u, model.GetTargetIndex());

  SCOPED_TRACE("a cross-fade between two equal poses");
  model.BlendToAnim(4, false, 0.2f, -1.0f);  // from the time the overlaid animation has reached
  EXPECT_EQ(0.4f, model.GetBlendDuration());
  model.Update(0.2f);
  model.RefreshPose();
  ExpectSameMatrix(PoseAt(2, 0.3f), NodeMatrix(model, kNodes - 1));
  EXPECT_FLOAT_EQ(0.1f / 0.4f + 1e-7f / 0.4f, model.GetBlendTime() / model.GetBlendDuration());

  SCOPED_TRACE("a blend time of 0 is used as it is: the next update ends it");
  model.BlendToAnim(2, false, 0.0f, 0.0f);
  EXPECT_EQ(0.0f, model.GetBlendDuration());
  model.Update(0.04f);
  EXPECT_EQ(2u, model.GetCurrentIndex());
  model.RefreshPose();
  ExpectSameMatrix(PoseAt(2, 0.0f), NodeMatrix(model, kNodes - 1));
}

// A model whose start animation is missing from its table plays nothing;
// a blend then has no pose to start from and takes its animation at once.
TEST_F(AnimModelTest, ABlendFromNoAnimationTakesItsTargetAtOnce) {
  cAnimTable table;
  Fill(&table, {nullptr, mTable[1].animation, mTable[2].animation});
  cAnimModel model(SkeletonClump(kNodes), &table, nullptr);
  ASSERT_EQ(0u, model.GetCurrentIndex());
  EXPECT_EQ(2u, model.BlendToAnim(2, true, 0.7f, 0.3f));
  EXPECT_FLOAT_EQ(0.2f, model.GetCurrentTime());  // 0.7 s wrapped into the 0.5 s animation
  model.Update(0.1f);
  model.RefreshPose();
  ExpectSameMatrix(PoseAt(2, 0.3f), NodeMatrix(model, kNodes - 1));
}

TEST_F(AnimModelTest, AnimationsOfNoLengthStayAtTheirStart) {
  RtAnimAnimation* still = Animation(RootWalk(kNodes, {{0.0f, {0, 0, 0}}, {1.0f, {0, 0, 3}}}));
  still->duration = 0.0f;
  mTable[3].animation = still;
  cAnimModel model(SkeletonClump(kNodes), &mTable, nullptr);
  EXPECT_EQ(1u, mTable[3].rootKeys.GetCount());
  ExpectV3d({0.0f, 0.0f, 0.0f}, mTable[3].rootVelocity);
  model.SetAnim(3, 0.3f);
  EXPECT_EQ(0.0f, model.GetCurrentTime());
  model.Update(0.5f);
  model.Update(0.5f);
  EXPECT_EQ(0.0f, model.GetCurrentTime());
  EXPECT_EQ(0.0f, model.GetAnimPhase());
  ExpectV3d({0.0f, 0.0f, 0.0f}, FramePosition(model));
  model.RefreshPose();

  SCOPED_TRACE("as an overlay it ends at once, as a target it plays from 0");
  model.SetAnim(0, 0.0f);
  model.StartTransition(3);
  model.Update(0.1f);
  EXPECT_EQ(0u, model.GetCurrentIndex());
  model.BlendToAnimInPhase(3, true, 0.1f);
  EXPECT_EQ(0.0f, model.GetTargetTime());
  model.Update(0.2f);
  EXPECT_EQ(3u, model.GetCurrentIndex());
  EXPECT_EQ(0.0f, model.GetCurrentTime());
}

}  // namespace
