// The material-effects pipelines on Direct3D 8: what the device can do
// (read once when the pipelines are made), the two one-time validations, and
// the drawing roads of each effect, shared between the plugin's files and its
// tests.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/world/pipe/p2/d3d8/d3d8_all_in_one.h"

struct RwFrame;
struct RwPipeline;
struct RwTexture;

// The pixel shaders a device of version 1.0 or later would get: bump map,
// environment over a texture, environment alone, bump and environment, and
// bump and environment with frame-buffer alpha (environment texture with and
// without alpha).
enum RpMatFXD3D8PixelShader : RwInt32 {
  kRpMatFXShaderBumpMap = 0,
  kRpMatFXShaderEnvMap,
  kRpMatFXShaderEnvMapNoBase,
  kRpMatFXShaderBumpEnvMap,
  kRpMatFXShaderBumpEnvMapAlphaTexture,
  kRpMatFXShaderBumpEnvMapAlpha,
  kRpMatFXShaderCount,
};

struct RpMatFXD3D8State {
  RwPipeline* atomicPipeline;
  RwPipeline* worldSectorPipeline;
  RwUInt32 numStages;  // texture blend stages
  RwBool twoTextures;  // two textures at once
  RwBool multiplyAdd;
  RwBool modulate2x;
  RwBool modulate2xPending;  // the single-pass double product awaits its validation
  RwBool envAddPending;      // the two-stage additive environment awaits its validation
  RwBool envAddValidated;
  // Handles stay 0: the device reports no pixel shaders, and every road
  // falls back to texture stages and passes.
  RwUInt32 pixelShaders[kRpMatFXShaderCount];
};

// The module's state while the pipelines exist.
RpMatFXD3D8State* _rpMatFXD3D8State(void);

// Builds both pipelines (plugin owner 288) and reads the device's
// capabilities; false, with nothing left, on failure.
RwBool RpMatFXD3D8PipelinesCreate(void);
RwBool RpMatFXD3D8PipelinesDestroy(void);

// The all-in-one nodes' render callback: each mesh by its material's effect.
void RpMatFXD3D8RenderCallBack(RwResEntry* repEntry, void* object, RwUInt8 type, RwUInt32 flags);

// Plain drawing with the texture (geometry flags decide whether it is
// bound), and without any.
void RpMatFXD3D8RenderDefault(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwTexture* texture);
void RpMatFXD3D8RenderNoTexture(const RpD3D8InstanceData* mesh);
// The environment map of the material's slot slotIndex over the base.
void RpMatFXD3D8RenderEnvMap(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwUInt32 slotIndex, RwTexture* base,
                             RwTexture* environment);
void RpMatFXD3D8RenderBumpMap(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwTexture* base, RwTexture* bump,
                              RwTexture* environment);
void RpMatFXD3D8RenderDual(const RpD3D8InstanceData* mesh, RwUInt32 flags, RwTexture* base, RwTexture* second);
// Binds the environment texture at the stage with its coordinates from the
// camera-space normal (or reflection vector, for a cube map).
RwBool RpMatFXD3D8EnvMapSetupStage(RwTexture* environment, RwUInt32 stage, RwFrame* frame);
// The mesh's bump vertices (44 bytes each) into memory; false when its
// buffers cannot be read.
RwBool RpMatFXD3D8BumpMapFillVertices(const RpD3D8InstanceData* mesh, void* memory);

// Binds the base at stage 0 when the geometry has texture coordinates (else
// no texture) and answers what it bound.
RwTexture* _rpMatFXD3D8BindBase(RwUInt32 flags, RwTexture* base);
// Vertex alpha on for a mesh with vertex alpha or a translucent material
// (switched only when it changes), and the diffuse source to match.
void _rpMatFXD3D8SetVertexAlpha(const RpD3D8InstanceData* mesh);
// Pixel shader 0, the mesh's vertex shader and vertices, and the draw.
void _rpMatFXD3D8DrawMesh(const RpD3D8InstanceData* mesh);
// A stage's colour or alpha operation with its two arguments.
void _rpMatFXD3D8ColorStage(RwUInt32 stage, RwUInt32 op, RwUInt32 arg1, RwUInt32 arg2);
void _rpMatFXD3D8AlphaStage(RwUInt32 stage, RwUInt32 op, RwUInt32 arg1, RwUInt32 arg2);
// The engine's blend functions as they were before a pass changed them.
struct RpMatFXD3D8SavedBlends {
  void* src;
  void* dest;
};
// Sets the engine's blend functions, answering the ones they replace.
RpMatFXD3D8SavedBlends _rpMatFXD3D8SetBlends(RwInt32 src, RwInt32 dest);
void _rpMatFXD3D8RestoreBlends(const RpMatFXD3D8SavedBlends& saved);
// Fog colour for an added pass while fog is on; answers whether fog is on
// and the colour it replaced.
RwBool _rpMatFXD3D8SetFogColor(RwUInt32 color, RwUInt32* saved);
// Validates the device's current stage set-up: true for one pass. States
// are flushed first.
RwBool _rpMatFXD3D8ValidatesInOnePass(void);
// Whether the texture's raster is 8-bit palettised.
RwBool _rpMatFXD3D8IsPalettised(const RwTexture* texture);
// Whether the texture's raster carries alpha.
RwBool _rpMatFXD3D8HasAlpha(const RwTexture* texture);
