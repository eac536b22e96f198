// The inventory strip along the HUD's right edge: one picture per item the
// player carries, growing upward from the bottom right.
#pragma once

#include "game/frontend/hud/hud_widget.h"

constexpr u32 kInventoryPictureCount = 10;
constexpr const char* kInventoryTexture = "data/textures/inventory0";

class cWgHudInventory : public cWgHudWidget {
 public:
  explicit cWgHudInventory(const tWgPlacement& placement);
  ~cWgHudInventory() override;

  // Keeps the player (not owned) and makes one sprite per item it carries.
  void SetPlayer(const cHudPlayer* player);
  void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
  void Render() override;

  u32 GetSpriteCount() const { return mCount; }
  const cSprite2D& GetSprite(u32 index) const { return *mSprites[index]; }
  // The corner of item index's picture.
  static RwV2d ItemPosition(u32 index);

 private:
  void FreeSprites();
  // Makes sprites for items mCount .. count - 1.
  void Grow(u32 count);

  const cHudPlayer* mPlayer;
  cSprite2D** mSprites;
  u32 mCount;
  u32 mCapacity;
  u8 mVisible;
};
