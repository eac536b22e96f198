// The collision plugin: optional collision trees on world sectors and
// geometries (axis-aligned splits over the owner's triangles with a triangle
// map listing them leaf by leaf), carried in extension sub-chunk 0x11D or
// built on request for geometries; and the queries that walk them, handing
// every triangle or atomic a primitive meets to a callback at once.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"
#include "engine/world/world.h"

// Plugin id, module number of its errors and id of its sub-chunk.
constexpr RwInt32 kRpCollisionPluginId = 0x11D;
// An owner of collision data has at most this many triangles (16-bit map).
constexpr RwInt32 kRpCollisionMaxTriangles = 0xFFFF;

struct RpCollisionTree;
struct RwStream;

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
// The body of sub-chunk 0x11D carrying the data, for writers of worlds and
// models: its size in bytes, and the body itself.
RwInt32 RpCollisionDataStreamGetSize(const RpCollisionData* data);
RwStream* RpCollisionDataStreamWrite(const RpCollisionData* data, RwStream* stream);

// Kinds of query primitive.
enum RpIntersectType : RwUInt32 {
  rpINTERSECTNONE = 0,
  rpINTERSECTLINE = 1,
  rpINTERSECTPOINT = 2,
  rpINTERSECTSPHERE = 3,
  rpINTERSECTBOX = 4,
  rpINTERSECTATOMIC = 5,  // the atomic's world bounding sphere stands for it
};

// A segment from start to end.
struct RwLine {
  RwV3d start;
  RwV3d end;
};

union RpIntersectData {
  RwLine line;
  RwV3d point;
  RwSphere sphere;
  RwBBox box;  // sup then inf
  RpAtomic* atomic;
};

struct RpIntersectionPrimitive {
  RpIntersectData t;
  RwUInt32 type;  // RpIntersectType
};

// A triangle handed to triangle callbacks; built on the walker's stack and
// valid only during the call.
struct RpCollisionTriangle {
  RwV3d normal;   // unit length
  RwV3d point;    // the first vertex
  RwInt32 index;  // in the world sector's polygons or the geometry's triangles
  RwV3d* vertices[3];
};

// Every callback returns what it was given to go on, or null to stop the whole query.
typedef RpIntersectionPrimitive* (*RpIntersectionCallBackGeometryTriangle)(RpIntersectionPrimitive* intersection,
                                                                           RpCollisionTriangle* triangle,
                                                                           RwReal distance, void* data);

typedef RpIntersectionPrimitive* (*RpIntersectionCallBackWorldTriangle)(RpIntersectionPrimitive* intersection,
                                                                        RpWorldSector* sector,
                                                                        RpCollisionTriangle* triangle, RwReal distance,
                                                                        void* data);
typedef RpAtomic* (*RpIntersectionCallBackAtomic)(RpIntersectionPrimitive* intersection, RpWorldSector* sector,
                                                  RpAtomic* atomic, RwReal distance, void* data);

// Error code of a primitive type a query does not support (with the plugin's id).
constexpr RwInt32 kRpCollisionErrUnsupportedPrimitive = 0;

// Every triangle of the atomic's geometry that the primitive (line, sphere or
// atomic) meets, tested in the geometry's model space: the callback gets the
// caller's primitive and the triangle in model space. A line's distance is
// the fraction along it, a sphere's the signed plane distance over the radius.
// Null (error recorded) for other types and for an atomic primitive without atomic.
RpAtomic* RpCollisionGeometryForAllIntersections(RpAtomic* atomic, RpIntersectionPrimitive* primitive,
                                                 RpIntersectionCallBackGeometryTriangle callBack, void* data);

// Every world triangle the primitive (line, sphere, box or atomic) meets,
// from the sectors that carry collision data. Distances: a line's fraction
// along it, a sphere's signed plane distance over its radius, 0 for a box.
// The world, also when a callback stopped the walk; null (error recorded)
// for other types.
RpWorld* RpCollisionWorldForAllIntersections(RpWorld* world, RpIntersectionPrimitive* primitive,
                                             RpIntersectionCallBackWorldTriangle callBack, void* data);
// Every collision-tested atomic of the world whose world bounding sphere the
// primitive meets, each once per call and never an atomic primitive's own.
// Distances: a line's projection of the centre over its length; the centre
// distance over the radii's sum for points, spheres and atomics; 0 for a box.
RpWorld* RpWorldForAllAtomicIntersections(RpWorld* world, RpIntersectionPrimitive* primitive,
                                          RpIntersectionCallBackAtomic callBack, void* data);
