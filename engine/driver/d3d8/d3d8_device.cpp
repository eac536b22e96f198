// The driver's device system: the device record, the request handler through
// which the core opens Direct3D, lists adapters and video modes, creates the
// device in the selected mode and destroys it again, and the standard-function
// table.
#include <cstring>

#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/driver/d3d8/d3d8_camera_internal.h"
#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8_im2d.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/im3d.h"
#include "engine/src/pipe/p2/im3d_internal.h"
#include "engine/src/pipe/p2/pipeline_internal.h"
#include "platform/win/win32.h"

RwD3D8Driver _rwD3D8Driver;

namespace {

constexpr int kShowWindowHide = 0;
constexpr int kShowWindowRestore = 9;

RwD3D8Direct3DCreateFunction sDirect3DCreate = nullptr;

RwDevice sDeviceRecord = {
    1.0f,
    RwD3D8SystemHandler,
    0.0f,
    1.0f,
    RwD3D8RenderStateSet,
    RwD3D8RenderStateGet,
    RwD3D8Im2DRenderLine,
    RwD3D8Im2DRenderTriangle,
    RwD3D8Im2DRenderPrimitive,
    RwD3D8Im2DRenderIndexedPrimitive,
    {nullptr, nullptr, nullptr, nullptr},
};

IDirect3D8* CreateDirect3D() {
  return sDirect3DCreate != nullptr ? sDirect3DCreate(D3D_SDK_VERSION) : Direct3DCreate8(D3D_SDK_VERSION);
}

void SelectDesktopMode(const D3DDISPLAYMODE& mode) {
  _rwD3D8Driver.displayMode.width = mode.Width;
  _rwD3D8Driver.displayMode.height = mode.Height;
  _rwD3D8Driver.displayMode.refreshRate = mode.RefreshRate;
  _rwD3D8Driver.displayMode.format = mode.Format;
}

void VideoModeListFree() {
  if (_rwD3D8Driver.videoModes != nullptr) {
    RwFree(_rwD3D8Driver.videoModes);
    _rwD3D8Driver.videoModes = nullptr;
  }
  _rwD3D8Driver.numVideoModes = 0;
}

RwBool IsDisplayFormat(D3DFORMAT format) {
  return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

}  // namespace

// Every full-screen size and format appears once, with the highest refresh
// rate offered for it.
RwBool RwD3D8VideoModeListBuild(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.d3d == nullptr) {
    return FALSE;
  }
  const UINT count = driver.d3d->GetAdapterModeCount(driver.adapter);
  const size_t bytes = (static_cast<size_t>(count) + 1) * sizeof(RwD3D8VideoMode);
  RwD3D8VideoMode* modes = static_cast<RwD3D8VideoMode*>(
      driver.videoModes != nullptr ? RwRealloc(driver.videoModes, bytes) : RwMalloc(bytes));
  if (modes == nullptr) {
    VideoModeListFree();
    return FALSE;
  }
  driver.videoModes = modes;
  RwInt32 length = 0;
  D3DDISPLAYMODE desktop;
  if (SUCCEEDED(driver.d3d->GetAdapterDisplayMode(driver.adapter, &desktop)) && IsDisplayFormat(desktop.Format) &&
      (driver.caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED) != 0) {
    modes[0] = {desktop.Width, desktop.Height, desktop.RefreshRate, static_cast<RwUInt32>(desktop.Format), 0};
    length = 1;
  }
  for (UINT i = 0; i < count; i++) {
    D3DDISPLAYMODE mode;
    if (FAILED(driver.d3d->EnumAdapterModes(driver.adapter, i, &mode))) {
      continue;
    }
    RwBool merged = FALSE;
    for (RwInt32 j = 0; j < length; j++) {
      RwD3D8VideoMode& entry = modes[j];
      if ((entry.flags & kRwVideoModeExclusive) != 0 && entry.width == mode.Width && entry.height == mode.Height &&
          entry.format == static_cast<RwUInt32>(mode.Format)) {
        if (mode.RefreshRate > entry.refreshRate) {
          entry.refreshRate = mode.RefreshRate;
        }
        merged = TRUE;
        break;
      }
    }
    if (!merged) {
      modes[length++] = {mode.Width, mode.Height, mode.RefreshRate, static_cast<RwUInt32>(mode.Format),
                         kRwVideoModeExclusive};
    }
  }
  if (length > 0) {
    RwD3D8VideoMode* shrunk =
        static_cast<RwD3D8VideoMode*>(RwRealloc(modes, static_cast<size_t>(length) * sizeof(RwD3D8VideoMode)));
    if (shrunk != nullptr) {
      driver.videoModes = shrunk;
    }
  }
  driver.numVideoModes = length;
  return TRUE;
}

