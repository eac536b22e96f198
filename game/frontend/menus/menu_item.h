// A menu item: a text whose alpha pulses while it is selected and which is
// drawn faded while disabled.
#pragma once

#include "game/render/text/wg_text.h"

// The pulse's period: the alpha rises for half of it and falls for the other.
constexpr u32 kMenuPulsePeriodMs = 768;
constexpr u8 kMenuPulseAlphaMin = 85;
constexpr u8 kMenuDisabledAlpha = 100;
constexpr RwRGBA kMenuSelectedColour = {0, 255, 0, 255};

// The selected item's alpha at the clock's ms: from 85 up to 169 and back
// down, over kMenuPulsePeriodMs.
u8 MenuPulseAlpha(u32 ms);

class cWgMenuItem : public cWgText {
 public:
  // Enabled, in the text's colour, not selected.
  cWgMenuItem(cFont* font, const tWgPlacement& placement);
  ~cWgMenuItem() override;

  // On a tick while selected: the alpha of the pulse at GetTimeMs. False.
  bool OnEvent(const tEvent* event) override;

  // Opaque green when on, else the base colour.
  void SetSelected(bool on);
  // The base colour again, with alpha kMenuDisabledAlpha while disabled.
  void SetEnabled(bool enabled);
  bool IsEnabled() const { return mEnabled != 0; }
  // Selected: the colour differs from the base colour in red, green or blue.
  bool IsSelected() const;
  const RwRGBA& GetCurrentColour() const { return mCurrentColour; }

 private:
  void ShowColour(const RwRGBA& colour);

  u32 mEnabled;
  RwRGBA mBaseColour;
  RwRGBA mCurrentColour;
};
