// Hierarchical animation: a skeleton of frames driven by an animation. A
// hierarchy lists the skeleton's nodes depth first with push and pop markers
// that encode the tree, owns an interpolator with one slot a node, and turns
// the interpolated keys into one matrix a node. Frames carry a node id and,
// on the skeleton's root frame, the hierarchy. The plugin also provides the
// standard rotation-and-translation keyframe (type 1).
#pragma once

#include "engine/src/frame.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/tool/anim/rtanim.h"

constexpr RwUInt32 kRpHAnimPluginId = 0x11E;  // 286, also the frame sub-chunk's id
constexpr RwInt32 kRpHAnimStreamVersion = 0x100;

// Node flags: how the next node's parent follows from this node.
constexpr RwUInt32 kRpHAnimPop = 0x1;   // after this node the parent comes off the stack
constexpr RwUInt32 kRpHAnimPush = 0x2;  // the current parent is pushed before this node becomes it

// Hierarchy flags.
constexpr RwUInt32 kRpHAnimSubHierarchy = 0x1;        // shares its parent hierarchy's arrays
constexpr RwUInt32 kRpHAnimNoMatrices = 0x2;          // no matrix array: matrices only go to frames
constexpr RwUInt32 kRpHAnimUpdateModelling = 0x1000;  // local key matrices into the frames' modelling matrices
constexpr RwUInt32 kRpHAnimUpdateLTMs = 0x2000;       // results straight into the frames' LTMs
constexpr RwUInt32 kRpHAnimLocalSpace = 0x4000;       // matrix array relative to the root frame's parent

// The standard keyframe type.
constexpr RwUInt32 kRpHAnimStdKeyFrameTypeId = 1;
// Bytes of one standard key in a stream: time, quaternion, translation, previous-key offset.
constexpr RwInt32 kRpHAnimStdKeyFrameStreamSize = 36;

struct RtQuat {
  RwV3d imag;   // x, y, z
  RwReal real;  // w
};

// A standard key. In an interpolator slot the first two words are instead the
// slot's two key pointers (RtAnimInterpFrameHeader).
struct RpHAnimStdKeyFrame {
  RpHAnimStdKeyFrame* prevFrame;
  RwReal time;
  RwUInt32 pad;
  RtQuat q;  // unit length expected
  RwV3d t;
};

static_assert(sizeof(RpHAnimStdKeyFrame) == 48, "standard keys are 48 bytes in memory");

// An interpolator slot of standard keys (RtAnimInterpolatorGetSlot).
struct RpHAnimInterpFrame {
  RpHAnimStdKeyFrame* keyFrame1;  // older
  RpHAnimStdKeyFrame* keyFrame2;  // newer
  RtQuat q;                       // the interpolated key
  RwV3d t;
};

static_assert(sizeof(RpHAnimInterpFrame) == sizeof(RpHAnimStdKeyFrame), "slots and keys share their layout");

struct RpHAnimNodeInfo {
  RwInt32 nodeID;
  RwInt32 nodeIndex;  // position in the node array
  RwUInt32 flags;     // kRpHAnimPop, kRpHAnimPush
  RwFrame* pFrame;    // bound by RpHAnimHierarchyAttach, else null
};

struct RpHAnimHierarchy {
  RwUInt32 flags;
  RwInt32 numNodes;
  RwMatrix* pMatrixArray;       // one matrix a node, 16-byte aligned; null with kRpHAnimNoMatrices
  void* pMatrixArrayUnaligned;  // the block as allocated
  RpHAnimNodeInfo* pNodeInfo;
  RwFrame* parentFrame;               // the root frame that carries the hierarchy
  RpHAnimHierarchy* parentHierarchy;  // itself unless a sub-hierarchy
  RwInt32 rootParentOffset;           // sub-hierarchies: node of the parent whose matrix is the base; -1 none
  RtAnimInterpolator* currentAnim;
};

static_assert(sizeof(RpHAnimNodeInfo) == 24, "node records are 24 bytes");
static_assert(sizeof(RpHAnimHierarchy) == 64, "hierarchy records are 64 bytes");

// The frame extension.
struct RpHAnimFrameData {
  RwInt32 id;                   // node id, -1 when the frame is no node
  RpHAnimHierarchy* hierarchy;  // only on the root frame of a skeleton
};

// Registers the engine plugin, the frame extension and its stream; call
// between RwEngineInit and RwEngineOpen.
RwBool RpHAnimPluginAttach(void);

// Null arrays leave ids 0 and flags 0 for the caller to fill. keyFrameSize is
// the in-memory size of the largest key the interpolator will play.
RpHAnimHierarchy* RpHAnimHierarchyCreate(RwInt32 numNodes, const RwUInt32* nodeFlags, const RwInt32* nodeIDs,
                                         RwUInt32 flags, RwInt32 keyFrameSize);
// Same nodes (ids, indices, flags), no frames bound, its own interpolator.
RpHAnimHierarchy* RpHAnimHierarchyCreateFromHierarchy(RpHAnimHierarchy* source, RwUInt32 flags, RwInt32 keyFrameSize);
RpHAnimHierarchy* RpHAnimHierarchyDestroy(RpHAnimHierarchy* hierarchy);
// Binds nodes to the frames of the root frame's sub-tree with the same node ids.
RpHAnimHierarchy* RpHAnimHierarchyAttach(RpHAnimHierarchy* hierarchy);
// Turns the interpolator's current keys into node matrices (and frame matrices under the flags).
RwBool RpHAnimHierarchyUpdateMatrices(RpHAnimHierarchy* hierarchy);

RpHAnimHierarchy* RpHAnimFrameGetHierarchy(RwFrame* frame);
// Makes the frame the hierarchy's root frame (null clears the frame's hierarchy).
RwFrame* RpHAnimFrameSetHierarchy(RwFrame* frame, RpHAnimHierarchy* hierarchy);
RwFrame* RpHAnimFrameSetID(RwFrame* frame, RwInt32 id);
RwInt32 RpHAnimFrameGetID(RwFrame* frame);

// The standard keyframe's callbacks, registered as type 1 when the plugin opens.
void RpHAnimKeyFrameApply(void* matrix, void* key);
void RpHAnimKeyFrameBlend(void* out, void* in1, void* in2, RwReal alpha);
void RpHAnimKeyFrameInterpolate(void* out, void* key1, void* key2, RwReal time);
void RpHAnimKeyFrameAdd(void* out, void* in1, void* in2);
void RpHAnimKeyFrameMulRecip(void* key, void* base);
RtAnimAnimation* RpHAnimKeyFrameStreamRead(RwStream* stream, RtAnimAnimation* animation);
RwBool RpHAnimKeyFrameStreamWrite(const RtAnimAnimation* animation, RwStream* stream);
RwInt32 RpHAnimKeyFrameStreamGetSize(const RtAnimAnimation* animation);