namespace {

RwBool VideoModeListEnsure() { return _rwD3D8Driver.videoModes != nullptr || RwD3D8VideoModeListBuild(); }

RwBool SystemOpen(void* in) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (in == nullptr) {
    return FALSE;
  }
  std::memset(&driver, 0, sizeof driver);
  driver.window = *static_cast<HWND*>(in);
  driver.deviceType = D3DDEVTYPE_HAL;
  driver.d3d = CreateDirect3D();
  if (driver.d3d == nullptr) {
    return FALSE;
  }
  const UINT adapters = driver.d3d->GetAdapterCount();
  UINT adapter = 0;
  while (adapter < adapters && FAILED(driver.d3d->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &driver.caps))) {
    adapter++;
  }
  if (adapter >= adapters) {
    driver.d3d->Release();
    driver.d3d = nullptr;
    return FALSE;
  }
  driver.adapter = adapter;
  driver.adapterModeCount = driver.d3d->GetAdapterModeCount(adapter);
  D3DDISPLAYMODE desktop;
  if (SUCCEEDED(driver.d3d->GetAdapterDisplayMode(adapter, &desktop))) {
    SelectDesktopMode(desktop);
  }
  driver.displayMode.depth = _rwD3D8FormatDepth(driver.displayMode.format);
  driver.displayMode.flags = 0;
  driver.currentMode = 0;
  driver.hasSSE = RwCpuHasSSE();
  driver.ambientLight = {1.0f, 1.0f, 1.0f, 1.0f};
  return TRUE;
}

RwBool SystemClose() {
  VideoModeListFree();
  if (_rwD3D8Driver.d3d != nullptr) {
    _rwD3D8Driver.d3d->Release();
    _rwD3D8Driver.d3d = nullptr;
  }
  return TRUE;
}

RwBool DepthFormatFits(D3DFORMAT desktopFormat, D3DFORMAT format) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  return SUCCEEDED(driver.d3d->CheckDeviceFormat(driver.adapter, driver.deviceType, desktopFormat,
                                                 D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format)) &&
         SUCCEEDED(driver.d3d->CheckDepthStencilMatch(driver.adapter, driver.deviceType, desktopFormat,
                                                      driver.displayMode.format, format));
}

// Chooses the depth-stencil format for the display depth; a 32-bit display
// without any 32-bit depth format falls back to 16 bits.
void ChooseDepthStencilFormat(D3DFORMAT desktopFormat) {
  struct Candidate {
    D3DFORMAT format;
    RwBool stencil;
  };
  static const Candidate kDepth32[] = {
      {D3DFMT_D24S8, TRUE}, {D3DFMT_D24X4S4, TRUE}, {D3DFMT_D32, FALSE}, {D3DFMT_D24X8, FALSE}};
  RwD3D8Driver& driver = _rwD3D8Driver;
  driver.depthStencilFormat = D3DFMT_UNKNOWN;
  driver.zBufferHasStencil = FALSE;
  if (driver.displayDepth == 32) {
    for (const Candidate& candidate : kDepth32) {
      if (DepthFormatFits(desktopFormat, candidate.format)) {
        driver.depthStencilFormat = candidate.format;
        driver.zBufferHasStencil = candidate.stencil;
        return;
      }
    }
    driver.displayDepth = 16;
  }
  if (driver.displayDepth == 16) {
    if (DepthFormatFits(desktopFormat, D3DFMT_D15S1)) {
      driver.depthStencilFormat = D3DFMT_D15S1;
      driver.zBufferHasStencil = TRUE;
    } else {
      driver.depthStencilFormat = D3DFMT_D16;
    }
  }
}

// The client size of a windowed device: the window's, or else the back
// buffer's, which Direct3D sized to the client area.
void TakeClientSize() {
  RwD3D8Driver& driver = _rwD3D8Driver;
  RECT client = {0, 0, 0, 0};
  if (driver.window != nullptr && GetClientRect(driver.window, &client)) {
    driver.displayMode.width = static_cast<RwUInt32>(client.right);
    driver.displayMode.height = static_cast<RwUInt32>(client.bottom);
    return;
  }
  IDirect3DSurface8* backBuffer = nullptr;
  if (SUCCEEDED(driver.device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) && backBuffer != nullptr) {
    D3DSURFACE_DESC desc;
    if (SUCCEEDED(backBuffer->GetDesc(&desc))) {
      driver.displayMode.width = desc.Width;
      driver.displayMode.height = desc.Height;
    }
    backBuffer->Release();
  }
}

