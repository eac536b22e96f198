// cSound and cSndEngWin: sound objects over the shared CSoundEngine, and the
// engine lock that starts and shuts down that engine.
#include "game/app/audio/sound.h"

#include <cstring>

#include "game/foundation/fatal_error.h"
#include "game/foundation/vector_helpers.h"

namespace {

// The engine the first lock creates: 22050 Hz, 16 bits, 40 updates a second.
constexpr u32 kEngineSampleRate = 22050;
constexpr u32 kEngineBits = 16;
constexpr f32 kEngineUpdatesPerSecond = 40.0f;

constexpr RwV3d kOrigin = {0.0f, 0.0f, 0.0f};
constexpr RwV3d kDefaultAt = {0.0f, 0.0f, 1.0f};
constexpr RwV3d kDefaultUp = {0.0f, 1.0f, 0.0f};

}  // namespace

// ---------------------------------------------------------------------------
// cSound

cSound::cSound(const char* name)
    : mFrame(nullptr),
      mPosition(kOrigin),
      mVelocity(kOrigin),
      mVolume(1.0f),
      mFrequencyFactor(1.0f),
      mMinDistance(0.5f),
      mMaxDistance(50.0f),
      mPositionSet(false),
      mName(nullptr) {
  SetName(name);
}

cSound::~cSound() { delete[] mName; }

void cSound::SetName(const char* name) {
  if (name == nullptr || name == mName) {
    return;
  }
  size_t length = strlen(name);
  char* copy = new char[length + 1];
  memcpy(copy, name, length + 1);
  delete[] mName;
  mName = copy;
}

bool cSound::Update(f32 dt) {
  if (!IsPlaying() || mFrame == nullptr) {
    return false;
  }
  RwV3d old = mPosition;
  RwV3d now = RwFrameGetLTM(mFrame)->pos;
  SetPosition(&now);
  // A paused tick carries no time: the velocity stays as it was.
  if (dt > 0.0f) {
    RwV3d moved;
    RwV3d velocity;
    V3dSub(&now, &moved, &old);
    V3dTimesScalar(&moved, &velocity, 1.0f / dt);
    SetVelocity(&velocity);
  }
  return false;
}

bool cSound::Create(cList* parent, u32 flags) {
  return Create(parent, mName, flags, 0, kSoundMinDistance, kSoundMaxDistance);
}

bool cSound::Create(cList* parent, const char* name) {
  return Create(parent, name, 0, 0, kSoundMinDistance, kSoundMaxDistance);
}

bool cSound::Create(const char* name, u32 flags) {
  return Create(nullptr, name, flags, 0, kSoundMinDistance, kSoundMaxDistance);
}

bool cSound::Create(u32 flags) { return Create(nullptr, mName, flags, 0, kSoundMinDistance, kSoundMaxDistance); }

bool cSound::Create(const char* name) { return Create(nullptr, name, 0, 0, kSoundMinDistance, kSoundMaxDistance); }

void cSound::PlayAt(const RwV3d* position) {
  SetPosition(position);
  Play();
}

void cSound::SetLooping(bool) {}

void cSound::SetVolume(f32 volume) { mVolume = volume; }

void cSound::SetEffectsVolume(f32) {}

void cSound::SetMinMaxDistance(f32 minDistance, f32 maxDistance) {
  mMinDistance = minDistance;
  mMaxDistance = maxDistance;
}

RwV3d* cSound::SetPosition(const RwV3d* position) {
  if (position != nullptr) {
    mPosition = *position;
    mPositionSet = true;
  }
  return &mPosition;
}

void cSound::SetVelocity(const RwV3d* velocity) {
  if (velocity != nullptr) {
    mVelocity = *velocity;
  }
}

void cSound::SetFrequencyFactor(f32 factor) { mFrequencyFactor = factor; }

// ---------------------------------------------------------------------------
// cSndEngWin

u32 cSndEngWin::sEngineLockCount = 0;
cSndEngWin::tEngine* cSndEngWin::sEngine = nullptr;
tSoundListener cSndEngWin::sListener = {kOrigin, kOrigin, kDefaultAt, kDefaultUp};

cSndEngWin::cSndEngWin(const char* name) : cSound(name), mBuffer(nullptr), mEngineLocked(0) {
  if (name != nullptr) {
    Create(nullptr, name, 0, 0, kSoundMinDistance, kSoundMaxDistance);
  }
}

