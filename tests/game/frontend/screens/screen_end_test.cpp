// The end-text and credits screens: the ending by the player's count, the
// fades between the pictures, the credit lines and their scroll.
#include "game/frontend/screens/screen_end.h"

#include "game/app/input/key_codes.h"
#include "game/app/screens/screen_stack.h"
#include "game/frontend/screens/screen_main_menu.h"
#include "tests/game/frontend/screens/main_menu_fixture.h"
#include "tools/demo/demo.h"

class ScreenEndTest : public MainMenuTest {
 protected:
  void SetUp() override {
    MainMenuTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    config_ = new cPropertyFile;
    ASSERT_TRUE(config_->Load(cString("data/config.txt")));
  }
  // The file goes before the engine it was read with.
  void TearDown() override {
    delete config_;
    MainMenuTest::TearDown();
  }
  // Ticks until the screen leaves the top, with a key at every tick from
  // the given one on (never for -1); the ticks, -1 when it stays.
  static int TicksToPop(cScreen* screen, int keysFrom) {
    for (int tick = 1; tick <= 2000; tick++) {
      SendToStack(Tick(0.02f));
      if (keysFrom >= 0 && tick >= keysFrom) {
        SendToStack(Key(kKeyEnter));
      }
      if (gScreenStack->GetTopScreen() != screen) {
        return tick;
      }
    }
    return -1;
  }

  cPropertyFile* config_ = nullptr;
};

TEST_F(ScreenEndTest, EndingFollowsTheCountAndDifficulty) {
  struct Row {
    u32 count;
    u32 hard;
    u32 offset;
  };
  const Row rows[] = {{9, 0, 3}, {10, 1, 3}, {9, 1, 0}, {10, 0, 0}, {4, 0, 0}};
  gSaveProfiles->NewProfile("Ann");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.count * 10 + row.hard);
    gSaveProfiles->GetSlot(0).count = row.count;
    gSaveProfiles->SetHard(row.hard);
    EXPECT_EQ(row.offset, cScreen_End::EndingOffset());
  }
  gSaveProfiles->ClearCurrentSlot();
  gSaveProfiles->SetHard(0);
  EXPECT_EQ(0u, cScreen_End::EndingOffset());
}

TEST_F(ScreenEndTest, PicturesFadeShortThenLongAndTheBlackStays) {
  cScreen_End* end = new cScreen_End(config_->FindGroup(cString("end_texts")));
  EXPECT_STREQ("two", end->GetText(1).CStr());
  EXPECT_STREQ("", end->GetText(2).CStr());
  EXPECT_STREQ("six", end->GetText(5).CStr());
  Activate(end);
  // A key during the fade-in does nothing.
  SendToStack(Key(kKeyEnter));
  EXPECT_EQ(kEndFadingIn, end->GetState());
  // Each picture: the 16-frame fade in, a key, the fade out: 16 for the
  // first two, 128 for the last.
  const u32 fadeOuts[] = {kEndShortFade, kEndShortFade, kEndLongFade};
  for (u32 picture = 0; picture < kEndPictureCount; picture++) {
    SCOPED_TRACE(picture);
    for (u32 frame = 0; frame < kEndShortFade; frame++) {
      SendToStack(Tick(0.02f));
    }
    EXPECT_EQ(picture, end->GetPicture());
    SendToStack(Tick(0.02f));
    EXPECT_EQ(kEndWaiting, end->GetState());
    SendToStack(Key(kKeyEnter));
    for (u32 frame = 1; frame < fadeOuts[picture]; frame++) {
      SendToStack(Tick(0.02f));
    }
    EXPECT_TRUE(end->GetFader()->IsFading());
    SendToStack(Tick(0.02f));
    EXPECT_FALSE(end->GetFader()->IsFading());
  }
  SendToStack(Tick(0.02f));
  EXPECT_NE(end, gScreenStack->GetTopScreen());
  EXPECT_TRUE(end->GetFader()->IsHeld());
  EXPECT_EQ(255, end->GetFader()->GetColour().alpha);
  delete end;
}

TEST_F(ScreenEndTest, CreditsScrollUntilTheLastLineLeavesOrAKey) {
  const cPropertyGroup* group = config_->FindGroup(cString("credit_list"));
  cScreen_Credits* credits = new cScreen_Credits(group);
  ASSERT_EQ(3u, credits->GetLineCount());
  EXPECT_STREQ("^Heading", credits->GetLine(0).CStr());
  EXPECT_STREQ("Ann", credits->GetLine(1).CStr());
  EXPECT_STREQ("Bo", credits->GetLine(2).CStr());
  Activate(credits);
  const f32 height = static_cast<f32>(gScreenStack->GetTarget().GetSize().height);
  SendToStack(Tick(0.02f));
  EXPECT_FLOAT_EQ(-kCreditScrollStep * kCreditLineSize * height / 480.0f, credits->GetScroll());
  // Unattended: the three lines (1.2 line sizes apart) scroll past the top,
  // then 128 frames of fade.
  const int ticks = TicksToPop(credits, -1);
  const f32 line = kCreditLineSize * height / 480.0f;
  const f32 travel = height + 3.0f * static_cast<f32>(static_cast<int>(1.2f * line)) + line;
  const int scrolled = static_cast<int>(travel / (kCreditScrollStep * line));
  EXPECT_NEAR(scrolled + static_cast<int>(kEndLongFade), ticks, 2);
  EXPECT_TRUE(credits->IsDone());
  delete credits;
  // A key after the fade-in ends them early.
  credits = new cScreen_Credits(group);
  Activate(credits);
  EXPECT_EQ(static_cast<int>(kEndShortFade + 1 + kEndLongFade), TicksToPop(credits, kEndShortFade + 1));
  EXPECT_FALSE(credits->IsDone());
  delete credits;
}

// The demo data set's texts: every menu, the end texts and the credits build
// in both languages (a missing key ends the program).
TEST_F(FrontEndTest, DemoTextsBuildEveryScreenInBothLanguages) {
  demo::DataFolder data;
  demo::WriteStartupTexts(data);
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& file : data.Files()) {
    files.push_back({file.first, std::string(file.second.begin(), file.second.end())});
  }
  MountData(files);
  cPropertyFile config;
  ASSERT_TRUE(config.Load(cString("data/config.txt")));
  for (u32 language = 0; language < kLanguageCount; language++) {
    SCOPED_TRACE(language);
    gGameOptions->SetLanguage(language);
    gSaveProfiles->NewProfile("Demo");
    cScreen_MainMenu* menu = new cScreen_MainMenu(&config);
    Activate(menu);
    for (u32 index = 0; index < kMainMenuCount; index++) {
      EXPECT_FALSE(menu->GetMenu(index)->GetTitle().GetText().IsEmpty()) << index;
    }
    gScreenStack->Pop();
    delete menu;
    cScreen_End end(config.FindGroup(cString("end_texts")));
    EXPECT_FALSE(end.GetText(5).IsEmpty());
    cScreen_Credits credits(config.FindGroup(cString("credit_list")));
    EXPECT_EQ('^', credits.GetLine(0).CStr()[0]);
  }
}
