// Tests of the world queries on forged worlds of seeded soups, in both plane
// modes: world triangles as a brute-force loop over every sector's polygons
// with the same exact tests finds them, sectors without trees yielding none;
// atomics placed in the world as a reference sphere test finds them, each
// once, never the query's own; stopping and refused primitives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "tests/engine/plugin/collis/collis_fixture.h"

namespace collis_test {
namespace {

struct WorldHit {
  int sector;  // in RpWorldForAllWorldSectors order
  RwInt32 index;
  RwReal distance;
  bool operator==(const WorldHit& o) const { return sector == o.sector && index == o.index && distance == o.distance; }
  bool operator<(const WorldHit& o) const { return sector != o.sector ? sector < o.sector : index < o.index; }
};

std::ostream& operator<<(std::ostream& out, const WorldHit& hit) {
  return out << "{" << hit.sector << ", " << hit.index << ", " << hit.distance << "}";
}

RpIntersectionPrimitive Box(const RwV3d& centre, const RwV3d& half) {
  RpIntersectionPrimitive primitive = {};
  primitive.type = rpINTERSECTBOX;
  primitive.t.box = {{centre.x + half.x, centre.y + half.y, centre.z + half.z},
                     {centre.x - half.x, centre.y - half.y, centre.z - half.z}};
  return primitive;
}

RpIntersectionPrimitive Point(const RwV3d& point) {
  RpIntersectionPrimitive primitive = {};
  primitive.type = rpINTERSECTPOINT;
  primitive.t.point = point;
  return primitive;
}

RpIntersectionPrimitive OfAtomic(RpAtomic* atomic) {
  RpIntersectionPrimitive primitive = {};
  primitive.type = rpINTERSECTATOMIC;
  primitive.t.atomic = atomic;
  return primitive;
}

class WorldQueryTest : public CollisionTest {
 protected:
  void TearDown() override {
    DestroyWorld();
    CollisionTest::TearDown();
  }

  void Forge(const Soup& soup, bool separate, bool trees = true) {
    DestroyWorld();
    ForgeWorldOptions options;
    options.flags = separate ? static_cast<RwUInt32>(rpWORLDSECTORSOVERLAP) : 0u;
    options.maxSectorTriangles = 64;
    options.collisionTrees = trees;
    world_ = ForgeWorldCreate(ToForgeSoup(soup), options);
    ASSERT_NE(world_, nullptr);
    sectors_.clear();
    RpWorldForAllWorldSectors(
        world_,
        [](RpWorldSector* sector, void* data) {
          static_cast<std::vector<RpWorldSector*>*>(data)->push_back(sector);
          return sector;
        },
        &sectors_);
  }

  void DestroyWorld() {
    for (RpAtomic* atomic : atomics_) {
      RpWorldRemoveAtomic(world_, atomic);
      RwFrame* frame = RpAtomicGetFrame(atomic);
      RpAtomicDestroy(atomic);
      RwFrameDestroy(frame);
    }
    atomics_.clear();
    if (world_ != nullptr) {
      RpWorldDestroy(world_);
      world_ = nullptr;
    }
  }

  // An atomic of the radius at the place, added to the world.
  RpAtomic* Place(const RwV3d& at, RwReal radius, bool collides = true) {
    RwFrame* frame = RwFrameCreate();
    RwFrameTranslate(frame, &at, kRwCombineReplace);
    RpAtomic* atomic = RpAtomicCreate();
    RpAtomicSetFrame(atomic, frame);
    atomic->boundingSphere = {{0, 0, 0}, radius};
    RpAtomicSetFlags(atomic, collides ? rpATOMICCOLLISIONTEST | rpATOMICRENDER : rpATOMICRENDER);
    RpWorldAddAtomic(world_, atomic);
    atomics_.push_back(atomic);
    return atomic;
  }

  int SectorNumber(const RpWorldSector* sector) const {
    return static_cast<int>(std::find(sectors_.begin(), sectors_.end(), sector) - sectors_.begin());
  }

  struct TriangleWalk {
    const WorldQueryTest* test;
    std::vector<WorldHit> hits;
    int stopAfter = -1;
  };

  static RpIntersectionPrimitive* CollectTriangle(RpIntersectionPrimitive* primitive, RpWorldSector* sector,
                                                  RpCollisionTriangle* triangle, RwReal distance, void* data) {
    auto* walk = static_cast<TriangleWalk*>(data);
    walk->hits.push_back({walk->test->SectorNumber(sector), triangle->index, distance});
    EXPECT_EQ(triangle->vertices[0], &sector->vertices[sector->polygons[triangle->index].vertIndex[0]]);
    return static_cast<int>(walk->hits.size()) == walk->stopAfter ? nullptr : primitive;
  }

