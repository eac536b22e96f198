// Immediate-mode 3D: the pending record the transform leaves, the render
// calls and their errors, and the draws the submit node prepares for the
// driver's side.
#include "engine/src/pipe/p2/im3d.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/engine/src/pipe/p2/engine_fixture.h"

namespace {

using pipes_test::EngineTest;

struct Draw {
  RwIm3DSubmission submission;
  std::vector<RwUInt8> vertices;  // what the driver would copy
};

struct FakeSubmitDevice {
  bool indexBufferOpen = false;
  bool failIndexBuffer = false;
  std::vector<Draw> draws;
} gSubmit;

RwBool OpenIndexBuffer() {
  if (gSubmit.failIndexBuffer) {
    return FALSE;
  }
  gSubmit.indexBufferOpen = true;
  return TRUE;
}

void CloseIndexBuffer() { gSubmit.indexBufferOpen = false; }

RwBool DrawSubmission(const RwIm3DSubmission* submission) {
  Draw draw = {*submission, {}};
  if (submission->path == kRwIm3DSubmitExpanded) {
    draw.vertices.resize(submission->state->numIndices * submission->stride);
    RwIm3DCopyIndexedVertices(draw.vertices.data(), submission);
  } else {
    draw.vertices.resize(submission->state->numVertices * submission->stride);
    RwIm3DCopyVertices(draw.vertices.data(), submission);
  }
  gSubmit.draws.push_back(draw);
  return TRUE;
}

const RwIm3DSubmitDevice kDevice = {OpenIndexBuffer, CloseIndexBuffer, DrawSubmission};

class Im3DTest : public EngineTest {
 protected:
  void SetUp() override {
    gSubmit = FakeSubmitDevice();
    RwIm3DSetSubmitDevice(&kDevice);
    EngineTest::SetUp();
    vertices_.resize(70000);
    for (size_t i = 0; i < vertices_.size(); ++i) {
      vertices_[i] = {{RwReal(i), RwReal(i) + 0.5f, -RwReal(i)}, {0, 0, 1}, 0xFF000000u | RwUInt32(i), 0.25f, 0.75f};
    }
  }

  void TearDown() override {
    EngineTest::TearDown();
    EXPECT_FALSE(gSubmit.indexBufferOpen) << "closing the engine releases the shared index buffer";
    RwIm3DSetSubmitDevice(nullptr);
  }

  std::vector<RwIm3DVertex> vertices_;
};

TEST_F(Im3DTest, OpenBuildsOnePipelinePerRole) {
  EXPECT_TRUE(gSubmit.indexBufferOpen);
  RwPipeline* transform = RwIm3DGetTransformPipeline();
  ASSERT_NE(transform, nullptr);
  EXPECT_EQ(transform->ownerTag, static_cast<RwUInt32>(rwPIPELINE_OWNER_IM3D));
  ASSERT_EQ(transform->numNodes, 1u);
  EXPECT_STREQ(transform->nodes[0].nodeDef->name, "ImmInstance.csl");
  RwPipeline* render = RwIm3DGetRenderPipeline(kRwPrimTypeTriList);
  ASSERT_NE(render, nullptr);
  EXPECT_STREQ(render->nodes[0].nodeDef->name, "nodeD3D8SubmitNoLight.csl");
  for (RwUInt32 type = kRwPrimTypeLineList; type <= kRwPrimTypeTriFan; ++type) {
    EXPECT_EQ(RwIm3DGetRenderPipeline(type), render);
  }
  EXPECT_EQ(RwIm3DGetRenderPipeline(kRwPrimTypePointList), nullptr);
}

TEST_F(Im3DTest, TransformRecordsThePendingPrimitive) {
  RwMatrix* matrix = RwMatrixCreate();
  ASSERT_EQ(RwIm3DTransform(vertices_.data(), 4, matrix, kRwIm3DVertexUV | kRwIm3DNoClip), vertices_.data());
  const RwIm3DState* state = RwIm3DGetTransformState();
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->numVertices, 4u);
  EXPECT_EQ(state->vertices, vertices_.data());
  EXPECT_EQ(state->stride, 36u);
  EXPECT_EQ(state->flags, 0x1Du);
  EXPECT_EQ(state->matrix, matrix);
  EXPECT_TRUE(RwIm3DEnd());
  EXPECT_FALSE(RwIm3DEnd());
  RwMatrixDestroy(matrix);

