// Worlds: a level's static geometry split by a binary space partition into
// plane sectors (inner nodes splitting space along one axis) and atomic
// sectors (leaves holding vertices, polygons and a mesh header). Read from
// world chunks (0xB) of BSP files; the world-object plugin (world_object.h)
// places clumps, atomics, lights and cameras in them.
#pragma once

#include "engine/src/frame.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/rgba.h"
#include "engine/world/geometry.h"
#include "engine/world/material_list.h"

struct RpMeshHeader;
struct RwPipeline;
struct RwResEntry;
struct RwStream;

constexpr RwUInt8 kRpWorldObjectType = 7;
constexpr RwUInt32 kRwChunkAtomicSector = 9;
constexpr RwUInt32 kRwChunkPlaneSector = 0xA;
constexpr RwUInt32 kRwChunkWorld = 0xB;

// Engine plugins of the world module besides materials, meshes, atomics and lights.
constexpr RwUInt32 kRpPluginIdWorldModule = 0x503;   // counts the module's opens
constexpr RwUInt32 kRpPluginIdWorld = 0x507;         // the worlds loaded as one block
constexpr RwUInt32 kRpPluginIdSectorModule = 0x50A;  // counts the sector module's opens
constexpr RwUInt32 kRpPluginIdBinMeshModule = 0x50B;

// World chunks of this version and later carry the world's bounding box in
// their 64-byte struct; older ones with a 64-byte struct have the space but
// their box is derived from the sectors.
constexpr RwUInt32 kRpWorldStructBoxVersion = 0x34003;
// World structs older than this are 52 bytes, without a box.
constexpr RwUInt32 kRpWorldStructLongVersion = 0x34001;
// The deepest BSP tree the reader accepts, in planes from the root to a
// leaf; every walk's fixed stack holds a tree this deep.
constexpr RwInt32 kRpWorldMaxPlaneDepth = 63;

// Format flags: a geometry's (geometry.h) plus the overlap flag.
enum RpWorldFlag : RwUInt32 {
  rpWORLDTRISTRIP = rpGEOMETRYTRISTRIP,
  rpWORLDPOSITIONS = rpGEOMETRYPOSITIONS,
  rpWORLDTEXTURED = rpGEOMETRYTEXTURED,
  rpWORLDPRELIT = rpGEOMETRYPRELIT,
  rpWORLDNORMALS = rpGEOMETRYNORMALS,
  rpWORLDLIGHT = rpGEOMETRYLIGHT,
  rpWORLDMODULATEMATERIALCOLOR = rpGEOMETRYMODULATEMATERIALCOLOR,
  rpWORLDTEXTURED2 = rpGEOMETRYTEXTURED2,
  rpWORLDNATIVE = rpGEOMETRYNATIVE,
  // Plane sectors carry separate left and right values in the stream, so
  // that neighbouring sectors may overlap.
  rpWORLDSECTORSOVERLAP = 0x40000000,
};

// The order in which a camera lists the sectors it sees.
enum RpWorldRenderOrder : RwUInt32 {
  rpWORLDRENDERFRONT2BACK = 1,
  rpWORLDRENDERBACK2FRONT = 2,
};

// The world's private flags.
constexpr RwUInt8 kRpWorldPrivateSingleBlock = 0x1;  // world, sectors and arrays lie in one block

// Sector types: plane sectors hold their axis as the byte offset of its
// component in a vector; atomic sectors hold a negative type.
enum RpSectorType : RwInt32 {
  rpSECTORPLANEX = 0,
  rpSECTORPLANEY = 4,
  rpSECTORPLANEZ = 8,
  rpSECTORATOMIC = -1,
  rpSECTOREMPTY = -2,  // a leaf without contents, which destruction passes over
};

// What plane and atomic sectors begin with.
struct RpSector {
  RwInt32 type;  // RpSectorType
};

struct RpPlaneSector {
  RwInt32 type;  // rpSECTORPLANEX, Y or Z
  RwReal value;  // the splitting plane
  RpSector* leftSubTree;
  RpSector* rightSubTree;
  // The left child holds the space up to leftValue on the axis, the right
  // child the space from rightValue on; they overlap when left exceeds right.
  RwReal leftValue;
  RwReal rightValue;
};

struct RpPolygon {
  RwUInt16 matIndex;  // relative to the sector's material list base
  RwUInt16 vertIndex[3];
};

// A unit normal packed as signed bytes (value / 128).
struct RpVertexNormal {
  RwInt8 x;
  RwInt8 y;
  RwInt8 z;
  RwUInt8 pad;
};

