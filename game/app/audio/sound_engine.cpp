// CSoundEngine: the DirectSound device, the buffer array, the periodic buffer
// update and the 3-D mix. Start-up failures are traced and leave the game
// silent; every DirectSound failure after start-up ends the program.
#include "game/app/audio/sound_engine.h"

#include <cmath>
#include <new>

#include "game/app/frame_tick.h"
#include "game/app/startup/app_config.h"
#include "game/app/time_scale.h"
#include "game/foundation/array.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/vector_helpers.h"

namespace {

constexpr f32 kMinDistanceFloor = 1e-9f;
constexpr f32 kMinVolume = 1e-9f;
// A maximum distance not above the minimum becomes this multiple of it.
constexpr f32 kDefaultMaxDistanceFactor = 20.0f;
// One over the speed of sound, 330 units per second.
constexpr f32 kInverseSpeedOfSound = 0.0030303f;
constexpr f32 kMinDopplerRatio = 0.5f;
constexpr f32 kMaxDopplerRatio = 2.0f;
constexpr f32 kPanRange = 3600.0f;
constexpr u32 kBufferFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;

const tSoundListener kDefaultListener = {
    {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}};

struct tEngineState {
  IDirectSound8* device = nullptr;
  IDirectSoundBuffer* primary = nullptr;
  tSoundListener listener = kDefaultListener;
  f32 effectsVolume = 1.0f;
  f32 frequencyFactor = 1.0f;
  // The clock counts from boot and wraps: the last update is kept as a clock
  // reading and compared by difference, with a flag for "run next time".
  bool updateDue = true;
  u32 lastUpdateMs = 0;
  f32 updateInterval = 0.025f;  // seconds
  cPtrArray buffers;            // of tSoundBuffer; an empty entry is null
};

tEngineState sEngine;

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) {
    FatalError("%s", what);
  }
}

// The array index of a handle, or -1 when it is not a live buffer.
s32 FindBuffer(const tSoundBuffer* buffer) {
  if (buffer == nullptr) {
    return -1;
  }
  for (u32 i = 0; i < sEngine.buffers.GetCount(); i++) {
    if (sEngine.buffers.Get(i) == buffer) {
      return static_cast<s32>(i);
    }
  }
  return -1;
}

tSoundBuffer* RequireBuffer(tSoundBuffer* buffer, const char* message) {
  if (FindBuffer(buffer) < 0) {
    FatalError("%s", message);
  }
  return buffer;
}

WAVEFORMATEX PcmFormat(u32 channels, u32 sampleRate, u32 bits) {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(channels);
  format.nSamplesPerSec = sampleRate;
  format.wBitsPerSample = static_cast<WORD>(bits);
  format.nBlockAlign = static_cast<WORD>(bits / 8 * channels);
  format.nAvgBytesPerSec = format.nBlockAlign * sampleRate;
  return format;
}

bool IsLive(const tSoundBuffer* buffer) { return FindBuffer(buffer) >= 0; }

u32 BlockSize(const tSoundBuffer& buffer) { return buffer.channels * buffer.bitsPerSample / 8; }

f32 LimitFrequency(f32 frequency) {
  if (!(frequency >= DSBFREQUENCY_MIN)) {  // also a NaN
    return DSBFREQUENCY_MIN;
  }
  return frequency > DSBFREQUENCY_MAX ? DSBFREQUENCY_MAX : frequency;
}

f32 LimitVolume(f32 volume) {
  if (!(volume >= kMinVolume)) {
    return kMinVolume;
  }
  return volume > 1.0f ? 1.0f : volume;
}

// 20 log10 of the gain in hundredths of a decibel, never below DSBVOLUME_MIN.
s32 VolumeForGain(f32 gain) {
  f32 x = -0.2f * log10f(gain);
  if (std::isnan(x) || x > 1.0f) {
    x = 1.0f;
  } else if (x < 0.0f) {
    x = 0.0f;
  }
  return static_cast<s32>(DSBVOLUME_MIN * x);
}

bool MutedByTimeScale(const tSoundBuffer& buffer, f32 timeScale) {
  return timeScale != 1.0f && buffer.playWhileTimeScaled == 0;
}

void WorldPosition(RwFrame* frame, RwV3d* out) { *out = RwFrameGetLTM(frame)->pos; }

