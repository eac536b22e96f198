// Internals of the hierarchical animation plugin shared between its files and
// its tests: the portable single-precision maths of the standard keyframe,
// the hierarchy free list and the update's parent stack.
#pragma once

#include "engine/plugin/hanim/rphanim.h"

struct RwFreeList;

// Arc cosine of k in [-1, 1], in radians; NaN outside. The same bits on every
// C library and processor with IEEE single precision.
RwReal _rpHAnimArcCosine(RwReal k);
// Sine of x in [0, pi/2] by the kernel polynomial alone (no argument reduction).
RwReal _rpHAnimKernelSine(RwReal x);
// The standard key's rotation and translation as a matrix (flags orthonormal).
void _rpHAnimStdKeyFrameToMatrix(RwMatrix* matrix, const RpHAnimStdKeyFrame* key);

// The hierarchy free list while the plugin is open, else null.
RwFreeList* _rpHAnimHierarchyFreeList(void);
// Makes sure the update's parent stacks hold a hierarchy of numNodes nodes
// (every push needs a node, so numNodes + 1 entries suffice); false when they
// cannot grow.
RwBool _rpHAnimReserveStacks(RwInt32 numNodes);
// The parent stacks: matrix copies (updates without a matrix array) and
// matrix pointers; their capacity in entries is the return value.
RwInt32 _rpHAnimStacks(RwMatrix** copies, const RwMatrix*** pointers);
// Registers the frame extension's stream callbacks; false on failure.
RwBool _rpHAnimRegisterFrameStream(void);
// The frame extension; null while the plugin is not attached.
RpHAnimFrameData* _rpHAnimFrameData(RwFrame* frame);
