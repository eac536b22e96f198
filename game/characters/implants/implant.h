// The implants the player carries: body gadgets paid for with implant
// energy. cImplant is what every implant shares: its index, the defaults of
// that index, the settings of the configuration's "implants" group and the
// use rule.
#pragma once

#include "game/foundation/types.h"

class cQXWorld;

// Implant indices, in the order the player's selection steps through them.
enum eImplantIndex : u32 {
  kImplantIndexLaser = 0,
  kImplantIndexEds = 1,
  kImplantIndexTaser = 2,
  kImplantIndexHologram = 3,
  kImplantIndexDart = 4,
  kImplantIndexUltra = 5,
  kImplantIndexShield = 6,  // "MAGNETIC" in the settings
  kImplantIndexCount = 7
};

// No message for an implant: the world ignores it.
constexpr s32 kImplantNoMessage = -1;
// The dart starts with this many shots; the others count none.
constexpr s32 kDartShots = 5;
// Seconds of the feedback pulse that a use gives.
constexpr f32 kImplantFeedbackSeconds = 0.2f;

// The name of an index on the HUD ("Laser", "Shock"); null out of range.
const char* ImplantHudName(u32 index);
// The key prefix of an index in the settings ("LASER", "MAGNETIC").
const char* ImplantKeyPrefix(u32 index);
// The device trigger id that an index offers (2 laser, 3 EDS, else 0).
u32 ImplantTriggerId(u32 index);

// The feedback pulse of a use: the first timer of the world's twin timer,
// when the options' hit-flash switch is on.
void StartImplantFeedback(cQXWorld* world, f32 seconds);

class cImplant {
 public:
  cImplant();
  virtual ~cImplant();

  cImplant(const cImplant&) = delete;
  cImplant& operator=(const cImplant&) = delete;

  // The defaults of the index, a clear use state and a message table of
  // one entry an index, all without a message.
  void Setup(u32 index);
  // Keeps the world; the group "implants" of its configuration, when there
  // is one, replaces the cost (<PREFIX>_ENERGY) and the own message
  // (<PREFIX>_MESSAGE, counted from 1). Missing keys keep the defaults.
  void Init(cQXWorld* world);

  // Enough energy (equal is enough) and not blocked.
  bool IsUsable(f32 energy) const { return mCost <= energy && mBlocked == 0; }
  // The level message shown when a device is found but the implant cannot
  // be used; kImplantNoMessage for none.
  s32 GetMessage() const { return mMessages != nullptr ? mMessages[mIndex] : kImplantNoMessage; }

  cQXWorld* GetWorld() const { return mWorld; }
  u32 GetIndex() const { return mIndex; }
  s32 GetShotCount() const { return mShotCount; }
  f32 GetDuration() const { return mDuration; }
  f32 GetCost() const { return mCost; }
  f32 GetProgress() const { return mProgress; }
  u32 GetTriggerId() const { return mTriggerId; }
  u8 IsBlocked() const { return mBlocked; }
  void SetBlocked(u8 blocked) { mBlocked = blocked; }
  u32 GetMessageCount() const { return mMessageCount; }
  s32 GetMessageEntry(u32 index) const { return index < mMessageCount ? mMessages[index] : kImplantNoMessage; }

 protected:
  cQXWorld* mWorld;
  u32 mIndex;
  s32 mShotCount;
  f32 mDuration;  // seconds
  f32 mCost;      // energy a use, or a second
  f32 mProgress;  // 0 at rest
  u32 mTriggerId;
  u8 mBlocked;
  s32* mMessages;  // owned, one entry an index
  u32 mMessageCount;
};
