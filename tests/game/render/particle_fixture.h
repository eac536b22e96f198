// Shared pieces of the particle tests: the engine with the random-number
// plugin, and element groups parsed from text.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/foundation/property.h"
#include "tests/support/started_engine.h"

class ParticleEngineTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine([] { return RpRandomPluginAttach() != FALSE; });
    RpRandomSeed(1);
  }

  // The group "e" holding the lines of body ("KEY = value" lines); the
  // fixture keeps the file.
  const cPropertyGroup& Group(const std::string& body) {
    const std::string text = "[e]\n" + body;
    cString buffer(static_cast<u32>(text.size()));
    memcpy(buffer.SharedData(), text.data(), text.size());
    mFile.ParseText(buffer);
    return *mFile.FindGroup("e");
  }

 private:
  cPropertyFile mFile;
};

// The text of a property value parsed on its own.
inline cString ValueText(const char* text) {
  cString value;
  value.AssignCString(text);
  return value;
}
