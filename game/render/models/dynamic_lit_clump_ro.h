// Clump objects lit by the scene's two lights, set from the level's
// lightmaps at every draw: the ambient light takes the darkest of the four
// map colours at the object's position, the directional light the rest,
// tilted towards the brighter maps. The colour can fade to a target.
#pragma once

#include "game/render/models/clump_ro.h"
#include "game/render/colour.h"
#include "game/render/scene/light.h"
#include "game/render/models/lightmap.h"

class cDynamicLitClumpRO : public cClumpRO {
 public:
  // Every geometry loses the pre-lit flag and is modulated by its material
  // colours. tiltFactor: degrees of tilt for a full difference between
  // opposite maps; directionalShare: the part of the base colour that the
  // ambient light leaves out.
  cDynamicLitClumpRO(const char* fileName, cLightmap* lightmap, s32 tiltFactor, f32 directionalShare,
                     const char* textureFolder);
  // A lit copy: the prototype's lightmap, tilt and share; white, no fade,
  // no extra light. Clone itself makes a plain clump copy.
  explicit cDynamicLitClumpRO(const cDynamicLitClumpRO& prototype);

  // Samples the maps and sets the scene's lights for this object.
  void Refresh(u32 frameStamp) override;

  // Added to the lit colour.
  void SetExtraLight(cLight* light) { mExtraLight = light; }
  // Starts a one-second fade from the current colour to the target.
  void FadeToColour(const tRGBAf& target);
  // Advances the fade; a fade that was told to settle ends on the lit colour.
  void UpdateFade(f32 dt);
  // While fading, a changed lit colour becomes the target to settle on.
  void RefreshLight();
  // Ends any fade; the target becomes the lit colour, which is returned.
  tRGBAf ResetColour();
  // Per channel the darkest of the four samples plus the extra light,
  // clamped to 1; alpha 1.
  tRGBAf GetLitColour() const;

  const tRGBAf& GetCurrentColour() const { return mCurrentColour; }
  const tRGBAf& GetFadeTarget() const { return mFadeTarget; }
  bool IsFading() const { return mFading != 0; }

 private:
  // The four maps at the object's ground position.
  void SampleMaps();
  void SetLights(const tRGBAf& base);

  cLightmap* mLightmap;
  u8 mSamples[kLightmapCount][3];
  tRGBAf mCurrentColour;
  tRGBAf mFadeDelta;  // per second
  tRGBAf mFadeTarget;
  f32 mFadeTime;  // seconds
  u8 mFading;
  u8 mSettle;
  f32 mDirectionalShare;
  s32 mTiltFactor;
  cLight* mExtraLight;
};
