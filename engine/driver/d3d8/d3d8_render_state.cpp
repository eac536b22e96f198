// The render-state cache: engine values, wanted Direct3D values with their
// queues, and the values the device holds. Textures and palettes reach the
// device at once; every other state waits for the flush before a draw.
#include "engine/driver/d3d8/d3d8_render_state.h"

#include <cstring>

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/src/camera.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/texture.h"

namespace {

constexpr RwUInt32 kRenderStateCount = D3D8_RENDER_STATE_COUNT;
constexpr RwUInt32 kStageCount = kRwD3D8TextureStageCount;
constexpr RwUInt32 kStageStateCount = 32;

struct WantedValue {
  RwUInt32 value;
  RwUInt32 queued;
};

struct StageQueueEntry {
  RwUInt32 stage;
  RwUInt32 type;
};

struct TextureStage {
  RwRaster* raster;
  RwInt32 filterMode;  // kForgotten after an anisotropic filter was undone
  RwInt32 addressU;
  RwInt32 addressV;
  RwUInt32 borderColor;
  RwUInt8 maxAnisotropy;
};

struct EngineValues {
  RwBool zWrite;
  RwBool zTest;
  RwBool stencilEnable;
  RwInt32 stencilFail;
  RwInt32 stencilZFail;
  RwInt32 stencilPass;
  RwInt32 stencilFunction;
  RwUInt32 stencilRef;
  RwUInt32 stencilMask;
  RwUInt32 stencilWriteMask;
  RwBool vertexAlpha;
  RwBool textureAlpha;  // stage 0's raster has alpha
  RwInt32 cullMode;
  RwBool fogEnable;
  RwInt32 fogType;
  RwReal fogDensity;
  RwUInt32 fogColor;
  RwInt32 shadeMode;
  RwInt32 srcBlend;
  RwInt32 destBlend;
};

struct RenderStateCache {
  RwUInt32 device[kRenderStateCount];
  WantedValue wanted[kRenderStateCount];
  RwUInt32 queue[kRenderStateCount];
  RwUInt32 queueCount;
  RwUInt32 stageDevice[kStageCount][kStageStateCount];
  WantedValue stageWanted[kStageCount][kStageStateCount];
  StageQueueEntry stageQueue[kStageCount * kStageStateCount];
  RwUInt32 stageQueueCount;
  EngineValues engine;
  TextureStage stages[kStageCount];
};

RenderStateCache sCache;

constexpr RwInt32 kForgotten = -1;

// Engine filter mode -> (MINFILTER, MAGFILTER, MIPFILTER).
const RwUInt32 kFilterTable[][3] = {
    {D3DTEXF_NONE, D3DTEXF_NONE, D3DTEXF_NONE},       {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE},
    {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE},   {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT},
    {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT},  {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_LINEAR},
    {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR},
};
constexpr RwInt32 kFilterModeCount = 7;
constexpr RwInt32 kAddressModeCount = 5;
constexpr RwInt32 kBlendCount = 12;
constexpr RwInt32 kShadeModeCount = 3;
constexpr RwInt32 kCullModeCount = 4;
constexpr RwInt32 kFogTypeCount = 4;
constexpr RwInt32 kStencilValueCount = 9;  // operations and comparison functions
const RwUInt32 kFogTable[kFogTypeCount] = {D3DFOG_NONE, D3DFOG_LINEAR, D3DFOG_EXP, D3DFOG_EXP2};

RwBool InRange(RwInt32 value, RwInt32 count) { return value >= 0 && value < count; }

RwUInt32 FloatBits(RwReal value) {
  RwUInt32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Integer values travel as the value of the pointer.
RwInt32 IntegerValue(void* value) { return static_cast<RwInt32>(reinterpret_cast<intptr_t>(value)); }

void WriteValue(void* out, uintptr_t value) { *static_cast<uintptr_t*>(out) = value; }

void SetStage(RwUInt32 stage, RwUInt32 type, RwUInt32 value) { RwD3D8SetTextureStageState(stage, type, value); }

void SetTextureImmediately(RwUInt32 stage, IDirect3DBaseTexture8* texture) {
  if (_rwD3D8Driver.device != nullptr) {
    _rwD3D8Driver.device->SetTexture(stage, texture);
  }
}

// Blending and alpha testing follow the stage 0 texture's alpha while vertex
// alpha is off.
void SetAlphaBlending(RwBool on) {
  RwD3D8SetRenderState(D3DRS_ALPHABLENDENABLE, on ? 1 : 0);
  RwD3D8SetRenderState(D3DRS_ALPHATESTENABLE, on ? 1 : 0);
}

void SetStageFilters(RwUInt32 stage, RwInt32 mode) {
  SetStage(stage, D3DTSS_MINFILTER, kFilterTable[mode][0]);
  SetStage(stage, D3DTSS_MAGFILTER, kFilterTable[mode][1]);
  SetStage(stage, D3DTSS_MIPFILTER, kFilterTable[mode][2]);
}

void SetFogTableAndVertexMode(RwInt32 type) {
  const RwUInt32 rasterCaps = _rwD3D8Driver.caps.RasterCaps;
  const RwUInt32 mapped = kFogTable[type];
  if ((rasterCaps & D3DPRASTERCAPS_FOGTABLE) && (rasterCaps & D3DPRASTERCAPS_WFOG)) {
    RwD3D8SetRenderState(D3DRS_FOGTABLEMODE, mapped);
    RwD3D8SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
  } else {
    RwD3D8SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    RwD3D8SetRenderState(D3DRS_FOGVERTEXMODE, mapped);
  }
}

void SetLinearFogRange() {
  const RwCamera* camera = RwEngineInstance != nullptr ? RwEngineInstance->currentCamera : nullptr;
  // The fog distances of a linear fog come from the camera in update.
  if (camera == nullptr) {
    return;
  }
  RwD3D8SetRenderState(D3DRS_FOGSTART, FloatBits(RwCameraGetFogDistance(camera)));
  RwD3D8SetRenderState(D3DRS_FOGEND, FloatBits(RwCameraGetFarClipPlane(camera)));
}

RwBool SetFogEnable(RwBool enable) {
  EngineValues& engine = sCache.engine;
  if (enable == engine.fogEnable) {
    return TRUE;
  }
  if (enable && (_rwD3D8Driver.caps.RasterCaps & (D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE)) == 0) {
    return TRUE;
  }
  engine.fogEnable = enable;
  RwD3D8SetRenderState(D3DRS_FOGENABLE, enable ? 1 : 0);
  return TRUE;
}

RwBool SetFogType(RwInt32 type) {
  EngineValues& engine = sCache.engine;
  if (!InRange(type, kFogTypeCount)) {
    return FALSE;
  }
  if (type != engine.fogType) {
    engine.fogType = type;
    SetFogTableAndVertexMode(type);
  }
  if (type == kRwFogTypeLinear) {
    SetLinearFogRange();
  }
  return TRUE;
}

RwBool SetFogDensity(RwReal density) {
  if (density != sCache.engine.fogDensity) {
    sCache.engine.fogDensity = density;
    RwD3D8SetRenderState(D3DRS_FOGDENSITY, FloatBits(density));
  }
  return TRUE;
}

RwBool SetZWrite(RwBool enable) {
  EngineValues& engine = sCache.engine;
  if (enable == engine.zWrite) {
    return TRUE;
  }
  engine.zWrite = enable;
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, enable ? 1 : 0);
  if (!engine.zTest) {
    RwD3D8SetRenderState(D3DRS_ZENABLE, enable ? 1 : 0);
  }
  return TRUE;
}

RwBool SetZTest(RwBool enable) {
  EngineValues& engine = sCache.engine;
  if (enable == engine.zTest) {
    return TRUE;
  }
  engine.zTest = enable;
  RwD3D8SetRenderState(D3DRS_ZFUNC, enable ? D3DCMP_LESSEQUAL : D3DCMP_ALWAYS);
  if (!engine.zWrite) {
    RwD3D8SetRenderState(D3DRS_ZENABLE, enable ? 1 : 0);
  }
  return TRUE;
}

RwBool SetAddressU(RwUInt32 stage, RwInt32 mode) {
  if (!InRange(mode, kAddressModeCount)) {
    return FALSE;
  }
  if (mode != sCache.stages[stage].addressU) {
    sCache.stages[stage].addressU = mode;
    SetStage(stage, D3DTSS_ADDRESSU, static_cast<RwUInt32>(mode));
  }
  return TRUE;
}

RwBool SetAddressV(RwUInt32 stage, RwInt32 mode) {
  if (!InRange(mode, kAddressModeCount)) {
    return FALSE;
  }
  if (mode != sCache.stages[stage].addressV) {
    sCache.stages[stage].addressV = mode;
    SetStage(stage, D3DTSS_ADDRESSV, static_cast<RwUInt32>(mode));
  }
  return TRUE;
}

RwBool SetBorderColor(RwUInt32 stage, RwUInt32 color) {
  if (color != sCache.stages[stage].borderColor) {
    sCache.stages[stage].borderColor = color;
    SetStage(stage, D3DTSS_BORDERCOLOR, color);
  }
  return TRUE;
}

RwBool SetTextureFilter(RwInt32 mode) {
  TextureStage& stage = sCache.stages[0];
  if (!InRange(mode, kFilterModeCount)) {
    return FALSE;
  }
  if (stage.maxAnisotropy >= 2) {
    stage.maxAnisotropy = 1;
    SetStage(0, D3DTSS_MAXANISOTROPY, 1);
    stage.filterMode = kForgotten;
  }
  if (mode != stage.filterMode) {
    stage.filterMode = mode;
    SetStageFilters(0, mode);
  }
  return TRUE;
}

// A state whose engine value maps one to one onto its Direct3D value; values
// outside [0, count) are refused.
RwBool SetMappedValue(RwInt32* engineValue, RwUInt32 d3dState, RwInt32 value, RwInt32 count) {
  if (!InRange(value, count)) {
    return FALSE;
  }
  if (value != *engineValue) {
    *engineValue = value;
    RwD3D8SetRenderState(d3dState, static_cast<RwUInt32>(value));
  }
  return TRUE;
}

RwBool SetPlainValue(RwUInt32* engineValue, RwUInt32 d3dState, RwUInt32 value) {
  if (value != *engineValue) {
    *engineValue = value;
    RwD3D8SetRenderState(d3dState, value);
  }
  return TRUE;
}

// Step 1 of the defaults: nothing known about the device, nothing queued.
void ForgetDeviceStates() {
  for (RwUInt32 state = 0; state < kRenderStateCount; state++) {
    sCache.device[state] = kRwD3D8Unknown;
  }
  // Fog colour and ambient start at 0 on the device. The stencil masks start
  // with every bit set, which the unknown mark already says: marking them 0
  // would keep a mask of 0 from ever reaching the device.
  sCache.device[D3DRS_FOGCOLOR] = 0;
  sCache.device[D3DRS_AMBIENT] = 0;
  for (RwUInt32 state = 0; state < kRenderStateCount; state++) {
    sCache.wanted[state] = {sCache.device[state], 0};
  }
  sCache.queueCount = 0;
  for (RwUInt32 stage = 0; stage < kStageCount; stage++) {
    for (RwUInt32 type = 0; type < kStageStateCount; type++) {
      sCache.stageDevice[stage][type] = kRwD3D8Unknown;
      sCache.stageWanted[stage][type] = {kRwD3D8Unknown, 0};
    }
  }
  sCache.stageQueueCount = 0;
}

// Step 6 of the defaults, also resent after a Reset.
void SetFixedStates() {
  RwD3D8SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  RwD3D8SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  RwD3D8SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
  RwD3D8SetRenderState(D3DRS_DITHERENABLE, (_rwD3D8Driver.caps.RasterCaps & D3DPRASTERCAPS_DITHER) ? 1 : 0);
  RwD3D8SetRenderState(D3DRS_SPECULARENABLE, 0);
  RwD3D8SetRenderState(D3DRS_LOCALVIEWER, 0);
  RwD3D8SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
  RwD3D8SetRenderState(D3DRS_NORMALIZENORMALS, 0);
}

void SetStage0VertexColor(RwBool vertexAlpha) {
  SetStage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  SetStage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  SetStage(0, D3DTSS_ALPHAOP, vertexAlpha ? D3DTOP_SELECTARG2 : D3DTOP_DISABLE);
  SetStage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

}  // namespace

RwBool RwD3D8SetRenderState(RwUInt32 state, RwUInt32 value) {
  if (state >= kRenderStateCount) {
    return FALSE;
  }
  WantedValue& wanted = sCache.wanted[state];
  if (wanted.value != value) {
    wanted.value = value;
    if (!wanted.queued) {
      wanted.queued = 1;
      sCache.queue[sCache.queueCount++] = state;
    }
  }
  return TRUE;
}

void RwD3D8GetRenderState(RwUInt32 state, void* value) {
  if (value != nullptr) {
    *static_cast<RwUInt32*>(value) = state < kRenderStateCount ? sCache.wanted[state].value : 0;
  }
}

RwBool RwD3D8SetTextureStageState(RwUInt32 stage, RwUInt32 type, RwUInt32 value) {
  if (stage >= kStageCount || type >= kStageStateCount) {
    return FALSE;
  }
  WantedValue& wanted = sCache.stageWanted[stage][type];
  if (wanted.value != value) {
    wanted.value = value;
    if (!wanted.queued) {
      wanted.queued = 1;
      sCache.stageQueue[sCache.stageQueueCount++] = {stage, type};
    }
  }
  return TRUE;
}

void RwD3D8GetTextureStageState(RwUInt32 stage, RwUInt32 type, void* value) {
  if (value != nullptr) {
    *static_cast<RwUInt32*>(value) =
        stage < kStageCount && type < kStageStateCount ? sCache.stageWanted[stage][type].value : 0;
  }
}

void RwD3D8RenderStateFlush(void) {
  IDirect3DDevice8* device = _rwD3D8Driver.device;
  for (RwUInt32 i = 0; i < sCache.queueCount; i++) {
    const RwUInt32 state = sCache.queue[i];
    WantedValue& wanted = sCache.wanted[state];
    wanted.queued = 0;
    if (wanted.value != sCache.device[state]) {
      if (device != nullptr) {
        device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), wanted.value);
      }
      sCache.device[state] = wanted.value;
    }
  }
  sCache.queueCount = 0;
  for (RwUInt32 i = 0; i < sCache.stageQueueCount; i++) {
    const StageQueueEntry entry = sCache.stageQueue[i];
    WantedValue& wanted = sCache.stageWanted[entry.stage][entry.type];
    wanted.queued = 0;
    if (wanted.value != sCache.stageDevice[entry.stage][entry.type]) {
      if (device != nullptr) {
        device->SetTextureStageState(entry.stage, static_cast<D3DTEXTURESTAGESTATETYPE>(entry.type), wanted.value);
      }
      sCache.stageDevice[entry.stage][entry.type] = wanted.value;
    }
  }
  sCache.stageQueueCount = 0;
}

