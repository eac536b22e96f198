// Materials: how triangles look (texture, colour, surface properties and a
// pipeline). Reference counted and shared by geometries and worlds through
// material lists; stored as material chunks (7).
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/rgba.h"

struct RwPipeline;
struct RwStream;
struct RwTexture;

constexpr RwUInt32 kRpPluginIdMaterialModule = 0x501;
constexpr RwUInt32 kRwChunkMaterial = 7;
// Bytes of the material chunk's struct body.
constexpr RwUInt32 kRpMaterialStreamStructSize = 28;

// Coefficients used when the material is lit.
struct RpSurfaceProperties {
  RwReal ambient;
  RwReal specular;
  RwReal diffuse;
};

struct RpMaterial {
  RwTexture* texture;  // holds one texture reference, or null
  RwRGBA color;        // 255, 255, 255, 255 at creation
  RwPipeline* pipeline;
  RpSurfaceProperties surfaceProps;
  RwInt16 refCount;
  // plugin data follows (material plugin registry)
};

typedef RpMaterial* (*RpMaterialCallBack)(RpMaterial* material, void* data);

// A material with one reference, white, untextured, with the current default
// surface properties; null when the free list or a plugin constructor fails.
RpMaterial* RpMaterialCreate(void);
// Releases one reference; the last one runs the destructors and frees it.
RwBool RpMaterialDestroy(RpMaterial* material);
RpMaterial* RpMaterialAddRef(RpMaterial* material);

// Holds a reference to the new texture and releases the old one.
RpMaterial* RpMaterialSetTexture(RpMaterial* material, RwTexture* texture);
RwTexture* RpMaterialGetTexture(const RpMaterial* material);
RpMaterial* RpMaterialSetColor(RpMaterial* material, const RwRGBA* color);
const RwRGBA* RpMaterialGetColor(const RpMaterial* material);
// What new materials start with; null restores 1.0, 1.0, 1.0.
void RpMaterialSetDefaultSurfaceProperties(const RpSurfaceProperties* surfaceProperties);

RwInt32 RpMaterialRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                 RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RpMaterialRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                       RwPluginDataChunkWriteCallBack writeCB,
                                       RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RpMaterialGetPluginOffset(RwUInt32 pluginID);

// Length of the material chunk's body.
RwUInt32 RpMaterialStreamGetSize(const RpMaterial* material);
// Writes the whole material chunk, header included.
const RpMaterial* RpMaterialStreamWrite(const RpMaterial* material, RwStream* stream);
// The stream is at the body of a material chunk.
RpMaterial* RpMaterialStreamRead(RwStream* stream);
