// The atomic all-in-one pipeline on clumps built in code: instance data kept
// with the geometry (or the morphing atomic) and refreshed or rebuilt as the
// geometry changes, compaction, clipping, persistent instancing, and the
// pictures: a texture's pattern, black mode and a morph halfway, again after
// a lost device, under both the full and the software-vertex-processing
// profiles. (Lit atomics are seen in forged levels.)
#include <gtest/gtest.h>

#include <cstring>

#include "tests/engine/world/pipe/p2/d3d8/pipe_fixture.h"

namespace pipe_test {
namespace {

class AtomicPipelineTest : public WorldPipeTest {
 protected:
  void TearDown() override {
    for (RpClump* clump : clumps_) {
      RpClumpDestroy(clump);
    }
    clumps_.clear();
    if (texture_ != nullptr) {
      RwTextureDestroy(texture_);
      texture_ = nullptr;
    }
    WorldPipeTest::TearDown();
  }

  // A clump of one atomic of the geometry on a frame at the origin.
  RpAtomic* Atomic(RpGeometry* geometry) {
    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    RwFrame* frame = RwFrameCreate();
    RpAtomic* atomic = RpAtomicCreate();
    if (clump == nullptr || root == nullptr || frame == nullptr || atomic == nullptr) {
      return nullptr;
    }
    RpClumpSetFrame(clump, root);
    RwFrameAddChild(root, frame);
    RpAtomicSetFrame(atomic, frame);
    RpAtomicSetGeometry(atomic, geometry, 0);
    RpClumpAddAtomic(clump, atomic);
    clumps_.push_back(clump);
    return atomic;
  }

  // A square facing the camera 5 units ahead (normals towards it, texture
  // coordinates across it), covering the frame's centre.
  RpGeometry* Square(RwUInt32 flags, RpMaterial* material = nullptr, RwReal z = 5.0f) {
    RpGeometry* geometry =
        Geometry({{-2, 2, z}, {2, 2, z}, {-2, -2, z}, {2, -2, z}}, {0, 1, 2, 2, 1, 3}, flags, material);
    if (geometry == nullptr) {
      return nullptr;
    }
    geometry->morphTarget[0].boundingSphere = {{0.0f, 0.0f, z}, 2.9f};
    const RwTexCoords coords[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int i = 0; i < 4; i++) {
      if (geometry->morphTarget[0].normals != nullptr) {
        geometry->morphTarget[0].normals[i] = {0.0f, 0.0f, -1.0f};
      }
      if (geometry->texCoords[0] != nullptr) {
        geometry->texCoords[0][i] = coords[i];
      }
      if (geometry->preLitLum != nullptr) {
        geometry->preLitLum[i] = {10, 200, 30, 255};
      }
    }
    return geometry;
  }

  // A 2 x 2 texture: red, green / blue, white, sampled nearest.
  RwTexture* Checker() {
    RwRaster* raster = RwRasterCreate(2, 2, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
    if (raster == nullptr) {
      return nullptr;
    }
    RwUInt8* pixels = RwRasterLock(raster, 0, rwRASTERLOCKWRITE);
    const RwUInt32 texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (int y = 0; y < 2; y++) {
      std::memcpy(pixels + y * raster->stride, &texels[2 * y], 8);
    }
    RwRasterUnlock(raster);
    texture_ = RwTextureCreate(raster);
    RwTextureSetFilterMode(texture_, kRwFilterNearest);
    return texture_;
  }

  // One frame of the clumps made so far; false when the camera cannot begin.
  bool Frame() {
    return DrawFrame(kClear, [this] {
      bool drawn = true;
      for (RpClump* clump : clumps_) {
        drawn = RpClumpRender(clump) != nullptr && drawn;
      }
      return drawn;
    });
  }

  static uint32_t Centre() { return BackBufferPixel(kCentreX, kCentreY); }

  std::vector<RpClump*> clumps_;
  RwTexture* texture_ = nullptr;
};

TEST_F(AtomicPipelineTest, InstanceDataIsKeptRefreshedAndRebuiltAsTheGeometryChanges) {
  Start();
  RpGeometry* geometry = Square(rpGEOMETRYPRELIT);
  RpAtomic* atomic = Atomic(geometry);
  ASSERT_NE(atomic, nullptr);
  Record();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Calls("CreateIndexBuffer"), 1u);
  ASSERT_NE(geometry->repEntry, nullptr);  // one morph target: with the geometry
  EXPECT_EQ(atomic->repEntry, nullptr);
  EXPECT_EQ(geometry->lockedSinceLastInst, 0);
  RwResEntry* first = geometry->repEntry;
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Calls("CreateIndexBuffer"), 1u);
  EXPECT_EQ(geometry->repEntry, first);