// Releases what a failed start made so far and forgets the device.
void AbandonDevice() {
  RwD3D8Driver& driver = _rwD3D8Driver;
  RwD3D8Im2DRenderClose();
  RwD3D8RasterClose();
  _rwD3D8DynamicVertexBuffersClose();
  _rwD3D8TransformCacheClose();
  _rwD3D8LightCacheFree();
  driver.device->Release();
  driver.device = nullptr;
}

}  // namespace

RwInt32 _rwD3D8FormatDepth(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
      return 16;
    default:
      return 0;
  }
}

void _rwD3D8ForgetStreamAndIndices(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  driver.streamBuffer = reinterpret_cast<IDirect3DVertexBuffer8*>(static_cast<uintptr_t>(kRwD3D8Unknown));
  driver.streamStride = 0;
  driver.indexBuffer = reinterpret_cast<IDirect3DIndexBuffer8*>(static_cast<uintptr_t>(kRwD3D8Unknown));
  driver.baseVertexIndex = 0;
}

void _rwD3D8ForgetDeviceCaches(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  driver.vertexShader = kRwD3D8Unknown;
  driver.pixelShader = kRwD3D8Unknown;
  _rwD3D8ForgetStreamAndIndices();
  driver.worldIsIdentity = FALSE;
}

void _rwD3D8FetchTargetSurfaces(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  driver.renderTarget = nullptr;
  driver.depthStencilSurface = nullptr;
  if (SUCCEEDED(driver.device->GetRenderTarget(&driver.renderTarget)) && driver.renderTarget != nullptr) {
    driver.renderTarget->Release();
  }
  if (SUCCEEDED(driver.device->GetDepthStencilSurface(&driver.depthStencilSurface)) &&
      driver.depthStencilSurface != nullptr) {
    driver.depthStencilSurface->Release();
  }
}

void _rwD3D8SetDirect3DCreate(RwD3D8Direct3DCreateFunction create) { sDirect3DCreate = create; }

RwBool RwD3D8DeviceStart(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.d3d == nullptr || driver.device != nullptr) {
    return FALSE;
  }
  // No scene is open and no camera in update on a new device.
  _rwD3D8CameraStateReset();
  D3DDISPLAYMODE desktop;
  if (FAILED(driver.d3d->GetAdapterDisplayMode(driver.adapter, &desktop))) {
    return FALSE;
  }
  D3DPRESENT_PARAMETERS& present = driver.present;
  std::memset(&present, 0, sizeof present);
  present.BackBufferCount = 1;
  if (driver.displayMode.flags & kRwVideoModeExclusive) {
    present.BackBufferFormat = driver.displayMode.format;
    present.Windowed = FALSE;
    present.FullScreen_RefreshRateInHz = driver.displayMode.refreshRate;
    present.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    present.BackBufferWidth = driver.displayMode.width;
    present.BackBufferHeight = driver.displayMode.height;
    present.SwapEffect = D3DSWAPEFFECT_FLIP;
  } else {
    present.Windowed = TRUE;
    present.BackBufferFormat = desktop.Format;
    present.SwapEffect = D3DSWAPEFFECT_COPY;
    // A zero size lets Direct3D take the client area; an empty window still
    // gets a back buffer of one pixel.
    RECT rect = {0, 0, 0, 0};
    const bool haveRect = driver.window != nullptr && GetWindowRect(driver.window, &rect);
    present.BackBufferWidth = (haveRect && rect.right - rect.left == 0) ? 1 : 0;
    present.BackBufferHeight = (haveRect && rect.bottom - rect.top == 0) ? 1 : 0;
  }
  present.EnableAutoDepthStencil = TRUE;
  driver.displayDepth = _rwD3D8FormatDepth(present.BackBufferFormat);
  ChooseDepthStencilFormat(desktop.Format);
  present.AutoDepthStencilFormat = driver.depthStencilFormat;
  present.hDeviceWindow = driver.window;
  present.MultiSampleType = D3DMULTISAMPLE_NONE;
  present.Flags = 0;

  if (FAILED(driver.d3d->GetDeviceCaps(driver.adapter, driver.deviceType, &driver.caps))) {
    return FALSE;
  }
  DWORD behaviour = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  if (driver.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
    behaviour = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    if (driver.caps.DevCaps & D3DDEVCAPS_PUREDEVICE) {
      behaviour |= D3DCREATE_PUREDEVICE;
    }
  }
  if (FAILED(driver.d3d->CreateDevice(driver.adapter, driver.deviceType, driver.window, behaviour, &present,
                                      &driver.device)) ||
      driver.device == nullptr) {
    driver.device = nullptr;
    return FALSE;
  }
  // A windowed device takes the window's client size. In full screen the
  // mode's size stands: the display shows the back buffer scaled, so the
  // window's client area need not match it.
  if (driver.window != nullptr && (driver.displayMode.flags & kRwVideoModeExclusive) == 0) {
    TakeClientSize();
  }
  _rwD3D8FetchTargetSurfaces();
  _rwD3D8ForgetDeviceCaches();
  if (!_rwD3D8TransformCacheOpen()) {
    AbandonDevice();
    return FALSE;
  }
  _rwD3D8LightCacheFree();
  std::memset(&driver.material, 0, sizeof driver.material);
  if (!RwD3D8RasterOpen() || !RwD3D8Im2DRenderOpen()) {
    AbandonDevice();
    return FALSE;
  }
  RwD3D8RenderStateReset();
  if (!_rwD3D8DynamicVertexBuffersOpen() || !RwD3D8SharedVertexBuffersCreate()) {
    AbandonDevice();
    return FALSE;
  }
  // The immediate-mode module opens after the device and makes its index
  // buffer through this submit device.
  RwIm3DSetSubmitDevice(RwD3D8Im3DSubmitDeviceGet());
  return TRUE;
}

