// Cameras: defaults, setters, update brackets through the driver, view matrix
// and frustum planes against hand-computed values, and the camera chunk.
#include "engine/src/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/engine/src/pipe/p2/engine_fixture.h"
#include "tests/support/chunk_bytes.h"

namespace {

using pipes_test::Log;

constexpr RwReal kTolerance = 2e-3f;  // the engine normalises through a lookup table

class CameraTest : public pipes_test::EngineTest {
 protected:
  void TearDown() override {
    for (RwCamera* camera : cameras_) {
      RwFrame* frame = RwCameraGetFrame(camera);
      RwCameraDestroy(camera);
      if (frame != nullptr) {
        RwFrameDestroy(frame);
      }
    }
    pipes_test::EngineTest::TearDown();
  }

  // A camera on its own frame at the origin, looking along +z, synchronised.
  RwCamera* CameraAtOrigin(RwInt32 projection, RwV2d window, RwV2d offset, RwReal nearClip, RwReal farClip) {
    RwCamera* camera = RwCameraCreate();
    EXPECT_NE(camera, nullptr);
    cameras_.push_back(camera);
    RwCameraSetFrame(camera, RwFrameCreate());
    EXPECT_NE(RwCameraSetProjection(camera, projection), nullptr);
    RwCameraSetViewWindow(camera, &window);
    RwCameraSetViewOffset(camera, &offset);
    RwCameraSetNearClipPlane(camera, nearClip);
    RwCameraSetFarClipPlane(camera, farClip);
    RwFrameSyncDirty();
    return camera;
  }

  static void ExpectPlane(const RwFrustumPlane& plane, RwV3d normal, RwReal distance) {
    EXPECT_NEAR(plane.plane.normal.x, normal.x, kTolerance);
    EXPECT_NEAR(plane.plane.normal.y, normal.y, kTolerance);
    EXPECT_NEAR(plane.plane.normal.z, normal.z, kTolerance);
    EXPECT_NEAR(plane.plane.distance, distance, kTolerance * 4);
  }

  static RwInt32 Test(const RwCamera* camera, RwV3d centre, RwReal radius) {
    const RwSphere sphere = {centre, radius};
    return RwCameraFrustumTestSphere(camera, &sphere);
  }

  // The view matrix applied to a world point.
  static RwV3d View(RwCamera* camera, const RwV3d& p) {
    RwV3d out;
    RwV3dTransformPoints(&out, &p, 1, RwCameraGetViewMatrix(camera));
    return out;
  }

