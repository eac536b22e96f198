// Fuzz target for "data/config.txt" and everything that reads it: any bytes
// as the file, read by the game object (the group "Init", FRAME_LIMIT), the
// successor of each level group (NEXTSTAGE, NEXTSTAGEHARD) on both
// difficulties, the first demo level's whole staged load over its group
// "level01" (the world's keys, its lights through cLight::Create, its map
// views' MAPDIST, FLASHICON, MAP and MAP_ANGLE, its texts, and the implants'
// settings of the group "implants", which the player's implants read when
// they bind), and the hacking game of that group's HACK_* keys, played
// through with wrong and right keys. A configuration that the game cannot
// use ends it through FatalError, which is the answer to it and no finding
// (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>

#include "game/app/event.h"
#include "game/app/input/key_codes.h"
#include "game/characters/man.h"
#include "game/frontend/flow/game.h"
#include "game/frontend/ingame/in_game.h"
#include "game/frontend/panels/panel_host.h"
#include "game/frontend/panels/wg_use_hack.h"
#include "game/world/qx_world.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/game_fuzz_engine.h"

namespace {

constexpr size_t kMaxInput = 16384;
// Level groups whose successors are asked for; a file may hold many.
constexpr u32 kMaxLevelGroups = 16;
constexpr u32 kLoadSteps = 20;
constexpr u32 kHackFrames = 12;
constexpr f32 kHackFrameTime = 0.25f;  // seconds

cGame* Game() {
  static cGame* game = [] {
    // The game makes the options and the save profiles itself.
    delete gGameOptions;
    delete gSaveProfiles;
    return new cGame;
  }();
  return game;
}

// Each group that names a successor, on both difficulties: the options'
// level becomes the hard successor where there is one, else the other.
void ChainLevels() {
  const cPropertyFile& config = Game()->GetConfig();
  for (u32 i = 0; i < config.GetCount() && i < kMaxLevelGroups; i++) {
    const cPropertyGroup& group = config.GetGroup(i);
    // A name given twice is the first group's.
    if (config.FindGroup(group.GetName()) != &group) {
      continue;
    }
    const cProperty* next = group.FindProperty(cString("NEXTSTAGE"));
    const cProperty* hard = group.FindProperty(cString("NEXTSTAGEHARD"));
    if (next == nullptr && hard == nullptr) {
      continue;
    }
    for (u32 difficulty = 0; difficulty < 2; difficulty++) {
      gGameOptions->SetLevelName(group.GetName());
      gSaveProfiles->SetHard(difficulty);
      Game()->NextLevel();
      const cProperty* expected = difficulty != 0 && hard != nullptr ? hard : next;
      if (!(gGameOptions->GetLevelName() == expected->GetValue())) {
        __builtin_trap();
      }
    }
  }
}

void Send(cWgWidget* widget, u32 type, u32 code) {
  tEvent event;
  event.type = type;
  if (type == kEventTick) {
    event.tick = tTickEvent{kHackFrameTime};
  } else {
    event.key = tKeyEvent{0, code, 1};
  }
  widget->OnEvent(&event);
}

// A game of the level's settings: a wrong key, then the row's own keys.
void PlayHack(cQXWorld* world) {
  cWgUseHack hack(world);
  hack.Start(nullptr, true);
  Send(&hack, kEventKey, kKeyUp);
  for (u32 frame = 0; frame < kHackFrames && !hack.IsFinished(); frame++) {
    if (frame < hack.GetKeyCount()) {
      hack.PressKey(static_cast<u32>(hack.GetKey(frame).key));
    }
    Send(&hack, kEventTick, 0);
  }
  if (hack.GetKeyCount() < 1 || hack.GetKeyCount() > static_cast<u32>(kHackMaximumKeys)) {
    __builtin_trap();
  }
}

cPropertyFile* gConfig = nullptr;
cInGame* gInGame = nullptr;

// The framed panels open on the level's screen, as they do in the game.
cScreen_Menu* InGameScreen() { return gInGame; }

// What the game object does at a level's end: the level screen goes, then
// the level's texture dictionary, which is current.
void ReleaseLevel() {
  delete gInGame;
  gInGame = nullptr;
  delete gConfig;
  gConfig = nullptr;
  cMan::ReleaseStaticData();
  if (RwTexDictionary* level = RwTexDictionaryGetCurrent()) {
    RwTexDictionaryDestroy(level);
  }
}

// The level screen as the game makes it for "level01", loaded step by step
// as the loading screen does.
void ReadConfig(const uint8_t* bytes, size_t size) {
  RpRandomSeed(1);
  gamefuzz::Serve(kConfigFileName, bytes, size);
  Game()->LoadConfig();
  ChainLevels();
  gConfig = new cPropertyFile;
  gConfig->Load(cString(kConfigFileName));
  gGameOptions->SetLevelName(cString("level01"));
  gInGame = new cInGame(gConfig, gGameOptions);
  for (u32 step = 0; step < kLoadSteps; step++) {
    gInGame->GetLoadable()->Load();
  }
  PlayHack(&gInGame->GetWorld());
  ReleaseLevel();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const bool started = gamefuzz::Start() && Game() != nullptr;
  if (started) {
    SetPanelScreenFinder(InGameScreen);
  }
  return fatalworker::TestOneInput(started, bytes, size, kMaxInput, ReadConfig, nullptr);
}
