// The player: its settings, the state its input chooses, its vitals, and
// walking, sneaking and using devices on a forged room.
#include "game/characters/player/dorva_man.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/characters/player/player_settings.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/world/devices/searchable.h"
#include "tests/game/world/devices/device_fixture.h"

namespace {

class PlayerTest : public DeviceTest {
 protected:
  using DeviceTest::Position;
  using MenTest::Position;
  // The player standing at the position, facing heading degrees.
  cDorvaMan* AddPlayer(const RwV3d& at, f32 heading, const std::string& extra = "") {
    const std::string text = "[player]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (" + std::to_string(at.x) + "," +
                             std::to_string(at.y) + "," + std::to_string(at.z) +
                             ")\nANGLE = " + std::to_string(heading) + "\n" + extra;
    mGroups.emplace_back(new cPropertyFile);
    mGroups.back()->ParseText(cString(text.c_str()));
    const cPropertyGroup* group = mGroups.back()->FindGroup(cString("player"));
    cMan* man = cMan::Create(group, mLevel);
    man->AddToWorld(mLevel);
    man->ReadProperties(group);
    mMen.push_back(man);
    return static_cast<cDorvaMan*>(man);
  }
  static RwV3d At(cMan* man) { return RwFrameGetLTM(man->GetFrame())->at; }
};

void ReadSettings(const std::string& group) {
  cPropertyFile file;
  file.ParseText(cString(("[dorvaman]\n" + group).c_str()));
  cDorvaMan::ReadStaticProperties(&file);
}

TEST(PlayerSettingsTest, KeysReplaceTheirDefaultsForOneFileOnly) {
  struct Row {
    const char* group;
    f32 tPlayerSettings::*field;
    f32 expected;
  };
  const Row rows[] = {
      {"NOISE_LOUD = 6\n", &tPlayerSettings::noiseLoud, 6.0f},
      {"NOISE_LOUD = 6\n", &tPlayerSettings::noiseSoft, 0.5f},
      {"", &tPlayerSettings::noiseLoud, 4.0f},  // a later file without the key
      {"", &tPlayerSettings::magneticEffect, -0.1f},
      {"", &tPlayerSettings::hardEnergyFactor, 0.0f},
      {"", &tPlayerSettings::vestAngle, 1.5707964f},
      {"MATTER_EFFECT = 0.25\n", &tPlayerSettings::matterEffect, -0.25f},
      {"MATTER_EFFECT = -0.25\n", &tPlayerSettings::matterEffect, 0.25f},
      {"SEARCH_INCHEALTH = plenty\n", &tPlayerSettings::searchIncHealth, 0.0f},
      {"SEARCH_SPEED = 2\n", &tPlayerSettings::searchSpeed, 2.0f},
      {"SEARCH_SPEED = 0\n", &tPlayerSettings::searchSpeed, 4.0f},
      {"SEARCH_SPEED = -3\n", &tPlayerSettings::searchSpeed, 4.0f},
      {"SEARCH_SPEED = fast\n", &tPlayerSettings::searchSpeed, 4.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.group);
    ReadSettings(row.group);
    EXPECT_FLOAT_EQ(row.expected, PlayerSettings().*row.field);
    EXPECT_FLOAT_EQ(PlayerSettings().searchSpeed, GetSearchSpeed());
  }
}

TEST_F(PlayerTest, InputChoosesTheState) {
  LoadMenFile();
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  struct Row {
    const char* name;
    u32 before;
    u8 forward, backward, left, right, turnLeft, turnRight, run, sneak, blocked;
    u32 expected;
  };
  const Row rows[] = {
      {"nothing", kStateWalk, 0, 0, 0, 0, 0, 0, 0, 0, 0, kStateStand},
      {"sneaking still", kStateStand, 0, 0, 0, 0, 0, 0, 0, 1, 0, kStateSneakStand},
      {"forward", kStateStand, 1, 0, 0, 0, 0, 0, 0, 0, 0, kStateWalk},
      {"forward run", kStateStand, 1, 0, 0, 0, 0, 0, 1, 0, 0, kStateRun},
      {"forward run blocked", kStateWalk, 1, 0, 0, 0, 0, 0, 1, 0, 1, kStateWalk},
      {"backward run", kStateStand, 0, 1, 0, 0, 0, 0, 1, 0, 0, kStateRunBackward},
      {"backward sneaking", kStateStand, 0, 1, 0, 0, 0, 0, 1, 1, 0, kStateSneakBackward},
      {"strafe with forward", kStateStand, 1, 0, 1, 0, 0, 0, 0, 0, 0, kStateForwardLeft},
      {"strafe with forward sneaking", kStateStand, 1, 0, 1, 0, 0, 0, 0, 1, 0, kStateSneakLeft},
      {"strafe right", kStateStand, 0, 0, 0, 1, 0, 0, 1, 0, 0, kStateStrafeRight},
      {"both turn keys", kStateStand, 0, 0, 0, 0, 1, 1, 0, 0, 0, kStateTurnLeft},
      {"turn right sneaking", kStateStand, 0, 0, 0, 0, 0, 1, 0, 1, 0, kStateSneakTurnRight},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    tPlayerInput& in = player->Input();
    in = tPlayerInput{};
    player->SetActionState(row.before);
    in.forwardKey = row.forward;
    in.backwardPad = row.backward;
    in.strafeLeftKey = row.left;
    in.strafeRightPad = row.right;
    in.turnLeftKey = row.turnLeft;
    in.turnRightPad = row.turnRight;
    in.run = row.run;
    in.sneakHeld = row.sneak;
    in.blocked = row.blocked;
    player->CombineInput();
    player->SelectStateFromInput();
    EXPECT_EQ(row.expected, player->GetActionState());
    // Pad flags are consumed; key flags stay until their key is released.
    EXPECT_EQ(row.forward, in.forwardKey);
    EXPECT_EQ(row.left, in.strafeLeftKey);
    EXPECT_EQ(0, in.backwardPad | in.strafeRightPad | in.turnRightPad | in.forward | in.strafeLeft);
  }
  player->Input() = tPlayerInput{};
  player->MouseTurnRightFrames() = 2;
  for (u32 expected : {1u, 0u, 0u}) {
    player->CombineInput();
    player->SelectStateFromInput();
    EXPECT_EQ(expected, player->MouseTurnRightFrames());
  }
}

TEST_F(PlayerTest, NoiseAndPostureFollowTheState) {
  LoadMenFile();
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  // state, noise value, posture class, posture value
  const f32 rows[][4] = {{0, 0.0f, 0, 1.6f},  {1, 0.0f, 0, 1.6f},  {2, 1.0f, 2, 2.2f},  {3, 4.0f, 3, 2.4f},
                         {4, 0.5f, 1, 1.8f},  {8, 0.5f, 0, 1.6f},  {14, 4.0f, 3, 2.4f}, {18, 1.0f, 0, 1.6f},
                         {19, 0.0f, 0, 1.6f}, {23, 0.5f, 0, 1.6f}, {20, 0.0f, 0, 1.6f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    player->SetActionState(static_cast<u32>(row[0]));
    player->EnterActionState();
    EXPECT_FLOAT_EQ(row[1], player->GetNoise());
    EXPECT_EQ(static_cast<u32>(row[2]), player->GetPostureClass());
    EXPECT_FLOAT_EQ(row[3], player->GetPostureValue());
  }
  player->SetActionState(kStateAiming);
  EXPECT_EQ(4u, player->GetPostureClass());
}

TEST_F(PlayerTest, VitalsAndLookStayInTheirRanges) {
  LoadMenFile();
  mLevel->CreateHud();
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  // The look angle: 4 degrees a frame of input, within the limit.
  player->SetLookInput(1);
  for (int frame = 0; frame < 20; frame++) {
    player->Update(0.02f);
  }
  EXPECT_FLOAT_EQ(60.0f, player->GetLookAngle());
  player->SetLookLimit(90.0f);
  player->AddLookAngle(100.0f);
  EXPECT_FLOAT_EQ(90.0f, player->GetLookAngle());
  player->SetLookLimit(60.0f);
  EXPECT_FLOAT_EQ(60.0f, player->GetLookAngle());
  player->SetLookInput(0);
  player->Input().centreView = 1;
  player->Update(0.02f);
  EXPECT_FLOAT_EQ(0.0f, player->GetLookAngle());

  // Regeneration 2.5 fills an empty reserve in 400 s.
  player->SetEnergy(0.0f);
  for (int second = 0; second < 399; second++) {
    player->Update(1.0f);
  }
  EXPECT_NEAR(0.9975f, player->GetEnergy(), 1e-3f);
  player->Update(1.0f);
  player->Update(1.0f);
  EXPECT_FLOAT_EQ(1.0f, player->GetEnergy());

  // health, protected, amount -> health; any hurt flashes the HUD's bars
  const f32 rows[][4] = {{0.55f, 0, -0.5f, 0.05f},
                         {0.55f, 1, -0.5f, 0.55f},
                         {0.9f, 0, 0.5f, 1.0f},
                         {0.2f, 0, -1.0f, 0.0f},
                         {0.5f, 1, 0.2f, 0.7f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0] + row[2]);
    player->SetHealth(row[0]);
    player->SetProtected(static_cast<u8>(row[1]));
    mLevel->GetStatusBars()->Flash(0);
    player->AddHealth(row[2]);
    EXPECT_FLOAT_EQ(row[3], player->GetHealth());
    EXPECT_EQ(row[2] < 0.0f, mLevel->GetStatusBars()->IsFlashing());
  }
}

TEST_F(PlayerTest, WalksTurnsIntoWalkingAtWallsAndSneaksLow) {
  LoadMenFile();
  cDorvaMan* player = AddPlayer(kOpenFloor, 90.0f);
  const RwV3d start = Position(player);
  const RwV3d facing = At(player);
  player->Input().forwardKey = 1;
  Advance(player, 2.0f);
  const RwV3d end = Position(player);
  EXPECT_NEAR(3.0f, (end.x - start.x) * facing.x + (end.z - start.z) * facing.z, 0.3f);
  EXPECT_EQ(kStateWalk, player->GetActionState());

  // Running into the wall between the two walls: walking, sliding along it.
  cDorvaMan* runner = AddPlayer(RwV3d{-5.0f, 0.0f, 4.8f}, 30.0f);
  runner->Input().forwardKey = 1;
  runner->Input().run = 1;
  Advance(runner, 1.0f);
  EXPECT_EQ(kStateWalk, runner->GetActionState());
  EXPECT_GT(Position(runner).x, -5.0f);
  EXPECT_LT(Position(runner).z, 5.4f);

  player->Input() = tPlayerInput{};
  player->Input().sneakHeld = 1;
  player->Input().forwardKey = 1;
  Advance(player, 0.1f);
  EXPECT_FLOAT_EQ(kPerceivableLowHeight, player->GetPerceivableOffset().y);
  player->Input().sneakHeld = 0;
  Advance(player, 0.04f);
  EXPECT_FLOAT_EQ(kPerceivableHeight, player->GetPerceivableOffset().y);
}

TEST_F(PlayerTest, UsesDevicesLowOrHighAtFortyPercent) {
  LoadMenFile();
  const std::string props = "TYPE = button\nOPENEDTIME = 0\nUSEDIST = 3\nUSEANG = 90\nUSERANG = 90\nUSEPOINT = [0, ";
  cOpenerDevice* low = PlaceOpener("button", "low", {0.0f, 0.0f, 0.0f});
  cOpenerDevice* high = PlaceOpener("button", "high", {10.0f, 0.0f, 0.0f});
  Finish("[low]\n" + props + "2.1]\n[high]\n" + props + "2.11]\n");
  const struct {
    cOpenerDevice* device;
    u32 state;
  } rows[] = {{low, kStateUseLow}, {high, kStateUseHigh}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.state);
    const RwV3d at = Position(row.device);
    cDorvaMan* player = AddPlayer(RwV3d{at.x, 0.0f, 1.0f}, 180.0f);
    player->Input().useItem = 1;
    player->Update(0.02f);
    EXPECT_EQ(row.state, player->GetActionState());
    EXPECT_EQ(1, player->IsBusy());
    player->SetUseReleased(1);
    bool acted = false;
    f32 phase = 0.0f;
    for (int frame = 0; frame < 200 && !acted; frame++) {
      phase = player->GetModel()->GetAnimPhase();
      player->Update(0.02f);
      player->GetModel()->Update(0.02f);
      acted = row.device->IsUsed();
    }
    ASSERT_TRUE(acted);
    EXPECT_GT(phase, kUseActionPhase);
    EXPECT_EQ(kStateStand, player->GetActionState());
    EXPECT_EQ(0, player->IsBusy());
  }
}

