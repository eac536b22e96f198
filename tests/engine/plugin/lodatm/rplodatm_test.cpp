// LOD atomics: the level chosen from the distance to the current camera, empty
// levels not drawn, hooking, copies sharing levels, the sub-chunk through
// clump streams, and corrupt sub-chunks.
#include "engine/plugin/lodatm/rplodatm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/plugin/lodatm/lodatm_internal.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/clump_builder.h"
#include "tools/forge/forge.h"

namespace {

using world_test::Members;
using world_test::PutU32;
using world_test::U32At;
using world_test::WorldTest;

bool AttachLOD() { return RpLODAtomicPluginAttach(); }

std::vector<RpGeometry*> gDrawn;

RpAtomic* Draw(RpAtomic* atomic) {
  gDrawn.push_back(RpAtomicGetGeometry(atomic));
  return atomic;
}

class LODAtomicTest : public WorldTest {
 protected:
  void SetUp() override {
    Start(AttachLOD);
    gDrawn.clear();
    camera_ = RwCameraCreate();
    RwCameraSetFrame(camera_, RwFrameCreate());
    // Looking along x from (0, 0, 10): the camera frame turned about y.
    const RwV3d up = {0.0f, 1.0f, 0.0f};
    const RwV3d at = {0.0f, 0.0f, 10.0f};
    RwFrameRotate(RwCameraGetFrame(camera_), &up, 90.0f, kRwCombineReplace);
    RwFrameTranslate(RwCameraGetFrame(camera_), &at, kRwCombinePostConcat);
    RwEngineInstance->currentCamera = camera_;
    for (RwInt32 level = 0; level < rpLODATOMICMAXLOD; ++level) {
      levels_[level] = RpGeometryCreateEmpty(static_cast<RwReal>(level + 1));
    }
    clump_ = RpClumpCreate();
    RpClumpSetFrame(clump_, RwFrameCreate());
    atomic_ = AddClumpAtomic(clump_, RpClumpGetFrame(clump_), levels_[0], rpATOMICRENDER);
    RpAtomicSetRenderCallBack(atomic_, Draw);
  }

  void TearDown() override {
    RwEngineInstance->currentCamera = nullptr;
    if (clump_ != nullptr) {
      RpClumpDestroy(clump_);
    }
    for (RpGeometry* geometry : levels_) {
      RpGeometryDestroy(geometry);
    }
    RwFrame* frame = RwCameraGetFrame(camera_);
    RwCameraDestroy(camera_);
    RwFrameDestroy(frame);
    if (!leftOver_) {
      ExpectAllGone();
    }
    WorldTest::TearDown();
  }

  // Puts the atomic this far ahead of the camera along its viewing direction.
  void PlaceAhead(RwReal distance) {
    const RwMatrix* view = RwFrameGetLTM(RwCameraGetFrame(camera_));
    const RwV3d position = {view->pos.x + distance * view->at.x, view->pos.y + distance * view->at.y,
                            view->pos.z + distance * view->at.z};
    RwFrameTranslate(RpClumpGetFrame(clump_), &position, kRwCombineReplace);
  }

  // Levels 0 to 9 stored with range 100.
  void StoreAllLevels() {
    for (RwInt32 level = 1; level < rpLODATOMICMAXLOD; ++level) {
      ASSERT_EQ(RpLODAtomicSetGeometry(atomic_, level, levels_[level]), atomic_);
    }
    ASSERT_EQ(RpLODAtomicSetRange(atomic_, 100.0f), atomic_);
  }

