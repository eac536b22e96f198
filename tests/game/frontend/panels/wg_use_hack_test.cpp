// The hacking game: its row and time limit, wins that lengthen the next
// attempts, losses by a wrong key or by time, the arrow keys, the frozen
// panel at the level's end and the kept key count.
#include "game/frontend/panels/wg_use_hack.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/game/frontend/panels/panel_fixture.h"

namespace {

class HackTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    mPlayer = AddPlayer(kOpenFloor, 0.0f);
    mPanel = PlaceOpener("wallpanel", "panel", {0.0f, 1.0f, 0.0f});
    Finish("[panel]\nTYPE = laserpanel\n");
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

TEST_F(HackTest, RowIsCentredAndTimed) {
  auto hack = MakeHack(3);
  const f32 centre = 0.13125f + 0.690625f / 2.0f;
  for (bool doubled : {false, true}) {
    SCOPED_TRACE(doubled);
    hack->Start(mPanel, doubled);
    ASSERT_EQ(3u, hack->GetKeyCount());
    EXPECT_FLOAT_EQ(doubled ? 9.0f : 4.5f, hack->GetTimeLimit());
    const f32 offsets[] = {-0.12f, -0.04f, 0.04f};
    for (u32 i = 0; i < 3; i++) {
      RwV2d at;
      EXPECT_EQ(0, hack->GetKey(i).icon.GetPosition(&at));
      EXPECT_NEAR(centre + offsets[i], at.x, 1e-5f);
      EXPECT_FLOAT_EQ(0.6f, at.y);
      EXPECT_EQ(-1, hack->GetKey(i).answer);
    }
    hack->Hide();
  }
}

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
      Tick(hack.get(), 0.02f);
      ASSERT_EQ(kHackWon, hack->GetState());
      // The panel acts one tick after the win, the camera one tick later.
      EXPECT_FALSE(mPanel->IsUsed());
      Tick(hack.get(), 0.02f);
      EXPECT_EQ(kHackClosing, hack->GetState());
      EXPECT_TRUE(mPanel->IsUsed());
      Tick(hack.get(), 0.02f);
      EXPECT_TRUE(hack->IsFinished());
      hack->Hide();
    }
  }
  EXPECT_EQ(kHackWonMessage, static_cast<u32>(mLevel->GetCurrentMessage()));
  EXPECT_FLOAT_EQ(1.0f, mPlayer->GetHealth());
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
    Tick(hack.get(), row.wait);
    ASSERT_EQ(kHackRunning, hack->GetState());
    if (row.right) {
      AnswerAll(hack.get());
    } else {
      hack->PressKey((hack->GetKey(0).key + 1) % kHackKeyKinds);
    }
    Tick(hack.get(), 0.2f);
    EXPECT_EQ(kHackLost, hack->GetState());
    EXPECT_FLOAT_EQ(0.76f, mPlayer->GetHealth());
    EXPECT_NE(nullptr, mPlayer->GetShock());
    EXPECT_EQ(kHackLostMessage, static_cast<u32>(mLevel->GetCurrentMessage()));
    EXPECT_FALSE(mPanel->IsUsed());
    // Keys after the loss are kept but never looked at.
    hack->PressKey(0);
    Tick(hack.get(), 0.02f);
    EXPECT_EQ(kHackClosing, hack->GetState());
    hack->Hide();
  }
  EXPECT_EQ(0u, mPlayer->GetHacksWon());
}

TEST_F(HackTest, ArrowsEnterKeysUnlessTheLevelIsOver) {
  auto hack = MakeHack(5);
  hack->Start(mPanel, false);
  const u32 codes[] = {147, 150, 148, 149, 100};
  for (u32 code : codes) {
    EXPECT_FALSE(Key(hack.get(), code));
    EXPECT_FALSE(Key(hack.get(), code, 0));
  }
  const s32 expected[] = {kHackUp, kHackRight, kHackDown, kHackLeft, -1};
  for (u32 i = 0; i < 5; i++) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i], hack->GetKey(i).answer);
  }
  hack->Start(mPanel, false);
  mLevel->SetLevelEndState(kLevelStatisticsShown);
  EXPECT_FALSE(Key(hack.get(), 147));
  EXPECT_FALSE(Tick(hack.get(), 100.0f));
  EXPECT_EQ(-1, hack->GetKey(0).answer);
  EXPECT_FLOAT_EQ(0.0f, hack->GetElapsed());
  EXPECT_EQ(kHackRunning, hack->GetState());
  mLevel->SetLevelEndState(kLevelPlaying);
}

TEST_F(HackTest, KeyCountIsKeptWithinItsRange) {
  const s32 rows[][2] = {{3, 3}, {1, 1}, {64, 64}, {0, 1}, {-5, 1}, {65, 64}, {2000000000, 64}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    EXPECT_EQ(static_cast<u32>(row[1]), MakeHack(row[0])->GetDefaultKeyNumber());
  }
}

TEST_F(HackTest, MissingSettingsAreFatal) {
  mConfig.ParseText(cString("[level01]\nHACK_DEFAULT_KEY_NUMBER = 3\nHACK_KEY_TIME = 1\n"));
  EXPECT_DEATH(cWgUseHack{mLevel}, "cWgUseHack::cWgUseHack : Property not found! \\(HACK_ICON_ALPHA_VALUE\\)");
  mConfig.ParseText(cString("[level02]\n"));
  EXPECT_DEATH(cWgUseHack{mLevel}, "cWgUseHack::cWgUseHack : PropertyGroup not found! \\(level01\\)");
}

}  // namespace
