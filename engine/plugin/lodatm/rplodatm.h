// The level-of-detail plugin: an atomic carries up to ten geometries, level
// 0 the most detailed. When it is rendered, the level is chosen from its
// distance to the current camera along the camera's viewing direction, the
// atomic takes that level's geometry, and its own render callback runs.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RpAtomic;
struct RpGeometry;
struct RwCamera;

constexpr RwUInt32 kRpLODAtomicPluginId = 0x112;
constexpr RwInt32 rpLODATOMICMAXLOD = 10;

// (atomic) -> the level to render, or negative to keep the current one.
typedef RwInt32 (*RpLODAtomicLODCallBack)(RpAtomic* atomic);

// Registers the engine plugin and the atomic extension with its stream;
// between RwEngineInit and RwEngineOpen.
RwBool RpLODAtomicPluginAttach(void);
// Stores the level's geometry (null empties it). The first use gives the
// atomic its levels, its current geometry as level 0, and hooks its render.
// Null for a level outside 0..9 or when no record can be had.
RpAtomic* RpLODAtomicSetGeometry(RpAtomic* atomic, RwInt32 level, RpGeometry* geometry);
// The level last rendered; -1 for an atomic without levels.
RwInt32 RpLODAtomicGetCurrentLOD(const RpAtomic* atomic);
// Levels spread evenly over the far range (above 0; null otherwise).
RpAtomic* RpLODAtomicSetRange(RpAtomic* atomic, RwReal farRange);
// Remembers the camera for the game; levels follow the current camera.
void RpLODAtomicSetCamera(RwCamera* camera);
// Installs the level choice before the atomic's render callback unless it is
// installed; null for an atomic without levels.
RpAtomic* RpLODAtomicHookRender(RpAtomic* atomic);
