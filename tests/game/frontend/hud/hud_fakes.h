// Stand-ins for the player, the device at hand and the world as the HUD
// widgets see them.
#pragma once

#include <vector>

#include "game/frontend/hud/hud_widget.h"
#include "tests/support/screen_engine.h"

class FakeHudPlayer : public cHudPlayer {
 public:
  f32 GetHudHealth() const override { return health; }
  f32 GetHudEnergy() const override { return energy; }
  u32 GetHudNoiseLevel() const override { return noise; }
  u32 GetHudImplant() const override { return implant; }
  bool IsHudImplantAvailable(u32 index) const override { return (available >> index) & 1; }
  u32 GetHudItemCount() const override { return static_cast<u32>(items.size()); }
  u32 GetHudItemType(u32 index) const override { return items[index]; }

  f32 health = 1.0f;
  f32 energy = 1.0f;
  u32 noise = 0;
  u32 implant = 0;
  u32 available = 0x7F;
  std::vector<u32> items;
};

class FakeHudDevice : public cHudDevice {
 public:
  u32 GetHudDeviceType() const override { return type; }
  u32 GetHudDoorState() const override { return doorState; }
  bool ListensTo(u32 id) const override { return id == trigger; }
  f32 GetHudSearchLeft() const override { return searchLeft; }

  u32 type = 0;
  u32 doorState = 0;
  u32 trigger = 0;
  f32 searchLeft = 0.0f;
};

class FakeHudWorld : public cHudWorld {
 public:
  void EndAlertDisplay() override { alertsEnded++; }
  void ShowMessage(u32 message) override { messages.push_back(static_cast<s32>(message)); }
  void RenderHudCapture(const cRenderTarget& target) override;

  int alertsEnded = 0;
  std::vector<s32> messages;
  // Colours the captures are cleared to, in turn.
  std::vector<RwRGBA> captureColours;
  size_t captures = 0;
};

inline void FakeHudWorld::RenderHudCapture(const cRenderTarget& target) {
  if (captureColours.empty()) {
    return;
  }
  cCamera camera;
  camera.Clear(target, captureColours[captures % captureColours.size()], 1, 1, 0);
  captures++;
}

// The screen fixture with the HUD textures the tests look at served in
// colours of their own, the screen stack made and the font loaded.
class HudScreenTest : public ScreenEngineTest {
 protected:
  static constexpr uint32_t kInventoryColour = 0x102030;
  static constexpr uint32_t kPromptColour = 0xF0F0F0;
  static constexpr uint32_t kIconColour = 0xFFFFFF;

  HudScreenTest() = default;
  HudScreenTest(int width, int height) : ScreenEngineTest(width, height) {}

  void SetUp() override {
    ScreenEngineTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    MountTextures({{"data/textures/inventory3", kInventoryColour},
                   {"data/textures/txtdelicon", kPromptColour},
                   {"data/textures/txtdeliconall", kPromptColour},
                   {"data/textures/implant0", kIconColour},
                   {"data/textures/implant1", kIconColour},
                   {"data/textures/healthicon", kIconColour},
                   {"data/textures/fula_be", 0x010101},
                   {"data/textures/fula_ki", 0x020202},
                   {"data/textures/fulb_be", 0x030303},
                   {"data/textures/fulb_ki", 0x040404}},
                  DottedFontFiles());
    MakeScreenStack();
    ASSERT_TRUE(font_.Load("data/font/", "gothic13", 0.0f));
  }
  void TearDown() override {
    font_.Release();
    ScreenEngineTest::TearDown();
  }

  cFont font_;
  FakeHudPlayer player_;
};
