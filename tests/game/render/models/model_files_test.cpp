// Model files on the fake driver: collision data built for collision-tested
// atomics and written into the model once, never again; geometry copies
// through memory; collision paths.
#include "game/render/models/model_files.h"

#include <fstream>
#include <iterator>

#include "game/render/models/model_user_data.h"
#include "tests/game/render/models/model_fixture.h"
#include "tests/support/quad_model.h"
#include "tests/support/scratch_path.h"

namespace {

bool SameModelRgba(const RwRGBA& a, const RwRGBA& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct tCollisionCount {
  int withData;
  int atomics;
};

tCollisionCount CountCollisionData(RpClump* clump) {
  tCollisionCount count = {0, 0};
  RpClumpForAllAtomics(
      clump,
      [](RpAtomic* atomic, void* data) {
        tCollisionCount* c = static_cast<tCollisionCount*>(data);
        c->atomics++;
        c->withData += RpCollisionGeometryQueryData(RpAtomicGetGeometry(atomic)) ? 1 : 0;
        return atomic;
      },
      &count);
  return count;
}

class ModelFilesTest : public ModelEngineTest {
 protected:
  ScratchFolder mFolder{"model_files"};
};

TEST_F(ModelFilesTest, CollisionDataIsBuiltAndWrittenOnceOnly) {
  const std::string path = mFolder.File("door.dff");
  tTestQuad solid;
  solid.atomicFlags = kAtomicFlagRender | kAtomicFlagCollision;
  tTestQuad ghost;
  ASSERT_TRUE(WriteQuadModel(path, {solid, ghost}));
  const std::string written = FileBytes(path);

  // Without the build flag nothing is built.
  RpClump* clump = LoadClumpFile(path.c_str(), false, nullptr, true);
  ASSERT_NE(nullptr, clump);
  EXPECT_EQ(0, CountCollisionData(clump).withData);
  RpClumpDestroy(clump);

  clump = LoadClumpFile(path.c_str(), true, nullptr, true);
  ASSERT_NE(nullptr, clump);
  EXPECT_EQ(1, CountCollisionData(clump).withData);
  RpClumpDestroy(clump);
  const std::string rewritten = FileBytes(path);
  EXPECT_GT(rewritten.size(), written.size());

  // The rewritten model carries its data: loaded again, nothing is built
  // and the file stays as it is.
  clump = LoadClumpFile(path.c_str(), true, nullptr, true);
  ASSERT_NE(nullptr, clump);
  EXPECT_EQ(1, CountCollisionData(clump).withData);
  EXPECT_EQ(2, CountCollisionData(clump).atomics);
  EXPECT_FALSE(BuildCollisionAndSave(path.c_str(), clump));
  RpClumpDestroy(clump);
  EXPECT_EQ(rewritten, FileBytes(path));
}

TEST_F(ModelFilesTest, CollisionPathsPutTheFolderBeforeTheFileName) {
  EXPECT_EQ(cString("data/x/collision/door.dff"), MakeCollisionPath("data/x/door.dff"));
  EXPECT_EQ(cString("collision/door.dff"), MakeCollisionPath("door.dff"));
}

TEST_F(ModelFilesTest, GeometriesCopyThroughMemory) {
  tTestQuad quad;
  quad.prelit = {10, 20, 30, 40};
  quad.materials = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  RpGeometry* geometry = MakeQuadGeometry(quad);
  RpGeometry* copy = CloneGeometry(geometry);
  ASSERT_NE(nullptr, copy);
  EXPECT_NE(geometry, copy);
  EXPECT_EQ(4, copy->numVertices);
  EXPECT_PRED2(SameModelRgba, (RwRGBA{10, 20, 30, 40}), copy->preLitLum[3]);
  EXPECT_PRED2(SameModelRgba, (RwRGBA{5, 6, 7, 8}), *RpMaterialGetColor(RpMaterialListGetMaterial(&copy->matList, 1)));
  EXPECT_NE(RpMaterialListGetMaterial(&geometry->matList, 1), RpMaterialListGetMaterial(&copy->matList, 1));
  RpGeometryDestroy(copy);
  RpGeometryDestroy(geometry);
}

}  // namespace
