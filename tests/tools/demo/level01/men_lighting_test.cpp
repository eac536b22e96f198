// The men of the first level drawn in its lights, read back from the
// picture: the brightness option, the shield's tint and the level's own
// lights all reach the agent, which is not drawn in his texture's own
// colour whatever the light.
#include <gtest/gtest.h>

#include <vector>

#include "game/characters/camera/dorva_cam.h"
#include "game/characters/implants/shield_implant.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/scene/light.h"
#include "tests/game/characters/world_fixture.h"

namespace {

// Mean colour of a set of pixels, per channel 0..255.
struct Mean {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double Sum() const { return red + green + blue; }
};

class MenLightingTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
    mLevel = LoadDemoLevel01();
    ASSERT_NE(nullptr, mLevel);
    mPlayer = mLevel->GetPlayer();
    mCamera = mLevel->GetGameCamera();
    ASSERT_TRUE(mPlayer != nullptr && mCamera != nullptr);
    Tick(25);
  }

  void Tick(int ticks) {
    for (int i = 0; i < ticks; i++) {
      mLevel->cScene::Update(0.04f);
    }
  }

  // Every second pixel of every second row of a frame drawn now.
  std::vector<uint32_t> Frame() {
    mLevel->GetRenderManager().RenderFrame(mCamera, gScreenStack->GetTarget());
    const std::vector<uint32_t> all = BackBufferRowsRgb(Device(), 0, kHeight, kWidth);
    EXPECT_FALSE(all.empty()) << "no back buffer";
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kHeight && !all.empty(); y += 2) {
      for (int x = 0; x < kWidth; x += 2) {
        pixels.push_back(all[static_cast<size_t>(y) * kWidth + x]);
      }
    }
    return pixels;
  }

  // The agent's own pixels: those that change when his materials turn
  // black (his shadow on the floor does not).
  std::vector<size_t> AgentPixels() {
    mPlayer->SetMaterialColour(255, 0, 0, 0);
    const std::vector<uint32_t> black = Frame();
    mPlayer->SetMaterialColour(255, 255, 255, 255);
    const std::vector<uint32_t> white = Frame();
    std::vector<size_t> agent;
    for (size_t i = 0; i < white.size(); i++) {
      if (white[i] != black[i]) {
        agent.push_back(i);
      }
    }
    return agent;
  }

  static Mean MeanOf(const std::vector<uint32_t>& frame, const std::vector<size_t>& pixels) {
    Mean mean;
    for (size_t i : pixels) {
      mean.red += (frame[i] >> 16) & 0xFF;
      mean.green += (frame[i] >> 8) & 0xFF;
      mean.blue += frame[i] & 0xFF;
    }
    const double count = pixels.empty() ? 1.0 : static_cast<double>(pixels.size());
    mean.red /= count;
    mean.green /= count;
    mean.blue /= count;
    return mean;
  }

  // The level light named in the level's LIGHT list.
  cLight* LevelLight(u32 index) { return static_cast<cLight*>(mLevel->GetLights().Get(index)); }

  cQXWorld* mLevel = nullptr;
  cDorvaMan* mPlayer = nullptr;
  cDorvaCam* mCamera = nullptr;
};

// From brightness 0 through 50 to 100 the agent at the dim west end of the
// corridor is drawn brighter at each step.
TEST_F(MenLightingTest, BrightnessBrightensTheAgent) {
  const std::vector<size_t> agent = AgentPixels();
  ASSERT_LT(200u, agent.size());
  double previous = 0.0;
  for (u32 brightness : {0u, 50u, 100u}) {
    SCOPED_TRACE(brightness);
    gGameOptions->SetBrightness(brightness);
    mCamera->ApplyBrightness();
    const double seen = MeanOf(Frame(), agent).Sum();
    EXPECT_LT(previous * 1.1, seen);
    previous = seen;
  }
}

// The shield tints the agent blue on the picture, through his materials and
// the camera's light, and its end gives the picture back as it was.
TEST_F(MenLightingTest, TheShieldTintsTheAgentBlue) {
  const std::vector<size_t> agent = AgentPixels();
  ASSERT_LT(200u, agent.size());
  const std::vector<uint32_t> plain = Frame();
  mPlayer->SetEnergy(1.0f);
  cShieldImplant* shield = static_cast<cShieldImplant*>(mPlayer->GetImplant(kImplantIndexShield));
  shield->Start();
  const RwRGBAReal& light = mCamera->GetDirectionalLight().GetColour();
  EXPECT_TRUE(light.red == 0.5f && light.green == 0.5f && light.blue == 1.0f);
  const Mean before = MeanOf(plain, agent);
  const Mean shielded = MeanOf(Frame(), agent);
  EXPECT_LT(shielded.red, before.red * 0.9);
  EXPECT_LT(before.blue / before.red * 1.3, shielded.blue / shielded.red);
  shield->Stop();
  EXPECT_EQ(mCamera->GetLightColour().b, mCamera->GetDirectionalLight().GetColour().blue);
  EXPECT_EQ(plain, Frame());
}

// Each of the level's lights that reaches the agent where he stands lights
// him: switched off, it leaves him darker. At the darkest brightness, so
// that under the lamps, where the lightmaps are brightest, the agent is not
// already drawn in his full colour.
TEST_F(MenLightingTest, TheLevelsLightsLightTheAgent) {
  gGameOptions->SetBrightness(0);
  mCamera->ApplyBrightness();
  struct Row {
    const char* name;
    u32 light;    // index in the level's LIGHT list
    RwV3d at;     // where the agent stands, the camera behind him
    f32 heading;  // radians from +z
  };
  // The sun shines from above and the north: it lights the back of an agent
  // who faces south. The lamps hang between him and the camera, over his
  // back.
  const Row rows[] = {
      {"ambient, at the start", 0, {-1.0f, 0.0f, 0.0f}, 0.0f},
      {"sun, at the start", 1, {-1.0f, 0.0f, 0.0f}, 3.14159265f},
      {"lamp over the corridor", 2, {12.0f, 0.0f, 1.5f}, 0.0f},
      {"spot in room A", 3, {4.0f, 0.0f, 7.0f}, 0.0f},
      {"soft spot in room B", 4, {20.0f, 0.0f, 7.0f}, 0.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RwFrameTranslate(mPlayer->GetFrame(), &row.at, kRwCombineReplace);
    mPlayer->SetHeading(row.heading);
    mCamera->Reset();
    Tick(25);
    const std::vector<size_t> agent = AgentPixels();
    ASSERT_LT(100u, agent.size());
    const double lit = MeanOf(Frame(), agent).Sum();
    cLight* light = LevelLight(row.light);
    const RwRGBAReal colour = light->GetColour();
    light->SetColour(RwRGBAReal{0.0f, 0.0f, 0.0f, 1.0f});
    const double unlit = MeanOf(Frame(), agent).Sum();
    light->SetColour(colour);
    EXPECT_LT(unlit * 1.03, lit);
  }
}

}  // namespace