  // The query's hits, sorted; no triangle twice.
  std::vector<WorldHit> Query(RpIntersectionPrimitive primitive) const {
    TriangleWalk walk = {this, {}};
    EXPECT_EQ(RpCollisionWorldForAllIntersections(world_, &primitive, CollectTriangle, &walk), world_);
    std::sort(walk.hits.begin(), walk.hits.end());
    for (size_t i = 1; i < walk.hits.size(); ++i) {
      EXPECT_FALSE(!(walk.hits[i - 1] < walk.hits[i])) << "offered twice: " << walk.hits[i];
    }
    return walk.hits;
  }

  // Every polygon of every sector, with the same exact tests on the whole primitive.
  std::vector<WorldHit> BruteForce(const RpIntersectionPrimitive& primitive) const {
    std::vector<WorldHit> hits;
    RwSphere sphere = primitive.t.sphere;
    if (primitive.type == rpINTERSECTATOMIC) {
      sphere = *RpAtomicGetWorldBoundingSphere(primitive.t.atomic);
    }
    const RwLine& line = primitive.t.line;
    const RwV3d delta = {line.end.x - line.start.x, line.end.y - line.start.y, line.end.z - line.start.z};
    for (size_t s = 0; s < sectors_.size(); ++s) {
      const RpWorldSector* sector = sectors_[s];
      for (RwInt32 i = 0; i < sector->numPolygons; ++i) {
        const RwUInt16* v = sector->polygons[i].vertIndex;
        const RwV3d* p[3] = {&sector->vertices[v[0]], &sector->vertices[v[1]], &sector->vertices[v[2]]};
        RwReal distance = 0.0f;
        RwV3d normal;
        bool hit = false;
        if (primitive.type == rpINTERSECTLINE) {
          hit = _rpCollisionLineTriangle(&line.start, &delta, p[0], p[1], p[2], &distance, &normal);
        } else if (primitive.type == rpINTERSECTBOX) {
          hit = RtIntersectionBoxTriangle(&primitive.t.box, p[0], p[1], p[2]);
        } else if (RtIntersectionSphereTriangle(&sphere, p[0], p[1], p[2], &normal, &distance)) {
          hit = true;
          distance /= sphere.radius;
        }
        if (hit) {
          hits.push_back({static_cast<int>(s), i, distance});
        }
      }
    }
    return hits;
  }

  RpWorld* world_ = nullptr;
  std::vector<RpWorldSector*> sectors_;
  std::vector<RpAtomic*> atomics_;
};

TEST_F(WorldQueryTest, WorldTrianglesAreWhatBruteForceFindsOnForgedWorlds) {
  for (const bool separate : {true, false}) {
    SCOPED_TRACE(separate ? "separate plane values" : "single plane values");
    // Single values need planes no triangle crosses: the second soup's triangles keep to cells.
    Forge(MakeSoup(separate ? 51 : 52, 2500, 80.0f, 8.0f, separate ? 0.0f : 40.0f), separate);
    ASSERT_GT(sectors_.size(), 16u);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> anywhere(-90.0f, 90.0f);
    std::uniform_real_distribution<float> size(0.5f, 12.0f);
    std::map<RwUInt32, int> found;
    for (int i = 0; i < 120; ++i) {
      const RwV3d a = {anywhere(random), anywhere(random), anywhere(random)};
      const RwV3d b = {anywhere(random), anywhere(random), anywhere(random)};
      const RwV3d near = {a.x + b.x * 0.1f, a.y + b.y * 0.1f, a.z + b.z * 0.1f};
      RpAtomic* atomic = Place(b, size(random));
      RwFrameSyncDirty();
      for (const RpIntersectionPrimitive& primitive :
           {Line(a, b), Line(a, near), Sphere(a, size(random)), Box(b, {size(random), size(random), size(random)}),
            OfAtomic(atomic)}) {
        const std::vector<WorldHit> expected = BruteForce(primitive);
        ASSERT_EQ(Query(primitive), expected) << "query " << i << " of type " << primitive.type;
        found[primitive.type] += static_cast<int>(expected.size());
      }
    }
    for (const auto& type : found) {
      EXPECT_GT(type.second, 20) << "type " << type.first;
    }
  }
}

TEST_F(WorldQueryTest, SectorsWithoutTreesYieldNoTriangles) {
  Forge(MakeSoup(5, 300, 20.0f, 6.0f), true, false);
  const RpIntersectionPrimitive sphere = Sphere({0, 0, 0}, 15.0f);
  ASSERT_FALSE(BruteForce(sphere).empty());
  EXPECT_TRUE(Query(sphere).empty());
  EXPECT_TRUE(Query(Line({-30, -30, -30}, {30, 30, 30})).empty());
}

// Whether the segment from a to b meets the open ball, in double precision,
// and how far from deciding it is.
double SegmentGap(const RwV3d& a, const RwV3d& b, const RwSphere& ball) {
  const double d[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
  const double h[3] = {double(ball.center.x) - a.x, double(ball.center.y) - a.y, double(ball.center.z) - a.z};
  const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  double t = dd > 0 ? (h[0] * d[0] + h[1] * d[1] + h[2] * d[2]) / dd : 0.0;
  t = std::min(1.0, std::max(0.0, t));
  const double g[3] = {h[0] - t * d[0], h[1] - t * d[1], h[2] - t * d[2]};
  return std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]) - ball.radius;
}

double BoxGap(const RwBBox& box, const RwSphere& ball) {
  RwV3d c = ball.center;
  double total = 0;
  for (const auto& axis : {std::make_pair(c.x, std::make_pair(box.inf.x, box.sup.x)),
                           std::make_pair(c.y, std::make_pair(box.inf.y, box.sup.y)),
                           std::make_pair(c.z, std::make_pair(box.inf.z, box.sup.z))}) {
    const double v = axis.first;
    const double gap =
        v < axis.second.first ? axis.second.first - v : (v > axis.second.second ? v - axis.second.second : 0);
    total += gap * gap;
  }
  return std::sqrt(total) - ball.radius;
}

double CentreGap(const RwV3d& point, RwReal radius, const RwSphere& ball) {
  const double d[3] = {double(point.x) - ball.center.x, double(point.y) - ball.center.y,
                       double(point.z) - ball.center.z};
  return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) - (ball.radius + radius);
}

