// Geometries: the shapes atomics draw. Vertex arrays per morph target,
// triangles with a material index each, optional pre-lit colours and
// texture-coordinate sets, a material list and the mesh header built from the
// triangles. Reference counted and shared; stored as geometry chunks (0xF).
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/plcore/vector.h"
#include "engine/src/rgba.h"
#include "engine/world/material_list.h"

struct RpGeometry;
struct RpMeshHeader;
struct RwResEntry;
struct RwStream;

constexpr RwUInt8 kRpGeometryObjectType = 8;
constexpr RwUInt32 kRwChunkGeometry = 0xF;
// Sets of texture coordinates a geometry can hold.
constexpr RwInt32 kRpGeometryMaxTexCoordSets = 8;
// A geometry holds fewer vertices than this (indices are 16-bit).
constexpr RwInt32 kRpGeometryMaxVertices = 0x10000;
// RpGeometryCreate with too many vertices (world module code).
constexpr RwInt32 kRpErrGeometryTooManyVertices = 6;
// Struct chunks older than this carry the materials' surface properties.
constexpr RwUInt32 kRpGeometrySurfacePropertiesVersion = 0x34001;

// Format flags.
enum RpGeometryFlag : RwUInt32 {
  rpGEOMETRYTRISTRIP = 0x1,  // meshes are built as triangle strips
  rpGEOMETRYPOSITIONS = 0x2,
  rpGEOMETRYTEXTURED = 0x4,  // one texture-coordinate set
  rpGEOMETRYPRELIT = 0x8,
  rpGEOMETRYNORMALS = 0x10,
  rpGEOMETRYLIGHT = 0x20,  // the atomic pipeline lights the geometry
  rpGEOMETRYMODULATEMATERIALCOLOR = 0x40,
  rpGEOMETRYTEXTURED2 = 0x80,     // two or more texture-coordinate sets
  rpGEOMETRYNATIVE = 0x01000000,  // no vertex data of its own: native data instead
  rpGEOMETRYNATIVEFLAGSMASK = 0x0F000000,
  rpGEOMETRYFLAGSMASK = 0x7B,        // the flags a create request passes through
  rpGEOMETRYTEXCOORDSETSSHIFT = 16,  // bits 16-23 of a create request and the stream
  rpGEOMETRYTEXCOORDSETSMASK = 0x00FF0000,
};

// What the caller has locked (lock flags).
enum RpGeometryLockMode : RwUInt16 {
  rpGEOMETRYLOCKPOLYGONS = 0x1,  // the triangles: unlocking rebuilds the meshes
  rpGEOMETRYLOCKVERTICES = 0x2,
  rpGEOMETRYLOCKNORMALS = 0x4,
  rpGEOMETRYLOCKPRELIGHT = 0x8,
  rpGEOMETRYLOCKTEXCOORDS1 = 0x10,  // set i is 0x10 << i
  rpGEOMETRYLOCKALL = 0xFFF,
};

struct RpTriangle {
  RwUInt16 vertIndex[3];
  RwUInt16 matIndex;  // into the material list; 0xFFFF: none
};

constexpr RwUInt16 kRpTriangleNoMaterial = 0xFFFF;

struct RwTexCoords {
  RwReal u;
  RwReal v;
};

struct RpMorphTarget {
  RpGeometry* parentGeom;
  RwSphere boundingSphere;
  RwV3d* verts;    // one per vertex, or null
  RwV3d* normals;  // one per vertex, or null
};

// One allocation: these fields, the plugin data, then the pre-lit colours,
// texture-coordinate sets and triangles.
struct RpGeometry {
  RwUInt8 type;  // kRpGeometryObjectType
  RwUInt8 subType;
  RwUInt8 objectFlags;
  RwUInt8 privateFlags;
  RwUInt32 flags;                // RpGeometryFlag
  RwUInt16 lockedSinceLastInst;  // RpGeometryLockMode bits
  RwInt16 refCount;              // 1 at creation
  RwInt32 numTriangles;
  RwInt32 numVertices;
  RwInt32 numMorphTargets;  // at least 1
  RwInt32 numTexCoordSets;  // 0 to 8
  RpMaterialList matList;
  RpTriangle* triangles;
  RwRGBA* preLitLum;  // pre-lit colour per vertex, or null
  RwTexCoords* texCoords[kRpGeometryMaxTexCoordSets];
  RpMeshHeader* mesh;          // null while the triangles are locked
  RwResEntry* repEntry;        // instance data of the atomic pipeline
  RpMorphTarget* morphTarget;  // the records, then their vertex data
  // plugin data follows (geometry plugin registry)
};

typedef RpGeometry* (*RpGeometryCallBack)(RpGeometry* geometry, void* data);

// Null for negative counts, 0x10000 vertices or more (error 6) and more than
// 8 texture-coordinate sets (0x80000003). The format's bits 16-23 give the set
// count; when 0, flag 0x80 means two sets and flag 0x4 one.
RpGeometry* RpGeometryCreate(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 format);
// No vertices or triangles, morph target 0's sphere of the radius at the origin.
RpGeometry* RpGeometryCreateEmpty(RwReal radius);
// The index of the first new target, or -1 (0x80000013) with the geometry unchanged.
RwInt32 RpGeometryAddMorphTargets(RpGeometry* geometry, RwInt32 count);
RpGeometry* RpGeometryAddRef(RpGeometry* geometry);
// Releases one reference; the last one frees the geometry.
RwBool RpGeometryDestroy(RpGeometry* geometry);
// Locking the triangles destroys the mesh header until RpGeometryUnlock.
RpGeometry* RpGeometryLock(RpGeometry* geometry, RwInt32 lockMode);
// Builds the mesh header when there is none; null when the build fails.
RpGeometry* RpGeometryUnlock(RpGeometry* geometry);

RwUInt32 RpGeometryGetFlags(const RpGeometry* geometry);
RpGeometry* RpGeometrySetFlags(RpGeometry* geometry, RwUInt32 flags);
// Null when the geometry has no pre-lit colours.
RwRGBA* RpGeometryGetPreLightColors(const RpGeometry* geometry);
// Null for an index outside the geometry's targets.
RpMorphTarget* RpGeometryGetMorphTarget(const RpGeometry* geometry, RwInt32 index);
// Null for no material, or an index outside the material list.
RpMaterial* RpGeometryTriangleGetMaterial(const RpGeometry* geometry, const RpTriangle* triangle);
RpGeometry* RpGeometryForAllMaterials(RpGeometry* geometry, RpMaterialCallBack callBack, void* data);

RwInt32 RpGeometryRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                 RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RpGeometryRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                       RwPluginDataChunkWriteCallBack writeCB,
                                       RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RpGeometryGetPluginOffset(RwUInt32 pluginID);

// Length of the geometry chunk's body.
RwUInt32 RpGeometryStreamGetSize(const RpGeometry* geometry);
// Writes the whole geometry chunk, header included.
const RpGeometry* RpGeometryStreamWrite(const RpGeometry* geometry, RwStream* stream);
// The stream is at the body of a geometry chunk.
RpGeometry* RpGeometryStreamRead(RwStream* stream);
