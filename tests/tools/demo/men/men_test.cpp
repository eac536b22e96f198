// Every level's men file lists, in its USED_ANIMS, each animation slot that
// the player's and the other men's states play, so that the level loads it.
#include <gtest/gtest.h>

#include <string>

#include "game/characters/implants/shield_implant.h"
#include "game/characters/man.h"
#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/foundation/property.h"
#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/levels/level_plan.h"

namespace {

bool Lists(const cUsedAnimList& list, u32 slot) {
  for (u32 i = 0; i < list.GetCount(); i++) {
    if (list.Get(i) == slot) {
      return true;
    }
  }
  return false;
}

// What the player's model plays besides its states' slots: the shield's
// block, the hit reactions and the fall.
bool PlayerAlsoPlays(u32 slot) {
  return slot == kShieldBlockAnim || slot == kManAnimHitFront || slot == kManAnimHitBack || slot == kManAnimCollapse;
}

TEST(UsedAnimsTest, EveryLevelListsEverySlotItsMenPlay) {
  demo::DataFolder data;
  demo::level01::WriteMen(data);
  for (const demo::levels::LevelPlan& plan : demo::levels::Plans()) {
    demo::levels::WriteMenAndCamera(plan, data);
  }
  u32 files = 0;
  for (const auto& file : data.Files()) {
    const std::string& path = file.first;
    if (path.size() < 8 || path.compare(path.size() - 8, 8, "/men.txt") != 0) {
      continue;
    }
    SCOPED_TRACE(path);
    files++;
    cPropertyFile men;
    men.ParseText(cString(std::string(file.second.begin(), file.second.end()).c_str()));
    cUsedAnimList player;
    cUsedAnimList enemy;
    cMan::ReadUsedAnims(&men, "dorvaman", &player);
    cMan::ReadUsedAnims(&men, "enemy", &enemy);
    for (u32 slot = 0; slot < kManAnimCount; slot++) {
      SCOPED_TRACE(slot);
      if (cDorvaMan::StatesPlayAnim(slot) || PlayerAlsoPlays(slot)) {
        EXPECT_TRUE(Lists(player, slot));
      }
      if (cNpc::StatesPlayAnim(slot)) {
        EXPECT_TRUE(Lists(enemy, slot));
      }
    }
  }
  EXPECT_EQ(1 + demo::levels::Plans().size(), files);
  // The states' lists are not empty.
  EXPECT_TRUE(cDorvaMan::StatesPlayAnim(kManAnimSneak) && cNpc::StatesPlayAnim(kManAnimLieForward2));
  ManAnimData().ReleaseAnims();
}

}  // namespace
