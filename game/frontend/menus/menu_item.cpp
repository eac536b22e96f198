// The pulsing menu item.
#include "game/frontend/menus/menu_item.h"

#include "game/app/event.h"
#include "game/app/frame_tick.h"

namespace {

constexpr RwRGBA kItemColour = {255, 255, 255, 255};
// The clock runs at a third: 256 steps up and down take 768 ms.
constexpr u32 kPulseClockDivisor = 3;
constexpr u32 kPulseSteps = 256;
constexpr u32 kPulseHalfSteps = 128;
// The alpha rises by up to this over half a period.
constexpr f32 kPulseAlphaRange = 170.0f;

}  // namespace

u8 MenuPulseAlpha(u32 ms) {
  const u32 t = ms / kPulseClockDivisor;
  u32 v = t % kPulseSteps;
  if (v >= kPulseHalfSteps) {
    v = kPulseHalfSteps - 1 - t % kPulseHalfSteps;
  }
  return static_cast<u8>(kMenuPulseAlphaMin + static_cast<u32>(static_cast<f32>(v) / kPulseSteps * kPulseAlphaRange));
}

cWgMenuItem::cWgMenuItem(cFont* font, const tWgPlacement& placement)
    : cWgText(font, placement), mEnabled(1), mBaseColour(kItemColour), mCurrentColour(kItemColour) {
  ShowColour(mCurrentColour);
}

cWgMenuItem::~cWgMenuItem() {}

bool cWgMenuItem::OnEvent(const tEvent* event) {
  if (event->type != kEventTick || !IsSelected()) {
    return false;
  }
  mCurrentColour.alpha = MenuPulseAlpha(GetTimeMs());
  ShowColour(mCurrentColour);
  return false;
}

void cWgMenuItem::SetSelected(bool on) { ShowColour(on ? kMenuSelectedColour : mBaseColour); }

void cWgMenuItem::SetEnabled(bool enabled) {
  mEnabled = enabled ? 1 : 0;
  RwRGBA colour = mBaseColour;
  if (!enabled) {
    colour.alpha = kMenuDisabledAlpha;
  }
  ShowColour(colour);
}

bool cWgMenuItem::IsSelected() const {
  return mCurrentColour.red != mBaseColour.red || mCurrentColour.green != mBaseColour.green ||
         mCurrentColour.blue != mBaseColour.blue;
}

void cWgMenuItem::ShowColour(const RwRGBA& colour) {
  mCurrentColour = colour;
  SetColour(colour);
}
