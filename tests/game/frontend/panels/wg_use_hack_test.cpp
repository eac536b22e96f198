// The hacking game: wins that lengthen the next attempts, losses by a
// wrong key or by time, the arrow keys, the frozen panel at the level's end
// and the default key count kept in range.
#include "game/frontend/panels/wg_use_hack.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/game/frontend/panels/panel_fixture.h"

namespace {

class HackTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    if (!HasFatalFailure()) {
      mPlayer = AddPlayer(kOpenFloor, 0.0f);
      mPanel = PlaceOpener("wallpanel", "panel", {0.0f, 1.0f, 0.0f});
      Finish("[panel]\nTYPE = laserpanel\n");
    }
  }
  // A new panel of that default key count.
  std::unique_ptr<cWgUseHack> MakeHack(s32 keys) {
    SetHackSettings(keys);
    return std::make_unique<cWgUseHack>(mLevel);
  }
  static void AnswerAll(cWgUseHack* hack) {
    for (u32 i = 0; i < hack->GetKeyCount(); i++) {
      hack->PressKey(static_cast<u32>(hack->GetKey(i).key));
    }
  }

  cDorvaMan* mPlayer = nullptr;
  cOpenerDevice* mPanel = nullptr;
};

TEST_F(HackTest, WinsLengthenAttemptsUpToEightKeys) {
  const struct {
    s32 keys;
    u32 expected[5];
  } rows[] = {{5, {5, 6, 7, 8, 8}}, {9, {9, 9, 9, 9, 9}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.keys);
    mPlayer->SetHacksWon(0);
    auto hack = MakeHack(row.keys);
    for (u32 expected : row.expected) {
      mPanel->Reset();
      hack->Start(mPanel, false);
      EXPECT_EQ(expected, hack->GetKeyCount());
      AnswerAll(hack.get());
      // Won at the next tick, the panel used one tick later, then closed.
      for (u32 state : {kHackWon, kHackClosing, kHackFinished}) {
        Send(hack.get(), kEventTick, 0.02f);
        EXPECT_EQ(state, hack->GetState());
        EXPECT_EQ(state != kHackWon, mPanel->IsUsed());
      }
      hack->Hide();
    }
  }
  EXPECT_EQ(kHackWonMessage, static_cast<u32>(mLevel->GetCurrentMessage()));
}

TEST_F(HackTest, AWrongKeyOrTheTimeLoses) {
  auto hack = MakeHack(3);
  const struct {
    const char* what;
    f32 wait;    // seconds before the keys
    bool right;  // all keys right, else the first wrong
  } rows[] = {{"wrong key at once", 0.0f, false}, {"right keys in the last tick", 4.4f, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    mPlayer->SetHealth(0.8f);
    hack->Start(mPanel, false);
    Send(hack.get(), kEventTick, row.wait);
    if (row.right) {
      AnswerAll(hack.get());
    } else {
      hack->PressKey((hack->GetKey(0).key + 1) % kHackKeyKinds);
    }
    Send(hack.get(), kEventTick, 0.2f);
    EXPECT_EQ(kHackLost, hack->GetState());
    EXPECT_FLOAT_EQ(0.76f, mPlayer->GetHealth());
    EXPECT_NE(nullptr, mPlayer->GetShock());
    EXPECT_EQ(kHackLostMessage, static_cast<u32>(mLevel->GetCurrentMessage()));
    Send(hack.get(), kEventTick, 0.02f);
    EXPECT_TRUE(hack->GetState() == kHackClosing && !mPanel->IsUsed() && mPlayer->GetHacksWon() == 0);
    hack->Hide();
  }
}

TEST_F(HackTest, ArrowsEnterKeysUnlessTheLevelIsOver) {
  auto hack = MakeHack(5);
  hack->Start(mPanel, false);
  for (u32 code : {147, 150, 148, 149, 100}) {
    EXPECT_FALSE(Send(hack.get(), kEventKey, 0.0f, code) || Send(hack.get(), kEventKey, 0.0f, code, 0));
  }
  for (s32 i = 0; i < 5; i++) {
    EXPECT_EQ(i < 4 ? i : -1, hack->GetKey(i).answer) << i;  // up, right, down, left, none
  }
  hack->Start(mPanel, false);
  mLevel->SetLevelEndState(kLevelStatisticsShown);
  EXPECT_FALSE(Send(hack.get(), kEventKey, 0.0f, 147));
  EXPECT_FALSE(Send(hack.get(), kEventTick, 100.0f));
  EXPECT_TRUE(hack->GetKey(0).answer == -1 && hack->GetState() == kHackRunning);
  mLevel->SetLevelEndState(kLevelPlaying);
}

TEST_F(HackTest, TheDefaultKeyCountIsKeptInRange) {
  const s32 rows[][2] = {{3, 3}, {64, 64}, {0, 1}, {-5, 1}, {65, 64}, {2000000000, 64}};
  for (const auto& row : rows) {
    EXPECT_EQ(static_cast<u32>(row[1]), MakeHack(row[0])->GetDefaultKeyNumber()) << row[0];
  }
}

}  // namespace
