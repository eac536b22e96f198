// CMusicTrack: the streaming buffer, fades and the refill loop.
#include "game/app/audio/music_track.h"

#include <cstring>
#include <new>

CMusicTrack::CMusicTrack(const char* path, u32 chunkSize)
    : mDecoder(nullptr),
      mChunk(nullptr),
      mChunkSize(chunkSize),
      mBuffer(nullptr),
      mWritePosition(0),
      mBufferSize(0),
      mLooping(1),
      mLevel(1.0f),
      mFadeTime(0.0f),
      mState(msStopped),
      mFadeMode(mfNone),
      mDecodedSinceRewind(false) {
  mDecoder = new (std::nothrow) COggDecoder;
  if (mDecoder != nullptr && path != nullptr && mDecoder->Open(path, static_cast<s32>(chunkSize))) {
    mChunk = new (std::nothrow) u8[chunkSize];
    if (mChunk != nullptr) {
      mBuffer = CSoundEngine::CreateBuffer(chunkSize * kMusicBufferChunks, static_cast<u32>(mDecoder->GetChannels()),
                                           static_cast<u32>(mDecoder->GetSampleRate()));
    }
  }
  if (mBuffer == nullptr) {
    delete[] mChunk;
    mChunk = nullptr;
    delete mDecoder;
    mDecoder = nullptr;
    return;
  }
  // The buffer is rounded up to whole frames; the ring is what it holds.
  mBufferSize = mBuffer->sizeBytes;
  tSound3DParams params = *CSoundEngine::GetParams(mBuffer);
  params.is3D = 0;
  params.looping = static_cast<u8>(mLooping);
  CSoundEngine::SetParams(mBuffer, &params);
  CSoundEngine::SetPlayWhileTimeScaled(mBuffer, true);
  SetVolume(mLevel);
}

CMusicTrack::~CMusicTrack() {
  delete mDecoder;
  CSoundEngine::DestroyBuffer(mBuffer);
  delete[] mChunk;
}

void CMusicTrack::Play(f32 fadeTime) {
  if (mBuffer == nullptr) {
    return;
  }
  if (fadeTime > 0.0f) {
    mFadeMode = mfIn;
    mLevel = 0.0f;
    mFadeTime = fadeTime;
  } else {
    mFadeMode = mfNone;
    mLevel = 1.0f;
  }
  // Before the request is carried out, so a fade-in never starts loud.
  SetVolume(mLevel);
  CSoundEngine::Play(mBuffer);
  mState = msPlaying;
}

void CMusicTrack::Stop(f32 fadeTime) {
  if (mBuffer == nullptr || mState == msStopped || mDecoder == nullptr) {
    return;
  }
  if (fadeTime > 0.0f) {
    mFadeMode = mfOutThenStop;
    mFadeTime = fadeTime;
    return;
  }
  mFadeMode = mfNone;
  CSoundEngine::Stop(mBuffer);
  CSoundEngine::SetPlayPosition(mBuffer, 0);
  mWritePosition = 0;
  RewindDecoder();
  mState = msStopped;
}

void CMusicTrack::Pause(f32 fadeTime) {
  if (mBuffer == nullptr) {
    return;
  }
  if (fadeTime > 0.0f) {
    mFadeMode = mfOutThenPause;
    mFadeTime = fadeTime;
    return;
  }
  mFadeMode = mfNone;
  CSoundEngine::Stop(mBuffer);
  mState = msPaused;
}

void CMusicTrack::SetVolume(f32 level) {
  if (mBuffer == nullptr) {
    return;
  }
  tSound3DParams params = *CSoundEngine::GetParams(mBuffer);
  params.volume = level;
  CSoundEngine::SetParams(mBuffer, &params);
}

s32 CMusicTrack::FreeSpace() const {
  if (mBuffer == nullptr) {
    return 0;
  }
  s32 space = static_cast<s32>(CSoundEngine::GetPlayPosition(mBuffer)) - static_cast<s32>(mWritePosition);
  if (space < 1) {
    space += static_cast<s32>(mBufferSize);
  }
  return space;
}

void CMusicTrack::StepFade() {
  if (mFadeMode == mfIn) {
    mLevel += 1.0f / mFadeTime;
    if (mLevel >= 1.0f) {
      mLevel = 1.0f;
      mFadeMode = mfNone;
    }
    return;
  }
  if (mFadeMode != mfOutThenStop && mFadeMode != mfOutThenPause) {
    return;
  }
  mLevel -= 1.0f / mFadeTime;
  if (mLevel > 0.0f) {
    return;
  }
  mLevel = 0.0f;
  if (mFadeMode == mfOutThenStop) {
    Stop(0.0f);
  } else {
    Pause(0.0f);
  }
  mFadeMode = mfNone;
}

bool CMusicTrack::WriteChunk(u32 bytes) {
  tSoundLock lock;
  if (!CSoundEngine::Lock(mBuffer, mWritePosition, bytes, &lock)) {
    return false;
  }
  memcpy(lock.part1, mChunk, lock.bytes1);
  const bool wrapped = lock.part2 != nullptr && lock.bytes2 != 0;
  if (wrapped) {
    memcpy(lock.part2, mChunk + lock.bytes1, lock.bytes2);
  }
  mWritePosition = wrapped ? lock.bytes2 : (mWritePosition + lock.bytes1) % mBufferSize;
  CSoundEngine::Unlock(mBuffer, &lock);
  return true;
}

void CMusicTrack::RewindDecoder() {
  mDecoder->Rewind();
  mDecodedSinceRewind = false;
}

s32 CMusicTrack::Update() {
  if (mBuffer == nullptr) {
    return 0;
  }
  StepFade();
  SetVolume(mLevel);
  s32 written = 0;
  while (FreeSpace() >= static_cast<s32>(kMusicRefillChunks * mChunkSize)) {
    const s32 bytes = mDecoder->Decode(mChunk);
    if (bytes == kOggEndOfStream) {
      // The seam of a loop: the decoder starts again and its first samples
      // follow the last ones at the write position, with no gap.
      if (mLooping != 0 && mDecodedSinceRewind) {
        RewindDecoder();
        continue;
      }
      Stop(0.0f);
      return -1;
    }
    if (bytes > 0) {
      if (!WriteChunk(static_cast<u32>(bytes))) {
        break;
      }
      mDecodedSinceRewind = true;
      written += bytes;
    }
  }
  return written;
}
