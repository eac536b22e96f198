// The 2D toolkit's shared state: opening and closing its modules, the target
// camera and its device metrics, the layout, the transformation stack, and
// the matrices from 2D coordinates to camera and world space.
#include <cmath>

#include "engine/src/frame.h"
#include "engine/tool/2d/rt2d_internal.h"

namespace {

constexpr RwReal kLayerDepth = 1.0f;
constexpr RwReal kToleranceFraction = 0.5f;  // of a device pixel
constexpr RwInt32 kCurveDepth = 7;
// Metrics of a state without a camera: a one-pixel device with a view window
// of (1, 1), so that every matrix stays invertible.
constexpr RwReal kDefaultDeviceSize = 1.0f;
constexpr RwReal kDefaultExtent = 2.0f;

struct GState {
  RwBool open;
  RwMatrix* stack[kRt2dTransformStackSize];  // slot 0 made at opening, the others on first push
  RwInt32 top;
  RwMatrix base;       // the layout
  RwReal deviceWidth;  // pixels of the camera raster
  RwReal deviceHeight;
  RwReal extentX;  // twice the camera's view window
  RwReal extentY;
  RwMatrix device;  // 2D to camera space
  RwMatrix inverse;
  RwBool deviceValid;
  RwReal tolerance;  // squared, in 2D units
  RwBool toleranceValid;
  RwMatrix world;
  RwCamera* camera;
  RwUInt16 stripIndices[kRt2dVertexBufferSize];
};

GState gState = {};
// The end-update callback the targeted cameras had: one slot for all of
// them. It outlives closing, since the cameras keep forwarding to it.
RwCameraEndUpdateFunc gKeptEndUpdate = nullptr;

void Invalidate() {
  gState.deviceValid = FALSE;
  gState.toleranceValid = FALSE;
}

RwReal DepthFactor() {
  return gState.camera != nullptr && gState.camera->projectionType == kRwCameraParallel ? 1.0f : kLayerDepth;
}

// D = top x base, then (z, z, 1), then (-s, s, 1) since camera-space x points
// to the left of the view, then the view's bottom-left corner moved to 0.
void UpdateDeviceMatrix() {
  if (gState.deviceValid) {
    return;
  }
  const RwReal z = DepthFactor();
  const RwReal s = gState.extentX < gState.extentY ? gState.extentX : gState.extentY;
  RwMatrixMultiply(&gState.device, gState.stack[gState.top], &gState.base);
  const RwV3d depth = {z, z, 1.0f};
  RwMatrixScale(&gState.device, &depth, kRwCombinePostConcat);
  const RwV3d mirror = {-s, s, 1.0f};
  RwMatrixScale(&gState.device, &mirror, kRwCombinePostConcat);
  const RwV3d corner = {gState.extentX * z / 2.0f, -gState.extentY * z / 2.0f, 0.0f};
  RwMatrixTranslate(&gState.device, &corner, kRwCombinePostConcat);
  RwMatrixInvert(&gState.inverse, &gState.device);
  gState.deviceValid = TRUE;
}

RwMatrix* Top() { return gState.stack[gState.top]; }

}  // namespace

RwBool Rt2dGStateModuleOpen(void) {
  gState = {};
  gState.stack[0] = RwMatrixCreate();
  if (gState.stack[0] == nullptr) {
    return FALSE;
  }
  RwMatrixSetIdentity(gState.stack[0]);
  RwMatrixSetIdentity(&gState.base);
  gState.deviceWidth = kDefaultDeviceSize;
  gState.deviceHeight = kDefaultDeviceSize;
  gState.extentX = kDefaultExtent;
  gState.extentY = kDefaultExtent;
  for (RwInt32 i = 0; i < kRt2dVertexBufferSize; i++) {
    gState.stripIndices[i] = static_cast<RwUInt16>(i);
  }
  gState.open = TRUE;
  return TRUE;
}

