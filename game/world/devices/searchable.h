// Searchables: cupboards, bodies and containers that the player searches by
// staying at them. The object holds the amount still to search; the
// player's search lowers it each frame until the object is searched.
#pragma once

#include "game/world/devices/opener_device.h"

// A fresh object's amount to search.
constexpr f32 kSearchAmount = 100.0f;
// Seconds of one whole search until the player's settings say otherwise.
constexpr f32 kDefaultSearchSpeed = 4.0f;

// The player's shared search setting (SEARCH_SPEED, seconds a whole search
// takes), read with the player's settings.
f32 GetSearchSpeed();
void SetSearchSpeed(f32 seconds);

class cSearchable : public cOpenerDevice {
 public:
  cSearchable(const char* modelPath, cLightmap* lightmap);
  explicit cSearchable(const cSearchable& prototype);

  cLevelObject* Clone() override { return new cSearchable(*this); }
  eObjectSetKind GetKind() const override { return kSetSearchables; }
  // Also in query mode: the plain use test, until searched.
  bool CanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool query) override;
  // Starts the search with its sound; nothing else.
  bool Use(cQXWorld* world, u32 triggerId) override;
  void Reset() override;
  void SaveState() override;
  bool Update(f32 dt) override {
    (void)dt;
    return false;
  }

  // dt seconds of searching; true once the amount has fallen below 0.
  bool UpdateSearch(f32 dt);
  void RestoreCheckpoint();

  f32 GetRemaining() const { return mRemaining; }
  f32 GetHudSearchLeft() const override { return mRemaining; }
  bool IsStarted() const { return mStarted != 0; }
  cQXWorld* GetWorld() const { return mWorld; }

 protected:
  void CreateSounds(cQXWorld* world) override;

 private:
  f32 mRemaining;
  cQXWorld* mWorld;
  u8 mStarted;
  f32 mSavedRemaining;
  u8 mSavedStarted;
};
