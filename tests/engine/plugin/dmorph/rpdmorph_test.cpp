// Delta morph: delta targets stored with geometries (names, kinds, k = 0),
// their application to the vertex data (control runs, unchanged weights,
// colour wrap, bounds), and corrupt sub-chunks.
#include "engine/plugin/dmorph/rpdmorph.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/plugin/dmorph/dmorph_internal.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/clump_builder.h"
#include "tests/support/plugin_chunks.h"

namespace {

using world_test::Members;
using world_test::WorldTest;

bool AttachDMorph() { return RpDMorphPluginAttach(); }

constexpr RwUInt32 kAllKinds =
    rpDMORPHDATATYPEPOSITIONS | rpDMORPHDATATYPENORMALS | rpDMORPHDATATYPEPRELITS | rpDMORPHDATATYPETEXCOORDS;
constexpr RwInt32 kVertices = 6;

// A geometry of six vertices with every kind of vertex data: vertex i at
// (i, 0, 0), normal (0, 1, 0), colour {250, 10, 3, 128}, coordinates (i, 1).
RpGeometry* SixVertices(RwUInt32 format) {
  RpGeometry* geometry = RpGeometryCreate(kVertices, 1, format);
  geometry->triangles[0] = {{0, 1, 2}, kRpTriangleNoMaterial};
  RpMorphTarget& base = geometry->morphTarget[0];
  for (RwInt32 i = 0; i < kVertices; ++i) {
    base.verts[i] = {static_cast<RwReal>(i), 0.0f, 0.0f};
    if (base.normals != nullptr) {
      base.normals[i] = {0.0f, 1.0f, 0.0f};
    }
    if (geometry->preLitLum != nullptr) {
      geometry->preLitLum[i] = {250, 10, 3, 128};
    }
    if (geometry->texCoords[0] != nullptr) {
      geometry->texCoords[0][i] = {static_cast<RwReal>(i), 1.0f};
    }
  }
  return RpGeometryUnlock(geometry);
}

constexpr RwUInt32 kFullFormat = rpGEOMETRYPOSITIONS | rpGEOMETRYNORMALS | rpGEOMETRYPRELIT | rpGEOMETRYTEXTURED;

// Two targets: "smile" with every kind on vertices 3 and 4 (0x03, 0x82), and
// a nameless one with no deltas.
ChunkBytes TwoTargets() {
  ChunkBytes body;
  body.U32(2);
  AddDeltaTarget(body, {'s', 'm', 'i', 'l', 'e', 0}, kAllKinds, {0x03, 0x82}, 2);
  AddDeltaTarget(body, {}, rpDMORPHDATATYPEPOSITIONS, {0x81}, 0);
  return body;
}

class DMorphTest : public WorldTest {
 protected:
  void SetUp() override { Start(AttachDMorph); }

  // A geometry of the format read back with the delta-morph body.
  RpGeometry* WithTargets(RwUInt32 format, const ChunkBytes& body) {
    RpGeometry* geometry = SixVertices(format);
    const std::vector<uint8_t> bytes = WithSubChunk(GeometryBytes(geometry), kRpDMorphPluginId, body.bytes());
    RpGeometryDestroy(geometry);
    return ReadChunk(bytes, kRwChunkGeometry, RpGeometryStreamRead);
  }