// The HUD's hint: the hand, the openable door, a closed one that needs an
// implant, hacking and the implant of a panel (turned round from its entry).
TEST_F(PlayerTest, TheDeviceAheadChoosesTheActionIcons) {
  LoadMenFile();
  mLevel->CreateHud();
  const std::string use = "USEPOINT = [0, 1]\nUSEDIST = 3\nUSEANG = 90\nUSERANG = 90\n";
  PlaceOpener("button", "button", {0.0f, 0.0f, 0.0f});
  PlaceDoor("open", {10.0f, 0.0f, 0.0f});
  PlaceDoor("shut", {20.0f, 0.0f, 0.0f});
  PlaceOpener("wallpanel", "eds", {30.0f, 0.0f, 0.0f}, 180.0f);
  PlaceOpener("wallpanel", "laser", {40.0f, 0.0f, 0.0f}, 180.0f);
  Finish("[button]\n" + use + "[open]\nIMPLANT = none\n" + use + "[shut]\nIMPLANT = laser\n" + use +
         "[eds]\nTYPE = edspanel\n" + use + "[laser]\nTYPE = laserpanel\n" + use);
  const std::vector<u32> rows[] = {{kActionIconHand},   {kActionIconOpenableDoor},          {kActionIconClosedDoor},
                                   {kActionIconHacking, kActionIconEds}, {kActionIconHacking, kActionIconLaser}, {}};
  for (u32 i = 0; i < 6; i++) {
    SCOPED_TRACE(i);
    AddPlayer(RwV3d{10.0f * i, 0.0f, 1.0f}, 180.0f)->Update(0.02f);
    eActionIcon chosen[2];
    const u32 count = mLevel->GetActionIcons()->ChooseIcons(chosen);
    EXPECT_EQ(rows[i], std::vector<u32>(chosen, chosen + count));
  }
}

