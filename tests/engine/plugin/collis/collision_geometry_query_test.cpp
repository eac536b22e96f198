// Tests of the triangle query on one atomic's geometry: on seeded soups,
// with and without a tree, placed by a rotated and moved frame, every line,
// sphere and atomic query reports exactly what a brute-force loop with the
// same exact tests finds; morphing geometries; stopping; refused primitives.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/engine/plugin/collis/collis_fixture.h"

namespace collis_test {
namespace {

struct Hit {
  RwInt32 index;
  RwReal distance;
  bool operator==(const Hit& other) const { return index == other.index && distance == other.distance; }
};

std::ostream& operator<<(std::ostream& out, const Hit& hit) {
  return out << "{" << hit.index << ", " << hit.distance << "}";
}

struct Collected {
  std::vector<Hit> hits;
  std::map<RwInt32, int> offers;
  int stopAfter = -1;  // null from the callback after this many hits
  const RpIntersectionPrimitive* expectedPrimitive = nullptr;
  bool wrongPrimitive = false;
};

RpIntersectionPrimitive* Collect(RpIntersectionPrimitive* primitive, RpCollisionTriangle* triangle, RwReal distance,
                                 void* data) {
  auto* collected = static_cast<Collected*>(data);
  collected->wrongPrimitive |= primitive != collected->expectedPrimitive;
  collected->hits.push_back({triangle->index, distance});
  collected->offers[triangle->index]++;
  if (collected->stopAfter >= 0 && static_cast<int>(collected->hits.size()) >= collected->stopAfter) {
    return nullptr;
  }
  return primitive;
}

std::vector<Hit> Sorted(std::vector<Hit> hits) {
  std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.index < b.index; });
  return hits;
}

class GeometryQueryTest : public CollisionTest {
 protected:
  void TearDown() override {
    DestroyPlaced();
    CollisionTest::TearDown();
  }

  void DestroyPlaced() {
    if (atomic_ != nullptr) {
      RwFrame* frame = RpAtomicGetFrame(atomic_);
      RpAtomicDestroy(atomic_);
      RwFrameDestroy(frame);
      atomic_ = nullptr;
    }
  }

  // An atomic holding the geometry (which it then owns), on a frame turned
  // about an oblique axis and moved.
  RpAtomic* Place(RpGeometry* geometry, bool turned) {
    RwFrame* frame = RwFrameCreate();
    if (turned) {
      const RwV3d axis = {0.3f, 1.0f, -0.5f};
      const RwV3d move = {12.5f, -30.0f, 7.0f};
      RwFrameRotate(frame, &axis, 37.0f, kRwCombineReplace);
      RwFrameTranslate(frame, &move, kRwCombinePostConcat);
    }
    atomic_ = RpAtomicCreate();
    RpAtomicSetFrame(atomic_, frame);
    RpAtomicSetGeometry(atomic_, geometry, 0);
    RpGeometryDestroy(geometry);
    return atomic_;
  }

  // What the query reports; every triangle at most once, always with the caller's primitive.
  static std::vector<Hit> Query(RpAtomic* atomic, RpIntersectionPrimitive primitive) {
    Collected collected;
    collected.expectedPrimitive = &primitive;
    EXPECT_EQ(RpCollisionGeometryForAllIntersections(atomic, &primitive, Collect, &collected), atomic);
    EXPECT_FALSE(collected.wrongPrimitive);
    for (const auto& offer : collected.offers) {
      EXPECT_EQ(offer.second, 1) << "triangle " << offer.first << " offered twice";
    }
    return Sorted(collected.hits);
  }

