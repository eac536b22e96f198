// Tests of the event ring, the event device's dispatch and handler list, the
// frame tick and the time-scale pause protocol.
#include "game/app/input/event_device.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/app/frame_tick.h"
#include "game/app/time_scale.h"

namespace {

// What a handler saw of an event (events themselves stay in the ring).
struct tSeen {
  u32 type;
  tKeyEvent key;
  tTickEvent tick;
};

class cRecorder : public cInputListener {
 public:
  cRecorder(std::string name, std::string* log) : mName(std::move(name)), mLog(log) {}

  bool OnEvent(const tEvent* event) override {
    *mLog += mName + ":" + std::to_string(event->type) + " ";
    mEvents.push_back(tSeen{event->type, event->key, event->tick});
    if (mAction) {
      mAction(event);
    }
    return true;
  }

  std::vector<tSeen> mEvents;
  std::function<void(const tEvent*)> mAction;

 private:
  std::string mName;
  std::string* mLog;
};

class EventDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    CreateEventDevice();
    ResetFrameTick();
  }
  void TearDown() override {
    gEventDevice->Dispatch();  // returns every ring slot
    DestroyEventDevice();
  }

  static tEvent* QueueKey(u32 code) {
    tEvent* event = QueueNewEvent(kEventKey);
    if (event != nullptr) {
      event->key.keyCode = code;
      event->key.pressed = 1;
    }
    return event;
  }

  std::string mLog;
};

TEST_F(EventDeviceTest, EveryHandlerSeesEveryEventInOrder) {
  cRecorder a("a", &mLog), b("b", &mLog);
  gEventDevice->AddEventHandler(&a);
  gEventDevice->AddEventHandler(&b);
  gEventDevice->AddEventHandler(&a);
  QueueKey(1);
  QueueNewEvent(kEventMouseButton);
  gEventDevice->Dispatch();
  EXPECT_EQ("a:4 b:4 a:4 a:5 b:5 a:5 ", mLog);
  EXPECT_EQ(1u, a.mEvents[0].key.keyCode);
  EXPECT_TRUE(gEventDevice->GetQueue().IsEmpty());
  gEventDevice->RemoveEventHandler(&a);
  gEventDevice->RemoveEventHandler(&a);
  gEventDevice->RemoveEventHandler(&b);
}

TEST_F(EventDeviceTest, HandlerRemovingItselfIsNotCalledAgain) {
  cRecorder a("a", &mLog), b("b", &mLog);
  a.mAction = [&a](const tEvent*) { gEventDevice->RemoveEventHandler(&a); };
  gEventDevice->AddEventHandler(&a);
  gEventDevice->AddEventHandler(&b);
  QueueKey(1);
  QueueKey(2);
  EXPECT_EQ(2u, gEventDevice->GetHandlers().Count());
  gEventDevice->Dispatch();
  EXPECT_EQ("a:4 b:4 b:4 ", mLog);
  EXPECT_EQ(1u, gEventDevice->GetHandlers().Count());  // its link is gone
  gEventDevice->RemoveEventHandler(&b);
}

TEST_F(EventDeviceTest, EventsQueuedAndHandlersAddedDuringDispatch) {
  cRecorder a("a", &mLog), late("late", &mLog);
  bool queued = false;
  a.mAction = [&](const tEvent* event) {
    if (event->type == kEventKey && !queued) {
      queued = true;
      QueueNewEvent(kEventPadButton);
      gEventDevice->AddEventHandler(&late);
    }
  };
  gEventDevice->AddEventHandler(&a);
  QueueKey(1);
  QueueNewEvent(kEventMouseMove);
  gEventDevice->Dispatch();
  EXPECT_EQ("a:4 late:4 a:6 late:6 a:7 late:7 ", mLog);
  gEventDevice->RemoveEventHandler(&a);
  gEventDevice->RemoveEventHandler(&late);
}

TEST_F(EventDeviceTest, NestedDispatchKeepsTheOuterWalkSafe) {
  cRecorder a("a", &mLog), b("b", &mLog), c("c", &mLog);
  bool nested = false;
  a.mAction = [&](const tEvent*) {
    if (!nested) {
      nested = true;
      gEventDevice->RemoveEventHandler(&a);
      gEventDevice->RemoveEventHandler(&b);
      QueueNewEvent(kEventMouseButton);
      gEventDevice->Dispatch();  // as a movie's message pump would
    }
  };
  gEventDevice->AddEventHandler(&a);
  gEventDevice->AddEventHandler(&b);
  gEventDevice->AddEventHandler(&c);
  QueueKey(1);
  gEventDevice->Dispatch();
  EXPECT_EQ("a:4 c:5 c:4 ", mLog);
  EXPECT_EQ(1u, gEventDevice->GetHandlers().Count());
  gEventDevice->RemoveEventHandler(&c);
}

TEST_F(EventDeviceTest, InputLatchFollowsTheFlagPerEvent) {
  cRecorder a("a", &mLog);
  std::vector<u8> latches;
  a.mAction = [&](const tEvent*) {
    latches.push_back(gInputLatch);
    gInputEnabled = 1;
  };
  gInputEnabled = 0;
  gEventDevice->AddEventHandler(&a);
  QueueKey(1);
  QueueKey(2);
  gEventDevice->Dispatch();
  EXPECT_EQ((std::vector<u8>{0, 1}), latches);
  gInputEnabled = 0;
  gEventDevice->RemoveEventHandler(&a);
}

