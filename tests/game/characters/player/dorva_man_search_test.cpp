// The player's searches and hacking on the panels' forged room: furniture
// searched while the use key is held, the bag's fifteen items, bodies in
// reach, the passes they give, and a hacking game from the use key to its end.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "game/characters/implants/ultra_implant.h"
#include "game/frontend/panels/wg_searching_panel.h"
#include "game/world/devices/searchable.h"
#include "tests/game/frontend/panels/panel_fixture.h"

namespace {

const char kUse[] = "USEDIST = 3\nUSEANG = 90\nUSERANG = 90\nUSEPOINT = [0, 1]\n";

class SearchTest : public PanelTest {
 protected:
  // The player pressing the use key in front of the device at x (a panel is
  // turned around: its front faces -z).
  cDorvaMan* PressUseAt(f32 x, bool panel = false) {
    return PressUse(AddPlayer(RwV3d{x, 0.0f, panel ? -1.2f : 1.2f}, panel ? 0.0f : 180.0f));
  }
  static cDorvaMan* PressUse(cDorvaMan* player) {
    player->Input().useItem = 1;
    player->SetUseReleased(0);
    player->Update(0.02f);
    return player;
  }
  // Seconds of frames of dt while the state holds (at most 1000 frames).
  static f32 HoldWhile(cDorvaMan* player, u32 state, f32 dt = 0.02f) {
    f32 held = 0.0f;
    for (int frame = 0; frame < 1000 && player->GetActionState() == state; frame++) {
      player->Update(dt);
      held += dt;
    }
    return held;
  }
};

TEST_F(SearchTest, FurnitureIsSearchedWhileTheUseKeyIsHeld) {
  const struct {
    const char* what;
    f32 searchedBefore;  // seconds
    f32 releaseAfter;    // seconds; 0: held to the end
    f32 held;            // seconds in state 17 (0: never entered)
  } rows[] = {{"full", 0.0f, 0.0f, 4.02f},
              {"used up", 3.9964f, 0.0f, 0.0f},
              {"nearly done", 3.98f, 0.0f, 0.02f},
              {"let go halfway", 0.0f, 2.0f, 4.0f}};
  std::string props;
  std::vector<cSearchable*> cupboards;
  for (const char* name : {"c0", "c1", "c2", "c3"}) {
    cupboards.push_back(
        Place<cSearchable>(kSetSearchables, "cupboard", name, {10.0f * cupboards.size() - 10, 0, 0}, 0));
    props += "[" + std::string(name) + "]\n" + kUse;
  }
  Finish(props);
  for (u32 i = 0; i < 4; i++) {
    SCOPED_TRACE(rows[i].what);
    cupboards[i]->UpdateSearch(rows[i].searchedBefore);
    cDorvaMan* player = PressUseAt(10.0f * i - 10.0f);
    ASSERT_EQ(rows[i].held > 0.0f ? kStateSearch : kStateStand, player->GetActionState());
    EXPECT_EQ(rows[i].held > 0.0f, player->GetSearchingPanel() != nullptr && player->GetSearchingPanel()->IsShown());
    if (rows[i].releaseAfter > 0.0f) {
      player->Update(rows[i].releaseAfter);
      player->SetUseReleased(1);
      player->Update(0.02f);
      EXPECT_NEAR(50.0f, cupboards[i]->GetRemaining(), 0.51f);
      PressUse(player);
    }
    EXPECT_NEAR(rows[i].held, HoldWhile(player, kStateSearch) + rows[i].releaseAfter, 0.021f);
    EXPECT_TRUE(player->IsBusy() == 0 && player->GetSearchingPanel() == nullptr);
  }
}

TEST_F(SearchTest, TheBagGivesItsFifteenItemsThenStops) {
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  const f32 rows[][2] = {{0.2f, 0.15f}, {0.5f, 0.2f}};  // health before and after the pizza (SEARCH_DECHEALTH 0.3)
  u8* mission = mLevel->GetMissionFlags().GetData() + 1;
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    player->ShuffleSearchItems();
    *mission = 0;
    std::map<s32, int> given;  // by message; the mission item as 6
    for (u32 i = 0; i < kSearchBagSize; i++) {
      const bool pizza = player->GetSearchBag()[i] == 2;
      player->SetHealth(pizza ? row[0] : 0.9f);
      const u8 before = *mission;
      player->AddRandomSearchItem();
      EXPECT_TRUE(!pizza || std::fabs(player->GetHealth() - row[1]) < 1e-6f);
      given[*mission != before ? 6 : mLevel->GetCurrentMessage()]++;
    }
    EXPECT_EQ((std::map<s32, int>{{6, 1}, {40, 1}, {41, 1}, {42, 1}, {49, 5}, {50, 1}, {51, 5}}), given);
  }
  EXPECT_DEATH(player->AddRandomSearchItem(),
               "Brask fault error detected in code: cDorvaMan::AddRandomSearchItem\\(\\) ");
}

