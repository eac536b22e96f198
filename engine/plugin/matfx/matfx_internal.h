// Material-effects internals shared by the plugin's files and its tests: the
// material's record, texture references held by slots, the combined bump-map
// name and the material data stream callbacks.
#pragma once

#include "engine/plugin/matfx/rpmatfx.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/texture.h"

struct RwPipeline;

// The material's record, or null while it has no effects.
RpMatFXMaterialData* _rpMatFXMaterialGetData(const RpMaterial* material);
// The material's record, made zeroed from the free list when it has none;
// null (out of memory recorded) when the free list cannot supply one.
RpMatFXMaterialData* _rpMatFXMaterialDataCreate(RpMaterial* material);
// Releases every texture the slots hold and zeroes the record.
void _rpMatFXMaterialDataClear(RpMatFXMaterialData* data);

// Makes *held hold one reference to texture (null allowed), releasing what it
// held; the new reference is taken first, so replacing a texture by itself
// keeps it alive.
void _rpMatFXTextureReplace(RwTexture** held, RwTexture* texture);
// 1 / the width of the texture's raster in pixels; 0 without a raster or
// with a width of 0.
RwReal _rpMatFXInverseRasterWidth(const RwTexture* texture);

// The bump-map texture's name: characters taken alternately from the base
// name and the source name while each has any left, stopping when both are
// used up or at least 30 characters are written.
void _rpMatFXBumpMapName(RwChar name[kRwTextureNameLength], const RwChar* baseName, const RwChar* sourceName);

// One 32-bit little-endian word; false on a short read or a failed write.
RwBool _rpMatFXReadWord(RwStream* stream, RwUInt32* value);
RwBool _rpMatFXWriteWord(RwStream* stream, RwUInt32 value);

// The material data stream (plugin kRpMatFXPluginId in the material's
// extension chunk).
RwStream* _rpMatFXMaterialStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 size);
RwStream* _rpMatFXMaterialStreamWrite(RwStream* stream, RwInt32 length, const void* object, RwInt32 offset,
                                      RwInt32 size);
RwInt32 _rpMatFXMaterialStreamGetSize(const void* object, RwInt32 offset, RwInt32 size);

// Registers the effects flag of atomics and world sectors with its streams;
// false on failure.
RwBool _rpMatFXObjectsAttach(void);

// The effects pipelines while the plugin is open (null before).
RwPipeline* _rpMatFXAtomicPipeline(void);
RwPipeline* _rpMatFXWorldSectorPipeline(void);