struct AtomicWalk {
  std::map<RpAtomic*, int> offers;
  std::map<RpAtomic*, RwReal> distances;
  int stopAfter = -1;
  int calls = 0;
};

RpAtomic* CollectAtomic(RpIntersectionPrimitive*, RpWorldSector* sector, RpAtomic* atomic, RwReal distance,
                        void* data) {
  auto* walk = static_cast<AtomicWalk*>(data);
  EXPECT_NE(sector, nullptr);
  walk->offers[atomic]++;
  walk->distances[atomic] = distance;
  return ++walk->calls == walk->stopAfter ? nullptr : atomic;
}

TEST_F(WorldQueryTest, AtomicsAreOfferedOnceWhenTheirSpheresMeetThePrimitive) {
  constexpr double kUndecided = 0.25;
  Forge(MakeSoup(61, 1500, 80.0f, 8.0f), true);
  std::mt19937 random(9);
  std::uniform_real_distribution<float> anywhere(-80.0f, 80.0f);
  std::uniform_real_distribution<float> size(1.0f, 15.0f);
  for (int i = 0; i < 120; ++i) {
    Place({anywhere(random), anywhere(random), anywhere(random)}, size(random), i % 5 != 0);
  }
  int offered = 0;
  for (int i = 0; i < 150; ++i) {
    const RwV3d a = {anywhere(random), anywhere(random), anywhere(random)};
    const RwV3d b = {anywhere(random), anywhere(random), anywhere(random)};
    const RwV3d half = {size(random), size(random), size(random)};
    const RwReal radius = size(random);
    RpAtomic* own = atomics_[static_cast<size_t>(i) % atomics_.size()];
    const RpIntersectionPrimitive box = Box(a, half);
    for (const RpIntersectionPrimitive& primitive : {Line(a, b), Point(a), Sphere(a, radius), box, OfAtomic(own)}) {
      SCOPED_TRACE(testing::Message() << "query " << i << " of type " << primitive.type);
      AtomicWalk walk;
      RpIntersectionPrimitive asked = primitive;
      ASSERT_EQ(RpWorldForAllAtomicIntersections(world_, &asked, CollectAtomic, &walk), world_);
      for (RpAtomic* atomic : atomics_) {
        const RwSphere& ball = *RpAtomicGetWorldBoundingSphere(atomic);
        double gap = 0.0;
        switch (primitive.type) {
          case rpINTERSECTLINE:
            gap = SegmentGap(a, b, ball);
            break;
          case rpINTERSECTPOINT:
            gap = CentreGap(a, 0.0f, ball);
            break;
          case rpINTERSECTSPHERE:
            gap = CentreGap(a, radius, ball);
            break;
          case rpINTERSECTBOX:
            gap = BoxGap(box.t.box, ball);
            break;
          default: {
            const RwSphere& query = *RpAtomicGetWorldBoundingSphere(own);
            gap = CentreGap(query.center, query.radius, ball);
          }
        }
        const bool eligible = (RpAtomicGetFlags(atomic) & rpATOMICCOLLISIONTEST) != 0 &&
                              !(primitive.type == rpINTERSECTATOMIC && atomic == own);
        const int offers = walk.offers.count(atomic) != 0 ? walk.offers[atomic] : 0;
        // Line directions and lengths come from the square-root tables,
        // good to a few parts in ten thousand of the line's length.
        if (std::fabs(gap) < kUndecided && eligible) {
          continue;
        }
        ASSERT_EQ(offers, eligible && gap < 0 ? 1 : 0) << "gap " << gap;
        offered += offers;
      }
    }
  }
  EXPECT_GT(offered, 150);
}

