// Cameras: objects hung on a frame that render into a frame-buffer raster and
// a z-buffer raster between RwCameraBeginUpdate and RwCameraEndUpdate. Each
// sync of the frame rebuilds the view matrix, the frustum corners, planes and
// bounding box used for culling.
#pragma once

#include "engine/src/frame.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/plcore/vector.h"
#include "engine/src/rgba.h"

struct RwRaster;
struct RwStream;
struct RwCamera;

constexpr RwUInt8 kRwCameraObjectType = 4;
constexpr RwUInt32 kRwChunkCamera = 5;
constexpr RwUInt32 kRwPluginIdCamera = 0x405;
// Bytes of the camera chunk's struct body.
constexpr RwUInt32 kRwCameraStreamBodySize = 32;

enum RwCameraProjection : RwInt32 {
  kRwCameraPerspective = 1,
  kRwCameraParallel = 2,
};

// RwCameraClear mode bits.
enum RwCameraClearMode : RwInt32 {
  kRwCameraClearImage = 0x1,
  kRwCameraClearZ = 0x2,
  kRwCameraClearStencil = 0x4,
};

enum RwFrustumTestResult : RwInt32 {
  kRwSphereOutside = 0,
  kRwSphereBoundary = 1,
  kRwSphereInside = 2,
};

struct RwPlane {
  RwV3d normal;     // points out of the frustum
  RwReal distance;  // normal . any point of the plane
};

struct RwFrustumPlane {
  RwPlane plane;
  // Per axis 1 when the normal's component has its sign bit clear: selects the
  // sup (1) or inf (0) coordinate of the box corner farthest along the normal.
  RwUInt8 closestX;
  RwUInt8 closestY;
  RwUInt8 closestZ;
  RwUInt8 pad;
};

typedef RwCamera* (*RwCameraBeginUpdateFunc)(RwCamera* camera);
typedef RwCamera* (*RwCameraEndUpdateFunc)(RwCamera* camera);

// Frustum planes, in this order.
enum { kRwFrustumFar = 0, kRwFrustumNear = 1, kRwFrustumPlaneCount = 6, kRwFrustumCornerCount = 8 };

struct RwCamera {
  RwObjectHasFrame object;  // parent = the camera's frame
  RwInt32 projectionType;   // RwCameraProjection
  RwCameraBeginUpdateFunc beginUpdate;
  RwCameraEndUpdateFunc endUpdate;
  RwMatrix viewMatrix;  // world to (X, Y, Z) with X/Z and Y/Z 0..1 across the window
  RwRaster* frameBuffer;
  RwRaster* zBuffer;
  RwV2d viewWindow;
  RwV2d recipViewWindow;
  RwV2d viewOffset;
  RwReal nearPlane;
  RwReal farPlane;
  RwReal fogPlane;
  RwReal zScale;  // map clip distances into the device's depth range
  RwReal zShift;
  RwFrustumPlane frustumPlanes[kRwFrustumPlaneCount];  // far, near, four sides
  RwBBox frustumBoundBox;
  RwV3d frustumCorners[kRwFrustumCornerCount];  // near 0-3, far 4-7
  // plugin data follows (camera plugin registry)
};

RwCamera* RwCameraCreate(void);
RwBool RwCameraDestroy(RwCamera* camera);

RwCamera* RwCameraBeginUpdate(RwCamera* camera);
RwCamera* RwCameraEndUpdate(RwCamera* camera);
// Standard function 21 with (camera, colour, mode); mode is RwCameraClearMode bits.
RwCamera* RwCameraClear(RwCamera* camera, const RwRGBA* colour, RwInt32 clearMode);

RwCamera* RwCameraSetViewWindow(RwCamera* camera, const RwV2d* viewWindow);
RwCamera* RwCameraSetViewOffset(RwCamera* camera, const RwV2d* offset);
RwCamera* RwCameraSetNearClipPlane(RwCamera* camera, RwReal nearClip);
RwCamera* RwCameraSetFarClipPlane(RwCamera* camera, RwReal farClip);
RwCamera* RwCameraSetFogDistance(RwCamera* camera, RwReal fogDistance);
// Null (error 0x80000003) for anything but perspective or parallel.
RwCamera* RwCameraSetProjection(RwCamera* camera, RwInt32 projection);
RwCamera* RwCameraSetRaster(RwCamera* camera, RwRaster* raster);
RwCamera* RwCameraSetZRaster(RwCamera* camera, RwRaster* zRaster);
RwCamera* RwCameraSetFrame(RwCamera* camera, RwFrame* frame);
RwCamera* RwCameraSetBeginUpdateFunc(RwCamera* camera, RwCameraBeginUpdateFunc callBack);
RwCamera* RwCameraSetEndUpdateFunc(RwCamera* camera, RwCameraEndUpdateFunc callBack);

const RwV2d* RwCameraGetViewWindow(const RwCamera* camera);
const RwV2d* RwCameraGetViewOffset(const RwCamera* camera);
RwReal RwCameraGetNearClipPlane(const RwCamera* camera);
RwReal RwCameraGetFarClipPlane(const RwCamera* camera);
RwReal RwCameraGetFogDistance(const RwCamera* camera);
RwInt32 RwCameraGetProjection(const RwCamera* camera);
RwRaster* RwCameraGetRaster(const RwCamera* camera);
RwRaster* RwCameraGetZRaster(const RwCamera* camera);
RwFrame* RwCameraGetFrame(const RwCamera* camera);
RwMatrix* RwCameraGetViewMatrix(RwCamera* camera);
// The engine's camera whose update is under way, or null.
RwCamera* RwCameraGetCurrentCamera(void);

// 0 outside, 1 crossing a plane, 2 inside (RwFrustumTestResult).
RwInt32 RwCameraFrustumTestSphere(const RwCamera* camera, const RwSphere* sphere);

RwInt32 RwCameraRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                               RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RwCameraRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                     RwPluginDataChunkWriteCallBack writeCB,
                                     RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RwCameraGetPluginOffset(RwUInt32 pluginID);

// Length of the camera chunk's body.
RwInt32 RwCameraStreamGetSize(const RwCamera* camera);
// Writes the whole camera chunk, header included.
const RwCamera* RwCameraStreamWrite(const RwCamera* camera, RwStream* stream);
// The stream is at the body of a camera chunk.
RwCamera* RwCameraStreamRead(RwStream* stream);
