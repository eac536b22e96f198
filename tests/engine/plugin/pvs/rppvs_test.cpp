// Visibility sets on forged worlds: data and hooking, the viewer's sector,
// only visible sectors rendered with the counters, atomic visibility, bitmaps
// that are short or missing, and corrupt sub-chunks.
#include "engine/plugin/pvs/rppvs.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "engine/plugin/pvs/pvs_internal.h"
#include "tests/engine/world/world_fixture.h"
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

using world_test::Members;
using world_test::WorldTest;

bool AttachPVS() { return RpPVSPluginAttach(); }

std::vector<RpWorldSector*> gDrawn;

RpWorldSector* DrawSector(RpWorldSector* sector) {
  gDrawn.push_back(sector);
  return sector;
}

// Sector k sees the sectors whose bits row k sets: 0 sees 0 and 1; 1 sees
// 0, 1 and 2; 2 only itself; 3 itself and 0.
const std::vector<std::vector<RwUInt8>> kRows = {{0x03}, {0x07}, {0x04}, {0x09}};

class PVSTest : public WorldTest {
 protected:
  void SetUp() override {
    Start(AttachPVS);
    gDrawn.clear();
  }

  void TearDown() override {
    if (world_ != nullptr) {
      RpWorldDestroy(world_);
    }
    WorldTest::TearDown();
  }

  // Four boxes of 12 triangles along x, one a sector, with the hooks given.
  void Forge(const std::vector<ForgeWorldHook>& hooks) {
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    for (RwReal x : {-200.0f, -90.0f, 10.0f, 110.0f}) {
      ForgeAddBox(&soup, {x, 0.0f, -50.0f}, {x + 80.0f, 10.0f, 50.0f}, 0);
    }
    ForgeWorldOptions options;
    options.maxSectorTriangles = 12;
    options.hooks = hooks;
    world_ = ForgeWorldCreate(soup, options);
    ASSERT_NE(world_, nullptr);
    sectors_ = Members(world_, RpWorldForAllWorldSectors);
    ASSERT_EQ(sectors_.size(), 4u);
    RpWorldSetSectorRenderCallBack(world_, DrawSector);
  }

  // Every sector through the world's sector render callback.
  void RenderAll() {
    gDrawn.clear();
    for (RpWorldSector* sector : sectors_) {
      RpWorldGetSectorRenderCallBack(world_)(sector);
    }
  }

  RpWorldSector* ViewerAt(const RwV3d& position) {
    RpPVSSetViewPosition(world_, &position);
    return _rpPVSViewerSector();
  }

  RpWorld* world_ = nullptr;
  std::vector<RpWorldSector*> sectors_;
};

TEST_F(PVSTest, WorldsWithoutDataAreNeverHooked) {
  Forge({});
  EXPECT_EQ(RpPVSWorldHasData(world_), 0);
  RpPVSHook(world_);
  EXPECT_EQ(RpWorldGetSectorRenderCallBack(world_), DrawSector);
  EXPECT_EQ(_rpPVSSector(sectors_[0])->sectorIndex, -1);
}

TEST_F(PVSTest, TheViewerIsTheLastSectorHoldingThePosition) {
  Forge({ForgeVisibilityHook(kRows)});
  EXPECT_NE(RpPVSWorldHasData(world_), 0);
  const RwBBox& left = _rpPVSSector(sectors_[1])->region;
  const RwBBox& right = _rpPVSSector(sectors_[2])->region;
  EXPECT_EQ(left.sup.x, right.inf.x);  // the root plane
  EXPECT_EQ(ViewerAt({50.0f, 5.0f, 0.0f}), sectors_[2]);
  EXPECT_EQ(ViewerAt({left.sup.x, 5.0f, 0.0f}), sectors_[2]);  // on the plane: the later one
  EXPECT_EQ(ViewerAt({50.0f, 500.0f, 0.0f}), sectors_[0]);     // outside every region: the first
  EXPECT_EQ(_rpPVSWorld(world_)->numSectors, 4);

  // The sectors and the world write back what the forge stored.
  const RwInt32 sectorOffset = RpWorldSectorGetPluginOffset(kRpPVSPluginId);
  const RwInt32 worldOffset = RpWorldGetPluginOffset(kRpPVSPluginId);
  EXPECT_EQ(Written([&](RwStream* s) { return _rpPVSSectorStreamWrite(s, 13, sectors_[1], sectorOffset, 0); }),
            ChunkBytes().S32(1).S32(1).S32(0).Bytes({0x07}).bytes());
  EXPECT_EQ(Written([&](RwStream* s) { return _rpPVSWorldStreamWrite(s, 8, world_, worldOffset, 0); }),
            ChunkBytes().S32(1).S32(0).bytes());
}