  // Moved vertices are written again into the same range.
  RpGeometryLock(geometry, rpGEOMETRYLOCKVERTICES);
  geometry->morphTarget[0].verts[3].x = 2.5f;
  RpGeometryUnlock(geometry);
  d3d8test::ClearRecording(Device());
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Calls("CreateIndexBuffer"), 0u);
  EXPECT_EQ(Calls("VertexBuffer::Lock"), 1u);
  EXPECT_EQ(geometry->repEntry, first);
  const std::vector<uint8_t> bytes = VertexBytes(RpD3D8InstanceDataGetRecords(first)[0]);
  EXPECT_EQ(reinterpret_cast<const float*>(bytes.data())[3 * 4], 2.5f);  // vertex 3's x, 16-byte stride

  // New triangles make a new mesh header: the data is built again.
  RpGeometryLock(geometry, rpGEOMETRYLOCKPOLYGONS);
  RpGeometryUnlock(geometry);
  d3d8test::ClearRecording(Device());
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Calls("CreateIndexBuffer"), 1u);
  EXPECT_EQ(RpD3D8InstanceDataGetHeader(geometry->repEntry)->serialNumber, geometry->mesh->serialNum);
}

TEST_F(AtomicPipelineTest, MeshesKeepOnlyTheVerticesTheyUseInFirstUseOrder) {
  Start();
  std::vector<RwV3d> vertices = Row(20);
  // Indices use 5 of the 15 vertices from 3 to 17.
  RpGeometry* geometry = Geometry(vertices, {17, 3, 9, 3, 12, 6});
  ASSERT_NE(Atomic(geometry), nullptr);
  ASSERT_TRUE(Frame());
  const RpD3D8InstanceData& record = RpD3D8InstanceDataGetRecords(geometry->repEntry)[0];
  EXPECT_TRUE(record.remapped);
  EXPECT_EQ(record.numVertices, 5u);
  EXPECT_EQ(IndexBufferContents(record.indexBuffer, 6), (std::vector<RwUInt16>{0, 1, 2, 1, 3, 4}));
  auto xs = [&record] {
    const std::vector<uint8_t> bytes = VertexBytes(record);
    std::vector<float> x;
    for (size_t at = 0; at < bytes.size(); at += record.stride) {
      x.push_back(*reinterpret_cast<const float*>(&bytes[at]));
    }
    return x;
  };
  EXPECT_EQ(xs(), (std::vector<float>{17, 3, 9, 12, 6}));
  // Rewritten vertices go through the same numbering.
  RpGeometryLock(geometry, rpGEOMETRYLOCKVERTICES);
  geometry->morphTarget[0].verts[12].x = 42.0f;
  RpGeometryUnlock(geometry);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(xs(), (std::vector<float>{17, 3, 9, 42, 6}));
}

TEST_F(AtomicPipelineTest, ClippingIsOffOnlyForAtomicsWhollyInView) {
  Start();
  RpGeometry* geometry = Square(0);
  RpAtomic* atomic = Atomic(geometry);
  ASSERT_NE(atomic, nullptr);
  Record();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(LastSent(D3DRS_CLIPPING), 0u);
  // Moved to the left edge of the view: partly outside.
  const RwV3d aside = {-5.0f, 0.0f, 0.0f};
  RwFrameTranslate(RpAtomicGetFrame(atomic), &aside, kRwCombineReplace);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(LastSent(D3DRS_CLIPPING), 1u);
}

TEST_F(AtomicPipelineTest, PersistentGeometryIsInstancedIntoEngineMemoryAndNotDrawn) {
  Start();
  RpGeometry* geometry = Square(0);
  geometry->flags |= kRpGeometryPersistentInstance;
  ASSERT_NE(Atomic(geometry), nullptr);
  Record();
  ASSERT_TRUE(Frame());
  ASSERT_NE(geometry->repEntry, nullptr);
  EXPECT_EQ(geometry->repEntry->link.next, nullptr);
  EXPECT_EQ(Calls("DrawIndexedPrimitive"), 0u);
  EXPECT_EQ(Centre(), kClearPixel);
}

