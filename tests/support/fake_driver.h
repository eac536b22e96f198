// A display driver for core tests: a system handler answering device requests
// 0 to 18 and a 29-slot standard-function table whose slots all report "not
// supported". Tests steer it through FakeDriverState and install it with
// FakeDriverInstall.
#pragma once

#include <set>
#include <vector>

#include "engine/engine.h"

struct FakeDriverState {
  // Requests answered with 0, so that the core's defaults (or failures) apply.
  std::set<RwInt32> refused;
  bool failPluginAttach = false;
  // Every request the handler received, in order.
  std::vector<RwInt32> requests;
  void* openParameter = nullptr;
  std::vector<RwVideoMode> modes = {{640, 480, 32, 0}, {800, 600, 32, 0}, {1024, 768, 32, kRwVideoModeExclusive}};
  RwInt32 currentMode = 0;
  RwInt32 currentSubSystem = 0;
  RwInt32 subSystemCount = 2;
  bool started = false;
  bool opened = false;
};

// The driver's state; reset by FakeDriverInstall.
FakeDriverState& FakeDriver();

// The device record the fake driver hands out (gamma 1.0, screen z 0.0 to 1.0).
RwDevice* FakeDriverDeviceRecord();

// The table entry every slot of the fake driver holds.
RwBool FakeDriverStandardNotSupported(void* target, void* object, RwInt32 number);

// Resets the state and makes the engine use the fake driver, with the
// pipeline and immediate-mode 3D modules installed as a real driver's install
// does.
void FakeDriverInstall();
// The same without the reset, shaped like a driver's install function (for
// programs that install their driver themselves).
RwBool FakeDriverInstallHooks();
// Leaves the engine without a driver.
void FakeDriverUninstall();

// Brings the engine back to "not initialised" from whatever state a test left.
void FakeEngineShutdown();

// Engine state of the current engine pointer (0 when there is none).
RwInt32 FakeEngineStatus();