  static std::vector<uint8_t> GeometryBytes(const RpGeometry* geometry) {
    return Written([geometry](RwStream* s) { return RpGeometryStreamWrite(geometry, s) != nullptr; });
  }
};

TEST_F(DMorphTest, TargetsRoundTripWithNamesKindsAndEmptyDeltas) {
  RpGeometry* geometry = WithTargets(kFullFormat, TwoTargets());
  ASSERT_NE(geometry, nullptr);
  ASSERT_EQ(RpDMorphGeometryGetTargetCount(geometry), 2u);
  const RpDMorphGeometryData* data = _rpDMorphGeometryGetData(geometry);
  const RpDMorphDeltaTarget& smile = data->targets[0];
  EXPECT_EQ(smile.geometry, geometry);
  EXPECT_STREQ(smile.name, "smile");
  EXPECT_EQ(smile.boundingSphere.radius, 4.0f);
  EXPECT_EQ(data->targets[1].name, nullptr);
  EXPECT_EQ(data->targets[1].deltaBlock, nullptr);
  EXPECT_EQ(data->appliedWeights[0], 0.0f);

  // What was read is written back byte for byte.
  RpGeometry* plain = SixVertices(kFullFormat);
  const std::vector<uint8_t> expected = WithSubChunk(GeometryBytes(plain), kRpDMorphPluginId, TwoTargets().bytes());
  RpGeometryDestroy(plain);
  EXPECT_EQ(GeometryBytes(geometry), expected);
  RpGeometryDestroy(geometry);
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(DMorphTest, WeightsMoveOnlyTheCodedVerticesByTheChange) {
  RpGeometry* geometry = WithTargets(kFullFormat, TwoTargets());
  ASSERT_NE(geometry, nullptr);
  const RpMorphTarget& base = geometry->morphTarget[0];
  const RwReal half[2] = {0.5f, 0.0f};
  _rpDMorphGeometryApplyWeights(geometry, half, 2);
  for (RwInt32 i = 0; i < kVertices; ++i) {
    SCOPED_TRACE(i);
    const bool moved = i == 3 || i == 4;
    const RwReal delta = moved ? 1.0f + (i - 3) : 0.0f;
    EXPECT_EQ(base.verts[i].x, i + 0.5f * delta);
    EXPECT_EQ(base.verts[i].y, moved ? 1.0f : 0.0f);
    EXPECT_EQ(base.normals[i].z, moved ? 0.5f : 0.0f);
    EXPECT_EQ(geometry->texCoords[0][i].u, i + (moved ? 0.25f : 0.0f));
    // 250 + trunc(20 x 0.5) wraps to 4; 3 + trunc(255 x 0.5) = 130; trunc(3 x 0.5) = 1.
    const RwRGBA expected = moved ? RwRGBA{4, 11, 130, 128} : RwRGBA{250, 10, 3, 128};
    EXPECT_EQ(std::memcmp(&geometry->preLitLum[i], &expected, sizeof(expected)), 0);
  }
  EXPECT_EQ(_rpDMorphGeometryGetData(geometry)->appliedWeights[0], 0.5f);

  // The same weights again change nothing.
  const std::vector<uint8_t> before = GeometryBytes(geometry);
  _rpDMorphGeometryApplyWeights(geometry, half, 2);
  EXPECT_EQ(GeometryBytes(geometry), before);

  // Back to 0 takes the truncated colour steps back out exactly.
  const RwReal zero[2] = {0.0f, 0.0f};
  _rpDMorphGeometryApplyWeights(geometry, zero, 2);
  EXPECT_EQ(base.verts[4].x, 4.0f);
  EXPECT_EQ(geometry->preLitLum[3].red, 250);
  EXPECT_EQ(geometry->preLitLum[3].green, 10);
  EXPECT_EQ(geometry->preLitLum[3].blue, 3);
  RpGeometryDestroy(geometry);
}

TEST_F(DMorphTest, ControlRunsStopAtTheVerticesAndDeltasAndMissingKindsAreSkipped) {
  struct Case {
    const char* what;
    std::vector<uint8_t> control;
    RwUInt32 k;
    std::vector<RwInt32> moved;  // vertices that move, in delta order
  };
  const Case cases[] = {
      {"a run longer than the deltas", {0x85}, 2, {0, 1}},
      {"a run past the last vertex", {0x04, 0x85}, 5, {4, 5}},
      {"skips past the last vertex", {0x7F, 0x7F, 0x81}, 1, {}},
      {"apply, skip, apply", {0x81, 0x02, 0x81}, 2, {0, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ChunkBytes body;
    AddDeltaTarget(body.U32(1), {}, kAllKinds, c.control, c.k);
    // Positions only: the normal, colour and coordinate deltas find nothing to move.
    RpGeometry* geometry = WithTargets(rpGEOMETRYPOSITIONS, body);
    ASSERT_NE(geometry, nullptr);
    const RwReal one = 1.0f;
    _rpDMorphGeometryApplyWeights(geometry, &one, 1);
    std::vector<RwInt32> moved;
    for (RwInt32 i = 0; i < kVertices; ++i) {
      if (geometry->morphTarget[0].verts[i].y != 0.0f) {
        moved.push_back(i);
      }
    }
    EXPECT_EQ(moved, c.moved);
    RpGeometryDestroy(geometry);
  }
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(DMorphTest, CorruptSubChunksFailWithoutLeaks) {
  struct Case {
    const char* what;
    ChunkBytes body;
  };
  Case cases[] = {
      {"more targets than bytes", ChunkBytes().U32(0x10000000).U32(0)},
      {"name past the chunk", ChunkBytes().U32(1).U32(0x7FFFFFFF).U32(0)},
      {"control bytes past the chunk", ChunkBytes().U32(1).U32(0).U32(2).U32(0).U32(0xFFFFFFF0u).U32(0)},
      {"deltas past the chunk", ChunkBytes().U32(1).U32(0).U32(kAllKinds).U32(0).U32(0).U32(0x20000000)},
      {"sphere cut short", TwoTargets().Truncate(4)},
  };
  RpGeometry* plain = SixVertices(kFullFormat);
  const std::vector<uint8_t> bytes = GeometryBytes(plain);
  RpGeometryDestroy(plain);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadChunk(WithSubChunk(bytes, kRpDMorphPluginId, c.body.bytes()), kRwChunkGeometry, RpGeometryStreamRead),
              nullptr);
    TakeError();
    EXPECT_EQ(NewBlocks(), 0);
  }
  const std::vector<uint8_t> good = WithSubChunk(bytes, kRpDMorphPluginId, TwoTargets().bytes());
  ExpectFailedMallocsLeakNothing(
      [&] {
        RpGeometry* read = ReadChunk(good, kRwChunkGeometry, RpGeometryStreamRead);
        TakeError();
        return read != nullptr && RpGeometryDestroy(read);
      },
      60);
}

RwInt32 gRendered = 0;

RpAtomic* CountRender(RpAtomic* atomic) {
  gRendered++;
  return atomic;
}

TEST_F(DMorphTest, AtomicsReadWithDeltaTargetsRenderTheirWeights) {
  RpGeometry* geometry = WithTargets(kFullFormat, TwoTargets());
  ASSERT_NE(geometry, nullptr);
  RpGeometry* plain = SixVertices(kFullFormat);
  RpClump* clump = RpClumpCreate();
  RpClumpSetFrame(clump, RwFrameCreate());
  AddClumpAtomic(clump, RpClumpGetFrame(clump), geometry, rpATOMICRENDER);
  AddClumpAtomic(clump, RpClumpGetFrame(clump), plain, rpATOMICRENDER);
  RpGeometryDestroy(geometry);
  RpGeometryDestroy(plain);
  const std::vector<uint8_t> bytes = Written([&](RwStream* s) { return RpClumpStreamWrite(clump, s); });
  RpClumpDestroy(clump);

  RpClump* read = ReadChunk(bytes, kRwChunkClump, RpClumpStreamRead);
  ASSERT_NE(read, nullptr);
  const std::vector<RpAtomic*> atomics = Members(read, RpClumpForAllAtomics);
  RpAtomic* morphed = RpDMorphGeometryGetTargetCount(atomics[0]->geometry) > 0 ? atomics[0] : atomics[1];
  RpAtomic* still = morphed == atomics[0] ? atomics[1] : atomics[0];
  EXPECT_EQ(RpAtomicGetRenderCallBack(morphed), _rpDMorphAtomicRender);
  EXPECT_EQ(RpAtomicGetRenderCallBack(still), RpAtomicDefaultRenderCallBack);
  EXPECT_EQ(_rpDMorphAtomicGetData(morphed)->weights, nullptr);
  _rpDMorphAtomicGetData(morphed)->renderCallBack = CountRender;

  // Without weights the geometry stays; with them it moves, once.
  const RwV3d* verts = morphed->geometry->morphTarget[0].verts;
  gRendered = 0;
  EXPECT_EQ(RpAtomicGetRenderCallBack(morphed)(morphed), morphed);
  EXPECT_EQ(verts[3].x, 3.0f);
  const RwReal weights[2] = {1.0f, 0.5f};
  ASSERT_NE(_rpDMorphAtomicSetWeights(morphed, weights, 2), nullptr);
  RpAtomicGetRenderCallBack(morphed)(morphed);
  RpAtomicGetRenderCallBack(morphed)(morphed);
  EXPECT_EQ(verts[3].x, 4.0f);
  EXPECT_EQ(gRendered, 3);

  // A copy takes the weights, and one of an atomic without weights zeros.
  RpAtomic* copy = RpAtomicClone(morphed);
  const RpDMorphAtomicData* copied = _rpDMorphAtomicGetData(copy);
  ASSERT_EQ(copied->numWeights, 2u);
  EXPECT_EQ(copied->weights[1], 0.5f);
  EXPECT_EQ(copied->renderCallBack, CountRender);
  RpAtomicDestroy(copy);
  _rpDMorphAtomicSetWeights(morphed, nullptr, 0);
  copy = RpAtomicClone(morphed);
  ASSERT_EQ(_rpDMorphAtomicGetData(copy)->numWeights, 2u);
  EXPECT_EQ(_rpDMorphAtomicGetData(copy)->weights[0], 0.0f);
  RpAtomicDestroy(copy);
  RpClumpDestroy(read);
  ExpectAllGone();
  EXPECT_EQ(NewBlocks(), 0);
}

}  // namespace
