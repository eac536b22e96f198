// The fake display driver of the core tests.
#include "tests/support/fake_driver.h"

#include <cstdio>
#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/im3d_internal.h"
#include "engine/src/pipe/p2/pipeline_internal.h"

namespace {

FakeDriverState sState;

RwBool FakeSystemHandler(RwInt32 request, void* out, void* in, RwInt32 inNumber);

RwDevice sDevice = {1.0f,
                    FakeSystemHandler,
                    0.0f,
                    1.0f,
                    nullptr,
                    nullptr,
                    nullptr,
                    nullptr,
                    nullptr,
                    nullptr,
                    {nullptr, nullptr, nullptr, nullptr}};

bool ValidMode(RwInt32 index) { return index >= 0 && index < static_cast<RwInt32>(sState.modes.size()); }

bool ValidSubSystem(RwInt32 index) { return index >= 0 && index < sState.subSystemCount; }

RwBool FakeSystemHandler(RwInt32 request, void* out, void* in, RwInt32 inNumber) {
  sState.requests.push_back(request);
  if (sState.refused.count(request) != 0) {
    return FALSE;
  }
  switch (request) {
    case kRwDeviceOpen:
      sState.openParameter = in;
      sState.opened = true;
      return TRUE;
    case kRwDeviceClose:
      sState.opened = false;
      return TRUE;
    case kRwDeviceStart:
      sState.started = true;
      return TRUE;
    case kRwDeviceStop:
      sState.started = false;
      return TRUE;
    case kRwDeviceGetRecord:
      *static_cast<RwDevice*>(out) = sDevice;
      return TRUE;
    case kRwDeviceGetNumModes:
      *static_cast<RwInt32*>(out) = static_cast<RwInt32>(sState.modes.size());
      return TRUE;
    case kRwDeviceGetModeInfo:
      if (!ValidMode(inNumber)) {
        return FALSE;
      }
      *static_cast<RwVideoMode*>(out) = sState.modes[static_cast<size_t>(inNumber)];
      return TRUE;
    case kRwDeviceUseMode:
      if (sState.started || !ValidMode(inNumber)) {
        return FALSE;
      }
      sState.currentMode = inNumber;
      return TRUE;
    case kRwDeviceFocus:
      return TRUE;
    case kRwDeviceGetMode:
      *static_cast<RwInt32*>(out) = sState.currentMode;
      return TRUE;
    case kRwDeviceStandardFunctions: {
      RwStandardFunc* table = static_cast<RwStandardFunc*>(out);
      for (RwInt32 i = 0; i < inNumber; i++) {
        table[i] = FakeDriverStandardNotSupported;
      }
      return TRUE;
    }
    case kRwDeviceGetNumSubSystems:
      *static_cast<RwInt32*>(out) = sState.subSystemCount;
      return TRUE;
    case kRwDeviceGetSubSystemInfo:
      if (!ValidSubSystem(inNumber)) {
        return FALSE;
      }
      std::snprintf(static_cast<RwSubSystemInfo*>(out)->name, sizeof(RwSubSystemInfo::name), "Fake adapter %d",
                    static_cast<int>(inNumber));
      return TRUE;
    case kRwDeviceGetCurrentSubSystem:
      *static_cast<RwInt32*>(out) = sState.currentSubSystem;
      return TRUE;
    case kRwDeviceSetSubSystem:
      if (!ValidSubSystem(inNumber)) {
        return FALSE;
      }
      sState.currentSubSystem = inNumber;
      return TRUE;
    case kRwDeviceFinishStart:
    case kRwDeviceBeforeStop:
      return TRUE;
    default:
      return FALSE;
  }
}

RwBool FakePluginAttach() { return sState.failPluginAttach ? FALSE : TRUE; }

}  // namespace

FakeDriverState& FakeDriver() { return sState; }

RwDevice* FakeDriverDeviceRecord() { return &sDevice; }

RwBool FakeDriverStandardNotSupported(void* /*target*/, void* /*object*/, RwInt32 /*number*/) { return FALSE; }

RwBool FakeDriverInstallHooks() {
  const RwDriverHooks hooks = {FakeDriverDeviceRecord, FakePluginAttach};
  _rwEngineSetDriverHooks(&hooks);
  return _rwPipelineModuleInstall() && _rwIm3DModuleInstall();
}

void FakeDriverInstall() {
  sState = FakeDriverState();
  FakeDriverInstallHooks();
}

void FakeDriverUninstall() { _rwEngineSetDriverHooks(nullptr); }

RwInt32 FakeEngineStatus() { return RwEngineInstance != nullptr ? RwEngineInstance->engineStatus : 0; }

void FakeEngineShutdown() {
  sState.refused.clear();
  if (FakeEngineStatus() == kRwEngineStatusStarted) {
    RwEngineStop();
  }
  if (FakeEngineStatus() == kRwEngineStatusOpened) {
    RwEngineClose();
  }
  if (FakeEngineStatus() == kRwEngineStatusInitialised) {
    RwEngineTerm();
  }
}
