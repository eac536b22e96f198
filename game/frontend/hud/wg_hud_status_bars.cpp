// cWgHudStatusBars: flash and noise arithmetic once per render, then the
// sprites drawn in their order.
#include "game/frontend/hud/wg_hud_status_bars.h"

#include <cmath>

namespace {

constexpr f32 kBarLeft = 0.09375f;
constexpr f32 kBarHeight = 0.06875f;
constexpr f32 kHealthWidth = 0.4875f;
constexpr f32 kHealthY = 0.00625f;
constexpr f32 kEnergyY = 0.1f;
constexpr f32 kNoiseY = 0.19375f;
constexpr f32 kNoiseMiddle = 0.3375f;
constexpr f32 kNoiseHalf = 0.24375f;
constexpr f32 kCellWidth = 0.0375f;
constexpr f32 kCellPitch = 0.05f;
constexpr f32 kIconSize = 0.06875f;
constexpr f32 kNoiseTargets[] = {0.00625f, 0.0609375f, 0.121875f, 0.24375f};
constexpr f32 kNoiseRest = 0.00625f;
constexpr f32 kNoiseStep = 0.0125f;
constexpr f32 kNoiseSnap = 0.00625f;

void DrawAs(cSprite2D& sprite, const RwRGBA& colour) {
  SetSpriteColour(sprite, colour);
  sprite.Render();
}

}  // namespace

cWgHudStatusBars::cWgHudStatusBars(const tWgPlacement& placement)
    : cWgHudWidget(placement),
      mHealthBar(nullptr),
      mCells(nullptr),
      mCellCount(0),
      mHealthIcon(nullptr),
      mEnergyIcon(nullptr),
      mNoiseIcon(nullptr),
      mNoiseLeft(nullptr),
      mNoiseRight(nullptr),
      mNoiseHalfWidth(kNoiseRest),
      mPlayer(nullptr),
      mVisible(1),
      mFlashFrames(0),
      mFlashStep(0),
      mFlashPhase(1),
      mHealthColour(kHudBlue) {}

cWgHudStatusBars::~cWgHudStatusBars() {
  delete mHealthBar;
  for (u32 i = 0; i < mCellCount; i++) {
    delete mCells[i];
  }
  delete[] mCells;
  delete mHealthIcon;
  delete mEnergyIcon;
  delete mNoiseIcon;
  delete mNoiseLeft;
  delete mNoiseRight;
}

void cWgHudStatusBars::Setup(const cHudPlayer* player, const char* healthIcon, const char* energyIcon,
                             const char* noiseIcon) {
  mPlayer = player;
  if (mHealthBar != nullptr) {
    return;  // the sprites are built once
  }
  mHealthBar = new cSprite2D;
  SetSpriteRect(*mHealthBar, kBarLeft, kHealthY, kHealthWidth, kBarHeight);
  mNoiseLeft = new cSprite2D;
  SetSpriteRect(*mNoiseLeft, kBarLeft, kNoiseY, kNoiseHalf, kBarHeight);
  mNoiseRight = new cSprite2D;
  SetSpriteRect(*mNoiseRight, kNoiseMiddle, kNoiseY, kNoiseHalf, kBarHeight);
  mNoiseHalfWidth = kNoiseRest;
  mCellCount = kEnergyCellCount;
  mCells = new cSprite2D*[mCellCount];
  for (u32 i = 0; i < mCellCount; i++) {
    mCells[i] = new cSprite2D;
    SetSpriteRect(*mCells[i], kBarLeft + kCellPitch * static_cast<f32>(i), kEnergyY, kCellWidth, kBarHeight);
  }
  const char* names[3] = {healthIcon, energyIcon, noiseIcon};
  const f32 rows[3] = {kHealthY, kEnergyY, kNoiseY};
  cSprite2D** icons[3] = {&mHealthIcon, &mEnergyIcon, &mNoiseIcon};
  for (u32 i = 0; i < 3; i++) {
    *icons[i] = new cSprite2D;
    if (names[i] != nullptr) {
      (*icons[i])->SetTexture(names[i]);
    }
    SetSpriteRect(**icons[i], 0.0f, rows[i], kIconSize, kIconSize);
  }
  mFlashFrames = 0;
}

void cWgHudStatusBars::Flash(u32 frames) {
  mFlashFrames = frames;
  mFlashStep = 0;
  mFlashPhase = 1;
}