  std::vector<RwCamera*> cameras_;
};

TEST_F(CameraTest, NewCameraDefaults) {
  RwCamera* camera = RwCameraCreate();
  ASSERT_NE(camera, nullptr);
  cameras_.push_back(camera);
  EXPECT_FLOAT_EQ(RwCameraGetNearClipPlane(camera), 0.05f);
  EXPECT_FLOAT_EQ(RwCameraGetFarClipPlane(camera), 10.0f);
  EXPECT_FLOAT_EQ(RwCameraGetFogDistance(camera), 5.0f);
  EXPECT_FLOAT_EQ(RwCameraGetViewWindow(camera)->x, 1.0f);
  EXPECT_FLOAT_EQ(RwCameraGetViewWindow(camera)->y, 1.0f);
  EXPECT_EQ(RwCameraGetProjection(camera), kRwCameraPerspective);
  EXPECT_EQ(RwCameraGetRaster(camera), nullptr);
  EXPECT_EQ(RwCameraGetZRaster(camera), nullptr);
  EXPECT_EQ(RwCameraGetFrame(camera), nullptr);
  EXPECT_EQ(camera->object.object.type, kRwCameraObjectType);
  // Depth range 0..1 pulled in by 0.0001 at both ends, over 1/near..1/far.
  const RwReal scale = 0.9998f / (0.1f - 20.0f);
  EXPECT_NEAR(camera->zScale, scale, 1e-6f);
  EXPECT_NEAR(camera->zShift, (1.0f - 20.1f * scale) * 0.5f, 1e-5f);
}

TEST_F(CameraTest, SettersAndTheirErrors) {
  RwCamera* camera = RwCameraCreate();
  cameras_.push_back(camera);
  EXPECT_EQ(RwCameraSetProjection(camera, 3), nullptr);
  RwErrorRecord error = TakeError();
  EXPECT_EQ(error.pluginID, 0);
  EXPECT_EQ(static_cast<RwUInt32>(error.errorCode), 0x80000003u);
  EXPECT_EQ(RwCameraGetProjection(camera), kRwCameraPerspective);

  ASSERT_EQ(RwCameraSetProjection(camera, kRwCameraParallel), camera);
  RwCameraSetNearClipPlane(camera, 1.0f);
  RwCameraSetFarClipPlane(camera, 3.0f);
  EXPECT_NEAR(camera->zScale, 0.9998f / 2.0f, 1e-6f) << "parallel depth is linear in the distance";

  const RwV2d window = {2.0f, 4.0f};
  RwCameraSetViewWindow(camera, &window);
  EXPECT_FLOAT_EQ(camera->recipViewWindow.x, 0.5f);
  EXPECT_FLOAT_EQ(camera->recipViewWindow.y, 0.25f);

  auto* raster = reinterpret_cast<RwRaster*>(0x1000);
  auto* zRaster = reinterpret_cast<RwRaster*>(0x2000);
  EXPECT_EQ(RwCameraSetRaster(camera, raster), camera);
  EXPECT_EQ(RwCameraSetZRaster(camera, zRaster), camera);
  EXPECT_EQ(RwCameraGetRaster(camera), raster);
  EXPECT_EQ(RwCameraGetZRaster(camera), zRaster);
  RwCameraSetRaster(camera, nullptr);
  RwCameraSetZRaster(camera, nullptr);
  EXPECT_EQ(RwCameraSetRaster(nullptr, raster), nullptr);
  EXPECT_EQ(RwCameraSetZRaster(nullptr, raster), nullptr);
  EXPECT_EQ(RwCameraSetFrame(nullptr, nullptr), nullptr);
  EXPECT_EQ(static_cast<RwUInt32>(TakeError().errorCode), 0x80000016u);
}

TEST_F(CameraTest, FarPlaneBeforeAFrameChangesDepthAtOnceAndFrustumAtFirstSync) {
  RwCamera* camera = RwCameraCreate();
  cameras_.push_back(camera);
  const RwReal scaleBefore = camera->zScale;
  RwCameraSetFarClipPlane(camera, 100.0f);
  EXPECT_NE(camera->zScale, scaleBefore);
  RwFrameSyncDirty();
  EXPECT_EQ(camera->frustumPlanes[kRwFrustumFar].plane.distance, 0.0f);
  RwFrame* frame = RwFrameCreate();
  RwCameraSetFrame(camera, frame);
  EXPECT_EQ(RwCameraGetFrame(camera), frame);
  RwFrameSyncDirty();
  EXPECT_NEAR(camera->frustumPlanes[kRwFrustumFar].plane.distance, 100.0f, 0.05f);
}

TEST_F(CameraTest, PerspectiveFrustumAtTheOrigin) {
  RwCamera* camera = CameraAtOrigin(kRwCameraPerspective, {1, 1}, {0, 0}, 1.0f, 10.0f);
  const RwReal h = std::sqrt(0.5f);
  ExpectPlane(camera->frustumPlanes[0], {0, 0, 1}, 10);
  ExpectPlane(camera->frustumPlanes[1], {0, 0, -1}, -1);
  ExpectPlane(camera->frustumPlanes[2], {-h, 0, -h}, 0);
  ExpectPlane(camera->frustumPlanes[3], {0, h, -h}, 0);
  ExpectPlane(camera->frustumPlanes[4], {h, 0, -h}, 0);
  ExpectPlane(camera->frustumPlanes[5], {0, -h, -h}, 0);
  EXPECT_EQ(camera->frustumPlanes[2].closestX, 0);
  EXPECT_EQ(camera->frustumPlanes[2].closestZ, 0);
  EXPECT_EQ(camera->frustumPlanes[0].closestZ, 1);
  EXPECT_EQ(camera->frustumPlanes[4].closestX, 1);

  EXPECT_EQ(Test(camera, {0, 0, 5}, 1), kRwSphereInside);
  EXPECT_EQ(Test(camera, {0, 0, 10}, 1), kRwSphereBoundary);
  EXPECT_EQ(Test(camera, {0, 0, 12}, 1), kRwSphereOutside);
  EXPECT_EQ(Test(camera, {-8, 0, 5}, 1), kRwSphereOutside);
  EXPECT_EQ(Test(camera, {0, 5, 5}, 1), kRwSphereBoundary);

  EXPECT_FLOAT_EQ(camera->frustumBoundBox.sup.x, 10.0f);
  EXPECT_FLOAT_EQ(camera->frustumBoundBox.inf.y, -10.0f);
  EXPECT_FLOAT_EQ(camera->frustumBoundBox.inf.z, 1.0f);
}

TEST_F(CameraTest, PerspectiveFrustumWithViewOffset) {
  // Offset (0.5, 0): far corners at z = 3 move by +1 along x.
  RwCamera* camera = CameraAtOrigin(kRwCameraPerspective, {1, 1}, {0.5f, 0}, 1.0f, 3.0f);
  EXPECT_NEAR(camera->frustumCorners[4].x, 4.0f, 1e-5f);
  EXPECT_NEAR(camera->frustumCorners[5].x, -2.0f, 1e-5f);
  EXPECT_NEAR(camera->frustumCorners[0].x, 1.0f, 1e-5f);
  const RwReal s5 = std::sqrt(5.0f), s13 = std::sqrt(13.0f);
  ExpectPlane(camera->frustumPlanes[2], {-2 / s5, 0, -1 / s5}, 1 / s5);
  ExpectPlane(camera->frustumPlanes[4], {2 / s13, 0, -3 / s13}, -1 / s13);
  EXPECT_EQ(Test(camera, {3.5f, 0, 2.9f}, 0.01f), kRwSphereInside);
  EXPECT_EQ(Test(camera, {-1.9f, 0, 2.9f}, 0.01f), kRwSphereInside);
  EXPECT_EQ(Test(camera, {-2.5f, 0, 2.9f}, 0.01f), kRwSphereOutside);

  // The view matrix maps the window's edges to 0 and 1 after division by z.
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    const RwV3d v = View(camera, camera->frustumCorners[i]);
    const RwReal z = i < 4 ? 1.0f : 3.0f;
    EXPECT_NEAR(v.z, z, 1e-5f);
    EXPECT_NEAR(v.x / v.z, (i % 4 == 0 || i % 4 == 3) ? 0.0f : 1.0f, 1e-5f);
    EXPECT_NEAR(v.y / v.z, i % 4 < 2 ? 0.0f : 1.0f, 1e-5f);
  }
}