RwBool RwD3D8RenderStateSetSrcBlend(RwInt32 blend) {
  return SetMappedValue(&sCache.engine.srcBlend, D3DRS_SRCBLEND, blend, kBlendCount);
}

RwBool RwD3D8RenderStateSetDestBlend(RwInt32 blend) {
  return SetMappedValue(&sCache.engine.destBlend, D3DRS_DESTBLEND, blend, kBlendCount);
}

RwBool RwD3D8SetTextureRaster(RwRaster* raster, RwUInt32 stage) {
  if (stage >= kStageCount) {
    return FALSE;
  }
  EngineValues& engine = sCache.engine;
  RwD3D8RasterTexture info = {nullptr, FALSE, -1, 1};
  const RwBool hasTexture = raster != nullptr && _rwD3D8RasterGetTexture(raster, &info) && info.texture != nullptr;
  const RwBool rasterAlpha = hasTexture && info.hasAlpha;
  if (stage == 0 && rasterAlpha != engine.textureAlpha) {
    engine.textureAlpha = rasterAlpha;
    if (!engine.vertexAlpha) {
      SetAlphaBlending(rasterAlpha);
    }
  }
  TextureStage& record = sCache.stages[stage];
  if (raster == record.raster) {
    return TRUE;
  }
  if (!hasTexture) {
    SetTextureImmediately(stage, nullptr);
    if (stage > 0) {
      SetStage(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
      SetStage(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    } else {
      SetStage0VertexColor(engine.vertexAlpha);
    }
  } else {
    SetTextureImmediately(stage, info.texture);
    if (info.palette >= 0 && _rwD3D8Driver.device != nullptr) {
      _rwD3D8Driver.device->SetCurrentTexturePalette(static_cast<UINT>(info.palette));
    }
    SetStage(stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
    SetStage(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    if (stage == 0) {
      SetStage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
      if (engine.textureAlpha) {
        SetStage(0, D3DTSS_ALPHAOP, engine.vertexAlpha ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
        SetStage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        if (engine.vertexAlpha) {
          SetStage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        }
      } else if (engine.vertexAlpha) {
        SetStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        SetStage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
      } else {
        SetStage(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
      }
    } else {
      SetStage(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
      if (engine.textureAlpha && info.hasAlpha) {
        SetStage(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        SetStage(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        SetStage(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
      } else if (!engine.textureAlpha && !engine.vertexAlpha) {
        SetStage(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
      } else {
        SetStage(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        SetStage(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
      }
    }
  }
  record.raster = raster;
  return TRUE;
}

RwBool RwD3D8SetTexture(RwTexture* texture, RwUInt32 stage) {
  if (stage >= kStageCount) {
    return FALSE;
  }
  TextureStage& record = sCache.stages[stage];
  if (texture == nullptr) {
    RwD3D8SetTextureRaster(nullptr, stage);
    if (record.maxAnisotropy > 1) {
      record.maxAnisotropy = 1;
      SetStage(stage, D3DTSS_MAXANISOTROPY, 1);
      if (InRange(record.filterMode, kFilterModeCount)) {
        SetStageFilters(stage, record.filterMode);
      }
    }
    return TRUE;
  }
  RwD3D8SetTextureRaster(texture->raster, stage);
  const RwUInt32 word = texture->filterAddressing;
  const RwInt32 filterMode = static_cast<RwInt32>(word & 0xFFu);
  // A word with an unknown mode keeps the stage's filters and addressing.
  const RwBool filterKnown = InRange(filterMode, kFilterModeCount);
  SetAddressU(stage, static_cast<RwInt32>((word >> 8) & 0xFu));
  SetAddressV(stage, static_cast<RwInt32>((word >> 12) & 0xFu));
  RwD3D8RasterTexture info = {nullptr, FALSE, -1, 1};
  const RwUInt8 anisotropy =
      texture->raster != nullptr && _rwD3D8RasterGetTexture(texture->raster, &info) && info.maxAnisotropy > 1
          ? info.maxAnisotropy
          : 1;
  if (anisotropy != record.maxAnisotropy) {
    record.maxAnisotropy = anisotropy;
    SetStage(stage, D3DTSS_MAXANISOTROPY, anisotropy);
    if (anisotropy < 2) {
      if (filterKnown) {
        record.filterMode = filterMode;
        SetStageFilters(stage, filterMode);
      }
    } else {
      // The texture's own mode is kept so that unbinding it returns to it.
      if (filterKnown) {
        record.filterMode = filterMode;
      }
      SetStage(stage, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
      SetStage(stage, D3DTSS_MAGFILTER, D3DTEXF_ANISOTROPIC);
      SetStage(stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    }
  } else if (filterKnown && filterMode != record.filterMode) {
    record.filterMode = filterMode;
    if (anisotropy < 2) {
      SetStageFilters(stage, filterMode);
    }
  }
  return TRUE;
}

RwRaster* RwD3D8GetTextureRaster(RwUInt32 stage) { return stage < kStageCount ? sCache.stages[stage].raster : nullptr; }

RwBool RwD3D8RenderStateVertexAlphaEnable(RwBool enable) {
  EngineValues& engine = sCache.engine;
  enable = enable ? TRUE : FALSE;
  if (enable == engine.vertexAlpha) {
    return TRUE;
  }
  engine.vertexAlpha = enable;
  if (enable) {
    if (engine.textureAlpha) {
      SetStage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
      SetStage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      SetStage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    } else {
      SetAlphaBlending(TRUE);
      SetStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
      SetStage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
  } else if (engine.textureAlpha) {
    SetStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    SetStage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  } else {
    SetAlphaBlending(FALSE);
    SetStage(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  }
  return TRUE;
}

RwBool RwD3D8RenderStateIsVertexAlphaEnable(void) { return sCache.engine.vertexAlpha; }

void RwD3D8RenderStateReset(void) {
  EngineValues& engine = sCache.engine;
  ForgetDeviceStates();
  std::memset(&engine, 0, sizeof engine);
  // The stencil states are not set here: the engine values are the device's own.
  engine.stencilFail = D3DSTENCILOP_KEEP;
  engine.stencilZFail = D3DSTENCILOP_KEEP;
  engine.stencilPass = D3DSTENCILOP_KEEP;
  engine.stencilFunction = D3DCMP_ALWAYS;
  engine.stencilMask = 0xFFFFFFFFu;
  engine.stencilWriteMask = 0xFFFFFFFFu;

  // Fog off, linear, density 1, black; Gouraud shading; z test and write on.
  RwD3D8SetRenderState(D3DRS_FOGENABLE, 0);
  engine.fogType = kRwFogTypeLinear;
  SetFogTableAndVertexMode(kRwFogTypeLinear);
  engine.fogDensity = 1.0f;
  RwD3D8SetRenderState(D3DRS_FOGDENSITY, FloatBits(1.0f));
  RwD3D8SetRenderState(D3DRS_FOGCOLOR, 0);
  engine.shadeMode = D3DSHADE_GOURAUD;
  RwD3D8SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  engine.zTest = TRUE;
  engine.zWrite = TRUE;
  RwD3D8SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, 1);
  RwD3D8SetRenderState(D3DRS_ZENABLE, 1);

  const RwBool linear = (_rwD3D8Driver.caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR) != 0;
  for (RwUInt32 stage = 0; stage < kStageCount; stage++) {
    TextureStage& record = sCache.stages[stage];
    SetTextureImmediately(stage, nullptr);
    record.raster = nullptr;
    record.filterMode = linear ? kRwFilterLinear : kRwFilterNearest;
    SetStage(stage, D3DTSS_MINFILTER, linear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
    SetStage(stage, D3DTSS_MAGFILTER, linear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
    SetStage(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    record.addressU = D3DTADDRESS_WRAP;
    record.addressV = D3DTADDRESS_WRAP;
    SetStage(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    SetStage(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    record.borderColor = 0xFF000000u;
    SetStage(stage, D3DTSS_BORDERCOLOR, 0xFF000000u);
    record.maxAnisotropy = 1;
    SetStage(stage, D3DTSS_MAXANISOTROPY, 1);
    if (stage > 0) {
      SetStage(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
      SetStage(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
  }

  engine.srcBlend = D3DBLEND_SRCALPHA;
  engine.destBlend = D3DBLEND_INVSRCALPHA;
  RwD3D8SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  RwD3D8SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  RwD3D8SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  RwD3D8SetRenderState(D3DRS_ALPHAREF, 0);
  SetAlphaBlending(FALSE);
  RwD3D8SetRenderState(D3DRS_LIGHTING, 0);
  engine.cullMode = D3DCULL_CW;
  RwD3D8SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

  SetStage0VertexColor(FALSE);
  SetFixedStates();
  RwD3D8RenderStateFlush();
}

void RwD3D8RenderStateRestore(void) {
  const EngineValues& engine = sCache.engine;
  ForgetDeviceStates();

  RwD3D8SetRenderState(D3DRS_FOGDENSITY, FloatBits(engine.fogDensity));
  RwD3D8SetRenderState(D3DRS_FOGENABLE, engine.fogEnable ? 1 : 0);
  SetFogTableAndVertexMode(engine.fogType);
  RwD3D8SetRenderState(D3DRS_FOGCOLOR, engine.fogColor);
  RwD3D8SetRenderState(D3DRS_SHADEMODE, static_cast<RwUInt32>(engine.shadeMode));
  RwD3D8SetRenderState(D3DRS_ZWRITEENABLE, engine.zWrite ? 1 : 0);
  RwD3D8SetRenderState(D3DRS_ZFUNC, engine.zTest ? D3DCMP_LESSEQUAL : D3DCMP_ALWAYS);
  RwD3D8SetRenderState(D3DRS_ZENABLE, (engine.zWrite || engine.zTest) ? 1 : 0);
  RwD3D8SetRenderState(D3DRS_STENCILENABLE, engine.stencilEnable ? 1 : 0);
  RwD3D8SetRenderState(D3DRS_STENCILFAIL, static_cast<RwUInt32>(engine.stencilFail));
  RwD3D8SetRenderState(D3DRS_STENCILZFAIL, static_cast<RwUInt32>(engine.stencilZFail));
  RwD3D8SetRenderState(D3DRS_STENCILPASS, static_cast<RwUInt32>(engine.stencilPass));
  RwD3D8SetRenderState(D3DRS_STENCILFUNC, static_cast<RwUInt32>(engine.stencilFunction));
  RwD3D8SetRenderState(D3DRS_STENCILREF, engine.stencilRef);
  RwD3D8SetRenderState(D3DRS_STENCILMASK, engine.stencilMask);
  RwD3D8SetRenderState(D3DRS_STENCILWRITEMASK, engine.stencilWriteMask);

  for (RwUInt32 stage = 0; stage < kStageCount; stage++) {
    TextureStage& record = sCache.stages[stage];
    SetTextureImmediately(stage, nullptr);
    record.raster = nullptr;
    if (record.filterMode == kForgotten) {
      record.filterMode = kRwFilterLinear;
    }
    SetStageFilters(stage, record.filterMode);
    SetStage(stage, D3DTSS_ADDRESSU, static_cast<RwUInt32>(record.addressU));
    SetStage(stage, D3DTSS_ADDRESSV, static_cast<RwUInt32>(record.addressV));
    SetStage(stage, D3DTSS_BORDERCOLOR, record.borderColor);
    record.maxAnisotropy = 1;
    SetStage(stage, D3DTSS_MAXANISOTROPY, 1);
    if (stage > 0) {
      SetStage(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
      SetStage(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
  }

  RwD3D8SetRenderState(D3DRS_SRCBLEND, static_cast<RwUInt32>(engine.srcBlend));
  RwD3D8SetRenderState(D3DRS_DESTBLEND, static_cast<RwUInt32>(engine.destBlend));
  RwD3D8SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  RwD3D8SetRenderState(D3DRS_ALPHAREF, 0);
  SetAlphaBlending(engine.vertexAlpha);
  sCache.engine.textureAlpha = FALSE;
  RwD3D8SetRenderState(D3DRS_LIGHTING, 0);
  RwD3D8SetRenderState(D3DRS_CULLMODE, static_cast<RwUInt32>(engine.cullMode));
  SetStage0VertexColor(engine.vertexAlpha);
  SetFixedStates();
  RwD3D8RenderStateFlush();
}

RwBool RwD3D8RenderStateSet(RwInt32 state, void* value) {
  EngineValues& engine = sCache.engine;
  const RwInt32 integer = IntegerValue(value);
  const RwUInt32 word = static_cast<RwUInt32>(reinterpret_cast<uintptr_t>(value));
  switch (state) {
    case kRwRenderStateTextureRaster:
      return RwD3D8SetTextureRaster(static_cast<RwRaster*>(value), 0);
    case kRwRenderStateTextureAddress:
      return SetAddressU(0, integer) && SetAddressV(0, integer);
    case kRwRenderStateTextureAddressU:
      return SetAddressU(0, integer);
    case kRwRenderStateTextureAddressV:
      return SetAddressV(0, integer);
    case kRwRenderStateTexturePerspective:
      return integer != 0;
    case kRwRenderStateZTestEnable:
      return SetZTest(integer != 0);
    case kRwRenderStateShadeMode:
      return SetMappedValue(&engine.shadeMode, D3DRS_SHADEMODE, integer, kShadeModeCount);
    case kRwRenderStateZWriteEnable:
      return SetZWrite(integer != 0);
    case kRwRenderStateTextureFilter:
      return SetTextureFilter(integer);
    case kRwRenderStateSrcBlend:
      return RwD3D8RenderStateSetSrcBlend(integer);
    case kRwRenderStateDestBlend:
      return RwD3D8RenderStateSetDestBlend(integer);
    case kRwRenderStateVertexAlphaEnable:
      return RwD3D8RenderStateVertexAlphaEnable(integer != 0);
    case kRwRenderStateBorderColor:
      return SetBorderColor(0, word);
    case kRwRenderStateFogEnable:
      return SetFogEnable(integer != 0);
    case kRwRenderStateFogColor:
      return SetPlainValue(&engine.fogColor, D3DRS_FOGCOLOR, word);
    case kRwRenderStateFogType:
      return SetFogType(integer);
    case kRwRenderStateFogDensity:
      return value != nullptr && SetFogDensity(*static_cast<const RwReal*>(value));
    case kRwRenderStateCullMode:
      return SetMappedValue(&engine.cullMode, D3DRS_CULLMODE, integer, kCullModeCount);
    case kRwRenderStateStencilEnable:
      if ((integer != 0) != engine.stencilEnable) {
        engine.stencilEnable = integer != 0;
        RwD3D8SetRenderState(D3DRS_STENCILENABLE, engine.stencilEnable ? 1 : 0);
      }
      return TRUE;
    case kRwRenderStateStencilFail:
      return SetMappedValue(&engine.stencilFail, D3DRS_STENCILFAIL, integer, kStencilValueCount);
    case kRwRenderStateStencilZFail:
      return SetMappedValue(&engine.stencilZFail, D3DRS_STENCILZFAIL, integer, kStencilValueCount);
    case kRwRenderStateStencilPass:
      return SetMappedValue(&engine.stencilPass, D3DRS_STENCILPASS, integer, kStencilValueCount);
    case kRwRenderStateStencilFunction:
      return SetMappedValue(&engine.stencilFunction, D3DRS_STENCILFUNC, integer, kStencilValueCount);
    case kRwRenderStateStencilFunctionRef:
      return SetPlainValue(&engine.stencilRef, D3DRS_STENCILREF, word);
    case kRwRenderStateStencilFunctionMask:
      return SetPlainValue(&engine.stencilMask, D3DRS_STENCILMASK, word);
    case kRwRenderStateStencilFunctionWriteMask:
      return SetPlainValue(&engine.stencilWriteMask, D3DRS_STENCILWRITEMASK, word);
    default:
      return FALSE;
  }
}

RwBool RwD3D8RenderStateGet(RwInt32 state, void* value) {
  const EngineValues& engine = sCache.engine;
  const TextureStage& stage = sCache.stages[0];
  if (value == nullptr) {
    return FALSE;
  }
  switch (state) {
    case kRwRenderStateTextureRaster:
      *static_cast<RwRaster**>(value) = stage.raster;
      return TRUE;
    case kRwRenderStateTextureAddress:
      if (stage.addressU != stage.addressV) {
        WriteValue(value, 0);
        return FALSE;
      }
      WriteValue(value, static_cast<uintptr_t>(stage.addressU));
      return TRUE;
    case kRwRenderStateTextureAddressU:
      WriteValue(value, static_cast<uintptr_t>(stage.addressU));
      return TRUE;
    case kRwRenderStateTextureAddressV:
      WriteValue(value, static_cast<uintptr_t>(stage.addressV));
      return TRUE;
    case kRwRenderStateZTestEnable:
      WriteValue(value, engine.zTest ? 1 : 0);
      return TRUE;
    case kRwRenderStateShadeMode:
      WriteValue(value, static_cast<uintptr_t>(engine.shadeMode));
      return TRUE;
    case kRwRenderStateZWriteEnable:
      WriteValue(value, engine.zWrite ? 1 : 0);
      return TRUE;
    case kRwRenderStateTextureFilter:
      WriteValue(value, stage.filterMode == kForgotten ? 0 : static_cast<uintptr_t>(stage.filterMode));
      return TRUE;
    case kRwRenderStateSrcBlend:
      WriteValue(value, static_cast<uintptr_t>(engine.srcBlend));
      return TRUE;
    case kRwRenderStateDestBlend:
      WriteValue(value, static_cast<uintptr_t>(engine.destBlend));
      return TRUE;
    case kRwRenderStateVertexAlphaEnable:
      WriteValue(value, engine.vertexAlpha ? 1 : 0);
      return TRUE;
    case kRwRenderStateBorderColor:
      WriteValue(value, stage.borderColor);
      return TRUE;
    case kRwRenderStateFogEnable:
      WriteValue(value, engine.fogEnable ? 1 : 0);
      return TRUE;
    case kRwRenderStateFogColor:
      WriteValue(value, engine.fogColor);
      return TRUE;
    case kRwRenderStateFogType:
      WriteValue(value, static_cast<uintptr_t>(engine.fogType));
      return TRUE;
    case kRwRenderStateFogDensity:
      WriteValue(value, FloatBits(engine.fogDensity));
      return TRUE;
    case kRwRenderStateCullMode:
      WriteValue(value, static_cast<uintptr_t>(engine.cullMode));
      return TRUE;
    case kRwRenderStateStencilEnable:
      WriteValue(value, engine.stencilEnable ? 1 : 0);
      return TRUE;
    case kRwRenderStateStencilFail:
      WriteValue(value, static_cast<uintptr_t>(engine.stencilFail));
      return TRUE;
    case kRwRenderStateStencilZFail:
      WriteValue(value, static_cast<uintptr_t>(engine.stencilZFail));
      return TRUE;
    case kRwRenderStateStencilPass:
      WriteValue(value, static_cast<uintptr_t>(engine.stencilPass));
      return TRUE;
    case kRwRenderStateStencilFunction:
      WriteValue(value, static_cast<uintptr_t>(engine.stencilFunction));
      return TRUE;
    case kRwRenderStateStencilFunctionRef:
      WriteValue(value, engine.stencilRef);
      return TRUE;
    case kRwRenderStateStencilFunctionMask:
      WriteValue(value, engine.stencilMask);
      return TRUE;
    case kRwRenderStateStencilFunctionWriteMask:
      WriteValue(value, engine.stencilWriteMask);
      return TRUE;
    default:
      return FALSE;
  }
}