TEST_F(SearchTest, BodiesInReachAndInSightCanBeSearched) {
  const struct {
    const char* what;
    RwV3d player;
    RwV3d body;
    bool found;
  } rows[] = {
      {"near", kOpenFloor, {kOpenFloor.x + 1.9f, 0.0f, kOpenFloor.z}, true},
      {"too far", kOpenFloor, {kOpenFloor.x + 1.5f, 0.0f, kOpenFloor.z + 1.5f}, false},
      {"behind a wall", {-5.0f, 0.0f, 3.5f}, {-5.0f, 0.0f, 4.6f}, false},
      {"on the ledge", {3.5f, 0.0f, 0.0f}, {4.5f, kLedgeHeight, 0.0f}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    cDorvaMan* player = AddPlayer(row.player, 0.0f);
    cDorvaMan* body = AddPlayer(row.body, 0.0f, false);
    body->SetSearchableBody(1);
    EXPECT_EQ(row.found ? body : nullptr, player->FindSearchableBody());
    body->SetSearchableBody(0);
  }
}

TEST_F(SearchTest, ABodyIsSearchedAndTheKeyGivenOnce) {
  cOpenerDevice* key = PlaceOpener("pickup", "key", {20.0f, 0.0f, 20.0f});
  Finish("[key]\nTYPE = key\nVARIANT = 1\n");  // number 0
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  cDorvaMan* body = AddPlayer(RwV3d{kOpenFloor.x - 1.0f, 0.0f, kOpenFloor.z}, 0.0f, false);
  body->SetSearchableBody(1);
  PressUse(player);
  ASSERT_EQ(kStateBody, player->GetActionState());
  EXPECT_NEAR(4.02f, HoldWhile(player, kStateBody), 0.021f);
  EXPECT_FALSE(body->IsSearchableBody());
  // The key of number 0 once: into the inventory, out of the level.
  const bool taken = player->IsKeyFound() != 0;
  EXPECT_NE(taken, player->TakeBodyPass(true));
  EXPECT_FALSE(player->TakeBodyPass(true) || player->TakeBodyPass(false));
  ASSERT_EQ(1u, player->GetInventoryCount());
  EXPECT_TRUE(player->GetInventoryItem(0).device == key && player->GetInventoryItem(0).code == 0);
  EXPECT_TRUE(mLevel->GetUsableDevices().IsEmpty());
}

TEST_F(SearchTest, HackingRunsFromTheUseKeyToItsEnd) {
  cOpenerDevice* panel = PlaceOpener("wallpanel", "panel", {0.0f, 0.0f, 0.0f});
  Finish(std::string("[panel]\nTYPE = laserpanel\n") + kUse);
  cDorvaMan* player = PressUseAt(0.0f, true);
  cWgUseHack* hack = player->GetHackPanel();
  ASSERT_EQ(kStateHack, player->GetActionState());
  static_cast<cUltraImplant*>(player->GetImplant(kImplantIndexUltra))->Start();
  ASSERT_TRUE(player->IsUltraInUse());
  player->Input().forwardKey = 1;
  player->Update(0.02f);
  ASSERT_TRUE(hack->IsShown());
  EXPECT_FLOAT_EQ(9.0f, hack->GetTimeLimit());  // twice 3 x 1.5 s while the Ultra implant runs
  for (u32 i = 0; i < hack->GetKeyCount(); i++) {
    player->PressHackKey(static_cast<u32>(hack->GetKey(i).key));
  }
  // Won, then the panel used: the game is still on; then it ends.
  for (u32 state : {kStateHack, kStateHack, kStateStand}) {
    Send(hack, kEventTick, 0.02f);
    player->Update(0.02f);
    EXPECT_EQ(state, player->GetActionState());
  }
  EXPECT_TRUE(panel->IsUsed() && !hack->IsShown() && player->IsBusy() == 0 && player->Input().forwardKey == 0);
  EXPECT_EQ(1u, player->GetHacksWon());
  panel->Reset();  // a second game waits while input is blocked
  mLevel->SetInputLock(1);
  player->Update(PressUse(player)->GetLastFrameTime());
  EXPECT_EQ(kStateHack, player->GetActionState());
}

}  // namespace
