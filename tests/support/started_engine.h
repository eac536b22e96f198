// A test fixture whose tests run with the engine started on the fake driver
// and the C runtime's memory functions, and the error record cleared.
#pragma once

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/support/error_record.h"

class StartedEngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Attaches the plugins a test needs; runs between RwEngineInit and RwEngineOpen.
  virtual bool AttachPlugins() { return true; }

  // Expects the pending error to be {plugin, code} and clears it.
  static void ExpectError(RwInt32 plugin, RwInt32 code);
  // Expects no pending error.
  static void ExpectNoError();
};