// Brings the DirectSound buffer's frequency, volume and pan to the mix,
// each only on a change above the threshold.
void ApplyMix(tSoundBuffer* buffer, const tSoundMix& mix) {
  IDirectSoundBuffer* ds = buffer->dsBuffer;
  DWORD frequency = 0;
  LONG volume = 0;
  LONG pan = 0;
  if (FAILED(ds->GetFrequency(&frequency)) || FAILED(ds->GetVolume(&volume)) || FAILED(ds->GetPan(&pan))) {
    FatalError("Get current buffer frequency, volume and pan");
  }
  if (std::abs(mix.frequency - static_cast<s32>(frequency)) > kSoundSetThreshold) {
    Check(ds->SetFrequency(static_cast<DWORD>(mix.frequency)),
          "Set new frequency of buffer if it differs from current");
  }
  if (std::abs(mix.volume - volume) > kSoundSetThreshold) {
    Check(ds->SetVolume(mix.volume), "Set new volume of buffer of it differs from current");
  }
  if (std::abs(mix.pan - pan) > kSoundSetThreshold) {
    Check(ds->SetPan(mix.pan), "Set new pan of buffer if it differs from current");
  }
}

void StartOrFollow(tSoundBuffer* buffer) {
  if (buffer->physicallyPlaying == 0 || buffer->state == ssPlayRequested) {
    Check(buffer->dsBuffer->Play(0, 0, buffer->params.looping != 0 ? DSBPLAY_LOOPING : 0), "Start playing sound");
    buffer->state = ssPlaying;
    buffer->physicallyPlaying = 1;
  }
  if (buffer->state == ssPlaying) {
    DWORD status = 0;
    Check(buffer->dsBuffer->GetStatus(&status), "If sound buffer is in ssPlaying state but sound is physically...");
    if ((status & DSBSTATUS_PLAYING) == 0) {
      buffer->state = ssStopped;  // a one-shot sound has ended
    }
  }
}

// Beyond its maximum distance a sound keeps its place in time unheard: the
// DirectSound buffer stops and the cursor is advanced by arithmetic.
void AdvanceUnheard(tSoundBuffer* buffer, u32 lastValid) {
  if (buffer->physicallyPlaying != 0) {
    Check(buffer->dsBuffer->Stop(), "Stop playing sound, but do not change sound state to...");
    buffer->physicallyPlaying = 0;
  }
  u32 advance = static_cast<u32>(static_cast<f32>(buffer->sampleRate * BlockSize(*buffer)) * sEngine.updateInterval);
  u32 pending = buffer->playPosition + advance;
  if (pending >= lastValid) {
    if (buffer->params.looping != 0) {
      pending = lastValid == 0 ? 0 : pending % lastValid;
    } else {
      // Ended unheard: back to the start, as an ended one-shot is.
      pending = 0;
      buffer->state = ssStopRequested;
    }
  }
  buffer->pendingPosition = pending;
}

void UpdateBuffer(tSoundBuffer* buffer) {
  const u32 block = BlockSize(*buffer);
  const u32 lastValid = buffer->sizeBytes > block ? buffer->sizeBytes - block : 0;
  if (buffer->pendingPosition != kNoPendingPosition) {
    u32 position = buffer->pendingPosition - buffer->pendingPosition % block;
    Check(buffer->dsBuffer->SetCurrentPosition(position < lastValid ? position : lastValid),
          "Calculate buffer position");
    buffer->pendingPosition = kNoPendingPosition;
  }
  DWORD play = 0;
  Check(buffer->dsBuffer->GetCurrentPosition(&play, nullptr), "Get position of buffer");
  buffer->playPosition = play;

  if (buffer->state == ssPlayRequested || buffer->state == ssPlaying) {
    if (buffer->frame != nullptr) {
      WorldPosition(buffer->frame, &buffer->params.position);
    }
    tSoundMix mix =
        ComputeSoundMix(*buffer, sEngine.listener, sEngine.effectsVolume, sEngine.frequencyFactor, gTimeScale);
    if (mix.audible) {
      ApplyMix(buffer, mix);
      StartOrFollow(buffer);
    } else {
      AdvanceUnheard(buffer, lastValid);
    }
  }
  if (buffer->state == ssStopRequested) {
    Check(buffer->dsBuffer->Stop(), "Stop playing buffer");
    buffer->state = ssStopped;
  }
}

