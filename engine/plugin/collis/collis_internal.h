// Collision-plugin internals shared by its files and tests: the tree records,
// the build, the stream form of collision data and the per-object slots.
#pragma once

#include "engine/plugin/collis/rpcollis.h"
#include "engine/src/plcore/base_types.h"

struct RwStream;

// Kinds of a split's children.
constexpr RwUInt8 kRpCollisionChildLeaf = 1;
constexpr RwUInt8 kRpCollisionChildNode = 2;
// Splits are made at most this deep, so walks need at most this many pending entries.
constexpr RwInt32 kRpCollisionTreeMaxDepth = 32;

// A split; the axis is the byte offset of the coordinate in an RwV3d.
struct RpCollisionTreeNode {
  RwUInt16 axis;  // 0 x, 4 y, 8 z
  RwUInt8 leftType;
  RwUInt8 rightType;
  RwUInt16 leftIndex;  // into the leaves or the nodes, by kind
  RwUInt16 rightIndex;
  RwReal leftValue;   // nothing in the left subtree reaches above it
  RwReal rightValue;  // nothing in the right subtree reaches below it
};
static_assert(sizeof(RpCollisionTreeNode) == 16, "split records are 16 bytes");

// A run of consecutive triangle-map entries.
struct RpCollisionTreeLeaf {
  RwUInt16 numTriangles;
  RwUInt16 firstTriangle;
};
static_assert(sizeof(RpCollisionTreeLeaf) == 4, "leaf records are 4 bytes");

// Header of a tree's block, followed by its nodes (pre-order, root 0) and its
// leaves (left to right). A root that is a leaf leaves no nodes.
struct RpCollisionTree {
  RwInt32 numLeaves;           // at least 1
  RpCollisionTreeNode* nodes;  // numLeaves - 1, null when there are none
  RpCollisionTreeLeaf* leaves;
};

// Bytes of a tree block of numLeaves leaves, and its layout over a block.
RwUInt32 _rpCollisionTreeBlockSize(RwInt32 numLeaves);
RpCollisionTree* _rpCollisionTreeLayout(void* block, RwInt32 numLeaves);

// Builds the tree over the triangles (8-byte records whose first three
// words are vertex indices below numVertices) in a block of its own, and
// writes the triangle index of every map position (numTriangles entries).
// Null (error recorded) on bad input or when memory runs out.
RpCollisionTree* RpCollisionTreeBuild(RwInt32 numVertices, const RwV3d* positions, RwInt32 numTriangles,
                                      const RpTriangle* triangles, RwUInt16* map);

// Bytes of the nodes and leaves in the stream form.
RwInt32 RpCollisionTreeStreamGetSize(const RpCollisionTree* tree);
RwStream* RpCollisionTreeStreamWrite(const RpCollisionTree* tree, RwStream* stream);
// Reads numLeaves - 1 nodes and numLeaves leaves into the laid-out tree.
RwStream* RpCollisionTreeStreamRead(RpCollisionTree* tree, RwStream* stream);

// Reads the body of sub-chunk 0x11D, of length bytes, whose map entries must
// lie below numTriangles. Refuses malformed trees (error recorded) and
// returns the data in one block.
RpCollisionData* _rpCollisionDataStreamRead(RwStream* stream, RwInt32 length, RwInt32 numTriangles);

// The geometry's or the world sector's collision data, or null.
RpCollisionData* _rpCollisionGeometryGetData(const RpGeometry* geometry);
RpCollisionData* _rpCollisionWorldSectorGetData(const RpWorldSector* sector);

// Slopes of a query line, for clipping it at split planes: the other two
// coordinates' change per unit of each axis (0 along an axis the line does
// not move on). They belong to the whole line; clipping only moves the start.
struct RpLineSlopes {
  RwReal dydx, dzdx;
  RwReal dxdy, dzdy;
  RwReal dxdz, dydz;
};

void _rpLineSlopesCompute(RpLineSlopes* slopes, const RwLine* line);

// What a segment does at a split {axis byte offset, left value, right value}:
// the child to enter now (right or left) with its part of the segment, and
// possibly the other child with its part, to enter later. The child on the
// segment start's side comes first.
struct RpLineSplitStep {
  RwBool nowRight;
  RwLine now;
  RwBool later;  // the other child is entered too
  RwLine laterSegment;
};

void _rpLineSplitStep(RpLineSplitStep* step, RwUInt32 axis, RwReal leftValue, RwReal rightValue, const RwLine* segment,
                      const RpLineSlopes* slopes);

// (triangle count, first map index, data) -> FALSE stops the walk.
typedef RwBool (*RpCollisionTreeLeafCallBack)(RwInt32 numTriangles, RwInt32 firstTriangle, void* data);

// The leaves the segment may pass through, roughly front to back; null when
// the callback stopped the walk.
const RpCollisionTree* RpCollisionTreeForAllLineLeaves(const RpCollisionTree* tree, const RwLine* segment,
                                                       const RpLineSlopes* slopes, RpCollisionTreeLeafCallBack callBack,
                                                       void* data);
// The leaves the box may reach, left subtrees first; null when stopped.
const RpCollisionTree* RpCollisionTreeForAllBoxLeaves(const RpCollisionTree* tree, const RwBBox* box,
                                                      RpCollisionTreeLeafCallBack callBack, void* data);

// A line from start along delta meeting the front of the triangle (the side
// e1 x e2 points to) within a small tolerance: the fraction along delta goes
// to *distance and the unit normal to *normal.
RwBool _rpCollisionLineTriangle(const RwV3d* start, const RwV3d* delta, const RwV3d* p0, const RwV3d* p1,
                                const RwV3d* p2, RwReal* distance, RwV3d* normal);

// The bounding box of a sphere.
void _rpCollisionSphereBox(RwBBox* box, const RwSphere* sphere);

// The atomic's extension: the number of the last atomic query that examined it.
RwUInt32* _rpCollisionAtomicQueryNumber(RpAtomic* atomic);
// The engine's atomic-query counter.
RwUInt32* _rpCollisionAtomicQueryCounter(void);

// Walks of a world's sector tree; each returns null when its callback
// (which returns the sector to go on) stopped it. The line walk clips the
// line at the planes and puts the part in each sector into *clipped (when
// given) before the call.
RpWorld* RpWorldForAllSectorsOnLine(RpWorld* world, const RwLine* line, const RpLineSlopes* slopes,
                                    RpWorldSectorCallBack callBack, void* data, RwLine* clipped);
RpWorld* RpWorldForAllSectorsInBox(RpWorld* world, const RwBBox* box, RpWorldSectorCallBack callBack, void* data);
// Enters a sector or split only when the sphere reaches its box.
RpWorld* RpWorldForAllSectorsInSphere(RpWorld* world, const RwSphere* sphere, RpWorldSectorCallBack callBack,
                                      void* data);
// Squared distance from the point to the box (0 inside).
RwReal _rpCollisionBoxDistanceSquared(const RwBBox* box, const RwV3d* point);
