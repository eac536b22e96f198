// A test fixture whose tests run with the engine started on the fake driver
// (by default with the C runtime's memory functions and no plugins) and the
// error record cleared.
#pragma once

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/support/error_record.h"

class StartedEngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // What SetUp does, with memory functions for RwEngineInit (null: the C
  // runtime's) and plugins attached before the engine opens (null: none).
  // Static: game tests derive from this fixture without type information.
  static void StartEngine(const RwMemoryFunctions* memoryFunctions, bool (*attachPlugins)());

  // Expects the pending error to be {plugin, code} and clears it.
  static void ExpectError(RwInt32 plugin, RwInt32 code);
  // Expects no pending error.
  static void ExpectNoError();
};
