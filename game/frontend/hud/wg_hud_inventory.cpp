// cWgHudInventory: sprites made only when the item count grows.
#include "game/frontend/hud/wg_hud_inventory.h"

#include <cstring>

namespace {

constexpr f32 kItemSize = 0.078125f;
constexpr f32 kItemX = 0.921875f;
constexpr f32 kItemGap = 0.00625f;

}  // namespace

cWgHudInventory::cWgHudInventory(const tWgPlacement& placement)
    : cWgHudWidget(placement), mPlayer(nullptr), mSprites(nullptr), mCount(0), mCapacity(0), mVisible(1) {}

cWgHudInventory::~cWgHudInventory() { FreeSprites(); }

void cWgHudInventory::FreeSprites() {
  for (u32 i = 0; i < mCount; i++) {
    delete mSprites[i];
  }
  delete[] mSprites;
  mSprites = nullptr;
  mCount = 0;
  mCapacity = 0;
}

RwV2d cWgHudInventory::ItemPosition(u32 index) {
  const f32 i = static_cast<f32>(index);
  return RwV2d{kItemX, 1.0f - kItemSize * (i + 1.0f) - kItemGap * i};
}

void cWgHudInventory::Grow(u32 count) {
  if (count > mCapacity) {
    cSprite2D** sprites = new cSprite2D*[count];
    if (mCount > 0) {
      memcpy(sprites, mSprites, mCount * sizeof(cSprite2D*));
    }
    delete[] mSprites;
    mSprites = sprites;
    mCapacity = count;
  }
  char name[32];
  for (u32 i = mCount; i < count; i++) {
    cSprite2D* sprite = new cSprite2D;
    const u32 type = mPlayer->GetHudItemType(i);
    // A type without a picture is drawn untextured.
    if (type < kInventoryPictureCount) {
      NameWithDigit(name, sizeof(name), kInventoryTexture, type);
      sprite->SetTexture(name);
    }
    const RwV2d corner = ItemPosition(i);
    SetSpriteRect(*sprite, corner.x, corner.y, kItemSize, kItemSize);
    SetSpriteColour(*sprite, kHudBlue);
    mSprites[i] = sprite;
  }
  mCount = count;
}

void cWgHudInventory::SetPlayer(const cHudPlayer* player) {
  FreeSprites();
  mPlayer = player;
  if (mPlayer != nullptr) {
    Grow(mPlayer->GetHudItemCount());
  }
}

void cWgHudInventory::Render() {
  if (!mVisible || mPlayer == nullptr) {
    return;
  }
  const u32 items = mPlayer->GetHudItemCount();
  if (items > mCount) {
    Grow(items);
  }
  if (!BeginDraw()) {
    return;
  }
  for (u32 i = 0; i < items && i < mCount; i++) {
    mSprites[i]->Render();
  }
  EndDraw();
}
