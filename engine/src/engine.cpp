// The engine lifecycle: init, open, start, stop, close and term; the device
// requests through which the core reaches the display driver; sub-systems and
// video modes; and the engine plugin registry with the core modules on it.
#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory_internal.h"

namespace {

constexpr RwChar kDefaultSubSystemName[] = "Only rendering sub system";

RwPluginRegistry sEngineRegistry = RwPluginRegistryInitializer(sizeof(RwEngineRecord));

// The installed display driver; without one the engine initialises but
// cannot open.
RwDriverHooks sDriverHooks = {nullptr, nullptr};

// Registered in this order at init. The pipeline and immediate-mode 3D
// modules live above the core: their slots stay empty, and are passed over,
// until the modules install themselves.
RwEngineModule sModules[] = {
    {kRwErrorModuleDataSize, kRwPluginIdErrorModule, _rwErrorOpen, _rwErrorClose},
    {kRwVectorModuleDataSize, kRwPluginIdVectorModule, _rwVectorOpen, _rwVectorClose},
    {kRwColorModuleDataSize, kRwPluginIdColorModule, _rwColorOpen, _rwColorClose},
    {kRwMatrixModuleDataSize, kRwPluginIdMatrixModule, _rwMatrixOpen, _rwMatrixClose},
    {kRwFrameModuleDataSize, kRwPluginIdFrameModule, _rwFrameOpen, _rwFrameClose},
    {kRwStreamModuleDataSize, kRwPluginIdStreamModule, _rwStreamModuleOpen, _rwStreamModuleClose},
    {kRwCameraModuleDataSize, kRwPluginIdCameraModule, _rwCameraOpen, _rwCameraClose},
    {kRwImageModuleDataSize, kRwPluginIdImageModule, RwImageOpen, RwImageClose},
    {kRwRasterModuleDataSize, kRwPluginIdRasterModule, RwRasterOpen, RwRasterClose},
    {kRwTextureModuleDataSize, kRwPluginIdTextureModule, RwTextureOpen, RwTextureClose},
    {kRwPipelineModuleDataSize, kRwPluginIdPipelineModule, nullptr, nullptr},
    {kRwIm3DModuleDataSize, kRwPluginIdIm3DModule, nullptr, nullptr},
    {kRwResourcesModuleDataSize, kRwPluginIdResourcesModule, _rwResourcesOpen, _rwResourcesClose},
};

// Slots that modules outside the core fill with _rwEngineInstallModule.
RwBool ModuleSlotIsOpen(RwUInt32 pluginID) {
  return pluginID == kRwPluginIdPipelineModule || pluginID == kRwPluginIdIm3DModule;
}

RwDevice* DriverDeviceRecord() {
  return sDriverHooks.deviceRecordGet != nullptr ? sDriverHooks.deviceRecordGet() : nullptr;
}

RwBool DriverPluginAttach() { return sDriverHooks.pluginAttach != nullptr ? sDriverHooks.pluginAttach() : TRUE; }

// Answers every standard-function slot the driver leaves empty.
RwBool StandardNotSupported(void* /*target*/, void* /*object*/, RwInt32 /*number*/) { return FALSE; }

RwEngineRecord* CurrentEngine() { return RwEngineInstance != nullptr ? RwEngineInstance : &_rwEngineTemplate; }

RwBool EngineStateIs(RwInt32 status) { return CurrentEngine()->engineStatus == status; }

RwBool RequireState(RwInt32 status) {
  if (!EngineStateIs(status)) {
    RwErrorRaise(kRwPluginIdCore, kRwErrWrongEngineState);
    return FALSE;
  }
  return TRUE;
}

// Hands an open engine's fields back to the template and frees the heap copy.
void ReturnToTemplate(RwEngineRecord* instance) {
  RwEngineInstance = &_rwEngineTemplate;
  _rwEngineTemplate = *instance;
  RwFree(instance);
}

RwBool EngineRequest(RwInt32 request, void* out, void* in, RwInt32 inNumber) {
  return RwDeviceSystemRequest(&CurrentEngine()->device, request, out, in, inNumber);
}

}  // namespace

void _rwEngineSetDriverHooks(const RwDriverHooks* hooks) {
  if (hooks != nullptr) {
    sDriverHooks = *hooks;
  } else {
    sDriverHooks = {nullptr, nullptr};
  }
}

RwBool _rwEngineInstallModule(const RwEngineModule* module) {
  if (module == nullptr || !ModuleSlotIsOpen(module->pluginID) || !EngineStateIs(kRwEngineStatusIdle)) {
    return FALSE;
  }
  for (RwEngineModule& slot : sModules) {
    if (slot.pluginID == module->pluginID) {
      slot = *module;
      return TRUE;
    }
  }
  return FALSE;
}