  ASSERT_EQ(RwIm3DTransform(vertices_.data(), 65536, nullptr, 0), vertices_.data());
  EXPECT_EQ(RwIm3DGetTransformState()->numVertices, 65536u) << "the full count fits the record";
  EXPECT_TRUE(RwIm3DEnd());
  EXPECT_EQ(RwIm3DTransform(vertices_.data(), 65537, nullptr, 0), nullptr);
  EXPECT_EQ(TakeErrorCode(), 50u);
}

TEST_F(Im3DTest, RenderErrors) {
  RwUInt16 indices[3] = {0, 1, 2};
  EXPECT_FALSE(RwIm3DRenderPrimitive(kRwPrimTypeTriList));
  EXPECT_EQ(TakeErrorCode(), 35u);
  ASSERT_NE(RwIm3DTransform(vertices_.data(), 3, nullptr, 0), nullptr);
  EXPECT_FALSE(RwIm3DRenderPrimitive(kRwPrimTypePointList));
  EXPECT_EQ(TakeErrorCode(), 37u);
  EXPECT_FALSE(RwIm3DRenderIndexedPrimitive(9, indices, 3));
  EXPECT_EQ(TakeErrorCode(), 37u);
  RwUInt16 outside[3] = {0, 1, 3};
  EXPECT_FALSE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, outside, 3)) << "index past the vertices";
  TakeError();
  EXPECT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, indices, 3));
  EXPECT_TRUE(RwIm3DEnd());
  EXPECT_FALSE(RwIm3DRenderPrimitive(kRwPrimTypeTriList));
  EXPECT_EQ(TakeErrorCode(), 35u);
  EXPECT_EQ(RwIm3DSetRenderPipeline(nullptr, 0), nullptr);
  EXPECT_EQ(TakeErrorCode(), 37u);
}