TEST_F(WorldQueryTest, AtomicDistancesFollowThePrimitive) {
  Forge(MakeSoup(62, 200, 30.0f, 6.0f), true);
  RpAtomic* atomic = Place({10, 0, 0}, 2.0f);
  struct Case {
    const char* what;
    RpIntersectionPrimitive primitive;
    RwReal distance;
  };
  const Case cases[] = {
      {"a line: the centre's projection over the length", Line({0, 0, 0}, {20, 1, 0}),
       10.0f / std::sqrt(401.0f) * 20.0f / std::sqrt(401.0f)},
      {"a zero-length line inside: 0", Line({10.5f, 0, 0}, {10.5f, 0, 0}), 0.0f},
      {"a sphere: the centre distance over the radii's sum", Sphere({13, 0, 0}, 2.0f), 0.75f},
      {"a point", Point({11, 0, 0}), 0.5f},
      {"a box", Box({11, 1, 1}, {0.5f, 0.5f, 0.5f}), 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AtomicWalk walk;
    RpIntersectionPrimitive primitive = c.primitive;
    RpWorldForAllAtomicIntersections(world_, &primitive, CollectAtomic, &walk);
    ASSERT_EQ(walk.offers.count(atomic), 1u);
    EXPECT_NEAR(walk.distances[atomic], c.distance, 2e-3f);
  }
  {
    SCOPED_TRACE("spheres touching exactly do not meet");
    AtomicWalk walk;
    RpIntersectionPrimitive primitive = Sphere({14, 0, 0}, 2.0f);
    RpWorldForAllAtomicIntersections(world_, &primitive, CollectAtomic, &walk);
    EXPECT_EQ(walk.offers.count(atomic), 0u);
  }
}

TEST_F(WorldQueryTest, ANullFromACallbackEndsTheQuery) {
  Forge(MakeSoup(63, 600, 20.0f, 6.0f), true);
  for (int i = 0; i < 10; ++i) {
    Place({static_cast<RwReal>(i), 0, 0}, 5.0f);
  }
  TriangleWalk triangles = {this, {}};
  triangles.stopAfter = 1;
  RpIntersectionPrimitive sphere = Sphere({0, 0, 0}, 20.0f);
  EXPECT_EQ(RpCollisionWorldForAllIntersections(world_, &sphere, CollectTriangle, &triangles), world_);
  EXPECT_EQ(triangles.hits.size(), 1u);
  AtomicWalk atomics;
  atomics.stopAfter = 1;
  EXPECT_EQ(RpWorldForAllAtomicIntersections(world_, &sphere, CollectAtomic, &atomics), world_);
  EXPECT_EQ(atomics.calls, 1);
}

TEST_F(WorldQueryTest, RefusesPrimitivesItCannotTest) {
  Forge(MakeSoup(64, 50, 20.0f, 6.0f), true);
  TriangleWalk triangles = {this, {}};
  AtomicWalk atomics;
  RpIntersectionPrimitive primitive = Point({0, 0, 0});
  EXPECT_EQ(RpCollisionWorldForAllIntersections(world_, &primitive, CollectTriangle, &triangles), nullptr);
  ExpectError(kRpCollisionPluginId, kRpCollisionErrUnsupportedPrimitive);
  primitive.type = 9;
  EXPECT_EQ(RpCollisionWorldForAllIntersections(world_, &primitive, CollectTriangle, &triangles), nullptr);
  ExpectError(kRpCollisionPluginId, kRpCollisionErrUnsupportedPrimitive);
  EXPECT_EQ(RpWorldForAllAtomicIntersections(world_, &primitive, CollectAtomic, &atomics), nullptr);
  ExpectError(kRpCollisionPluginId, kRpCollisionErrUnsupportedPrimitive);
  primitive = OfAtomic(nullptr);
  EXPECT_EQ(RpCollisionWorldForAllIntersections(world_, &primitive, CollectTriangle, &triangles), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrNullArgument);
  EXPECT_EQ(RpWorldForAllAtomicIntersections(world_, &primitive, CollectAtomic, &atomics), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrNullArgument);
  EXPECT_TRUE(triangles.hits.empty());
  EXPECT_TRUE(atomics.offers.empty());
}

}  // namespace
}  // namespace collis_test
