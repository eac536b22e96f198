// Shared start of the game for fuzz targets of its configuration, level and
// screen files: the engine on the Direct3D 8 stand-in with the game's
// plugins, image readers and charset; sound in test mode on a fixed clock;
// the event device, the options, the save profiles and a 320 x 240 screen
// stack; files served from memory (tests/fuzz/memory_files.h) under the
// game's and the engine's names, and for targets that need them the demo
// data set's start-up files, men and first level. A target then serves its
// input in place of one of those files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/app/app_events.h"
#include "game/app/input/event_device.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/startup/engine_start.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"
#include "platform/dsound/dsound_testing.h"
#include "platform/win/win_testing.h"
#include "tests/fuzz/d3d8_fuzz_engine.h"
#include "tests/fuzz/memory_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/dictionaries.h"
#include "tools/demo/level01/level01.h"
#include "tools/demo/men/men.h"
#include "tools/forge/files/bmp_writer.h"
#include "tools/forge/files/font_writer.h"

namespace gamefuzz {

// A small screen: the widgets lay out by fractions, and software rendering
// of every drawn frame takes time from the fuzzing.
constexpr u32 kScreenWidth = 320;
constexpr u32 kScreenHeight = 240;

// The engine's name of a game path: backslashes for slashes.
inline std::string EngineName(std::string path) {
  for (char& c : path) {
    c = c == '/' ? '\\' : c;
  }
  return path;
}

// Serves bytes as the file of the game path (forward slashes) under both
// names, in place of any file served there before.
inline void Serve(const std::string& path, const std::vector<uint8_t>& bytes) {
  for (const std::string& name : {path, EngineName(path)}) {
    bool found = false;
    for (memoryfiles::File& file : memoryfiles::Files()) {
      if (file.name == name) {
        file.data = bytes;
        found = true;
      }
    }
    if (!found) {
      memoryfiles::Files().push_back({name, bytes});
    }
  }
}

inline void Serve(const std::string& path, const uint8_t* bytes, size_t size) {
  Serve(path, std::vector<uint8_t>(bytes, bytes + size));
}

// The game's font "gothic13" on a small page: every screen loads it, and the
// mip levels of the demo's 256 x 256 page took most of a target's time.
// Glyphs of ' ' to 'z', 6 x 8 pixels each, 16 a row on a 128 x 64 page.
inline void ServeSmallFont() {
  constexpr int kCell = 8;
  std::vector<forge::RectGlyph> glyphs;
  for (int code = ' '; code <= 'z'; code++) {
    const int cell = code - ' ';
    const int x0 = (cell % 16) * kCell;
    const int y0 = (cell / 16) * kCell;
    glyphs.push_back({code, x0, y0, x0 + 6, y0 + 8});
  }
  const std::string metrics = forge::Metrics1Text("gothic13.bmp", "", 1, glyphs);
  const std::vector<uint8_t> page = forge::WriteBmp(forge::RectPageImage(128, 64, glyphs));
  Serve("data/font/gothic13.met", std::vector<uint8_t>(metrics.begin(), metrics.end()));
  Serve("data/font/gothic13.bmp", page);
  Serve("data/font/mgothic13.bmp", page);
}

// The demo data set but its music, movies and later levels, with the
// texture dictionary caches written ahead (no phase writes its own).
inline bool ServeDemoData() {
  demo::DataFolder data;
  demo::WriteStartupTexts(data);
  demo::WriteFonts(data);
  demo::WriteTextures(data);
  demo::WriteHudTextures(data);
  demo::WriteNameCells(data);
  demo::WriteSounds(data);
  demo::WriteParticles(data);
  std::string error;
  if (!demo::men::WriteMen(data) || !demo::WriteLevel01(data) || !demo::WriteDictionaries(data, &error)) {
    std::fprintf(stderr, "the demo data set was not written %s\n", error.c_str());
    return false;
  }
  // From here on the engine reads only what is served.
  memoryfiles::Install();
  memoryfiles::Files().clear();
  for (const auto& file : data.Files()) {
    Serve(file.first, file.second);
  }
  ServeSmallFont();
  return true;
}

inline DWORD FixedClock(void*) { return 100000; }

// Starts the engine, sound, events, records and screen stack once, with no
// file served yet; false when any step fails. The working folder becomes a
// new private one, which takes what the game writes ("save.dat").
inline bool StartEngine() {
  static const bool started = [] {
    char folder[] = "/tmp/tk_fuzz_XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) {
      return false;
    }
    dsoundtest::SetTestMode(true);
    WinTestSetClock(FixedClock, nullptr);
    if (!d3d8fuzz::Start([]() -> RwBool { return AttachPlugins() ? TRUE : FALSE; }) || !RegisterImageReaders() ||
        !OpenCharsetModule()) {
      return false;
    }
    CreateEventDevice();
    gGameOptions = new cGameOptions;
    gSaveProfiles = new cSaveProfiles;
    gScreenStack = new cScreenStack(d3d8fuzz::Window());
    gScreenStack->SetScreenSize(tTargetSize{kScreenWidth, kScreenHeight});
    return true;
  }();
  return started;
}

// StartEngine, and the demo data served once; false when either fails.
inline bool Start() {
  static const bool started = StartEngine() && ServeDemoData();
  return started;
}

// StartEngine, with files served from memory but none of the demo's.
inline bool StartWithoutData() {
  static const bool started = [] {
    if (!StartEngine()) {
      return false;
    }
    memoryfiles::Install();
    memoryfiles::Files().clear();
    ServeSmallFont();
    return true;
  }();
  return started;
}

}  // namespace gamefuzz