void UpdateAllBuffers() {
  for (u32 i = 0; i < sEngine.buffers.GetCount(); i++) {
    tSoundBuffer* buffer = static_cast<tSoundBuffer*>(sEngine.buffers.Get(i));
    if (buffer != nullptr) {
      UpdateBuffer(buffer);
    }
  }
}

// The DirectSound objects made so far by a Create that failed part-way.
void ReleaseDevice() {
  if (sEngine.primary != nullptr) {
    sEngine.primary->Release();
    sEngine.primary = nullptr;
  }
  if (sEngine.device != nullptr) {
    sEngine.device->Release();
    sEngine.device = nullptr;
  }
}

}  // namespace

tSoundMix ComputeSoundMix(const tSoundBuffer& buffer, const tSoundListener& listener, f32 effectsVolume,
                          f32 frequencyFactor, f32 timeScale) {
  tSoundMix mix = {true, 0, 0, 0};
  const tSound3DParams& params = buffer.params;
  const f32 baseFrequency = static_cast<f32>(buffer.sampleRate) * params.frequencyFactor * frequencyFactor;
  if (params.is3D == 0) {
    mix.frequency = static_cast<s32>(LimitFrequency(baseFrequency));
    mix.volume =
        MutedByTimeScale(buffer, timeScale) ? DSBVOLUME_MIN : VolumeForGain(effectsVolume * LimitVolume(params.volume));
    return mix;
  }

  const f32 minDistance = params.minDistance > kMinDistanceFloor ? params.minDistance : kMinDistanceFloor;
  const f32 maxDistance = params.maxDistance > minDistance + kMinDistanceFloor
                              ? params.maxDistance
                              : kDefaultMaxDistanceFactor * minDistance;
  const f32 distance = sqrtf(V3dDistanceSquared(&params.position, &listener.position));
  if (distance > maxDistance) {
    mix.audible = false;
    return mix;
  }

  RwV3d toListener;
  V3dSub(&listener.position, &toListener, &params.position);
  V3dNormalize(&toListener);

  const f32 a = RwV3dDotProduct(&toListener, &listener.velocity) * kInverseSpeedOfSound;
  const f32 b = RwV3dDotProduct(&toListener, &params.velocity) * kInverseSpeedOfSound;
  f32 ratio = (1.0f - a) / (1.0f - b);
  if (std::isnan(ratio)) {  // both at the speed of sound, or velocities not numbers
    ratio = 1.0f;
  }
  ratio = ratio < kMinDopplerRatio ? kMinDopplerRatio : (ratio > kMaxDopplerRatio ? kMaxDopplerRatio : ratio);
  mix.frequency = static_cast<s32>(LimitFrequency(baseFrequency * ratio));

  if (MutedByTimeScale(buffer, timeScale)) {
    mix.volume = DSBVOLUME_MIN;
  } else {
    f32 t = distance / minDistance - 1.0f;
    if (!(t >= 0.0f)) {
      t = 0.0f;
    }
    mix.volume = VolumeForGain(effectsVolume * LimitVolume(params.volume) * powf(0.5f, t));
  }

  RwV3d right;
  V3dCross(&listener.up, &right, &listener.at);
  V3dNormalize(&right);
  f32 pan = kPanRange * RwV3dDotProduct(&right, &toListener);
  mix.pan = std::isnan(pan) ? 0 : static_cast<s32>(pan);
  return mix;
}

bool CSoundEngine::Create(u32 sampleRate, u32 bits, f32 updatesPerSecond) {
  if (sEngine.device != nullptr) {
    return false;
  }
  if (FAILED(DirectSoundCreate8(nullptr, &sEngine.device, nullptr))) {
    sEngine.device = nullptr;
    DebugTrace("Failed to create DirectSound object.\n");
    return false;
  }
  if (FAILED(sEngine.device->SetCooperativeLevel(gAppWindow.window, DSSCL_PRIORITY))) {
    DebugTrace("Failed to set DirectSound cooperative level.\n");
    ReleaseDevice();
    return false;
  }
  DSBUFFERDESC desc = {};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
  if (FAILED(sEngine.device->CreateSoundBuffer(&desc, &sEngine.primary, nullptr))) {
    sEngine.primary = nullptr;
    DebugTrace("Failed to create primary sound buffer.\n");
    ReleaseDevice();
    return false;
  }
  WAVEFORMATEX format = PcmFormat(2, sampleRate, bits);
  if (FAILED(sEngine.primary->SetFormat(&format))) {
    DebugTrace("Failed to set primary sound buffer format (%u Hz, %u bits).\n", sampleRate, bits);
    ReleaseDevice();
    return false;
  }
  sEngine.updateDue = true;
  sEngine.effectsVolume = 1.0f;
  sEngine.frequencyFactor = 1.0f;
  sEngine.updateInterval = 1.0f / updatesPerSecond;
  sEngine.listener = kDefaultListener;
  Check(sEngine.primary->Play(0, 0, DSBPLAY_LOOPING), "Not make primary buffer play continuously");
  return true;
}

