// Background music: each owner (the application holder, the menu screens,
// the level world) holds a MusicEngine that plays one track at a time by bare
// name ("INTRO" plays "data\media\music\INTRO.ogg"). All owners share one
// track table, made by the first Init and destroyed by the last Release;
// slots stay where they are, so the index an owner holds stays valid.
#pragma once

#include "game/app/audio/music_track.h"
#include "game/foundation/types.h"

constexpr u32 kNoMusicTrack = 0xFFFFFFFF;

class MusicEngine {
 public:
  MusicEngine() : mCurrentTrack(kNoMusicTrack) {}
  virtual ~MusicEngine() {}

  MusicEngine(const MusicEngine&) = delete;
  MusicEngine& operator=(const MusicEngine&) = delete;

  // Counts one more user of the table; the first creates it and takes one
  // lock of the sound engine, so the device outlives every sound object.
  virtual bool Init();
  // Stop, then one user fewer; the last destroys every track, then gives the
  // sound engine lock back. Fatal below zero. Answers the new count.
  virtual s32 Release();
  // Removes this owner's current track, then adds name's track in a free slot
  // and starts it at once. A name without a file gives a silent track.
  virtual void Play(const char* name);
  // Removes this owner's current track, if any, then stops every track.
  virtual void Stop();
  // Runs every track's update in table order; once per frame.
  virtual void Update();

  u32 GetCurrentTrack() const { return mCurrentTrack; }

  // The shared table: slots (an empty slot is null) and its users.
  static u32 GetTrackCount();
  static CMusicTrack* GetTrack(u32 index);
  static s32 GetReferenceCount();

 private:
  static void StopAllTracks();
  void RemoveCurrentTrack();

  u32 mCurrentTrack;  // table index, kNoMusicTrack for none
};