  // Every triangle over the given positions, tested in model space with the same exact tests.
  static std::vector<Hit> BruteForce(const RpAtomic* atomic, const RpIntersectionPrimitive& primitive,
                                     const RwV3d* positions) {
    RwMatrix inverse;
    RwMatrixInvert(&inverse, RwFrameGetLTM(RpAtomicGetFrame(atomic)));
    const RpGeometry* geometry = atomic->geometry;
    std::vector<Hit> hits;
    RwLine line = {};
    RwSphere sphere = {};
    RwV3d delta = {};
    if (primitive.type == rpINTERSECTLINE) {
      RwV3dTransformPoints(&line.start, &primitive.t.line.start, 1, &inverse);
      RwV3dTransformPoints(&line.end, &primitive.t.line.end, 1, &inverse);
      RwV3dSub(&delta, &line.end, &line.start);
    } else {
      sphere = primitive.type == rpINTERSECTSPHERE ? primitive.t.sphere
                                                   : *RpAtomicGetWorldBoundingSphere(primitive.t.atomic);
      const RwV3d centre = sphere.center;
      RwV3dTransformPoints(&sphere.center, &centre, 1, &inverse);
      sphere.radius *= RwSqrt(RwV3dDotProduct(&inverse.at, &inverse.at));
    }
    for (RwInt32 i = 0; i < geometry->numTriangles; ++i) {
      const RwUInt16* v = geometry->triangles[i].vertIndex;
      RwReal distance = 0.0f;
      RwV3d normal;
      if (primitive.type == rpINTERSECTLINE) {
        if (_rpCollisionLineTriangle(&line.start, &delta, &positions[v[0]], &positions[v[1]], &positions[v[2]],
                                     &distance, &normal)) {
          hits.push_back({i, distance});
        }
      } else if (RtIntersectionSphereTriangle(&sphere, &positions[v[0]], &positions[v[1]], &positions[v[2]], &normal,
                                              &distance)) {
        hits.push_back({i, distance / sphere.radius});
      }
    }
    return hits;
  }

  RpAtomic* atomic_ = nullptr;
};

TEST_F(GeometryQueryTest, ReportsWhatBruteForceFindsOnSeededSoups) {
  RpAtomic* other = RpAtomicCreate();
  RwFrame* otherFrame = RwFrameCreate();
  RpAtomicSetFrame(other, otherFrame);
  for (const bool tree : {false, true}) {
    for (const bool turned : {false, true}) {
      SCOPED_TRACE(testing::Message() << (tree ? "tree" : "no tree") << (turned ? ", turned frame" : ""));
      RpGeometry* geometry = SoupGeometry(MakeSoup(tree ? 31 : 32, 1500, 60.0f, 8.0f));
      ASSERT_NE(geometry, nullptr);
      if (tree) {
        ASSERT_EQ(RpCollisionGeometryBuildData(geometry), geometry);
      }
      RpAtomic* atomic = Place(geometry, turned);
      const RwV3d* positions = geometry->morphTarget[0].verts;
      std::mt19937 random(77);
      std::uniform_real_distribution<float> anywhere(-70.0f, 70.0f);
      std::uniform_real_distribution<float> radius(0.5f, 12.0f);
      int lineHits = 0;
      int sphereHits = 0;
      for (int i = 0; i < 150; ++i) {
        const RwV3d a = {anywhere(random), anywhere(random), anywhere(random)};
        const RwV3d b = {anywhere(random), anywhere(random), anywhere(random)};
        const RwV3d near = {a.x + b.x * 0.1f, a.y + b.y * 0.1f, a.z + b.z * 0.1f};
        for (const RpIntersectionPrimitive& primitive : {Line(a, b), Line(a, near), Sphere(a, radius(random))}) {
          const std::vector<Hit> expected = BruteForce(atomic, primitive, positions);
          ASSERT_EQ(Query(atomic, primitive), expected) << "query " << i << " type " << primitive.type;
          (primitive.type == rpINTERSECTLINE ? lineHits : sphereHits) += static_cast<int>(expected.size());
        }
        RwFrameTranslate(otherFrame, &b, kRwCombineReplace);
        other->boundingSphere = {{0.5f, 0, 0}, radius(random)};
        RpIntersectionPrimitive byAtomic = {};
        byAtomic.type = rpINTERSECTATOMIC;
        byAtomic.t.atomic = other;
        ASSERT_EQ(Query(atomic, byAtomic), BruteForce(atomic, byAtomic, positions)) << "atomic query " << i;
      }
      EXPECT_GT(lineHits, 30);
      EXPECT_GT(sphereHits, 100);
      DestroyPlaced();
    }
  }
  RpAtomicDestroy(other);
  RwFrameDestroy(otherFrame);
}

