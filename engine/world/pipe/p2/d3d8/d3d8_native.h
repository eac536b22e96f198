// Native data (plugin chunk 0x510): the instance data of a native geometry or
// world sector with the raw bytes of its index and vertex buffers, so that
// reading it rebuilds the Direct3D 8 buffers without instancing.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RpGeometry;
struct RpWorldSector;
struct RwStream;

constexpr RwUInt32 kRpPluginIdNativeData = 0x510;
// The platform word of the chunk: Direct3D 8.
constexpr RwUInt32 kRpNativeDataPlatformD3D8 = 8;
// Bytes of one mesh record and of the serial number and mesh count in front
// of the records, on disk.
constexpr RwUInt32 kRpNativeDataRecordSize = 44;
constexpr RwUInt32 kRpNativeDataBodyHeaderSize = 4;
// A record's material index when its mesh has no material.
constexpr RwUInt32 kRpNativeDataNoMaterial = 0xFFFFFFFF;

// The struct chunk (header included) of a native geometry with instance
// data; anything else writes nothing and returns the stream.
RwStream* RpD3D8GeometryNativeWrite(RwStream* stream, const RpGeometry* geometry);
// The stream is at the struct chunk. Rebuilds the geometry's instance data
// (engine memory, kept until the geometry goes) against its mesh header and
// material list; null when the data is bad or a buffer cannot be made.
RpGeometry* RpD3D8GeometryNativeRead(RwStream* stream, RpGeometry* geometry);
// Length of the struct chunk's body, or 0 when nothing would be written.
RwInt32 RpD3D8GeometryNativeSize(const RpGeometry* geometry);

// The same for a world sector, against its world's flags and material list;
// its vertices always go to the pools.
RwStream* RpD3D8WorldSectorNativeWrite(RwStream* stream, const RpWorldSector* sector);
RpWorldSector* RpD3D8WorldSectorNativeRead(RwStream* stream, RpWorldSector* sector);
// 0 when the sector's world is not native or the sector has no instance data.
RwInt32 RpD3D8WorldSectorNativeSize(const RpWorldSector* sector);