void Rt2dGStateModuleClose(void) {
  for (RwMatrix* matrix : gState.stack) {
    if (matrix != nullptr) {
      RwMatrixDestroy(matrix);
    }
  }
  gState = {};
}

RwBool Rt2dOpen(RwCamera* camera) {
  if (gState.open) {
    Rt2dSetCamera(camera);
    return TRUE;
  }
  if (!Rt2dPathModuleOpen() || !Rt2dBrushModuleOpen() || !Rt2dFontModuleOpen() || !Rt2dGStateModuleOpen()) {
    Rt2dGStateModuleClose();
    Rt2dFontModuleClose();
    Rt2dBrushModuleClose();
    Rt2dPathModuleClose();
    return FALSE;
  }
  Rt2dSetCamera(camera);
  return TRUE;
}

void Rt2dClose(void) {
  if (!gState.open) {
    return;
  }
  Rt2dGStateModuleClose();
  Rt2dFontModuleClose();
  Rt2dBrushModuleClose();
  Rt2dPathModuleClose();
}

RwCamera* Rt2dCameraEndUpdate(RwCamera* camera) {
  if (gKeptEndUpdate == nullptr) {
    RwCameraSetEndUpdateFunc(camera, nullptr);  // the camera's default
    return camera->endUpdate(camera);
  }
  return gKeptEndUpdate(camera);
}

RwBool Rt2dSetCamera(RwCamera* camera) {
  if (!gState.open) {
    return FALSE;
  }
  if (camera == nullptr) {
    gState.camera = nullptr;
    Invalidate();
    return FALSE;
  }
  const RwRaster* raster = camera->frameBuffer;
  if (raster == nullptr) {
    return FALSE;
  }
  gState.deviceWidth = static_cast<RwReal>(raster->width);
  gState.deviceHeight = static_cast<RwReal>(raster->height);
  gState.extentX = 2.0f * camera->viewWindow.x;
  gState.extentY = 2.0f * camera->viewWindow.y;
  if (camera->endUpdate != Rt2dCameraEndUpdate && camera != gState.camera) {
    gKeptEndUpdate = camera->endUpdate;
    RwCameraSetEndUpdateFunc(camera, Rt2dCameraEndUpdate);
  }
  gState.camera = camera;
  Invalidate();
  return TRUE;
}

RwBool Rt2dDeviceGetMetric(RwV2d* xStep, RwV2d* yStep, RwV2d* origin) {
  if (!gState.open) {
    return FALSE;
  }
  UpdateDeviceMatrix();
  const RwReal z = DepthFactor();
  const RwV3d steps[2] = {{-gState.extentX * z / gState.deviceWidth, 0.0f, 0.0f},
                          {0.0f, gState.extentY * z / gState.deviceHeight, 0.0f}};
  RwV3d out[2];
  RwV3dTransformVectors(out, steps, 2, &gState.inverse);
  const RwV3d corner = {gState.extentX * z / 2.0f, -gState.extentY * z / 2.0f, 0.0f};
  RwV3d cornerOut;
  RwV3dTransformPoints(&cornerOut, &corner, 1, &gState.inverse);
  *xStep = {out[0].x, out[0].y};
  *yStep = {out[1].x, out[1].y};
  *origin = {cornerOut.x, cornerOut.y};
  return TRUE;
}

