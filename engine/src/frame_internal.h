// Frame internals shared with the engine's other readers and writers of
// frames (frame lists, clumps).
#pragma once

#include "engine/src/frame.h"

// The frame type's plugin registry.
RwPluginRegistry* _rwFrameGetRegistry(void);

// The frame after f in a pre-order walk of top's sub-tree (each frame before
// its children, children in sibling order), or null at the end.
RwFrame* _rwFrameNextInSubtree(RwFrame* f, const RwFrame* top);
