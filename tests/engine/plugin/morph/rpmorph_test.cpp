// Morph: interpolation chains stored with geometries (links by index,
// reciprocals, copies), corrupt sub-chunks, and the default callback's walk
// along a chain.
#include "engine/plugin/morph/rpmorph.h"

#include <gtest/gtest.h>

#include "engine/plugin/morph/morph_internal.h"
#include "engine/world/world_internal.h"
#include "tests/engine/world/world_fixture.h"

namespace {

using world_test::WorldTest;

bool AttachMorph() { return RpMorphPluginAttach(); }

// A geometry of three morph targets.
RpGeometry* ThreeTargets() {
  RpGeometry* geometry = RpGeometryCreate(3, 1, rpGEOMETRYPOSITIONS);
  RpGeometryAddMorphTargets(geometry, 2);
  geometry->triangles[0] = {{0, 1, 2}, kRpTriangleNoMaterial};
  return RpGeometryUnlock(geometry);
}

void SetRecord(RpMorphGeometry* chain, RwInt32 index, RwInt16 start, RwInt16 end, RwReal time, RwInt32 next) {
  RpMorphInterpolator& record = chain->interpolators[index];
  record.flags = 0x100 + index;
  record.startMorphTarget = start;
  record.endMorphTarget = end;
  record.time = time;
  record.recipTime = time != 0.0f ? 1.0f / time : 0.0f;
  record.next = &chain->interpolators[next];
}

class MorphTest : public WorldTest {
 protected:
  void SetUp() override { Start(AttachMorph); }

