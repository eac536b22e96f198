// Internals of the skin plugin shared between its files and its tests: skin
// records and their data blocks, weight sorting and used bones, the streams'
// registration, and the matrix palette with the portable and SSE blending.
#pragma once

#include "engine/plugin/skin2/rpskin.h"

struct RwFreeList;

// Skins a free-list block holds.
constexpr RwUInt32 kRpSkinsPerBlock = 20;
// The inverse bone matrices start at this boundary of the data block.
constexpr RwUInt32 kRpSkinMatrixAlignment = 16;

// The skin free list while the plugin is open, else null.
RwFreeList* _rpSkinFreeList(void);
// A zeroed record with a zeroed data block laid out for the counts; null
// (out of memory) on failure, with nothing kept.
RpSkin* _rpSkinAllocate(RwInt32 numVertices, RwUInt32 numBones, RwUInt32 numUsedBones);
// A zeroed split block of numBones + 2 numA + 2 numB bytes, its parts
// pointed at; false (out of memory) on failure.
RwBool _rpSkinAllocateSplit(RpSkin* skin, RwUInt32 boneLimit, RwUInt32 numA, RwUInt32 numB);
// Bytes of the split block, 0 when numA is 0.
RwUInt32 _rpSkinSplitBytes(const RpSkin* skin);
// Frees the blocks and returns the record to the free list.
void _rpSkinFree(RpSkin* skin);

// Puts each vertex's (weight, bone byte) pairs largest weight first, unless
// its first weight is already 1 or more.
void _rpSkinSortWeights(RpSkin* skin);
// The largest number of leading non-zero weights of any vertex, 1 to 4.
RwUInt32 _rpSkinCountWeights(const RpSkin* skin);
// Rebuilds the used-bone list from the weights below maxWeights, ascending;
// the list must have room for numBones entries.
void _rpSkinFindUsedBones(RpSkin* skin);
// Whether every bone byte with a non-zero weight, and every used bone, lies
// below the bone count.
RwBool _rpSkinBonesValid(const RpSkin* skin);

// The skin pipeline while the plugin is open and one could be made, else null.
RwPipeline* _rpSkinPipeline(void);

// The geometry's skin slot; null while the plugin is not attached.
RpSkin** _rpSkinGeometrySlot(const RpGeometry* geometry);
// Registers the geometry and atomic stream callbacks; false on failure.
RwBool _rpSkinRegisterStreams(void);

// A palette entry in the layout of the blending path. Portable: for output
// coordinate r, row r holds the r-th components of the right, up, at and
// position vectors; row 3 is unused. SSE: rows 0 to 3 hold the right, up, at
// and position vectors, the fourth word of each 0. Matrix sized, so that
// the palette keeps the matrices' slot size.
struct RpSkinBlendMatrix {
  RwReal row[4][4];
};

static_assert(sizeof(RpSkinBlendMatrix) == sizeof(RwMatrix), "palette slots are matrix sized");

// How vertices are blended: portably, or by the SSE routines, which sum the
// weighted matrices first and transform each vertex once (the results match
// to rounding).
enum class RpSkinBlendPath { kPortable, kSSE };
#if defined(__SSE__) || defined(__x86_64__)
#define TK_SKIN_SSE 1  // the SSE routines are built
#else
#define TK_SKIN_SSE 0
#endif

// The path blending takes; SSE when the plugin opened on a processor with
// SSE and the engine was built for one.
RpSkinBlendPath _rpSkinGetBlendPath(void);
// Chooses the path (SSE falls back to portable where it is not built); the
// palette is rebuilt in the new layout at the next request.
void _rpSkinSetBlendPath(RpSkinBlendPath path);
// Stores m into a palette slot in the current path's layout.
void _rpSkinStoreBlendMatrix(RpSkinBlendMatrix* slot, const RwMatrix* m);

// The palette's kRpSkinPaletteSize slots while the plugin is open, else null.
RpSkinBlendMatrix* _rpSkinPalette(void);
// Forgets which palette was built last, so that the next request rebuilds.
void _rpSkinForgetPalette(void);
// The palette for drawing the atomic's skin posed by the hierarchy, built
// unless the last build was for the same hierarchy, skin, atomic frame and
// render frame. Null while the plugin is not open.
const RpSkinBlendMatrix* _rpSkinPrepareMatrices(RpAtomic* atomic, const RpSkin* skin,
                                                const RpHAnimHierarchy* hierarchy);
// A run of vertices to blend: slot i of the run is the skin's vertex
// map[i], or first + i without a map; slots lie stride bytes apart from
// destination, each with its normal (when normals are blended) at byte 12.
struct RpSkinBlendRun {
  RwUInt32 first;
  RwUInt32 count;
  const RwUInt16* map;
  void* destination;
  RwUInt32 stride;
};

// Blends the run's vertices by the current path: positions, and normals
// when given (by the 3x3 part only), from the arrays (one entry a skin
// vertex). Slots naming no vertex of the skin, and every slot of a skin
// without vertex data, are left as they are.
void _rpSkinBlendVertices(const RpSkin* skin, const RpSkinBlendMatrix* palette, const RwV3d* positions,
                          const RwV3d* normals, const RpSkinBlendRun* run);
// The SSE routines behind _rpSkinBlendVertices, for a palette in their
// layout; built where TK_SKIN_SSE is 1.
void _rpSkinBlendVerticesSSE(const RpSkin* skin, const RpSkinBlendMatrix* palette, const RwV3d* positions,
                             const RwV3d* normals, const RpSkinBlendRun* run);
