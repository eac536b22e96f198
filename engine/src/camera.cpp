// Cameras: creation from the camera free list, update brackets through the
// driver's standard functions, view parameters, the view matrix and frustum
// rebuilt at each frame sync, the sphere test and the camera chunk.
#include "engine/src/camera.h"

#include <cmath>
#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/stream.h"

namespace {

struct RwCameraModule {
  RwFreeList* freeList;
};
static_assert(sizeof(RwCameraModule) <= kRwCameraModuleDataSize, "camera module data fits its engine block");

constexpr RwUInt32 kCamerasPerBlock = 4;
constexpr RwReal kDefaultNear = 0.05f;
constexpr RwReal kDefaultFar = 10.0f;
constexpr RwReal kDefaultFog = 5.0f;
// The depth range is pulled in by this fraction at both ends.
constexpr RwReal kDepthRangeInset = 0.0001f;

RwPluginRegistry gCameraRegistry = RwPluginRegistryInitializer(sizeof(RwCamera));
RwInt32 gModuleOffset = -1;

RwCameraModule* Module() {
  if (gModuleOffset < 0) {
    return nullptr;
  }
  return RwPluginDataGet(RwCameraModule, RwEngineInstance, gModuleOffset);
}

void RaiseCore(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, code); }

RwFrame* FrameOf(const RwCamera* camera) { return static_cast<RwFrame*>(camera->object.object.parent); }

void MarkFrameDirty(RwCamera* camera) {
  if (RwFrame* frame = FrameOf(camera)) {
    RwFrameMarkDirty(frame);
  }
}

void UpdateZScaleAndShift(RwCamera* camera) {
  const RwDevice& device = RwEngineInstance->device;
  const RwReal inset = (device.zBufferFar - device.zBufferNear) * kDepthRangeInset;
  const RwReal zNear = device.zBufferNear + inset;
  const RwReal zFar = device.zBufferFar - inset;
  RwReal n = camera->nearPlane;
  RwReal f = camera->farPlane;
  if (camera->projectionType == kRwCameraPerspective) {
    if (n == 0.0f || f == 0.0f) {
      return;  // no reciprocal; keep the last usable values
    }
    n = 1.0f / n;
    f = 1.0f / f;
  }
  if (f == n) {
    return;  // an empty depth range has no scale
  }
  camera->zScale = (zFar - zNear) / (f - n);
  camera->zShift = (zFar + zNear - (n + f) * camera->zScale) * 0.5f;
}

RwV3d Combine(const RwV3d& pos, const RwV3d& right, const RwV3d& up, const RwV3d& at, RwReal x, RwReal y, RwReal z) {
  return {pos.x + x * right.x + y * up.x + z * at.x, pos.y + x * right.y + y * up.y + z * at.y,
          pos.z + x * right.z + y * up.z + z * at.z};
}

