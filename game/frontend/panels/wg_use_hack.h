// The hacking mini-game: a framed panel titled "HACKING" with a row of arrow
// icons that the player enters in order, one press each, before the time
// runs out. A win activates the device and lengthens the next attempts by
// one key (up to 8); a wrong key or the end of the time alerts the device's
// men, shocks the player and costs him 5 % of his health. One per player,
// kept for the level and shown for each attempt.
#pragma once

#include "game/app/audio/sound.h"
#include "game/frontend/panels/wg_frame.h"

class cDevice;
class cQXWorld;

// Keys of an attempt: 0 up, 1 right, 2 down, 3 left.
enum eHackKey : u32 { kHackUp = 0, kHackRight = 1, kHackDown = 2, kHackLeft = 3, kHackKeyKinds = 4 };

enum eHackState : u32 {
  kHackRunning = 0,
  kHackWon = 1,
  kHackLost = 2,
  kHackClosing = 3,
  kHackFinished = 4,
};

// A win lengthens the attempts while they are shorter than this.
constexpr u32 kHackGrowthLimit = 8;
// HACK_DEFAULT_KEY_NUMBER is kept within this range.
constexpr s32 kHackMinimumKeys = 1;
constexpr s32 kHackMaximumKeys = 64;
constexpr char kHackKeyTexture[] = "data/hack/key0";
// The icons' row: its height, the icons' size and their spacing.
constexpr f32 kHackRowY = 0.6f;
constexpr f32 kHackIconSize = 0.07f;
constexpr f32 kHackIconStep = 0.08f;
// The level messages of a win and of a loss.
constexpr u32 kHackWonMessage = 17;
constexpr u32 kHackLostMessage = 13;
// A loss costs this share of the player's health and shocks him this long.
constexpr f32 kHackHealthShare = 0.05f;
constexpr f32 kHackShockSeconds = 2.0f;

// One key slot.
struct tHackKey {
  cSprite2D icon;
  s32 key;     // eHackKey
  s32 answer;  // the key entered for the slot, -1 while none
};

class cWgUseHack : public cWgFrame {
 public:
  // Reads HACK_DEFAULT_KEY_NUMBER, HACK_KEY_TIME and HACK_ICON_ALPHA_VALUE
  // from the level's group of the world's configuration (fatal when the
  // group or a key is missing) and loads the hacking sounds.
  explicit cWgUseHack(cQXWorld* world);
  ~cWgUseHack() override;

  // Opens an attempt on the device: the panel shown, the HUD hidden, a new
  // random row of the default count plus the player's wins; doubleTime
  // gives two key times a key.
  void Start(cDevice* device, bool doubleTime);
  // The key into the first slot still unanswered (dropped when all are);
  // the press sound plays in any case.
  void PressKey(u32 key);
  bool IsFinished() const { return mState == kHackFinished; }

  // Nothing while the level is finished; else the frame's animation, the
  // attempt on ticks and the arrow keys on presses. Never taken.
  bool OnEvent(const tEvent* event) override;
  // The frame, then the row of icons.
  void Render() override;

  u32 GetState() const { return mState; }
  u32 GetKeyCount() const { return mKeyCount; }
  const tHackKey& GetKey(u32 index) const { return mKeys[index]; }
  u32 GetNextKey() const { return mNextKey; }
  f32 GetTimeLimit() const { return mTimeLimit; }
  f32 GetElapsed() const { return mElapsed; }
  u32 GetDefaultKeyNumber() const { return mDefaultKeyNumber; }
  cDevice* GetDevice() const { return mDevice; }

 private:
  // One tick of the attempt.
  void Step(f32 dt);
  // The answers from the next key on: rights advance, wrongs fail.
  void Scan();
  void Win();
  void Fail();

  cSndEngWin mStartSound;
  cSndEngWin mHackingSound;
  cSndEngWin mPressSound;
  u32 mState;  // eHackState
  cQXWorld* mWorld;
  cDevice* mDevice;  // not owned
  u32 mDefaultKeyNumber;
  f32 mElapsed;     // seconds
  tHackKey* mKeys;  // owned, mKeyCount of them
  u32 mKeyCount;
  u32 mNextKey;
  f32 mKeyTime;    // seconds
  f32 mTimeLimit;  // seconds
  u32 mIconAlpha;
};
