// One piece of music: an Ogg file decoded a chunk at a time into a large
// looping buffer of the sound engine, kept about two chunks ahead of the play
// cursor from the frame update. Fades are counted in updates. A track whose
// file could not be opened has no decoder and no buffer and does nothing.
#pragma once

#include "game/app/audio/ogg_decoder.h"
#include "game/app/audio/sound_engine.h"
#include "game/foundation/types.h"

enum eMusicState : u32 {
  msStopped = 0,
  msPlaying = 1,
  msPaused = 2,
};

enum eMusicFade : u32 {
  mfNone = 0,
  mfIn = 1,
  mfOutThenStop = 2,
  mfOutThenPause = 3,
};

// Bytes of one decoded chunk, and chunks the streaming buffer holds.
constexpr u32 kMusicChunkSize = 4096;
constexpr u32 kMusicBufferChunks = 200;
// The refill runs while at least this many chunks of the buffer are free.
constexpr u32 kMusicRefillChunks = 2;

class CMusicTrack {
 public:
  // Opens path and makes its buffer; a failure leaves a silent track.
  CMusicTrack(const char* path, u32 chunkSize);
  ~CMusicTrack();

  CMusicTrack(const CMusicTrack&) = delete;
  CMusicTrack& operator=(const CMusicTrack&) = delete;

  // fadeTime: updates the fade lasts; 0 (or less) acts at once.
  void Play(f32 fadeTime);
  // At once: the buffer stops, both positions go to 0 and the decoder rewinds.
  void Stop(f32 fadeTime);
  // At once: the buffer stops where it is.
  void Pause(f32 fadeTime);
  void SetVolume(f32 level);
  // Bytes between the write position and the play cursor; equal positions
  // count as a wholly free buffer. 0 without a buffer.
  s32 FreeSpace() const;
  // Fade step, volume, refill. The bytes written, or -1 when a stream that
  // does not loop (or yields nothing) has ended.
  s32 Update();

  bool IsSilent() const { return mBuffer == nullptr; }
  tSoundBuffer* GetBuffer() const { return mBuffer; }
  COggDecoder* GetDecoder() const { return mDecoder; }
  u32 GetState() const { return mState; }
  u32 GetFadeMode() const { return mFadeMode; }
  f32 GetLevel() const { return mLevel; }
  u32 GetWritePosition() const { return mWritePosition; }
  u32 GetBufferSize() const { return mBufferSize; }

 private:
  void StepFade();
  // Writes bytes of the chunk at the write position, wrapping at the end.
  bool WriteChunk(u32 bytes);
  // The decoder back at its first audio, keeping the write position.
  void RewindDecoder();

  COggDecoder* mDecoder;  // owned; null when the file could not be opened
  u8* mChunk;             // owned
  u32 mChunkSize;         // bytes
  tSoundBuffer* mBuffer;  // owned
  u32 mWritePosition;     // next byte of the buffer to fill
  u32 mBufferSize;        // bytes
  u32 mLooping;
  f32 mLevel;     // fade level and volume, 0..1
  f32 mFadeTime;  // updates
  u32 mState;     // eMusicState
  u32 mFadeMode;  // eMusicFade
  // Whether the decoder gave any samples since it last started; a stream
  // that ends without any is not looped again.
  bool mDecodedSinceRewind;
};
