// The later levels: each plan's shell, objects, men, camera and texts.
#include "tools/demo/levels/levels.h"

#include "tools/demo/levels/level_plan.h"

namespace demo {

bool WriteLevels(DataFolder& data) {
  for (const levels::LevelPlan& plan : levels::Plans()) {
    if (!levels::WriteShell(plan, data)) {
      return false;
    }
    levels::WriteObjects(plan, data);
    levels::WriteMenAndCamera(plan, data);
    levels::WriteTexts(plan, data);
  }
  return true;
}

std::string LevelsConfigGroups() {
  std::string text;
  for (const levels::LevelPlan& plan : levels::Plans()) {
    text += "\n" + levels::ConfigGroups(plan);
  }
  return text;
}

std::vector<std::string> LevelNames() {
  std::vector<std::string> names;
  for (const levels::LevelPlan& plan : levels::Plans()) {
    names.push_back(plan.name);
  }
  return names;
}

}  // namespace demo