TEST_F(PlayerTest, KeysAndCardsAreTakenIntoTheInventory) {
  LoadMenFile();
  const std::string use = "USEDIST = 3\nUSEANG = 90\nUSERANG = 90\nUSEPOINT = [0, 1]\nVARIANT = 3\n";
  cOpenerDevice* key = PlaceOpener("button", "key", {0.0f, 0.0f, 0.0f});
  cOpenerDevice* card = PlaceOpener("button", "card", {10.0f, 0.0f, 0.0f});
  Finish("[key]\nTYPE = key\n" + use + "[card]\nTYPE = card\n" + use);
  cDorvaMan* player = nullptr;
  for (cOpenerDevice* device : {key, card}) {
    const RwV3d at = Position(device);
    player = AddPlayer(RwV3d{at.x, 0.0f, 1.0f}, 180.0f);
    player->Input().useItem = 1;
    player->SetSkipAnimation(1);
    player->Update(0.02f);
    player->Update(0.02f);
    ASSERT_EQ(1u, player->GetInventoryCount());
    EXPECT_EQ(device, player->GetInventoryItem(0).device);
  }
  EXPECT_EQ(static_cast<u32>(card->GetVariant()) + 5, player->GetInventoryItem(0).code);
  EXPECT_EQ(static_cast<u32>(key->GetVariant()), static_cast<cDorvaMan*>(mMen[0])->GetInventoryItem(0).code);
  EXPECT_TRUE(mLevel->GetUsableDevices().IsEmpty());
}

