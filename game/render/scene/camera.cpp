// The camera wrapper: view window, target binding, update brackets and the
// extra render-object list.
#include "game/render/scene/camera.h"

#include <cmath>

#include "game/foundation/fatal_error.h"
#include "game/render/models/render_object.h"
#include "game/render/scene/render_state.h"

cRenderObjectLink::cRenderObjectLink(cRenderObject* object) : mObject(object) {}

cRenderObject* cRenderObjectLink::GetObject() const { return static_cast<cRenderObject*>(mObject.Get()); }

cCamera::cCamera()
    : mCamera(RwCameraCreate()),
      mFrame(RwFrameCreate()),
      mZoom(1.0f),
      mReserved{0, 0},
      mTexture(nullptr),
      mFieldOfView(kCameraFieldOfView) {
  if (mCamera == nullptr) {
    FatalError("RwCameraSetFrame Error");
  }
  RwCameraSetFrame(mCamera, mFrame);
  SetClipPlanes(kCameraNearClip, kCameraFarClip);
}

cCamera::~cCamera() {
  while (!mExtraList.IsEmpty()) {
    delete static_cast<cRenderObjectLink*>(mExtraList.First());
  }
  if (mCamera == nullptr) {
    FatalError("RwCameraSetFrame Error");
  }
  RwCameraSetFrame(mCamera, nullptr);
  if (mFrame != nullptr) {
    RwFrameDestroy(mFrame);
  }
  RwCameraDestroy(mCamera);
  if (mTexture != nullptr) {
    RwTextureDestroy(mTexture);
  }
}

void cCamera::SetClipPlanes(f32 nearClip, f32 farClip) {
  RwCameraSetNearClipPlane(mCamera, nearClip);
  RwCameraSetFarClipPlane(mCamera, farClip);
}

void cCamera::BindRasters(RwRaster* colour, RwRaster* depth) {
  if (mCamera == nullptr) {
    FatalError("RwCameraSetRaster Error");
  }
  RwCameraSetRaster(mCamera, colour);
  RwCameraSetZRaster(mCamera, depth);
}

void cCamera::Clear(const cRenderTarget& target, const RwRGBA& colour, u8 clearColour, u8 clearDepth, u8 clearStencil) {
  BindRasters(target.GetColourRaster(), target.GetDepthRaster());
  RwInt32 mode = 0;
  if (clearColour) {
    mode |= kRwCameraClearImage;
  }
  if (clearDepth) {
    mode |= kRwCameraClearZ;
  }
  if (clearStencil) {
    mode |= kRwCameraClearStencil;
  }
  if (mode != 0) {
    RwCameraClear(mCamera, &colour, mode);
  }
  BindRasters(nullptr, nullptr);
}

RwCamera* cCamera::BeginUpdate(const cRenderTarget& target, u8 keepView) {
  const tTargetSize size = target.GetSize();
  if (target.GetColourRaster() == nullptr || size.width == 0 || size.height == 0) {
    return nullptr;
  }
  if (!keepView) {
    const f32 t = tanf(mFieldOfView * 0.5f);
    const RwV2d window = {t, t * static_cast<f32>(size.height) / static_cast<f32>(size.width)};
    RwCameraSetViewWindow(mCamera, &window);
  }
  RpLODAtomicSetCamera(mCamera);  // the camera atomics choose their level of detail by
  BindRasters(target.GetColourRaster(), target.GetDepthRaster());
  return BeginUpdateOnly();
}

RwCamera* cCamera::BeginUpdateOnly() {
  RwCamera* camera = RwCameraBeginUpdate(mCamera);
  if (camera != nullptr) {
    SetRenderState(kRwRenderStateCullMode, kCullModeBack);
  }
  return camera;
}

void cCamera::EndUpdateOnly() { RwCameraEndUpdate(mCamera); }

RwCamera* cCamera::EndUpdate() {
  RwCamera* camera = RwCameraEndUpdate(mCamera);
  BindRasters(nullptr, nullptr);
  return camera;
}

void cCamera::AddRenderObject(cRenderObject* object) {
  for (cListNode* node = mExtraList.First(); node != nullptr; node = cList::Next(node)) {
    if (static_cast<cRenderObjectLink*>(node)->GetObject() == object) {
      return;
    }
  }
  mExtraList.Append(new cRenderObjectLink(object));
}
