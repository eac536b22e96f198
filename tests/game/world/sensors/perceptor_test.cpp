// Perceptors over body doubles: an eye at the origin looking along +z, a
// wall across z = 10 between x = 2 and x = 4 that blocks sight and range
// queries but lets sound through when no-hear atomics are passed over.
#include "game/world/sensors/perceptor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "game/characters/man_body.h"
#include "game/render/collision/world_collision.h"
#include "tests/support/started_engine.h"

namespace {

class BodyDouble : public cManBody {
 public:
  BodyDouble(u32 kind, const RwV3d& position, f32 margin, f32 noise) : cManBody(kind), mFrame(RwFrameCreate()) {
    RwFrameTranslate(mFrame, &position, kRwCombineReplace);
    SetVisibilityMargin(margin);
    SetNoise(noise);
  }
  ~BodyDouble() override { RwFrameDestroy(mFrame); }
  RwFrame* GetFrame() const override { return mFrame; }
  RwFrame* mFrame;
};

// The wall is a no-hear atomic: mask 16 passes over it.
class WallCollision : public cWorldCollision {
 public:
  WallCollision() : cWorldCollision(nullptr, nullptr, 0) {}
  bool IntersectSegment(const tSegment3d& s, RwV3d*, RwV3d*, RpAtomic**, bool, bool, u32 mask, bool) override {
    queries++;
    if ((mask & kNoHearAtomicMask) != 0 || s.direction.z <= 0.0f) {
      return false;
    }
    const RwV3d hit = s.PointAt((10.0f - s.origin.z) / s.direction.z);
    return hit.z <= s.origin.z + s.length * s.direction.z && hit.x >= 2.0f && hit.x <= 4.0f;
  }
  int queries = 0;
};

class EyeDouble : public cPerceptor {
 public:
  RwFrame* GetPerceptorFrame() const override { return mFrame; }
  RwFrame* mFrame = nullptr;
};

struct Placed {
  u32 kind;
  RwV3d position;
  f32 margin, noise;
};

class PerceptorTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartedEngineTest::SetUp();
    mEye.mFrame = RwFrameCreate();
  }
  // The frames go before the engine does.
  void TearDown() override {
    mBodies.Clear();
    mDoubles.clear();
    RwFrameDestroy(mEye.mFrame);
    StartedEngineTest::TearDown();
  }
  // The eye sees 10 units within the cosine 0.8, hears 5 and ranges 8.
  void Place(const std::vector<Placed>& placed) {
    mBodies.Clear();
    mDoubles.clear();
    for (const auto& p : placed) {
      mDoubles.emplace_back(new BodyDouble(p.kind, p.position, p.margin, p.noise));
      mBodies.Append(&mDoubles.back()->GetBodyLink());
    }
    mEye.mSightRange = 10.0f;
    mEye.mCosineLimit = 0.8f;
    mEye.mHearingRange = 5.0f;
    mEye.mAreaRange = 8.0f;
    mEye.mCollision = &mWall;
    mEye.mBodies = &mBodies;
  }
  int IndexOf(const cManBody* body) const {
    const auto found =
        std::find_if(mDoubles.begin(), mDoubles.end(), [body](const auto& d) { return d.get() == body; });
    return found == mDoubles.end() ? -1 : static_cast<int>(found - mDoubles.begin());
  }

  WallCollision mWall;
  EyeDouble mEye;
  cList mBodies;
  std::vector<std::unique_ptr<BodyDouble>> mDoubles;
};

TEST_F(PerceptorTest, FindsTheFirstPassingBodyOfTheKind) {
  enum Query { kSee, kHear, kRange };
  struct Row {
    const char* what;
    Query query;
    std::vector<Placed> bodies;
    int found;
  };
  const Row rows[] = {
      {"sight limit not passing", kSee, {{2, {0, 0, 10}, 0, 0}}, -1},
      {"margin extends sight", kSee, {{2, {0, 0, 10}, 0.5f, 0}}, 0},
      {"cone edge not passing", kSee, {{2, {3, 0, 4}, 0, 0}}, -1},
      {"first in list, not nearest", kSee, {{2, {0, 0, 8}, 0, 0}, {2, {0, 0, 2}, 0, 0}}, 0},
      {"other kind skipped", kSee, {{3, {0, 0, 2}, 0, 0}, {2, {0, 0, 3}, 0, 0}}, 1},
      {"hidden skipped, later found", kSee, {{2, {3, 0, 11}, 5, 0}, {2, {-1, 0, 5}, 0, 0}}, 1},
      {"noise 0 never heard", kHear, {{2, {0, 0, 1}, 0, 0}}, -1},
      {"hearing limit not passing", kHear, {{2, {0, 0, 7}, 0, 2}}, -1},
      {"heard behind and through the wall", kHear, {{2, {0, 0, -6}, 0, 2}, {2, {3, 0, 11}, 0, 8}}, 0},
      {"heard through the wall", kHear, {{2, {3, 0, 11}, 0, 8}}, 0},
      {"range without cone", kRange, {{2, {0, 0, -7}, 9, 0}}, 0},
      {"range without margin", kRange, {{2, {0, 0, 8.5f}, 9, 0}}, -1},
      {"range blocked by the wall", kRange, {{2, {3, 0, 10.5f}, 0, 0}}, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Place(row.bodies);
    const cManBody* found = row.query == kSee    ? mEye.FindVisible(2)
                            : row.query == kHear ? mEye.FindAudible(2)
                                                 : mEye.FindInRange(2);
    EXPECT_EQ(row.found, IndexOf(found));
    if (row.query == kSee) {
      EXPECT_EQ(row.found >= 0, found != nullptr && mEye.CanSee(found));
    }
  }
}

TEST_F(PerceptorTest, DefaultConeSeesNothingAndCanSeeNeedsTheList) {
  Place({{2, {0, 0, 1}, 0, 0}});
  BodyDouble outside(2, RwV3d{0, 0, 1}, 0, 0);
  EXPECT_FALSE(mEye.CanSee(&outside));
  EXPECT_TRUE(mEye.CanSee(mDoubles[0].get()));
  mEye.mCosineLimit = 1.0f;
  EXPECT_EQ(nullptr, mEye.FindVisible(2));
}

}  // namespace