RwV3d Sub(const RwV3d& a, const RwV3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

RwReal Dot(const RwV3d& a, const RwV3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

RwV3d Cross(const RwV3d& a, const RwV3d& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

void SetPlane(RwFrustumPlane* plane, RwV3d normal, const RwV3d& point) {
  const RwReal lengthSquared = Dot(normal, normal);
  if (lengthSquared > 0.0f) {
    const RwReal inverse = RwInvSqrt(lengthSquared);
    normal = {normal.x * inverse, normal.y * inverse, normal.z * inverse};
  }
  plane->plane.normal = normal;
  plane->plane.distance = Dot(normal, point);
  plane->closestX = std::signbit(normal.x) ? 0 : 1;
  plane->closestY = std::signbit(normal.y) ? 0 : 1;
  plane->closestZ = std::signbit(normal.z) ? 0 : 1;
  plane->pad = 0;
}

void BuildViewMatrix(RwCamera* camera, const RwV3d& right, const RwV3d& up, const RwV3d& at, const RwV3d& pos) {
  const RwReal a = -0.5f * camera->recipViewWindow.x;
  const RwReal c = -0.5f * camera->recipViewWindow.y;
  const RwReal ox = camera->viewOffset.x;
  const RwReal oy = camera->viewOffset.y;
  // X = a cx + kx cz + constX, Y = c cy + ky cz + constY, Z = cz, with
  // (cx, cy, cz) the point in camera space.
  RwReal kx, ky, constX, constY;
  if (camera->projectionType == kRwCameraParallel) {
    kx = -ox * a;
    ky = oy * c;
    constX = ox * a + 0.5f;
    constY = -oy * c + 0.5f;
  } else {
    kx = 0.5f - ox * a;
    ky = 0.5f + oy * c;
    constX = a * ox;
    constY = -c * oy;
  }
  const RwV3d columnX = {a * right.x + kx * at.x, a * right.y + kx * at.y, a * right.z + kx * at.z};
  const RwV3d columnY = {c * up.x + ky * at.x, c * up.y + ky * at.y, c * up.z + ky * at.z};
  const RwV3d& columnZ = at;
  RwMatrix* view = &camera->viewMatrix;
  view->right = {columnX.x, columnY.x, columnZ.x};
  view->up = {columnX.y, columnY.y, columnZ.y};
  view->at = {columnX.z, columnY.z, columnZ.z};
  view->pos = {-Dot(columnX, pos) + constX, -Dot(columnY, pos) + constY, -Dot(columnZ, pos)};
  view->flags = 0;
  RwMatrixOptimize(view, nullptr);
}

void BuildFrustum(RwCamera* camera, const RwV3d& right, const RwV3d& up, const RwV3d& at, const RwV3d& pos) {
  static const RwReal kSigns[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
  const RwReal distances[2] = {camera->nearPlane, camera->farPlane};
  const bool perspective = camera->projectionType != kRwCameraParallel;
  RwV3d* corners = camera->frustumCorners;
  for (int d = 0; d < 2; ++d) {
    const RwReal z = distances[d];
    const RwReal k = perspective ? z : 1.0f;
    for (int s = 0; s < 4; ++s) {
      const RwReal x = kSigns[s][0] * camera->viewWindow.x * k - (1.0f - z) * camera->viewOffset.x;
      const RwReal y = kSigns[s][1] * camera->viewWindow.y * k + (1.0f - z) * camera->viewOffset.y;
      corners[d * 4 + s] = Combine(pos, right, up, at, x, y, z);
    }
  }
  RwFrustumPlane* planes = camera->frustumPlanes;
  SetPlane(&planes[kRwFrustumFar], at, corners[4]);
  SetPlane(&planes[kRwFrustumNear], {-at.x, -at.y, -at.z}, corners[0]);
  SetPlane(&planes[2], Cross(Sub(corners[1], corners[5]), Sub(corners[6], corners[5])), corners[1]);
  SetPlane(&planes[3], Cross(Sub(corners[4], corners[5]), Sub(corners[1], corners[5])), corners[1]);
  SetPlane(&planes[4], Cross(Sub(corners[3], corners[7]), Sub(corners[4], corners[7])), corners[3]);
  SetPlane(&planes[5], Cross(Sub(corners[6], corners[7]), Sub(corners[3], corners[7])), corners[3]);
  RwBBoxCalculate(&camera->frustumBoundBox, corners, kRwFrustumCornerCount);
}

RwObjectHasFrame* CameraSync(RwObjectHasFrame* object) {
  RwCamera* camera = reinterpret_cast<RwCamera*>(object);
  RwFrame* frame = FrameOf(camera);
  if (frame == nullptr) {
    return object;
  }
  // The hierarchy's matrices are up to date when the sync pass calls this.
  const RwMatrix& ltm = frame->ltm;
  BuildViewMatrix(camera, ltm.right, ltm.up, ltm.at, ltm.pos);
  BuildFrustum(camera, ltm.right, ltm.up, ltm.at, ltm.pos);
  return object;
}

RwCamera* DefaultBeginUpdate(RwCamera* camera) {
  RwEngineInstance->currentCamera = camera;
  RwFrameSyncDirty();
  if (!RwEngineInstance->standardFunctions[kRwStdCameraBeginUpdate](nullptr, camera, 0)) {
    return nullptr;
  }
  return camera;
}

RwCamera* DefaultEndUpdate(RwCamera* camera) {
  if (!RwEngineInstance->standardFunctions[kRwStdCameraEndUpdate](nullptr, camera, 0)) {
    return nullptr;
  }
  RwEngineInstance->currentCamera = nullptr;
  return camera;
}

}  // namespace

void* _rwCameraOpen(void* instance, RwInt32 offset, RwInt32) {
  gModuleOffset = offset;
  RwCameraModule* module = Module();
  module->freeList = RwFreeListCreate(gCameraRegistry.sizeOfStruct, kCamerasPerBlock, alignof(RwCamera));
  return module->freeList != nullptr ? instance : nullptr;
}

void* _rwCameraClose(void* instance, RwInt32, RwInt32) {
  RwCameraModule* module = Module();
  if (module != nullptr && module->freeList != nullptr) {
    RwFreeListDestroy(module->freeList);
    module->freeList = nullptr;
  }
  return instance;
}

RwCamera* RwCameraCreate(void) {
  RwCameraModule* module = Module();
  auto* camera = module != nullptr && module->freeList != nullptr
                     ? static_cast<RwCamera*>(RwFreeListEntryAlloc(module->freeList))
                     : nullptr;
  if (camera == nullptr) {
    RaiseCore(kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(camera, 0, sizeof(RwCamera));
  camera->object.object.type = kRwCameraObjectType;
  rwLLLinkInitialize(&camera->object.lFrame);
  camera->object.sync = CameraSync;
  camera->projectionType = kRwCameraPerspective;
  camera->beginUpdate = DefaultBeginUpdate;
  camera->endUpdate = DefaultEndUpdate;
  camera->viewWindow = {1.0f, 1.0f};
  camera->recipViewWindow = {1.0f, 1.0f};
  camera->viewOffset = {0.0f, 0.0f};
  camera->nearPlane = kDefaultNear;
  camera->farPlane = kDefaultFar;
  camera->fogPlane = kDefaultFog;
  UpdateZScaleAndShift(camera);
  if (RwPluginRegistryInitObject(&gCameraRegistry, camera) == nullptr) {
    RwFreeListEntryFree(module->freeList, camera);
    return nullptr;
  }
  return camera;
}

RwBool RwCameraDestroy(RwCamera* camera) {
  if (camera == nullptr) {
    return FALSE;
  }
  RwPluginRegistryDeInitObject(&gCameraRegistry, camera);
  if (FrameOf(camera) != nullptr) {
    RwObjectHasFrameReleaseFrame(&camera->object);
  }
  if (RwEngineInstance->currentCamera == camera) {
    RwEngineInstance->currentCamera = nullptr;
  }
  RwFreeListEntryFree(Module()->freeList, camera);
  return TRUE;
}

RwCamera* RwCameraBeginUpdate(RwCamera* camera) { return camera->beginUpdate(camera); }

RwCamera* RwCameraEndUpdate(RwCamera* camera) { return camera->endUpdate(camera); }

RwCamera* RwCameraClear(RwCamera* camera, const RwRGBA* colour, RwInt32 clearMode) {
  // The driver reads the colour; the standard function's slot is untyped.
  if (RwEngineInstance->standardFunctions[kRwStdCameraClear](camera, const_cast<RwRGBA*>(colour), clearMode) > 0) {
    return camera;
  }
  return nullptr;
}

RwCamera* RwCameraSetViewWindow(RwCamera* camera, const RwV2d* viewWindow) {
  if (viewWindow->x == 0.0f || viewWindow->y == 0.0f) {
    RaiseCore(kRwErrInvalidValue);  // a window without extent has no reciprocal
    return nullptr;
  }
  camera->viewWindow = *viewWindow;
  camera->recipViewWindow = {1.0f / viewWindow->x, 1.0f / viewWindow->y};
  MarkFrameDirty(camera);
  return camera;
}

RwCamera* RwCameraSetViewOffset(RwCamera* camera, const RwV2d* offset) {
  camera->viewOffset = *offset;
  MarkFrameDirty(camera);
  return camera;
}

RwCamera* RwCameraSetNearClipPlane(RwCamera* camera, RwReal nearClip) {
  camera->nearPlane = nearClip;
  UpdateZScaleAndShift(camera);
  MarkFrameDirty(camera);
  return camera;
}

RwCamera* RwCameraSetFarClipPlane(RwCamera* camera, RwReal farClip) {
  camera->farPlane = farClip;
  UpdateZScaleAndShift(camera);
  MarkFrameDirty(camera);
  return camera;
}

RwCamera* RwCameraSetFogDistance(RwCamera* camera, RwReal fogDistance) {
  camera->fogPlane = fogDistance;
  return camera;
}

RwCamera* RwCameraSetProjection(RwCamera* camera, RwInt32 projection) {
  if (projection != kRwCameraPerspective && projection != kRwCameraParallel) {
    RaiseCore(ReturnFirstArgument(kRwErrInvalidValue, "Invalid projection type specified"));
    return nullptr;
  }
  camera->projectionType = projection;
  UpdateZScaleAndShift(camera);
  MarkFrameDirty(camera);
  return camera;
}

RwCamera* RwCameraSetRaster(RwCamera* camera, RwRaster* raster) {
  if (camera == nullptr) {
    RaiseCore(kRwErrNullArgument);
    return nullptr;
  }
  camera->frameBuffer = raster;
  return camera;
}

RwCamera* RwCameraSetZRaster(RwCamera* camera, RwRaster* zRaster) {
  if (camera == nullptr) {
    RaiseCore(kRwErrNullArgument);
    return nullptr;
  }
  camera->zBuffer = zRaster;
  return camera;
}

RwCamera* RwCameraSetFrame(RwCamera* camera, RwFrame* frame) {
  if (camera == nullptr) {
    RaiseCore(kRwErrNullArgument);
    return nullptr;
  }
  RwObjectHasFrameSetFrame(&camera->object, frame);
  return camera;
}

RwCamera* RwCameraSetBeginUpdateFunc(RwCamera* camera, RwCameraBeginUpdateFunc callBack) {
  camera->beginUpdate = callBack != nullptr ? callBack : DefaultBeginUpdate;
  return camera;
}

RwCamera* RwCameraSetEndUpdateFunc(RwCamera* camera, RwCameraEndUpdateFunc callBack) {
  camera->endUpdate = callBack != nullptr ? callBack : DefaultEndUpdate;
  return camera;
}

const RwV2d* RwCameraGetViewWindow(const RwCamera* camera) { return &camera->viewWindow; }
const RwV2d* RwCameraGetViewOffset(const RwCamera* camera) { return &camera->viewOffset; }
RwReal RwCameraGetNearClipPlane(const RwCamera* camera) { return camera->nearPlane; }
RwReal RwCameraGetFarClipPlane(const RwCamera* camera) { return camera->farPlane; }
RwReal RwCameraGetFogDistance(const RwCamera* camera) { return camera->fogPlane; }
RwInt32 RwCameraGetProjection(const RwCamera* camera) { return camera->projectionType; }
RwRaster* RwCameraGetRaster(const RwCamera* camera) { return camera->frameBuffer; }
RwRaster* RwCameraGetZRaster(const RwCamera* camera) { return camera->zBuffer; }
RwFrame* RwCameraGetFrame(const RwCamera* camera) { return FrameOf(camera); }
RwMatrix* RwCameraGetViewMatrix(RwCamera* camera) { return &camera->viewMatrix; }
RwCamera* RwCameraGetCurrentCamera(void) { return RwEngineInstance->currentCamera; }

RwInt32 RwCameraFrustumTestSphere(const RwCamera* camera, const RwSphere* sphere) {
  RwInt32 result = kRwSphereInside;
  for (const RwFrustumPlane& plane : camera->frustumPlanes) {
    const RwReal distance = Dot(plane.plane.normal, sphere->center) - plane.plane.distance;
    if (distance > sphere->radius) {
      return kRwSphereOutside;
    }
    if (distance > -sphere->radius) {
      result = kRwSphereBoundary;
    }
  }
  return result;
}

RwInt32 RwCameraRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                               RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&gCameraRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RwCameraRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                     RwPluginDataChunkWriteCallBack writeCB,
                                     RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&gCameraRegistry, pluginID, readCB, writeCB, getSizeCB);
}

RwInt32 RwCameraGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&gCameraRegistry, pluginID);
}

RwInt32 RwCameraStreamGetSize(const RwCamera* camera) {
  return static_cast<RwInt32>(2 * kRwChunkHeaderSize + kRwCameraStreamBodySize) +
         RwPluginRegistryGetSize(&gCameraRegistry, camera);
}

const RwCamera* RwCameraStreamWrite(const RwCamera* camera, RwStream* stream) {
  const RwReal reals[7] = {camera->viewWindow.x, camera->viewWindow.y, camera->viewOffset.x, camera->viewOffset.y,
                           camera->nearPlane,    camera->farPlane,     camera->fogPlane};
  const RwInt32 projection = camera->projectionType;
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkCamera, RwCameraStreamGetSize(camera), kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr ||
      RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, kRwCameraStreamBodySize, kRwLibraryVersion,
                                        kRwLibraryBuild) == nullptr ||
      RwStreamWriteReal(stream, reals, sizeof(reals)) == nullptr ||
      RwStreamWriteInt32(stream, &projection, sizeof(projection)) == nullptr ||
      RwPluginRegistryWriteDataChunks(&gCameraRegistry, stream, camera) == nullptr) {
    return nullptr;
  }
  return camera;
}