  RwCamera* camera_ = nullptr;
  RpGeometry* levels_[rpLODATOMICMAXLOD] = {};
  RpClump* clump_ = nullptr;
  RpAtomic* atomic_ = nullptr;
  bool leftOver_ = false;  // a clump is left for the engine's stop
};

TEST_F(LODAtomicTest, LevelFollowsTheDistanceAlongTheViewingDirection) {
  EXPECT_EQ(RpLODAtomicGetCurrentLOD(atomic_), -1);
  EXPECT_EQ(RpLODAtomicHookRender(atomic_), nullptr);  // no levels yet
  StoreAllLevels();
  struct Case {
    RwReal ahead;
    RwInt32 level;
  };
  const Case cases[] = {{35.0f, 3}, {-20.0f, 0}, {500.0f, 9}, {99.9f, 9}, {0.0f, 0}, {10.0f, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ahead);
    PlaceAhead(c.ahead);
    gDrawn.clear();
    EXPECT_EQ(RpClumpRender(clump_), clump_);
    EXPECT_EQ(RpLODAtomicGetCurrentLOD(atomic_), c.level);
    EXPECT_EQ(gDrawn, std::vector<RpGeometry*>{levels_[c.level]});
  }

  // Without a current camera the level last rendered stays.
  RwEngineInstance->currentCamera = nullptr;
  PlaceAhead(35.0f);
  RpClumpRender(clump_);
  EXPECT_EQ(RpLODAtomicGetCurrentLOD(atomic_), 1);
  RwEngineInstance->currentCamera = camera_;

  // Ranges of 0 or less, or none at all, are refused.
  for (RwReal range : {0.0f, -5.0f, std::numeric_limits<RwReal>::quiet_NaN()}) {
    EXPECT_EQ(RpLODAtomicSetRange(atomic_, range), nullptr);
    TakeError();
  }
  EXPECT_EQ(_rpLODAtomicGetRecord(atomic_)->farRange, 100.0f);
  EXPECT_EQ(RpLODAtomicSetGeometry(atomic_, 10, levels_[1]), nullptr);
  TakeError();
}

TEST_F(LODAtomicTest, EmptyLevelsAreNotDrawnAndHookingKeepsTheOwnCallback) {
  ASSERT_EQ(RpLODAtomicSetRange(atomic_, 100.0f), atomic_);
  EXPECT_EQ(_rpLODAtomicGetRecord(atomic_)->geometry[0], levels_[0]);  // the atomic's own geometry
  EXPECT_EQ(RpLODAtomicHookRender(atomic_), atomic_);                  // already hooked: no change
  EXPECT_EQ(_rpLODAtomicGetRecord(atomic_)->previousRender, Draw);

  PlaceAhead(35.0f);  // level 3, which is empty
  EXPECT_EQ(RpAtomicGetRenderCallBack(atomic_)(atomic_), nullptr);
  EXPECT_TRUE(gDrawn.empty());
  EXPECT_EQ(RpAtomicGetGeometry(atomic_), nullptr);
  PlaceAhead(5.0f);
  EXPECT_EQ(RpAtomicGetRenderCallBack(atomic_)(atomic_), atomic_);
  EXPECT_EQ(gDrawn, std::vector<RpGeometry*>{levels_[0]});

  // A copy shares the levels and survives its source.
  RpClump* copy = RpClumpClone(clump_);
  RpClumpDestroy(clump_);
  clump_ = copy;
  atomic_ = Members(clump_, RpClumpForAllAtomics)[0];
  EXPECT_EQ(RpAtomicGetRenderCallBack(atomic_), _rpLODAtomicRender);
  gDrawn.clear();
  PlaceAhead(5.0f);
  RpClumpRender(clump_);
  EXPECT_EQ(gDrawn, std::vector<RpGeometry*>{levels_[0]});

  // Taking the levels away puts the atomic's own callback back.
  ASSERT_NE(_rpLODAtomicTakeRecord(atomic_), nullptr);
  EXPECT_EQ(RpAtomicGetRenderCallBack(atomic_), Draw);
}

TEST_F(LODAtomicTest, LevelsRoundTripThroughClumpStreams) {
  StoreAllLevels();
  RpLODAtomicSetGeometry(atomic_, 4, nullptr);
  PlaceAhead(25.0f);
  RpClumpRender(clump_);  // current level 2
  const std::vector<uint8_t> bytes = Written([&](RwStream* s) { return RpClumpStreamWrite(clump_, s); });
  RpClump* read = ReadChunk(bytes, kRwChunkClump, RpClumpStreamRead);
  ASSERT_NE(read, nullptr);
  RpAtomic* atomic = Members(read, RpClumpForAllAtomics)[0];
  const RpLODAtomicRecord* record = _rpLODAtomicGetRecord(atomic);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->hooked, 1u);
  EXPECT_EQ(record->farRange, 100.0f);
  EXPECT_EQ(record->levelScale, 0.1f);
  EXPECT_EQ(record->currentLOD, 2);
  EXPECT_EQ(record->geometry[2], RpAtomicGetGeometry(atomic));
  EXPECT_EQ(record->geometry[4], nullptr);
  for (RwInt32 level = 0; level < rpLODATOMICMAXLOD; ++level) {
    SCOPED_TRACE(level);
    if (level != 4) {
      ASSERT_NE(record->geometry[level], nullptr);
      EXPECT_EQ(record->geometry[level]->morphTarget[0].boundingSphere.radius, level + 1.0f);
    }
  }
  EXPECT_EQ(RpAtomicGetRenderCallBack(atomic), _rpLODAtomicRender);
  EXPECT_EQ(record->previousRender, RpAtomicDefaultRenderCallBack);
  EXPECT_EQ(Written([&](RwStream* s) { return RpClumpStreamWrite(read, s); }), bytes);
  RpClumpDestroy(read);

