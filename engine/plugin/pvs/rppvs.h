// The visibility plugin: every world sector may carry a bitmap with one bit
// per sector of its world, set for the sectors that may be seen from
// anywhere inside it. While hooked into a world the plugin renders only the
// sectors the viewer's sector sees, and it tells whether an atomic lies in
// one of them. The bitmaps are made elsewhere and read with the world.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RpAtomic;
struct RpWorld;
struct RpWorldSector;
struct RwV3d;

constexpr RwUInt32 kRpPVSPluginId = 0x12A;

// Registers the world and world-sector extensions with their streams;
// between RwEngineInit and RwEngineOpen.
RwBool RpPVSPluginAttach(void);
// Makes the world the current one; nonzero when it carries visibility data.
RwInt32 RpPVSWorldHasData(RpWorld* world);
// Renders only the sectors the viewer sees from now on; nothing for a world
// without visibility data or already hooked.
RpWorld* RpPVSHook(RpWorld* world);
// Puts the world's own sector render callback back.
RpWorld* RpPVSUnhook(RpWorld* world);
// Makes the world current and picks the viewer's sector: the last sector, in
// RpWorldForAllWorldSectors order, whose region holds the position (bounds
// included), or the first sector when none does.
RpWorld* RpPVSSetViewPosition(RpWorld* world, const RwV3d* position);
// 1 when a sector the atomic is tied to is visible from the viewer's sector.
// Without a viewer, or a viewer sector without a bitmap, everything is visible.
RwInt32 RpPVSAtomicVisible(RpAtomic* atomic);
// Gives the world visibility data: sector k (in RpWorldForAllWorldSectors
// order) gets index k and row k of rows, each (sectors + 7) / 8 bytes; null
// rows make every sector visible from every other. Null when a bitmap cannot
// be allocated (the world then carries no data).
RpWorld* RpPVSWorldSetVisibility(RpWorld* world, const RwUInt8* rows);
