// A test fixture whose tests run with the engine started on the fake driver
// (with the fixture's memory functions and plugins) and the error record
// cleared.
#pragma once

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/support/error_record.h"

class StartedEngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Memory functions for RwEngineInit (null: the C runtime's).
  virtual const RwMemoryFunctions* MemoryFunctions() { return nullptr; }
  // Runs between RwEngineInit and RwEngineOpen; false fails the set-up.
  virtual bool AttachPlugins() { return true; }

  // Expects the pending error to be {plugin, code} and clears it.
  static void ExpectError(RwInt32 plugin, RwInt32 code);
  // Expects no pending error.
  static void ExpectNoError();
};