TEST_F(CameraTest, ParallelFrustumWithViewOffset) {
  RwCamera* camera = CameraAtOrigin(kRwCameraParallel, {2, 1}, {0.5f, 0.25f}, 1.0f, 5.0f);
  const RwV3d expectedFar[4] = {{4, 0, 5}, {0, 0, 5}, {0, -2, 5}, {4, -2, 5}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(camera->frustumCorners[4 + i].x, expectedFar[i].x, 1e-5f);
    EXPECT_NEAR(camera->frustumCorners[4 + i].y, expectedFar[i].y, 1e-5f);
    EXPECT_NEAR(camera->frustumCorners[4 + i].z, expectedFar[i].z, 1e-5f);
  }
  const RwReal s5 = std::sqrt(5.0f), s17 = std::sqrt(17.0f);
  ExpectPlane(camera->frustumPlanes[0], {0, 0, 1}, 5);
  ExpectPlane(camera->frustumPlanes[1], {0, 0, -1}, -1);
  ExpectPlane(camera->frustumPlanes[2], {-2 / s5, 0, 1 / s5}, 5 / s5);
  ExpectPlane(camera->frustumPlanes[3], {0, 4 / s17, 1 / s17}, 5 / s17);
  ExpectPlane(camera->frustumPlanes[4], {2 / s5, 0, -1 / s5}, 3 / s5);
  ExpectPlane(camera->frustumPlanes[5], {0, -4 / s17, -1 / s17}, 3 / s17);
  EXPECT_EQ(Test(camera, {2, -0.5f, 3}, 0.1f), kRwSphereInside);
  EXPECT_EQ(Test(camera, {-3, 0, 3}, 0.1f), kRwSphereOutside);
  EXPECT_EQ(Test(camera, {2, -0.5f, 0.5f}, 0.7f), kRwSphereBoundary);

  // Parallel projection needs no division: X and Y run 0..1 across the window.
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    const RwV3d v = View(camera, camera->frustumCorners[i]);
    EXPECT_NEAR(v.x, (i % 4 == 0 || i % 4 == 3) ? 0.0f : 1.0f, 1e-5f);
    EXPECT_NEAR(v.y, i % 4 < 2 ? 0.0f : 1.0f, 1e-5f);
  }
}

