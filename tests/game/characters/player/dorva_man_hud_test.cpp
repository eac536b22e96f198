// The player as the HUD sees it: a hurt flashes the status bars, and each
// frame's hint of the device ahead chooses the action icons.
#include <gtest/gtest.h>

#include <string>

#include "game/characters/player/dorva_man.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "tests/game/world/devices/device_fixture.h"

namespace {

class PlayerHudTest : public DeviceTest {
 protected:
  // The player at (x, 0, 1) facing -z.
  cDorvaMan* AddPlayer(f32 x) {
    const std::string text = "[player]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (" + std::to_string(x) +
                             ",0,1)\nANGLE = 180\n";
    mGroups.emplace_back(new cPropertyFile);
    mGroups.back()->ParseText(cString(text.c_str()));
    const cPropertyGroup* group = mGroups.back()->FindGroup(cString("player"));
    cMan* man = cMan::Create(group, mLevel);
    man->AddToWorld(mLevel);
    man->ReadProperties(group);
    mMen.push_back(man);
    return static_cast<cDorvaMan*>(man);
  }
};

TEST_F(PlayerHudTest, AHurtFlashesTheBarsEvenWhenProtected) {
  LoadMenFile();
  mLevel->CreateHud();
  cDorvaMan* player = AddPlayer(0.0f);
  cWgHudStatusBars* bars = mLevel->GetStatusBars();
  ASSERT_NE(nullptr, bars);
  // protected, amount, flashes
  const f32 rows[][3] = {{0, -0.5f, 1}, {1, -0.5f, 1}, {0, 0.0f, 0}, {0, 0.3f, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0] + row[1]);
    bars->Flash(0);
    player->SetHealth(0.55f);
    player->SetProtected(static_cast<u8>(row[0]));
    player->AddHealth(row[1]);
    EXPECT_EQ(row[2] != 0, bars->IsFlashing());
  }
}

// Bare hands: the hand or the openable door; a door that needs an implant
// shows closed; a panel that needs one shows hacking and its implant (a
// panel faces the other way round from its locator entry).
TEST_F(PlayerHudTest, TheHintOfTheDeviceAheadChoosesTheActionIcons) {
  LoadMenFile();
  mLevel->CreateHud();
  const std::string use = "USEPOINT = [0, 1]\nUSEDIST = 3\nUSEANG = 90\nUSERANG = 90\n";
  PlaceOpener("button", "button", {0.0f, 0.0f, 0.0f});
  PlaceDoor("open", {10.0f, 0.0f, 0.0f});
  PlaceDoor("shut", {20.0f, 0.0f, 0.0f});
  PlaceOpener("wallpanel", "eds", {30.0f, 0.0f, 0.0f}, 180.0f);
  PlaceOpener("wallpanel", "laser", {40.0f, 0.0f, 0.0f}, 180.0f);
  Finish("[button]\n" + use + "[open]\nIMPLANT = none\n" + use + "[shut]\nIMPLANT = laser\n" + use + "[eds]\nTYPE = edspanel\n" +
         use + "[laser]\nTYPE = laserpanel\n" + use);
  const struct {
    f32 x;
    std::vector<u32> icons;
  } rows[] = {{0.0f, {kActionIconHand}},
              {10.0f, {kActionIconOpenableDoor}},
              {20.0f, {kActionIconClosedDoor}},
              {30.0f, {kActionIconHacking, kActionIconEds}},
              {40.0f, {kActionIconHacking, kActionIconLaser}},
              {50.0f, {}}};
  cWgActionIcons* icons = mLevel->GetActionIcons();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.x);
    cDorvaMan* player = AddPlayer(row.x);
    player->Update(0.02f);
    eActionIcon chosen[2];
    const u32 count = icons->ChooseIcons(chosen);
    EXPECT_EQ(row.icons, std::vector<u32>(chosen, chosen + count));
  }
}

}  // namespace