TEST_F(PlayerTest, AlignsToDevicesAndVariesItsIdling) {
  LoadMenFile();
  cOpenerDevice* button = PlaceOpener("button", "b", {2.0f, 0.0f, -3.0f}, 60.0f);
  Finish("[b]\nTYPE = button\nUSEPOINT = [0.2, 1]\n");
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  player->SetTargetDevice(button);
  player->AlignToDevice();
  RwV3d p;
  RwV3d d;
  button->GetUsePoint(&p, false);
  button->GetUseDirection(&d, false);
  const RwV3d place = Position(player);
  EXPECT_NEAR(p.x + 0.7f * d.x - 0.1f * d.z, place.x, 1e-4f);
  EXPECT_NEAR(p.z + 0.7f * d.z + 0.1f * d.x, place.z, 1e-4f);
  EXPECT_NEAR(-d.x, At(player).x, 1e-4f);
  EXPECT_NEAR(-d.z, At(player).z, 1e-4f);
  EXPECT_NEAR(-3.14159265f / 2.0f, cDorvaMan::HeadingDifference(RwV3d{0, 0, 1}, RwV3d{1, 0, 0}), 1e-5f);
  // A half turn wraps to -pi.
  EXPECT_NEAR(-3.14159265f, cDorvaMan::HeadingDifference(RwV3d{1, 0, 1}, RwV3d{-1, 0, -1}), 1e-5f);

  player->SetActionState(kStateStand);
  player->EnterActionState();
  Advance(player, 1.0f);
  player->GetIdleTimer().SetMilliseconds(player->GetIdleTimer().GetMilliseconds() + 8000.0f);
  Advance(player, 0.04f);
  EXPECT_EQ(kManAnimStand, player->GetModel()->GetCurrentIndex());
  player->GetIdleTimer().SetMilliseconds(player->GetIdleTimer().GetMilliseconds() + 1000.0f);
  player->Update(0.02f);
  const u32 idle = player->GetModel()->GetTargetIndex();
  EXPECT_TRUE(idle == 1 || idle == 2) << idle;
}

