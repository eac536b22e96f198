// The main menu screen and its small menus: what each item and back does,
// the continue item by the profiles, the music's start, the language change
// and the options' values.
#include "game/frontend/screens/screen_main_menu.h"

#include <string>
#include <vector>

#include "game/frontend/menus/wg_menu_continue.h"
#include "game/frontend/menus/wg_menu_new_game.h"
#include "game/frontend/menus/wg_menu_options.h"
#include "tests/game/frontend/screens/main_menu_fixture.h"

TEST_F(MainMenuTest, ItemsAndBacksSwitchMenusStoreChoicesOrQuit) {
  struct Row {
    const char* what;
    u32 profiles;
    u32 start;  // menu switched to first
    std::vector<tInput> inputs;
    u32 menu;
    bool quit;
    bool popped;
    const char* level;
    u32 hard;
  };
  const tInput down = Key(kKeyDown);
  const tInput enter = Key(kKeyEnter);
  const Row rows[] = {
      {"continue skipped without a profile", 0, kMenuMain, {down, enter}, kMenuOption, false, false, "level01", 0},
      {"continue selectable with one", 1, kMenuMain, {down, enter}, kMenuContinue, false, false, "level01", 0},
      {"options", 1, kMenuMain, {down, down, enter}, kMenuOption, false, false, "level01", 0},
      {"escape asks", 0, kMenuMain, {Key(kKeyEsc)}, kMenuQuit, false, false, "level01", 0},
      {"pad back quits at once", 0, kMenuMain, {Pad(kPadBack)}, kMenuMain, true, false, "level01", 0},
      {"quit window ignores escape", 0, kMenuQuit, {Key(kKeyEsc)}, kMenuQuit, false, false, "level01", 0},
      {"quit window: back to main", 0, kMenuQuit, {enter}, kMenuMain, false, false, "level01", 0},
      {"quit window: quit", 0, kMenuQuit, {Key(kKeyRight), enter}, kMenuQuit, true, false, "level01", 0},
      {"level 1", 0, kMenuLevel, {enter}, kMenuLevel, false, true, "level01", 0},
      {"level 6", 0, kMenuLevel, {down, down, down, down, down, enter}, kMenuLevel, false, true, "level06", 0},
      {"level back", 0, kMenuLevel, {Key(kKeyEsc)}, kMenuMain, false, false, "level01", 0},
      {"hard before the name entry", 0, kMenuDifficulty, {down, enter}, kMenuNewGame, false, false, "level01", 1},
      {"normal", 0, kMenuDifficulty, {enter}, kMenuNewGame, false, false, "level01", 0},
      {"language: the same one",
       0,
       kMenuOptionLanguage,
       {down, enter},
       kMenuOptionLanguage,
       false,
       false,
       "level01",
       0},
      {"language: back", 0, kMenuOptionLanguage, {Key(kKeyEsc)}, kMenuOption, false, false, "level01", 0},
      {"options: enter on the language", 0, kMenuOption, {enter}, kMenuOptionLanguage, false, false, "level01", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    gGameOptions->SetLevelName(cString(kFirstLevelName));
    const u32 hardBefore = row.start == kMenuDifficulty ? 1 - row.hard : 0;
    gSaveProfiles->SetHard(hardBefore);
    gAppConfig.quit = 0;
    if (row.profiles != 0) {
      gSaveProfiles->NewProfile("Ada");
    }
    Open();
    screen_->SwitchMenu(row.start);
    Run(row.inputs);
    EXPECT_EQ(row.popped, Popped());
    EXPECT_EQ(row.quit, gAppConfig.quit != 0);
    EXPECT_STREQ(row.level, gGameOptions->GetLevelName().CStr());
    EXPECT_EQ(row.start == kMenuDifficulty ? row.hard : hardBefore, gSaveProfiles->GetHard());
    // Menus still to come leave the shown one.
    EXPECT_EQ(screen_->GetMenu(row.menu) != nullptr ? row.menu : row.start, screen_->GetCurrentMenu());
    EXPECT_FALSE(screen_->IsRestartRequested());
    TearDownScreen();
  }
}

TEST_F(MainMenuTest, MusicStartsOnTheTwentyFifthTickOnce) {
  Open();
  for (u32 tick = 1; tick <= 30; tick++) {
    SCOPED_TRACE(tick);
    SendToStack(Tick(0.04f));
    EXPECT_EQ(tick >= kMainMenuMusicTicks, screen_->GetMusic().GetCurrentTrack() != kNoMusicTrack);
    if (tick == kMainMenuMusicTicks) {
      const u32 track = screen_->GetMusic().GetCurrentTrack();
      screen_->SwitchMenu(kMenuQuit);
      SendToStack(Tick(0.04f));
      EXPECT_EQ(track, screen_->GetMusic().GetCurrentTrack());
      tick++;
    }
  }
}

TEST_F(MainMenuTest, OtherLanguagePopsWithTheRestartRequest) {
  Open();
  screen_->SwitchMenu(kMenuOptionLanguage);
  Run({Key(kKeyEnter)});
  EXPECT_TRUE(Popped());
  EXPECT_TRUE(screen_->IsRestartRequested());
  EXPECT_EQ(0u, gGameOptions->GetLanguage());
}

TEST_F(MainMenuTest, OptionsStepWithinTheirLimitsAndRepeatWhileHeld) {
  struct Row {
    const char* what;
    u32 item;
    u32 start;
    std::vector<tInput> inputs;
    u32 value;
    const char* text;
  };
  const Row rows[] = {
      {"brightness up once", 1, 50, {Key(kKeyRight)}, 51, "eng: 51"},
      {"brightness at 100", 1, 100, {Key(kKeyRight), Key(kKeyRight, 0)}, 100, "eng: 100"},
      {"brightness at 0", 1, 0, {Key(kKeyLeft), Pad(kPadLeft)}, 0, "eng: 00"},
      {"volume down by pad", 2, 7, {Pad(kPadLeft), Pad(kPadLeft, 0)}, 6, "eng: 06"},
      {"volume at 100", 2, 100, {Pad(kPadRight)}, 100, "eng: 100"},
      {"music off", 3, 1, {Key(kKeyLeft)}, 0, "eng: engoff"},
      {"axis inversion twice", 4, 0, {Key(kKeyRight), Key(kKeyRight, 0), Key(kKeyLeft)}, 0, "eng: engoff"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    gGameOptions->SetBrightness(row.start);
    gGameOptions->SetEffectsVolume(row.start);
    gGameOptions->SetMusic(row.start != 0);
    gGameOptions->SetAxisInversion(row.start != 0);
    Open();
    screen_->SwitchMenu(kMenuOption);
    Options()->SetCurrent(row.item);
    Run(row.inputs);
    const u32 values[] = {0, gGameOptions->GetBrightness(), gGameOptions->GetSoundVolume(),
                          gGameOptions->IsMusicOn() ? 1u : 0u, gGameOptions->IsAxisInverted() ? 1u : 0u};
    EXPECT_EQ(row.value, values[row.item]);
    EXPECT_STREQ(row.text, Options()->GetItem(row.item)->GetText().CStr());
    TearDownScreen();
  }
  // Held for a second: one step at the press, then one every tenth after
  // the first half second.
  gGameOptions->SetBrightness(10);
  Open();
  screen_->SwitchMenu(kMenuOption);
  Options()->SetCurrent(kOptionBrightness);
  Run({Key(kKeyRight)});
  for (int tick = 0; tick < 50; tick++) {
    sClockMs += 20;
    SendToStack(Tick(0.02f));
  }
  EXPECT_GE(gGameOptions->GetBrightness(), 16u);
  EXPECT_LE(gGameOptions->GetBrightness(), 17u);
  Run({Key(kKeyRight, 0)});
  const u32 released = gGameOptions->GetBrightness();
  sClockMs += 1000;
  SendToStack(Tick(1.0f));
  EXPECT_EQ(released, gGameOptions->GetBrightness());
}

TEST_F(MainMenuTest, OptionsFooterFollowsTheLanguageItemAndLeavingWritesTheSave) {
  Open();
  screen_->SwitchMenu(kMenuOption);
  cWgText& footer = Options()->GetFooter();
  EXPECT_STREQ("eng", footer.GetText().CStr());
  // The plain footer is the menu's own.
  const char* const expected[] = {"sideways", "sideways", "sideways", "eng"};
  const tInput inputs[] = {Key(kKeyDown), Key(kKeyDown), Key(kKeyUp), Key(kKeyUp)};
  for (u32 i = 0; i < 4; i++) {
    SCOPED_TRACE(i);
    Run({inputs[i]});
    EXPECT_STREQ(expected[i], footer.GetText().CStr());
  }
  FILE* before = fopen("save.dat", "rb");
  EXPECT_EQ(nullptr, before);
  Run({Key(kKeyEsc)});
  EXPECT_EQ(kMenuMain, screen_->GetCurrentMenu());
  FILE* after = fopen("save.dat", "rb");
  EXPECT_NE(nullptr, after);
  if (after != nullptr) {
    fclose(after);
  }
}

TEST_F(MainMenuTest, InGameOptionsReturnToThePauseMenuWithoutSaving) {
  struct Pause : cWgMenu_Menu {
    explicit Pause(cScreen_Menu* owner)
        : cWgMenu_Menu(owner, "QUIT", 2, tWgPlacement(), tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f)) {}
    void OnSelect(u32) override {}
    void OnBack() override {}
  };
  cScreen_Menu* level = new cScreen_Menu;
  Activate(level);
  Pause pause(level);
  pause.SetCurrent(1);
  cWgMenu_Options options(level, &pause);
  options.Show();
  EXPECT_STREQ("", options.GetItem(kOptionLanguage)->GetText().CStr());
  EXPECT_FALSE(options.GetItem(kOptionLanguage)->IsEnabled());
  EXPECT_EQ(kOptionBrightness, options.GetCurrent());
  EXPECT_STREQ("sideways", options.GetFooter().GetText().CStr());
  Run({Key(kKeyUp), Key(kKeyEnter), Key(kKeyDown), Key(kKeyEsc)});
  EXPECT_FALSE(options.IsShown());
  EXPECT_TRUE(pause.IsShown());
  EXPECT_EQ(0u, pause.GetCurrent());
  EXPECT_EQ(kOptionBrightness, options.GetCurrent());
  EXPECT_EQ(nullptr, fopen("save.dat", "rb"));
  pause.Hide();
  gScreenStack->Pop();
  delete level;
}

TEST_F(MainMenuTest, NameEntryWrapsAndKeepsEightLetters) {
  struct Row {
    const char* what;
    std::vector<tInput> moves;
    std::vector<u32> cells;  // pressed in turn
    const char* name;
    u32 row, column, menu;
  };
  const u32 dot = 37, bsp = 38, end = 39;
  const Row rows[] = {
      {"left wraps", {Key(kKeyLeft)}, {}, "", 0, 9, kMenuNewGame},
      {"up wraps", {Key(kKeyUp)}, {}, "", 3, 0, kMenuNewGame},
      {"pad right and down wrap", {Pad(kPadDown), Pad(kPadLeft), Pad(kPadRight)}, {}, "", 1, 0, kMenuNewGame},
      {"nine letters", {}, {10, 11, 12, 13, 14, 15, 16, 17, 18}, "ABCDEFGH", 0, 0, kMenuNewGame},
      {"dot and bang", {}, {dot, 36, 1}, ".!1", 0, 0, kMenuNewGame},
      {"backspace", {}, {10, bsp, bsp, end}, "", 0, 0, kMenuNewGame},
      {"end", {}, {35, end}, "Z", 0, 0, kMenuDifficulty},
      {"escape", {Key(kKeyEsc)}, {}, "", 0, 0, kMenuMain},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Open();
    screen_->SwitchMenu(kMenuNewGame);
    cWgMenu_NewGame* menu = screen_->GetNewGameMenu();
    Run(row.moves);
    for (u32 cell : row.cells) {
      menu->SelectCell(cell / kNameGridColumns, cell % kNameGridColumns);
      menu->PressCell();
      if (cell != row.cells.back()) {
        menu->SelectCell(0, 0);
      }
    }
    if (!row.cells.empty()) {
      menu->SelectCell(0, 0);
    }
    EXPECT_STREQ(row.name, menu->GetName());
    EXPECT_EQ(row.row, menu->GetRow());
    EXPECT_EQ(row.column, menu->GetColumn());
    EXPECT_EQ(row.menu, screen_->GetCurrentMenu());
    TearDownScreen();
  }
}

TEST_F(MainMenuTest, NewProfileOrTheDeleteWindowsChoices) {
  struct Row {
    const char* what;
    u32 used;
    std::vector<tInput> window;  // answered in the delete window and menu
    const char* slotName;        // of slot 2 afterwards
    u32 currentSlot;
  };
  const Row rows[] = {
      {"free slot", 2, {}, "ABC", 2},
      {"full: overwrite the third",
       10,
       {Key(kKeyRight), Key(kKeyEnter), Key(kKeyDown), Key(kKeyDown), Key(kKeyEnter)},
       "ABC",
       2},
      {"full: play without a profile", 10, {Key(kKeyRight), Key(kKeyRight), Key(kKeyEnter)}, "P2", kNoProfileSlot},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    for (u32 i = 0; i < row.used; i++) {
      gSaveProfiles->NewProfile(("P" + std::to_string(i)).c_str());
    }
    Open();
    screen_->SwitchMenu(kMenuNewGame);
    for (u32 cell : {10u, 11u, 12u, 39u}) {
      screen_->GetNewGameMenu()->SelectCell(cell / kNameGridColumns, cell % kNameGridColumns);
      screen_->GetNewGameMenu()->PressCell();
    }
    Run({Key(kKeyDown), Key(kKeyEnter), Tick(0.04f)});  // hard
    Run(row.window);
    Run({Tick(0.04f)});
    EXPECT_EQ(1u, gSaveProfiles->GetHard());
    EXPECT_TRUE(Popped());
    EXPECT_STREQ("level01", gGameOptions->GetLevelName().CStr());
    EXPECT_STREQ(row.slotName, gSaveProfiles->GetSlot(2).name);
    EXPECT_EQ(row.currentSlot, gSaveProfiles->GetCurrentSlot());
    // A level completed without a profile credits nobody.
    gSaveProfiles->CompleteLevel(1, 2, 3);
    EXPECT_EQ(row.currentSlot == 2 ? 3u : 0u, gSaveProfiles->GetSlot(2).count);
    TearDownScreen();
    delete gSaveProfiles;
    gSaveProfiles = new cSaveProfiles;
  }
}

TEST_F(MainMenuTest, ContinueListsWrapsAndResumes) {
  const char* names[] = {"Ann", "Bo", "Cy"};
  for (const char* name : names) {
    gSaveProfiles->NewProfile(name);
  }
  tProfileSlot& first = gSaveProfiles->GetSlot(0);
  first.count = 4;
  first.lastTime = 125;
  first.levelIndex = 3;
  gSaveProfiles->GetSlot(2).difficulty = 1;
  Open();
  screen_->SwitchMenu(kMenuContinue);
  auto* list = static_cast<cWgMenu_Continue*>(screen_->GetMenu(kMenuContinue));
  EXPECT_STREQ("Ann, eng, eng, 44%, 2:5 ", list->GetLine(0)->GetText().CStr());
  EXPECT_STREQ("", list->GetLine(3)->GetText().CStr());
  gSaveProfiles->SetHard(1);
  list->ConstInit(0);
  EXPECT_STREQ("Ann, eng, eng, 40%, 2:5 ", list->GetLine(0)->GetText().CStr());
  const u32 expected[] = {2, 0, 2};
  const tInput moves[] = {Key(kKeyUp), Key(kKeyDown), Key(kKeyUp)};
  for (u32 i = 0; i < 3; i++) {
    Run({moves[i]});
    EXPECT_EQ(expected[i], list->GetCurrent()) << i;
  }
  Run({Key(kKeyUp), Key(kKeyUp), Key(kKeyEnter)});
  EXPECT_TRUE(Popped());
  EXPECT_STREQ("level04", gGameOptions->GetLevelName().CStr());
  EXPECT_EQ(0u, gSaveProfiles->GetCurrentSlot());
  EXPECT_EQ(0u, gSaveProfiles->GetHard());
}
