// World-module internals shared between its files and RpWorldPluginAttach:
// the engine-plugin constructors and destructors of its modules, the bin mesh
// stream of geometries, and the readers of struct chunks.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/plugin_registry.h"

struct RpMeshBuilder;
struct RpMeshBuilderEntry;
struct RpMeshHeader;
struct RwStream;

// Bytes of engine-instance data each world engine plugin gets; each module
// checks its record against its size with a static_assert.
constexpr RwInt32 kRpMaterialModuleDataSize = 8;
constexpr RwInt32 kRpMeshModuleDataSize = 8;
constexpr RwInt32 kRpLightModuleDataSize = 16;

// Engine plugins: (engine instance, offset, size) -> the instance, or null
// when the module cannot open.
void* _rpMaterialOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpMaterialClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rpMeshOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpMeshClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rpLightOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rpLightClose(void* instance, RwInt32 offset, RwInt32 size);

// A mesh header of numMeshes meshes and numIndices indices (none when
// indices is false), flags and serial number set, the meshes zeroed with
// their index arrays laid out by the caller. Null (0x80000013) on failure.
RpMeshHeader* _rpMeshHeaderCreate(RwUInt32 numMeshes, RwUInt32 numIndices, RwBool indices, RwUInt32 flags);
// The builder's entries sorted by material (RpMeshSortMaterialCompare, ties
// in entry order), in a block the caller frees with RwFree; the number of
// runs of one material goes to *numGroups. Null (0x80000013) on failure.
const RpMeshBuilderEntry** _rpMeshBuilderSortEntries(const RpMeshBuilder* builder, RwUInt32* numGroups);

// The geometry and material plugin registries.
const RwPluginRegistry* _rpGeometryRegistry(void);
const RwPluginRegistry* _rpMaterialRegistry(void);

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
