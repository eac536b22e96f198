// Files of forged levels beyond their worlds: lightmap and text keys, and a
// men file of hologram doubles (the men the tests can make) on demo bodies.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/anim_engine.h"
#include "tools/demo/demo.h"
#include "tools/demo/level01/map_plan.h"
#include "tools/demo/men/men.h"

constexpr char kLevelFileKeys[] =
    "LIGHTMAP = data/level01/lm_\nTEXTS = data/level01/texts\nDFFPATH = data/level01/\nXRFPATH = data/level01/\n"
    "OBJECTS = data/level01/forged_objects\nPROPS = data/level01/forged_props\nMAP = data/level01/map.dff\n"
    // The player's taser needs its settings.
    "[implants]\nTASER_RANGE = 6\nTASER_USE_ANGLE = 45\n";

inline bool WriteLevelFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path("./" + path).parent_path());
  return static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes);
}

// MEN lists the player "player" at (-1, 0, 0), then the names; groups
// "holo0".. "holo<count - 1>" stand at (i, 0, 0).
inline std::string HologramMenFile(const std::string& names, u32 count) {
  std::string text = "[Men]\nMEN = [player, " + names +
                     "]\n[player]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (-1,0,0)\n"
                     "[dorvaman]\nUSED_ANIMS = [0]\n[enemy]\nUSED_ANIMS = [0]\n" +
                     demo::men::AnimDataGroup() + "\n[CollisionCapsule]\nP0 = 0.4\nP1 = 1.4\nRADIUS = 0.4\n" +
                     demo::men::BodyGroups({});
  for (u32 i = 0; i < count; i++) {
    text += "[holo" + std::to_string(i) + "]\nTYPE = dorvaholoman\nBODY = guard\nPOSITION = (" + std::to_string(i) +
            ",0,0)\n";
  }
  return text;
}

// The demo's camera values.
constexpr char kCameraText[] =
    "CLIP = (0.1,500)\nFOV = 90\nMINZOOMFOV = 60\nMAXZOOMFOV = 10\nZOOMSPEED = 40\n"
    "RELATIVE_POSITION = (0,2.3,-3.5)\nLOOK_AT_RELATIVE_POSITION = (0,1.6,2)\n"
    "LIGHTCOLOR = (0.7,0.7,0.7,1)\nLIGHT_DIRECTION = (0.3,-1,0.4)\n";

inline bool WriteLevelFiles(const std::string& texts, const std::string& men) {
  static demo::DataFolder* bodies = nullptr;
  if (bodies == nullptr) {
    bodies = new demo::DataFolder;
    // The player's beams load their effects.
    demo::WriteParticles(*bodies);
    if (!demo::men::WriteMen(*bodies)) {
      return false;
    }
  }
  for (const auto& file : bodies->Files()) {
    if (!WriteLevelFile(file.first, std::string(file.second.begin(), file.second.end()))) {
      return false;
    }
  }
  std::vector<uint8_t> plan;
  if (!demo::PlanBytes({{-10.0f, -10.0f, 10.0f, 10.0f, RwRGBA{90, 90, 90, 255}}}, &plan) ||
      !WriteLevelFile("data/level01/map.dff", std::string(plan.begin(), plan.end()))) {
    return false;
  }
  return WriteLevelFile("data/level01/texts_d.txt", texts) && WriteLevelFile("data/level01/men.txt", men) &&
         WriteLevelFile("data/level01/camera.txt", kCameraText) &&
         WriteLevelFile("data/level01/forged_objects.txt", "[OBJECTS]\n") &&
         WriteLevelFile("data/level01/forged_props.txt", "[none]\n");
}
