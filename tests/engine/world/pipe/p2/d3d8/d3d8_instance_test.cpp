// Instance data: one record per mesh with its rebased (and, for lists,
// sorted) index buffer, in the arena or persistent, refreshed through the
// callback and freed with its vertex ranges handed back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "engine/world/pipe/p2/d3d8/d3d8_instance_internal.h"
#include "tests/engine/world/pipe/p2/d3d8/pipe_fixture.h"

namespace pipe_test {
namespace {

TEST(TriangleCompare, OrdersBySmallestThenMiddleThenLargestIndex) {
  struct Case {
    RwUInt16 a[3];
    RwUInt16 b[3];
    int sign;
  };
  const Case cases[] = {
      {{5, 1, 9}, {2, 3, 4}, -1},  // smallest 1 against 2
      {{9, 2, 4}, {2, 8, 3}, 1},   // smallest equal, middle 4 against 3
      {{7, 2, 4}, {4, 2, 9}, -1},  // largest 7 against 9
      {{3, 1, 2}, {2, 3, 1}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a[0]);
    const int result = RpD3D8TriangleCompare(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign);
  }
}

TEST(VertexColor, PacksAndModulatesByTheMaterialColour) {
  const RwRGBA color = {255, 128, 0, 255};
  EXPECT_EQ(_rpD3D8VertexColor(color, nullptr), 0xFFFF8000u);
  // Each channel scaled by (material + 1) / 256.
  const RwRGBA material = {127, 255, 0, 128};
  EXPECT_EQ(_rpD3D8VertexColor(color, &material), 0x807F8000u);
  RpMaterial white = {};
  white.color = {255, 255, 255, 255};
  EXPECT_EQ(_rpD3D8ModulationColor(rpGEOMETRYMODULATEMATERIALCOLOR, &white), nullptr);
  RpMaterial grey = white;
  grey.color.alpha = 254;
  EXPECT_EQ(_rpD3D8ModulationColor(rpGEOMETRYMODULATEMATERIALCOLOR, &grey), &grey.color);
  EXPECT_EQ(_rpD3D8ModulationColor(0, &grey), nullptr);
}

using InstanceDataTest = WorldPipeTest;

TEST_F(InstanceDataTest, RebasesEachMeshToItsFirstVertex) {
  Start();
  RpGeometry* geometry = Geometry(Row(30), {0, 1, 2});
  ASSERT_NE(geometry, nullptr);
  // A list reaching 10..19, and one whose first triangle uses vertex 0,
  // which is left in its order.
  SetMeshes(geometry, {{14, 11, 19, 12, 10, 13}, {6, 0, 5, 0, 1, 2}});
  RwResEntry* entry = Instance(geometry);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(geometry->repEntry, entry);
  EXPECT_NE(entry->link.next, nullptr);  // in the arena
  EXPECT_EQ(RpD3D8InstanceDataGetHeader(entry)->serialNumber, geometry->mesh->serialNum);
  ASSERT_EQ(RpD3D8InstanceDataGetHeader(entry)->numMeshes, 2);
  const RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  EXPECT_EQ(records[0].minVert, 10u);
  EXPECT_EQ(records[0].numVertices, 10u);
  RwUInt32 count = 99;
  RwUInt32 minimum = 99;
  RpD3D8GetIndexRange(nullptr, 0, &count, &minimum);
  EXPECT_EQ(count + minimum, 0u);
  EXPECT_EQ(records[0].numIndices, 6u);
  EXPECT_EQ(records[0].primType, uint32_t(D3DPT_TRIANGLELIST));
  EXPECT_EQ(records[0].material, RpMaterialListGetMaterial(&geometry->matList, 0));
  // Rebased, triangle (4, 1, 9) sorts after (2, 0, 3).
  EXPECT_EQ(IndexBufferContents(records[0].indexBuffer, 6), (std::vector<RwUInt16>{2, 0, 3, 4, 1, 9}));
  EXPECT_EQ(IndexBufferContents(records[1].indexBuffer, 6), (std::vector<RwUInt16>{6, 0, 5, 0, 1, 2}));
  // The callback wrote the range's vertices from the mesh's first on.
  const std::vector<uint8_t> bytes = VertexBytes(records[0]);
  const PlainVertex* vertices = reinterpret_cast<const PlainVertex*>(bytes.data());
  EXPECT_EQ(vertices[0].position.x, 10.0f);
  EXPECT_EQ(vertices[9].position.x, 19.0f);
  EXPECT_EQ(InstanceLog().calls, 2);
}

TEST_F(InstanceDataTest, FailedCallbackLeavesNothingBehind) {
  Start();
  RpGeometry* geometry = Geometry(Row(9), {0, 1, 2});
  ASSERT_NE(geometry, nullptr);
  SetMeshes(geometry, {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}});
  for (RwBool persistent : {FALSE, TRUE}) {
    SCOPED_TRACE(persistent);
    InstanceLog() = PlainInstanceLog();
    InstanceLog().failAt = 2;
    const int blocks = LiveBlocks();
    EXPECT_EQ(Instance(geometry, persistent), nullptr);
    EXPECT_EQ(geometry->repEntry, nullptr);
    EXPECT_EQ(InstanceLog().calls, 2);
    EXPECT_EQ(LiveBlocks(), blocks);
    // The first mesh's range was handed back.
    IDirect3DVertexBuffer8* buffer = nullptr;
    RwUInt32 base = 99;
    ASSERT_TRUE(RpD3D8VertexBufferManagerCreate(kPlainFvf, sizeof(PlainVertex), &buffer, &base));
    EXPECT_EQ(base, 0u);
    RpD3D8VertexBufferManagerDestroy(kPlainFvf, sizeof(PlainVertex), buffer, base);
  }
}

TEST_F(InstanceDataTest, ReinstanceCallsTheCallbackPerMeshUntilOneFails) {
  Start();
  RpGeometry* geometry = Geometry(Row(9), {0, 1, 2});
  ASSERT_NE(geometry, nullptr);
  SetMeshes(geometry, {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}});
  RwResEntry* entry = Instance(geometry);
  ASSERT_NE(entry, nullptr);
  RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(entry);
  geometry->morphTarget[0].verts[4].y = 7.0f;
  EXPECT_TRUE(RpD3D8InstanceDataReinstance(geometry, geometry->mesh, records, PlainInstance));
  EXPECT_EQ(InstanceLog().reinstances, 3);
  const std::vector<uint8_t> bytes = VertexBytes(records[1]);
  EXPECT_EQ(reinterpret_cast<const PlainVertex*>(bytes.data())[1].position.y, 7.0f);

  InstanceLog() = PlainInstanceLog();
  InstanceLog().failAt = 2;
  EXPECT_FALSE(RpD3D8InstanceDataReinstance(geometry, geometry->mesh, records, PlainInstance));
  EXPECT_EQ(InstanceLog().calls, 2);
  EXPECT_TRUE(RpD3D8InstanceDataReinstance(geometry, geometry->mesh, records, nullptr));
}

}  // namespace
}  // namespace pipe_test