TEST_F(CameraTest, FrustumFollowsTheFrame) {
  RwCamera* camera = CameraAtOrigin(kRwCameraPerspective, {1, 1}, {0, 0}, 1.0f, 10.0f);
  RwFrame* frame = RwCameraGetFrame(camera);
  const RwV3d axis = {0, 1, 0};
  const RwV3d move = {10, 0, 0};
  RwFrameRotate(frame, &axis, 90.0f, kRwCombineReplace);
  RwFrameTranslate(frame, &move, kRwCombinePostConcat);
  EXPECT_EQ(Test(camera, {0, 0, 5}, 1), kRwSphereInside) << "nothing changes before the sync";
  RwFrameSyncDirty();
  const RwMatrix* ltm = RwFrameGetLTM(frame);
  const RwV3d ahead = {ltm->pos.x + 5 * ltm->at.x, ltm->pos.y + 5 * ltm->at.y, ltm->pos.z + 5 * ltm->at.z};
  const RwV3d behind = {ltm->pos.x - 5 * ltm->at.x, ltm->pos.y - 5 * ltm->at.y, ltm->pos.z - 5 * ltm->at.z};
  EXPECT_EQ(Test(camera, ahead, 1), kRwSphereInside);
  EXPECT_EQ(Test(camera, behind, 1), kRwSphereOutside);
  EXPECT_EQ(Test(camera, {0, 0, 5}, 1), kRwSphereOutside);
}

TEST_F(CameraTest, UpdateBracketsAndClearGoThroughTheDriver) {
  RwCamera* camera = CameraAtOrigin(kRwCameraPerspective, {1, 1}, {0, 0}, 1.0f, 10.0f);
  RwCameraSetFarClipPlane(camera, 20.0f);
  ASSERT_EQ(RwCameraBeginUpdate(camera), camera);
  EXPECT_EQ(RwCameraGetCurrentCamera(), camera);
  EXPECT_EQ(Log().beginUpdates, 1);
  EXPECT_NEAR(camera->frustumPlanes[0].plane.distance, 20.0f, 0.05f) << "begin-update synchronises dirty frames";

  const RwRGBA colour = {1, 2, 3, 4};  // the colour is only read
  EXPECT_EQ(RwCameraClear(camera, &colour, kRwCameraClearImage | kRwCameraClearZ), camera);
  EXPECT_EQ(Log().clearColour, &colour);
  EXPECT_EQ(Log().clearMode, 3);
  Log().clearResult = FALSE;
  EXPECT_EQ(RwCameraClear(camera, &colour, kRwCameraClearImage), nullptr);

  Log().endResult = FALSE;
  EXPECT_EQ(RwCameraEndUpdate(camera), nullptr);
  EXPECT_EQ(RwCameraGetCurrentCamera(), camera) << "a failed end keeps the update open";
  Log().endResult = TRUE;
  EXPECT_EQ(RwCameraEndUpdate(camera), camera);
  EXPECT_EQ(RwCameraGetCurrentCamera(), nullptr);

  Log().beginResult = FALSE;
  EXPECT_EQ(RwCameraBeginUpdate(camera), nullptr);
  EXPECT_EQ(RwCameraGetCurrentCamera(), camera);
}

