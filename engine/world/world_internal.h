// World-module internals shared between its files and RpWorldPluginAttach:
// the engine-plugin constructors and destructors of its modules, the bin mesh
// stream of geometries, and the readers of struct chunks.
#pragma once

#include <cstddef>

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/plugin_registry.h"

struct RpAtomic;
struct RpGeometry;
struct RpMeshBuilder;
struct RpMeshBuilderEntry;
struct RpMeshHeader;
struct RpMaterialList;
struct RwFrameList;
struct RwFreeList;
struct RwPipeline;
struct RwStream;
struct RpWorld;
struct RpWorldSector;
struct RpSector;

// Bytes of engine-instance data each world engine plugin gets; each module
// checks its record against its size with a static_assert.
constexpr RwInt32 kRpMaterialModuleDataSize = 8;
constexpr RwInt32 kRpMeshModuleDataSize = 8;
constexpr RwInt32 kRpLightModuleDataSize = 16;
constexpr RwInt32 kRpClumpModuleDataSize = 32;
constexpr RwInt32 kRpOpenCountDataSize = 4;
constexpr RwInt32 kRpWorldModuleDataSize = 24;
constexpr RwInt32 kRpWorldObjectModuleDataSize = 16;

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
void* _rpWorldModuleOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpWorldModuleClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rpSectorModuleOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpSectorModuleClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rpWorldOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpWorldClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rpBinMeshModuleOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpBinMeshModuleClose(void* instance, RwInt32 offset, RwInt32 size);

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
// RpGeometryCreate for a reader that fills every vertex array, triangle and
// morph target itself (numMorphTargets of them, one at least): nothing is
// cleared first.
RpGeometry* _rpGeometryCreateUnfilled(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 format,
                                      RwInt32 numMorphTargets);
const RwPluginRegistry* _rpMaterialRegistry(void);
const RwPluginRegistry* _rpAtomicRegistry(void);
const RwPluginRegistry* _rpClumpRegistry(void);

// The light module's marker counter: a lighting pass advances it and marks
// each light it applies with it.
RwUInt16* _rpLightMarkerCounter(void);

// Reads a bin mesh sub-chunk of length bytes into *mesh, replacing the
// header there; null on failure with *mesh unchanged.
RwStream* _rpBinMeshRead(RwStream* stream, RwInt32 length, RpMeshHeader** mesh, const RpMaterialList* materials,
                         RwInt32 numVertices, RwBool native);
// Registers the native data extension (0x510) on geometries and world
// sectors; false on failure.
RwBool _rpNativeDataPluginAttach(void);

// Registers the bin mesh extension (0x50E) on geometries; false on failure.
RwBool _rpGeometryBinMeshPluginAttach(void);

// Finds the struct chunk and reads its body into the zeroed record of size
// bytes: a shorter body leaves the rest zero, a longer one is skipped to its
// end. The chunk's version goes to *version when it is not null.
RwBool _rpReadStructRecord(RwStream* stream, void* record, RwUInt32 size, RwUInt32* version);
// The same for a struct chunk already found, whose body has length bytes.
RwBool _rpReadStructBody(RwStream* stream, RwUInt32 length, void* record, RwUInt32 size);

// Reads a chunk body of length bytes into a block from RwMalloc, growing the
// block as the bytes arrive, so that a length that lies about the stream
// fails at the short read without a huge allocation first. Null on failure
// (error recorded); the caller frees the block with RwFree.
RwUInt8* _rpReadChunkBody(RwStream* stream, RwUInt32 length);
// The body where the stream holds it in memory (*owned null), else read as
// _rpReadChunkBody reads it into a block the caller frees (*owned).
const RwUInt8* _rpLendChunkBody(RwStream* stream, RwUInt32 length, RwUInt8** owned);

// The world and world-sector plugin registries.
const RwPluginRegistry* _rpWorldRegistry(void);
const RwPluginRegistry* _rpWorldSectorRegistry(void);
// Enters a world read as one block of size bytes in the module's list, by
// which RpWorldSectorGetWorld finds a sector's world. False (0x80000013)
// when the entry cannot be allocated.
RwBool _rpWorldRegisterBlock(RpWorld* world, size_t size);
// Unregisters the world and frees it: the sectors reachable from its root
// (a failed read leaves unread children null) with their meshes, instance
// data, ties and plugin data, the material list, the world's plugin data
// when its constructors ran, and the block.
void _rpWorldRelease(RpWorld* world, RwBool constructed);
// What reading derives once the sectors are read: each sector's plane box
// from the world's box, and (for worlds whose struct holds none) the world's
// box as the union of the sectors' boxes first.
void _rpWorldSetPlaneBoxes(RpWorld* world);
void _rpWorldUnionSectorBoxes(RpWorld* world);
// Builds the mesh header of every sector that has none from its polygons;
// false (with the headers built so far kept) when a build fails.
RwBool _rpWorldBuildSectorMeshes(RpWorld* world);
// Unlinks and frees every atomic and light tie of the sector.
void _rpWorldSectorFreeTies(RpWorldSector* sector);

// Right to render (0x1F): the plugin id and data word of a pipeline's owner,
// stored with atomics, worlds and world sectors. A read keeps what it found
// until the object's extension is read.
struct RpRightToRender {
  RwBool present;
  RwUInt32 pluginID;
  RwUInt32 data;
};
RwStream* _rpRightToRenderRead(RwStream* stream, RwInt32 length, RpRightToRender* rights);
// Bytes to write for an object with the pipeline (0: none).
RwInt32 _rpRightToRenderGetSize(const RwPipeline* pipeline);
RwStream* _rpRightToRenderWrite(RwStream* stream, const RwPipeline* pipeline);
// Registers the right-to-render extension and stream on worlds and sectors.
RwBool _rpWorldRightToRenderPluginAttach(void);
// Registers the bin mesh extension (0x50E) on world sectors.
RwBool _rpWorldSectorBinMeshPluginAttach(void);
