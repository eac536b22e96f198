// cHologramImplant: the double's growth, flicker, pulse, shrinking and end.
#include "game/characters/implants/hologram_implant.h"

#include "game/characters/dorva_holo_man.h"
#include "game/characters/player/dorva_man.h"
#include "game/characters/player/player_settings.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/render/random.h"
#include "game/world/qx_world.h"

namespace {

enum ePulseTimer : u32 { kPulseA, kPulseB, kPulseC };

// The pulse's timers: A turns the pulse every second; B jitters the double
// sideways from 2 s, C in depth from 4 s, and C restarts both at 4.2 s.
constexpr f32 kPulseTurnSeconds = 1.0f;
constexpr f32 kJitterSeconds = 2.0f;
constexpr f32 kJitterRepeatSeconds = 2.2f;
constexpr f32 kDepthJitterSeconds = 4.0f;
constexpr f32 kCycleSeconds = 4.2f;
// Alpha exactly at this value turns the pulse up, anywhere else down.
constexpr f32 kPulseLowTurn = 118.0f;
constexpr f32 kPulseHigh = 190.0f;
constexpr f32 kPulseLow = 138.0f;
// Each turn mirrors the alpha about its target, which holds it between 76
// and 200 only when the turns come exactly a second apart; frames make
// them late, and the swing would grow until the byte wrapped. It is held
// to the band the exact turns give.
constexpr f32 kPulseMinimum = 2.0f * kPulseLow - 200.0f;
constexpr f32 kPulseMaximum = 200.0f;
// A jitter step is a random draw in -50..50 divided by this.
constexpr f32 kJitterDraw = 50.0f;
constexpr f32 kJitterDivisor = 2000.0f;
// Random colour draws run up to this and are divided by 1000.
constexpr f32 kColourDrawMax = 255000.0f;
constexpr f32 kColourDrawScale = 1000.0f;
// The double's shape at the use, during the growth and while vanishing.
const RwV3d kUseScale = {0.2f, 0.1f, 0.2f};
constexpr f32 kThinWidth = 0.1f;
constexpr f32 kGrowRate = 4.0f;  // height a second
// The flicker's width is the elapsed time less this.
constexpr f32 kFlickerWidthOffset = 0.5f;

u8 ColourDraw(f32 low) {
  return static_cast<u8>(static_cast<s32>(RandomFloat(low, kColourDrawMax) / kColourDrawScale));
}

f32 Seconds(const cTimer& timer) { return (timer.GetMilliseconds() - timer.GetStartMark()) / 1000.0f; }

void Mark(cTimer& timer) { timer.SetStartMark(timer.GetMilliseconds()); }

}  // namespace

cHologramImplant::cHologramImplant()
    : mElapsed(0.0f),
      mActive(0),
      mStartPosition{0.0f, 0.0f, 0.0f},
      mLookAt{0.0f, 0.0f, 0.0f},
      mPulseAlpha(kHologramPulseAlpha),
      mPulseTarget(kHologramPulseTarget),
      mPulseRate(kHologramPulseRate),
      mPhase(kHologramIdle) {
  Setup(kImplantIndexHologram);
}

cHologramImplant::~cHologramImplant() { mSound.Stop(); }

void cHologramImplant::BindToWorld(cQXWorld* world) {
  mWorld = world;
  world->GetUpdateList().Append(static_cast<cUpdatable*>(this));
  for (cTimer& timer : mPulseTimers) {
    world->GetUpdateList().Append(&timer);
  }
  if (cDorvaHoloMan* holo = Double()) {
    holo->EnableMaterialColour();
  }
  mSound.Create(kHologramSound);
  mSound.SetLooping(true);
}

