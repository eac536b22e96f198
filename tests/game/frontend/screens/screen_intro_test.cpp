// The intro: logo timings, hurried logos, and the language menu at the first
// start.
#include "game/frontend/screens/screen_intro.h"

#include "game/app/input/key_codes.h"
#include "tests/game/frontend/front_end_fixture.h"

class IntroTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    if (!HasFatalFailure()) {
      MountData({{"data/menu/text_d.txt", MenuTextFile("d", {{"LANGUAGE", 2}})},
                 {"data/menu/text_eng.txt", MenuTextFile("eng", {{"LANGUAGE", 2}})}},
                {{"data/menu/vux_logo", 0xFF0000}, {"data/menu/zid_logo", 0x00FF00}, {"data/menu/engine_logo", 0xFF}});
    }
  }
  // Ticks of 0.1 s until the logo index moves on (at most 100).
  static int TicksToNextLogo(cScreen_Intro* intro) {
    const u32 index = intro->GetLogoIndex();
    for (int ticks = 1; ticks <= 100; ticks++) {
      SendToStack(Tick(0.1f));
      if (intro->GetLogoIndex() != index) {
        return ticks;
      }
    }
    return -1;
  }
};

TEST_F(IntroTest, LogoFadesInStandsAndFadesOut) {
  cWgLogo logo(tWgPlacement(), "data/menu/vux_logo", kIntroLogoStandingTime);
  struct Row {
    f32 seconds;
    u32 state;
    u8 alpha;
  };
  // Fades below 0 or above 255 end in the tick after the level gets there.
  const Row rows[] = {{0.5f, kLogoFadingIn, 127}, {0.55f, kLogoStanding, 0},   {1.9f, kLogoStanding, 0},
                      {0.1f, kLogoFadingOut, 0},  {0.5f, kLogoFadingOut, 127}, {0.55f, kLogoDone, 255}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.seconds);
    EXPECT_FALSE(Send(&logo, Tick(row.seconds)));
    EXPECT_EQ(row.state, logo.GetState());
    EXPECT_EQ(row.alpha, logo.GetOverlayAlpha());
  }
}

TEST_F(IntroTest, PressHurriesTheLogoAndTheFirstStartAsksTheLanguage) {
  cScreen_Intro* intro = new cScreen_Intro;
  Activate(intro);
  // Half faded in, then a key: out four times faster, from where it was.
  SendToStack(Tick(0.5f));
  SendToStack(Key(kKeyEsc));
  EXPECT_EQ(kLogoFadingOut, intro->GetLogo()->GetState());
  SendToStack(Tick(0.125f));
  EXPECT_NEAR(255.0f, intro->GetLogo()->GetFadeLevel(), 0.01f);
  EXPECT_EQ(1, TicksToNextLogo(intro));
  // Without input: 1 s in, 2 s standing, 1 s out, and the tick that ends it.
  EXPECT_EQ(42, TicksToNextLogo(intro));
  SendToStack(Pad(kPadSelect));
  EXPECT_EQ(1, TicksToNextLogo(intro));  // no language in "save.dat": the menu
  ASSERT_NE(nullptr, intro->GetLanguageMenu());
  EXPECT_TRUE(intro->GetLanguageMenu()->IsShown());
  SendToStack(Key(kKeyDown));
  SendToStack(Key(kKeyEnter));
  EXPECT_EQ(1u, gGameOptions->GetLanguage());
  EXPECT_EQ("eng LANGUAGE", std::string(intro->GetTexts()->GetGroup(0).GetProperty(0).GetValue().CStr()));
  EXPECT_FALSE(intro->GetLanguageMenu()->IsShown());
  SendToStack(Tick(0.1f));
  EXPECT_EQ(0u, gScreenStack->GetTopIndex());
  delete intro;
}

TEST_F(IntroTest, StoredLanguageEndsTheLastLogoAtAPress) {
  gGameOptions->SetLanguage(1);
  ASSERT_TRUE(gSaveProfiles->Write());
  gGameOptions->SetLanguage(kLanguageNotChosen);
  cScreen_Intro* intro = new cScreen_Intro;
  EXPECT_EQ(1u, gGameOptions->GetLanguage());
  Activate(intro);
  while (intro->GetLogoIndex() < 2) {
    SendToStack(Key(kKeyEsc));
    EXPECT_EQ(1, TicksToNextLogo(intro));
  }
  SendToStack(Key(kKeyEnter));
  EXPECT_TRUE(intro->GetLogo()->IsDone());
  SendToStack(Tick(0.1f));
  EXPECT_EQ(nullptr, intro->GetLanguageMenu());
  EXPECT_EQ(0u, gScreenStack->GetTopIndex());
  delete intro;
}
