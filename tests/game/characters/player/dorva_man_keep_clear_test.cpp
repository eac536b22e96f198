// The player keeps clear of the men: a step towards a man within reach is
// taken back, a step away from him stands.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/game/characters/npc/npc_fixture.h"

namespace {

using PlayerKeepClearTest = NpcTest;

TEST_F(PlayerKeepClearTest, AStepTowardsAManWithinReachIsTakenBackAStepAwayStands) {
  cDorvaMan* player = LoadPlayer();
  cNpc* guard = MakeNpc("guard", "");
  AppendPointer(&mLevel->GetMen(), guard);
  const RwV3d start = {-5.0f, 0.0f, -5.0f};
  const struct {
    const char* name;
    f32 guardZ;  // the player faces +z
    bool moves;
  } rows[] = {{"a guard just ahead", 0.6f, false}, {"a guard just behind", -0.6f, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Place(player, start);
    player->SetReferencePosition(start);
    Place(guard, RwV3d{start.x, 0.0f, start.z + row.guardZ});
    player->Input() = tPlayerInput{};
    player->Input().forwardKey = 1;
    Advance(player, 1.0f);
    EXPECT_EQ(row.moves, Ground(player).y - start.z > 0.5f) << Ground(player).y;
  }
}

}  // namespace
