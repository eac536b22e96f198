// Sound objects: a named WAV sample that plays, stops, loops, moves in the
// world and has a volume. cSound is the interface; cSndEngWin, its only
// implementation, sits on the shared CSoundEngine, which the first instance
// that loads a sample starts and the last one destroyed shuts down. Given a
// parent update list, a sound follows its frame through the world each frame.
#pragma once

#include "engine/engine.h"
#include "game/app/audio/sound_engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"

// Distances the Create shortcuts give, in world units.
constexpr f32 kSoundMinDistance = 5.0f;
constexpr f32 kSoundMaxDistance = 100.0f;

class cSound : public cUpdatable {
 public:
  // name null: no name yet.
  explicit cSound(const char* name);
  ~cSound() override;

  cSound(const cSound&) = delete;
  cSound& operator=(const cSound&) = delete;

  // While playing with a frame: follows the frame's world position, with
  // the velocity from the distance moved over dt seconds.
  bool Update(f32 dt) override;

  // Loads the sample name (null: the name held) and, with a parent update
  // list, joins it at its end. flags and reserved are carried, never read.
  virtual bool Create(cList* parent, const char* name, u32 flags, u32 reserved, f32 minDistance, f32 maxDistance) = 0;
  // Shortcuts with kSoundMinDistance and kSoundMaxDistance; "own name" forms
  // load the name held.
  virtual bool Create(cList* parent, u32 flags);
  virtual bool Create(cList* parent, const char* name);
  virtual bool Create(const char* name, u32 flags);
  virtual bool Create(u32 flags);
  virtual bool Create(const char* name);
  virtual bool IsPlaying() = 0;
  virtual void Play() = 0;
  virtual void PlayAt(const RwV3d* position);
  virtual void Stop() = 0;
  virtual void SetLooping(bool loop);
  virtual void SetVolume(f32 volume);
  virtual void SetEffectsVolume(f32 factor);
  virtual void SetMinMaxDistance(f32 minDistance, f32 maxDistance);
  // Returns the stored position.
  virtual RwV3d* SetPosition(const RwV3d* position);
  virtual void SetVelocity(const RwV3d* velocity);
  virtual void SetFrequencyFactor(f32 factor);

  // The frame the sound follows, set directly by its owner.
  void SetFrame(RwFrame* frame) { mFrame = frame; }
  RwFrame* GetFrame() const { return mFrame; }
  const char* GetName() const { return mName; }
  const RwV3d& GetPosition() const { return mPosition; }
  const RwV3d& GetVelocity() const { return mVelocity; }
  f32 GetVolume() const { return mVolume; }
  bool IsPositionSet() const { return mPositionSet; }

 protected:
  // Replaces the name held by a private copy of name.
  void SetName(const char* name);

  RwFrame* mFrame;
  RwV3d mPosition;
  RwV3d mVelocity;
  f32 mVolume;  // 0..1
  f32 mFrequencyFactor;
  f32 mMinDistance;
  f32 mMaxDistance;
  bool mPositionSet;
  char* mName;
};

class cSndEngWin : public cSound {
 public:
  // With a name, loads it at once; a failed load leaves a silent object.
  explicit cSndEngWin(const char* name = nullptr);
  ~cSndEngWin() override;

  using cSound::Create;
  bool Create(cList* parent, const char* name, u32 flags, u32 reserved, f32 minDistance, f32 maxDistance) override;
  bool IsPlaying() override;
  // Stop, then play: a playing sound goes on from where it is.
  void Play() override;
  void Stop() override;
  void SetLooping(bool loop) override;
  void SetVolume(f32 volume) override;
  void SetEffectsVolume(f32 factor) override;
  void SetMinMaxDistance(f32 minDistance, f32 maxDistance) override;
  // The first position makes the buffer 3-D for good.
  RwV3d* SetPosition(const RwV3d* position) override;

  tSoundBuffer* GetBuffer() const { return mBuffer; }

  // The listener (each argument optional: position and velocity default to
  // zero, at to (0,0,1), up to (0,1,0)); nothing without an open engine.
  static void SetListener(const RwV3d* position = nullptr, const RwV3d* at = nullptr, const RwV3d* up = nullptr,
                          const RwV3d* velocity = nullptr);
  static const tSoundListener& GetListener() { return sListener; }
  // Runs the engine's update while it is open; once per tick.
  static void UpdateAll();
  // The shared engine is started by the first lock and shut down by the last
  // unlock. Each sound object holds one lock once it has loaded; other users
  // of the engine (music) hold one of their own.
  static void LockEngine();
  static void UnlockEngine();
  static u32 GetEngineLockCount() { return sEngineLockCount; }
  static bool IsEngineOpen();

 private:
  // The shared engine object: whether DirectSound opened.
  struct tEngine {
    bool deviceOpen;
  };

  tSoundBuffer* mBuffer;
  u32 mEngineLocked;

  static u32 sEngineLockCount;
  static tEngine* sEngine;
  static tSoundListener sListener;
};