// --- Camera chunk ---------------------------------------------------------------

ChunkBytes CameraChunkBody(RwReal nearClip, RwUInt32 projection, RwUInt32 structLength = 32) {
  ChunkBytes bytes;
  bytes.Header(kRwChunkStruct, structLength)
      .Real(2)
      .Real(3)
      .Real(0.25f)
      .Real(-0.5f)
      .Real(nearClip)
      .Real(50)
      .Real(7)
      .U32(projection);
  for (RwUInt32 i = 32; i < structLength; i += 4) {
    bytes.U32(0xDEADBEEF);
  }
  bytes.Header(3, 0);
  return bytes;
}

TEST_F(CameraTest, ChunkRoundTrip) {
  RwCamera* camera = RwCameraCreate();
  cameras_.push_back(camera);
  const RwV2d window = {1.5f, 0.75f};
  const RwV2d offset = {0.125f, -0.25f};
  RwCameraSetViewWindow(camera, &window);
  RwCameraSetViewOffset(camera, &offset);
  RwCameraSetNearClipPlane(camera, 0.5f);
  RwCameraSetFarClipPlane(camera, 300.0f);
  RwCameraSetFogDistance(camera, 120.0f);
  RwCameraSetProjection(camera, kRwCameraParallel);
  EXPECT_EQ(RwCameraStreamGetSize(camera), 56);

  RwMemory memory = {nullptr, 0};
  RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, &memory);
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(RwCameraStreamWrite(camera, out), camera);
  ASSERT_TRUE(RwStreamClose(out, &memory));
  ASSERT_EQ(memory.length, 12u + 56u);

  RwStream* in = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  RwUInt32 length = 0;
  ASSERT_TRUE(RwStreamFindChunk(in, kRwChunkCamera, &length, nullptr));
  EXPECT_EQ(length, 56u);
  RwCamera* copy = RwCameraStreamRead(in);
  RwStreamClose(in, nullptr);
  RwFree(memory.start);
  ASSERT_NE(copy, nullptr);
  cameras_.push_back(copy);
  EXPECT_EQ(copy->viewWindow.x, 1.5f);
  EXPECT_EQ(copy->viewWindow.y, 0.75f);
  EXPECT_EQ(copy->viewOffset.x, 0.125f);
  EXPECT_EQ(copy->viewOffset.y, -0.25f);
  EXPECT_EQ(copy->nearPlane, 0.5f);
  EXPECT_EQ(copy->farPlane, 300.0f);
  EXPECT_EQ(copy->fogPlane, 120.0f);
  EXPECT_EQ(copy->projectionType, kRwCameraParallel);
  EXPECT_EQ(copy->zScale, camera->zScale);
}

// A camera read from the start of the bytes; null when the read fails.
RwCamera* ReadCamera(ChunkBytes& bytes) {
  RwStream* stream = bytes.OpenRead();
  RwCamera* camera = RwCameraStreamRead(stream);
  RwStreamClose(stream, nullptr);
  return camera;
}

