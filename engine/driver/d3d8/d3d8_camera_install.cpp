// The Direct3D 8 driver assembled with its rasters and camera functions: the
// driver's device record, whose request handler passes every request to the
// driver's own and adds the raster and camera functions to the
// standard-function table, opens the rasters and installs the immediate-mode
// 3D submit device at device start, and closes the rasters at stop.
#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/driver/d3d8/d3d8_camera_internal.h"
#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/im3d.h"

namespace {

RwDevice sDeviceRecord;

// Whether the texture bound to stage 0 by BindStage0Texture carries alpha.
RwBool sStage0TextureAlpha = FALSE;

void SetTextureAlphaBlending(RwBool textureAlpha) {
  if (textureAlpha != sStage0TextureAlpha && !RwD3D8RenderStateIsVertexAlphaEnable()) {
    RwD3D8SetRenderState(D3DRS_ALPHABLENDENABLE, textureAlpha ? TRUE : FALSE);
    RwD3D8SetRenderState(D3DRS_ALPHATESTENABLE, textureAlpha ? TRUE : FALSE);
  }
  sStage0TextureAlpha = textureAlpha;
}

// The render-state cache asks the driver's raster query for a raster's
// texture, which answers "none" until it reads the raster extension; until
// then the raster's texture is bound to stage 0 here, with the stage states
// the cache would queue for it.
void BindStage0Texture(RwRaster* raster) {
  RwD3D8RasterTexture info;
  if (raster != nullptr && _rwD3D8RasterGetTexture(raster, &info)) {
    return;  // the cache binds textures itself
  }
  IDirect3DBaseTexture8* texture = raster != nullptr ? RwD3D8RasterGetD3DTexture(raster) : nullptr;
  RwD3D8RasterExtension* extension = texture != nullptr ? _rwD3D8RasterExtensionGet(raster->parent) : nullptr;
  IDirect3DDevice8* device = RwD3D8GetCurrentD3DDevice();
  if (texture == nullptr || extension == nullptr || device == nullptr) {
    SetTextureAlphaBlending(FALSE);
    return;
  }
  device->SetTexture(0, texture);
  if (extension->palette != nullptr) {
    device->SetCurrentTexturePalette(extension->palette->paletteNumber);
  }
  const RwBool textureAlpha = extension->hasAlpha != 0;
  const RwBool vertexAlpha = RwD3D8RenderStateIsVertexAlphaEnable();
  RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  RwD3D8SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  RwD3D8SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  if (textureAlpha) {
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAOP, vertexAlpha ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  } else if (vertexAlpha) {
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  } else {
    RwD3D8SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  }
  SetTextureAlphaBlending(textureAlpha);
}

RwBool CameraRenderStateSet(RwInt32 state, void* value) {
  const RwBool result = RwD3D8RenderStateSet(state, value);
  if (result && state == kRwRenderStateTextureRaster) {
    BindStage0Texture(static_cast<RwRaster*>(value));
  }
  return result;
}

RwBool CameraSystemHandler(RwInt32 request, void* out, void* in, RwInt32 inNumber) {
  switch (request) {
    case kRwDeviceGetRecord:
      if (!RwD3D8SystemHandler(request, out, in, inNumber)) {
        return FALSE;
      }
      static_cast<RwDevice*>(out)->fpSystem = CameraSystemHandler;
      static_cast<RwDevice*>(out)->fpRenderStateSet = CameraRenderStateSet;
      return TRUE;
    case kRwDeviceStandardFunctions:
      if (!RwD3D8SystemHandler(request, out, in, inNumber)) {
        return FALSE;
      }
      if (inNumber > 1) {
        RwD3D8RasterStandardFunctionsInstall(static_cast<RwStandardFunc*>(out), inNumber);
        RwD3D8CameraFunctionsSet(static_cast<RwStandardFunc*>(out), inNumber);
      }
      return TRUE;
    case kRwDeviceStart:
      // The immediate-mode module opens after the device, and makes its
      // index buffer through the submit device.
      _rwD3D8CameraStateReset();
      _rwD3D8CameraTextureBindingForget();
      RwIm3DSetSubmitDevice(RwD3D8Im3DSubmitDeviceGet());
      if (!RwD3D8SystemHandler(request, out, in, inNumber)) {
        RwIm3DSetSubmitDevice(nullptr);
        return FALSE;
      }
      if (!RwD3D8RasterOpen()) {
        RwD3D8SystemHandler(kRwDeviceStop, nullptr, nullptr, 0);
        RwIm3DSetSubmitDevice(nullptr);
        return FALSE;
      }
      return TRUE;
    case kRwDeviceStop: {
      RwD3D8RasterClose();
      const RwBool stopped = RwD3D8SystemHandler(request, out, in, inNumber);
      // Engines on other drivers must not draw through this device's submit.
      RwIm3DSetSubmitDevice(nullptr);
      _rwD3D8CameraStateReset();
      return stopped;
    }
    default:
      return RwD3D8SystemHandler(request, out, in, inNumber);
  }
}

RwBool CameraDriverPluginAttach(void) {
  if (!RwD3D8DriverPluginAttach()) {
    return FALSE;
  }
  return RwRasterGetPluginOffset(kRwD3D8RasterPluginId) >= 0 || RwD3D8RasterPluginAttach();
}

RwDevice* CameraDeviceRecordGet(void) {
  sDeviceRecord = *RwD3D8DeviceRecordGet();
  sDeviceRecord.fpSystem = CameraSystemHandler;
  sDeviceRecord.fpRenderStateSet = CameraRenderStateSet;
  return &sDeviceRecord;
}

}  // namespace

void _rwD3D8CameraTextureBindingForget(void) { sStage0TextureAlpha = FALSE; }

void RwD3D8CameraDriverUse(void) {
  static const RwDriverHooks kHooks = {CameraDeviceRecordGet, CameraDriverPluginAttach};
  _rwEngineSetDriverHooks(&kHooks);
}
