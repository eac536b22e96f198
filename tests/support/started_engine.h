// A test fixture whose tests run with the engine started on the fake driver
// and the C runtime's memory functions, and the error record cleared.
#pragma once

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/support/error_record.h"

// Starts the engine on the fake driver, calling attachPlugins (when given)
// between RwEngineInit and RwEngineOpen. A free function: game tests derive
// fixtures without run-time type information, so support code compiled with
// it must not call members of theirs.
void StartEngineOnFakeDriver(bool (*attachPlugins)());

class StartedEngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Expects the pending error to be {plugin, code} and clears it.
  static void ExpectError(RwInt32 plugin, RwInt32 code);
  // Expects no pending error.
  static void ExpectNoError();
};
