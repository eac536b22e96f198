// The implant selector along the HUD's left edge: the seven implant icons,
// the one in hand larger and joined by a bracket to its name; implants
// that cannot be used now are dimmed.
#pragma once

#include "game/frontend/hud/hud_widget.h"
#include "game/render/text/font.h"

constexpr const char* kImplantIconTexture = "data/textures/implant0";
constexpr const char* kImplantNames[kHudImplantCount] = {"Laser", "EDS", "Shock", "Holo", "Dart", "Ultra", "Shield"};

class cWgHudImplants : public cWgHudWidget {
 public:
  explicit cWgHudImplants(const tWgPlacement& placement);
  ~cWgHudImplants() override;

  // Both kept, not owned.
  void SetOwner(const cHudPlayer* player, cFont* font);
  void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
  void Render() override;

  // The top of icon index's sprite with the implant current in hand, and
  // the top of the selected icon.
  static f32 IconY(u32 index, u32 current);
  static f32 SelectedY(u32 current);
  const cSprite2D& GetIcon(u32 index) const { return *mIcons[index]; }
  const cSprite2D& GetSelected() const { return mSelected; }

 private:
  void ChooseSelectedTexture(u32 current);
  void DrawName(u32 current);

  const cHudPlayer* mPlayer;
  cFont* mFont;
  cSprite2D mLines[5];  // B, D, C, A, E
  cSprite2D mSelected;
  cSprite2D** mIcons;
  u32 mIconCount;
  s32 mSelectedTexture;  // the implant whose picture the selected icon holds, -1 none
  u8 mVisible;
};
