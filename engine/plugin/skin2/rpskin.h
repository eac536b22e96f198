// The skin plugin: a geometry's vertices follow the bones of an animation
// hierarchy. A geometry carries the skin (up to four bone indices and weights
// a vertex, the inverse bind-pose matrix of every bone); an atomic drawing it
// carries the hierarchy whose node matrices pose the bones, and is drawn by
// the skin pipeline, which blends the vertices on the processor every frame.
#pragma once

#include "engine/plugin/hanim/rphanim.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"

struct RpAtomic;
struct RpGeometry;
struct RwPipeline;

// Also the id of the geometry and atomic sub-chunks and of the skin pipeline.
constexpr RwUInt32 kRpSkinPluginId = 0x116;  // 278
// Bone indices are bytes, and the stream holds the bone count in a byte.
constexpr RwUInt32 kRpSkinMaxBones = 255;
// Slots of the matrix palette: every value of a bone byte.
constexpr RwInt32 kRpSkinPaletteSize = 256;
constexpr RwUInt32 kRpSkinMaxWeights = 4;
// The platform number of the native form's struct chunk.
constexpr RwUInt32 kRpSkinNativePlatform = 8;

// The four weights of a vertex, largest first once the skin is set.
struct RpSkinVertexWeights {
  RwReal w[kRpSkinMaxWeights];
};

// Split data: read, kept and written back unchanged, never used for drawing.
struct RpSkinSplitData {
  RwUInt32 boneLimit;
  RwUInt32 numA;        // two-byte entries of the block's second part
  RwUInt32 numB;        // two-byte entries of the block's third part
  RwUInt8* boneTable;   // the block: one byte a bone, then the two parts; null when numA is 0
  RwUInt8* secondPart;  // numA x 2 bytes
  RwUInt8* thirdPart;   // numB x 2 bytes
};

struct RpSkin {
  RwUInt32 numBones;  // 1 to kRpSkinMaxBones
  RwUInt32 numUsedBones;
  RwUInt8* usedBones;             // bones some vertex uses with a non-zero weight, ascending
  RwMatrix* inverseBoneMatrices;  // one a bone: bone space from the bind pose; 16-byte aligned
  RwUInt32 maxWeights;            // largest number of weights a vertex uses, 1 to 4
  RwInt32 numVertices;            // 0 for the native form, which keeps no vertex data
  RwUInt32* vertexBoneIndices;    // one word a vertex: byte k is the bone of weight k
  RpSkinVertexWeights* vertexWeights;
  RpSkinSplitData split;
  void* data;  // the block holding the used bones, matrices, indices and weights
};

// Registers the engine plugin and the atomic and geometry extensions with
// their streams; between RwEngineInit and RwEngineOpen. Always true.
RwBool RpSkinPluginAttach(void);

// A skin of numBones bones for numVertices vertices: four bone bytes a vertex
// in boneIndices (byte k the bone of weight k), four weights a vertex, one
// inverse bind matrix a bone. The largest weight count and the used bones
// follow from the weights. Null (invalid value) for no bones, more than 255,
// a vertex count outside the geometry limits, or a weighted bone byte not
// below numBones.
RpSkin* RpSkinCreate(RwInt32 numVertices, RwInt32 numBones, const RwUInt32* boneIndices,
                     const RpSkinVertexWeights* weights, const RwMatrix* inverseBoneMatrices);
// Frees a skin no geometry holds (a geometry destroys its own).
RwBool RpSkinDestroy(RpSkin* skin);

RpAtomic* RpSkinAtomicSetHAnimHierarchy(RpAtomic* atomic, RpHAnimHierarchy* hierarchy);
RpHAnimHierarchy* RpSkinAtomicGetHAnimHierarchy(const RpAtomic* atomic);
RpSkin* RpSkinGeometryGetSkin(const RpGeometry* geometry);
// Nothing happens when the skin is already the geometry's; otherwise the
// pointer is replaced (the former skin is not destroyed) and a new skin's
// weights are sorted largest first. Null (invalid value) for a skin with
// vertex data for another number of vertices.
RpGeometry* RpSkinGeometrySetSkin(RpGeometry* geometry, RpSkin* skin);
const RwMatrix* RpSkinGetInverseBoneMatrices(const RpSkin* skin);
RwUInt32 RpSkinGetNumBones(const RpSkin* skin);

// The skin pipeline: one node, "nodeD3D8SkinAtomicAllInOne.csl", tagged with
// the plugin's id and data 1. Made by the plugin's first open; null on failure.
RwPipeline* RpSkinD3D8PipelineCreate(void);
