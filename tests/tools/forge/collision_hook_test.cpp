// The forge's collision trees: every forged sector carries one over all its
// polygons unless the option (or the scene's "collision off") turns them off,
// and clump parts can carry geometry trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/plugin/collis/collis_internal.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/started_engine.h"
#include "tools/forge/forge.h"

namespace {

class CollisionHookTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine([] { return RpWorldPluginAttach() && RpCollisionPluginAttach(); });
  }

  static ForgeSoup Scene() {
    ForgeSoup soup;
    soup.materials.resize(1);
    ForgeAddGrid(&soup, {-40.0f, 0.0f, -40.0f}, 80.0f, 12, 0);
    ForgeAddBox(&soup, {-5.0f, 0.0f, -5.0f}, {5.0f, 10.0f, 5.0f}, 0);
    return soup;
  }

  // The sectors' collision data, in walk order.
  static std::vector<const RpCollisionData*> SectorData(RpWorld* world, std::vector<RwInt32>* polygons) {
    struct Walk {
      std::vector<const RpCollisionData*> data;
      std::vector<RwInt32>* polygons;
    } walk = {{}, polygons};
    RpWorldForAllWorldSectors(
        world,
        [](RpWorldSector* sector, void* data) {
          auto* w = static_cast<Walk*>(data);
          w->data.push_back(_rpCollisionWorldSectorGetData(sector));
          w->polygons->push_back(sector->numPolygons);
          return sector;
        },
        &walk);
    return walk.data;
  }
};

TEST_F(CollisionHookTest, EverySectorCarriesATreeUnlessTurnedOff) {
  ForgeWorldOptions options;
  options.maxSectorTriangles = 40;
  for (const bool trees : {true, false}) {
    SCOPED_TRACE(trees ? "trees on" : "trees off");
    options.collisionTrees = trees;
    RpWorld* world = ForgeWorldCreate(Scene(), options);
    ASSERT_NE(world, nullptr);
    std::vector<RwInt32> polygons;
    const std::vector<const RpCollisionData*> data = SectorData(world, &polygons);
    ASSERT_GT(data.size(), 4u);
    for (size_t i = 0; i < data.size(); ++i) {
      if (!trees) {
        EXPECT_EQ(data[i], nullptr);
        continue;
      }
      ASSERT_NE(data[i], nullptr) << "sector " << i;
      EXPECT_EQ(data[i]->mapLength, polygons[i]);
      EXPECT_EQ(data[i]->flags, kRpCollisionDataOneBlock);
    }
    RpWorldDestroy(world);
  }
  ForgeSoup soup;
  ForgeWorldOptions read;
  std::string error;
  EXPECT_TRUE(ForgeReadScene("collision off\n", &soup, &read, &error)) << error;
  EXPECT_FALSE(read.collisionTrees);
  EXPECT_FALSE(ForgeReadScene("collision maybe\n", &soup, &read, &error));
  EXPECT_EQ(error, "line 1: collision is on or off");
}

TEST_F(CollisionHookTest, ClumpPartsCanCarryGeometryTrees) {
  std::vector<ForgePart> parts(2);
  parts[1].shape = kForgeShapeGrid;
  parts[1].cells = 4;
  parts[1].collisionData = true;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(WriteToMemory([&parts](RwStream* stream) { return ForgeWriteClump(stream, parts); }, &bytes));
  RwStream* stream = OpenMemoryRead(bytes);
  ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkClump, nullptr, nullptr));
  RpClump* clump = RpClumpStreamRead(stream);
  RwStreamClose(stream, nullptr);
  ASSERT_NE(clump, nullptr);
  std::vector<RwBool> carried;
  RpClumpForAllAtomics(
      clump,
      [](RpAtomic* atomic, void* data) {
        static_cast<std::vector<RwBool>*>(data)->push_back(RpCollisionGeometryQueryData(atomic->geometry));
        return atomic;
      },
      &carried);
  std::sort(carried.begin(), carried.end());
  EXPECT_EQ(carried, (std::vector<RwBool>{0, 1}));
  RpClumpDestroy(clump);
}

}  // namespace