TEST_F(Im3DTest, PrimitiveCountsAndLayouts) {
  struct Case {
    RwUInt32 type;
    RwUInt32 numVertices;
    RwUInt32 d3dType;
    RwUInt32 primitives;
  };
  const Case cases[] = {
      {kRwPrimTypeLineList, 5, kRwD3DPtLineList, 2},    {kRwPrimTypePolyLine, 5, kRwD3DPtLineStrip, 4},
      {kRwPrimTypeTriList, 7, kRwD3DPtTriangleList, 2}, {kRwPrimTypeTriStrip, 7, kRwD3DPtTriangleStrip, 5},
      {kRwPrimTypeTriFan, 7, kRwD3DPtTriangleFan, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    gSubmit.draws.clear();
    ASSERT_NE(RwIm3DTransform(vertices_.data(), c.numVertices, nullptr, kRwIm3DNoVertexAlpha), nullptr);
    ASSERT_TRUE(RwIm3DRenderPrimitive(c.type));
    ASSERT_EQ(gSubmit.draws.size(), 1u);
    const RwIm3DSubmission& s = gSubmit.draws[0].submission;
    EXPECT_EQ(s.d3dPrimType, c.d3dType);
    EXPECT_EQ(s.numPrimitives, c.primitives);
    EXPECT_EQ(s.path, static_cast<RwUInt32>(kRwIm3DSubmitVertices));
    EXPECT_EQ(s.fvf, static_cast<RwUInt32>(kRwIm3DFvfColour));
    EXPECT_EQ(s.stride, 16u);
    EXPECT_FALSE(s.vertexAlpha);
    EXPECT_TRUE(s.clipping);
    RwIm3DEnd();
  }
  // A strip of two vertices has no triangle: nothing reaches the device.
  gSubmit.draws.clear();
  ASSERT_NE(RwIm3DTransform(vertices_.data(), 2, nullptr, 0), nullptr);
  EXPECT_TRUE(RwIm3DRenderPrimitive(kRwPrimTypeTriStrip));
  EXPECT_TRUE(gSubmit.draws.empty());
  RwIm3DEnd();
}

TEST_F(Im3DTest, CopiedVerticesCarryPositionColourAndUV) {
  for (RwUInt32 flags : {0u, static_cast<RwUInt32>(kRwIm3DVertexUV)}) {
    SCOPED_TRACE(flags);
    gSubmit.draws.clear();
    ASSERT_NE(RwIm3DTransform(vertices_.data() + 2, 3, nullptr, flags), nullptr);
    ASSERT_TRUE(RwIm3DRenderPrimitive(kRwPrimTypeTriList));
    ASSERT_EQ(gSubmit.draws.size(), 1u);
    const Draw& draw = gSubmit.draws[0];
    const RwUInt32 stride = flags ? 24 : 16;
    EXPECT_EQ(draw.submission.stride, stride);
    EXPECT_EQ(draw.submission.fvf, flags ? 0x142u : 0x42u);
    ASSERT_EQ(draw.vertices.size(), 3 * stride);
    RwReal x, z, v;
    RwUInt32 colour;
    std::memcpy(&x, &draw.vertices[stride], 4);
    std::memcpy(&z, &draw.vertices[stride + 8], 4);
    std::memcpy(&colour, &draw.vertices[stride + 12], 4);
    EXPECT_EQ(x, 3.0f);
    EXPECT_EQ(z, -3.0f);
    EXPECT_EQ(colour, 0xFF000003u);
    if (flags) {
      std::memcpy(&v, &draw.vertices[stride + 20], 4);
      EXPECT_EQ(v, 0.75f);
    }
    RwIm3DEnd();
  }
}

TEST_F(Im3DTest, IndexedDraws) {
  std::vector<RwUInt16> indices(40000);
  for (size_t i = 0; i < indices.size(); ++i) {
    indices[i] = static_cast<RwUInt16>(i % 12);
  }
  ASSERT_NE(RwIm3DTransform(vertices_.data(), 12, nullptr, 0), nullptr);
  {
    SCOPED_TRACE("a triangle list of 10 indices draws 3 triangles");
    ASSERT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, indices.data(), 10));
    const RwIm3DSubmission& s = gSubmit.draws.back().submission;
    EXPECT_EQ(s.state->numIndices, 9u);
    EXPECT_EQ(s.numPrimitives, 3u);
    EXPECT_EQ(s.path, static_cast<RwUInt32>(kRwIm3DSubmitIndexed));
    EXPECT_EQ(s.indexStart, 0u);
    EXPECT_FALSE(s.discardIndexBuffer);
  }
  {
    SCOPED_TRACE("indices follow one another in the shared buffer");
    ASSERT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeLineList, indices.data(), 31));
    const RwIm3DSubmission& s = gSubmit.draws.back().submission;
    EXPECT_EQ(s.state->numIndices, 30u);
    EXPECT_EQ(s.indexStart, 9u);
  }
  {
    SCOPED_TRACE("passing position 65535 restarts at 0 with a discarding lock");
    ASSERT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, indices.data(), 39999));
    EXPECT_EQ(gSubmit.draws.back().submission.indexStart, 39u);
    ASSERT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, indices.data(), 30000));
    EXPECT_EQ(gSubmit.draws.back().submission.indexStart, 0u);
    EXPECT_TRUE(gSubmit.draws.back().submission.discardIndexBuffer);
    ASSERT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, indices.data(), 30));
    EXPECT_EQ(gSubmit.draws.back().submission.indexStart, 30000u);
    EXPECT_FALSE(gSubmit.draws.back().submission.discardIndexBuffer);
  }
  RwIm3DEnd();
}

TEST_F(Im3DTest, ShortIndexListsAreExpanded) {
  ASSERT_NE(RwIm3DTransform(vertices_.data(), 4, nullptr, 0), nullptr);
  RwUInt16 indices[6] = {0, 1, 2, 2, 3, 0};
  ASSERT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, indices, 6));
  ASSERT_EQ(gSubmit.draws.size(), 1u);
  const Draw& draw = gSubmit.draws[0];
  EXPECT_EQ(draw.submission.path, static_cast<RwUInt32>(kRwIm3DSubmitExpanded));
  EXPECT_EQ(draw.submission.numPrimitives, 2u);
  ASSERT_EQ(draw.vertices.size(), 6u * 16u);
  for (int i = 0; i < 6; ++i) {
    RwReal x;
    std::memcpy(&x, &draw.vertices[i * 16], 4);
    EXPECT_EQ(x, RwReal(indices[i]));
  }
  RwIm3DEnd();
}

