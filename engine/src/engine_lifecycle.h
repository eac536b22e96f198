// The engine's lifecycle (init, open, start, stop, close, term), its device
// requests, sub-systems and video modes, and the engine plugin registry.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/plugin_registry.h"

// RwEngineInit flag: free-list entries are single memory-function calls and
// free lists preallocate nothing.
constexpr RwUInt32 kRwEngineNoFreeLists = 0x1;

// Handed to the driver's open request.
struct RwEngineOpenParams {
  void* displayID;  // the window
};

// A display adapter.
struct RwSubSystemInfo {
  RwChar name[80];
};

// Video mode flags.
constexpr RwUInt32 kRwVideoModeExclusive = 0x1;  // full screen

struct RwVideoMode {
  RwInt32 width;
  RwInt32 height;
  RwInt32 depth;
  RwUInt32 flags;
};

RwBool RwEngineInit(const RwMemoryFunctions* memoryFunctions, RwUInt32 flags, RwUInt32 resourceArenaSize);
RwBool RwEngineOpen(RwEngineOpenParams* params);
RwBool RwEngineStart(void);
RwBool RwEngineStop(void);
RwBool RwEngineClose(void);
RwBool RwEngineTerm(void);

RwInt32 RwEngineGetNumSubSystems(void);
RwSubSystemInfo* RwEngineGetSubSystemInfo(RwSubSystemInfo* subSystemInfo, RwInt32 subSystemIndex);
RwInt32 RwEngineGetCurrentSubSystem(void);
RwBool RwEngineSetSubSystem(RwInt32 subSystemIndex);
RwInt32 RwEngineGetNumVideoModes(void);
RwVideoMode* RwEngineGetVideoModeInfo(RwVideoMode* modeInfo, RwInt32 modeIndex);
RwInt32 RwEngineGetCurrentVideoMode(void);
RwBool RwEngineSetVideoMode(RwInt32 modeIndex);

// The one road to the driver; nonzero on success.
RwBool RwDeviceSystemRequest(RwDevice* device, RwInt32 request, void* out, void* in, RwInt32 inNumber);

// Engine plugins: constructors and destructors take (engine instance, offset,
// size) and return the instance, or null for failure. A plugin reaches its
// data as RwEngineInstance + offset.
RwInt32 RwEngineRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor initCB,
                               RwPluginObjectDestructor termCB);
RwInt32 RwEngineGetPluginOffset(RwUInt32 pluginID);
RwInt32 RwEngineGetOpenCount(void);
