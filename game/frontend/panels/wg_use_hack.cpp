// cWgUseHack: the settings, an attempt's start, the keys entered, the
// attempt's steps and its loss, and the row of icons.
#include "game/frontend/panels/wg_use_hack.h"

#include "game/app/event.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/hud/hud_widget.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/world/devices/opener_device.h"
#include "game/world/qx_world.h"

namespace {

constexpr char kHackTag[] = "cWgUseHack::cWgUseHack";
constexpr char kDefaultKeyNumberKey[] = "HACK_DEFAULT_KEY_NUMBER";
constexpr char kKeyTimeKey[] = "HACK_KEY_TIME";
constexpr char kIconAlphaKey[] = "HACK_ICON_ALPHA_VALUE";
// The arrow keys of the input layer and the keys they enter.
constexpr u32 kKeyCodeUp = 147;
constexpr u32 kKeyCodeDown = 148;
constexpr u32 kKeyCodeLeft = 149;
constexpr u32 kKeyCodeRight = 150;
constexpr s32 kNoAnswer = -1;

const cProperty* FindSetting(const cPropertyGroup* group, const char* key) {
  const cProperty* property = group->FindProperty(cString(key));
  if (property == nullptr) {
    FatalPropertyNotFound(kHackTag, group, key);
  }
  return property;
}

// A count outside 1..64 would make a huge (or no) row: it is kept within.
u32 ClampKeyNumber(s32 number) {
  if (number >= kHackMinimumKeys && number <= kHackMaximumKeys) {
    return static_cast<u32>(number);
  }
  const s32 kept = number < kHackMinimumKeys ? kHackMinimumKeys : kHackMaximumKeys;
  DebugTrace("%s : %s %d kept at %d\n", kHackTag, kDefaultKeyNumberKey, number, kept);
  return static_cast<u32>(kept);
}

}  // namespace

cWgUseHack::cWgUseHack(cQXWorld* world)
    : cWgFrame(cString("HACKING"), FramePlacement()),
      mState(kHackRunning),
      mWorld(world),
      mDevice(nullptr),
      mDefaultKeyNumber(0),
      mElapsed(0.0f),
      mKeys(nullptr),
      mKeyCount(0),
      mNextKey(0),
      mKeyTime(0.0f),
      mTimeLimit(0.0f),
      mIconAlpha(0) {
  const cPropertyFile* config = world->GetConfig();
  const cPropertyGroup* group = config != nullptr ? config->FindGroup(world->GetLevelName()) : nullptr;
  if (group == nullptr) {
    FatalGroupNotFound(kHackTag, config, world->GetLevelName().CStr());
  }
  mDefaultKeyNumber = ClampKeyNumber(FindSetting(group, kDefaultKeyNumberKey)->GetS32Fatal());
  mKeyTime = FindSetting(group, kKeyTimeKey)->GetF32Fatal();
  mIconAlpha = static_cast<u32>(FindSetting(group, kIconAlphaKey)->GetS32Fatal()) & 0xFFu;
  mStartSound.Create("sfx/pl_hackstart");
  mHackingSound.Create("sfx/pl_hacking");
  mPressSound.Create("sfx/pl_hackpress");
}

cWgUseHack::~cWgUseHack() { delete[] mKeys; }

void cWgUseHack::Start(cDevice* device, bool doubleTime) {
  Show();
  mDevice = device;
  mWorld->SetHudVisible(false);
  // The world's action icons are suppressed while the game runs.
  if (mWorld->GetActionIcons() != nullptr) {
    mWorld->GetActionIcons()->SetSuppressed(true);
  }
  mNextKey = 0;
  mState = kHackRunning;
  mElapsed = 0.0f;
  cDorvaMan* player = mWorld->GetPlayer();
  u32 n = mDefaultKeyNumber + (player != nullptr ? player->GetHacksWon() : 0);
  if (n > static_cast<u32>(kHackMaximumKeys)) {
    n = kHackMaximumKeys;
  }
  mTimeLimit = static_cast<f32>(n) * (doubleTime ? 2.0f * mKeyTime : mKeyTime);
  if (mKeyCount != n) {
    delete[] mKeys;
    mKeys = new tHackKey[n];
    mKeyCount = n;
  }
  // The title carries the frame's placement: its middle is the panel's.
  const tWgPlacement& title = GetTitle().GetPlacement();
  const f32 centre = title.x.fraction + title.width.fraction * 0.5f;
  char texture[sizeof(kHackKeyTexture)];
  for (u32 i = 0; i < n; i++) {
    tHackKey& slot = mKeys[i];
    slot.answer = kNoAnswer;
    slot.key = static_cast<s32>(RpRandomNext() % kHackKeyKinds);
    NameWithDigit(texture, sizeof(texture), kHackKeyTexture, static_cast<u32>(slot.key));
    slot.icon.SetTexture(texture);
    const f32 x = (static_cast<f32>(i) - static_cast<f32>(n) / 2.0f) * kHackIconStep + centre;
    SetSpriteRect(slot.icon, x, kHackRowY, kHackIconSize, kHackIconSize);
    slot.icon.SetColour(255, 255, 255, 255);
  }
  mStartSound.Play();
  mHackingSound.Play();
}