TEST_F(Im3DTest, UpToEightIndicesAreExpandedWhateverTheVertexCount) {
  const RwUInt16 indices[9] = {0, 1, 2, 1, 2, 0, 2, 0, 1};
  struct Case {
    RwUInt32 numVertices;
    RwUInt32 numIndices;
    RwUInt32 path;
  };
  const Case cases[] = {
      {3, 8, kRwIm3DSubmitExpanded},    // more indices than vertices
      {300, 6, kRwIm3DSubmitExpanded},  // far fewer indices than vertices
      {3, 9, kRwIm3DSubmitIndexed},     // longer lists go to the shared index buffer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.numIndices << " indices over " << c.numVertices << " vertices");
    gSubmit.draws.clear();
    ASSERT_NE(RwIm3DTransform(vertices_.data(), c.numVertices, nullptr, 0), nullptr);
    ASSERT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypePolyLine, const_cast<RwUInt16*>(indices), c.numIndices));
    ASSERT_EQ(gSubmit.draws.size(), 1u);
    const Draw& draw = gSubmit.draws[0];
    EXPECT_EQ(draw.submission.path, c.path);
    EXPECT_EQ(draw.submission.numPrimitives, c.numIndices - 1);
    if (c.path == kRwIm3DSubmitExpanded) {
      ASSERT_EQ(draw.vertices.size(), c.numIndices * 16u);
      for (RwUInt32 i = 0; i < c.numIndices; ++i) {
        RwReal x;
        std::memcpy(&x, &draw.vertices[i * 16], 4);
        EXPECT_EQ(x, RwReal(indices[i])) << "vertex " << i << " follows the index order";
      }
    }
    RwIm3DEnd();
  }
}

TEST_F(Im3DTest, ReplacedPipelinesRunInsteadOfTheDefaults) {
  static int runs = 0;
  runs = 0;
  RwNodeDefinition counting = {};
  counting.name = "counting";
  counting.body = [](RwPipelineNode*, const RwPipelineNodeParams*) -> RwInt32 {
    ++runs;
    return TRUE;
  };
  RwPipeline* custom = RwPipelineCreate();
  ASSERT_NE(RwPipelineLock(custom), nullptr);
  ASSERT_NE(RwPipelineAddFragment(custom, nullptr, &counting, nullptr), nullptr);
  ASSERT_NE(RwPipelineUnlock(custom), nullptr);
  RwPipeline* defaultRender = RwIm3DGetRenderPipeline(kRwPrimTypeTriFan);

  EXPECT_EQ(RwIm3DSetRenderPipeline(custom, kRwPrimTypeTriFan), custom);
  EXPECT_EQ(RwIm3DSetTransformPipeline(custom), custom);
  ASSERT_NE(RwIm3DTransform(vertices_.data(), 5, nullptr, 0), nullptr);
  ASSERT_TRUE(RwIm3DRenderPrimitive(kRwPrimTypeTriFan));
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(gSubmit.draws.empty());
  ASSERT_TRUE(RwIm3DRenderPrimitive(kRwPrimTypeTriStrip));
  EXPECT_EQ(gSubmit.draws.size(), 1u) << "other types keep the default";
  RwIm3DEnd();

  EXPECT_EQ(RwIm3DSetRenderPipeline(nullptr, kRwPrimTypeTriFan), defaultRender);
  EXPECT_NE(RwIm3DSetTransformPipeline(nullptr), custom);
  RwPipelineDestroy(custom);
}

TEST_F(Im3DTest, WithoutASharedIndexBufferLongListsDrawFromTheCallersVertices) {
  EngineTest::TearDown();
  const RwIm3DSubmitDevice noIndexBuffer = {nullptr, nullptr, DrawSubmission};
  RwIm3DSetSubmitDevice(&noIndexBuffer);
  EngineTest::SetUp();
  std::vector<RwUInt16> indices(12, 1);
  ASSERT_NE(RwIm3DTransform(vertices_.data(), 4, nullptr, 0), nullptr);
  ASSERT_TRUE(RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, indices.data(), 12));
  ASSERT_EQ(gSubmit.draws.size(), 1u);
  EXPECT_EQ(gSubmit.draws[0].submission.path, static_cast<RwUInt32>(kRwIm3DSubmitUserPointer));
  RwIm3DEnd();
}

TEST(Im3DOpenTest, EngineStartFailsWhenTheIndexBufferCannotBeMade) {
  gSubmit = FakeSubmitDevice();
  gSubmit.failIndexBuffer = true;
  RwIm3DSetSubmitDevice(&kDevice);
  pipes_test::InstallFakeDriver();
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 1u << 20));
  static int window = 0;
  RwEngineOpenParams params = {&window};
  ASSERT_TRUE(RwEngineOpen(&params));
  EXPECT_FALSE(RwEngineStart());
  EXPECT_TRUE(RwEngineClose());
  EXPECT_TRUE(RwEngineTerm());
  _rwEngineSetDriverHooks(nullptr);
  RwIm3DSetSubmitDevice(nullptr);
}

}  // namespace
