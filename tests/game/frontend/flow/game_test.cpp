// The game object: the fade before each step, the first pass through the
// intro and the menu loader with the dictionary files it writes, the
// configuration and the level chaining.
#include "game/frontend/flow/game.h"

#include <sys/stat.h>
#include <utime.h>

#include "game/app/screens/screen_stack.h"
#include "game/app/startup/app_config.h"
#include "game/frontend/screens/screen_end.h"
#include "tests/game/frontend/screens/main_menu_fixture.h"

namespace {

const char kConfig[] =
    "[Init]\nFRAME_LIMIT = 0\n"
    "[level01]\nNEXTSTAGE = level02\nNEXTSTAGEHARD = level05\n"
    "[level02]\nNEXTSTAGE = level99\n";

}  // namespace

class GameTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    MountData({{"data/menu/text_d.txt", MenuTextFile("d", {{"LANGUAGE", 2}})}, {"data/config.txt", kConfig}},
              {{"data/menu/vux_logo", 0xFF0000}, {"data/menu/zid_logo", 0x00FF00}, {"data/menu/engine_logo", 0xFF}});
    ASSERT_EQ(0, mkdir("data", 0700));
    ASSERT_EQ(0, mkdir("data/texdicts", 0700));
    // The game makes the two records itself.
    delete gGameOptions;
    delete gSaveProfiles;
  }

  // Ticks of dt seconds until the game's state changes (at most 1000).
  static int TicksToNextState(cGame* game, f32 dt) {
    const u32 state = game->GetState();
    for (int ticks = 1; ticks <= 1000; ticks++) {
      SendToStack(Tick(dt));
      if (game->GetState() != state) {
        return ticks;
      }
    }
    return -1;
  }

  // Runs a game through the intro (taken off at once) to the level start.
  static void RunToLevelStart() {
    cGame* game = new cGame;
    // The main menu passed over: the options' level starts at once.
    game->SetPhaseMakers(tGamePhaseMakers{nullptr, nullptr, nullptr, nullptr});
    Activate(game);
    EXPECT_EQ(1, TicksToNextState(game, 0.04f));  // no fade before the intro
    EXPECT_EQ(2u, gScreenStack->GetTopIndex());
    EXPECT_NE(nullptr, RwTexDictionaryGetCurrent());
    gScreenStack->Pop();
    EXPECT_EQ(50, TicksToNextState(game, 0.04f));  // 255 / 128 s of fade
    EXPECT_EQ(kGameLoadLevel, game->GetState());
    EXPECT_NE(nullptr, game->GetConfig().FindGroup(cString("level02")));
    // No level screen yet: the step waits, one fade after another.
    EXPECT_EQ(-1, TicksToNextState(game, 0.5f));
    EXPECT_EQ(nullptr, RwTexDictionaryGetCurrent());
    gScreenStack->Pop();
    delete game;
  }
};

TEST_F(GameTest, FirstRunWritesTheDictionariesAndTheNextLeavesThem) {
  gFrameLimit = 0;
  RunToLevelStart();
  EXPECT_NE(0u, gFrameLimit);  // FRAME_LIMIT = 0 turns the pacing on
  struct stat logos;
  struct stat menu;
  ASSERT_EQ(0, stat("data/texdicts/logos.txd", &logos));
  ASSERT_EQ(0, stat("data/texdicts/menu.txd", &menu));
  const utimbuf old = {1000000, 1000000};
  ASSERT_EQ(0, utime("data/texdicts/logos.txd", &old));
  ASSERT_EQ(0, utime("data/texdicts/menu.txd", &old));
  RunToLevelStart();
  ASSERT_EQ(0, stat("data/texdicts/logos.txd", &logos));
  ASSERT_EQ(0, stat("data/texdicts/menu.txd", &menu));
  EXPECT_EQ(1000000, logos.st_mtime);
  EXPECT_EQ(1000000, menu.st_mtime);
}

