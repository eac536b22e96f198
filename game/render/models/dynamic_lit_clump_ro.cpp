// cDynamicLitClumpRO: the lights from the four maps, the tilt and the fade.
#include "game/render/models/dynamic_lit_clump_ro.h"

#include "game/render/frame_orientation.h"
#include "game/render/scene/scene.h"

namespace {

constexpr f32 kFadeSeconds = 1.0f;
constexpr f32 kFullDifference = 765.0f;  // 3 x 255: opposite maps white and black

f32 Clamp1(f32 value) { return value > 1.0f ? 1.0f : value; }

bool SameColour(const tRGBAf& a, const tRGBAf& b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

u32 SampleSum(const u8 sample[3]) { return static_cast<u32>(sample[0]) + sample[1] + sample[2]; }

}  // namespace

cDynamicLitClumpRO::cDynamicLitClumpRO(const char* fileName, cLightmap* lightmap, s32 tiltFactor, f32 directionalShare,
                                       const char* textureFolder)
    : cClumpRO(fileName, textureFolder),
      mLightmap(lightmap),
      mSamples{},
      mFadeTime(0.0f),
      mFading(0),
      mSettle(0),
      mDirectionalShare(directionalShare),
      mTiltFactor(tiltFactor),
      mExtraLight(nullptr) {
  if (mClump == nullptr) {
    return;
  }
  RpClumpForAllAtomics(
      mClump,
      [](RpAtomic* atomic, void*) {
        RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        const RwUInt32 flags = (RpGeometryGetFlags(geometry) & ~rpGEOMETRYPRELIT) | rpGEOMETRYMODULATEMATERIALCOLOR;
        RpGeometrySetFlags(geometry, flags);
        return atomic;
      },
      nullptr);
}

cDynamicLitClumpRO::cDynamicLitClumpRO(const cDynamicLitClumpRO& prototype)
    : cClumpRO(prototype),
      mLightmap(prototype.mLightmap),
      mSamples{},
      mFadeTime(0.0f),
      mFading(0),
      mSettle(0),
      mDirectionalShare(prototype.mDirectionalShare),
      mTiltFactor(prototype.mTiltFactor),
      mExtraLight(nullptr) {}

void cDynamicLitClumpRO::SampleMaps() {
  RwFrame* frame = GetFrame();
  if (frame == nullptr || mLightmap == nullptr) {
    return;
  }
  const RwV3d& position = RwFrameGetLTM(frame)->pos;
  for (u32 map = 0; map < kLightmapCount; map++) {
    mLightmap->Sample(mSamples[map], map, position.x, position.z);
  }
}

tRGBAf cDynamicLitClumpRO::GetLitColour() const {
  f32 channels[3];
  for (u32 c = 0; c < 3; c++) {
    u8 darkest = mSamples[0][c];
    for (u32 map = 1; map < kLightmapCount; map++) {
      darkest = mSamples[map][c] < darkest ? mSamples[map][c] : darkest;
    }
    channels[c] = static_cast<f32>(darkest) / 255.0f;
  }
  if (mExtraLight != nullptr) {
    const RwRGBAReal& light = mExtraLight->GetColour();
    channels[0] += light.red;
    channels[1] += light.green;
    channels[2] += light.blue;
  }
  return tRGBAf(Clamp1(channels[0]), Clamp1(channels[1]), Clamp1(channels[2]), 1.0f);
}

void cDynamicLitClumpRO::Refresh(u32 frameStamp) {
  (void)frameStamp;
  SampleMaps();
  SetLights(mFading != 0 ? mCurrentColour : GetLitColour());
}

void cDynamicLitClumpRO::SetLights(const tRGBAf& base) {
  if (mScene == nullptr) {
    return;
  }
  cLight& ambient = mScene->GetAmbientLight();
  const f32 ambientShare = 1.0f - mDirectionalShare;
  ambient.SetColour(
      RwRGBAReal{base.r * ambientShare, base.g * ambientShare, base.b * ambientShare, base.a * ambientShare});
  ambient.SetFlags(rpLIGHTLIGHTATOMICS);

  // Leaning away from the brighter of each pair of opposite maps: north and
  // south about x, west and east about z.
  const f32 northSouth = (static_cast<f32>(SampleSum(mSamples[0])) - static_cast<f32>(SampleSum(mSamples[1]))) *
                         static_cast<f32>(mTiltFactor) / kFullDifference;
  const f32 westEast = (static_cast<f32>(SampleSum(mSamples[2])) - static_cast<f32>(SampleSum(mSamples[3]))) *
                       static_cast<f32>(mTiltFactor) / kFullDifference;
  RwMatrix tilt;
  RwMatrixSetIdentity(&tilt);
  const RwV3d xAxis = {1.0f, 0.0f, 0.0f};
  const RwV3d zAxis = {0.0f, 0.0f, 1.0f};
  RwMatrixRotate(&tilt, &xAxis, -northSouth, kRwCombineReplace);
  RwMatrixRotate(&tilt, &zAxis, westEast, kRwCombinePreConcat);
  const RwV3d down = {0.0f, -1.0f, 0.0f};
  RwV3d direction;
  RwV3dTransformVectors(&direction, &down, 1, &tilt);
  cLight& directional = mScene->GetDirectionalLight();
  directional.SetDirection(direction);
  SetFrameDirection(directional.GetFrame(), &direction);

  f32 brightest[3];
  for (u32 c = 0; c < 3; c++) {
    u8 value = mSamples[0][c];
    for (u32 map = 1; map < kLightmapCount; map++) {
      value = mSamples[map][c] > value ? mSamples[map][c] : value;
    }
    brightest[c] = static_cast<f32>(value) / 255.0f;
  }
  directional.SetColour(RwRGBAReal{brightest[0] - base.r, brightest[1] - base.g, brightest[2] - base.b, 1.0f});
  directional.SetFlags(rpLIGHTLIGHTATOMICS);
}

void cDynamicLitClumpRO::FadeToColour(const tRGBAf& target) {
  if (SameColour(target, mFadeTarget)) {
    return;
  }
  mSettle = 0;
  if (mFading == 0) {
    mCurrentColour = GetLitColour();
  }
  mFadeTarget = target;
  mFadeDelta = mCurrentColour - target;
  mFadeTime = 0.0f;
  mFading = 1;
}

void cDynamicLitClumpRO::UpdateFade(f32 dt) {
  mFadeTime += dt;
  if (mFadeTime < kFadeSeconds) {
    mCurrentColour =
        mCurrentColour - tRGBAf(mFadeDelta.r * dt, mFadeDelta.g * dt, mFadeDelta.b * dt, mFadeDelta.a * dt);
  } else if (mSettle != 0) {
    ResetColour();
    mSettle = 0;
  }
}

void cDynamicLitClumpRO::RefreshLight() {
  if (mFading == 0) {
    return;
  }
  const tRGBAf lit = GetLitColour();
  if (SameColour(lit, mFadeTarget)) {
    return;
  }
  mFadeTarget = lit;
  mSettle = 1;
  mFadeTime = 0.0f;
  mFadeDelta = mCurrentColour - mFadeTarget;
}

tRGBAf cDynamicLitClumpRO::ResetColour() {
  mFading = 0;
  mSettle = 0;
  mFadeTarget = GetLitColour();
  return mFadeTarget;
}