struct RpWorldSector {
  RwInt32 type;             // rpSECTORATOMIC or rpSECTOREMPTY
  RpPolygon* polygons;      // or null
  RwV3d* vertices;          // or null
  RpVertexNormal* normals;  // or null
  RwTexCoords* texCoords[kRpGeometryMaxTexCoordSets];
  RwRGBA* preLitLum;                      // or null
  RwResEntry* repEntry;                   // instance data of the world-sector pipeline
  RwLinkList collAtomicsInWorldSector;    // ties of atomics with the collision-test flag
  RwLinkList noCollAtomicsInWorldSector;  // ties of the other atomics
  RwLinkList lightsInWorldSector;         // light ties
  RwBBox planeBox;                        // the region the BSP planes give this leaf within the world's box
  RwBBox boundingBox;                     // the box of its vertices
  RpMeshHeader* mesh;
  RwPipeline* pipeline;        // null: the world's, else the default world-sector pipeline
  RwUInt16 matListWindowBase;  // the world material of the sector's polygon material 0
  RwUInt16 numVertices;
  RwUInt16 numPolygons;
  // plugin data follows (world-sector plugin registry)
};

struct RpWorld;
typedef RpWorldSector* (*RpWorldSectorCallBackRender)(RpWorldSector* sector);
typedef RpWorldSector* (*RpWorldSectorCallBack)(RpWorldSector* sector, void* data);

struct RpWorld {
  RwObject object;       // type 7; private flags: kRpWorldPrivateSingleBlock
  RwUInt32 flags;        // RpWorldFlag
  RwUInt32 renderOrder;  // RpWorldRenderOrder
  RpMaterialList matList;
  RpSector* rootSector;
  RwInt32 numTexCoordSets;
  RwInt32 numClumpsInWorld;
  RwLLLink* currentClumpLink;       // kept valid across removals
  RwLinkList clumpList;             // RpClump.inWorldLink
  RwLinkList lightList;             // positioned lights (RpLight.inWorld)
  RwLinkList directionalLightList;  // the other lights
  RwV3d worldOrigin;
  RwBBox boundingBox;  // the union of the atomic sectors' boxes
  RpWorldSectorCallBackRender renderCallBack;
  RwPipeline* pipeline;  // for sectors that have none, or null
  // plugin data follows (world plugin registry)
};

// Unregisters the world, destroys its sectors' meshes, instance data and
// ties and its material list, runs the plugin destructors and frees it.
// Clumps, atomics and lights still in the world must be removed first.
RwBool RpWorldDestroy(RpWorld* world);
// Every atomic sector, left subtree before right, until the callback returns null.
RpWorld* RpWorldForAllWorldSectors(RpWorld* world, RpWorldSectorCallBack callBack, void* data);
// The world a sector belongs to, or null for a sector of no world.
RpWorld* RpWorldSectorGetWorld(const RpWorldSector* sector);
// Null restores RpWorldDefaultSectorRenderCallBack.
RpWorld* RpWorldSetSectorRenderCallBack(RpWorld* world, RpWorldSectorCallBackRender callBack);
RpWorldSectorCallBackRender RpWorldGetSectorRenderCallBack(const RpWorld* world);
// Nothing for a sector without polygons; else executes the sector's
// pipeline, the current world's, or the default world-sector pipeline.
RpWorldSector* RpWorldDefaultSectorRenderCallBack(RpWorldSector* sector);
// Calls the current world's sector render callback (set while a camera
// update of a camera in a world is open).
RpWorldSector* RpWorldSectorRender(RpWorldSector* sector);
RwInt32 RpWorldSectorGetNumTriangles(const RpWorldSector* sector);
RwUInt32 RpWorldGetFlags(const RpWorld* world);
const RwBBox* RpWorldGetBBox(const RpWorld* world);

RwInt32 RpWorldRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                              RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RpWorldRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                    RwPluginDataChunkWriteCallBack writeCB, RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RpWorldSetStreamRightsCallBack(RwUInt32 pluginID, RwPluginDataChunkRightsCallBack rightsCB);
RwInt32 RpWorldGetPluginOffset(RwUInt32 pluginID);
RwInt32 RpWorldSectorRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                    RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RpWorldSectorRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                          RwPluginDataChunkWriteCallBack writeCB,
                                          RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RpWorldSectorSetStreamRightsCallBack(RwUInt32 pluginID, RwPluginDataChunkRightsCallBack rightsCB);
RwInt32 RpWorldSectorGetPluginOffset(RwUInt32 pluginID);

// The stream is at the body of a world chunk. The whole world lies in one
// block; null on failure with nothing left behind.
RpWorld* RpWorldStreamRead(RwStream* stream);