RwBool RwD3D8DeviceStop(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  driver.started = FALSE;
  // Engines on other drivers must not draw through this device's submit.
  RwIm3DSetSubmitDevice(nullptr);
  VideoModeListFree();
  _rwD3D8ProcessorSettingsRestore();
  _rwD3D8TransformCacheClose();
  _rwD3D8LightCacheFree();
  if (driver.device == nullptr) {
    return TRUE;
  }
  for (DWORD stage = 0; stage < kRwD3D8TextureStageCount; stage++) {
    driver.device->SetTexture(stage, nullptr);
  }
  driver.device->SetStreamSource(0, nullptr, 0);
  driver.device->SetIndices(nullptr, 0);
  RwD3D8RasterClose();
  RwD3D8SharedVertexBuffersForget();
  RwD3D8Im2DRenderClose();
  _rwD3D8PixelShadersClose();
  _rwD3D8DynamicVertexBuffersClose();
  driver.device->Release();
  driver.device = nullptr;
  return TRUE;
}

RwBool RwD3D8SystemHandler(RwInt32 request, void* out, void* in, RwInt32 inNumber) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  switch (request) {
    case kRwDeviceOpen:
      return SystemOpen(in);
    case kRwDeviceClose:
      return SystemClose();
    case kRwDeviceStart:
      if (driver.device != nullptr) {
        return FALSE;  // already started
      }
      driver.started = RwD3D8DeviceStart();
      return driver.started;
    case kRwDeviceStop:
      return RwD3D8DeviceStop();
    case kRwDeviceGetRecord:
      if (out == nullptr) {
        return FALSE;
      }
      *static_cast<RwDevice*>(out) = sDeviceRecord;
      return TRUE;
    case kRwDeviceGetNumModes:
      if (out == nullptr || driver.d3d == nullptr || !VideoModeListEnsure()) {
        return FALSE;
      }
      *static_cast<RwInt32*>(out) = driver.numVideoModes;
      return TRUE;
    case kRwDeviceGetModeInfo: {
      if (out == nullptr || driver.d3d == nullptr || !VideoModeListEnsure() || inNumber < 0 ||
          inNumber >= driver.numVideoModes) {
        return FALSE;
      }
      const RwD3D8VideoMode& mode = driver.videoModes[inNumber];
      RwVideoMode* info = static_cast<RwVideoMode*>(out);
      info->width = static_cast<RwInt32>(mode.width);
      info->height = static_cast<RwInt32>(mode.height);
      info->depth = _rwD3D8FormatDepth(static_cast<D3DFORMAT>(mode.format));
      info->flags = mode.flags;
      return TRUE;
    }
    case kRwDeviceUseMode: {
      if (driver.started || driver.d3d == nullptr || !VideoModeListEnsure() || inNumber < 0 ||
          inNumber >= driver.numVideoModes) {
        return FALSE;
      }
      const RwD3D8VideoMode& mode = driver.videoModes[inNumber];
      driver.displayMode.width = mode.width;
      driver.displayMode.height = mode.height;
      driver.displayMode.refreshRate = mode.refreshRate;
      driver.displayMode.format = static_cast<D3DFORMAT>(mode.format);
      driver.displayMode.flags = mode.flags;
      driver.displayMode.depth = _rwD3D8FormatDepth(driver.displayMode.format);
      driver.currentMode = inNumber;
      return TRUE;
    }
    case kRwDeviceFocus:
      if (driver.device == nullptr) {
        return FALSE;
      }
      if ((driver.displayMode.flags & kRwVideoModeExclusive) != 0) {
        ShowWindow(driver.window, inNumber != 0 ? kShowWindowRestore : kShowWindowHide);
      }
      return TRUE;
    case kRwDeviceGetMode:
      if (out == nullptr) {
        return FALSE;
      }
      *static_cast<RwInt32*>(out) = driver.currentMode;
      return TRUE;
    case kRwDeviceStandardFunctions:
      return RwD3D8StandardFunctionsSet(static_cast<RwStandardFunc*>(out), inNumber);
    case kRwDeviceGetNumSubSystems:
      if (out == nullptr || driver.d3d == nullptr) {
        return FALSE;
      }
      *static_cast<RwInt32*>(out) = static_cast<RwInt32>(driver.d3d->GetAdapterCount());
      return TRUE;
    case kRwDeviceGetSubSystemInfo: {
      // The caller's record holds a name of RwSubSystemInfo's size; longer
      // adapter descriptions are cut and always terminated.
      D3DADAPTER_IDENTIFIER8 identifier;
      if (out == nullptr || driver.d3d == nullptr || inNumber < 0 ||
          FAILED(driver.d3d->GetAdapterIdentifier(static_cast<UINT>(inNumber), D3DENUM_NO_WHQL_LEVEL, &identifier))) {
        return FALSE;
      }
      RwSubSystemInfo* info = static_cast<RwSubSystemInfo*>(out);
      identifier.Description[sizeof identifier.Description - 1] = '\0';
      RwEngineInstance->stringFunctions.rwstrncpy(info->name, identifier.Description, sizeof info->name - 1);
      info->name[sizeof info->name - 1] = '\0';
      return TRUE;
    }
    case kRwDeviceGetCurrentSubSystem:
      if (out == nullptr) {
        return FALSE;
      }
      *static_cast<RwInt32*>(out) = static_cast<RwInt32>(driver.adapter);
      return TRUE;
    case kRwDeviceSetSubSystem: {
      // Only an adapter that answers, and not under a running device; the
      // caps follow the adapter so that its mode list is built by its own.
      D3DDISPLAYMODE desktop;
      D3DCAPS8 caps;
      if (driver.d3d == nullptr || driver.started || inNumber < 0 ||
          static_cast<UINT>(inNumber) >= driver.d3d->GetAdapterCount() ||
          FAILED(driver.d3d->GetAdapterDisplayMode(static_cast<UINT>(inNumber), &desktop)) ||
          FAILED(driver.d3d->GetDeviceCaps(static_cast<UINT>(inNumber), driver.deviceType, &caps))) {
        return FALSE;
      }
      driver.caps = caps;
      driver.adapter = static_cast<UINT>(inNumber);
      driver.adapterModeCount = driver.d3d->GetAdapterModeCount(driver.adapter);
      SelectDesktopMode(desktop);
      return RwD3D8VideoModeListBuild();
    }
    case kRwDeviceFinishStart:
      _rwD3D8ProcessorSettingsApply();
      return TRUE;
    case kRwDeviceGetMaxTextureSize:
      if (out == nullptr) {
        return FALSE;
      }
      *static_cast<RwInt32*>(out) = static_cast<RwInt32>(driver.caps.MaxTextureWidth > driver.caps.MaxTextureHeight
                                                             ? driver.caps.MaxTextureWidth
                                                             : driver.caps.MaxTextureHeight);
      return TRUE;
    default:
      return FALSE;
  }
}

RwDevice* RwD3D8DeviceRecordGet(void) { return &sDeviceRecord; }

RwBool RwD3D8DriverPluginAttach(void) { return RwD3D8RasterPluginAttach(); }

RwBool RwD3D8DriverInstall(void) {
  if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus != kRwEngineStatusIdle) {
    return FALSE;
  }
  static const RwDriverHooks kHooks = {RwD3D8DeviceRecordGet, RwD3D8DriverPluginAttach};
  _rwEngineSetDriverHooks(&kHooks);
  return _rwPipelineModuleInstall() && _rwIm3DModuleInstall();
}

IDirect3DDevice8* RwD3D8GetCurrentD3DDevice(void) { return _rwD3D8Driver.device; }

const D3DCAPS8* RwD3D8GetCaps(void) { return &_rwD3D8Driver.caps; }

RwUInt32 RwD3D8GetResetCount(void) { return _rwD3D8Driver.resetCount; }
