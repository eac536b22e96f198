// The render-state cache between the engine and the Direct3D 8 device: what
// the engine set, the Direct3D values wanted and those the device holds.
// Setting a value queues its Direct3D state; the queues are flushed before
// each draw and only states whose wanted value differs from the device's are
// sent.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "platform/d3d8/d3d8.h"

struct RwRaster;
struct RwTexture;

// Texture stages the cache keeps.
constexpr RwUInt32 kRwD3D8TextureStageCount = 8;

// Engine render states. Every value travels pointer-sized through
// RwRenderStateSet and RwRenderStateGet: integers as the pointer's value, the
// raster as a pointer, the fog density (set) as a pointer to an RwReal.
enum RwRenderState : RwInt32 {
  kRwRenderStateTextureRaster = 1,
  kRwRenderStateTextureAddress = 2,
  kRwRenderStateTextureAddressU = 3,
  kRwRenderStateTextureAddressV = 4,
  kRwRenderStateTexturePerspective = 5,
  kRwRenderStateZTestEnable = 6,
  kRwRenderStateShadeMode = 7,
  kRwRenderStateZWriteEnable = 8,
  kRwRenderStateTextureFilter = 9,
  kRwRenderStateSrcBlend = 10,
  kRwRenderStateDestBlend = 11,
  kRwRenderStateVertexAlphaEnable = 12,
  kRwRenderStateBorderColor = 13,
  kRwRenderStateFogEnable = 14,
  kRwRenderStateFogColor = 15,
  kRwRenderStateFogType = 16,
  kRwRenderStateFogDensity = 17,
  kRwRenderStateCullMode = 20,
  kRwRenderStateStencilEnable = 21,
  kRwRenderStateStencilFail = 22,
  kRwRenderStateStencilZFail = 23,
  kRwRenderStateStencilPass = 24,
  kRwRenderStateStencilFunction = 25,
  kRwRenderStateStencilFunctionRef = 26,
  kRwRenderStateStencilFunctionMask = 27,
  kRwRenderStateStencilFunctionWriteMask = 28,
};

// Texture filter modes (engine values).
enum RwTextureFilterMode : RwInt32 {
  kRwFilterNone = 0,
  kRwFilterNearest = 1,
  kRwFilterLinear = 2,
  kRwFilterMipNearest = 3,
  kRwFilterMipLinear = 4,
  kRwFilterLinearMipNearest = 5,
  kRwFilterLinearMipLinear = 6,
};

// Fog types (engine values).
enum RwFogType : RwInt32 {
  kRwFogTypeNone = 0,
  kRwFogTypeLinear = 1,
  kRwFogTypeExponential = 2,
  kRwFogTypeExponential2 = 3,
};

// Blend functions (engine values), which the driver hands to Direct3D 8
// unchanged as its D3DBLEND values.
enum RwBlendFunction : RwInt32 {
  kRwBlendZero = 1,
  kRwBlendOne = 2,
  kRwBlendSrcColor = 3,
  kRwBlendInvSrcColor = 4,
  kRwBlendSrcAlpha = 5,
  kRwBlendInvSrcAlpha = 6,
  kRwBlendDestAlpha = 7,
  kRwBlendInvDestAlpha = 8,
  kRwBlendDestColor = 9,
  kRwBlendInvDestColor = 10,
  kRwBlendSrcAlphaSat = 11,
};

// Engine entry points of the device record.
RwBool RwD3D8RenderStateSet(RwInt32 state, void* value);
RwBool RwD3D8RenderStateGet(RwInt32 state, void* value);

// Low level, used by every Direct3D 8 pipeline. Both setters return 1;
// a state number outside the device's range is refused with 0.
RwBool RwD3D8SetRenderState(RwUInt32 state, RwUInt32 value);
void RwD3D8GetRenderState(RwUInt32 state, void* value);
RwBool RwD3D8SetTextureStageState(RwUInt32 stage, RwUInt32 type, RwUInt32 value);
void RwD3D8GetTextureStageState(RwUInt32 stage, RwUInt32 type, void* value);
void RwD3D8RenderStateFlush(void);
RwBool RwD3D8RenderStateSetSrcBlend(RwInt32 blend);
RwBool RwD3D8RenderStateSetDestBlend(RwInt32 blend);
RwBool RwD3D8SetTextureRaster(RwRaster* raster, RwUInt32 stage);
RwRaster* RwD3D8GetTextureRaster(RwUInt32 stage);
// Binds the texture's raster to the stage with the texture's addressing and
// filter mode, anisotropic filtering when its raster asks for it; a null
// texture unbinds the stage.
RwBool RwD3D8SetTexture(RwTexture* texture, RwUInt32 stage);
RwBool RwD3D8RenderStateVertexAlphaEnable(RwBool enable);
RwBool RwD3D8RenderStateIsVertexAlphaEnable(void);
// Defaults at device start; everything resent after a device Reset.
void RwD3D8RenderStateReset(void);
void RwD3D8RenderStateRestore(void);
