// cDorvaMan's found items: the level's bag of search items and the keys and
// cards the player carries.
#include "game/characters/player/dorva_man.h"
#include "game/render/random.h"
#include "game/world/devices/opener_device.h"

namespace {

// A drawn position is the integer part of RandomFloat(0, 1401) / 100.
constexpr f32 kBagDrawRange = 1401.0f;
constexpr f32 kBagDrawScale = 100.0f;
// A card's code follows the key codes.
constexpr u32 kCardCodeOffset = 5;

}  // namespace

void cDorvaMan::ShuffleSearchItems() {
  for (u32 i = 0; i < kSearchBagSize; i++) {
    mSearchBag[i] = static_cast<s8>(i + 1);
  }
  for (u32 i = 0; i < kSearchBagSize; i++) {
    u32 a = static_cast<u32>(RandomFloat(0.0f, kBagDrawRange) / kBagDrawScale);
    u32 b = static_cast<u32>(RandomFloat(0.0f, kBagDrawRange) / kBagDrawScale);
    // RandomFloat may reach its upper end: never past the bag.
    a = a < kSearchBagSize ? a : kSearchBagSize - 1;
    b = b < kSearchBagSize ? b : kSearchBagSize - 1;
    const s8 kept = mSearchBag[a];
    mSearchBag[a] = mSearchBag[b];
    mSearchBag[b] = kept;
  }
}

void cDorvaMan::AddInventoryItem(cDevice* device) {
  const s32 type = device->GetType();
  if (type != kDeviceKey && type != kDeviceCard) {
    return;
  }
  // Keys and cards are opener devices; their number is the VARIANT.
  const u32 number = static_cast<u32>(static_cast<cOpenerDevice*>(device)->GetVariant());
  const u32 at = mInventory.GetCount();
  mInventory.SetCount(at + 1);
  mInventory.Set(at, new tInventoryItem{device, type == kDeviceKey ? number : number + kCardCodeOffset});
}