TEST_F(AtomicPipelineTest, DefaultPipelineAndRenderCallBackCanBeReplaced) {
  Start();
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  ASSERT_NE(globals->d3d8AtomicAllInOnePipeline, nullptr);
  EXPECT_EQ(globals->defaultAtomicPipeline, globals->d3d8AtomicAllInOnePipeline);
  EXPECT_EQ(globals->d3d8AtomicAllInOnePipeline->ownerTag, uint32_t(rwPIPELINE_OWNER_WORLD));
  RwPipeline* other = RwPipelineCreate();
  RpAtomicSetDefaultPipeline(other);
  EXPECT_EQ(globals->defaultAtomicPipeline, other);
  RpAtomicSetDefaultPipeline(nullptr);
  EXPECT_EQ(globals->defaultAtomicPipeline, globals->d3d8AtomicAllInOnePipeline);
  RwPipelineDestroy(other);

  static int renders = 0;
  renders = 0;
  RwPipelineNode* node =
      RwPipelineFindNodeByName(globals->d3d8AtomicAllInOnePipeline, "nodeD3D8AtomicAllInOne.csl", nullptr, nullptr);
  ASSERT_EQ(RpD3D8AllInOneNodeSetRenderCallBack(node,
                                                [](RwResEntry*, void*, RwUInt8 type, RwUInt32) {
                                                  EXPECT_EQ(type, kRpD3D8ObjectAtomic);
                                                  renders++;
                                                }),
            node);
  ASSERT_NE(Atomic(Square(0)), nullptr);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(renders, 1);
  EXPECT_EQ(Centre(), kClearPixel);
}

// The pictures, under each caps profile.
class AtomicPictureTest : public AtomicPipelineTest, public ::testing::WithParamInterface<d3d8test::CapsProfile> {};

TEST_P(AtomicPictureTest, TexturedUnlitAndPrelitAtomics) {
  Start(GetParam());
  // Unlit without colours: black, through states put back afterwards.
  RpAtomic* atomic = Atomic(Square(0));
  ASSERT_NE(atomic, nullptr);
  Record();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Centre(), 0x000000u);
  EXPECT_EQ(BackBufferPixel(2, 2), kClearPixel);
  EXPECT_EQ(LastSent(D3DRS_TEXTUREFACTOR), 0xFF000000u);
  RwUInt32 value = 0;
  RwD3D8GetRenderState(D3DRS_SHADEMODE, &value);
  EXPECT_EQ(value, uint32_t(D3DSHADE_GOURAUD));
  RwD3D8GetTextureStageState(0, D3DTSS_COLORARG2, &value);
  EXPECT_EQ(value, uint32_t(D3DTA_DIFFUSE));

  // Pre-lit: the vertex colours; flagged pre-lit without colours: white.
  RpAtomicSetGeometry(atomic, Square(rpGEOMETRYPRELIT), 0);
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(ShadeNear(Centre(), 10, 200, 30));
  RpGeometry* colourless = Square(rpGEOMETRYPRELIT);
  colourless->preLitLum = nullptr;
  RpAtomicSetGeometry(atomic, colourless, 0);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Centre(), 0xFFFFFFu);

  // Textured and pre-lit white: the texture's four texels in the quarters.
  RpMaterial* material = Material();
  RpMaterialSetTexture(material, Checker());
  RpGeometry* textured = Square(rpGEOMETRYTEXTURED | rpGEOMETRYPRELIT, material);
  for (int i = 0; i < 4; i++) {
    textured->preLitLum[i] = {255, 255, 255, 255};
  }
  RpAtomicSetGeometry(atomic, textured, 0);
  ASSERT_TRUE(Frame());
  // The camera looks along +z with +y up, so world +x is to the left.
  const int dx = 12;
  const int dy = 10;
  EXPECT_TRUE(ShadeNear(BackBufferPixel(kCentreX + dx, kCentreY - dy), 255, 0, 0));
  EXPECT_TRUE(ShadeNear(BackBufferPixel(kCentreX - dx, kCentreY - dy), 0, 255, 0));
  EXPECT_TRUE(ShadeNear(BackBufferPixel(kCentreX + dx, kCentreY + dy), 0, 0, 255));
  EXPECT_TRUE(ShadeNear(BackBufferPixel(kCentreX - dx, kCentreY + dy), 255, 255, 255));
}