  static std::vector<uint8_t> GeometryBytes(const RpGeometry* geometry) {
    return Written([geometry](RwStream* s) { return RpGeometryStreamWrite(geometry, s) != nullptr; });
  }
};

TEST_F(MorphTest, ChainsRoundTripAndCopyWithTheirLinksByIndex) {
  RpGeometry* geometry = ThreeTargets();
  RpMorphGeometry* chain = _rpMorphGeometrySetNumInterpolators(geometry, 3);
  ASSERT_NE(chain, nullptr);
  EXPECT_EQ(chain->callBack, RpMorphDefaultInterpolationCallBack);
  SetRecord(chain, 0, 0, 1, 2.0f, 1);
  SetRecord(chain, 1, 1, 2, 0.0f, 0);
  SetRecord(chain, 2, 2, 0, 4.0f, 2);
  const std::vector<uint8_t> bytes = GeometryBytes(geometry);
  RpGeometryDestroy(geometry);

  RpGeometry* read = ReadChunk(bytes, kRwChunkGeometry, RpGeometryStreamRead);
  ASSERT_NE(read, nullptr);
  RpGeometry* copy = ThreeTargets();
  _rpMorphGeometrySetNumInterpolators(copy, 1);  // replaced by the copy
  RwPluginRegistryCopyObject(_rpGeometryRegistry(), copy, read);
  for (RpGeometry* geometry : {read, copy}) {
    SCOPED_TRACE(geometry == read ? "read" : "copy");
    const RpMorphGeometry* got = _rpMorphGeometry(geometry);
    ASSERT_EQ(got->numInterpolators, 3);
    const RpMorphInterpolator* records = got->interpolators;
    EXPECT_EQ(records[0].flags, 0x100);
    EXPECT_EQ(records[0].startMorphTarget, 0);
    EXPECT_EQ(records[0].endMorphTarget, 1);
    EXPECT_EQ(records[0].time, 2.0f);
    EXPECT_EQ(records[0].recipTime, 0.5f);
    EXPECT_EQ(records[1].recipTime, 0.0f);  // a duration of 0
    EXPECT_EQ(records[2].recipTime, 0.25f);
    EXPECT_EQ(records[0].next, &records[1]);
    EXPECT_EQ(records[1].next, &records[0]);
    EXPECT_EQ(records[2].next, &records[2]);
  }
  EXPECT_EQ(GeometryBytes(read), bytes);
  RpGeometryDestroy(copy);
  RpGeometryDestroy(read);
  // Without records a geometry writes no morph sub-chunk: 12 + 4 + 3 x 20 bytes less.
  RpGeometry* plain = ThreeTargets();
  EXPECT_EQ(GeometryBytes(plain).size() + 76, bytes.size());
  RpGeometryDestroy(plain);
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(MorphTest, SubChunksWithBadCountsOrIndicesFail) {
  RpGeometry* geometry = ThreeTargets();
  const std::vector<uint8_t> plain = GeometryBytes(geometry);
  RpGeometryDestroy(geometry);
  auto record = [](ChunkBytes& body, int32_t start, int32_t end, int32_t next) -> ChunkBytes& {
    return body.S32(0).S32(start).S32(end).Real(1.0f).S32(next);
  };
  struct Case {
    const char* what;
    ChunkBytes body;
    bool reads;
    int records;
  };
  std::vector<Case> cases;
  cases.push_back({"count 0", ChunkBytes().S32(0), true, 0});
  cases.push_back({"negative count", ChunkBytes().S32(-3), true, 0});
  cases.push_back({"one record", ChunkBytes().S32(1), true, 1});
  record(cases.back().body, 2, 0, 0);
  cases.push_back({"next past the array", ChunkBytes().S32(1), false, 0});
  record(cases.back().body, 0, 1, 1);
  cases.push_back({"negative next", ChunkBytes().S32(1), false, 0});
  record(cases.back().body, 0, 1, -1);
  cases.push_back({"target past the geometry's", ChunkBytes().S32(1), false, 0});
  record(cases.back().body, 0, 3, 0);
  cases.push_back({"more records than bytes", ChunkBytes().S32(0x7FFFFFFF), false, 0});
  record(cases.back().body, 0, 1, 0);
  cases.push_back({"cut short", ChunkBytes().S32(2), false, 0});
  record(cases.back().body, 0, 1, 1).S32(0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RpGeometry* read =
        ReadChunk(WithSubChunk(plain, kRpMorphPluginId, c.body.bytes()), kRwChunkGeometry, RpGeometryStreamRead);
    TakeError();
    ASSERT_EQ(read != nullptr, c.reads);
    if (read != nullptr) {
      EXPECT_EQ(_rpMorphGeometry(read)->numInterpolators, c.records);
      RpGeometryDestroy(read);
    }
    EXPECT_EQ(NewBlocks(), 0);
  }
}

TEST_F(MorphTest, DefaultCallbackWalksTheChainAndCopiesPlayTheSameRecord) {
  RpGeometry* geometry = ThreeTargets();
  RpMorphGeometry* chain = _rpMorphGeometrySetNumInterpolators(geometry, 2);
  SetRecord(chain, 0, 0, 1, 1.0f, 1);
  SetRecord(chain, 1, 1, 2, 2.0f, 0);
  RpAtomic* atomic = RpAtomicCreate();
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpAtomicSetFrame(atomic, RwFrameCreate());
  RpMorphAtomic* slot = _rpMorphAtomic(atomic);
  EXPECT_EQ(RpMorphDefaultInterpolationCallBack(atomic, 1.0f), 0.0f);  // no record yet
  *slot = {&chain->interpolators[0], 0.25f, geometry};

  struct Step {
    RwReal position;
    RwReal leftover;
    RwInt32 next;
  };
  const Step steps[] = {{1.5f, 0.5f, 1}, {0.5f, 0.0f, 0}, {1.0f, 0.0f, 1}, {3.0f, 1.0f, 0}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.position);
    EXPECT_EQ(RpMorphDefaultInterpolationCallBack(atomic, step.position), step.leftover);
    EXPECT_EQ(slot->interpolator, &chain->interpolators[step.next]);
  }

  // A copy plays the same record, its interpolator set from it.
  slot->interpolator = &chain->interpolators[1];
  atomic->interpolator.flags = 0;
  RpAtomic* copy = RpAtomicClone(atomic);
  const RpMorphAtomic* copied = _rpMorphAtomic(copy);
  EXPECT_EQ(copied->interpolator, &chain->interpolators[1]);
  EXPECT_EQ(copied->position, 0.25f);
  EXPECT_EQ(copy->interpolator.startMorphTarget, 1);
  EXPECT_EQ(copy->interpolator.endMorphTarget, 2);
  EXPECT_EQ(copy->interpolator.time, 2.0f);
  EXPECT_EQ(copy->interpolator.recipTime, 0.5f);
  EXPECT_EQ(copy->interpolator.position, 0.25f);
  EXPECT_EQ(copy->interpolator.flags, rpINTERPOLATORDIRTYINSTANCE | rpINTERPOLATORDIRTYSPHERE);
  RpAtomicDestroy(copy);

  // A record of another geometry is not copied.
  RpGeometry* other = ThreeTargets();
  slot->geometry = other;
  copy = RpAtomicClone(atomic);
  EXPECT_EQ(_rpMorphAtomic(copy)->interpolator, nullptr);
  RpAtomicDestroy(copy);
  RpGeometryDestroy(other);

  RwFrame* frame = RpAtomicGetFrame(atomic);
  RpAtomicDestroy(atomic);
  RwFrameDestroy(frame);
  RpGeometryDestroy(geometry);
  ExpectAllGone();
  EXPECT_EQ(NewBlocks(), 0);
}

}  // namespace
