// The implants on the demo's first level loaded whole: the laser opens
// laserpanel_1 and the EDS edspanel_1, each with its beam; door_b, which
// the laser panel unlocks, opens by hand from then on. The dart takes a
// guard of the level's own men file however close he stands.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/characters/implants/dart_implant.h"
#include "game/characters/implants/eds_implant.h"
#include "game/characters/implants/laser_implant.h"
#include "game/characters/player/dorva_man.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/door.h"
#include "game/world/devices/opener_device.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

using DemoImplantTest = WorldTest;

TEST_F(DemoImplantTest, LaserAndEdsOpenTheirPanels) {
  MakeScreenStack();
  cQXWorld* world = LoadDemoLevel01(true);
  ASSERT_NE(nullptr, world);
  cDorvaMan* player = world->GetPlayer();
  ASSERT_NE(nullptr, player);
  world->CloseInfoView(true);
  player->SetBusy(0);
  world->SetInputLock(0);
  cOpenerDevice* panels[2] = {nullptr, nullptr};
  ForEachClone<cOpenerDevice>(world->GetObjectSets(kSetDevices), [&](cOpenerDevice* d) {
    panels[0] = d->GetName() == "laserpanel_1" ? d : panels[0];
    panels[1] = d->GetName() == "edspanel_1" ? d : panels[1];
  });
  cDoor* doorB = nullptr;
  ForEachClone<cDoor>(world->GetObjectSets(kSetDoors), [&](cDoor* d) { doorB = d->GetName() == "door_b" ? d : doorB; });
  ASSERT_TRUE(panels[0] != nullptr && panels[1] != nullptr && doorB != nullptr);
  EXPECT_FALSE(doorB->ListensTo(kTriggerNone));
  const u32 implants[2] = {kImplantIndexLaser, kImplantIndexEds};
  for (int i = 0; i < 2; i++) {
    SCOPED_TRACE(implants[i]);
    cOpenerDevice* panel = panels[i];
    RwV3d use, out;
    panel->GetUsePoint(&use, panel->IsOtherSide());
    panel->GetUseDirection(&out, panel->IsOtherSide());
    const RwV3d at = {use.x + 0.7f * out.x, 0.0f, use.z + 0.7f * out.z};
    RwFrameTranslate(player->GetFrame(), &at, kRwCombineReplace);
    player->SetReferencePosition(at);
    player->SetHeading(std::atan2(-out.x, -out.z));
    player->SetSelectedImplant(implants[i]);
    player->Input().useImplant = 1;
    const f32 energy = player->GetEnergy();
    cBeamImplant* implant = static_cast<cBeamImplant*>(player->GetImplant(implants[i]));
    bool fired = false;
    for (int frame = 0; frame < 200 && (frame == 0 || player->GetActionState() != kStateStand); frame++) {
      world->cScene::Update(0.02f);
      fired = fired || implant->GetState() == kBeamActive;
    }
    EXPECT_TRUE(panel->IsUsed());
    EXPECT_TRUE(fired);
    EXPECT_NEAR(energy - 0.2f, player->GetEnergy(), 0.02f);
    EXPECT_EQ(0, player->IsBusy());
  }
  EXPECT_TRUE(doorB->ListensTo(kTriggerNone));
}

// The aiming eye looks level from above the player's head: a guard a step
// ahead is met at his head, one farther off at his chest.
TEST_F(DemoImplantTest, ADartAtAGuardHitsHimCloseOrFar) {
  MakeScreenStack();
  ASSERT_TRUE(WriteDemoData());
  cQXWorld* world = (mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"))).get();
  for (int step = 0; step < 20; step++) {
    world->Load();
  }
  cDorvaMan* player = world->GetPlayer();
  cMan* guard = static_cast<cMan*>(world->GetMen().Get(2));  // after the player and his double
  ASSERT_TRUE(player != nullptr && guard != nullptr && guard->GetName() == "guard_1");
  world->CloseInfoView(true);
  world->SetInputLock(0);
  player->SetProtected(1);
  cDartImplant* dart = static_cast<cDartImplant*>(player->GetImplant(kImplantIndexDart));
  for (const f32 distance : {1.0f, 1.5f, 3.0f, 6.0f}) {
    SCOPED_TRACE(distance);
    // Along the corridor, the player at its start facing east.
    const RwV3d start = {2.0f, 0.0f, 0.0f}, ahead = {2.0f + distance, 0.0f, 0.0f};
    RwFrameTranslate(player->GetFrame(), &start, kRwCombineReplace);
    player->SetReferencePosition(start);
    player->SetHeading(std::atan2(1.0f, 0.0f));  // facing +x
    player->ToggleBionicEye();
    for (int frame = 0; frame < 3; frame++) {
      RwFrameTranslate(guard->GetFrame(), &ahead, kRwCombineReplace);
      world->cScene::Update(0.02f);
    }
    player->Input().useItem = 1;
    RwFrameTranslate(guard->GetFrame(), &ahead, kRwCombineReplace);
    world->cScene::Update(0.02f);
    EXPECT_EQ(guard, dart->GetTarget());
    player->ToggleBionicEye();
    world->cScene::Update(0.02f);
  }
}

}  // namespace
