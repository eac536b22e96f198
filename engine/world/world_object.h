// The world-object plugin (0x509): clumps, atomics, lights and cameras placed
// in a world. Atomics and positioned lights are tied to the atomic sectors
// their bounds overlap whenever their frames move; a camera in a world lists
// the sectors its frustum sees; RpWorldRender draws those sectors and the
// atomics tied to them, each atomic once per camera update.
#pragma once

#include "engine/src/camera.h"
#include "engine/src/plcore/base_types.h"
#include "engine/world/atomic.h"
#include "engine/world/clump.h"
#include "engine/world/light.h"
#include "engine/world/world.h"

// Error codes of the world module.
constexpr RwInt32 kRpErrClumpInWorld = 3;     // RpWorldAddClump: the clump is already in a world
constexpr RwInt32 kRpErrClumpNotInWorld = 4;  // RpWorldRemoveClump: the clump is in no world

// A tie of an atomic to a sector it overlaps, linked into both.
struct RpTie {
  RwLLLink lWorldSector;  // in the sector's collision or other atomic list
  RpAtomic* apAtom;       // null for the marker of a walk
  RwLLLink lAtomic;       // in RpAtomic.llWorldSectorsInAtomic
  RpWorldSector* worldSector;
};

// A tie of a positioned light to a sector it reaches.
struct RpLightTie {
  RwLLLink lightInWorldSector;  // in RpWorldSector.lightsInWorldSector
  RpLight* light;
  RwLLLink WorldSectorInLight;  // in RpLight.WorldSectorsInLight
  RpWorldSector* sect;
};

// Registers the plugin's extensions, the bin mesh and native data streams of
// geometries and world sectors and the right-to-render streams of atomics,
// worlds and world sectors. False when any registration fails.
RwBool RpWorldObjectPluginAttach(void);

// Error 3 and null when the clump is already in a world. Adds its atomics,
// lights and cameras too.
RpWorld* RpWorldAddClump(RpWorld* world, RpClump* clump);
// Error 4 and null when the clump is in no world. Removes its atomics,
// lights and cameras that are in this world too.
RpWorld* RpWorldRemoveClump(RpWorld* world, RpClump* clump);
// The atomic is tied at the next synchronisation of its frame.
RpWorld* RpWorldAddAtomic(RpWorld* world, RpAtomic* atomic);
RpWorld* RpWorldRemoveAtomic(RpWorld* world, RpAtomic* atomic);
// Positioned lights (type 128 and above) join the world's light list and are
// tied at the next synchronisation of their frame; others join the
// directional list and are never tied.
RpWorld* RpWorldAddLight(RpWorld* world, RpLight* light);
RpWorld* RpWorldRemoveLight(RpWorld* world, RpLight* light);
// The camera lists its visible sectors at the next synchronisation of its frame.
RpWorld* RpWorldAddCamera(RpWorld* world, RwCamera* camera);
// Null when the camera is in no world.
RpWorld* RpWorldRemoveCamera(RpWorld* world, RwCamera* camera);

RpWorld* RpClumpGetWorld(const RpClump* clump);
RpWorld* RpLightGetWorld(const RpLight* light);
RpWorld* RwCameraGetWorld(const RwCamera* camera);

// The sector of each of the atomic's ties, in list order, until null.
RpAtomic* RpAtomicForAllWorldSectors(RpAtomic* atomic, RpWorldSectorCallBack callBack, void* data);
// The atomics tied with the collision-test flag; the callback may remove ties
// (move or remove atomics) as it goes.
RpWorldSector* RpWorldSectorForAllCollisionAtomics(RpWorldSector* sector, RpAtomicCallBack callBack, void* data);
// The sectors the camera saw at its last synchronisation, in the world's render order.
RwCamera* RpCameraForAllWorldSectors(RwCamera* camera, RpWorldSectorCallBack callBack, void* data);

// Renders the sector, then each atomic tied to it with the render flag that
// has not been considered in this camera update and whose sphere is not
// outside the frustum.
RpWorldSector* RpWorldSectorRenderWithAtomics(RpWorldSector* sector, void* data);
// Renders the sectors the current camera sees, with their atomics.
RpWorld* RpWorldRender(RpWorld* world);
