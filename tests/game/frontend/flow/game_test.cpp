// The game object: the fade before each step, the first pass through the
// intro and the menu loader with the dictionary files it writes, the
// configuration and the level chaining.
#include "game/frontend/flow/game.h"

#include <sys/stat.h>
#include <utime.h>

#include "game/app/startup/app_config.h"
#include "tests/game/frontend/front_end_fixture.h"

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