RwBool Rt2dDeviceSetLayout(RwReal x, RwReal y, RwReal width, RwReal height) {
  if (!gState.open) {
    return FALSE;
  }
  // An empty rectangle would make the layout matrix singular.
  if (!(width != 0.0f && height != 0.0f) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) ||
      !std::isfinite(height)) {
    return FALSE;
  }
  // The metric is taken in plain device coordinates; the top of the stack is
  // put back afterwards, so the stack is left as it was even when full.
  const RwMatrix savedTop = *Top();
  RwMatrixSetIdentity(&gState.base);
  RwMatrixSetIdentity(Top());
  Invalidate();
  RwV2d xStep;
  RwV2d yStep;
  RwV2d origin;
  Rt2dDeviceGetMetric(&xStep, &yStep, &origin);
  xStep = {xStep.x * gState.deviceWidth / width, xStep.y * gState.deviceWidth / width};
  yStep = {yStep.x * gState.deviceHeight / height, yStep.y * gState.deviceHeight / height};
  const RwV3d toOrigin = {origin.x, origin.y, 0.0f};
  const RwV3d scale = {RwV2dLength(&xStep), RwV2dLength(&yStep), 1.0f};
  const RwV3d toCorner = {-x, -y, 0.0f};
  RwMatrixTranslate(&gState.base, &toOrigin, kRwCombinePreConcat);
  RwMatrixScale(&gState.base, &scale, kRwCombinePreConcat);
  RwMatrixTranslate(&gState.base, &toCorner, kRwCombinePreConcat);
  *Top() = savedTop;
  Invalidate();
  return TRUE;
}

RwBool Rt2dCTMPush(void) {
  if (!gState.open || gState.top >= kRt2dTransformStackSize - 1) {
    return FALSE;
  }
  RwMatrix*& next = gState.stack[gState.top + 1];
  if (next == nullptr) {
    next = RwMatrixCreate();
    if (next == nullptr) {
      return FALSE;
    }
  }
  RwMatrixCopy(next, gState.stack[gState.top]);
  gState.top++;
  return TRUE;
}

RwBool Rt2dCTMPop(void) {
  if (!gState.open || gState.top <= 0) {
    return FALSE;
  }
  gState.top--;
  Invalidate();
  return TRUE;
}

RwBool Rt2dCTMSetIdentity(void) {
  if (!gState.open) {
    return FALSE;
  }
  RwMatrixSetIdentity(Top());
  Invalidate();
  return TRUE;
}

RwBool Rt2dCTMScale(RwReal x, RwReal y) {
  if (!gState.open) {
    return FALSE;
  }
  const RwV3d scale = {x, y, 1.0f};
  RwMatrixScale(Top(), &scale, kRwCombinePreConcat);
  Invalidate();
  return TRUE;
}

RwBool Rt2dCTMTranslate(RwReal x, RwReal y) {
  if (!gState.open) {
    return FALSE;
  }
  const RwV3d translation = {x, y, 0.0f};
  RwMatrixTranslate(Top(), &translation, kRwCombinePreConcat);
  Invalidate();
  return TRUE;
}

RwMatrix* Rt2dGStateGetWorldMatrix(void) {
  if (!gState.open) {
    return nullptr;
  }
  UpdateDeviceMatrix();
  RwFrame* frame = gState.camera != nullptr ? RwCameraGetFrame(gState.camera) : nullptr;
  if (frame == nullptr) {
    RwMatrixCopy(&gState.world, &gState.device);
  } else {
    RwMatrixMultiply(&gState.world, &gState.device, RwFrameGetLTM(frame));
  }
  return &gState.world;
}

RwReal Rt2dGStateGetFlatTolerance(void) {
  if (!gState.open) {
    return 0.0f;
  }
  if (!gState.toleranceValid) {
    UpdateDeviceMatrix();
    const RwV3d halfPixel = {gState.extentX / gState.deviceWidth * kToleranceFraction * kLayerDepth, 0.0f, 0.0f};
    RwV3d out;
    RwV3dTransformVectors(&out, &halfPixel, 1, &gState.inverse);
    gState.tolerance = out.x * out.x + out.y * out.y;
    gState.toleranceValid = TRUE;
  }
  return gState.tolerance;
}

RwReal _rt2dGStateLayerDepth(void) { return kLayerDepth; }

RwInt32 _rt2dGStateCurveDepth(void) { return kCurveDepth; }

RwUInt16* _rt2dGStateStripIndices(void) { return gState.stripIndices; }

RwCamera* _rt2dGStateGetCamera(void) { return gState.camera; }
