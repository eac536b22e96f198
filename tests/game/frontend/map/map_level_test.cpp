// The map views of the demo's first level loaded whole: what the level gives
// them, and how the HUD and the info view show, hide and recentre them.
#include <gtest/gtest.h>

#include <string>

#include "game/characters/dorva_holo_man.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/map/wg_map_view.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

using MapLevelTest = WorldTest;

TEST_F(MapLevelTest, TheLevelsMapsFollowTheHudAndTheInfoView) {
  MakeScreenStack();
  cQXWorld* world = LoadDemoLevel01();
  ASSERT_NE(nullptr, world);
  cWgMapView* hud = world->GetHudMap();
  cWgMapView* full = world->GetFullMap();
  ASSERT_TRUE(hud != nullptr && full != nullptr);
  u32 devices = 0;
  for (cListNode* node = world->GetUsableDevices().First(); node != nullptr; node = cList::Next(node)) {
    devices++;
  }
  EXPECT_EQ(16.0f, hud->GetViewDistance());  // MAPDIST
  EXPECT_EQ(4, full->GetFlashIcon());          // the way out's door
  EXPECT_EQ(4u, hud->GetIconCount());
  EXPECT_EQ(2u, full->GetManMarkerCount());
  EXPECT_EQ(devices, full->GetDeviceMarkerCount());
  EXPECT_FALSE(hud->IsShown());  // the HUD waits behind the briefing

  world->CloseInfoView(true);
  EXPECT_TRUE(hud->IsShown());
  EXPECT_FALSE(full->IsShown());
  cMan* holo = world->GetHologram();
  const struct { u8 visible; } rows[] = {{0}, {1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.visible);
    static_cast<cDorvaHoloMan*>(holo)->SetVisible(row.visible);
    RwFrameTranslate(holo->GetFrame(), &RwFrameGetLTM(world->GetPlayer()->GetFrame())->pos, kRwCombineReplace);
    hud->Render();
    EXPECT_EQ(row.visible != 0, hud->IsManMarkerDrawn(1));
  }

  const RwV3d at = {6.0f, 0.0f, 1.0f};
  RwFrameTranslate(world->GetPlayer()->GetFrame(), &at, kRwCombineReplace);
  world->OpenInfoView();
  EXPECT_FALSE(hud->IsShown());
  ASSERT_TRUE(full->IsShown());
  const RwV3d centre = RwFrameGetLTM(full->GetCentreFrame())->pos;
  EXPECT_FLOAT_EQ(at.x, centre.x);
  EXPECT_FLOAT_EQ(at.z, centre.z);
  full->SetKeyX(1.0f);
  world->CloseInfoView(true);
  world->OpenInfoView();
  full->Render();
  EXPECT_FLOAT_EQ(at.x, RwFrameGetLTM(full->GetCentreFrame())->pos.x);  // the key was let go with the view
}

}  // namespace
