// Bump-map vertices: the shift of the second coordinates towards the light
// along each vertex's tangent frame, the same for a quad drawn as a strip, a
// list or an indexed list, and the light found on its frame.
#include "engine/plugin/matfx/matfx_bump_vertices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/engine.h"
#include "tests/support/started_engine.h"

namespace {

// Position, normal, colour and one coordinate set: the usual lit, pre-lit
// geometry vertex.
struct SourceVertex {
  RwV3d position;
  RwV3d normal;
  RwUInt32 color;
  RwReal u;
  RwReal v;
};
constexpr RwUInt32 kSourceFvf = 0x152;

// A unit quad in the xy plane facing +z, u along x and v along y, in strip
// order: (0, 0), (0, 1), (1, 0), (1, 1).
std::vector<SourceVertex> Quad() {
  std::vector<SourceVertex> quad;
  for (const RwV3d& p : {RwV3d{0, 0, 0}, RwV3d{0, 1, 0}, RwV3d{1, 0, 0}, RwV3d{1, 1, 0}}) {
    quad.push_back({p, {0, 0, 1}, 0x80FF0000u, p.x, p.y});
  }
  return quad;
}

std::vector<RpMatFXBumpVertex> Fill(const std::vector<SourceVertex>& vertices, RwUInt32 primType,
                                    const std::vector<RwUInt16>& indices, const RpMatFXBumpLight& light, RwReal shift) {
  const RpMatFXBumpSource source = {reinterpret_cast<const RwUInt8*>(vertices.data()),
                                    sizeof(SourceVertex),
                                    kSourceFvf,
                                    static_cast<RwUInt32>(vertices.size()),
                                    indices.empty() ? nullptr : indices.data(),
                                    static_cast<RwUInt32>(indices.size()),
                                    primType};
  std::vector<RpMatFXBumpVertex> out(vertices.size());
  EXPECT_TRUE(_rpMatFXBumpFillVertices(&source, &light, shift, out.data()));
  return out;
}

class BumpVerticesTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine([] { return RpWorldPluginAttach() != FALSE; });
  }
};

TEST_F(BumpVerticesTest, EveryDrawingOfAQuadShiftsAlike) {
  const std::vector<SourceVertex> quad = Quad();
  struct Case {
    const char* name;
    RwUInt32 primType;
    std::vector<RwUInt16> indices;
  };
  const Case cases[] = {
      {"strip", D3DPT_TRIANGLESTRIP, {}},
      {"indexed strip", D3DPT_TRIANGLESTRIP, {0, 1, 2, 3}},
      {"indexed list", D3DPT_TRIANGLELIST, {0, 1, 2, 2, 1, 3}},
  };
  const RpMatFXBumpLight alongU = {{1, 0, 0}, TRUE};
  const RpMatFXBumpLight alongV = {{0, 1, 0}, TRUE};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<RpMatFXBumpVertex> u = Fill(quad, c.primType, c.indices, alongU, 0.25f);
    const std::vector<RpMatFXBumpVertex> v = Fill(quad, c.primType, c.indices, alongV, 0.25f);
    for (size_t i = 0; i < quad.size(); i++) {
      SCOPED_TRACE(i);
      EXPECT_EQ(u[i].position.x, quad[i].position.x);
      EXPECT_EQ(u[i].normal.z, 1.0f);
      EXPECT_EQ(u[i].color, 0x80FF0000u);
      EXPECT_EQ(u[i].u0, quad[i].u);
      EXPECT_EQ(u[i].v0, quad[i].v);
      // A light along u shifts u by the whole shift and v not at all; the
      // winding of every triangle agrees, so every vertex moves alike.
      EXPECT_FLOAT_EQ(u[i].u1 - u[i].u0, u[0].u1 - u[0].u0);
      EXPECT_FLOAT_EQ(std::fabs(u[i].u1 - u[i].u0), 0.25f);
      EXPECT_FLOAT_EQ(u[i].v1, u[i].v0);
      EXPECT_FLOAT_EQ(v[i].u1, v[i].u0);
      EXPECT_FLOAT_EQ(v[i].v1 - v[i].v0, v[0].v1 - v[0].v0);
      EXPECT_FLOAT_EQ(std::fabs(v[i].v1 - v[i].v0), 0.25f);
    }
  }
}

