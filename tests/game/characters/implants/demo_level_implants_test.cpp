// The implants on the demo's first level loaded whole: the laser opens
// laserpanel_1 and the EDS edspanel_1, each with its beam; door_b, which
// the laser panel unlocks, opens by hand from then on.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

}  // namespace
