// Camera update, clear and present on the Direct3D 8 device: the scene that
// spans a frame's camera updates, render targets for camera textures (with a
// copy from the back buffer when a texture cannot be a target), the window
// size followed in windowed mode, vertical sync, and the release and restore
// of everything in device memory around a Reset.
#include "engine/driver/d3d8/d3d8_camera.h"

#include <cstring>

#include "engine/driver/d3d8/d3d8_camera_internal.h"
#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8_im2d.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/src/camera.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/rgba.h"
#include "platform/win/win32.h"

namespace {

struct CameraDriverState {
  RwCamera* cameraInUpdate;
  RwBool inScene;   // BeginScene succeeded; EndScene at show raster
  RwBool copyBack;  // the camera texture in update is drawn in the back buffer
};

CameraDriverState sState = {nullptr, FALSE, FALSE};

RwD3D8Driver& Driver() { return _rwD3D8Driver; }

// The window's client size; false for a minimised window or an empty client
// area (the frame is then skipped). Without a window the size is the
// selected mode's.
RwBool ClientSize(HWND window, RwInt32* width, RwInt32* height) {
  if (window == nullptr) {
    *width = static_cast<RwInt32>(Driver().displayMode.width);
    *height = static_cast<RwInt32>(Driver().displayMode.height);
    return TRUE;
  }
  RECT client = {0, 0, 0, 0};
  if (!GetClientRect(window, &client)) {
    return FALSE;
  }
  if (IsIconic(window)) {
    return FALSE;
  }
  *width = client.right - client.left;
  *height = client.bottom - client.top;
  return *width > 0 && *height > 0;
}

// Release, Reset with the presentation parameters and, when the Reset
// succeeded, restore.
void ResetDevice() {
  RwD3D8DeviceReleaseVideoMemory();
  if (SUCCEEDED(Driver().device->Reset(&Driver().present))) {
    RwD3D8DeviceRestoreVideoMemory();
  }
}

// After a failed resize the back buffer and the window go back to the size of
// the selected mode.
RwBool RestorePreviousSize() {
  RwD3D8Driver& driver = Driver();
  if (!driver.present.Windowed) {
    return FALSE;
  }
  driver.present.BackBufferWidth = driver.displayMode.width;
  driver.present.BackBufferHeight = driver.displayMode.height;
  if (FAILED(driver.device->Reset(&driver.present))) {
    return FALSE;
  }
  if (driver.window != nullptr) {
    LONG style = GetWindowLongA(driver.window, GWL_STYLE);
    if ((style & WS_MAXIMIZE) != 0) {
      style &= ~WS_MAXIMIZE;
      SetWindowLongA(driver.window, GWL_STYLE, style);
    }
    const LONG exStyle = GetWindowLongA(driver.window, GWL_EXSTYLE);
    const BOOL hasMenu = GetMenu(driver.window) != nullptr;
    RECT rect = {0, 0, static_cast<LONG>(driver.displayMode.width), static_cast<LONG>(driver.displayMode.height)};
    AdjustWindowRectEx(&rect, static_cast<DWORD>(style), hasMenu, static_cast<DWORD>(exStyle));
    SetWindowPos(driver.window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  }
  return RwD3D8DeviceRestoreVideoMemory();
}

// Follows the device window's client size in windowed mode: a new size resets
// the device with a back buffer of that size, which becomes the selected
// mode's size. A minimised window or an empty client area fails.
RwBool WindowCheckAndReset() {
  RwD3D8Driver& driver = Driver();
  RwInt32 width = 0;
  RwInt32 height = 0;
  if (!ClientSize(driver.window, &width, &height)) {
    return FALSE;
  }
  // A full-screen back buffer has the mode's size whatever the window's.
  if (!driver.present.Windowed || (static_cast<RwUInt32>(width) == driver.displayMode.width &&
                                   static_cast<RwUInt32>(height) == driver.displayMode.height)) {
    return TRUE;
  }
  RwD3D8DeviceReleaseVideoMemory();
  if (SUCCEEDED(driver.device->TestCooperativeLevel()) && driver.present.Windowed) {
    driver.present.BackBufferWidth = static_cast<UINT>(width);
    driver.present.BackBufferHeight = static_cast<UINT>(height);
  }
  const HRESULT result = driver.device->Reset(&driver.present);
  if (SUCCEEDED(result)) {
    if (RwD3D8DeviceRestoreVideoMemory()) {
      driver.displayMode.width = static_cast<RwUInt32>(width);
      driver.displayMode.height = static_cast<RwUInt32>(height);
      return TRUE;
    }
    RwD3D8DeviceReleaseVideoMemory();
  }
  return RestorePreviousSize();
}

// The view transform: the inverse of the camera's frame, x mirrored.
void SetViewTransform(RwCamera* camera) {
  RwFrame* frame = RwCameraGetFrame(camera);
  D3DMATRIX view;
  std::memset(&view, 0, sizeof view);
  RwMatrix inverse;
  if (frame == nullptr || RwMatrixInvert(&inverse, RwFrameGetLTM(frame)) == nullptr) {
    view._11 = -1.0f;
    view._22 = 1.0f;
    view._33 = 1.0f;
    view._44 = 1.0f;
  } else {
    const RwV3d* rows[4] = {&inverse.right, &inverse.up, &inverse.at, &inverse.pos};
    for (int i = 0; i < 4; i++) {
      view.m[i][0] = -rows[i]->x;
      view.m[i][1] = rows[i]->y;
      view.m[i][2] = rows[i]->z;
      view.m[i][3] = 0.0f;
    }
    view._44 = 1.0f;
  }
  RwD3D8SetTransform(D3DTS_VIEW, &view);
}

void SetProjectionTransform(const RwCamera* camera) {
  const RwReal rw = camera->recipViewWindow.x;
  const RwReal rh = camera->recipViewWindow.y;
  const RwReal ox = camera->viewOffset.x;
  const RwReal oy = camera->viewOffset.y;
  const RwReal n = camera->nearPlane;
  const RwReal f = camera->farPlane;
  const RwBool parallel = camera->projectionType == kRwCameraParallel;
  const RwReal span = f - n != 0.0f ? f - n : 1.0f;
  const RwReal q = parallel ? 1.0f / span : f / span;
  const RwReal p = parallel ? 0.0f : 1.0f;
  D3DMATRIX projection;
  std::memset(&projection, 0, sizeof projection);
  projection._11 = rw;
  projection._22 = rh;
  projection._31 = ox * rw;
  projection._32 = oy * rh;
  projection._33 = q;
  projection._34 = p;
  projection._41 = -ox * rw;
  projection._42 = -oy * rh;
  projection._43 = -q * n;
  projection._44 = 1.0f - p;
  RwD3D8SetTransform(D3DTS_PROJECTION, &projection);
}

IDirect3DSurface8* ZSurface(const RwCamera* camera) {
  return camera->zBuffer != nullptr ? _rwD3D8RasterGetDepthSurface(camera->zBuffer) : nullptr;
}

// Makes a camera texture's surface the render target; false (with the back
// buffer still the target) when the texture cannot be rendered to.
RwBool SetTextureTarget(const RwCamera* camera, IDirect3DSurface8* surface) {
  if (surface == nullptr) {
    return FALSE;
  }
  D3DSURFACE_DESC desc;
  if (FAILED(surface->GetDesc(&desc)) || (desc.Usage & D3DUSAGE_RENDERTARGET) == 0) {
    return FALSE;
  }
  return SUCCEEDED(Driver().device->SetRenderTarget(surface, ZSurface(camera)));
}

void SetRasterViewport(const RwRaster* raster) {
  D3DVIEWPORT8 viewport = {static_cast<DWORD>(raster->offsetX),
                           static_cast<DWORD>(raster->offsetY),
                           static_cast<DWORD>(raster->width),
                           static_cast<DWORD>(raster->height),
                           0.0f,
                           1.0f};
  Driver().device->SetViewport(&viewport);
}

// Copies the raster's rectangle of the device's render target into the same
// place of a texture surface.
void CopyBackBufferInto(const RwRaster* raster, IDirect3DSurface8* surface) {
  const RECT rect = {raster->offsetX, raster->offsetY, raster->offsetX + raster->width,
                     raster->offsetY + raster->height};
  const POINT point = {raster->offsetX, raster->offsetY};
  Driver().device->CopyRects(Driver().renderTarget, &rect, 1, surface, &point);
}

void RestoreDeviceTarget() { Driver().device->SetRenderTarget(Driver().renderTarget, Driver().depthStencilSurface); }

// Opens the frame's scene once; a device that can be reset is reset first.
RwBool BeginScene() {
  RwD3D8Driver& driver = Driver();
  if (sState.inScene) {
    return TRUE;
  }
  HRESULT result = driver.device->TestCooperativeLevel();
  if (result == D3DERR_DEVICENOTRESET) {
    RwD3D8DeviceReleaseVideoMemory();
    result = driver.device->Reset(&driver.present);
    if (result == D3DERR_INVALIDCALL && driver.present.Windowed) {
      // The desktop may have changed its format while the device was lost.
      D3DDISPLAYMODE desktop;
      if (SUCCEEDED(driver.d3d->GetAdapterDisplayMode(driver.adapter, &desktop))) {
        driver.displayMode.format = desktop.Format;
        driver.displayMode.depth = _rwD3D8FormatDepth(desktop.Format);
        driver.present.BackBufferFormat = desktop.Format;
      }
      result = driver.device->Reset(&driver.present);
    }
    if (SUCCEEDED(result)) {
      RwD3D8DeviceRestoreVideoMemory();
    }
  }
  if (SUCCEEDED(result) && SUCCEEDED(driver.device->BeginScene())) {
    sState.inScene = TRUE;
  }
  return sState.inScene;
}

// The client size of a camera raster's own window, and rasters rebuilt to it.
RwBool FollowSwapChainWindow(RwCamera* camera, RwD3D8CameraSwapChain* chain) {
  RwInt32 width = 0;
  RwInt32 height = 0;
  if (!ClientSize(chain->window, &width, &height)) {
    return FALSE;
  }
  RwRaster* raster = camera->frameBuffer;
  if (width != raster->width || height != raster->height) {
    if (!RwD3D8CameraAttachWindow(camera, chain->window)) {
      return FALSE;
    }
    return _rwD3D8RasterGetSwapChain(camera->frameBuffer, chain);
  }
  RwRaster* zRaster = camera->zBuffer;
  if (zRaster != nullptr && (zRaster->width != width || zRaster->height != height)) {
    RwRaster* resized = RwRasterCreate(width, height, 0, rwRASTERTYPEZBUFFER);
    if (resized == nullptr) {
      return FALSE;
    }
    RwCameraSetZRaster(camera, resized);
    RwRasterDestroy(zRaster);
  }
  return TRUE;
}

D3DCOLOR PackClearColour(const RwRGBA* colour, RwInt32 flags) {
  if ((flags & kRwCameraClearImage) == 0 || colour == nullptr) {
    return 0;
  }
  return static_cast<D3DCOLOR>(colour->alpha) << 24 | static_cast<D3DCOLOR>(colour->red) << 16 |
         static_cast<D3DCOLOR>(colour->green) << 8 | colour->blue;
}

// Direct3D clear flags: stencil only where the depth buffer has stencil bits.
DWORD ClearFlags(RwInt32 flags) {
  DWORD d3dFlags = 0;
  if (flags & kRwCameraClearImage) {
    d3dFlags |= D3DCLEAR_TARGET;
  }
  if (flags & kRwCameraClearZ) {
    d3dFlags |= D3DCLEAR_ZBUFFER;
  }
  if ((flags & (kRwCameraClearZ | kRwCameraClearStencil)) != 0 && Driver().zBufferHasStencil) {
    d3dFlags |= D3DCLEAR_STENCIL;
  }
  return d3dFlags;
}

RwBool ClearSwapChainCamera(RwCamera* camera, RwD3D8CameraSwapChain* chain, D3DCOLOR colour, RwInt32 flags) {
  IDirect3DDevice8* device = Driver().device;
  if (!FollowSwapChainWindow(camera, chain)) {
    return FALSE;
  }
  const RwRaster* raster = camera->frameBuffer;
  IDirect3DSurface8* zSurface = ZSurface(camera);
  device->SetRenderTarget(chain->backBuffer, zSurface);
  D3DVIEWPORT8 viewport = {0, 0, static_cast<DWORD>(raster->width), static_cast<DWORD>(raster->height), 0.0f, 1.0f};
  device->SetViewport(&viewport);
  DWORD d3dFlags = static_cast<DWORD>(flags) & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
  if (zSurface == nullptr) {
    d3dFlags &= ~static_cast<DWORD>(D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
  }
  if (d3dFlags != 0) {
    device->Clear(0, nullptr, d3dFlags, colour, 1.0f, 0);
  }
  RestoreDeviceTarget();
  return TRUE;
}

RwBool ClearCameraTexture(RwCamera* camera, D3DCOLOR colour, RwInt32 flags) {
  IDirect3DDevice8* device = Driver().device;
  const RwRaster* raster = camera->frameBuffer;
  IDirect3DSurface8* surface = _rwD3D8RasterGetTextureSurface(camera->frameBuffer);
  const RwBool isTarget = SetTextureTarget(camera, surface);
  SetRasterViewport(raster);
  if (camera->zBuffer == nullptr) {
    flags &= ~(kRwCameraClearZ | kRwCameraClearStencil);
  }
  const DWORD d3dFlags = ClearFlags(flags);
  if (d3dFlags != 0) {
    device->Clear(0, nullptr, d3dFlags, colour, 1.0f, 0);
  }
  if (!isTarget && surface != nullptr && (d3dFlags & D3DCLEAR_TARGET) != 0) {
    CopyBackBufferInto(raster, surface);
  }
  if (surface != nullptr) {
    surface->Release();
  }
  RestoreDeviceTarget();
  return TRUE;
}

}  // namespace

void RwD3D8DeviceReleaseVideoMemory(void) {
  RwD3D8Driver& driver = Driver();
  if (driver.device == nullptr) {
    return;
  }
  _rwD3D8ForgetDeviceCaches();
  RwD3D8TransformCacheReset();
  std::memset(&driver.material, 0, sizeof driver.material);
  for (DWORD stage = 0; stage < kRwD3D8TextureStageCount; stage++) {
    driver.device->SetTexture(stage, nullptr);
  }
  driver.device->SetStreamSource(0, nullptr, 0);
  driver.device->SetIndices(nullptr, 0);
  RwD3D8Im2DRenderClose();
  RwD3D8Im3DIndexBufferRelease();
  driver.vertexShader = kRwD3D8Unknown;
  RwD3D8PixelShadersRelease();
  RwD3D8SharedVertexBuffersForget();
  RwD3D8DynamicVertexBuffersRelease();
  RwD3D8RasterReleaseVideoMemory();
  RwFreeListPurgeAllFreeLists();
}

RwBool RwD3D8DeviceRestoreVideoMemory(void) {
  if (Driver().device == nullptr) {
    return FALSE;
  }
  Driver().resetCount++;
  _rwD3D8FetchTargetSurfaces();
  if (!RwD3D8RasterRestoreVideoMemory() || !RwD3D8DynamicVertexBuffersRestore() || !RwD3D8PixelShadersRestore()) {
    return FALSE;
  }
  RwD3D8RenderStateRestore();
  return RwD3D8LightsRestore() && RwD3D8Im2DRenderOpen() && RwD3D8Im3DIndexBufferCreate() &&
         RwD3D8SharedVertexBuffersCreate();
}

RwBool RwD3D8CameraBeginUpdate(void* /*unused*/, void* object, RwInt32 /*unusedNumber*/) {
  RwCamera* camera = static_cast<RwCamera*>(object);
  if (camera == nullptr || camera->frameBuffer == nullptr || Driver().device == nullptr) {
    return FALSE;
  }
  sState.cameraInUpdate = camera;
  SetViewTransform(camera);
  SetProjectionTransform(camera);

  RwD3D8CameraSwapChain chain;
  if (_rwD3D8RasterGetSwapChain(camera->frameBuffer, &chain)) {
    if (!FollowSwapChainWindow(camera, &chain)) {
      return FALSE;
    }
    Driver().device->SetRenderTarget(chain.backBuffer, ZSurface(camera));
  } else if (!WindowCheckAndReset()) {
    return FALSE;
  }

  RwRaster* raster = camera->frameBuffer;
  if (raster->type == rwRASTERTYPECAMERATEXTURE) {
    IDirect3DSurface8* surface = _rwD3D8RasterGetTextureSurface(raster);
    sState.copyBack = !SetTextureTarget(camera, surface);
    if (surface != nullptr) {
      surface->Release();
    }
  }
  SetRasterViewport(raster);
  return BeginScene();
}

RwBool RwD3D8CameraEndUpdate(void* /*unused*/, void* object, RwInt32 /*unusedNumber*/) {
  RwCamera* camera = object != nullptr ? static_cast<RwCamera*>(object) : sState.cameraInUpdate;
  if (Driver().device == nullptr) {
    return FALSE;
  }
  RwRaster* raster = camera != nullptr ? camera->frameBuffer : nullptr;
  RwD3D8CameraSwapChain chain;
  if (raster != nullptr && !_rwD3D8RasterGetSwapChain(raster, &chain)) {
    if (raster->type != rwRASTERTYPECAMERATEXTURE) {
      sState.cameraInUpdate = nullptr;
      return TRUE;
    }
    if (sState.copyBack) {
      IDirect3DSurface8* surface = _rwD3D8RasterGetTextureSurface(raster);
      if (surface != nullptr) {
        CopyBackBufferInto(raster, surface);
        surface->Release();
      }
      sState.copyBack = FALSE;
    }
  }
  RestoreDeviceTarget();
  sState.cameraInUpdate = nullptr;
  return TRUE;
}

RwBool RwD3D8CameraClear(void* object, void* colourObject, RwInt32 flags) {
  RwCamera* camera = static_cast<RwCamera*>(object);
  IDirect3DDevice8* device = Driver().device;
  if (camera == nullptr || camera->frameBuffer == nullptr || device == nullptr) {
    return FALSE;
  }
  const D3DCOLOR colour = PackClearColour(static_cast<const RwRGBA*>(colourObject), flags);
  RwD3D8CameraSwapChain chain;
  if (_rwD3D8RasterGetSwapChain(camera->frameBuffer, &chain)) {
    return ClearSwapChainCamera(camera, &chain, colour, flags);
  }
  if (!WindowCheckAndReset()) {
    return FALSE;
  }
  if (camera->frameBuffer->type == rwRASTERTYPECAMERATEXTURE) {
    return ClearCameraTexture(camera, colour, flags);
  }
  SetRasterViewport(camera->frameBuffer);
  const DWORD d3dFlags = ClearFlags(flags);
  if (d3dFlags != 0) {
    device->Clear(0, nullptr, d3dFlags, colour, 1.0f, 0);
  }
  return TRUE;
}

RwBool RwD3D8RasterShowRaster(void* object, void* /*window*/, RwInt32 flags) {
  RwD3D8Driver& driver = Driver();
  if (driver.device == nullptr) {
    return FALSE;
  }
  if (sState.inScene) {
    driver.device->EndScene();
    sState.inScene = FALSE;
  }

  D3DPRESENT_PARAMETERS& present = driver.present;
  const RwBool waitForSync = (flags & 1) != 0;
  RwBool changed = FALSE;
  if (!present.Windowed) {
    const UINT wanted = waitForSync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    const UINT other = waitForSync ? D3DPRESENT_INTERVAL_IMMEDIATE : D3DPRESENT_INTERVAL_ONE;
    if (present.FullScreen_PresentationInterval == other) {
      present.FullScreen_PresentationInterval = wanted;
      changed = TRUE;
    }
  } else {
    const D3DSWAPEFFECT wanted = waitForSync ? D3DSWAPEFFECT_COPY_VSYNC : D3DSWAPEFFECT_COPY;
    const D3DSWAPEFFECT other = waitForSync ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_COPY_VSYNC;
    if (present.SwapEffect == other) {
      present.SwapEffect = wanted;
      changed = TRUE;
    }
  }
  if (changed) {
    ResetDevice();
  }

  RwRaster* raster = static_cast<RwRaster*>(object);
  RwD3D8CameraSwapChain chain;
  HRESULT result;
  if (raster != nullptr && _rwD3D8RasterGetSwapChain(raster, &chain)) {
    result = chain.swapChain->Present(nullptr, nullptr, nullptr, nullptr);
  } else {
    result = driver.device->Present(nullptr, nullptr, nullptr, nullptr);
  }
  if (result == D3DERR_DEVICELOST && driver.device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) {
    ResetDevice();
  }
  return SUCCEEDED(result);
}

RwBool RwD3D8CameraAttachWindow(RwCamera* camera, HWND window) {
  RwD3D8Driver& driver = Driver();
  if (camera == nullptr || driver.device == nullptr || !driver.present.Windowed || window == nullptr ||
      window == driver.window) {
    return FALSE;
  }
  // The new swap chain and rasters are made before the camera's old rasters
  // go, so that a failure leaves the camera as it was.
  D3DPRESENT_PARAMETERS params = driver.present;
  params.BackBufferWidth = 0;
  params.BackBufferHeight = 0;
  params.hDeviceWindow = window;
  params.EnableAutoDepthStencil = FALSE;
  IDirect3DSwapChain8* swapChain = nullptr;
  if (FAILED(driver.device->CreateAdditionalSwapChain(&params, &swapChain)) || swapChain == nullptr) {
    return FALSE;
  }
  IDirect3DSurface8* backBuffer = nullptr;
  D3DSURFACE_DESC desc;
  if (FAILED(swapChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) || backBuffer == nullptr ||
      FAILED(backBuffer->GetDesc(&desc))) {
    if (backBuffer != nullptr) {
      backBuffer->Release();
    }
    swapChain->Release();
    return FALSE;
  }
  const RwInt32 width = static_cast<RwInt32>(desc.Width);
  const RwInt32 height = static_cast<RwInt32>(desc.Height);
  RwRaster* raster = RwRasterCreate(width, height, 0, rwRASTERTYPECAMERA | rwRASTERDONTALLOCATE);
  const RwD3D8CameraSwapChain chain = {swapChain, backBuffer, window};
  if (raster == nullptr || !_rwD3D8RasterSetSwapChain(raster, &chain)) {
    if (raster != nullptr) {
      RwRasterDestroy(raster);
    }
    backBuffer->Release();
    swapChain->Release();
    return FALSE;
  }
  RwRaster* zRaster = RwRasterCreate(width, height, 0, rwRASTERTYPEZBUFFER);
  if (zRaster == nullptr) {
    RwRasterDestroy(raster);  // releases the swap chain and its back buffer
    return FALSE;
  }
  RwRaster* oldRaster = camera->frameBuffer;
  RwRaster* oldZRaster = camera->zBuffer;
  RwCameraSetRaster(camera, raster);
  RwCameraSetZRaster(camera, zRaster);
  if (oldZRaster != nullptr) {
    RwRasterDestroy(oldZRaster);
  }
  if (oldRaster != nullptr) {
    RwRasterDestroy(oldRaster);
  }
  return TRUE;
}

void RwD3D8CameraFunctionsSet(RwStandardFunc* table, RwInt32 count) {
  if (table == nullptr) {
    return;
  }
  const struct {
    RwInt32 slot;
    RwStandardFunc function;
  } functions[] = {
      {kRwStdCameraBeginUpdate, RwD3D8CameraBeginUpdate},
      {kRwStdCameraEndUpdate, RwD3D8CameraEndUpdate},
      {kRwStdRasterShowRaster, RwD3D8RasterShowRaster},
      {kRwStdCameraClear, RwD3D8CameraClear},
  };
  for (const auto& entry : functions) {
    if (entry.slot < count) {
      table[entry.slot] = entry.function;
    }
  }
}

// Called when the device starts: no scene is open and no camera in update.
void _rwD3D8CameraStateReset(void) { sState = {nullptr, FALSE, FALSE}; }

RwBool RwD3D8CameraIsSphereFullyInsideFrustum(const RwCamera* camera, const RwSphere* sphere) {
  for (const RwFrustumPlane& frustumPlane : camera->frustumPlanes) {
    const RwPlane& plane = frustumPlane.plane;
    const RwReal distance = plane.normal.x * sphere->center.x + plane.normal.y * sphere->center.y +
                            plane.normal.z * sphere->center.z - plane.distance;
    if (distance > -sphere->radius) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool RwD3D8CameraIsBBoxFullyInsideFrustum(const RwCamera* camera, const RwBBox* box) {
  for (const RwFrustumPlane& frustumPlane : camera->frustumPlanes) {
    // The corner farthest along the plane's outward normal.
    const RwReal x = frustumPlane.closestX ? box->sup.x : box->inf.x;
    const RwReal y = frustumPlane.closestY ? box->sup.y : box->inf.y;
    const RwReal z = frustumPlane.closestZ ? box->sup.z : box->inf.z;
    const RwPlane& plane = frustumPlane.plane;
    if (plane.normal.x * x + plane.normal.y * y + plane.normal.z * z - plane.distance > 0.0f) {
      return FALSE;
    }
  }
  return TRUE;
}