cDorvaHoloMan* cHologramImplant::Double() const {
  if (mWorld == nullptr) {
    return nullptr;
  }
  // The world's double: its first man of the hologram type.
  cPtrArray& men = mWorld->GetMen();
  for (u32 i = 0; i < men.GetCount(); i++) {
    cMan* man = static_cast<cMan*>(men.Get(i));
    if (man != nullptr && man->GetTypeIndex() == kManTypeHologram) {
      return static_cast<cDorvaHoloMan*>(man);
    }
  }
  return nullptr;
}

RwFrame* cHologramImplant::DoubleFrame() const {
  cDorvaHoloMan* holo = Double();
  return holo != nullptr ? holo->GetFrame() : nullptr;
}

void cHologramImplant::Use() {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr) {
    return;
  }
  cDorvaHoloMan* holo = Double();
  // A level without a double has nothing to project: refused, free.
  if (holo == nullptr || mCost > player->GetEnergy()) {
    player->GetCannotUseSound().Play();
    return;
  }
  player->AddEnergy(-mCost);
  mActive = 1;
  mElapsed = 0.0f;
  mPhase = kHologramStart;
  mStartPosition = RwFrameGetMatrix(player->GetFrame())->pos;
  RwV3d facing;
  V3dNormalized(&RwFrameGetLTM(player->GetFrame())->at, &facing);
  mStartPosition =
      RwV3d{mStartPosition.x + facing.x * kHologramDistance, mStartPosition.y + facing.y * kHologramDistance,
            mStartPosition.z + facing.z * kHologramDistance};
  mLookAt =
      RwV3d{mStartPosition.x + facing.x * kHologramLookDistance, mStartPosition.y + facing.y * kHologramLookDistance,
            mStartPosition.z + facing.z * kHologramLookDistance};
  RwFrame* frame = holo->GetFrame();
  RwFrameTranslate(frame, &mStartPosition, kRwCombineReplace);
  RwFrameScale(frame, &kUseScale, kRwCombinePreConcat);
  cDynamicLitClumpRO* clump = holo->GetModel()->GetClumpObject();
  if (clump != nullptr && clump->GetScene() == nullptr) {
    mWorld->AddClump(clump);
  }
  holo->SetVisible(1);
  mSound.Play();
}

void cHologramImplant::End() {
  mSound.Stop();
  mActive = 0;
  cDorvaHoloMan* holo = Double();
  if (holo == nullptr) {
    return;
  }
  holo->SetVisible(0);
  // The reset ends a double that never stood: the clump is only taken
  // out of a scene that holds it.
  cDynamicLitClumpRO* clump = holo->GetModel()->GetClumpObject();
  if (clump != nullptr && clump->GetScene() != nullptr) {
    clump->GetScene()->RemoveClump(clump);
  }
}

bool cHologramImplant::Update(f32 dt) {
  if (mActive == 0) {
    return false;
  }
  mElapsed += dt;
  const f32 holoTime = PlayerSettings().holoTime;
  RwFrame* frame = DoubleFrame();
  if (frame == nullptr) {
    return false;
  }
  switch (mPhase) {
    case kHologramStart:
      mPhase = kHologramGrow;
      break;
    case kHologramGrow: {
      const RwV3d position = RwFrameGetMatrix(frame)->pos;
      RwFrameTranslate(frame, &position, kRwCombineReplace);
      const RwV3d scale = {kThinWidth, kGrowRate * mElapsed, kThinWidth};
      RwFrameScale(frame, &scale, kRwCombinePreConcat);
      SetColour(ColourDraw(1.0f), 255, 255, 255);
      if (mElapsed >= kHologramGrowSeconds) {
        mPhase = kHologramFlicker;
      }
      break;
    }
    case kHologramFlicker: {
      const f32 width = mElapsed - kFlickerWidthOffset;
      ReAimScaled(RwV3d{width, 1.0f, width});
      const f32 low = 100.0f * mElapsed;
      const u8 alpha = ColourDraw(low);
      const u8 red = ColourDraw(low);
      const u8 green = ColourDraw(low);
      SetColour(alpha, red, green, ColourDraw(low));
      if (mElapsed >= kHologramFlickerSeconds) {
        mPhase = kHologramStand;
        mElapsed = 0.0f;
      }
      for (cTimer& timer : mPulseTimers) {
        Mark(timer);
      }
      ResetPulse();
      break;
    }
    case kHologramStand:
      if (mElapsed > holoTime) {
        mPhase = kHologramShrink;
      }
      Pulse(dt);
      break;
    case kHologramShrink: {
      const f32 t = mElapsed - holoTime;
      if (t > kHologramShrinkSeconds) {
        mPhase = kHologramVanish;
      }
      const f32 s = 1.0f - 2.0f * t;
      ReAimScaled(RwV3d{s, 1.0f, s});
      break;
    }
    case kHologramVanish: {
      const f32 t = mElapsed - holoTime - kHologramShrinkSeconds;
      if (t > kHologramVanishSeconds) {
        mPhase = kHologramEnd;
      }
      const f32 s = 1.0f - 5.0f * t;
      ReAimScaled(RwV3d{kThinWidth, s, kThinWidth});
      break;
    }
    case kHologramEnd:
      End();
      mPhase = kHologramIdle;
      mActive = 0;
      break;
    default:
      break;
  }
  return false;
}