TEST_F(PlayerTest, ARestartPlacesAndADeadPlayerStays) {
  LoadMenFile();
  cDorvaMan* player = AddPlayer(kOpenFloor, 90.0f);
  // A restart reads the group again: the same place and heading, however
  // the player moved and turned.
  player->Input().forwardKey = 1;
  player->SetKeyTurnSum(1.0f);
  Advance(player, 1.0f);
  player->ReadProperties(mGroups.back()->FindGroup(cString("player")));
  EXPECT_NEAR(kOpenFloor.x, Position(player).x, 1e-4f);
  EXPECT_NEAR(kOpenFloor.z, Position(player).z, 1e-4f);
  EXPECT_NEAR(1.0f, At(player).x, 1e-4f);
  player->Input() = tPlayerInput{};
  player->SetKeyTurnSum(0.0f);
  player->SetHealth(0.05f);
  player->SetEnergy(0.5f);
  player->Input().forwardKey = 1;
  const RwV3d before = Position(player);
  const u32 state = player->GetActionState();
  player->Update(0.5f);
  EXPECT_EQ(state, player->GetActionState());
  EXPECT_FLOAT_EQ(0.5f, player->GetEnergy());
  EXPECT_FLOAT_EQ(before.z, Position(player).z);
  player->Die();
  EXPECT_EQ(kManAnimCollapse, player->GetModel()->GetTargetIndex());
  EXPECT_FLOAT_EQ(0.0f, player->GetHealth());
}

}  // namespace
