// The demo men's gaits carry the player the way its keys say: a strafe goes
// to the side that the turn of the same name turns to, for every gait the
// strafe keys choose.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/characters/player/dorva_man.h"
#include "game/characters/player/dorva_man_input.h"
#include "tests/game/characters/men_fixture.h"

namespace {

class StrafeGaitTest : public MenTest {
 protected:
  // The player standing on the open floor facing +z.
  cDorvaMan* AddStrafer() {
    const std::string text = "[player]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (" + std::to_string(kOpenFloor.x) +
                             ",0," + std::to_string(kOpenFloor.z) + ")\n";
    mGroups.emplace_back(new cPropertyFile);
    mGroups.back()->ParseText(cString(text.c_str()));
    const cPropertyGroup* group = mGroups.back()->FindGroup(cString("player"));
    cMan* man = cMan::Create(group, mLevel);
    man->AddToWorld(mLevel);
    man->ReadProperties(group);
    mMen.push_back(man);
    return static_cast<cDorvaMan*>(man);
  }
  // The key of the player's action of that name pressed or released.
  static void Key(cDorvaMan* player, const char* action, bool pressed) {
    for (u32 i = 0; i < cDorvaManActions::kCount; i++) {
      cDorvaManAction* candidate = player->GetActions().Get(i);
      if (candidate->GetName() == cString(action)) {
        candidate->SetPlayer(player);
        tEvent event = {};
        event.type = kEventKey;
        event.key.pressed = pressed ? 1 : 0;
        candidate->OnEvent(&event);
        return;
      }
    }
    ADD_FAILURE() << "no action " << action;
  }
  // The ground move of the player while the actions' keys are held.
  static RwV3d Hold(cDorvaMan* player, const std::vector<const char*>& actions, f32 seconds) {
    const RwV3d start = Position(player);
    for (const char* action : actions) {
      Key(player, action, true);
    }
    Advance(player, seconds);
    for (const char* action : actions) {
      Key(player, action, false);
    }
    const RwV3d end = Position(player);
    return RwV3d{end.x - start.x, 0.0f, end.z - start.z};
  }
};

TEST_F(StrafeGaitTest, StrafesGoToTheSideOfTheirTurn) {
  LoadMenFile();
  // Where "TURNLEFT" brings the facing, square to it: the player's left.
  cDorvaMan* turner = AddStrafer();
  const RwV3d facing = RwFrameGetLTM(turner->GetFrame())->at;
  Hold(turner, {"TURNLEFT"}, 0.2f);
  const RwV3d turned = RwFrameGetLTM(turner->GetFrame())->at;
  const f32 ahead = turned.x * facing.x + turned.z * facing.z;
  RwV3d left = {turned.x - ahead * facing.x, 0.0f, turned.z - ahead * facing.z};
  const f32 length = std::sqrt(left.x * left.x + left.z * left.z);
  ASSERT_GT(length, 0.1f);
  left = RwV3d{left.x / length, 0.0f, left.z / length};

  struct Row {
    const char* name;
    std::vector<const char*> keys;
    u32 state;
    f32 leftward;  // the least ground move towards the left in a second; negative: towards the right
  };
  const Row rows[] = {
      {"left", {"LEFT"}, kStateStrafeLeft, 1.0f},
      {"right", {"RIGHT"}, kStateStrafeRight, -1.0f},
      {"forward and left", {"FORWARD", "LEFT"}, kStateForwardLeft, 0.7f},
      {"forward and right", {"FORWARD", "RIGHT"}, kStateForwardRight, -0.7f},
      {"running left", {"RUN", "LEFT"}, kStateStrafeLeft, 1.0f},
      {"running right", {"RUN", "RIGHT"}, kStateStrafeRight, -1.0f},
      {"sneaking left", {"SNEAK", "LEFT"}, kStateSneakLeft, 0.5f},
      {"sneaking right", {"SNEAK", "RIGHT"}, kStateSneakRight, -0.5f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    cDorvaMan* player = AddStrafer();
    for (const char* action : row.keys) {
      Key(player, action, true);
    }
    Advance(player, 0.1f);
    EXPECT_EQ(row.state, player->GetActionState());
    for (const char* action : row.keys) {
      Key(player, action, false);
    }
    const RwV3d moved = Hold(player, row.keys, 1.0f);
    const f32 leftward = moved.x * left.x + moved.z * left.z;
    if (row.leftward > 0.0f) {
      EXPECT_GT(leftward, row.leftward);
    } else {
      EXPECT_LT(leftward, row.leftward);
    }
  }
}

}  // namespace
