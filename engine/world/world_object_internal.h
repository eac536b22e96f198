// Internals of the world-object plugin shared by its files: the engine block
// with the tie free lists, the extensions on cameras, atomics, clumps and
// lights, and the callbacks it installs on them.
#pragma once

#include "engine/src/camera.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/base_types.h"
#include "engine/world/world_object.h"

struct RwFreeList;

struct RpWorldObjectModule {
  RwFreeList* atomicTieFreeList;
  RwFreeList* lightTieFreeList;
};

// A camera's visible sectors and the callbacks the plugin replaced.
struct RpCameraWorldExtension {
  RpWorldSector** frustumSectors;  // or null
  RwInt32 space;                   // entries allocated
  RwInt32 position;                // entries used
  RpWorld* world;
  RwCameraBeginUpdateFunc keptBeginUpdate;
  RwCameraEndUpdateFunc keptEndUpdate;
  RwObjectHasFrameSyncFunction keptSync;
};

// The world comes first: RpAtomicGetWorld reads it at the extension's offset.
struct RpAtomicWorldExtension {
  RpWorld* world;
  RwObjectHasFrameSyncFunction keptSync;
};

struct RpClumpWorldExtension {
  RpWorld* world;
};

struct RpLightWorldExtension {
  RpWorld* world;
  RwObjectHasFrameSyncFunction keptSync;
};

// The module's block while the engine is started, else null.
RpWorldObjectModule* _rpWorldObjectModule(void);
RpCameraWorldExtension* _rpCameraWorldExtension(const RwCamera* camera);
RpAtomicWorldExtension* _rpAtomicWorldExtension(const RpAtomic* atomic);
RpClumpWorldExtension* _rpClumpWorldExtension(const RpClump* clump);
RpLightWorldExtension* _rpLightWorldExtension(const RpLight* light);

// Ties (world_tie.cpp).
void _rpAtomicRemoveTies(RpAtomic* atomic);
void _rpLightRemoveTies(RpLight* light);
// Unlinks every tie in the module's free lists from its sector and object,
// for the module's close.
void _rpWorldObjectUnlinkAllTies(RpWorldObjectModule* module);
// The frame-sync callbacks installed on atomics and lights: the kept
// callback, then the ties rebuilt when the object is in a world.
RwObjectHasFrame* _rpAtomicWorldSync(RwObjectHasFrame* object);
RwObjectHasFrame* _rpLightWorldSync(RwObjectHasFrame* object);

// Cameras (world_render.cpp).
RwCamera* _rpCameraWorldBeginUpdate(RwCamera* camera);
RwCamera* _rpCameraWorldEndUpdate(RwCamera* camera);
// The kept sync, then the visible sector list rebuilt when in a world.
RwObjectHasFrame* _rpCameraWorldSync(RwObjectHasFrame* object);
// Frees the visible sector list and empties it.
void _rpCameraFreeSectors(RpCameraWorldExtension* extension);
