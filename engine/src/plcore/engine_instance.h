// The engine instance: all engine state, reached through RwEngineInstance. It
// points at a static template from RwEngineInit until RwEngineOpen (and again
// after RwEngineClose), and at a heap copy carrying the engine plugins' data
// in between.
#pragma once

#include <cstddef>

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/io_functions.h"
#include "engine/src/plcore/memory.h"

struct RwCamera;
struct RpWorld;
struct RwIm2DVertex;

// Request handler of a display driver: (request, out, in, in number) -> nonzero on success.
typedef RwBool (*RwSystemFunc)(RwInt32 request, void* out, void* in, RwInt32 inNumber);
typedef RwBool (*RwRenderStateSetFunction)(RwInt32 state, void* value);
typedef RwBool (*RwRenderStateGetFunction)(RwInt32 state, void* value);
typedef RwBool (*RwIm2DRenderLineFunction)(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1,
                                           RwInt32 vertex2);
typedef RwBool (*RwIm2DRenderTriangleFunction)(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1,
                                               RwInt32 vertex2, RwInt32 vertex3);
typedef RwBool (*RwIm2DRenderPrimitiveFunction)(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices);
typedef RwBool (*RwIm2DRenderIndexedPrimitiveFunction)(RwInt32 primitiveType, RwIm2DVertex* vertices,
                                                       RwInt32 numVertices, RwUInt16* indices, RwInt32 numIndices);

// The record a display driver hands the core (device request 4).
struct RwDevice {
  RwReal gammaCorrection;
  RwSystemFunc fpSystem;
  RwReal zBufferNear;
  RwReal zBufferFar;
  RwRenderStateSetFunction fpRenderStateSet;
  RwRenderStateGetFunction fpRenderStateGet;
  RwIm2DRenderLineFunction fpIm2DRenderLine;
  RwIm2DRenderTriangleFunction fpIm2DRenderTriangle;
  RwIm2DRenderPrimitiveFunction fpIm2DRenderPrimitive;
  RwIm2DRenderIndexedPrimitiveFunction fpIm2DRenderIndexedPrimitive;
  void* furtherEntryPoints[4];  // unused by the Direct3D 8 driver (null)
};

// Device requests to the driver's system handler.
enum RwDeviceRequest : RwInt32 {
  kRwDeviceOpen = 0,
  kRwDeviceClose = 1,
  kRwDeviceStart = 2,
  kRwDeviceStop = 3,
  kRwDeviceGetRecord = 4,
  kRwDeviceGetNumModes = 5,
  kRwDeviceGetModeInfo = 6,
  kRwDeviceUseMode = 7,
  kRwDeviceFocus = 8,
  kRwDeviceGetMode = 10,
  kRwDeviceStandardFunctions = 11,
  kRwDeviceGetNumSubSystems = 13,
  kRwDeviceGetSubSystemInfo = 14,
  kRwDeviceGetCurrentSubSystem = 15,
  kRwDeviceSetSubSystem = 16,
  kRwDeviceFinishStart = 17,
  kRwDeviceBeforeStop = 18,
  kRwDeviceGetMaxTextureSize = 19,
};

// Standard function of a driver: (target, object, number) -> nonzero on success.
typedef RwBool (*RwStandardFunc)(void* target, void* object, RwInt32 number);

// Slots of the standard-function table; slot 0 is unused.
enum RwStandardFunctionSlot : RwInt32 {
  kRwStdCameraBeginUpdate = 1,
  kRwStdRGBToPixel = 2,
  kRwStdPixelToRGB = 3,
  kRwStdRasterCreate = 4,
  kRwStdRasterDestroy = 5,
  kRwStdImageGetRaster = 6,
  kRwStdRasterSetImage = 7,
  kRwStdTextureSetRaster = 8,
  kRwStdImageFindRasterFormat = 9,
  kRwStdCameraEndUpdate = 10,
  kRwStdSetRasterContext = 11,
  kRwStdRasterSubRaster = 12,
  kRwStdRasterClearRect = 13,
  kRwStdRasterClear = 14,
  kRwStdRasterLock = 15,
  kRwStdRasterUnlock = 16,
  kRwStdRasterRender = 17,
  kRwStdRasterRenderScaled = 18,
  kRwStdRasterRenderFast = 19,
  kRwStdRasterShowRaster = 20,
  kRwStdCameraClear = 21,
  kRwStdSectorsCollectedHint = 22,  // (null, null, flag) after a camera's sectors are collected
  kRwStdRasterLockPalette = 23,
  kRwStdRasterUnlockPalette = 24,
  kRwStdNativeTextureGetSize = 25,
  kRwStdNativeTextureRead = 26,
  kRwStdNativeTextureWrite = 27,
  kRwStdRasterGetMipLevels = 28,
  kRwStandardFunctionCount = 29,
};

// The driver's standard-function table held in the engine instance.
typedef RwStandardFunc RwStandardFunctions[kRwStandardFunctionCount];

// Engine state.
enum RwEngineStatus : RwInt32 {
  kRwEngineStatusIdle = 0,         // not initialised
  kRwEngineStatusInitialised = 1,  // RwEngineInit, RwEngineClose, failed open
  kRwEngineStatusOpened = 2,       // RwEngineOpen, RwEngineStop
  kRwEngineStatusStarted = 3,      // RwEngineStart
};

// The instance's own fields; engine plugin data follows them in the heap copy.
struct RwEngineRecord {
  RwCamera* currentCamera;  // camera whose update is under way, else null
  RpWorld* currentWorld;    // world whose camera update is under way
  RwUInt32 renderFrame;     // low 16 bits advance once per world camera update
  RwDevice device;          // copied from the driver at open
  RwStandardFunctions standardFunctions;
  RwLinkList dirtyFrameList;  // frame hierarchies waiting for synchronisation
  RwFileFunctions fileFunctions;
  RwStringFunctions stringFunctions;
  RwMemoryFunctions memoryFunctions;
  void* (*freeListEntryAlloc)(RwFreeList* list);
  RwFreeList* (*freeListEntryFree)(RwFreeList* list, void* entry);
  RwInt32 engineStatus;
  RwUInt32 resourceArenaSize;  // bytes, given to RwEngineInit
};

extern RwEngineRecord* RwEngineInstance;

// Memory through the instance's memory functions.
inline void* RwMalloc(size_t size) { return RwEngineInstance->memoryFunctions.rwmalloc(size); }
inline void RwFree(void* block) { RwEngineInstance->memoryFunctions.rwfree(block); }
inline void* RwRealloc(void* block, size_t size) { return RwEngineInstance->memoryFunctions.rwrealloc(block, size); }
inline void* RwCalloc(size_t count, size_t size) { return RwEngineInstance->memoryFunctions.rwcalloc(count, size); }

// Object records through the instance's free-list entry functions; every
// module allocates and frees its objects with these two.
inline void* RwFreeListEntryAlloc(RwFreeList* list) { return RwEngineInstance->freeListEntryAlloc(list); }
inline RwFreeList* RwFreeListEntryFree(RwFreeList* list, void* entry) {
  return RwEngineInstance->freeListEntryFree(list, entry);
}

// A plugin's data within an object or the engine instance.
#define RwPluginDataGet(type, base, offset) (reinterpret_cast<type*>(reinterpret_cast<RwUInt8*>(base) + (offset)))
#define RwPluginDataGetConst(type, base, offset) \
  (reinterpret_cast<const type*>(reinterpret_cast<const RwUInt8*>(base) + (offset)))