RwBool RwDeviceSystemRequest(RwDevice* device, RwInt32 request, void* out, void* in, RwInt32 inNumber) {
  if (device != nullptr && device->fpSystem != nullptr) {
    const RwBool result = device->fpSystem(request, out, in, inNumber);
    if (result) {
      return result;
    }
  }
  switch (request) {
    case kRwDeviceGetNumSubSystems:
      if (out != nullptr) {
        *static_cast<RwInt32*>(out) = 1;
        return TRUE;
      }
      break;
    case kRwDeviceGetSubSystemInfo:
      if (inNumber == 0 && out != nullptr) {
        RwSubSystemInfo* info = static_cast<RwSubSystemInfo*>(out);
        std::memcpy(info->name, kDefaultSubSystemName, sizeof(kDefaultSubSystemName));
        return TRUE;
      }
      break;
    case kRwDeviceGetCurrentSubSystem:
      if (out != nullptr) {
        *static_cast<RwInt32*>(out) = 0;
        return TRUE;
      }
      break;
    case kRwDeviceSetSubSystem:
      if (inNumber == 0) {
        return TRUE;
      }
      break;
    case kRwDeviceFinishStart:
    case kRwDeviceBeforeStop:
      return TRUE;
    default:
      break;
  }
  RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrDeviceRequestRefused, request));
  return FALSE;
}

RwInt32 RwEngineRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor initCB,
                               RwPluginObjectDestructor termCB) {
  return RwPluginRegistryAddPlugin(&sEngineRegistry, size, pluginID, initCB, termCB, nullptr);
}

RwInt32 RwEngineGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&sEngineRegistry, pluginID);
}

RwInt32 RwEngineGetOpenCount(void) { return _rwEngineOpenCount; }

RwBool RwEngineInit(const RwMemoryFunctions* memoryFunctions, RwUInt32 flags, RwUInt32 resourceArenaSize) {
  // A second init while an engine exists must not touch the open engine.
  if (!EngineStateIs(kRwEngineStatusIdle)) {
    return FALSE;
  }
  RwEngineInstance = &_rwEngineTemplate;
  if (flags & kRwEngineNoFreeLists) {
    _rwEngineTemplate.freeListEntryAlloc = _rwFreeListAllocPlain;
    _rwEngineTemplate.freeListEntryFree = _rwFreeListFreePlain;
  } else {
    _rwEngineTemplate.freeListEntryAlloc = RwFreeListAlloc;
    _rwEngineTemplate.freeListEntryFree = RwFreeListFree;
  }
  _rwFreeListSetPreallocation((flags & kRwEngineNoFreeLists) ? FALSE : TRUE);
  _rwEngineTemplate.resourceArenaSize = resourceArenaSize;

  RwStringFunctionsInstall();
  if (!RwMemoryOpen(memoryFunctions)) {
    return FALSE;
  }
  RwFileFunctionsInstallStdio();
  if (!RwPluginRegistryOpen()) {
    RwMemoryClose();
    return FALSE;
  }

  RwBool registered = TRUE;
  for (const RwEngineModule& module : sModules) {
    if (module.open == nullptr) {
      continue;  // a module above the core that this program does not install
    }
    if (RwEngineRegisterPlugin(module.size, module.pluginID, module.open, module.close) < 0) {
      registered = FALSE;
    }
  }
  if (!registered || !DriverPluginAttach()) {
    RwPluginRegistryClose();
    RwMemoryClose();
    return FALSE;
  }
  _rwEngineTemplate.engineStatus = kRwEngineStatusInitialised;
  return TRUE;
}

RwBool RwEngineOpen(RwEngineOpenParams* params) {
  if (RwEngineInstance == nullptr) {
    RwEngineInstance = &_rwEngineTemplate;
  }
  if (!RequireState(kRwEngineStatusInitialised)) {
    return FALSE;
  }
  if (params == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrNullArgument);
    return FALSE;
  }
  RwDevice* driverDevice = DriverDeviceRecord();
  if (driverDevice == nullptr || driverDevice->fpSystem == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrDeviceRequestRefused);
    return FALSE;
  }

  const size_t instanceSize = static_cast<size_t>(sEngineRegistry.sizeOfStruct);
  RwEngineRecord* instance = static_cast<RwEngineRecord*>(RwMalloc(instanceSize));
  if (instance == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return FALSE;
  }
  // Plugin data starts zeroed; the constructors fill it at start.
  std::memset(instance, 0, instanceSize);
  *instance = _rwEngineTemplate;
  RwEngineInstance = instance;

  // The instance's device record comes from the driver; without a usable one
  // the open fails like a refused open request.
  const RwBool gotRecord =
      RwDeviceSystemRequest(driverDevice, kRwDeviceGetRecord, &instance->device, &instance->memoryFunctions, 0);
  if (!gotRecord || instance->device.fpSystem == nullptr || !EngineRequest(kRwDeviceOpen, nullptr, params, 0)) {
    ReturnToTemplate(instance);
    return FALSE;
  }

  for (RwStandardFunc& slot : instance->standardFunctions) {
    slot = StandardNotSupported;
  }
  EngineRequest(kRwDeviceStandardFunctions, instance->standardFunctions, nullptr, kRwStandardFunctionCount);
  for (RwStandardFunc& slot : instance->standardFunctions) {
    if (slot == nullptr) {
      slot = StandardNotSupported;
    }
  }

  _rwEngineOpenCount++;
  instance->engineStatus = kRwEngineStatusOpened;
  return TRUE;
}

