// Frame internals shared with the engine's other readers and writers of
// frames (frame lists, clumps).
#pragma once

#include "engine/src/frame.h"

// The frame type's plugin registry.
RwPluginRegistry* _rwFrameGetRegistry(void);

// The frame after f in a pre-order walk of top's sub-tree (each frame before
// its children, children in sibling order), or null at the end.
RwFrame* _rwFrameNextInSubtree(RwFrame* f, const RwFrame* top);

// RwFrameCloneHierarchy that also pairs each frame with its copy: copies[i]
// receives the copy of the i-th frame of root's sub-tree in the order of
// _rwFrameNextInSubtree (the copy's own order differs: its children are
// reversed). copies, when given, has room for RwFrameCount(root) frames.
RwFrame* _rwFrameCloneHierarchyPaired(RwFrame* root, RwFrame** copies);

// Records for frames that a reader sets up itself (RwFrameInit), taken from
// the frame free list in runs. False, nothing kept and the error recorded,
// when memory runs out.
RwBool _rwFrameAllocateRecords(RwFrame** frames, RwInt32 count);
// Gives back records that were never set up, or whose set-up failed.
void _rwFrameFreeRecords(RwFrame** frames, RwInt32 count);
// RwFrameAddChild for a child just set up: no parent, children or place on
// the dirty list yet.
void _rwFrameAddNewChild(RwFrame* parent, RwFrame* child);
// RwFrameInit with the given modelling matrix in place of the identity.
RwFrame* _rwFrameInitAt(RwFrame* frame, const RwMatrix* modelling);