TEST_F(GeometryQueryTest, MorphingGeometriesAreSearchedAtTheInterpolatedPositions) {
  const Soup soup = MakeSoup(41, 300, 30.0f, 6.0f);
  RpGeometry* geometry = SoupGeometry(soup);
  ASSERT_NE(geometry, nullptr);
  ASSERT_EQ(RpGeometryAddMorphTargets(geometry, 1), 1);
  const RwInt32 n = geometry->numVertices;
  for (RwInt32 i = 0; i < n; ++i) {
    const RwV3d& p = geometry->morphTarget[0].verts[i];
    geometry->morphTarget[1].verts[i] = {p.x * 0.5f + 3.0f, p.y, p.z * 1.5f};
  }
  ASSERT_EQ(RpCollisionGeometryBuildData(geometry), geometry) << "data a morphing geometry's query ignores";
  RpAtomic* atomic = Place(geometry, false);
  std::vector<RwV3d> blended(n);
  for (RwInt32 i = 0; i < n; ++i) {
    const RwV3d& a = geometry->morphTarget[0].verts[i];
    const RwV3d& b = geometry->morphTarget[1].verts[i];
    const RwReal f = 0.75f * 0.5f;
    blended[i] = {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
  }
  struct Case {
    const char* what;
    RwInt16 start, end;
    const RwV3d* positions;
  };
  const Case cases[] = {{"between targets 0 and 1", 0, 1, blended.data()},
                        {"resting on target 1", 1, 1, geometry->morphTarget[1].verts},
                        {"an interpolator naming a missing target: target 0", 0, 5, geometry->morphTarget[0].verts}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    atomic->interpolator.startMorphTarget = c.start;
    atomic->interpolator.endMorphTarget = c.end;
    atomic->interpolator.position = 0.75f;
    atomic->interpolator.recipTime = 0.5f;
    std::mt19937 random(5);
    std::uniform_real_distribution<float> anywhere(-40.0f, 40.0f);
    int hits = 0;
    for (int i = 0; i < 100; ++i) {
      const RwV3d a = {anywhere(random), anywhere(random), anywhere(random)};
      const RwV3d b = {anywhere(random), anywhere(random), anywhere(random)};
      for (const RpIntersectionPrimitive& primitive : {Line(a, b), Sphere(a, 5.0f)}) {
        const std::vector<Hit> expected = BruteForce(atomic, primitive, c.positions);
        ASSERT_EQ(Query(atomic, primitive), expected) << "query " << i;
        hits += static_cast<int>(expected.size());
      }
    }
    EXPECT_GT(hits, 50);
  }
}

TEST_F(GeometryQueryTest, ANullFromTheCallbackEndsTheQuery) {
  RpGeometry* geometry = SoupGeometry(MakeSoup(8, 400, 10.0f, 5.0f));
  ASSERT_NE(geometry, nullptr);
  ASSERT_EQ(RpCollisionGeometryBuildData(geometry), geometry);
  RpAtomic* atomic = Place(geometry, false);
  RpIntersectionPrimitive primitive = Sphere({0, 0, 0}, 8.0f);
  Collected all;
  all.expectedPrimitive = &primitive;
  RpCollisionGeometryForAllIntersections(atomic, &primitive, Collect, &all);
  ASSERT_GT(all.hits.size(), 2u);
  Collected first;
  first.expectedPrimitive = &primitive;
  first.stopAfter = 1;
  EXPECT_EQ(RpCollisionGeometryForAllIntersections(atomic, &primitive, Collect, &first), atomic);
  EXPECT_EQ(first.hits.size(), 1u);
}

TEST_F(GeometryQueryTest, RefusesPrimitivesItCannotTest) {
  RpAtomic* atomic = Place(SoupGeometry(MakeSoup(8, 10)), false);
  Collected collected;
  RpIntersectionPrimitive primitive = {};
  for (const RwUInt32 type : {RwUInt32{rpINTERSECTPOINT}, RwUInt32{rpINTERSECTBOX}, RwUInt32{rpINTERSECTNONE}, 9u}) {
    SCOPED_TRACE(type);
    primitive.type = type;
    EXPECT_EQ(RpCollisionGeometryForAllIntersections(atomic, &primitive, Collect, &collected), nullptr);
    ExpectError(kRpCollisionPluginId, kRpCollisionErrUnsupportedPrimitive);
  }
  primitive.type = rpINTERSECTATOMIC;
  primitive.t.atomic = nullptr;
  EXPECT_EQ(RpCollisionGeometryForAllIntersections(atomic, &primitive, Collect, &collected), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrNullArgument);
  EXPECT_TRUE(collected.hits.empty());
}

}  // namespace
}  // namespace collis_test
