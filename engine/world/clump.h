// Clumps: atomics, lights and cameras that share one frame hierarchy; a model
// file (".dff") is one clump chunk (0x10). Every member list is circular with
// its head in the clump, and insertions go to the front, so a list holds its
// members in the reverse order of their insertion.
#pragma once

#include "engine/src/camera.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/world/atomic.h"
#include "engine/world/light.h"

struct RpClump;
struct RwStream;

constexpr RwUInt32 kRpPluginIdClumpModule = 0x504;
// The extension on lights and cameras that links them into a clump.
constexpr RwUInt32 kRpPluginIdClumpLink = 0x10;
constexpr RwUInt8 kRpClumpObjectType = 2;
constexpr RwUInt32 kRwChunkClump = 0x10;
constexpr RwUInt32 kRwChunkGeometryList = 0x1A;
// Clump structs of this version and older hold only the atomic count.
constexpr RwUInt32 kRpClumpAtomicCountOnlyVersion = 0x33000;

typedef RpClump* (*RpClumpCallBack)(RpClump* clump, void* data);
typedef RwCamera* (*RwCameraCallBack)(RwCamera* camera, void* data);

struct RpClump {
  RwObject object;        // parent: the root frame, set directly (the clump is not in its object list)
  RwLinkList atomicList;  // RpAtomic.inClumpLink
  RwLinkList lightList;   // RpClumpLink.inClumpLink of lights
  RwLinkList cameraList;  // RpClumpLink.inClumpLink of cameras
  RwLLLink inWorldLink;   // link in a world's clump list; null links outside one
  RpClumpCallBack callback;
  // plugin data follows (clump plugin registry)
};

// The clump-link extension of lights and cameras; all null outside a clump.
struct RpClumpLink {
  RpClump* clump;
  RwLLLink inClumpLink;
};

// Empty, no frame; null when the free list or a plugin constructor fails.
RpClump* RpClumpCreate(void);
// Destroys the atomics, lights, cameras and the frame hierarchy with the
// clump. Does not remove it from a world.
RwBool RpClumpDestroy(RpClump* clump);
// Copies the frame hierarchy and clones every atomic onto the copies of their
// frames (reverse order); lights and cameras are not cloned. A source atomic
// without a frame stops the cloning with error 5 and the atomics cloned so
// far are kept.
RpClump* RpClumpClone(RpClump* clump);

RpClump* RpClumpSetFrame(RpClump* clump, RwFrame* frame);
RwFrame* RpClumpGetFrame(const RpClump* clump);
// A member already in a clump leaves that clump first.
RpClump* RpClumpAddAtomic(RpClump* clump, RpAtomic* atomic);
RpClump* RpClumpRemoveAtomic(RpClump* clump, RpAtomic* atomic);
RpClump* RpClumpAddLight(RpClump* clump, RpLight* light);
RpClump* RpClumpRemoveLight(RpClump* clump, RpLight* light);
RpClump* RpClumpAddCamera(RpClump* clump, RwCamera* camera);
RpClump* RpClumpRemoveCamera(RpClump* clump, RwCamera* camera);
// The clump a light or camera belongs to, or null.
RpClump* RpLightGetClump(const RpLight* light);
RpClump* RwCameraGetClump(const RwCamera* camera);

// Each member in list order until the callback returns null; the next link is
// read first, so the callback may remove or destroy its member.
RpClump* RpClumpForAllAtomics(RpClump* clump, RpAtomicCallBack callBack, void* data);
RpClump* RpClumpForAllLights(RpClump* clump, RpLightCallBack callBack, void* data);
RpClump* RpClumpForAllCameras(RpClump* clump, RwCameraCallBack callBack, void* data);
RwInt32 RpClumpGetNumAtomics(RpClump* clump);
// Calls the render callback of every atomic with the render flag; null when
// any returned null, though every one is called.
RpClump* RpClumpRender(RpClump* clump);

RwInt32 RpClumpRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                              RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RpClumpRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                    RwPluginDataChunkWriteCallBack writeCB, RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RpClumpGetPluginOffset(RwUInt32 pluginID);

// Writes the whole clump chunk, header included. Every atomic needs a
// geometry, and every atomic, light and camera a frame of the clump's
// hierarchy; otherwise nothing is written (0x80000003).
const RpClump* RpClumpStreamWrite(const RpClump* clump, RwStream* stream);
// The stream is at the body of a clump chunk. Atomics, lights and cameras
// come out in the reverse of the file's order.
RpClump* RpClumpStreamRead(RwStream* stream);
