// Visibility internals shared by the plugin's files and its tests: the world
// and world-sector extensions.
#pragma once

#include "engine/plugin/pvs/rppvs.h"
#include "engine/src/plcore/matrix.h"
#include "engine/world/world.h"

// A record of visibility building; this engine builds none, but frees any.
struct RpPVSBuildRecord {
  RpPVSBuildRecord* next;
  void* subRecords;  // a chain whose first word links to the next
};

struct RpPVSWorld {
  RwInt32 hasData;    // from the stream
  RwInt32 buildData;  // nonzero while build records are attached
  RwInt32 numSectors;
  RwInt32 trianglesConsidered;  // statistics: only grow
  RwInt32 trianglesRendered;
  RwInt32 hooked;
  RwInt32 reserved[3];
  RpPVSBuildRecord* buildRecords;
  RpWorldSectorCallBackRender renderCallBack;  // the world's own, kept while hooked
};

struct RpPVSSector {
  RwInt32 sectorIndex;   // its bit in every bitmap; -1 without visibility data
  RwInt32 bitmapLength;  // bytes
  RwInt32 reserved;      // streamed, not interpreted
  RwUInt8* bitmap;       // bit k (byte k >> 3, value 1 << (k & 7)): sector k may be seen; owned
  RwInt32 scratch;       // reset by each viewer search
  RwInt32 constant;      // 3 at construction; not interpreted
  RwInt32 zero;
  RwBBox region;          // the space the BSP planes give the sector
  RwBBox sectorBox;       // a copy of the sector's own box
  RwReal diagonal;        // of the region
  RwV3d centre;           // of the region
  RwInt32 axisLevels[3];  // -floor(log2(longest region extent / this axis's extent))
};

// The extensions; null while the plugin is not attached.
RpPVSWorld* _rpPVSWorld(const RpWorld* world);
RpPVSSector* _rpPVSSector(const RpWorldSector* sector);
// The viewer's sector, or null.
RpWorldSector* _rpPVSViewerSector(void);
// Numbers the sectors and computes their regions, centres and levels.
void _rpPVSWorldComputeRegions(RpWorld* world);

// Stream callbacks of the two extensions (sub-chunk 0x12A).
struct RwStream;
RwStream* _rpPVSWorldStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 size);
RwStream* _rpPVSWorldStreamWrite(RwStream* stream, RwInt32 length, const void* object, RwInt32 offset, RwInt32 size);
RwInt32 _rpPVSWorldStreamGetSize(const void* object, RwInt32 offset, RwInt32 size);
RwStream* _rpPVSSectorStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 size);
RwStream* _rpPVSSectorStreamWrite(RwStream* stream, RwInt32 length, const void* object, RwInt32 offset, RwInt32 size);
RwInt32 _rpPVSSectorStreamGetSize(const void* object, RwInt32 offset, RwInt32 size);
