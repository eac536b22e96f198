// Emitters: births per update from the rate, the carry and the burst, and
// the start of each particle from the emitter's frame.
#include "game/render/particles/particle_emitter.h"

#include <cmath>

#include "game/foundation/fatal_error.h"
#include "game/render/random.h"

namespace {

constexpr f32 kRadiansPerDegree = 0.017453292f;
constexpr f32 kFullTurn = 6.2831855f;  // radians
constexpr f32 kMaxAngleDegrees = 180.0f;

// A (min,max) pair of the group's key; false when the key is missing, fatal
// with the message when the value is no pair.
bool ReadRange(const cPropertyGroup& group, const char* key, const char* message, f32* min, f32* max) {
  const cProperty* property = group.FindProperty(key);
  if (property == nullptr) {
    return false;
  }
  RwV2d range;
  if (!ParseV2d(property->GetValue(), &range)) {
    FatalInGroup(&group, "%s", message);
  }
  *min = range.x;
  *max = range.y;
  return true;
}

bool InRange(f32 value, f32 low, f32 high) { return value >= low && value <= high; }

bool IsFiniteNonNegative(f32 value) { return std::isfinite(value) && value >= 0.0f; }

}  // namespace

cParticleEmitter::cParticleEmitter()
    : mRate(nullptr),
      mTime(0.0f),
      mBurst(0),
      mSpanMin(1.0f),
      mSpanMax(1.0f),
      mSpeedMin(0.0f),
      mSpeedMax(0.0f),
      mDistMin(0.0f),
      mDistMax(0.0f),
      mInheritSpeed(0.0f),
      mVelocity{0.0f, 0.0f, 0.0f},
      mLastPosition{0.0f, 0.0f, 0.0f},
      mFirstUpdate(1),
      mCarry(0.0f),
      mFrame(RwFrameCreate()) {}

cParticleEmitter::~cParticleEmitter() {
  if (mFrame != nullptr) {
    RwFrameDestroy(mFrame);
  }
  delete mRate;
}

void cParticleEmitter::Init(const cPropertyGroup& group) {
  if (const cProperty* rate = group.FindProperty("RATE")) {
    tFloatEnvelope* envelope = ReadFloatEnvelope(rate->GetValue());
    if (envelope == nullptr) {
      FatalInGroup(&group, "cRO_PInstancer_Im3DSprite::Init() : invalid Ratee");
    }
    SetRateEnvelope(envelope);
  }
  if (const cProperty* burst = group.FindProperty("BURST")) {
    mBurst = burst->GetS32Fatal();
    if (mBurst < 0) {
      FatalInGroup(&group, "cParticleEmitter::Init() : invalid burst");
    }
  }
  // A life span that is no finite number would never end.
  if (ReadRange(group, "SPAN", "cParticleEmitter::Init() : invalid span", &mSpanMin, &mSpanMax) &&
      !(IsFiniteNonNegative(mSpanMin) && IsFiniteNonNegative(mSpanMax))) {
    FatalInGroup(&group, "cParticleEmitter::Init() : invalid span");
  }
  ReadRange(group, "SPEED", "cParticleEmitter::Init() : invalid speed", &mSpeedMin, &mSpeedMax);
  ReadRange(group, "DIST", "cParticleEmitter::Init() : invalid dist", &mDistMin, &mDistMax);
  if (const cProperty* inherit = group.FindProperty("INHERITSPEED")) {
    mInheritSpeed = inherit->GetF32Fatal();
  }
  mTime = 0.0f;
}

void cParticleEmitter::SetRateEnvelope(tFloatEnvelope* envelope) {
  if (envelope != mRate) {
    delete mRate;
  }
  mRate = envelope;
}

void cParticleEmitter::Restart() {
  mCarry = 0.0f;
  mFirstUpdate = 1;
  mTime = 0.0f;
  mVelocity = RwV3d{0.0f, 0.0f, 0.0f};
}

void cParticleEmitter::GetSpan(f32* min, f32* max) const {
  *min = mSpanMin;
  *max = mSpanMax;
}

void cParticleEmitter::GetSpeed(f32* min, f32* max) const {
  *min = mSpeedMin;
  *max = mSpeedMax;
}

void cParticleEmitter::GetDist(f32* min, f32* max) const {
  *min = mDistMin;
  *max = mDistMax;
}

