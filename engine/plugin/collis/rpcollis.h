// The collision plugin: optional collision trees on world sectors and
// geometries (axis-aligned splits over the owner's triangles with a triangle
// map listing them leaf by leaf), carried in extension sub-chunk 0x11D or
// built on request for geometries.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/world/geometry.h"

// Plugin id, module number of its errors and id of its sub-chunk.
constexpr RwInt32 kRpCollisionPluginId = 0x11D;
// An owner of collision data has at most this many triangles (16-bit map).
constexpr RwInt32 kRpCollisionMaxTriangles = 0xFFFF;

struct RpCollisionTree;

// Flags of collision data.
constexpr RwUInt32 kRpCollisionDataOneBlock = 0x1;  // tree and map share the record's block (read data)

// One per world sector or geometry that has a tree.
struct RpCollisionData {
  RwUInt32 flags;  // kRpCollisionDataOneBlock when read from a stream
  RpCollisionTree* tree;
  RwInt32 mapLength;      // entries of triangleMap: the owner's triangle count when built
  RwUInt16* triangleMap;  // the owner's triangle indices, leaf by leaf
};

// Registers the engine, atomic and geometry extensions and the geometry
// stream; between RwEngineInit and RwEngineOpen, after the world module.
RwBool RpCollisionPluginAttach(void);

// Replaces the geometry's collision data with data built from morph target
// 0. Null, leaving the geometry without data, when the build fails or the
// geometry has no vertices, no triangles or more than 65535 triangles.
RpGeometry* RpCollisionGeometryBuildData(RpGeometry* geometry);
// 1 when the geometry carries collision data, else 0.
RwBool RpCollisionGeometryQueryData(const RpGeometry* geometry);

// Builds data for the triangles over the positions (indices checked against
// numVertices). Null (error recorded) on bad counts or indices, or when
// memory runs out.
RpCollisionData* RpCollisionDataCreate(RwInt32 numVertices, const RwV3d* positions, RwInt32 numTriangles,
                                       const RpTriangle* triangles);
// Null is ignored.
void RpCollisionDataDestroy(RpCollisionData* data);
