// The demo men's gaits carry the player the way its keys say: a strafe goes
// to the side that the turn of the same name turns to, for every gait the
// strafe keys choose.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/characters/player/dorva_man.h"
#include "tests/game/characters/men_fixture.h"

namespace {

class StrafeGaitTest : public MenTest {
 protected:
  // The player standing on the open floor facing +z.
  cDorvaMan* AddPlayer() {
    mGroups.emplace_back(new cPropertyFile);
    mGroups.back()->ParseText(cString("[player]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (-5,0,-5)\n"));
    const cPropertyGroup* group = mGroups.back()->FindGroup(cString("player"));
    mMen.push_back(cMan::Create(group, mLevel));
    mMen.back()->AddToWorld(mLevel);
    mMen.back()->ReadProperties(group);
    return static_cast<cDorvaMan*>(mMen.back());
  }
};

// The player's actions of those names get a key press (or release).
void Keys(cDorvaMan* player, const std::vector<std::string>& actions, bool pressed) {
  tEvent event = {};
  event.type = kEventKey;
  event.key.pressed = pressed ? 1 : 0;
  for (u32 i = 0; i < cDorvaManActions::kCount; i++) {
    cDorvaManAction* action = player->GetActions().Get(i);
    for (const std::string& name : actions) {
      if (action->GetName() == cString(name.c_str())) {
        action->SetPlayer(player);
        action->OnEvent(&event);
      }
    }
  }
}

TEST_F(StrafeGaitTest, StrafesGoToTheSideOfTheirTurn) {
  LoadMenFile();
  // The player's left: where "TURNLEFT" brings his facing, square to it.
  cDorvaMan* turner = AddPlayer();
  const RwV3d facing = RwFrameGetLTM(turner->GetFrame())->at;
  Keys(turner, {"TURNLEFT"}, true);
  Advance(turner, 0.2f);
  const RwV3d turned = RwFrameGetLTM(turner->GetFrame())->at;
  const f32 ahead = turned.x * facing.x + turned.z * facing.z;
  RwV3d left = {turned.x - ahead * facing.x, 0.0f, turned.z - ahead * facing.z};
  const f32 length = std::sqrt(left.x * left.x + left.z * left.z);
  ASSERT_GT(length, 0.1f);
  left = RwV3d{left.x / length, 0.0f, left.z / length};

  struct Row {
    std::vector<std::string> keys;
    f32 leftward;  // the least ground move to the left in a second; negative: to the right
  };
  const Row rows[] = {
      {{"LEFT"}, 1.0f},        {{"RIGHT"}, -1.0f},        {{"FORWARD", "LEFT"}, 0.7f}, {{"FORWARD", "RIGHT"}, -0.7f},
      {{"RUN", "LEFT"}, 1.0f}, {{"RUN", "RIGHT"}, -1.0f}, {{"SNEAK", "LEFT"}, 0.5f},   {{"SNEAK", "RIGHT"}, -0.5f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys.front() + " " + row.keys.back());
    cDorvaMan* player = AddPlayer();
    const RwV3d start = RwFrameGetLTM(player->GetFrame())->pos;
    Keys(player, row.keys, true);
    Advance(player, 1.0f);
    const RwV3d end = RwFrameGetLTM(player->GetFrame())->pos;
    const f32 leftward = (end.x - start.x) * left.x + (end.z - start.z) * left.z;
    EXPECT_GT(leftward * (row.leftward > 0.0f ? 1.0f : -1.0f), std::fabs(row.leftward));
  }
}

}  // namespace
