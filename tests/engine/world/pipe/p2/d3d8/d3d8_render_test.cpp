// The default render callback: colours through the material sources when
// lit, vertex alpha per mesh, and one draw per mesh that has what it needs.
// (Black mode is seen in the atomic pipeline's pictures.)
#include <gtest/gtest.h>

#include "tests/engine/world/pipe/p2/d3d8/pipe_fixture.h"

namespace pipe_test {
namespace {

class RenderCallBackTest : public WorldPipeTest {
 protected:
  static RwUInt32 State(D3DRENDERSTATETYPE state) {
    RwUInt32 value = 0;
    RwD3D8GetRenderState(state, &value);
    return value;
  }
};

TEST_F(RenderCallBackTest, LitMeshesTakeMaterialSourcesAndVertexAlphaPerMesh) {
  Start();
  RpGeometry* geometry = Geometry(Row(6), {0, 1, 2}, 0, Material({255, 255, 255, 128}));
  ASSERT_NE(geometry, nullptr);
  SetMeshes(geometry, {{0, 1, 2}, {3, 4, 5}});
  RpMaterialListAppendMaterial(&geometry->matList, Material());
  RpMeshHeaderGetFirstMesh(geometry->mesh)[0].material = RpMaterialListGetMaterial(&geometry->matList, 1);
  RwResEntry* entry = Instance(geometry);
  ASSERT_NE(entry, nullptr);
  ASSERT_TRUE(BeginDrawing(kClear));
  RwD3D8SetRenderState(D3DRS_LIGHTING, TRUE);
  RwD3D8RenderStateVertexAlphaEnable(FALSE);
  Record();
  RpD3D8DefaultRenderCallBack(entry, nullptr, kRpD3D8ObjectWorldSector, rpGEOMETRYPRELIT);
  EXPECT_EQ(Calls("DrawIndexedPrimitive"), 2u);
  EXPECT_EQ(LastSent(D3DRS_COLORVERTEX), 1u);
  EXPECT_EQ(LastSent(D3DRS_EMISSIVEMATERIALSOURCE), uint64_t(D3DMCS_COLOR1));
  // The translucent material of the second mesh switched vertex alpha on.
  EXPECT_TRUE(RwD3D8RenderStateIsVertexAlphaEnable());
  EXPECT_EQ(LastSent(D3DRS_DIFFUSEMATERIALSOURCE), uint64_t(D3DMCS_COLOR1));
  EXPECT_EQ(LastSent(D3DRS_ALPHABLENDENABLE), 1u);
  // The buffer is shared: the stream is set once for both meshes.
  EXPECT_EQ(Calls("SetStreamSource"), 1u);

  // Lit without colours: the material gives them.
  RpD3D8DefaultRenderCallBack(entry, nullptr, kRpD3D8ObjectWorldSector, 0);
  EXPECT_EQ(State(D3DRS_COLORVERTEX), 0u);
  EXPECT_EQ(State(D3DRS_EMISSIVEMATERIALSOURCE), uint32_t(D3DMCS_MATERIAL));
  RwCameraEndUpdate(camera_);
}

TEST_F(RenderCallBackTest, DrawsUnindexedRunsAndSkipsMeshesThatLostTheirIndices) {
  Start();
  RpGeometry* geometry = Geometry(Row(9), {0, 1, 2});
  ASSERT_NE(geometry, nullptr);
  SetMeshes(geometry, {{0, 0, 0}, {0, 0, 0, 0, 0, 0}}, kRpMeshHeaderTriList | kRpMeshHeaderUnindexed);
  RwResEntry* runs = Instance(geometry);
  ASSERT_NE(runs, nullptr);
  ASSERT_TRUE(BeginDrawing(kClear));
  Record();
  RpD3D8DefaultRenderCallBack(runs, nullptr, kRpD3D8ObjectWorldSector, rpGEOMETRYPRELIT);
  EXPECT_EQ(Calls("DrawIndexedPrimitive"), 0u);
  ASSERT_EQ(Calls("DrawPrimitive"), 2u);
  // Each mesh takes the next run of vertices, without an index buffer.
  const RpD3D8InstanceData* records = RpD3D8InstanceDataGetRecords(runs);
  EXPECT_EQ(records[1].minVert, 3u);
  EXPECT_EQ(records[1].indexBuffer, nullptr);
  // Type, first vertex of the run's range, triangles.
  EXPECT_EQ(Args("DrawPrimitive"), (std::vector<uint64_t>{D3DPT_TRIANGLELIST, records[1].baseIndex, 2}));
  RwResourcesFreeResEntry(runs);

  SetMeshes(geometry, {{0, 1, 2}, {3, 4, 5, 6, 7, 8}});
  RwResEntry* lists = Instance(geometry);
  ASSERT_NE(lists, nullptr);
  RpD3D8InstanceData* record = RpD3D8InstanceDataGetRecords(lists);
  record[0].indexBuffer->Release();
  record[0].indexBuffer = nullptr;
  Record();
  RpD3D8DefaultRenderCallBack(lists, nullptr, kRpD3D8ObjectWorldSector, rpGEOMETRYPRELIT);
  EXPECT_EQ(Calls("DrawPrimitive"), 0u);
  ASSERT_EQ(Calls("DrawIndexedPrimitive"), 1u);
  // Type, minimum index, vertices, first index, triangles.
  EXPECT_EQ(Args("DrawIndexedPrimitive"), (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 6, 0, 2}));
  RwCameraEndUpdate(camera_);
}

}  // namespace
}  // namespace pipe_test
