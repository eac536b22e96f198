// MusicEngine and the track table it shares with every other owner.
#include "game/app/audio/music_engine.h"

#include <cstdio>
#include <new>

#include "game/app/audio/sound.h"
#include "game/foundation/array.h"
#include "game/foundation/fatal_error.h"

namespace {

constexpr char kMusicPathFormat[] = "data\\media\\music\\%s.%s";
constexpr char kMusicExtension[] = "ogg";
constexpr u32 kMusicPathSize = 260;

struct tTrackTable {
  u8 initialised = 0;
  s32 references = 0;
  cPtrArray tracks;  // of CMusicTrack; a removed track leaves null
};

tTrackTable sTable;

CMusicTrack* TrackAt(u32 index) { return static_cast<CMusicTrack*>(sTable.tracks.Get(index)); }

// The first empty slot, or a new one at the end.
u32 FreeSlot() {
  const u32 count = sTable.tracks.GetCount();
  for (u32 i = 0; i < count; i++) {
    if (TrackAt(i) == nullptr) {
      return i;
    }
  }
  sTable.tracks.SetCount(count + 1);
  return count;
}

CMusicTrack* NewTrack(const char* name) {
  char path[kMusicPathSize];
  const int length = snprintf(path, sizeof(path), kMusicPathFormat, name, kMusicExtension);
  // A name too long for a path names no file: the track stays silent.
  const bool fits = length >= 0 && static_cast<u32>(length) < sizeof(path);
  CMusicTrack* track = new (std::nothrow) CMusicTrack(fits ? path : nullptr, kMusicChunkSize);
  if (track == nullptr) {
    FatalError("Create new music track");
  }
  return track;
}

void DestroyTable() {
  sTable.initialised = 0;
  for (u32 i = 0; i < sTable.tracks.GetCount(); i++) {
    delete TrackAt(i);
  }
  sTable.tracks.SetCount(0);
}

}  // namespace

bool MusicEngine::Init() {
  mCurrentTrack = kNoMusicTrack;
  if (sTable.references++ == 0) {
    sTable.initialised = 1;
    sTable.tracks.SetCount(0);
    cSndEngWin::LockEngine();
  }
  return true;
}

s32 MusicEngine::Release() {
  Stop();
  const s32 before = sTable.references--;
  if (before == 1) {
    StopAllTracks();
    DestroyTable();
    cSndEngWin::UnlockEngine();
  }
  if (sTable.references < 0) {
    FatalError("MusicEngine ref count below zero!");
  }
  return sTable.references;
}

void MusicEngine::Play(const char* name) {
  if (mCurrentTrack != kNoMusicTrack) {
    RemoveCurrentTrack();
  }
  if (name == nullptr) {
    return;
  }
  const u32 slot = FreeSlot();
  sTable.tracks.Set(slot, NewTrack(name));
  mCurrentTrack = slot;
  TrackAt(slot)->Play(0.0f);
}

void MusicEngine::Stop() {
  if (mCurrentTrack != kNoMusicTrack) {
    RemoveCurrentTrack();
  }
  StopAllTracks();
}

void MusicEngine::Update() {
  for (u32 i = 0; i < sTable.tracks.GetCount(); i++) {
    CMusicTrack* track = TrackAt(i);
    if (track != nullptr) {
      track->Update();
    }
  }
}

u32 MusicEngine::GetTrackCount() { return sTable.tracks.GetCount(); }

CMusicTrack* MusicEngine::GetTrack(u32 index) { return index < sTable.tracks.GetCount() ? TrackAt(index) : nullptr; }

s32 MusicEngine::GetReferenceCount() { return sTable.references; }

void MusicEngine::StopAllTracks() {
  for (u32 i = 0; i < sTable.tracks.GetCount(); i++) {
    CMusicTrack* track = TrackAt(i);
    if (track != nullptr) {
      track->Stop(0.0f);
    }
  }
  // The stops take effect now, not at the engine's next paced update.
  CSoundEngine::UpdateNow(true);
}

// Only this owner's track goes; the other owners' tracks keep their slots.
void MusicEngine::RemoveCurrentTrack() {
  if (sTable.initialised == 0) {
    FatalError("Initialized MusicEngine Shutdown");
  }
  StopAllTracks();
  const u32 index = mCurrentTrack;
  mCurrentTrack = kNoMusicTrack;
  if (index < sTable.tracks.GetCount()) {
    delete TrackAt(index);
    sTable.tracks.Set(index, nullptr);
  }
}
