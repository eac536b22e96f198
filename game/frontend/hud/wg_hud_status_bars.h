// The status bars in the HUD's top left: the health bar (flashing red when
// the player is hurt), ten implant-energy cells and the noise meter, which
// opens from its middle towards the player's noise level.
#pragma once

#include "game/frontend/hud/hud_widget.h"

constexpr u32 kEnergyCellCount = 10;
constexpr u32 kDamageFlashFrames = 16;
constexpr const char* kHealthIconTexture = "data/textures/healthicon";
constexpr const char* kEnergyIconTexture = "data/textures/shieldicon";
constexpr const char* kNoiseIconTexture = "data/textures/noiseicon";

class cWgHudStatusBars : public cWgHudWidget {
 public:
  explicit cWgHudStatusBars(const tWgPlacement& placement);
  ~cWgHudStatusBars() override;

  // Keeps the player (not owned) and builds the sprites.
  void Setup(const cHudPlayer* player, const char* healthIcon, const char* energyIcon, const char* noiseIcon);
  // Starts a flash of the health bar over frames renders; 0 ends one.
  void Flash(u32 frames);
  void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
  void Render() override;

  // The health bar's colour of the last render.
  const RwRGBA& GetHealthColour() const { return mHealthColour; }
  bool IsFlashing() const { return mFlashFrames != 0; }
  f32 GetNoiseHalfWidth() const { return mNoiseHalfWidth; }
  // The shown width of energy cell i (0 to 1 of a cell) for the energy;
  // -1 when the cells are hidden.
  static f32 EnergyCellFill(f32 energy, u32 cell);

 private:
  // One step of the flash; the colour of this render.
  RwRGBA StepFlash();
  void StepNoise(u32 level);
  void DrawEnergy(f32 energy);
  void DrawNoise(u32 level);

  cSprite2D* mHealthBar;
  cSprite2D** mCells;
  u32 mCellCount;
  cSprite2D* mHealthIcon;
  cSprite2D* mEnergyIcon;
  cSprite2D* mNoiseIcon;
  cSprite2D* mNoiseLeft;
  cSprite2D* mNoiseRight;
  f32 mNoiseHalfWidth;
  const cHudPlayer* mPlayer;
  u8 mVisible;
  u32 mFlashFrames;
  u32 mFlashStep;
  s32 mFlashPhase;  // 1 rising, -1 falling
  RwRGBA mHealthColour;
};
