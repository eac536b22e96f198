// The forge's shapes and procedural clumps: faces wound outwards, parts on
// frames of their own that read back through the engine's clump reader.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/started_engine.h"
#include "tools/forge/forge.h"

namespace {

bool AttachWorld() { return RpWorldPluginAttach() != FALSE; }

class ForgeClumpTest : public StartedEngineTest {
 protected:
  void SetUp() override { StartEngine(AttachWorld); }
};

RwV3d Sub(const RwV3d& a, const RwV3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
RwV3d Cross(const RwV3d& a, const RwV3d& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
RwReal Dot(const RwV3d& a, const RwV3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(ForgeShapesTest, FacesAreWoundTowardsTheirNormals) {
  ForgeSoup soup;
  ForgeAddBox(&soup, {-1.0f, -2.0f, -3.0f}, {1.0f, 2.0f, 3.0f}, 0);
  ForgeAddGrid(&soup, {0.0f, 1.0f, 0.0f}, 4.0f, 4, 0);
  ASSERT_EQ(soup.triangles.size(), 12u + 32u);
  const RwV3d centre = {0.0f, 0.0f, 0.0f};
  for (size_t i = 0; i < soup.triangles.size(); ++i) {
    SCOPED_TRACE(i);
    const ForgeTriangle& t = soup.triangles[i];
    const RwV3d& a = soup.vertices[t.vertex[0]].position;
    const RwV3d facing =
        Cross(Sub(soup.vertices[t.vertex[1]].position, a), Sub(soup.vertices[t.vertex[2]].position, a));
    EXPECT_GT(Dot(facing, soup.vertices[t.vertex[0]].normal), 0.0f);
    if (i < 12) {
      EXPECT_GT(Dot(facing, Sub(a, centre)), 0.0f);  // the box's faces point away from its centre
    }
  }
  EXPECT_FLOAT_EQ(soup.vertices.back().position.x, 4.0f);
  EXPECT_FLOAT_EQ(soup.vertices.back().uv[0].v, 1.0f);
}

TEST_F(ForgeClumpTest, PartsHangOnTheirParentsFramesAndReadBack) {
  std::vector<ForgePart> parts(3);
  parts[0].size = {2.0f, 4.0f, 6.0f};
  parts[0].offset = {10.0f, 0.0f, 0.0f};
  parts[1].shape = kForgeShapeGrid;
  parts[1].size = {8.0f, 0.0f, 0.0f};
  parts[1].cells = 2;
  parts[1].parent = 0;
  parts[1].offset = {0.0f, 5.0f, 0.0f};
  parts[1].material.texture = "grass";
  parts[2].parent = 1;
  parts[2].offset = {1.0f, 0.0f, 0.0f};
  std::vector<RwUInt8> bytes;
  RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  ASSERT_TRUE(ForgeWriteClump(out, parts));
  RwMemory memory = {nullptr, 0};
  RwStreamClose(out, &memory);
  bytes.assign(memory.start, memory.start + memory.length);
  RwFree(memory.start);

  RwMemory in = {bytes.data(), static_cast<RwUInt32>(bytes.size())};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &in);
  ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkClump, nullptr, nullptr));
  RpClump* clump = RpClumpStreamRead(stream);
  RwStreamClose(stream, nullptr);
  ASSERT_NE(clump, nullptr);
  EXPECT_EQ(RpClumpGetNumAtomics(clump), 3);
  EXPECT_EQ(RwFrameCount(RpClumpGetFrame(clump)), 4);
  struct Found {
    int grids = 0;
    RwReal deepestX = 0.0f;
  } found;
  RpClumpForAllAtomics(
      clump,
      [](RpAtomic* atomic, void* data) {
        auto* found = static_cast<Found*>(data);
        const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        if (geometry->numTriangles == 8) {
          found->grids++;
        } else {
          EXPECT_EQ(geometry->numTriangles, 12);
        }
        const RwReal x = RwFrameGetLTM(RpAtomicGetFrame(atomic))->pos.x;
        found->deepestX = x > found->deepestX ? x : found->deepestX;
        return atomic;
      },
      &found);
  EXPECT_EQ(found.grids, 1);
  EXPECT_FLOAT_EQ(found.deepestX, 11.0f);  // 10 + 0 + 1 down the chain
  RpClumpDestroy(clump);

  SCOPED_TRACE("the grid's material names its texture");
  RpClump* made = ForgeClumpCreate(parts);
  ASSERT_NE(made, nullptr);
  RpClumpForAllAtomics(
      made,
      [](RpAtomic* atomic, void*) {
        const RwTexture* texture = RpMaterialGetTexture(RpAtomicGetGeometry(atomic)->matList.materials[0]);
        EXPECT_EQ(texture != nullptr, RpAtomicGetGeometry(atomic)->numTriangles == 8);
        return atomic;
      },
      nullptr);
  RpClumpDestroy(made);

  SCOPED_TRACE("a parent that does not come first is refused");
  parts[0].parent = 2;
  EXPECT_EQ(ForgeClumpCreate(parts), nullptr);
}

}  // namespace