void CSoundEngine::Shutdown() {
  if (sEngine.device == nullptr) {
    return;
  }
  for (u32 i = 0; i < sEngine.buffers.GetCount(); i++) {
    DestroyBuffer(static_cast<tSoundBuffer*>(sEngine.buffers.Get(i)));
  }
  Check(sEngine.primary->Stop(), "Stop primary buffer playing");
  ReleaseDevice();
  u32 left = GetBufferCount();
  if (left != 0) {
    FatalError("%u sound buffers left when shutting down CSoundEngine.", left);
  }
  sEngine.buffers.SetCount(0);
}

bool CSoundEngine::HasDevice() { return sEngine.device != nullptr; }

void CSoundEngine::SetListener(const tSoundListener* listener) {
  if (sEngine.device == nullptr) {
    return;
  }
  sEngine.listener.position = listener->position;
  sEngine.listener.at = listener->at;
  sEngine.listener.up = listener->up;
  // A jump of the camera reads as a huge speed; such a velocity is ignored.
  if (!(V3dLengthSquared(&listener->velocity) > kMaxListenerSpeed * kMaxListenerSpeed)) {
    sEngine.listener.velocity = listener->velocity;
  }
}

const tSoundListener& CSoundEngine::GetListener() { return sEngine.listener; }

void CSoundEngine::Update() {
  if (sEngine.device == nullptr) {
    return;
  }
  u32 now = GetTimeMs();
  if (!sEngine.updateDue && static_cast<f32>(now - sEngine.lastUpdateMs) < sEngine.updateInterval * 1000.0f) {
    return;
  }
  UpdateAllBuffers();
  sEngine.lastUpdateMs = now;
  sEngine.updateDue = false;
}

void CSoundEngine::UpdateNow(bool now) {
  if (!now) {
    sEngine.updateDue = true;
    return;
  }
  if (sEngine.device == nullptr) {
    return;
  }
  UpdateAllBuffers();
  sEngine.lastUpdateMs = GetTimeMs();
  sEngine.updateDue = false;
}

tSoundBuffer* CSoundEngine::CreateBuffer(u32 bytes, u32 channels, u32 sampleRate) {
  if (sEngine.device == nullptr || (channels != 1 && channels != 2) || sampleRate < kMinBufferRate ||
      sampleRate > kMaxBufferRate) {
    return nullptr;
  }
  const u32 block = channels * 2;
  const uint64_t rounded = (static_cast<uint64_t>(bytes) + block - 1) / block * block;
  if (rounded > DSBSIZE_MAX) {
    return nullptr;
  }
  WAVEFORMATEX format = PcmFormat(channels, sampleRate, 16);
  DSBUFFERDESC desc = {};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = kBufferFlags;
  desc.dwBufferBytes = static_cast<DWORD>(rounded);
  desc.lpwfxFormat = &format;
  IDirectSoundBuffer* ds = nullptr;
  if (FAILED(sEngine.device->CreateSoundBuffer(&desc, &ds, nullptr))) {
    return nullptr;
  }
  tSoundBuffer* buffer = new (std::nothrow) tSoundBuffer;
  if (buffer == nullptr) {
    FatalError("Create new sound buffer");
  }
  *buffer = tSoundBuffer{};
  buffer->state = ssStopped;
  buffer->params.volume = 1.0f;
  buffer->params.frequencyFactor = 1.0f;
  buffer->params.minDistance = 0.5f;
  buffer->params.maxDistance = 50.0f;
  buffer->dsBuffer = ds;
  buffer->sampleRate = sampleRate;
  buffer->bitsPerSample = 16;
  buffer->channels = channels;
  buffer->sizeBytes = static_cast<u32>(rounded);
  buffer->pendingPosition = kNoPendingPosition;
  buffer->playWhileTimeScaled = 1;

  u32 count = sEngine.buffers.GetCount();
  for (u32 i = 0; i < count; i++) {
    if (sEngine.buffers.Get(i) == nullptr) {
      sEngine.buffers.Set(i, buffer);
      return buffer;
    }
  }
  sEngine.buffers.SetCount(count + 1);
  sEngine.buffers.Set(count, buffer);
  return buffer;
}

