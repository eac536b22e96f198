// The delta-morph plugin: a geometry carries sparse, run-length-coded vertex
// deltas (positions, normals, pre-lit colours, texture coordinates) in delta
// targets; an atomic carries one weight per target, and rendering it moves
// the shared geometry by (new weight - weight last applied) x delta for each
// target whose weight changed.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/vector.h"
#include "engine/src/rgba.h"

struct RpGeometry;
struct RwTexCoords;

constexpr RwUInt32 kRpDMorphPluginId = 0x122;

// The kinds of delta a target carries: the geometry format flags' bits.
enum RpDMorphDataType : RwUInt32 {
  rpDMORPHDATATYPEPOSITIONS = 0x02,
  rpDMORPHDATATYPETEXCOORDS = 0x04,
  rpDMORPHDATATYPEPRELITS = 0x08,
  rpDMORPHDATATYPENORMALS = 0x10,
};

// Control bytes: bit 7 set: the next (b & 0x7F) vertices take the next
// deltas; clear: (b & 0x7F) vertices are skipped.
constexpr RwUInt8 kRpDMorphControlApply = 0x80;
constexpr RwUInt8 kRpDMorphControlCountMask = 0x7F;

struct RpDMorphDeltaTarget {
  RpGeometry* geometry;    // the owner
  RwChar* name;            // owned, or null
  RwUInt32 dataTypeFlags;  // RpDMorphDataType bits; other bits are kept
  RwUInt32 lockFlags;      // handed to RpGeometryLock while the target is applied
  RwUInt8* controlBytes;   // owned
  RwUInt32 numControlBytes;
  RwUInt32 numDeltas;  // vertices affected
  // One owned block holding, for the flagged kinds in this order, numDeltas
  // positions, normals, colours and texture coordinates; each pointer is
  // into it, or null for an absent kind.
  void* deltaBlock;
  RwV3d* positions;
  RwV3d* normals;
  RwRGBA* preLightColors;
  RwTexCoords* texCoords;
  RwSphere boundingSphere;
};

// Registers the engine plugin, the geometry extension with its stream and
// the atomic extension; between RwEngineInit and RwEngineOpen.
RwBool RpDMorphPluginAttach(void);
// The geometry's delta targets; 0 without delta data.
RwUInt32 RpDMorphGeometryGetTargetCount(const RpGeometry* geometry);