TEST_F(CameraTest, ChunkReadEdgeCases) {
  {
    SCOPED_TRACE("invalid projection keeps perspective");
    ChunkBytes bytes = CameraChunkBody(1.0f, 3);
    RwCamera* camera = ReadCamera(bytes);
    ASSERT_NE(camera, nullptr);
    cameras_.push_back(camera);
    EXPECT_EQ(camera->projectionType, kRwCameraPerspective);
    EXPECT_EQ(camera->nearPlane, 1.0f);
    EXPECT_EQ(static_cast<RwUInt32>(TakeError().errorCode), 0x80000003u);
  }
  {
    SCOPED_TRACE("a longer struct body is read in part and skipped");
    ChunkBytes bytes = CameraChunkBody(2.0f, 2, 40);
    RwCamera* camera = ReadCamera(bytes);
    ASSERT_NE(camera, nullptr);
    cameras_.push_back(camera);
    EXPECT_EQ(camera->projectionType, kRwCameraParallel);
    EXPECT_EQ(camera->fogPlane, 7.0f);
  }
  {
    SCOPED_TRACE("a short struct body is refused");
    ChunkBytes bytes;
    bytes.Header(kRwChunkStruct, 16).Real(1).Real(1).Real(0).Real(0);
    EXPECT_EQ(ReadCamera(bytes), nullptr);
    TakeError();
  }
  {
    SCOPED_TRACE("truncated body");
    ChunkBytes bytes = CameraChunkBody(1.0f, 1);
    bytes.Truncate(20);
    EXPECT_EQ(ReadCamera(bytes), nullptr);
    TakeError();
  }
  {
    SCOPED_TRACE("missing extension chunk");
    ChunkBytes bytes = CameraChunkBody(1.0f, 1);
    bytes.Truncate(12);
    EXPECT_EQ(ReadCamera(bytes), nullptr);
    TakeError();
  }
  {
    SCOPED_TRACE("version out of range");
    ChunkBytes bytes;
    bytes.Header(kRwChunkStruct, 32, 0x1405FFFF);
    EXPECT_EQ(ReadCamera(bytes), nullptr);
    EXPECT_EQ(static_cast<RwUInt32>(TakeError().errorCode), 0x80000004u);
  }
}

}  // namespace

namespace {

// A camera plugin that carries one word through the camera chunk.
constexpr RwUInt32 kTestPluginId = 0xF0F0;
RwInt32 gPluginOffset = -1;

void* ConstructWord(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RwUInt32, object, offset) = 0;
  return object;
}

RwStream* ReadWord(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32) {
  if (length != 4) {
    return nullptr;
  }
  return RwStreamReadInt32(stream, RwPluginDataGet(RwInt32, object, offset), 4);
}

RwStream* WriteWord(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  return RwStreamWriteInt32(stream, RwPluginDataGetConst(RwInt32, object, offset), 4);
}

RwInt32 WordSize(const void*, RwInt32, RwInt32) { return 4; }

TEST(CameraPluginTest, PluginDataTravelsWithTheChunk) {
  pipes_test::InstallFakeDriver();
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 1u << 20));
  gPluginOffset = RwCameraRegisterPlugin(4, kTestPluginId, ConstructWord, nullptr, nullptr);
  ASSERT_GE(gPluginOffset, static_cast<RwInt32>(sizeof(RwCamera)));
  ASSERT_EQ(RwCameraRegisterPluginStream(kTestPluginId, ReadWord, WriteWord, WordSize), gPluginOffset);
  EXPECT_EQ(RwCameraGetPluginOffset(kTestPluginId), gPluginOffset);
  static int window = 0;
  RwEngineOpenParams params = {&window};
  ASSERT_TRUE(RwEngineOpen(&params));
  ASSERT_TRUE(RwEngineStart());

  RwCamera* camera = RwCameraCreate();
  ASSERT_NE(camera, nullptr);
  *RwPluginDataGet(RwUInt32, camera, gPluginOffset) = 0x12345678;
  EXPECT_EQ(RwCameraStreamGetSize(camera), 56 + 12 + 4);
  RwMemory memory = {nullptr, 0};
  RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, &memory);
  ASSERT_EQ(RwCameraStreamWrite(camera, out), camera);
  RwStreamClose(out, &memory);
  RwStream* in = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  ASSERT_TRUE(RwStreamFindChunk(in, kRwChunkCamera, nullptr, nullptr));
  RwCamera* copy = RwCameraStreamRead(in);
  RwStreamClose(in, nullptr);
  RwFree(memory.start);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(*RwPluginDataGet(RwUInt32, copy, gPluginOffset), 0x12345678u);
  RwCameraDestroy(copy);
  RwCameraDestroy(camera);

  RwEngineStop();
  RwEngineClose();
  RwEngineTerm();
  _rwEngineSetDriverHooks(nullptr);
}

}  // namespace