TEST_P(AtomicPictureTest, MorphingAtomicsDrawTheBlendOfTheirTargets) {
  Start(GetParam());
  // Target 0 at world x -4..-2 (right of the centre on screen, 16 pixels a
  // unit at this depth), target 1 at 2..4; halfway covers the centre.
  RpGeometry* geometry = Square(rpGEOMETRYPRELIT);
  ASSERT_EQ(RpGeometryAddMorphTargets(geometry, 1), 1);
  for (int i = 0; i < 4; i++) {
    RwV3d& left = geometry->morphTarget[0].verts[i];
    left.x = left.x / 2.0f - 3.0f;
    geometry->morphTarget[1].verts[i] = {left.x + 6.0f, left.y, left.z};
  }
  RpAtomic* atomic = Atomic(geometry);
  ASSERT_NE(atomic, nullptr);
  atomic->interpolator = {rpINTERPOLATORDIRTYINSTANCE, 0, 1, 1.0f, 1.0f, 0.0f};
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Centre(), kClearPixel);
  ASSERT_NE(atomic->repEntry, nullptr);  // each morphing atomic has its own
  EXPECT_EQ(geometry->repEntry, nullptr);
  const RwBool pooled = GetParam() == d3d8test::CapsProfile::SoftwareVertexProcessing;
  EXPECT_EQ(RpD3D8InstanceDataGetRecords(atomic->repEntry)[0].managed, pooled);

  atomic->interpolator.position = 0.5f;
  atomic->interpolator.flags |= rpINTERPOLATORDIRTYINSTANCE;
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(ShadeNear(Centre(), 10, 200, 30));
  EXPECT_EQ(atomic->interpolator.flags & rpINTERPOLATORDIRTYINSTANCE, 0);

  // The end target alone, and equal targets (the start target's shape).
  atomic->interpolator.position = 1.0f;
  atomic->interpolator.flags |= rpINTERPOLATORDIRTYINSTANCE;
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Centre(), kClearPixel);
  EXPECT_TRUE(ShadeNear(BackBufferPixel(kCentreX - 48, kCentreY), 10, 200, 30));
  atomic->interpolator.endMorphTarget = 0;
  atomic->interpolator.flags |= rpINTERPOLATORDIRTYINSTANCE;
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(ShadeNear(BackBufferPixel(kCentreX + 48, kCentreY), 10, 200, 30));
}

TEST_P(AtomicPictureTest, TheSamePictureAfterTheDeviceIsLost) {
  Start(GetParam());
  RpMaterial* material = Material();
  RpMaterialSetTexture(material, Checker());
  ASSERT_NE(Atomic(Square(rpGEOMETRYTEXTURED | rpGEOMETRYPRELIT, material, 6.0f)), nullptr);
  RpGeometry* morphing = Square(rpGEOMETRYPRELIT | rpGEOMETRYNORMALS | rpGEOMETRYLIGHT, nullptr, 5.0f);
  ASSERT_EQ(RpGeometryAddMorphTargets(morphing, 1), 1);
  for (int i = 0; i < 4; i++) {
    morphing->morphTarget[0].verts[i].x /= 2.0f;
    morphing->morphTarget[1].verts[i] = morphing->morphTarget[0].verts[i];
    morphing->morphTarget[1].verts[i].y -= 2.0f;
    morphing->morphTarget[1].normals[i] = {0.0f, 0.0f, -1.0f};
  }
  RpAtomic* atomic = Atomic(morphing);
  atomic->interpolator = {rpINTERPOLATORDIRTYINSTANCE, 0, 1, 1.0f, 1.0f, 0.5f};
  // The second frame finds the morph unchanged.
  ASSERT_TRUE(Frame());
  ASSERT_TRUE(Frame());
  ASSERT_EQ(atomic->interpolator.flags & rpINTERPOLATORDIRTYINSTANCE, 0);
  std::vector<uint32_t> before;
  for (int y = 0; y < kHeight; y += 6) {
    for (int x = 0; x < kWidth; x += 6) {
      before.push_back(BackBufferPixel(x, y));
    }
  }
  d3d8test::InjectDeviceLoss(Device(), true);
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, &window_, 0), nullptr);
  ASSERT_EQ(Device()->TestCooperativeLevel(), D3D_OK);
  ASSERT_TRUE(Frame());
  std::vector<uint32_t> after;
  for (int y = 0; y < kHeight; y += 6) {
    for (int x = 0; x < kWidth; x += 6) {
      after.push_back(BackBufferPixel(x, y));
    }
  }
  EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Profiles, AtomicPictureTest,
                         ::testing::Values(d3d8test::CapsProfile::Full,
                                           d3d8test::CapsProfile::SoftwareVertexProcessing));

}  // namespace
}  // namespace pipe_test
