// The running level's state: messages and dialogues, the info view, the
// alert display, objectives, checkpoint and restart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/app/audio/sound.h"
#include "game/app/audio/sound_engine.h"
#include "game/app/time_scale.h"
#include "game/world/level_texts.h"
#include "platform/dsound/dsound_testing.h"
#include "tests/game/world/level_fixture.h"

namespace {

// 0: 50 characters; 1: empty; 2: "two"; 3: a dialogue followed by message 2;
// 4: a dialogue without follow-up; 5 to 34 plain.
std::string MessageFile() {
  std::string text = "[TEXTS]\nMESSAGE00 = " + std::string(50, 'x') +
                     "\nMESSAGE01 = \"\"\nMESSAGE02 = two\nMESSAGE03 = $03three\nMESSAGE04 = $00four\n";
  for (u32 i = 5; i <= 34; i++) {
    text += NumberedKey("MESSAGE", i).CStr() + std::string(" = m") + std::to_string(i) + "\n";
  }
  return text;
}

TEST_F(LevelTest, PlainMessagesStayByTheirLength) {
  struct Row {
    u32 index;
    f32 seconds;
    s32 current;
  };
  const Row rows[] = {{0, 3.99f, 0}, {0, 4.0f, kNoPendingMessage}, {1, 0.0f, kNoPendingMessage}, {2, 0.2f, 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index * 100 + row.seconds);
    cQXWorld* world = TextWorld(MessageFile());
    world->ShowMessage(row.index);
    EXPECT_EQ(static_cast<s32>(row.index), world->GetCurrentMessage());
    world->Update(row.seconds);
    EXPECT_EQ(row.current, world->GetCurrentMessage());
    EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
  }
}

// A dialogue freezes the game, outlasts any timeout and any other message,
// and goes only with force: then its follow-up shows unless told not to.
TEST_F(LevelTest, DialoguesHoldUntilDismissed) {
  struct Row {
    u32 index;
    bool noFollowUp;
    s32 next;
  };
  const Row rows[] = {{3, false, 2}, {3, true, kNoPendingMessage}, {4, false, kNoPendingMessage}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index * 10 + row.noFollowUp);
    cQXWorld* world = TextWorld(MessageFile());
    world->ShowMessage(row.index);
    world->ShowMessage(2);
    world->Update(1000.0f);
    world->HideMessage(false, false, false);
    EXPECT_EQ(static_cast<s32>(row.index), world->GetCurrentMessage());
    EXPECT_EQ(kTimeScalePaused, gTimeScaleIndex);
    world->HideMessage(true, row.noFollowUp, false);
    EXPECT_EQ(row.next, world->GetCurrentMessage());
    EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
  }
}

// Ignored: while locked, out of range, and the message already shown (its
// clock runs on). Message 33 of level 5 becomes 34 for a completed count of
// exactly 8 on normal or 9 on hard.
TEST_F(LevelTest, MessagesIgnoredOrSwapped) {
  struct Row {
    const char* level;
    u8 lock;
    u32 hard, count, index;
    s32 current;
  };
  const Row rows[] = {{"level01", 1, 0, 0, 2, kNoPendingMessage},
                      {"level01", 0, 0, 0, 35, kNoPendingMessage},
                      {"level05", 0, 0, 8, 33, 34},
                      {"level05", 0, 0, 9, 33, 33},
                      {"level05", 0, 1, 9, 33, 34},
                      {"level05", 0, 1, 8, 33, 33},
                      {"level04", 0, 0, 8, 33, 33}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.level) + " " + std::to_string(row.count));
    gSaveProfiles->SetHard(row.hard);
    gSaveProfiles->GetSlot(0).count = row.count;
    cQXWorld* world = TextWorld(MessageFile(), row.level);
    world->SetInputLock(row.lock);
    world->ShowMessage(row.index);
    EXPECT_EQ(row.current, world->GetCurrentMessage());
  }
  cQXWorld* world = TextWorld(MessageFile());
  world->ShowMessage(0);
  world->Update(3.0f);
  world->ShowMessage(0);
  world->Update(1.0f);
  EXPECT_EQ(kNoPendingMessage, world->GetCurrentMessage());
}

