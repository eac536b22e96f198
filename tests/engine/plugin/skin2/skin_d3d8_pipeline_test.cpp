// The skin pipeline on the Direct3D 8 stand-in: skinned atomics read from a
// forged clump take it, and the forged tube bent by a forged animation is
// drawn where its bones put it, under the full caps profile (vertices in the
// shared dynamic buffers each frame) and the software-vertex-processing one
// (each mesh rewriting a range of its own).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/plugin/skin2/skin_internal.h"
#include "tests/support/clump_builder.h"
#include "tests/support/d3d8_camera_engine.h"
#include "tests/support/skin_engine.h"

namespace {

constexpr RwRGBA kClear = {40, 80, 120, 255};
constexpr RwRGBA kTubeColor = {220, 30, 30, 255};
constexpr int kTolerance = 3;
// The clump's root: the tube runs up from y = -2, 8 units ahead.
constexpr RwV3d kPlace = {0.0f, -2.0f, 8.0f};
// 80 pixels a unit at depth 1 in the 160 x 120 frame.
constexpr RwReal kFocal = 80.0f;
constexpr RwReal kDegrees = 30.0f;  // at each of the three joints
constexpr RwReal kDuration = 2.0f;

::testing::AssertionResult ShadeNear(uint32_t actual, RwRGBA wanted) {
  const int got[3] = {int(actual >> 16) & 0xFF, int(actual >> 8) & 0xFF, int(actual) & 0xFF};
  const int want[3] = {wanted.red, wanted.green, wanted.blue};
  for (int i = 0; i < 3; i++) {
    if (std::abs(got[i] - want[i]) > kTolerance) {
      return ::testing::AssertionFailure()
             << "pixel (" << got[0] << ", " << got[1] << ", " << got[2] << "), wanted about (" << want[0] << ", "
             << want[1] << ", " << want[2] << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

class SkinPipelineTest : public CameraDriverTest, public ::testing::WithParamInterface<d3d8test::CapsProfile> {
 protected:
  void TearDown() override {
    if (animation_ != nullptr) {
      RtAnimAnimationDestroy(animation_);
    }
    for (RpClump* clump : clumps_) {
      RpClumpDestroy(clump);
    }
    CameraDriverTest::TearDown();
  }

  // The engine with the world module (which opens the world pipelines),
  // animation and skins on the window, and a camera.
  void StartSkins(d3d8test::CapsProfile profile) {
    d3d8test::SetCapsProfile(profile);
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 1 << 22));
    ASSERT_TRUE(AttachSkinPlugins());
    RwEngineOpenParams params = {&window_};
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineSetVideoMode(0));
    ASSERT_TRUE(RwEngineStart());
    camera_ = MakeCamera(kRwRasterTypeCameraFlags);
    ASSERT_NE(camera_, nullptr);
    TakeError();
  }

  // The forged tube written and read back, placed, posed by the bend.
  RpClump* Tube() {
    ForgeTube tube;
    tube.radius = 0.6f;
    tube.color = kTubeColor;
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(WriteToMemory([&](RwStream* s) { return ForgeWriteSkinnedTube(s, tube); }, &bytes));
    RpClump* clump = ReadClumpBytes(bytes);
    if (clump == nullptr) {
      return nullptr;
    }
    clumps_.push_back(clump);
    RwFrameTranslate(RpClumpGetFrame(clump), &kPlace, kRwCombineReplace);
    hierarchy_ = PrepareSkinnedClump(clump);
    animation_ = ForgeAnimationCreate(
        ForgeBendAnimation(tube.bones, tube.length / static_cast<RwReal>(tube.bones), kDegrees, kDuration));
    return hierarchy_ != nullptr && animation_ != nullptr ? clump : nullptr;
  }

  // One frame of the clumps at the animation time (the camera update raises
  // the render frame, so the palette is built again).
  bool Frame(RwReal time) {
    if (hierarchy_ != nullptr && !PoseHierarchy(hierarchy_, animation_, time)) {
      return false;
    }
    RwCameraClear(camera_, &kClear, kRwCameraClearImage | kRwCameraClearZ);
    if (RwCameraBeginUpdate(camera_) == nullptr) {
      return false;
    }
    RwRenderStateSet(kRwRenderStateCullMode, reinterpret_cast<void*>(static_cast<intptr_t>(1)));
    bool drawn = true;
    for (RpClump* clump : clumps_) {
      drawn = RpClumpRender(clump) != nullptr && drawn;
    }
    RwCameraEndUpdate(camera_);
    return drawn;
  }

  // The pixel where a point of the tube's model space lands.
  static uint32_t PixelAt(RwReal x, RwReal y) {
    const RwReal worldX = x + kPlace.x;
    const RwReal worldY = y + kPlace.y;
    const int px = static_cast<int>(std::lround(kWidth / 2 - kFocal * worldX / kPlace.z));
    const int py = static_cast<int>(std::lround(kHeight / 2 - kFocal * worldY / kPlace.z));
    return BackBufferPixel(px, py);
  }

  // Every sixth pixel of every sixth row.
  static std::vector<uint32_t> Pixels() {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kHeight; y += 6) {
      for (int x = 0; x < kWidth; x += 6) {
        pixels.push_back(BackBufferPixel(x, y));
      }
    }
    return pixels;
  }

  std::vector<RpClump*> clumps_;
  RpHAnimHierarchy* hierarchy_ = nullptr;
  RtAnimAnimation* animation_ = nullptr;
};

