// One frame of every HUD widget over a 640 x 480 screen target, and one of
// the Ultra overlay with its ten captures filled.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/bench_engine.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/frontend/hud/wg_blink_icon.h"
#include "game/frontend/hud/wg_hud_frames.h"
#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_mission_list.h"
#include "game/frontend/hud/wg_tab_panel.h"
#include "game/frontend/hud/wg_ultra_overlay.h"
#include "game/render/text/font.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class BenchPlayer : public cHudPlayer {
 public:
  f32 GetHudHealth() const override { return 0.7f; }
  f32 GetHudEnergy() const override { return 0.45f; }
  u32 GetHudNoiseLevel() const override { return 2; }
  u32 GetHudImplant() const override { return 3; }
  bool IsHudImplantAvailable(u32 index) const override { return index != 5; }
  u32 GetHudItemCount() const override { return 6; }
  u32 GetHudItemType(u32 index) const override { return index; }
};

class BenchDevice : public cHudDevice {
 public:
  u32 GetHudDeviceType() const override { return kHudDevicePanel; }
  u32 GetHudDoorState() const override { return 0; }
  bool ListensTo(u32 id) const override { return id == kEdsPanelTrigger; }
  f32 GetHudSearchLeft() const override { return 0.0f; }
};

class BenchWorld : public cHudWorld {
 public:
  void EndAlertDisplay() override {}
  void ShowMessage(u32) override {}
  void RenderHudCapture(const cRenderTarget& target) override {
    camera_.Clear(target, RwRGBA{20, 40, 60, 255}, 1, 1, 0);
  }

 private:
  cCamera camera_;
};

tWgPlacement Pixels(u32 x, u32 y, u32 w, u32 h, u8 right, u8 bottom, u8 centreX, u8 centreY) {
  const u32 rect[4] = {x, y, w, h};
  return tWgPlacement(rect, right, bottom, centreX, centreY);
}

void BM_HudFrame(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight)) {
    return;
  }
  {
    cRenderTarget screen;
    screen.CreateScreen(tTargetSize{kWidth, kHeight});
    BenchPlayer player;
    BenchDevice device;
    BenchWorld world;
    std::vector<std::unique_ptr<cWgWidget>> widgets;
    widgets.emplace_back(new cWgHudFrameBa(Pixels(0, 0, 320, 320, 0, 1, 0, 0)));
    widgets.emplace_back(new cWgHudFrameBf(Pixels(0, 0, 320, 320, 0, 0, 0, 0)));
    widgets.emplace_back(new cWgHudFrameJa(Pixels(0, 0, 320, 320, 1, 1, 0, 0)));
    widgets.emplace_back(new cWgHudFrameKot(tWgPlacement()));
    widgets.emplace_back(new cWgHudBackdrop(Pixels(8, 8, 152, 152, 1, 0, 0, 0)));
    auto* icons = new cWgActionIcons(Pixels(kWidth / 2 - 64, 12, 128, 74, 0, 0, 0, 0));
    icons->SetDevice(&device);
    widgets.emplace_back(icons);
    auto* bars = new cWgHudStatusBars(Pixels(16, 18, 160, 160, 0, 0, 0, 0));
    bars->Setup(&player, kHealthIconTexture, kEnergyIconTexture, kNoiseIconTexture);
    bars->Flash(kDamageFlashFrames);
    widgets.emplace_back(bars);
    auto* implants = new cWgHudImplants(Pixels(16, 18, 320, 320, 0, 1, 0, 0));
    implants->SetOwner(&player, nullptr);
    widgets.emplace_back(implants);
    auto* inventory = new cWgHudInventory(Pixels(16, 18, 320, 320, 1, 1, 0, 0));
    inventory->SetPlayer(&player);
    widgets.emplace_back(inventory);
    // Without font files the boxes and the list draw their sprites and fades;
    // the font's own drawing has a benchmark of its own.
    cFont font;
    const cString message("#2 The door code is on the desk.");
    const cString labels("\nElapsed time:\n\nSecurity alerts:");
    const cString values("\n2 : 05\n\n3");
    auto* framed = new cWgMessageBox(Pixels(0, 64, 512, 256, 0, 1, 1, 0), true, kDialoguePromptTexture);
    framed->SetFont(&font);
    framed->SetMessage(&message, 3, true);
    widgets.emplace_back(framed);
    auto* plain = new cWgMessageBox(Pixels(0, 0, 438, 438, 0, 0, 1, 1), false, nullptr);
    plain->SetFont(&font);
    plain->SetMessage(&labels, -1, false);
    plain->SetSideText(&values);
    widgets.emplace_back(plain);
    auto* tabs = new cWgTabPanel(Pixels(0, 0, kWidth, kHeight, 0, 0, 1, 1));
    tabs->SetOpen(true);
    widgets.emplace_back(tabs);
    auto* missions = new cWgMissionList(Pixels(0, 0, 438, 438, 0, 0, 1, 1));
    missions->AddLine(cString("@01 Reach the roof"));
    missions->AddLine(cString("Stay unseen"));
    missions->SetIcons(&font, kMissionOpenTexture, kMissionDoneTexture);
    missions->AddObjective(1);
    missions->SetVisible(true);
    widgets.emplace_back(missions);
    auto* blink = new cWgBlinkIcon(&world, Pixels(45, 75, 48, 48, 0, 0, 0, 0), kAlertIconTextures[3]);
    widgets.emplace_back(blink);
    for (auto& widget : widgets) {
      widget->Layout(RwRect{0, 0, kWidth, kHeight}, screen);
    }
    for (auto _ : state) {
      icons->RequestPanelHack();
      if (!blink->IsBlinking()) {
        blink->StartBlink(kAlertHalfBlinks, kAlertBlinkFrames);
      }
      for (auto& widget : widgets) {
        widget->Render();
      }
    }
  }
}
BENCHMARK(BM_HudFrame)->Unit(benchmark::kMicrosecond);

void BM_UltraOverlayTenCaptures(benchmark::State& state) {
  BenchEngine engine;
  if (!engine.OpenOrSkip(state, kWidth, kHeight)) {
    return;
  }
  {
    cRenderTarget screen;
    screen.CreateScreen(tTargetSize{kWidth, kHeight});
    BenchWorld world;
    cWgUltraOverlay overlay(tWgPlacement::Fractions(0, 0, 1, 1), &world, 10, 50);
    overlay.Layout(RwRect{0, 0, kWidth, kHeight}, screen);
    overlay.Enable();
    for (int i = 0; i < 10; i++) {
      overlay.Render();
    }
    for (auto _ : state) {
      overlay.Render();
    }
    overlay.Disable();
  }
}
BENCHMARK(BM_UltraOverlayTenCaptures)->Unit(benchmark::kMicrosecond);

}  // namespace