// The info view pauses the game; closing it resumes only once the HUD
// exists. A message hidden with remembering comes back once.
TEST_F(LevelTest, InfoViewAndRememberedMessage) {
  cQXWorld* world = MakeWorld("TEXTS = data/level01/texts\n");
  world->OpenInfoView();
  world->CloseInfoView(true);
  EXPECT_EQ((std::vector<u32>{1, kTimeScalePaused}), (std::vector<u32>{world->IsInfoViewOpen(), gTimeScaleIndex}));
  world->CreateHud();
  world->CloseInfoView(true);
  EXPECT_EQ((std::vector<u32>{0, kTimeScaleNormal}), (std::vector<u32>{world->IsInfoViewOpen(), gTimeScaleIndex}));

  world = TextWorld(MessageFile());
  world->ShowMessage(2);
  world->HideMessage(false, false, true);
  EXPECT_EQ((std::vector<s32>{kNoPendingMessage, 2}),
            (std::vector<s32>{world->GetCurrentMessage(), world->GetRememberedMessage()}));
  world->ShowRememberedMessage();
  world->ShowRememberedMessage();
  EXPECT_EQ((std::vector<s32>{2, kNoRememberedMessage}),
            (std::vector<s32>{world->GetCurrentMessage(), world->GetRememberedMessage()}));
}

// Only a higher level replaces the shown one, with its sound (0 "sfx/al_1",
// 4 "sfx/al_3", others "sfx/al_2"); the end lets any level in; suppressed,
// nothing is shown or heard until the end.
TEST_F(LevelTest, AlertLevelAndItsSounds) {
  enum Op { kRaise, kEnd, kSuppress };
  struct Row {
    Op op;
    s32 level, shown, sound;
  };
  const Row rows[] = {{kRaise, 3, 3, 1},
                      {kRaise, 2, 3, -1},
                      {kRaise, 3, 3, -1},
                      {kRaise, 4, 4, 2},
                      {kEnd, 0, kAlertNone, -1},
                      {kRaise, 0, 0, 0},
                      {kRaise, 5, 0, -1},
                      {kSuppress, 0, kAlertSuppressed, -1},
                      {kRaise, 4, kAlertSuppressed, -1},
                      {kEnd, 0, kAlertNone, -1},
                      {kRaise, -1, kAlertNone, -1}};
  cQXWorld* world = DemoLevel();
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.op) + " " + std::to_string(row.level));
    for (u32 i = 0; i < kAlertSoundCount; i++) {
      world->GetAlertSound(i).Stop();
    }
    CSoundEngine::UpdateNow(true);
    dsoundtest::ResetCallCounts();
    if (row.op == kRaise) {
      world->RaiseAlertLevel(row.level);
    } else if (row.op == kEnd) {
      world->EndAlertDisplay();
    } else {
      world->SuppressAlertDisplay();
    }
    CSoundEngine::UpdateNow(true);
    EXPECT_EQ(row.shown, world->GetShownAlertLevel());
    EXPECT_EQ(row.sound < 0 ? 0u : 1u, dsoundtest::CallCount("Play"));
    for (s32 i = 0; i < static_cast<s32>(kAlertSoundCount); i++) {
      EXPECT_EQ(i == row.sound, world->GetAlertSound(static_cast<u32>(i)).IsPlaying()) << i;
    }
  }
}

// An objective done after the checkpoint is undone by a restore, one done
// before it is kept; without a checkpoint a restore restarts; a restart
// clears the objectives and the checkpoint. The men go back either way.
TEST_F(LevelTest, CheckpointRestoreAndRestart) {
  struct Row {
    bool store, restart;
    std::vector<u8> objectives;
    u8 stored;
  };
  const Row rows[] = {{true, false, {1, 0, 0}, 1}, {false, false, {0, 0, 0}, 0}, {true, true, {0, 0, 0}, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.store * 2 + row.restart);
    cQXWorld* world = DemoLevel();
    world->CompleteMissionObjective(0);
    if (row.store) {
      world->StoreCheckpoint();
    }
    world->CompleteMissionObjective(1);
    const RwV3d away = {5.0f, 0.0f, 5.0f};
    RwFrameTranslate(Man(world, 1)->GetFrame(), &away, kRwCombineReplace);
    world->RaiseAlertLevel(2);
    if (row.restart) {
      world->RestartLevel();
    } else {
      world->RestoreCheckpoint();
    }
    const u8* flags = world->GetMissionFlags().GetData();
    EXPECT_EQ(row.objectives, std::vector<u8>(flags, flags + world->GetMissionFlags().GetCount()));
    EXPECT_EQ(row.stored, world->IsCheckpointStored());
    EXPECT_FLOAT_EQ(1.0f, Position(Man(world, 1)).x);
    EXPECT_EQ(kAlertNone, world->GetShownAlertLevel());
  }
}

}  // namespace
