// The hologram double: a second model of the player that the hologram
// implant shows in front of him, for the NPCs to see and shoot instead. It
// waits out of the scene at its POSITION until the implant shows it.
#pragma once

#include "game/characters/man.h"
#include "game/foundation/updatable.h"

// Where a double without POSITION waits, out of every NPC's sight.
constexpr RwV3d kHologramFarPosition = {1000.0f, 1000.0f, 1000.0f};

// What the perceptors hold of the double: its model's matrix.
struct tPerceptionAnchor {
  RwMatrix* matrix;
};

class cDorvaHoloMan : public cMan {
 public:
  cDorvaHoloMan();
  ~cDorvaHoloMan() override;

  // POSITION (default far away); the clump leaves the scene; the anchor is
  // made the first time. Read again at every restart.
  void ReadProperties(const cPropertyGroup* group) override;

  cTimer& GetTimer() { return mTimer; }
  const tPerceptionAnchor* GetPerceptionAnchor() const { return mAnchor; }
  u8 IsVisible() const { return mVisible; }
  void SetVisible(u8 visible) { mVisible = visible; }

 private:
  cTimer mTimer;               // in no update list of its own
  tPerceptionAnchor* mAnchor;  // owned
  u8 mVisible;
};
