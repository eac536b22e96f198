// The road through the game: keys pushed through the Windows stand-in a
// frame at a time, as a player presses them, until the case's file has been
// read and the game has played on a little.
#include "tools/damage_walk/drive.h"

#include <cstdio>
#include <deque>
#include <fstream>

#include "game/app/app_events.h"
#include "game/app/application.h"
#include "game/app/frame_tick.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/startup/app_config.h"
#include "game/app/startup/main_window.h"
#include "game/frontend/flow/game.h"
#include "game/frontend/ingame/in_game.h"
#include "game/frontend/save/save_profiles.h"
#include "game/frontend/screens/screen_intro.h"
#include "game/frontend/screens/screen_main_menu.h"
#include "game/world/qx_world.h"
#include "platform/win/win_testing.h"

namespace walk {

namespace {

// Frames played once the road's level stands, the briefing closed: half a
// second of the game's time, in which the level draws what it shows.
constexpr int kPlayedFrames = 12;
// Frames between a key's release and the next press: a menu takes one key
// at a time.
constexpr int kKeyGap = 2;

enum class Stage { kStart, kLevelPlaying, kEndTexts, kCredits, kDone };

struct tDrive {
  Case run;
  DWORD now = 100000;
  DWORD movieFrame = 0;
  int frames = 0;
  int stageFrames = 0;
  Stage stage = Stage::kStart;
  std::deque<SDL_Keycode> keys;  // waiting to be pressed
  SDL_Keycode down = SDLK_UNKNOWN;
  int gap = 0;
  bool menuDone = false;  // the main menu's keys were queued
  bool closed = false;
  const char* blocked = nullptr;  // why the road could not go on
  bool stuck = false;             // the game, not the data, stopped the road
}* sDrive = nullptr;

HWND Window() { return WinTestFindWindow(kMainWindowClass); }
cGame* Game() { return gApplication != nullptr ? static_cast<cGame*>(gApplication->GetGame()) : nullptr; }
template <typename Screen>
Screen* PhaseScreen(u32 state) {
  cGame* game = Game();
  const bool shown = game != nullptr && game->GetState() == state && gScreenStack->GetTopScreen() != game;
  return shown ? static_cast<Screen*>(gScreenStack->GetTopScreen()) : nullptr;
}
cInGame* InGame() { return PhaseScreen<cInGame>(kGameLevelOver); }
cScreen_Intro* Intro() { return PhaseScreen<cScreen_Intro>(kGameMainMenu); }
cScreen_MainMenu* MainMenu() { return PhaseScreen<cScreen_MainMenu>(kGameLoadLevel); }

void Queue(std::initializer_list<SDL_Keycode> keys) { sDrive->keys.insert(sDrive->keys.end(), keys); }

// A key goes down in one frame and up in the next, then waits its gap.
void PressKeys() {
  tDrive& d = *sDrive;
  if (d.down != SDLK_UNKNOWN) {
    WinTestPushKeyEvent(Window(), d.down, FALSE, FALSE);
    d.down = SDLK_UNKNOWN;
    d.gap = kKeyGap;
    return;
  }
  if (d.gap > 0) {
    d.gap--;
    return;
  }
  if (!d.keys.empty()) {
    d.down = d.keys.front();
    d.keys.pop_front();
    WinTestPushKeyEvent(Window(), d.down, TRUE, FALSE);
  }
}

void Close() {
  sDrive->stage = Stage::kDone;
  sDrive->closed = WinTestRequestClose(Window()) != FALSE;
}

// The main menu's keys: a new agent named "A" on normal for level01, else
// the continued profile's line.
void QueueMenu(cScreen_MainMenu* menu) {
  tDrive& d = *sDrive;
  if (d.menuDone || !d.keys.empty() || menu->GetCurrentMenu() != kMenuMain) {
    return;
  }
  d.menuDone = true;
  if (d.run.level > 1 && (gSaveProfiles == nullptr || gSaveProfiles->GetSlot(0).name[0] == '\0')) {
    d.blocked = "the save file holds no profile to continue";
    return;
  }
  if (d.run.level <= 1) {
    // The name grid: digits in the first row, A to J in the second (left of
    // A lies J), its last cell (two rows below J) ends the name; then the
    // difficulty: normal.
    Queue({SDLK_RETURN, SDLK_DOWN, SDLK_RETURN, SDLK_LEFT, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_RETURN});
  } else {
    Queue({SDLK_DOWN, SDLK_RETURN, SDLK_RETURN});  // Continue, its first line
  }
}

// Before the level: the logos hurried, English chosen, the movie skipped, the
// menus gone through.
void OnStart() {
  tDrive& d = *sDrive;
  if (gMoviePlaying != 0) {
    if (d.keys.empty() && d.down == SDLK_UNKNOWN) {
      Queue({SDLK_ESCAPE});
    }
    return;
  }
  if (cScreen_Intro* intro = Intro()) {
    if (d.keys.empty() && d.down == SDLK_UNKNOWN && d.gap == 0) {
      const bool language = intro->GetLanguageMenu() != nullptr && intro->GetLanguageMenu()->IsShown();
      if (language) {
        // German first, English second.
        d.run.german ? Queue({SDLK_RETURN}) : Queue({SDLK_DOWN, SDLK_RETURN});
      } else {
        Queue({SDLK_RETURN});
      }
    }
    return;
  }
  if (cScreen_MainMenu* menu = MainMenu()) {
    QueueMenu(menu);
    return;
  }
  cInGame* level = InGame();
  if (level != nullptr && level->GetWorld().GetLoadStep() == kLoadStepLast) {
    d.stage = Stage::kLevelPlaying;
    d.stageFrames = 0;
    Queue({SDLK_RETURN});  // the briefing closed
  }
}

void OnLevel() {
  tDrive& d = *sDrive;
  cInGame* level = InGame();
  if (level == nullptr) {
    return;  // between the level's end and the end texts
  }
  cQXWorld& world = level->GetWorld();
  if (d.stageFrames < kPlayedFrames) {
    return;
  }
  if (d.run.road != Road::kEnd) {
    Close();
    return;
  }
  // The way out reached: its objective done ends the level.
  if (world.GetMissionFlags().GetCount() == 0) {
    d.blocked = "the level has no objective to finish";
  } else if (world.GetLevelEndState() == kLevelPlaying && world.IsInputLocked() == 0) {
    world.GetMissionFlags().GetData()[0] = 1;
  } else if (world.GetLevelEndState() == kLevelStatisticsShown && d.keys.empty()) {
    Queue({SDLK_RETURN});
  }
}

void OnFrame() {
  tDrive& d = *sDrive;
  if (d.frames == 0) {
    WinTestPushFocus(Window(), TRUE);  // the input devices take keys while focused
  }
  d.frames++;
  d.stageFrames++;
  PressKeys();
  if (d.frames > kRoadFrameLimit && d.stage != Stage::kDone && d.blocked == nullptr) {
    d.blocked = "the road's next step did not come";
    d.stuck = true;
  }
  if (d.blocked != nullptr) {
    if (!d.closed) {
      Close();
    }
    return;
  }
  cGame* game = Game();
  switch (d.stage) {
    case Stage::kStart:
      OnStart();
      break;
    case Stage::kLevelPlaying:
      if (game != nullptr && game->GetState() >= kGameEndTexts) {
        d.stage = Stage::kEndTexts;
        break;
      }
      OnLevel();
      break;
    case Stage::kEndTexts:
      // Each picture waits for a key; the credits follow.
      if (game != nullptr && game->GetState() == kGameCreditsOver) {
        d.stage = Stage::kCredits;
        d.stageFrames = 0;
      } else if (d.keys.empty() && d.stageFrames % 25 == 0) {
        Queue({SDLK_RETURN});
      }
      break;
    case Stage::kCredits:
      if (d.stageFrames >= kPlayedFrames) {
        Close();
      }
      break;
    case Stage::kDone:
      if (!d.closed) {
        Close();
      }
      break;
  }
}

// A movie's loop waits on the clock without sleeping: each reading moves it,
// and every 40 ms of it is a frame of the road.
DWORD ReadClock(void*) {
  static bool inFrame = false;
  tDrive& d = *sDrive;
  d.now += gMoviePlaying != 0 ? 2 : 0;
  if (gMoviePlaying != 0 && !inFrame && d.now / 40 != d.movieFrame) {
    d.movieFrame = d.now / 40;
    inFrame = true;
    OnFrame();
    inFrame = false;
  }
  return d.now;
}
void Sleep(DWORD milliseconds, void*) { sDrive->now += milliseconds + 1; }

}  // namespace

bool WriteContinueProfile(const char* path, int level) {
  if (level < 2 || level - 1 > static_cast<int>(kProfileLastLevelIndex)) {
    return false;
  }
  cSaveProfiles profiles;
  profiles.SetHard(level != 2);
  profiles.NewProfile("AGENT");
  profiles.GetSlot(profiles.GetCurrentSlot()).levelIndex = static_cast<u32>(level - 1);
  u8 bytes[kSaveFileSize];
  profiles.Encode(bytes);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes), sizeof(bytes));
  return static_cast<bool>(out);
}

int DriveGame(const Case& run) {
  tDrive drive;
  drive.run = run;
  sDrive = &drive;
  WinTestSetClock(ReadClock, nullptr);
  WinTestSetSleepHook(Sleep, nullptr);
  SetGameMaker(MakeGame);
  SetAppEventObserver([](u32 code, tAppEventArg) {
    if (code == kAppEventIdle) {
      OnFrame();
    }
  });
  ResetFrameTick();
  const char* arguments[] = {"tessarak", "-low"};  // a 640 x 480 window
  WinTestSetArguments(2, arguments);
  WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT);
  if (drive.blocked != nullptr) {
    std::fprintf(stderr, "damage_walk: road blocked after %d frames: %s\n", drive.frames, drive.blocked);
    return drive.stuck ? kStatusStuck : kStatusRoadBlocked;
  }
  if (!drive.closed) {
    std::fprintf(stderr, "damage_walk: the game ended after %d frames, before the road's end\n", drive.frames);
    return kStatusEndedEarly;
  }
  return 0;
}

}  // namespace walk
