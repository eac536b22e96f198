// The process-wide sound mixer over DirectSound: a primary buffer that plays
// continuously, secondary buffers behind handle records, and a periodic
// update that turns play and stop requests and the game's own 3-D mix
// (distance, pan, Doppler) into DirectSound volume, pan and frequency. Also
// reads WAV samples into buffers. Callers never touch DirectSound.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "platform/dsound/dsound.h"

enum eSoundState : u32 {
  ssStopRequested = 0,
  ssStopped = 1,
  ssPlayRequested = 2,
  ssPlaying = 3,
};

// What a caller controls of a buffer; read and written whole.
struct tSound3DParams {
  u8 is3D;  // 0: centred, no distance attenuation
  u8 looping;
  f32 volume;  // 0..1
  f32 frequencyFactor;
  f32 minDistance;  // world units; the level halves with each further multiple
  f32 maxDistance;  // beyond it the buffer is inaudible
  RwV3d position;
  RwV3d velocity;  // units per second
};

// A secondary buffer and its state; callers hold a pointer as a handle.
struct tSoundBuffer {
  RwFrame* frame;  // followed when set, else params.position is used
  u8 physicallyPlaying;
  u32 state;  // eSoundState
  tSound3DParams params;
  IDirectSoundBuffer* dsBuffer;
  u32 sampleRate;  // Hz
  u32 bitsPerSample;
  u32 channels;
  u32 sizeBytes;
  u32 playPosition;     // bytes, read at the last update
  u32 pendingPosition;  // bytes, applied at the next update; kNoPendingPosition
  u8 playWhileTimeScaled;
};

constexpr u32 kNoPendingPosition = 0xFFFFFFFF;

struct tSoundListener {
  RwV3d position;
  RwV3d velocity;
  RwV3d at;
  RwV3d up;
};

// The two parts of a locked region; the second is empty unless the region
// wraps past the end of the buffer.
struct tSoundLock {
  void* part1;
  u32 bytes1;
  void* part2;
  u32 bytes2;
};

// The 3-D mix of one buffer: DirectSound frequency (Hz), volume (hundredths
// of a decibel) and pan; nothing else is set when inaudible.
struct tSoundMix {
  bool audible;
  s32 frequency;
  s32 volume;
  s32 pan;
};

class CSoundEngine {
 public:
  // Opens DirectSound on the main window with a primary buffer in the given
  // format; false (traced) when any step fails or a device exists already.
  static bool Create(u32 sampleRate, u32 bits, f32 updatesPerSecond);
  // Destroys every buffer, stops the primary buffer and releases the device.
  static void Shutdown();
  static bool HasDevice();

  // Copies position, at and up; the velocity too unless it is longer than
  // kMaxListenerSpeed.
  static void SetListener(const tSoundListener* listener);
  static const tSoundListener& GetListener();
  // Updates every buffer, at most updatesPerSecond times a second of the
  // millisecond clock.
  static void Update();
  // false: the next Update runs whatever the time; true: updates now.
  static void UpdateNow(bool now);

  // An empty 16-bit PCM buffer, or null (no device, not 1 or 2 channels, a
  // rate outside kMinBufferRate..kMaxBufferRate Hz).
  static tSoundBuffer* CreateBuffer(u32 bytes, u32 channels, u32 sampleRate);
  // Null is ignored.
  static void DestroyBuffer(tSoundBuffer* buffer);
  // "DATA/MEDIA/<name>.wav" through the engine's file interface (so the pack
  // file applies), or null.
  static tSoundBuffer* LoadWav(const char* name);

  static bool Lock(tSoundBuffer* buffer, u32 offset, u32 bytes, tSoundLock* lock);
  static void Unlock(tSoundBuffer* buffer, const tSoundLock* lock);

  // Requests, carried out at the next update.
  static void Play(tSoundBuffer* buffer);
  static void Stop(tSoundBuffer* buffer);
  // Null or unknown handles: false.
  static bool IsPlaying(tSoundBuffer* buffer);
  static tSound3DParams* GetParams(tSoundBuffer* buffer);
  static void SetParams(tSoundBuffer* buffer, const tSound3DParams* params);
  static u32 GetPlayPosition(tSoundBuffer* buffer);
  static void SetPlayPosition(tSoundBuffer* buffer, u32 position);
  static void SetPlayWhileTimeScaled(tSoundBuffer* buffer, bool play);
  static void SetVolume(tSoundBuffer* buffer, f32 volume);
  static void SetPosition(tSoundBuffer* buffer, const RwV3d* position);
  // The buffer follows frame (null: none) and takes the loop flag; with a
  // frame its world position is copied at once.
  static void AttachFrame(tSoundBuffer* buffer, RwFrame* frame, bool loop);

  // Scales every buffer's volume; 1.0 when the engine starts.
  static void SetEffectsVolume(f32 volume);
  static f32 GetEffectsVolume();
  // Live buffers.
  static u32 GetBufferCount();
};

constexpr u32 kMinBufferRate = 4000;
constexpr u32 kMaxBufferRate = 48000;
// Units per second.
constexpr f32 kMaxListenerSpeed = 500.0f;
// DirectSound's frequency, volume and pan are set only on a larger change.
constexpr s32 kSoundSetThreshold = 50;

// The 3-D mix of buffer for listener under the given effects volume, global
// frequency factor and game time scale.
tSoundMix ComputeSoundMix(const tSoundBuffer& buffer, const tSoundListener& listener, f32 effectsVolume,
                          f32 frequencyFactor, f32 timeScale);