void CSoundEngine::DestroyBuffer(tSoundBuffer* buffer) {
  if (buffer == nullptr || sEngine.device == nullptr) {
    return;
  }
  s32 index = FindBuffer(buffer);
  if (index < 0) {
    FatalError("Destroying buffer which is not in buffers array.");
  }
  buffer->dsBuffer->Stop();
  buffer->dsBuffer->Release();
  delete buffer;
  sEngine.buffers.Set(static_cast<u32>(index), nullptr);
}

bool CSoundEngine::Lock(tSoundBuffer* buffer, u32 offset, u32 bytes, tSoundLock* lock) {
  if (!IsLive(buffer)) {
    return false;
  }
  *lock = tSoundLock{};
  DWORD bytes1 = 0;
  DWORD bytes2 = 0;
  if (FAILED(buffer->dsBuffer->Lock(offset, bytes, &lock->part1, &bytes1, &lock->part2, &bytes2, 0))) {
    return false;
  }
  lock->bytes1 = bytes1;
  lock->bytes2 = bytes2;
  return true;
}

void CSoundEngine::Unlock(tSoundBuffer* buffer, const tSoundLock* lock) {
  RequireBuffer(buffer, "Unlock buffer");
  Check(buffer->dsBuffer->Unlock(lock->part1, lock->bytes1, lock->part2, lock->bytes2), "Unlock buffer");
}

void CSoundEngine::Play(tSoundBuffer* buffer) {
  if (sEngine.device == nullptr) {
    return;
  }
  RequireBuffer(buffer, "Buffer must exist 002.")->state = ssPlayRequested;
}

void CSoundEngine::Stop(tSoundBuffer* buffer) {
  if (sEngine.device == nullptr) {
    return;
  }
  RequireBuffer(buffer, "Buffer must exist 003.")->state = ssStopRequested;
}

bool CSoundEngine::IsPlaying(tSoundBuffer* buffer) { return IsLive(buffer) && buffer->state == ssPlaying; }

tSound3DParams* CSoundEngine::GetParams(tSoundBuffer* buffer) {
  return &RequireBuffer(buffer, "Buffer must exist 007.")->params;
}

void CSoundEngine::SetParams(tSoundBuffer* buffer, const tSound3DParams* params) {
  RequireBuffer(buffer, "Buffer must exist 008.")->params = *params;
}

u32 CSoundEngine::GetPlayPosition(tSoundBuffer* buffer) {
  return RequireBuffer(buffer, "Buffer must exist 009.")->playPosition;
}

void CSoundEngine::SetPlayPosition(tSoundBuffer* buffer, u32 position) {
  RequireBuffer(buffer, "Buffer must exist 010.")->pendingPosition = position;
}

void CSoundEngine::SetPlayWhileTimeScaled(tSoundBuffer* buffer, bool play) {
  RequireBuffer(buffer, "Buffer must exist 013.")->playWhileTimeScaled = play ? 1 : 0;
}

void CSoundEngine::SetVolume(tSoundBuffer* buffer, f32 volume) {
  if (IsLive(buffer)) {
    buffer->params.volume = volume;
  }
}

void CSoundEngine::SetPosition(tSoundBuffer* buffer, const RwV3d* position) {
  if (IsLive(buffer) && position != nullptr) {
    buffer->params.position = *position;
  }
}

void CSoundEngine::AttachFrame(tSoundBuffer* buffer, RwFrame* frame, bool loop) {
  if (!IsLive(buffer)) {
    return;
  }
  buffer->frame = frame;
  buffer->params.looping = loop ? 1 : 0;
  if (frame != nullptr) {
    WorldPosition(frame, &buffer->params.position);
  }
}

void CSoundEngine::SetEffectsVolume(f32 volume) { sEngine.effectsVolume = volume; }

f32 CSoundEngine::GetEffectsVolume() { return sEngine.effectsVolume; }

u32 CSoundEngine::GetBufferCount() {
  u32 count = 0;
  for (u32 i = 0; i < sEngine.buffers.GetCount(); i++) {
    if (sEngine.buffers.Get(i) != nullptr) {
      count++;
    }
  }
  return count;
}