void cWgUseHack::PressKey(u32 key) {
  mPressSound.Play();
  for (u32 i = 0; i < mKeyCount; i++) {
    if (mKeys[i].answer == kNoAnswer) {
      mKeys[i].answer = static_cast<s32>(key);
      return;
    }
  }
}

bool cWgUseHack::OnEvent(const tEvent* event) {
  if (mWorld->GetLevelEndState() != kLevelPlaying) {
    return false;
  }
  cWgFrame::OnEvent(event);
  if (event->type == kEventTick) {
    Step(event->tick.frameTime);
  } else if (event->type == kEventKey && event->key.pressed != 0) {
    switch (event->key.keyCode) {
      case kKeyCodeUp:
        PressKey(kHackUp);
        break;
      case kKeyCodeDown:
        PressKey(kHackDown);
        break;
      case kKeyCodeLeft:
        PressKey(kHackLeft);
        break;
      case kKeyCodeRight:
        PressKey(kHackRight);
        break;
      default:
        break;
    }
  }
  return false;
}

void cWgUseHack::Step(f32 dt) {
  switch (mState) {
    case kHackRunning:
      mElapsed += dt;
      if (mElapsed >= mTimeLimit) {
        // The answers of this tick come too late.
        GetProgressBar().SetProgress(1.0f, 0);
        Fail();
      } else {
        GetProgressBar().SetProgress(mTimeLimit > 0.0f ? mElapsed / mTimeLimit : 1.0f, 0);
        Scan();
      }
      break;
    case kHackWon:
      if (mDevice != nullptr) {
        mDevice->Use(mWorld, kTriggerNone);
      }
      mState = kHackClosing;
      break;
    case kHackLost:
      mState = kHackClosing;
      break;
    case kHackClosing:
      // The game camera goes straight back behind the player.
      if (mWorld->GetGameCamera() != nullptr) {
        mWorld->GetGameCamera()->SetFollowMode();
      }
      mState = kHackFinished;
      break;
    default:
      break;
  }
}

void cWgUseHack::Scan() {
  for (u32 i = mNextKey; i < mKeyCount; i++) {
    tHackKey& slot = mKeys[i];
    if (slot.answer < 0) {
      continue;
    }
    if (slot.answer == slot.key) {
      mNextKey++;
      slot.icon.SetColour(255, 255, 255, static_cast<u8>(mIconAlpha));
      if (mNextKey == mKeyCount) {
        Win();
      }
    } else {
      // Each wrong answer of the scan fails again.
      Fail();
    }
  }
}

void cWgUseHack::Win() {
  mState = kHackWon;
  mElapsed = 0.0f;
  cDorvaMan* player = mWorld->GetPlayer();
  if (mKeyCount < kHackGrowthLimit && player != nullptr) {
    player->SetHacksWon(player->GetHacksWon() + 1);
  }
  mWorld->ShowMessage(kHackWonMessage);
  mHackingSound.Stop();
  if (player != nullptr) {
    player->GetHackWonSound().Play();
  }
}

void cWgUseHack::Fail() {
  mState = kHackLost;
  // Panels are opener devices; a door has no men to alert.
  if (mDevice != nullptr && mDevice->GetType() != kDeviceDoor) {
    static_cast<cOpenerDevice*>(mDevice)->AlertAll();
  }
  mWorld->ShowMessage(kHackLostMessage);
  cDorvaMan* player = mWorld->GetPlayer();
  if (player != nullptr) {
    player->StartShock(kHackShockSeconds);
  }
  mElapsed = 0.0f;
  mHackingSound.Stop();
  if (player != nullptr) {
    player->GetHackLostSound().Play();
    player->AddHealth(-kHackHealthShare * player->GetHealth());
    player->StartHitTimer();
  }
}

void cWgUseHack::Render() {
  cWgFrame::Render();
  if (mKeyCount == 0 || GetCamera().BeginUpdate(mTarget, kFrameFollowsTargetShape) == nullptr) {
    return;
  }
  for (u32 i = 0; i < mKeyCount; i++) {
    mKeys[i].icon.Render();
  }
  GetCamera().EndUpdate();
}
