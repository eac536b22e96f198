// Frames: nodes of a transform hierarchy with a modelling matrix (relative to
// the parent) and a cached local-to-world matrix (LTM). Changes only mark the
// hierarchy's root dirty; RwFrameSyncDirty brings every dirty hierarchy up to
// date in one pass and calls the sync callbacks of the objects hung on it.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/plugin_registry.h"

struct RwFreeList;
struct RwStream;

// Header of every engine object.
struct RwObject {
  RwUInt8 type;
  RwUInt8 subType;
  RwUInt8 flags;
  RwUInt8 privateFlags;
  void* parent;
};

constexpr RwUInt8 kRwFrameObjectType = 0;

// Frame private flags. The first two live on a hierarchy's root and are set
// together while the root is on the engine's dirty-frame list.
constexpr RwUInt8 kRwFrameHierarchyLTMDirty = 0x1;
constexpr RwUInt8 kRwFrameHierarchyObjectsDirty = 0x2;
constexpr RwUInt8 kRwFrameHierarchyDirty = 0x3;
constexpr RwUInt8 kRwFrameSubtreeLTMDirty = 0x4;      // this frame's LTM and those below it
constexpr RwUInt8 kRwFrameSubtreeObjectsDirty = 0x8;  // this frame's objects and those below it
constexpr RwUInt8 kRwFrameSubtreeDirty = 0xC;

struct RwObjectHasFrame;
typedef RwObjectHasFrame* (*RwObjectHasFrameSyncFunction)(RwObjectHasFrame* object);

// Header of the objects that hang on a frame (atomics, lights, cameras).
struct RwObjectHasFrame {
  RwObject object;  // parent = the frame
  RwLLLink lFrame;  // link in the frame's object list
  RwObjectHasFrameSyncFunction sync;
};

struct RwFrame {
  RwObject object;
  RwLLLink inDirtyListLink;  // used on roots only
  RwMatrix modelling;        // relative to the parent
  RwMatrix ltm;              // local to world
  RwLinkList objectList;     // RwObjectHasFrame.lFrame links
  RwFrame* child;            // first child
  RwFrame* next;             // next sibling
  RwFrame* root;             // a root points at itself
  // plugin data follows (frame plugin registry)
};

// The frames of a hierarchy in stream order.
struct RwFrameList {
  RwFrame** frames;
  RwInt32 numFrames;
};

// Engine plugin data of the frame module.
struct RwFrameModule {
  RwFreeList* frameFreeList;
};

constexpr RwUInt32 kRwChunkFrameList = 0xE;
// Bytes per frame in the frame list's struct chunk.
constexpr RwUInt32 kRwFrameStreamRecordSize = 56;

typedef RwFrame* (*RwFrameCallBack)(RwFrame* frame, void* data);
typedef RwObject* (*RwObjectCallBack)(RwObject* object, void* data);

RwFrame* RwFrameCreate(void);
// Null when a plugin constructor failed.
RwFrame* RwFrameInit(RwFrame* frame);
RwBool RwFrameDestroy(RwFrame* frame);
// The frame and everything below it; null is accepted.
RwBool RwFrameDestroyHierarchy(RwFrame* frame);
RwFrame* RwFrameCloneHierarchy(RwFrame* root);
// Null (error 0x80000003) when the parent lies below the child.
RwFrame* RwFrameAddChild(RwFrame* parent, RwFrame* child);
RwFrame* RwFrameRemoveChild(RwFrame* child);
RwFrame* RwFrameForAllChildren(RwFrame* frame, RwFrameCallBack callBack, void* data);
RwFrame* RwFrameForAllObjects(RwFrame* frame, RwObjectCallBack callBack, void* data);
// The frame plus every frame below it.
RwInt32 RwFrameCount(RwFrame* frame);
RwFrame* RwFrameMarkDirty(RwFrame* frame);
RwBool RwFrameIsDirty(const RwFrame* frame);
RwMatrix* RwFrameGetLTM(RwFrame* frame);
RwMatrix* RwFrameGetMatrix(RwFrame* frame);
RwFrame* RwFrameGetParent(const RwFrame* frame);
RwFrame* RwFrameGetRoot(const RwFrame* frame);
RwFrame* RwFrameTranslate(RwFrame* frame, const RwV3d* translation, RwInt32 combine);
RwFrame* RwFrameScale(RwFrame* frame, const RwV3d* scale, RwInt32 combine);
RwFrame* RwFrameRotate(RwFrame* frame, const RwV3d* axis, RwReal angle, RwInt32 combine);
RwFrame* RwFrameSetIdentity(RwFrame* frame);
// Recomputes the LTMs of every dirty hierarchy and calls its objects' sync callbacks.
RwBool RwFrameSyncDirty(void);

RwInt32 RwFrameRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                              RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RwFrameRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                    RwPluginDataChunkWriteCallBack writeCB, RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RwFrameSetStreamAlwaysCallBack(RwUInt32 pluginID, RwPluginDataChunkAlwaysCallBack alwaysCB);
RwInt32 RwFrameGetPluginOffset(RwUInt32 pluginID);

// Attaches the object to the frame (null detaches it); returns the frame.
RwFrame* RwObjectHasFrameSetFrame(RwObjectHasFrame* object, RwFrame* frame);
void RwObjectHasFrameReleaseFrame(RwObjectHasFrame* object);

// Frame lists: the hierarchy below a root in stream order, and its chunk.
RwFrameList* RwFrameListInitialize(RwFrameList* list, RwFrame* root);
RwBool RwFrameListFindFrame(const RwFrameList* list, const RwFrame* frame, RwInt32* index);
RwFrameList* RwFrameListDeinitialize(RwFrameList* list);
// Length of the frame list chunk's body.
RwInt32 RwFrameListStreamGetSize(const RwFrameList* list);
const RwFrameList* RwFrameListStreamWrite(const RwFrameList* list, RwStream* stream);
// The stream is at the body of a frame list chunk.
RwFrameList* RwFrameListStreamRead(RwStream* stream, RwFrameList* list);
