// cTimerDevice: start, stop, expiry and the checkpoint of a level timer.
#include "game/world/devices/timer_device.h"

#include "game/world/devices/device.h"
#include "game/world/devices/opener_device.h"
#include "game/world/level_object.h"
#include "game/world/qx_world.h"

namespace {

template <class F>
void ForEachPointer(const cPtrArray& array, F fn) {
  for (u32 i = 0; i < array.GetCount(); i++) {
    if (array.Get(i) != nullptr) {
      fn(array.Get(i));
    }
  }
}

}  // namespace

cTimerDevice::cTimerDevice(cQXWorld* world, const cString& name)
    : mWorld(world),
      mName(name),
      mDuration(kDefaultTimerDuration),
      mRunning(0),
      mSaved{0.0f, 0, 0.0f, 0},
      mStartedMessage(kNoMessage),
      mStoppedMessage(kNoMessage) {
  world->GetUpdateList().Append(&mClock);
}

// The clock and the timer leave the update list with their list links.
cTimerDevice::~cTimerDevice() {}

void cTimerDevice::ReadProperties(const cPropertyFile& props, const cList& sensors, const cPtrArray& timers) {
  const cPropertyGroup* group = props.FindGroup(mName);
  if (group == nullptr) {
    return;
  }
  const cString* value = nullptr;
  cPtrArray* const sensorLists[] = {&mActivated, &mDeactivated};
  const char* const sensorKeys[] = {"ACTIVATED", "DEACTIVATED"};
  for (u32 i = 0; i < 2; i++) {
    value = FindPropertyValue(group, sensorKeys[i]);
    if (value != nullptr) {
      ForEachListElement(*value, [&](const cString& name) {
        cLevelObject* sensor = FindLevelObjectByName(sensors, name);
        if (sensor != nullptr) {
          AppendPointer(sensorLists[i], sensor);
        }
      });
    }
  }
  cPtrArray* const timerLists[] = {&mStartedTimers, &mStoppedTimers};
  const char* const timerKeys[] = {"STARTEDTIMERS", "STOPPEDTIMERS"};
  for (u32 i = 0; i < 2; i++) {
    value = FindPropertyValue(group, timerKeys[i]);
    if (value != nullptr) {
      ForEachListElement(*value, [&](const cString& name) {
        cTimerDevice* timer = FindTimerDevice(timers, name);
        if (timer != nullptr) {
          AppendPointer(timerLists[i], timer);
        }
      });
    }
  }
  if ((value = FindPropertyValue(group, "DURATION")) != nullptr) {
    mDuration = TextToF32(*value) * 1000.0f;
  }
  if ((value = FindPropertyValue(group, "STARTED")) != nullptr && TextToS32(*value) != 0) {
    Start();
  }
  if ((value = FindPropertyValue(group, "STARTEDMESSAGE")) != nullptr) {
    mStartedMessage = TextToIndex(*value);
  }
  if ((value = FindPropertyValue(group, "STOPPEDMESSAGE")) != nullptr) {
    mStoppedMessage = TextToIndex(*value);
  }
}

void cTimerDevice::Start() {
  if (mRunning != 0) {
    return;
  }
  mRunning = 1;
  mClock.SetSecondWord(0);
  mClock.SetStartMark(mClock.GetMilliseconds());
  ShowDeviceMessage(mWorld, mStartedMessage);
}

void cTimerDevice::Stop() {
  if (mRunning == 0) {
    return;
  }
  ShowDeviceMessage(mWorld, mStoppedMessage);
  mRunning = 0;
}

bool cTimerDevice::Update(f32) {
  if (mRunning == 0 || mClock.GetElapsed() < mDuration) {
    return false;
  }
  mRunning = 0;
  ShowDeviceMessage(mWorld, mStoppedMessage);
  ForEachPointer(mActivated, [](void* sensor) { static_cast<cLevelObject*>(sensor)->Activate(); });
  ForEachPointer(mDeactivated, [](void* sensor) { static_cast<cLevelObject*>(sensor)->Deactivate(); });
  ForEachPointer(mStartedTimers, [](void* timer) { static_cast<cTimerDevice*>(timer)->Start(); });
  ForEachPointer(mStoppedTimers, [](void* timer) { static_cast<cTimerDevice*>(timer)->Stop(); });
  return false;
}

void cTimerDevice::StoreState() {
  mSaved = tSavedClock{mClock.GetStartMark(), mClock.GetSecondWord(), mClock.GetMilliseconds(), mRunning};
}

void cTimerDevice::RestoreState() {
  mClock.SetStartMark(mSaved.startMark);
  mClock.SetSecondWord(mSaved.secondWord);
  mClock.SetMilliseconds(mSaved.milliseconds);
  mRunning = mSaved.running;
}

cTimerDevice* FindTimerDevice(const cPtrArray& timers, const cString& name) {
  for (u32 i = 0; i < timers.GetCount(); i++) {
    cTimerDevice* timer = static_cast<cTimerDevice*>(timers.Get(i));
    if (timer != nullptr && timer->GetName() == name) {
      return timer;
    }
  }
  return nullptr;
}
