// Files of forged levels beyond their worlds: the level group's lightmap and
// text keys, a texts file, and a men file of hologram doubles standing on
// the demo men's bodies (the men's classes the tests can make).
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/anim_engine.h"
#include "tools/demo/men/men.h"

constexpr char kLevelFileKeys[] = "LIGHTMAP = data/level01/lm_\nTEXTS = data/level01/texts\n";

// The men file: the shared groups, then a hologram double "holoN" at (N, 0, 0)
// per name given, listed in MEN as given (names without a group stay absent).
inline std::string HologramMenFile(const std::vector<std::string>& listed, u32 groups) {
  std::string all = "[";
  for (int slot = 0; slot < demo::men::kAnimationCount; slot++) {
    all += (slot == 0 ? "" : ", ") + std::to_string(slot);
  }
  std::string text = "[Men]\nMEN = [";
  for (size_t i = 0; i < listed.size(); i++) {
    text += (i == 0 ? "" : ", ") + listed[i];
  }
  text += "]\n[dorvaman]\nUSED_ANIMS = " + all + "]\n[enemy]\nUSED_ANIMS = " + all + "]\n" +
          demo::men::AnimDataGroup() + "\n[CollisionCapsule]\nP0 = 0.4\nP1 = 1.4\nRADIUS = 0.4\n" +
          demo::men::BodyGroups({});
  for (u32 i = 0; i < groups; i++) {
    text += "[holo" + std::to_string(i) + "]\nTYPE = dorvaholoman\nBODY = guard\nPOSITION = (" + std::to_string(i) +
            ",0,0)\n";
  }
  return text;
}

// Writes path (folders made) relative to the working folder.
inline bool WriteLevelFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path("./" + path).parent_path());
  return static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes);
}

// The demo men's bodies and animations, the texts file and the men file.
inline bool WriteLevelFiles(const std::string& texts, const std::string& men) {
  static demo::DataFolder* bodies = nullptr;
  if (bodies == nullptr) {
    bodies = new demo::DataFolder;
    if (!demo::men::WriteMen(*bodies)) {
      return false;
    }
  }
  for (const auto& file : bodies->Files()) {
    if (!WriteLevelFile(file.first, std::string(file.second.begin(), file.second.end()))) {
      return false;
    }
  }
  return WriteLevelFile("data/level01/texts_d.txt", texts) && WriteLevelFile("data/level01/men.txt", men);
}