TEST_F(GameTest, NextLevelTakesTheHardSuccessorOnlyWhenThere) {
  struct Row {
    const char* level;
    u32 hard;
    const char* next;
  };
  const Row rows[] = {{"level01", 0, "level02"}, {"level01", 1, "level05"}, {"level02", 1, "level99"}};
  cGame game;
  game.LoadConfig();
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.level) + (row.hard ? " hard" : ""));
    gGameOptions->SetLevelName(cString(row.level));
    gSaveProfiles->SetHard(row.hard);
    game.NextLevel();
    EXPECT_STREQ(row.next, gGameOptions->GetLevelName().CStr());
  }
  EXPECT_EQ(kGameSoundCount, game.GetSounds().GetCount());
  EXPECT_EQ(kLoaderExpectedBytes, LevelLoadSize(7));
  EXPECT_EQ(55235111u, LevelLoadSize(1));
}

namespace {

// A level that loads in one step and ends at its first tick.
struct QuickLevel : cLevelPhase, cLoadable {
  cLoadable* GetLoadable() override { return this; }
  f32 Load() override { return 1.0f; }
  void AttachHud() override {}
  bool IsQuitRequested() const override { return false; }
  bool OnEvent(const tEvent* event) override {
    if (event->type == kEventTick && gScreenStack->GetTopScreen() == this) {
      gScreenStack->Pop();
    }
    return false;
  }
};
cLevelPhase* MakeQuickLevel(cPropertyFile*, cGameOptions*) { return new QuickLevel; }

}  // namespace

class GameFlowTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    std::string chain = "[Init]\n[end_texts]\nENDTEXTS = data/end\n[credit_list]\nCREDITLIST = data/credits\n";
    for (int level = 1; level < 99; level++) {
      char group[64];
      snprintf(group, sizeof group, "[level%02d]\nNEXTSTAGE = level%02d\n", level, level + 1);
      chain += group;
    }
    MountData({{"data/menu/text_d.txt", main_menu_test::MainMenuTexts("d")},
               {"data/menu/text_eng.txt", main_menu_test::MainMenuTexts("eng")},
               {"data/config.txt", chain},
               {"data/end_eng.txt", "[TEXTS]\nMESSAGE01 = one\n"},
               {"data/credits_eng.txt", "[CREDITS]\nCREDITLIST = [^Heading, Ann]\n"}});
    ASSERT_EQ(0, mkdir("data", 0700));
    ASSERT_EQ(0, mkdir("data/texdicts", 0700));
    delete gGameOptions;
    delete gSaveProfiles;
  }
};

TEST_F(GameFlowTest, LanguageRebuildsTheMenuAndTheLastLevelLeadsThroughEndTextsAndCredits) {
  cGame* game = new cGame;
  game->SetPhaseMakers(tGamePhaseMakers{MakeMainMenu, MakeQuickLevel, MakeEndScreen, MakeCreditsScreen});
  Activate(game);
  SendToStack(Tick(0.04f));
  gScreenStack->Pop();  // the intro
  std::string states;
  u32 last = game->GetState();
  int menus = 0;
  for (int tick = 0; tick < 20000; tick++) {
    SendToStack(Tick(0.04f));
    if (game->GetState() != last) {
      last = game->GetState();
      states += std::to_string(last);
    }
    cScreen* top = gScreenStack->GetTopScreen();
    if (last == kGameLoadLevel && top != game) {
      auto* menu = static_cast<cScreen_MainMenu*>(top);
      menus++;
      if (menus == 1) {
        // Another language: the menu screen is built again, at the options.
        menu->SwitchMenu(kMenuOptionLanguage);
        SendToStack(Key(kKeyDown));
        SendToStack(Key(kKeyEnter));
        continue;
      }
      if (menus == 3) {
        EXPECT_EQ(kMenuMain, menu->GetCurrentMenu());
        break;
      }
      EXPECT_EQ(kMenuOption, menu->GetCurrentMenu());
      EXPECT_EQ(1u, gGameOptions->GetLanguage());
      // The level menu's first item; the chain runs on to level99.
      gGameOptions->SetLevelName(cString("level98"));
      menu->SwitchMenu(kMenuLevel);
      SendToStack(Key(kKeyDown));
      SendToStack(Key(kKeyEnter));
      EXPECT_STREQ("level02", gGameOptions->GetLevelName().CStr());
      gGameOptions->SetLevelName(cString("level98"));
    } else if (top != game) {
      SendToStack(Key(kKeyEnter));
    }
  }
  // The restart's way round through state 1, the level, end texts, credits.
  EXPECT_EQ(std::string("212") + "345678" + "12", states);
  gScreenStack->Pop();
  delete game;
}