RwCamera* RwCameraStreamRead(RwStream* stream) {
  RwUInt32 length = 0;
  RwUInt32 version = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, &version)) {
    return nullptr;
  }
  if (!RwChunkVersionSupported(version)) {
    RaiseCore(kRwErrBadChunkVersion);
    return nullptr;
  }
  if (length < kRwCameraStreamBodySize) {
    RaiseCore(kRwErrRead);  // a short body cannot hold the camera's fields
    return nullptr;
  }
  RwUInt8 body[kRwCameraStreamBodySize];
  if (!RwStreamReadExact(stream, body, sizeof(body))) {
    return nullptr;
  }
  if (length > kRwCameraStreamBodySize && RwStreamSkip(stream, length - kRwCameraStreamBodySize) == nullptr) {
    return nullptr;
  }
  RwCamera* camera = RwCameraCreate();
  if (camera == nullptr) {
    return nullptr;
  }
  if (RwPluginRegistryReadDataChunks(&gCameraRegistry, stream, camera) == nullptr) {
    RwCameraDestroy(camera);
    return nullptr;
  }
  const RwV2d viewWindow = {RwReadLittleEndianReal(body + 0), RwReadLittleEndianReal(body + 4)};
  const RwV2d viewOffset = {RwReadLittleEndianReal(body + 8), RwReadLittleEndianReal(body + 12)};
  RwCameraSetViewWindow(camera, &viewWindow);
  RwCameraSetViewOffset(camera, &viewOffset);
  RwCameraSetNearClipPlane(camera, RwReadLittleEndianReal(body + 16));
  RwCameraSetFarClipPlane(camera, RwReadLittleEndianReal(body + 20));
  RwCameraSetFogDistance(camera, RwReadLittleEndianReal(body + 24));
  RwCameraSetProjection(camera, RwReadLittleEndianInt32(body + 28));
  return camera;
}