TEST_F(BumpVerticesTest, PositionedLightsAreSeenFromEachVertex) {
  std::vector<SourceVertex> quad = Quad();
  // Far out along +x: every vertex sees it nearly along u, the upper ones
  // slightly below them.
  const RpMatFXBumpLight point = {{10, 0, 0}, FALSE};
  const std::vector<RpMatFXBumpVertex> out = Fill(quad, D3DPT_TRIANGLESTRIP, {}, point, 1.0f);
  EXPECT_FLOAT_EQ(out[0].v1, out[0].v0);
  EXPECT_NEAR(std::fabs(out[1].v1 - out[1].v0), 1.0f / std::sqrt(101.0f), 1e-5f);
  EXPECT_NEAR(std::fabs(out[3].v1 - out[3].v0), 1.0f / std::sqrt(82.0f), 1e-5f);

  // Without normals, colours or coordinates: zero normal, white, no shift
  // across v.
  struct Bare {
    RwV3d position;
  };
  const std::vector<Bare> bare = {{{0, 0, 0}}, {{0, 1, 0}}, {{1, 0, 0}}};
  const RpMatFXBumpSource source = {
      reinterpret_cast<const RwUInt8*>(bare.data()), sizeof(Bare), D3DFVF_XYZ, 3, nullptr, 0, D3DPT_TRIANGLELIST};
  RpMatFXBumpVertex plain[3];
  ASSERT_TRUE(_rpMatFXBumpFillVertices(&source, &point, 1.0f, plain));
  EXPECT_EQ(plain[1].color, 0xFFFFFFFFu);
  EXPECT_EQ(plain[1].normal.z, 0.0f);
  EXPECT_EQ(plain[1].u1, 0.0f);
  EXPECT_EQ(plain[1].v1, 0.0f);
}

TEST_F(BumpVerticesTest, IndexedVerticesTakeTheirFirstTriangleAndOutsidersStay) {
  std::vector<SourceVertex> quad = Quad();
  quad.push_back({{5, 5, 0}, {0, 0, 1}, 0, 0.5f, 0.5f});  // used by no index
  const RpMatFXBumpLight alongU = {{1, 0, 0}, TRUE};
  // Vertex 1 first appears in the second triangle, listed in the other
  // winding: its shift has the other sign than vertex 0's.
  const std::vector<RpMatFXBumpVertex> out = Fill(quad, D3DPT_TRIANGLELIST, {0, 2, 3, 1, 3, 2, 0, 1, 2}, alongU, 1.0f);
  EXPECT_FLOAT_EQ(out[0].u1 - out[0].u0, -(out[1].u1 - out[1].u0));
  EXPECT_EQ(out[4].u1, 0.5f);
  EXPECT_EQ(out[4].v1, 0.5f);
  // An index beyond the vertices and an incomplete triangle are passed over.
  const std::vector<RpMatFXBumpVertex> odd = Fill(quad, D3DPT_TRIANGLELIST, {0, 9, 2, 1, 2}, alongU, 1.0f);
  EXPECT_EQ(odd[0].u1, odd[0].u0);
  EXPECT_EQ(odd[1].u1, odd[1].u0);
}

TEST_F(BumpVerticesTest, LightOfTheFrameInObjectSpace) {
  RwFrame* frame = RwFrameCreate();
  const RwV3d position = {1, 2, 3};
  const RwV3d xAxis = {1, 0, 0};
  RwFrameRotate(frame, &xAxis, 90.0f, kRwCombineReplace);  // at (0, 0, 1) turns to (0, -1, 0)
  RwFrameTranslate(frame, &position, kRwCombinePostConcat);
  RwMatrix* inverseWorld = RwMatrixCreate();
  const RwV3d offset = {-1, 0, 0};
  RwMatrixTranslate(inverseWorld, &offset, kRwCombineReplace);

  // No light: the frame's position, as a point.
  RpMatFXBumpLight light = _rpMatFXBumpLightInObjectSpace(frame, inverseWorld);
  EXPECT_FALSE(light.isDirection);
  EXPECT_NEAR(light.value.x, 0.0f, 1e-5f);
  EXPECT_NEAR(light.value.y, 2.0f, 1e-5f);
  EXPECT_NEAR(light.value.z, 3.0f, 1e-5f);

  const RwInt32 types[] = {rpLIGHTDIRECTIONAL, rpLIGHTSPOT, rpLIGHTSPOTSOFT, rpLIGHTPOINT};
  for (RwInt32 type : types) {
    SCOPED_TRACE(type);
    RpLight* lamp = RpLightCreate(type);
    RpLightSetFrame(lamp, frame);
    light = _rpMatFXBumpLightInObjectSpace(frame, inverseWorld);
    if (type == rpLIGHTPOINT) {
      EXPECT_FALSE(light.isDirection);
    } else {
      // Towards the light: against its at-vector, untouched by translation.
      EXPECT_TRUE(light.isDirection);
      EXPECT_NEAR(light.value.x, 0.0f, 1e-5f);
      EXPECT_NEAR(light.value.y, 1.0f, 1e-5f);
      EXPECT_NEAR(light.value.z, 0.0f, 1e-5f);
    }
    RpLightSetFrame(lamp, nullptr);
    RpLightDestroy(lamp);
  }
  RwMatrixDestroy(inverseWorld);
  RwFrameDestroy(frame);
}

}  // namespace