TEST_F(PVSTest, HookedWorldsRenderOnlyWhatTheViewerSeesAndCountTriangles) {
  Forge({ForgeVisibilityHook(kRows)});
  RpPVSHook(world_);
  RpPVSHook(world_);  // the second keeps the world's own callback
  EXPECT_EQ(_rpPVSWorld(world_)->renderCallBack, DrawSector);
  ViewerAt({-50.0f, 5.0f, 0.0f});  // sector 1
  RenderAll();
  EXPECT_EQ(gDrawn, std::vector<RpWorldSector*>(sectors_.begin(), sectors_.begin() + 3));
  ViewerAt({150.0f, 5.0f, 0.0f});  // sector 3
  RenderAll();
  EXPECT_EQ(gDrawn, (std::vector<RpWorldSector*>{sectors_[0], sectors_[3]}));
  EXPECT_EQ(_rpPVSWorld(world_)->trianglesConsidered, 8 * 12);
  EXPECT_EQ(_rpPVSWorld(world_)->trianglesRendered, 5 * 12);

  RpPVSUnhook(world_);
  EXPECT_EQ(RpWorldGetSectorRenderCallBack(world_), DrawSector);
  RenderAll();
  EXPECT_EQ(gDrawn.size(), 4u);
}

TEST_F(PVSTest, AtomicsAreVisibleWhenASectorTheyTouchIs) {
  Forge({ForgeVisibilityHook(kRows)});
  ForgePart part;
  part.size = {10.0f, 10.0f, 10.0f};
  RpClump* clump = ForgeClumpCreate({part});
  RpAtomic* atomic = Members(clump, RpClumpForAllAtomics)[0];
  RpWorldAddClump(world_, clump);
  const RwV3d inSectorTwo = {50.0f, 5.0f, 0.0f};
  RwFrameTranslate(RpClumpGetFrame(clump), &inSectorTwo, kRwCombineReplace);
  RwFrameSyncDirty();
  struct Case {
    RwV3d viewer;
    RwInt32 visible;
  };
  const Case cases[] = {{{-50.0f, 5.0f, 0.0f}, 1}, {{-150.0f, 5.0f, 0.0f}, 0}, {{50.0f, 5.0f, 0.0f}, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.viewer.x);
    ViewerAt(c.viewer);
    EXPECT_EQ(RpPVSAtomicVisible(atomic), c.visible);
  }
  RpWorldRemoveClump(world_, clump);
  RpClumpDestroy(clump);
}

TEST_F(PVSTest, ShortOrMissingBitmapsAndGivenVisibility) {
  // Sector 2's row is all it has: bits past a bitmap are not visible.
  std::vector<ForgeWorldHook> hooks = {ForgeVisibilityHook(kRows)};
  hooks.push_back(ForgeWorldHook());
  hooks.back().sector = [](const ForgeWorldLayout&, const ForgeSector& sector, ForgeExtension* extension) {
    if (sector.index == 0) {  // a second sub-chunk replaces the first: an index without a bitmap
      extension->push_back({kRpPVSPluginId, ForgeBytes().S32(0).S32(0).S32(0).bytes()});
    }
  };
  Forge(hooks);
  RpPVSHook(world_);
  ViewerAt({-150.0f, 5.0f, 0.0f});  // sector 0, without a bitmap, sees everything
  RenderAll();
  EXPECT_EQ(gDrawn.size(), 4u);
  _rpPVSSector(sectors_[3])->sectorIndex = 8;  // past sector 2's one-byte bitmap
  ViewerAt({50.0f, 5.0f, 0.0f});
  RenderAll();
  EXPECT_EQ(gDrawn, std::vector<RpWorldSector*>{sectors_[2]});
  RpPVSUnhook(world_);

  // Visibility given afterwards: every sector sees every other.
  ASSERT_EQ(RpPVSWorldSetVisibility(world_, nullptr), world_);
  EXPECT_EQ(_rpPVSSector(sectors_[3])->sectorIndex, 3);
  RpPVSHook(world_);
  RenderAll();
  EXPECT_EQ(gDrawn.size(), 4u);
}

TEST_F(PVSTest, CorruptSectorSubChunksFailTheWorld) {
  const std::vector<std::vector<RwUInt8>> bodies = {
      ForgeBytes().S32(0).S32(5).S32(0).U8(1).bytes(),  // bitmap past the sub-chunk
      ForgeBytes().S32(0).S32(-1).S32(0).bytes(),       // negative length
      ForgeBytes().S32(0).S32(0).bytes(),               // cut short
  };
  for (const std::vector<RwUInt8>& body : bodies) {
    ForgeWorldHook hook;
    hook.sector = [body](const ForgeWorldLayout&, const ForgeSector&, ForgeExtension* extension) {
      extension->push_back({kRpPVSPluginId, body});
    };
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    ForgeAddBox(&soup, {0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0);
    ForgeWorldOptions options;
    options.hooks = {hook};
    EXPECT_EQ(ForgeWorldCreate(soup, options), nullptr);
    TakeError();
  }
  EXPECT_EQ(NewBlocks(), 0);
}

// A world box without bounds (as a damaged file can give) still gives
// every sector a level on each axis within the levels' range.
TEST_F(PVSTest, UnboundedRegionsGetLevels) {
  Forge({});
  const RwReal unbounded = std::numeric_limits<RwReal>::infinity();
  world_->boundingBox = {{unbounded, unbounded, unbounded}, {-unbounded, -unbounded, -unbounded}};
  _rpPVSWorldComputeRegions(world_);
  for (RpWorldSector* sector : sectors_) {
    for (RwInt32 level : _rpPVSSector(sector)->axisLevels) {
      EXPECT_GE(level, -126);  // the flattest level
      EXPECT_LE(level, 0);
    }
  }
}

}  // namespace