RwBool RwEngineStart(void) {
  if (!RequireState(kRwEngineStatusOpened)) {
    return FALSE;
  }
  if (!EngineRequest(kRwDeviceStart, nullptr, nullptr, 0)) {
    return FALSE;
  }
  if (RwPluginRegistryInitObject(&sEngineRegistry, RwEngineInstance) == nullptr) {
    EngineRequest(kRwDeviceStop, nullptr, nullptr, 0);
    return FALSE;
  }
  RwImageSetGamma(RwEngineInstance->device.gammaCorrection);
  EngineRequest(kRwDeviceFinishStart, nullptr, nullptr, 0);
  RwEngineInstance->engineStatus = kRwEngineStatusStarted;
  return TRUE;
}

RwBool RwEngineStop(void) {
  if (!RequireState(kRwEngineStatusStarted)) {
    return FALSE;
  }
  EngineRequest(kRwDeviceBeforeStop, nullptr, nullptr, 0);
  RwPluginRegistryDeInitObject(&sEngineRegistry, RwEngineInstance);
  // The engine plugins are gone whatever the device says, so the engine is no
  // longer started: a refused stop is reported, but a second stop must not
  // run the destructors again, and the engine must still be able to close.
  const RwBool stopped = EngineRequest(kRwDeviceStop, nullptr, nullptr, 0);
  RwEngineInstance->engineStatus = kRwEngineStatusOpened;
  return stopped;
}

RwBool RwEngineClose(void) {
  if (!RequireState(kRwEngineStatusOpened)) {
    return FALSE;
  }
  const RwBool closed = EngineRequest(kRwDeviceClose, nullptr, nullptr, 0);
  if (closed) {
    _rwErrorRecordInvalidate();
    ReturnToTemplate(RwEngineInstance);
    _rwEngineOpenCount--;
    _rwEngineTemplate.engineStatus = kRwEngineStatusInitialised;
  }
  return closed;
}

RwBool RwEngineTerm(void) {
  if (_rwEngineOpenCount != 0 || !EngineStateIs(kRwEngineStatusInitialised)) {
    return FALSE;
  }
  RwPluginRegistryClose();
  RwMemoryClose();
  _rwEngineTemplate.engineStatus = kRwEngineStatusIdle;
  return TRUE;
}

RwInt32 RwEngineGetNumSubSystems(void) {
  RwInt32 count = 0;
  return EngineRequest(kRwDeviceGetNumSubSystems, &count, nullptr, 0) ? count : 0;
}

RwSubSystemInfo* RwEngineGetSubSystemInfo(RwSubSystemInfo* subSystemInfo, RwInt32 subSystemIndex) {
  if (subSystemInfo == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrNullArgument);
    return nullptr;
  }
  return EngineRequest(kRwDeviceGetSubSystemInfo, subSystemInfo, nullptr, subSystemIndex) ? subSystemInfo : nullptr;
}

RwInt32 RwEngineGetCurrentSubSystem(void) {
  RwInt32 index = 0;
  return EngineRequest(kRwDeviceGetCurrentSubSystem, &index, nullptr, 0) ? index : -1;
}

RwBool RwEngineSetSubSystem(RwInt32 subSystemIndex) {
  return EngineRequest(kRwDeviceSetSubSystem, nullptr, nullptr, subSystemIndex);
}

RwInt32 RwEngineGetNumVideoModes(void) {
  RwInt32 count = 0;
  return EngineRequest(kRwDeviceGetNumModes, &count, nullptr, 0) ? count : -1;
}

RwVideoMode* RwEngineGetVideoModeInfo(RwVideoMode* modeInfo, RwInt32 modeIndex) {
  if (modeInfo == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrNullArgument);
    return nullptr;
  }
  return EngineRequest(kRwDeviceGetModeInfo, modeInfo, nullptr, modeIndex) ? modeInfo : nullptr;
}

RwInt32 RwEngineGetCurrentVideoMode(void) {
  RwInt32 index = 0;
  return EngineRequest(kRwDeviceGetMode, &index, nullptr, 0) ? index : -1;
}

RwBool RwEngineSetVideoMode(RwInt32 modeIndex) { return EngineRequest(kRwDeviceUseMode, nullptr, nullptr, modeIndex); }