void cHologramImplant::Pulse(f32 dt) {
  cTimer& a = mPulseTimers[kPulseA];
  cTimer& b = mPulseTimers[kPulseB];
  cTimer& c = mPulseTimers[kPulseC];
  RwFrame* frame = DoubleFrame();
  if (Seconds(a) > kPulseTurnSeconds) {
    Mark(a);
    mPulseTarget = mPulseAlpha == kPulseLowTurn ? kPulseHigh : kPulseLow;
    mPulseRate = mPulseTarget - mPulseAlpha;
  }
  RwV3d p = RwFrameGetMatrix(frame)->pos;
  if (Seconds(b) > kJitterSeconds) {
    p.x += RandomFloat(-kJitterDraw, kJitterDraw) / kJitterDivisor;
    PlaceAt(p);
    if (Seconds(b) > kJitterRepeatSeconds) {
      PlaceAt(p);
    }
  }
  if (Seconds(c) > kDepthJitterSeconds) {
    p.z += RandomFloat(-kJitterDraw, kJitterDraw) / kJitterDivisor;
    PlaceAt(p);
    if (Seconds(c) > kCycleSeconds) {
      Mark(c);
      Mark(b);
      PlaceAt(p);
    }
  }
  mPulseAlpha += 2.0f * dt * mPulseRate;
  mPulseAlpha =
      mPulseAlpha < kPulseMinimum ? kPulseMinimum : (mPulseAlpha > kPulseMaximum ? kPulseMaximum : mPulseAlpha);
  SetColour(static_cast<u8>(static_cast<s32>(mPulseAlpha)), 255, 255, 255);
}

void cHologramImplant::ReAim() {
  RwFrame* frame = DoubleFrame();
  MatrixLookAt(RwFrameGetMatrix(frame), &mLookAt);
  RwFrameMarkDirty(frame);
}

void cHologramImplant::ReAimScaled(const RwV3d& scale) {
  ReAim();
  RwFrameScale(DoubleFrame(), &scale, kRwCombinePreConcat);
}

void cHologramImplant::PlaceAt(const RwV3d& p) {
  RwFrameTranslate(DoubleFrame(), &p, kRwCombineReplace);
  RwFrameMarkDirty(DoubleFrame());
  ReAim();
}

void cHologramImplant::SetColour(u8 alpha, u8 red, u8 green, u8 blue) {
  if (cDorvaHoloMan* holo = Double()) {
    holo->SetMaterialColour(alpha, red, green, blue);
  }
}

void cHologramImplant::ResetPulse() {
  mPulseAlpha = kHologramPulseAlpha;
  mPulseTarget = kHologramPulseTarget;
  mPulseRate = kHologramPulseRate;
}
