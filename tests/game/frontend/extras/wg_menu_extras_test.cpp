// The extras: locks by the completed levels, the page viewers, the credits
// and the movies around the menu music.
#include "game/frontend/extras/wg_menu_extras.h"

#include <functional>

#include "game/frontend/menus/wg_menu_continue.h"

#include "tests/game/frontend/screens/main_menu_fixture.h"

class ExtrasTest : public MainMenuTest {
 protected:
  void SetUp() override {
    pictures_ = {{"data/menu/CONCEPT_background", 0x102030}, {"data/menu/CONCEPT01_background", 0x203040}};
    MainMenuTest::SetUp();
  }
  cWgMenu_Extras* Extras() const { return static_cast<cWgMenu_Extras*>(screen_->GetMenu(kMenuExtras)); }
};

TEST_F(ExtrasTest, LevelsUnlockTheirItems) {
  struct Row {
    const char* what;
    std::vector<s32> completed;
    std::vector<bool> enabled;
  };
  const Row rows[] = {
      {"none", {}, {true, false, false, false, false, false}},
      {"the first", {1}, {true, true, false, false, false, false}},
      {"all", {1, 2, 3, 4, 5}, {true, true, true, true, true, true}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    for (s32 level : row.completed) {
      gGameOptions->SetLevelCompleted(level);
    }
    Open();
    for (u32 i = 0; i < kExtrasItemCount; i++) {
      EXPECT_EQ(row.enabled[i], Extras()->GetItem(i)->IsEnabled()) << i;
      EXPECT_EQ(row.enabled[i], Extras()->GetItem(i)->GetText() != cString("locked")) << i;
    }
    TearDownScreen();
  }
}

TEST_F(ExtrasTest, ViewersStopAtTheirEndsAndReopenOnTheFirstPage) {
  for (s32 level = 1; level <= 5; level++) {
    gGameOptions->SetLevelCompleted(level);
  }
  Open();
  screen_->SwitchMenu(kMenuExtras);
  Run({Key(kKeyDown), Key(kKeyDown), Key(kKeyDown), Key(kKeyEnter)});
  cWgMenuPages& concept = Extras()->GetConcept();
  ASSERT_TRUE(concept.IsShown());
  Run({Key(kKeyLeft), Key(kKeyRight), Key(kKeyRight), Key(kKeyDown)});
  EXPECT_EQ(1u, concept.GetPage());
  EXPECT_EQ(0u, Extras()->GetCurrent());  // the viewer took the keys
  Run({Key(kKeyEsc)});
  EXPECT_FALSE(concept.IsShown());
  concept.Show();
  EXPECT_EQ(0u, concept.GetPage());
  concept.Hide();
  // The actors' text pages.
  screen_->SwitchMenu(kMenuActors);
  auto* actors = static_cast<cWgMenu_TextPages*>(screen_->GetMenu(kMenuActors));
  Run({Key(kKeyDown), Key(kKeyEnter), Key(kKeyRight), Key(kKeyRight)});
  cWgMenuText* pirena = actors->GetViewer(1);
  EXPECT_STREQ("PIRENA 1", pirena->GetPageText().CStr());
  Run({Key(kKeyEsc), Key(kKeyEnter)});
  EXPECT_TRUE(actors->GetViewer(0)->IsShown());  // item 0 current again
  actors->GetViewer(0)->Hide();
  EXPECT_EQ(1u, pirena->GetPage());
  pirena->Show();
  EXPECT_STREQ("PIRENA 0", pirena->GetPageText().CStr());
}

// Placing a text scales its height to the screen (1.6 times at 1024 x 768);
// a menu laid out again on every showing must not scale the scaled height
// once more.
class LargeScreenMenuTest : public MainMenuTest {
 protected:
  LargeScreenMenuTest() : MainMenuTest(1024, 768) {}
  void SetUp() override {
    pictures_ = {{"data/menu/CONCEPT_background", 0x102030}};
    MainMenuTest::SetUp();
  }
};

TEST_F(LargeScreenMenuTest, TextsKeepTheirHeightOverVisits) {
  gSaveProfiles->NewProfile("Ann");
  Open();
  auto* continued = static_cast<cWgMenu_Continue*>(screen_->GetMenu(kMenuContinue));
  auto* extras = static_cast<cWgMenu_Extras*>(screen_->GetMenu(kMenuExtras));
  cWgMenuPages& concept = extras->GetConcept();
  auto* actors = static_cast<cWgMenu_TextPages*>(screen_->GetMenu(kMenuActors));
  cWgMenuText* viewer = actors->GetViewer(0);
  struct Row {
    const char* what;
    std::function<void()> show, hide, layout;
    std::function<f32()> height;
  };
  const Row rows[] = {
      {"continue line", [&] { screen_->SwitchMenu(kMenuContinue); }, [&] { screen_->SwitchMenu(kMenuMain); },
       [&] { continued->Layout(); }, [&] { return continued->GetLine(0)->GetTextHeight(); }},
      {"picture page footer", [&] { concept.Show(); }, [&] { concept.Hide(); }, [&] { concept.Layout(); },
       [&] { return concept.GetFooter().GetTextHeight(); }},
      {"text page footer", [&] { viewer->Show(); }, [&] { viewer->Hide(); }, [&] { viewer->Layout(); },
       [&] { return viewer->GetFooter().GetTextHeight(); }},
      {"page text", [&] { viewer->Show(); }, [&] { viewer->Hide(); }, [&] { viewer->Layout(); },
       [&] { return viewer->GetPageTextWidget().GetTextHeight(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    f32 first = 0.0f;
    for (int visit = 0; visit < 3; visit++) {
      row.show();
      row.layout();
      if (visit == 0) {
        first = row.height();
        EXPECT_GT(first, 10.0f);
      }
      EXPECT_FLOAT_EQ(first, row.height()) << "visit " << visit;
      row.hide();
    }
  }
}

TEST_F(ExtrasTest, CreditsAndMoviesPauseTheMenuMusic) {
  cPropertyFile config;
  ASSERT_TRUE(config.Load(cString("data/config.txt")));
  gGameOptions->SetLevelCompleted(4);
  Open(&config);
  screen_->SwitchMenu(kMenuExtras);
  // A movie: the music stopped and started again.
  screen_->SetMusicCountdown(1);
  SendToStack(Tick(0.04f));
  Extras()->SetCurrent(4);
  Run({Key(kKeyEnter)});
  EXPECT_NE(kNoMusicTrack, screen_->GetMusic().GetCurrentTrack());
  EXPECT_EQ(0u, Extras()->GetCurrent());
  // The credits: pushed, the music off, deleted on the first tick back, the
  // music again 25 ticks later.
  Run({Key(kKeyEnter)});
  cScreen* credits = Extras()->GetCredits();
  ASSERT_NE(nullptr, credits);
  EXPECT_EQ(credits, gScreenStack->GetTopScreen());
  EXPECT_EQ(kNoMusicTrack, screen_->GetMusic().GetCurrentTrack());
  for (int tick = 0; tick < 1000 && gScreenStack->GetTopScreen() == credits; tick++) {
    Run({tick == 20 ? Key(kKeyEsc) : Tick(0.04f)});  // the key once the fade-in is over
  }
  ASSERT_FALSE(Popped());
  for (u32 tick = 1; tick <= kMainMenuMusicTicks; tick++) {
    SendToStack(Tick(0.04f));
    EXPECT_EQ(nullptr, Extras()->GetCredits());
    EXPECT_EQ(tick == kMainMenuMusicTicks, screen_->GetMusic().GetCurrentTrack() != kNoMusicTrack) << tick;
  }
}