TEST_P(SkinPipelineTest, ReadSkinnedAtomicsTakeTheSkinPipeline) {
  StartSkins(GetParam());
  RwPipeline* pipeline = _rpSkinPipeline();
  ASSERT_NE(pipeline, nullptr);
  EXPECT_EQ(pipeline->ownerTag, kRpSkinPluginId);
  EXPECT_EQ(pipeline->pluginData, 1u);
  EXPECT_NE(RwPipelineFindNodeByName(pipeline, "nodeD3D8SkinAtomicAllInOne.csl", nullptr, nullptr), nullptr);
  RpClump* clump = Tube();
  ASSERT_NE(clump, nullptr);
  EXPECT_EQ(RpAtomicGetPipeline(FirstAtomic(clump)), pipeline);
  // Written again, the atomic's right to render names the pipeline; read
  // back, it takes the skin pipeline again, effects flag or not.
  RpMatFXAtomicEnableEffects(FirstAtomic(clump));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(WriteToMemory([&](RwStream* s) { return RpClumpStreamWrite(clump, s) != nullptr; }, &bytes));
  RpClump* again = ReadClumpBytes(bytes);
  ASSERT_NE(again, nullptr);
  clumps_.push_back(again);
  EXPECT_TRUE(RpMatFXAtomicQueryEffects(FirstAtomic(again)));
  EXPECT_EQ(RpAtomicGetPipeline(FirstAtomic(again)), pipeline);
  // An atomic without a skin is left alone.
  RpClump* plain = ForgeSkeletonClumpCreate(ForgeBoneChain(2, 1.0f));
  ASSERT_NE(plain, nullptr);
  RpGeometry* geometry = RpGeometryCreate(3, 1, 0);
  geometry->triangles[0] = {{0, 1, 2}, kRpTriangleNoMaterial};
  AddClumpAtomic(plain, RpClumpGetFrame(plain), RpGeometryUnlock(geometry), rpATOMICRENDER);
  RpGeometryDestroy(geometry);
  ASSERT_TRUE(WriteToMemory([&](RwStream* s) { return RpClumpStreamWrite(plain, s) != nullptr; }, &bytes));
  RpClumpDestroy(plain);
  RpClump* plainRead = ReadClumpBytes(bytes);
  ASSERT_NE(plainRead, nullptr);
  clumps_.push_back(plainRead);
  EXPECT_EQ(RpAtomicGetPipeline(FirstAtomic(plainRead)), nullptr);
}

TEST_P(SkinPipelineTest, TheTubeBendsWhereItsBonesGo) {
  StartSkins(GetParam());
  RpClump* clump = Tube();
  ASSERT_NE(clump, nullptr);
  RpAtomic* atomic = FirstAtomic(clump);

  // The rest pose: straight up the centre of the frame.
  ASSERT_TRUE(Frame(0.0f));
  EXPECT_TRUE(ShadeNear(PixelAt(0.0f, 0.5f), kTubeColor));
  EXPECT_TRUE(ShadeNear(PixelAt(0.0f, 3.5f), kTubeColor));
  EXPECT_TRUE(ShadeNear(PixelAt(-1.866f, 2.366f), kClear));
  EXPECT_TRUE(ShadeNear(PixelAt(1.5f, 2.0f), kClear));

  // Bent by 90 degrees over three joints: the last bone's middle lies at
  // (-1.866, 2.366) and nothing is left where the top was.
  ASSERT_TRUE(Frame(1.5f));
  EXPECT_TRUE(ShadeNear(PixelAt(0.0f, 0.5f), kTubeColor));
  EXPECT_TRUE(ShadeNear(PixelAt(-0.933f, 2.116f), kTubeColor));  // bone 2's middle
  EXPECT_TRUE(ShadeNear(PixelAt(-1.866f, 2.366f), kTubeColor));
  EXPECT_TRUE(ShadeNear(PixelAt(0.0f, 3.5f), kClear));
  EXPECT_TRUE(ShadeNear(PixelAt(1.5f, 2.0f), kClear));
  EXPECT_EQ(atomic->interpolator.flags & rpINTERPOLATORDIRTYINSTANCE, 0);

  // Which road the vertices took: the shared dynamic buffers, given back
  // once drawn, or a range of the mesh's own.
  RwResEntry* entry = RpAtomicGetGeometry(atomic)->repEntry;
  ASSERT_NE(entry, nullptr);
  const RpD3D8InstanceData& record = RpD3D8InstanceDataGetRecords(entry)[0];
  const bool owned = GetParam() == d3d8test::CapsProfile::SoftwareVertexProcessing;
  EXPECT_EQ(record.managed, owned ? 1 : 0);
  EXPECT_EQ(record.vertexBuffer != nullptr, owned);

  // The same picture after the device was lost and reset.
  const std::vector<uint32_t> before = Pixels();
  d3d8test::InjectDeviceLoss(Device(), true);
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, &window_, 0), nullptr);
  ASSERT_EQ(Device()->TestCooperativeLevel(), D3D_OK);
  ASSERT_TRUE(Frame(1.5f));
  EXPECT_EQ(Pixels(), before);

  // Back to the rest pose on a later frame.
  ASSERT_TRUE(Frame(0.0f));
  EXPECT_TRUE(ShadeNear(PixelAt(0.0f, 3.5f), kTubeColor));
}

INSTANTIATE_TEST_SUITE_P(Profiles, SkinPipelineTest,
                         ::testing::Values(d3d8test::CapsProfile::Full,
                                           d3d8test::CapsProfile::SoftwareVertexProcessing));

}  // namespace