  // An atomic without levels writes no LOD sub-chunk.
  ASSERT_NE(_rpLODAtomicTakeRecord(atomic_), nullptr);
  RpClump* plain = RpClumpCreate();
  RpClumpSetFrame(plain, RwFrameCreate());
  AddClumpAtomic(plain, RpClumpGetFrame(plain), levels_[0], rpATOMICRENDER);
  const std::vector<uint8_t> plainBytes = Written([&](RwStream* s) { return RpClumpStreamWrite(plain, s); });
  RpClumpDestroy(plain);
  RpClump* plainRead = ReadChunk(plainBytes, kRwChunkClump, RpClumpStreamRead);
  EXPECT_EQ(RpLODAtomicGetCurrentLOD(Members(plainRead, RpClumpForAllAtomics)[0]), -1);
  RpClumpDestroy(plainRead);
}

// Where the LOD sub-chunk's struct body starts in written clump bytes.
size_t LODStructBody(const std::vector<uint8_t>& bytes) {
  for (size_t at = 0; at + 24 <= bytes.size(); ++at) {
    if (U32At(bytes, at) == kRpLODAtomicPluginId && U32At(bytes, at + 12) == kRwChunkStruct &&
        U32At(bytes, at + 16) == 64) {
      return at + 24;
    }
  }
  ADD_FAILURE() << "no LOD sub-chunk";
  return 0;
}

TEST_F(LODAtomicTest, CorruptSubChunksFailOrLeaveLevelsEmpty) {
  RpLODAtomicSetGeometry(atomic_, 1, levels_[1]);
  RpLODAtomicSetRange(atomic_, 100.0f);
  const std::vector<uint8_t> good = Written([&](RwStream* s) { return RpClumpStreamWrite(clump_, s); });
  const size_t body = LODStructBody(good);
  struct Case {
    const char* what;
    size_t offset;  // from the struct body
    uint32_t value;
    bool reads;
  };
  const Case cases[] = {
      {"current level 10", 20, 10, false},
      {"current level -2", 20, 0xFFFFFFFEu, false},
      {"no struct chunk", static_cast<size_t>(-12), 2, false},
      {"a level word without its geometry", 24 + 4 * 7, 1, true},
      {"a level geometry with too many vertices", 64 + 12 + 12 + 8, 0x10000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = good;
    PutU32(&bytes, body + c.offset, c.value);
    RpClump* read = ReadChunk(bytes, kRwChunkClump, RpClumpStreamRead);
    TakeError();
    ASSERT_EQ(read != nullptr, c.reads);
    if (read != nullptr) {
      const RpLODAtomicRecord* record = _rpLODAtomicGetRecord(Members(read, RpClumpForAllAtomics)[0]);
      EXPECT_EQ(record->geometry[7], nullptr);
      EXPECT_NE(record->geometry[1], nullptr);
      RpClumpDestroy(read);
    }
  }
}

TEST_F(LODAtomicTest, ForgedPartsCarryTheirLevels) {
  ForgePart part;
  part.levels = {{3, kForgeShapeBox, {2.0f, 2.0f, 2.0f}, 1}, {7, kForgeShapeGrid, {4.0f, 0.0f, 0.0f}, 2}};
  part.lodRange = 50.0f;
  RpClump* forged = ForgeClumpCreate({part});
  ASSERT_NE(forged, nullptr);
  const RpLODAtomicRecord* record = _rpLODAtomicGetRecord(Members(forged, RpClumpForAllAtomics)[0]);
  EXPECT_EQ(record->farRange, 50.0f);
  EXPECT_NE(record->geometry[0], nullptr);
  EXPECT_EQ(record->geometry[3]->numTriangles, 12);  // a box
  EXPECT_EQ(record->geometry[7]->numTriangles, 8);   // a grid of 2 x 2 cells
  EXPECT_EQ(record->geometry[1], nullptr);
  RpClumpDestroy(forged);
  part.lodRange = 0.0f;  // levels without a range are refused
  EXPECT_EQ(ForgeClumpCreate({part}), nullptr);
  TakeError();
}

TEST_F(LODAtomicTest, ClumpsLeftAtStopReturnTheirRecords) {
  StoreAllLevels();
  RpClumpClone(clump_);  // left for the world module to destroy at stop
  leftOver_ = true;
}

}  // namespace
