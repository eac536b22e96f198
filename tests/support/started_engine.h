// A test fixture whose tests run with the engine started on the fake driver
// and the C runtime's memory functions, and the error record cleared. Plugin
// tests override SetUp to start the engine with their plugins attached.
#pragma once

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/support/error_record.h"

class StartedEngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // What SetUp does, with attach run between RwEngineInit and RwEngineOpen
  // (false fails the set-up) and the memory functions given to RwEngineInit
  // (null: the C runtime's). Static, and no virtual is called: fixtures of
  // game tests are built without run-time type information.
  static void StartEngine(bool (*attach)(), const RwMemoryFunctions* memoryFunctions = nullptr);

  // Expects the pending error to be {plugin, code} and clears it.
  static void ExpectError(RwInt32 plugin, RwInt32 code);
  // Expects no pending error.
  static void ExpectNoError();
};

// Brings up the engine on the fake driver with counting memory and the
// plugins attach registers, then fails each allocation of a start in turn:
// every failed start must leave no block behind, and the start that succeeds
// must pass started before it is stopped.
void ExpectFailedStartsLeakNothing(bool (*attach)(), bool (*started)());