TEST_F(EventDeviceTest, FullRingDropsNewestInputButNeverTheTick) {
  cRecorder a("a", &mLog);
  gEventDevice->AddEventHandler(&a);
  u32 droppedBefore = GetDroppedEventCount();
  u32 accepted = 0;
  for (u32 i = 0; i < 150; i++) {
    if (QueueKey(i) != nullptr) {
      accepted++;
    }
  }
  EXPECT_EQ(kEventRingSize - 1, accepted);
  EXPECT_EQ(droppedBefore + 150 - accepted, GetDroppedEventCount());
  ASSERT_NE(nullptr, QueueNewEvent(kEventTick));
  gEventDevice->Dispatch();
  ASSERT_EQ(kEventRingSize, a.mEvents.size());
  for (u32 i = 0; i < accepted; i++) {
    EXPECT_EQ(i, a.mEvents[i].key.keyCode);
  }
  EXPECT_EQ(static_cast<u32>(kEventTick), a.mEvents.back().type);

  // The ring is usable again once dispatched.
  EXPECT_NE(nullptr, QueueKey(7));
  gEventDevice->Dispatch();
  EXPECT_EQ(7u, a.mEvents.back().key.keyCode);
  gEventDevice->RemoveEventHandler(&a);
}

TEST_F(EventDeviceTest, RemovingAnUnknownHandlerIsFatal) {
  cRecorder a("a", &mLog);
  gEventDevice->AddEventHandler(&a);
  gEventDevice->RemoveEventHandler(&a);
  EXPECT_DEATH(gEventDevice->RemoveEventHandler(&a), "handler is not in the list!");
  gEventDevice->Dispatch();
  EXPECT_TRUE(gEventDevice->GetHandlers().IsEmpty());
}

class FrameTickTest : public EventDeviceTest {
 protected:
  void SetUp() override {
    EventDeviceTest::SetUp();
    gTimeScaleListener = new cTimeScaleListener();
    gEventDevice->AddEventHandler(&mTicks);
  }
  void TearDown() override {
    gEventDevice->RemoveEventHandler(&mTicks);
    delete gTimeScaleListener;
    gTimeScaleListener = nullptr;
    EventDeviceTest::TearDown();
  }

  f32 Tick(u32 now) {
    size_t before = mTicks.mEvents.size();
    FrameTickAt(now);
    EXPECT_EQ(before + 1, mTicks.mEvents.size());
    return mTicks.mEvents.back().tick.frameTime;
  }

  std::string mTickLog;
  cRecorder mTicks{"tick", &mTickLog};
};

TEST_F(FrameTickTest, SmoothingOverSixtyFramesAndCap) {
  u32 now = 1000;
  EXPECT_EQ(0.0f, Tick(now));
  EXPECT_EQ(1u, gFrameNumber);
  now += 40;
  EXPECT_NEAR(0.04f / 60.0f, Tick(now), 1e-7f);

  // A 2-second stall counts as 0.05 s.
  f32 before = Tick(now += 40);
  f32 stalled = Tick(now += 2000);
  EXPECT_NEAR(before + 0.05f / 60.0f, stalled, 1e-6f);

  // After 60 equal frames the average is the frame time.
  for (int i = 0; i < 60; i++) {
    Tick(now += 20);
  }
  EXPECT_NEAR(0.02f, Tick(now += 20), 1e-5f);
  EXPECT_EQ(65u, gFrameNumber);

  // The clock wraps around as an unsigned difference.
  ResetFrameTick();
  Tick(0xFFFFFFF0u);
  EXPECT_NEAR(0.032f / 60.0f, Tick(0x10u), 1e-7f);
}

TEST_F(FrameTickTest, TimeScaleAndPauseProtocol) {
  u32 now = 500;
  for (int i = 0; i < 61; i++) {
    Tick(now += 40);
  }
  EXPECT_NEAR(0.04f, Tick(now += 40), 1e-5f);

  gTimeScaleIndex = 7;
  Tick(now += 40);  // the listener applies the index while this tick is dispatched
  EXPECT_NEAR(0.08f, Tick(now += 40), 1e-5f);

  PauseTimeScale();
  EXPECT_EQ(0u, gTimeScaleIndex);
  EXPECT_EQ(7u, gSavedTimeScaleIndex);
  PauseTimeScale();  // a second pauser does not overwrite the saved index
  EXPECT_EQ(7u, gSavedTimeScaleIndex);
  Tick(now += 40);
  EXPECT_EQ(0.0f, Tick(now += 40));

  ResumeTimeScale();
  EXPECT_EQ(7u, gTimeScaleIndex);
  ResumeTimeScale();  // not paused: nothing changes
  EXPECT_EQ(7u, gTimeScaleIndex);
  Tick(now += 40);
  EXPECT_NEAR(0.08f, Tick(now += 40), 1e-5f);

  gTimeScaleIndex = 99;  // out of the table: the scale stays
  EXPECT_NEAR(0.08f, Tick(now += 40), 1e-5f);
  gTimeScaleIndex = kTimeScaleNormal;
}

TEST_F(FrameTickTest, TimeScaleListenerIsFirstHandler) {
  ASSERT_FALSE(gEventDevice->GetHandlers().IsEmpty());
  cListLink* first = static_cast<cListLink*>(gEventDevice->GetHandlers().First());
  EXPECT_EQ(static_cast<void*>(static_cast<cInputListener*>(gTimeScaleListener)), first->GetObject());
}

}  // namespace