RwRGBA cWgHudStatusBars::StepFlash() {
  if (mFlashFrames == 0) {
    return kHudBlue;
  }
  const u32 f = mFlashFrames;
  u32 s = mFlashStep;
  RwRGBA colour;
  // Unsigned arithmetic taken as bytes: blue to red within a quarter of the
  // flash, then back over the whole length.
  if (mFlashPhase == 1) {
    colour = RwRGBA{static_cast<u8>(66 + s * 756 / f), static_cast<u8>(166 - s * 498 / f),
                    static_cast<u8>(204 - s * 612 / f), 255};
    s++;
    if (s - 1 == f / 4) {
      s = 0;
      mFlashPhase = -1;
    }
  } else {
    colour = RwRGBA{static_cast<u8>(255 - s * 189 / f), static_cast<u8>(44 + s * 132 / f),
                    static_cast<u8>(51 + s * 153 / f), 255};
    s++;
  }
  mFlashStep = s;
  if (s - 1 == f) {
    mFlashFrames = 0;
  }
  return colour;
}

void cWgHudStatusBars::StepNoise(u32 level) {
  const f32 target = kNoiseTargets[level < 3 ? level : 3];
  if (std::fabs(mNoiseHalfWidth - target) <= kNoiseSnap) {
    mNoiseHalfWidth = target;
    return;
  }
  mNoiseHalfWidth += mNoiseHalfWidth < target ? kNoiseStep : -kNoiseStep;
  if (std::fabs(mNoiseHalfWidth - target) <= kNoiseSnap) {
    mNoiseHalfWidth = target;
  }
}

f32 cWgHudStatusBars::EnergyCellFill(f32 energy, u32 cell) {
  if (!(energy >= 0.0f)) {
    return -1.0f;
  }
  const f32 tenths = energy * 10.0f;
  const u32 full = static_cast<u32>(tenths);
  if (cell > full) {
    return 0.0f;
  }
  return cell == full ? tenths - static_cast<f32>(full) : 1.0f;
}

void cWgHudStatusBars::DrawEnergy(f32 energy) {
  for (u32 i = 0; i < mCellCount; i++) {
    const f32 fill = EnergyCellFill(energy, i);
    if (fill < 0.0f) {
      return;
    }
    cSprite2D& cell = *mCells[i];
    cell.SetSize(tSpriteSize{kCellWidth, kBarHeight});
    DrawAs(cell, kHudDark);
    if (fill > 0.0f) {
      cell.SetSize(tSpriteSize{fill * kCellWidth, kBarHeight});
      DrawAs(cell, kHudBlue);
    }
  }
}

void cWgHudStatusBars::DrawNoise(u32 level) {
  mNoiseLeft->SetPosition(RwV2d{kBarLeft, kNoiseY}, 0);
  mNoiseLeft->SetSize(tSpriteSize{kNoiseHalf, kBarHeight});
  mNoiseRight->SetPosition(RwV2d{kNoiseMiddle, kNoiseY}, 0);
  mNoiseRight->SetSize(tSpriteSize{kNoiseHalf, kBarHeight});
  DrawAs(*mNoiseLeft, kHudDark);
  DrawAs(*mNoiseRight, kHudDark);
  const f32 w = mNoiseHalfWidth;
  SetSpriteRect(*mNoiseLeft, kNoiseMiddle - w, kNoiseY, w, kBarHeight);
  SetSpriteRect(*mNoiseRight, kNoiseMiddle, kNoiseY, w, kBarHeight);
  RwRGBA left[kSpriteVertexCount] = {kHudBlue, kHudBlue, kHudBlue, kHudBlue};
  RwRGBA right[kSpriteVertexCount] = {kHudBlue, kHudBlue, kHudBlue, kHudBlue};
  if (level != 0 || w > kNoiseRest) {
    // The outer ends deepen as the bar opens.
    const RwRGBA outer = {32, 32, static_cast<u8>(128 + static_cast<s32>(w * 128.0f / 0.5f * 0.4875f)), 255};
    left[0] = left[1] = outer;
    right[2] = right[3] = outer;
  }
  mNoiseLeft->SetCornerColours(left);
  mNoiseRight->SetCornerColours(right);
  mNoiseLeft->Render();
  mNoiseRight->Render();
}

void cWgHudStatusBars::Render() {
  if (!mVisible || mPlayer == nullptr || mHealthBar == nullptr) {
    return;
  }
  mHealthColour = StepFlash();
  const u32 noise = mPlayer->GetHudNoiseLevel();
  StepNoise(noise);
  if (!BeginDraw()) {
    return;
  }
  f32 health = mPlayer->GetHudHealth();
  health = health < 0.0f ? 0.0f : (health > 1.0f ? 1.0f : health);
  mHealthBar->SetSize(tSpriteSize{kHealthWidth, kBarHeight});
  DrawAs(*mHealthBar, kHudDark);
  mHealthBar->SetSize(tSpriteSize{kHealthWidth * health, kBarHeight});
  SetSpriteColour(*mHealthBar, mHealthColour);
  mHealthIcon->Render();
  mEnergyIcon->Render();
  mNoiseIcon->Render();
  mHealthBar->Render();
  DrawEnergy(mPlayer->GetHudEnergy());
  DrawNoise(noise);
  EndDraw();
}
