// Tests of the sphere and capsule contact rules and segment hits against
// hand-computed values.
#include "game/render/collision/contact_rules.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/game/render/expect_v3d.h"

namespace {

// A capsule axis along y from the origin, 4 long.
const tSegment3d kAxis(RwV3d{0.0f, 0.0f, 0.0f}, RwV3d{0.0f, 4.0f, 0.0f});

TEST(ContactRulesTest, SphereAgainstSphere) {
  const RwV3d origin{0.0f, 0.0f, 0.0f};
  RwV3d point, normal;
  f32 depth = 0.0f;
  {
    SCOPED_TRACE("equal radii");
    EXPECT_TRUE(SphereSphereContact(origin, 1.0f, RwV3d{1.5f, 0.0f, 0.0f}, 1.0f, &point, &normal, &depth));
    ExpectV3d(RwV3d{0.75f, 0.0f, 0.0f}, point);
    ExpectV3d(RwV3d{-1.0f, 0.0f, 0.0f}, normal);
    EXPECT_FLOAT_EQ(0.5f, depth);
  }
  {
    SCOPED_TRACE("unequal radii: the middle of the overlap");
    depth = 0.0f;
    EXPECT_TRUE(SphereSphereContact(origin, 2.0f, RwV3d{0.0f, 2.0f, 0.0f}, 1.0f, &point, &normal, &depth));
    ExpectV3d(RwV3d{0.0f, 1.5f, 0.0f}, point);
    ExpectV3d(RwV3d{0.0f, -1.0f, 0.0f}, normal);
    EXPECT_FLOAT_EQ(1.0f, depth);
  }
  {
    SCOPED_TRACE("a deeper depth already there stays");
    depth = 0.7f;
    EXPECT_TRUE(SphereSphereContact(origin, 1.0f, RwV3d{1.5f, 0.0f, 0.0f}, 1.0f, &point, &normal, &depth));
    EXPECT_FLOAT_EQ(0.7f, depth);
    EXPECT_TRUE(SphereSphereContact(origin, 1.0f, RwV3d{1.5f, 0.0f, 0.0f}, 1.0f, &point, &normal, nullptr));
  }
  {
    SCOPED_TRACE("same centre");
    EXPECT_TRUE(SphereSphereContact(origin, 1.0f, origin, 0.5f, &point, &normal, nullptr));
    ExpectV3d(RwV3d{0.0f, 0.0f, 1.0f}, normal);
    ExpectV3d(RwV3d{0.0f, 0.0f, -0.25f}, point);
  }
  {
    SCOPED_TRACE("touching is no contact");
    EXPECT_FALSE(SphereSphereContact(origin, 1.0f, RwV3d{0.0f, 0.0f, 2.0f}, 1.0f, &point, &normal, nullptr));
  }
}

TEST(ContactRulesTest, CapsuleAgainstSphere) {
  RwV3d point, normal;
  f32 depth = 0.0f;
  EXPECT_TRUE(CapsuleSphereContact(kAxis, 0.5f, RwV3d{1.0f, 2.0f, 0.0f}, 0.7f, &point, &normal, &depth));
  ExpectV3d(RwV3d{0.4f, 2.0f, 0.0f}, point);
  ExpectV3d(RwV3d{-1.0f, 0.0f, 0.0f}, normal);
  EXPECT_NEAR(0.2f, depth, 1e-6f);

  EXPECT_TRUE(CapsuleSphereContact(kAxis, 0.5f, RwV3d{0.0f, 5.0f, 0.0f}, 0.7f, &point, &normal, nullptr));
  ExpectV3d(RwV3d{0.0f, 4.4f, 0.0f}, point);
  ExpectV3d(RwV3d{0.0f, -1.0f, 0.0f}, normal);

  EXPECT_FALSE(CapsuleSphereContact(kAxis, 0.5f, RwV3d{1.3f, 2.0f, 0.0f}, 0.7f, &point, &normal, nullptr));
}

TEST(ContactRulesTest, CapsuleAgainstCapsule) {
  RwV3d point, normal;
  f32 depth = 0.0f;
  {
    SCOPED_TRACE("crossing");
    tSegment3d other(RwV3d{-2.0f, 2.0f, 0.8f}, RwV3d{2.0f, 2.0f, 0.8f});
    EXPECT_TRUE(CapsuleCapsuleContact(kAxis, 0.5f, other, 0.5f, &point, &normal, &depth));
    ExpectV3d(RwV3d{0.0f, 2.0f, 0.4f}, point);
    ExpectV3d(RwV3d{0.0f, 0.0f, -1.0f}, normal);
    EXPECT_NEAR(0.2f, depth, 1e-6f);
  }
  {
    SCOPED_TRACE("parallel: the middle of the overlap");
    // The other axis covers y 2..8; the overlap with 0..4 is 2..4.
    tSegment3d other(RwV3d{0.8f, 2.0f, 0.0f}, RwV3d{0.8f, 8.0f, 0.0f});
    EXPECT_TRUE(CapsuleCapsuleContact(kAxis, 0.5f, other, 0.5f, &point, &normal, nullptr));
    ExpectV3d(RwV3d{0.4f, 3.0f, 0.0f}, point);
    ExpectV3d(RwV3d{-1.0f, 0.0f, 0.0f}, normal);
  }
  {
    SCOPED_TRACE("apart");
    tSegment3d other(RwV3d{-2.0f, 2.0f, 1.2f}, RwV3d{2.0f, 2.0f, 1.2f});
    EXPECT_FALSE(CapsuleCapsuleContact(kAxis, 0.5f, other, 0.5f, &point, &normal, nullptr));
  }
}

// A segment from p0 to p1 tested in one mode, and the hit expected.
struct SegmentCase {
  const char* name;
  RwV3d p0, p1;
  bool first;
  bool hits;
  RwV3d point, normal;
};

// Runs hit (p0, p1, point, normal, first) on every case; a miss leaves the
// out-values alone.
template <typename Hit>
void ExpectSegmentCases(const SegmentCase* cases, size_t count, Hit hit) {
  for (size_t i = 0; i < count; ++i) {
    const SegmentCase& c = cases[i];
    SCOPED_TRACE(c.name);
    RwV3d point{9.0f, 9.0f, 9.0f};
    RwV3d normal = point;
    EXPECT_EQ(c.hits, hit(c.p0, c.p1, &point, &normal, c.first));
    ExpectV3d(c.hits ? c.point : RwV3d{9.0f, 9.0f, 9.0f}, point);
    ExpectV3d(c.hits ? c.normal : RwV3d{9.0f, 9.0f, 9.0f}, normal);
  }
}

TEST(ContactRulesTest, SegmentAgainstSphere) {
  // A line 0.6 off the centre of the unit sphere enters at x = -0.8 and
  // leaves at 0.8.
  const RwV3d west{-3.0f, 0.6f, 0.0f}, east{3.0f, 0.6f, 0.0f}, inside{0.0f, 0.6f, 0.0f};
  const RwV3d entry{-0.8f, 0.6f, 0.0f}, exit{0.8f, 0.6f, 0.0f}, up{0.0f, 1.0f, 0.0f};
  const SegmentCase cases[] = {
      {"entry", west, east, true, true, entry, entry},
      {"middle of entry and exit", west, east, false, true, inside, up},
      {"from inside: the exit", inside, east, true, true, exit, exit},
      {"from inside, averaged: the exit", inside, east, false, true, exit, exit},
      {"ending inside, averaged: the entry", west, inside, false, true, entry, entry},
      {"short of it", west, {-2.0f, 0.6f, 0.0f}, true, false, {}, {}},
      {"beside it", {-3.0f, 1.2f, 0.0f}, {3.0f, 1.2f, 0.0f}, false, false, {}, {}},
  };
  ExpectSegmentCases(cases, sizeof(cases) / sizeof(cases[0]),
                     [](const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal, bool first) {
                       return SphereSegmentHit(RwV3d{0.0f, 0.0f, 0.0f}, 1.0f, p0, p1, point, normal, first);
                     });
}

TEST(ContactRulesTest, SegmentAgainstCapsule) {
  // The capsule of radius 1 around the axis y 0..4.
  const RwV3d west{-3.0f, 2.0f, 0.6f}, east{3.0f, 2.0f, 0.6f};
  const RwV3d below{0.5f, -3.0f, 0.0f}, above{0.5f, 7.0f, 0.0f};
  const f32 s = sqrtf(0.75f);  // a cap's half chord at 0.5 off the axis
  const RwV3d capEntry{0.5f, -s, 0.0f};
  const RwV3d top{0.0f, 7.0f, 0.0f}, middle{0.0f, 2.0f, 0.0f};
  const SegmentCase cases[] = {
      {"body entry", west, east, true, true, {-0.8f, 2.0f, 0.6f}, {-0.8f, 0.0f, 0.6f}},
      {"body entry and exit averaged", west, east, false, true, {0.0f, 2.0f, 0.6f}, {0.0f, 0.0f, 1.0f}},
      {"parallel to the axis: the start cap", below, above, true, true, capEntry, capEntry},
      {"parallel to the axis averaged: both caps", below, above, false, true, {0.5f, 2.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},
      {"down onto the end cap", top, middle, true, true, {0.0f, 5.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
      {"zero length inside the body", {0.5f, 2.0f, 0.0f}, {0.5f, 2.0f, 0.0f}, true, false, {}, {}},
      {"beside it", {-3.0f, 2.0f, 3.0f}, {3.0f, 2.0f, 3.0f}, false, false, {}, {}},
      // Across the seams between the body and a cap, and through a cap.
      {"across the upper seam", {-3.0f, 4.0f, 0.0f}, {3.0f, 4.0f, 0.0f}, true, true, {-1.0f, 4.0f, 0.0f},
       {-1.0f, 0.0f, 0.0f}},
      {"across the lower seam", {-3.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 0.0f}, true, true, {-1.0f, 0.0f, 0.0f},
       {-1.0f, 0.0f, 0.0f}},
      {"through the lower cap", {-3.0f, -0.5f, 0.0f}, {3.0f, -0.5f, 0.0f}, true, true, {-s, -0.5f, 0.0f},
       {-s, -0.5f, 0.0f}},
  };
  ExpectSegmentCases(cases, sizeof(cases) / sizeof(cases[0]),
                     [](const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal, bool first) {
                       return CapsuleSegmentHit(kAxis, 1.0f, p0, p1, point, normal, first);
                     });
}

TEST(ContactRulesTest, ContactDepths) {
  EXPECT_FLOAT_EQ(0.2f, SphereContactDepth(RwV3d{1.0f, 0.0f, 0.0f}, 0.5f, RwV3d{1.0f, 0.3f, 0.0f}));
  const f32 h = 0.70710678f;
  struct Case {
    const char* name;
    RwV3d point, normal;
    f32 depth;
  };
  const Case cases[] = {
      {"below the start", {0.0f, -0.2f, 0.0f}, {0.0f, -1.0f, 0.0f}, 0.3f},
      {"above the end", {0.0f, 4.1f, 0.0f}, {0.0f, 1.0f, 0.0f}, 0.4f},
      {"beside the body", {0.3f, 2.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, 0.2f},
      {"normal square to the way to the axis", {0.3f, 2.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 0.2f},
      {"on the axis", {0.0f, 2.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 0.5f},
      {"on the axis, normal along it", {0.0f, 2.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 0.5f},
      {"pushed past the end", {0.0f, 3.8f, 0.0f}, {0.0f, 1.0f, 0.0f}, 0.7f},
      {"pushed past the start", {0.3f, 0.1f, 0.0f}, {-h, -h, 0.0f}, 0.1f / h + 0.5f * h},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f32 depth = CapsuleContactDepth(kAxis, 0.5f, c.point, c.normal);
    EXPECT_TRUE(std::isfinite(depth));
    EXPECT_NEAR(c.depth, depth, 1e-5f);
  }
}

}  // namespace
