// The demo's first level loaded whole and drawn through its game camera.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

using DemoCameraTest = WorldTest;

// Pixels of the lower middle of the screen that differ between two frames.
TEST_F(DemoCameraTest, TheLevelStartsWithThePlayerInView) {
  MakeScreenStack();
  demo::DataFolder data;
  std::string error;
  ASSERT_TRUE(demo::WriteDataSet(data) && demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
  ASSERT_TRUE(WriteLevelFile("data/level01/men.txt", HologramMenFile("holo0", 1)) &&
              mConfig.Load(cString("data/config.txt")));
  cQXWorld* world = (mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"))).get();
  for (int step = 0; step < 20; step++) {
    world->Load();
  }
  cDorvaCam* camera = world->GetGameCamera();
  ASSERT_TRUE(camera != nullptr && world->GetCamera(0) == camera);
  EXPECT_EQ(world->GetEngineWorld(), RwCameraGetWorld(camera->GetCamera()));
  for (int tick = 0; tick < 25; tick++) {
    world->cScene::Update(0.04f);
  }
  auto frame = [&] {
    world->GetRenderManager().RenderFrame(camera, gScreenStack->GetTarget());
    std::vector<uint32_t> pixels;
    for (int y = PixelY(0.4f); y < PixelY(0.9f); y += 4) {
      for (int x = PixelX(0.4f); x < PixelX(0.6f); x += 4) {
        pixels.push_back(BackBufferPixel(x, y));
      }
    }
    return pixels;
  };
  const std::vector<uint32_t> withPlayer = frame();
  // The player far away; the camera stays where it was.
  const RwV3d away = {0.0f, -100.0f, 0.0f};
  RwFrameTranslate(world->GetPlayer()->GetFrame(), &away, kRwCombinePostConcat);
  const std::vector<uint32_t> without = frame();
  int differing = 0;
  for (size_t i = 0; i < withPlayer.size(); i++) {
    differing += withPlayer[i] != without[i] ? 1 : 0;
  }
  EXPECT_GT(differing, static_cast<int>(withPlayer.size() / 10)) << differing << " of " << withPlayer.size();
}

}  // namespace
