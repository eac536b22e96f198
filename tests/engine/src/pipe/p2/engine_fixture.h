// A started engine over a minimal display driver for pipeline, camera and
// immediate-mode tests: every device request succeeds and the standard
// functions are test hooks that count their calls.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/im3d_internal.h"
#include "engine/src/pipe/p2/pipeline_internal.h"
#include "tests/support/error_record.h"

namespace pipes_test {

struct DriverLog {
  int beginUpdates = 0;
  int endUpdates = 0;
  int clears = 0;
  void* clearColour = nullptr;
  RwInt32 clearMode = 0;
  RwBool beginResult = TRUE;
  RwBool endResult = TRUE;
  RwBool clearResult = TRUE;
};

inline DriverLog& Log() {
  static DriverLog log;
  return log;
}

inline RwBool StandardUnsupported(void*, void*, RwInt32) { return FALSE; }

inline RwBool StandardBeginUpdate(void*, void*, RwInt32) {
  Log().beginUpdates++;
  return Log().beginResult;
}

inline RwBool StandardEndUpdate(void*, void*, RwInt32) {
  Log().endUpdates++;
  return Log().endResult;
}

inline RwBool StandardClear(void*, void* colour, RwInt32 mode) {
  Log().clears++;
  Log().clearColour = colour;
  Log().clearMode = mode;
  return Log().clearResult;
}

inline RwBool FakeSystem(RwInt32 request, void* out, void*, RwInt32 inNumber);

inline RwDevice* FakeDevice() {
  static RwDevice device = {1.0f, FakeSystem, 0.0f, 1.0f, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
  return &device;
}

inline RwBool FakeSystem(RwInt32 request, void* out, void*, RwInt32 inNumber) {
  if (request == kRwDeviceGetRecord) {
    std::memcpy(out, FakeDevice(), sizeof(RwDevice));
    return TRUE;
  }
  if (request == kRwDeviceStandardFunctions) {
    auto* slots = static_cast<RwStandardFunc*>(out);
    for (RwInt32 i = 0; i < inNumber; ++i) {
      slots[i] = StandardUnsupported;
    }
    slots[kRwStdCameraBeginUpdate] = StandardBeginUpdate;
    slots[kRwStdCameraEndUpdate] = StandardEndUpdate;
    slots[kRwStdCameraClear] = StandardClear;
    return TRUE;
  }
  return TRUE;
}

inline RwDevice* FakeDeviceRecordGet() { return FakeDevice(); }

// Makes the fake device the engine's driver, with the pipeline and
// immediate-mode 3D modules; call before RwEngineInit.
inline void InstallFakeDriver() {
  static const RwDriverHooks hooks = {FakeDeviceRecordGet, nullptr};
  _rwEngineSetDriverHooks(&hooks);
  _rwPipelineModuleInstall();
  _rwIm3DModuleInstall();
}

// Opens and starts an engine for each test and takes it down afterwards.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log() = DriverLog();
    InstallFakeDriver();
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 4u << 20));
    static int window = 0;
    RwEngineOpenParams params = {&window};
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineStart());
    TakeError();
  }

  void TearDown() override {
    RwEngineStop();
    RwEngineClose();
    RwEngineTerm();
    _rwEngineSetDriverHooks(nullptr);
  }

  // The pending error code, cleared; 0x80000000 when none.
  static RwUInt32 TakeErrorCode() { return static_cast<RwUInt32>(TakeError().errorCode); }
};

}  // namespace pipes_test
