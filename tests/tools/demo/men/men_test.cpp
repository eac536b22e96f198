// Every level's men file lists, in its USED_ANIMS, each animation slot that
// the player's and the other men's states play, so that the level loads it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "game/characters/implants/shield_implant.h"
#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/levels/level_plan.h"

namespace {

std::set<u32> UsedAnims(const cPropertyFile& men, const char* group) {
  cUsedAnimList list;
  cMan::ReadUsedAnims(&men, group, &list);
  std::set<u32> slots;
  for (u32 i = 0; i < list.GetCount(); i++) {
    slots.insert(list.Get(i));
  }
  return slots;
}

TEST(UsedAnimsTest, EveryLevelListsEverySlotItsMenPlay) {
  demo::DataFolder data;
  demo::level01::WriteMen(data);
  for (const demo::levels::LevelPlan& plan : demo::levels::Plans()) {
    demo::levels::WriteMenAndCamera(plan, data);
  }
  size_t files = 0;
  for (const auto& file : data.Files()) {
    if (file.first.find("/men.txt") == std::string::npos) {
      continue;
    }
    SCOPED_TRACE(file.first);
    files++;
    cPropertyFile men;
    men.ParseText(cString(std::string(file.second.begin(), file.second.end()).c_str()));
    const std::set<u32> player = UsedAnims(men, "dorvaman");
    const std::set<u32> enemy = UsedAnims(men, "enemy");
    for (u32 slot = 0; slot < kManAnimCount; slot++) {
      SCOPED_TRACE(slot);
      // Besides its states' slots the player's model plays the shield's
      // block, the hit reactions and the fall.
      if (cDorvaMan::StatesPlayAnim(slot) || slot == kShieldBlockAnim || slot == kManAnimHitFront ||
          slot == kManAnimHitBack || slot == kManAnimCollapse) {
        EXPECT_EQ(1u, player.count(slot));
      }
      if (cNpc::StatesPlayAnim(slot)) {
        EXPECT_EQ(1u, enemy.count(slot));
      }
    }
  }
  EXPECT_EQ(1 + demo::levels::Plans().size(), files);
  ManAnimData().ReleaseAnims();
}

}  // namespace