cSndEngWin::~cSndEngWin() {
  if (IsPlaying()) {
    Stop();
  }
  CSoundEngine::DestroyBuffer(mBuffer);
  mBuffer = nullptr;
  if (mEngineLocked != 0) {
    mEngineLocked = 0;
    UnlockEngine();
  }
}

bool cSndEngWin::Create(cList* parent, const char* name, u32, u32, f32 minDistance, f32 maxDistance) {
  SetName(name);
  if (mName == nullptr) {
    return false;
  }
  // One lock per object, however often it loads: the last object's
  // destruction must bring the count back to 0.
  if (mEngineLocked == 0) {
    LockEngine();
    mEngineLocked = 1;
  }
  if (!IsEngineOpen()) {
    return false;
  }
  CSoundEngine::DestroyBuffer(mBuffer);
  mBuffer = CSoundEngine::LoadWav(mName);
  // A new buffer starts 2-D; the next position given makes it 3-D.
  mPositionSet = false;
  if (mBuffer == nullptr) {
    return false;
  }
  SetMinMaxDistance(minDistance, maxDistance);
  if (parent != nullptr) {
    parent->Append(this);
  }
  return true;
}

bool cSndEngWin::IsPlaying() { return mBuffer != nullptr && CSoundEngine::IsPlaying(mBuffer); }

void cSndEngWin::Play() {
  Stop();
  if (mBuffer != nullptr) {
    CSoundEngine::Play(mBuffer);
  }
}

void cSndEngWin::Stop() {
  if (mBuffer != nullptr) {
    CSoundEngine::Stop(mBuffer);
  }
}

void cSndEngWin::SetLooping(bool loop) {
  if (mBuffer != nullptr) {
    CSoundEngine::AttachFrame(mBuffer, mFrame, loop);
  }
}

void cSndEngWin::SetVolume(f32 volume) {
  cSound::SetVolume(volume);
  if (mBuffer != nullptr) {
    CSoundEngine::SetVolume(mBuffer, volume);
  }
}

void cSndEngWin::SetEffectsVolume(f32 factor) { CSoundEngine::SetEffectsVolume(factor); }

void cSndEngWin::SetMinMaxDistance(f32 minDistance, f32 maxDistance) {
  if (mBuffer == nullptr) {
    return;
  }
  tSound3DParams params = *CSoundEngine::GetParams(mBuffer);
  params.minDistance = minDistance;
  params.maxDistance = maxDistance;
  CSoundEngine::SetParams(mBuffer, &params);
}

RwV3d* cSndEngWin::SetPosition(const RwV3d* position) {
  if (position == nullptr) {
    return &mPosition;
  }
  if (!mPositionSet && mBuffer != nullptr) {
    tSound3DParams params = *CSoundEngine::GetParams(mBuffer);
    params.is3D = 1;
    CSoundEngine::SetParams(mBuffer, &params);
  }
  cSound::SetPosition(position);
  CSoundEngine::SetPosition(mBuffer, position);
  return &mPosition;
}

void cSndEngWin::SetListener(const RwV3d* position, const RwV3d* at, const RwV3d* up, const RwV3d* velocity) {
  if (!IsEngineOpen()) {
    return;
  }
  sListener.position = position != nullptr ? *position : kOrigin;
  sListener.velocity = velocity != nullptr ? *velocity : kOrigin;
  sListener.at = at != nullptr ? *at : kDefaultAt;
  sListener.up = up != nullptr ? *up : kDefaultUp;
  CSoundEngine::SetListener(&sListener);
}

void cSndEngWin::UpdateAll() {
  if (IsEngineOpen()) {
    CSoundEngine::Update();
  }
}

bool cSndEngWin::IsEngineOpen() { return sEngine != nullptr && sEngine->deviceOpen; }

void cSndEngWin::LockEngine() {
  DebugTrace("cSndEngWin Lock cnt++ = %u\n", sEngineLockCount);
  if (sEngineLockCount++ != 0) {
    return;
  }
  DebugTrace("Initializing cSndEngWin\n");
  sEngine = new tEngine;
  sEngine->deviceOpen = CSoundEngine::Create(kEngineSampleRate, kEngineBits, kEngineUpdatesPerSecond);
  SetListener();
}

void cSndEngWin::UnlockEngine() {
  if (sEngineLockCount == 0) {
    return;
  }
  if (--sEngineLockCount != 0) {
    return;
  }
  DebugTrace("Destroying cSndEngWin\n");
  if (sEngine->deviceOpen) {
    CSoundEngine::Shutdown();
  }
  delete sEngine;
  sEngine = nullptr;
}