u32 cParticleEmitter::CountBirths(f32 c) {
  f32 rate = 0.0f;
  if (mRate != nullptr && mRate->GetStartTime() <= mTime && mTime <= mRate->GetEndTime()) {
    rate = mRate->GetValue(mTime);
  }
  if (rate == 0.0f) {
    return 0;
  }
  const double owed = std::trunc(static_cast<double>(c) * rate);
  if (!(owed < kMaxBirthsPerUpdate)) {
    // Beyond any effect (or no number at all): the excess is not owed.
    mCarry = 0.0f;
    return owed >= kMaxBirthsPerUpdate ? kMaxBirthsPerUpdate : 0;
  }
  mCarry = static_cast<f32>(c - owed / rate);
  return owed > 0.0 ? static_cast<u32>(owed) : 0;
}

void cParticleEmitter::Update(f32 dt, cList* live) {
  mTime += dt;
  const f32 c = dt + mCarry;
  u32 n = CountBirths(c);
  const RwV3d position = RwFrameGetLTM(mFrame)->pos;
  if (mFirstUpdate != 0) {
    n += static_cast<u32>(mBurst);
    mFirstUpdate = 0;
  } else if (c > 0.0f) {
    // With no time owed (a paused frame) the velocity stays as it was.
    RwV3d moved;
    RwV3dSub(&moved, &position, &mLastPosition);
    RwV3dScale(&mVelocity, &moved, 1.0f / c);
  }
  mLastPosition = position;
  if (n > kMaxBirthsPerUpdate) {
    n = kMaxBirthsPerUpdate;
  }
  if (n == 0) {
    return;
  }
  const u32 alive = live->Count();
  if (alive >= kMaxLiveParticles) {
    return;
  }
  const u32 room = kMaxLiveParticles - alive;
  const u32 born = n < room ? n : room;
  for (u32 k = 0; k < born; k++) {
    GiveBirth(k, n, c, live);
  }
}

void cParticleEmitter::GiveBirth(u32 k, u32 n, f32 c, cList* live) {
  tParticle* particle = new tParticle();
  particle->lifeSpan = RandomFloat(mSpanMin, mSpanMax);
  InitParticle(particle);
  RwV3d direction = particle->velocity;
  RwV3d offset;
  RwV3dScale(&offset, &direction, RandomFloat(mDistMin, mDistMax));
  RwV3d local;
  RwV3dAdd(&local, &particle->position, &offset);
  RwV3dScale(&particle->velocity, &direction, RandomFloat(mSpeedMin, mSpeedMax));
  const RwMatrix* world = RwFrameGetLTM(mFrame);
  RwV3dTransformPoints(&particle->position, &local, 1, world);
  RwV3d velocity = particle->velocity;
  RwV3dTransformVectors(&particle->velocity, &velocity, 1, world);
  RwV3d inherited;
  RwV3dScale(&inherited, &mVelocity, mInheritSpeed);
  RwV3dAdd(&particle->velocity, &particle->velocity, &inherited);
  // The particles of one update are spread back along the emitter's path.
  RwV3d back;
  RwV3dScale(&back, &mVelocity, static_cast<f32>(k) / static_cast<f32>(n) * c);
  RwV3dSub(&particle->position, &particle->position, &back);
  live->Append(particle);
}

void cParticleEmitter_Point::Init(const cPropertyGroup& group) {
  cParticleEmitter::Init(group);
  if (const cProperty* angle = group.FindProperty("ANGLE")) {
    RwV2d degrees;
    if (!ParseV2d(angle->GetValue(), &degrees) || !InRange(degrees.x, 0.0f, kMaxAngleDegrees) ||
        !InRange(degrees.y, 0.0f, kMaxAngleDegrees)) {
      FatalInGroup(&group, "cParticleEmitter_Point::Init() : invalid angle");
    }
    mAngleMin = degrees.x * kRadiansPerDegree;
    mAngleMax = degrees.y * kRadiansPerDegree;
  }
}

void cParticleEmitter_Point::InitParticle(tParticle* particle) {
  f32 cosTheta = RandomFloat(std::cos(mAngleMin), std::cos(mAngleMax));
  // Rounding must not take the cosine past 1.
  cosTheta = cosTheta > 1.0f ? 1.0f : (cosTheta < -1.0f ? -1.0f : cosTheta);
  const f32 theta = std::acos(cosTheta);
  const f32 phi = RandomFloat(0.0f, kFullTurn);
  const f32 sinTheta = std::sin(theta);
  particle->position = RwV3d{0.0f, 0.0f, 0.0f};
  particle->velocity = RwV3d{std::sin(phi) * sinTheta, -std::cos(phi) * sinTheta, cosTheta};
}
