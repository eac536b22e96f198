// World-module internals shared between its files and RpWorldPluginAttach:
// the engine-plugin constructors and destructors of its modules, the bin mesh
// stream of geometries, and the readers of struct chunks.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/plugin_registry.h"

struct RpAtomic;
struct RpGeometry;
struct RpMeshBuilder;
struct RpMeshBuilderEntry;
struct RpMeshHeader;
struct RwFrameList;
struct RwFreeList;
struct RwStream;

// Bytes of engine-instance data each world engine plugin gets; each module
// checks its record against its size with a static_assert.
constexpr RwInt32 kRpMaterialModuleDataSize = 8;
constexpr RwInt32 kRpMeshModuleDataSize = 8;
constexpr RwInt32 kRpLightModuleDataSize = 16;
constexpr RwInt32 kRpClumpModuleDataSize = 32;

// Engine plugins: (engine instance, offset, size) -> the instance, or null
// when the module cannot open.
void* _rpMaterialOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpMaterialClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rpMeshOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpMeshClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rpLightOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpLightClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rpClumpOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpClumpClose(void* instance, RwInt32 offset, RwInt32 size);

// Engine block of the atomic and clump module (0x504), with the offsets of the
// extensions it reaches, looked up when the engine starts (-1: not attached).
struct RpClumpModule {
  RwFreeList* atomicFreeList;
  RwFreeList* clumpFreeList;
  RwInt32 lightLinkOffset;    // clump link on lights
  RwInt32 cameraLinkOffset;   // clump link on cameras
  RwInt32 atomicWorldOffset;  // world-object extension on atomics
};
// The module's block while the engine is started, else null.
RpClumpModule* _rpClumpModule(void);
// Frees the atomic's resources without returning its record to the free
// list (the module's close walks the list itself).
void _rpAtomicRelease(RpAtomic* atomic);

// Registers the clump-link extension on lights and cameras; false on failure.
RwBool _rpClumpLinkPluginAttach(void);
// Registers the right-to-render extension (0x1F) on atomics; false on failure.
RwBool _rpAtomicRightToRenderPluginAttach(void);

// Geometries of a clump chunk's geometry list, by index.
struct RpGeometryList {
  RpGeometry** geometries;
  RwInt32 numGeometries;
};
// Reads the body of an atomic chunk of a clump: frames and geometries by
// index into the lists; with an empty geometry list the geometry follows
// inline. Null on failure (0x8000001A unless an error is pending).
RpAtomic* _rpAtomicStreamRead(RwStream* stream, const RwFrameList* frames, const RpGeometryList* geometries);
// Length of an atomic chunk's body without an inline geometry.
RwUInt32 _rpAtomicStreamGetSize(const RpAtomic* atomic);
// Writes the whole atomic chunk with the indices of its frame and geometry.
const RpAtomic* _rpAtomicStreamWrite(const RpAtomic* atomic, RwStream* stream, RwUInt32 frameIndex,
                                     RwUInt32 geometryIndex);

// A mesh header of numMeshes meshes and numIndices indices (none when
// indices is false), flags and serial number set, the meshes zeroed with
// their index arrays laid out by the caller. Null (0x80000013) on failure.
RpMeshHeader* _rpMeshHeaderCreate(RwUInt32 numMeshes, RwUInt32 numIndices, RwBool indices, RwUInt32 flags);
// The builder's entries sorted by material (RpMeshSortMaterialCompare, ties
// in entry order), in a block the caller frees with RwFree; the number of
// runs of one material goes to *numGroups. Null (0x80000013) on failure.
const RpMeshBuilderEntry** _rpMeshBuilderSortEntries(const RpMeshBuilder* builder, RwUInt32* numGroups);

// The plugin registries of geometries, materials, atomics and clumps.
const RwPluginRegistry* _rpGeometryRegistry(void);
const RwPluginRegistry* _rpMaterialRegistry(void);
const RwPluginRegistry* _rpAtomicRegistry(void);
const RwPluginRegistry* _rpClumpRegistry(void);

// The light module's marker counter: a lighting pass advances it and marks
// each light it applies with it.
RwUInt16* _rpLightMarkerCounter(void);

// Registers the bin mesh extension (0x50E) on geometries; false on failure.
RwBool _rpGeometryBinMeshPluginAttach(void);

// Finds the struct chunk and reads its body into the zeroed record of size
// bytes: a shorter body leaves the rest zero, a longer one is skipped to its
// end. The chunk's version goes to *version when it is not null.
RwBool _rpReadStructRecord(RwStream* stream, void* record, RwUInt32 size, RwUInt32* version);

// Reads a chunk body of length bytes into a block from RwMalloc, growing the
// block as the bytes arrive, so that a length that lies about the stream
// fails at the short read without a huge allocation first. Null on failure
// (error recorded); the caller frees the block with RwFree.
RwUInt8* _rpReadChunkBody(RwStream* stream, RwUInt32 length);
