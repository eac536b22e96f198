// Timer devices: invisible level objects that run for a duration once
// started and, when they run out, show their stopped message, switch
// sensors on and off and start or stop timers (themselves included), which
// makes repeating and chained timers.
#pragma once

#include "game/foundation/array.h"
#include "game/foundation/list.h"
#include "game/foundation/property.h"
#include "game/foundation/string.h"
#include "game/foundation/updatable.h"

class cQXWorld;

constexpr f32 kDefaultTimerDuration = 10000.0f;  // milliseconds

class cTimerDevice : public cUpdatable {
 public:
  // The clock joins the end of the world's update list at once and counts
  // from then on, running or not.
  cTimerDevice(cQXWorld* world, const cString& name);
  ~cTimerDevice() override;

  cTimerDevice(const cTimerDevice&) = delete;
  cTimerDevice& operator=(const cTimerDevice&) = delete;

  // The group of the timer's name (first, case-sensitive): ACTIVATED and
  // DEACTIVATED resolved in the sensors, STARTEDTIMERS and STOPPEDTIMERS in
  // the timers (first of a name, unknown names dropped), DURATION seconds,
  // STARTED (before STARTEDMESSAGE: a timer started here shows none),
  // STARTEDMESSAGE, STOPPEDMESSAGE.
  void ReadProperties(const cPropertyFile& props, const cList& sensors, const cPtrArray& timers);
  // Ignored in the state they would enter.
  void Start();
  void Stop();
  // Runs out once duration has passed since the start.
  bool Update(f32 dt) override;
  // The clock's marks and the running flag, for a checkpoint.
  void StoreState();
  void RestoreState();

  const cString& GetName() const { return mName; }
  bool IsRunning() const { return mRunning != 0; }
  f32 GetDuration() const { return mDuration; }
  s32 GetStartedMessage() const { return mStartedMessage; }
  s32 GetStoppedMessage() const { return mStoppedMessage; }
  const cPtrArray& GetActivated() const { return mActivated; }
  const cPtrArray& GetDeactivated() const { return mDeactivated; }
  const cPtrArray& GetStartedTimers() const { return mStartedTimers; }
  const cPtrArray& GetStoppedTimers() const { return mStoppedTimers; }
  cTimer& GetClock() { return mClock; }

 private:
  struct tSavedClock {
    f32 startMark;
    u32 secondWord;
    f32 milliseconds;
    u8 running;
  };

  cQXWorld* mWorld;
  cString mName;
  cPtrArray mActivated;  // sensors, as level objects
  cPtrArray mDeactivated;
  cPtrArray mStartedTimers;
  cPtrArray mStoppedTimers;
  f32 mDuration;  // milliseconds
  cTimer mClock;
  u8 mRunning;
  tSavedClock mSaved;
  s32 mStartedMessage;
  s32 mStoppedMessage;
};

// The first timer of the array with exactly that name; null when none.
cTimerDevice* FindTimerDevice(const cPtrArray& timers, const cString& name);
