// Front-end tests on the engine's screen stack: the engine started on the
// Direct3D 8 stand-in (ScreenEngineTest), the working folder a scratch folder
// (for "save.dat" and the texture-dictionary caches), the data served from a
// pack that each test fills, and the options and save profiles made fresh.
#pragma once

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "game/app/event.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"
#include "tests/support/pack_writer.h"
#include "tests/support/scratch_path.h"
#include "tests/support/screen_engine.h"

// The group "text" of a menu text file: NAME_TITLE, NAME_ITEM00.. and
// NAME_FOOTER for each {name, item count}, the texts marked with the
// language code.
inline std::string MenuTextFile(const std::string& code, const std::vector<std::pair<std::string, int>>& menus) {
  std::string text = "[text]\n";
  for (const auto& menu : menus) {
    text += menu.first + "_TITLE = " + code + " " + menu.first + "\n";
    for (int i = 0; i < menu.second; i++) {
      char key[64];
      snprintf(key, sizeof key, "%s_ITEM%02d = %s item %d\n", menu.first.c_str(), i, code.c_str(), i);
      text += key;
    }
    text += menu.first + "_FOOTER = " + code + " footer\n";
  }
  return text;
}

class FrontEndTest : public ScreenEngineTest {
 protected:
  FrontEndTest() : folder_("front_end") {}

  void SetUp() override {
    ScreenEngineTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    ASSERT_FALSE(folder_.Path().empty());
    ASSERT_NE(nullptr, getcwd(previous_, sizeof(previous_)));
    ASSERT_EQ(0, chdir(folder_.Path().c_str()));
    gGameOptions = new cGameOptions;
    gSaveProfiles = new cSaveProfiles;
  }
  void TearDown() override {
    delete gSaveProfiles;
    gSaveProfiles = nullptr;
    delete gGameOptions;
    gGameOptions = nullptr;
    if (previous_[0] != '\0') {
      EXPECT_EQ(0, chdir(previous_));
    }
    ScreenEngineTest::TearDown();
    std::remove(packPath_.c_str());
  }

  // The font, the common menu backgrounds and the pictures given as
  // {name, colour}, each an 8 x 8 bitmap, and the files given as {path,
  // bytes}, served from a pack; then the screen stack.
  void MountData(const std::vector<std::pair<std::string, std::string>>& files,
                 const std::vector<std::pair<std::string, uint32_t>>& pictures = {}) {
    PackWriter pack;
    AddFont(pack);
    pack.Add("data/menu/MENU_background.bmp", PlainBitmap(0x101010));
    pack.Add("data/menu/window_background.bmp", PlainBitmap(0x202020));
    for (const auto& picture : pictures) {
      pack.Add(picture.first + ".bmp", PlainBitmap(picture.second));
    }
    for (const auto& file : files) {
      pack.Add(file.first, file.second);
    }
    packPath_ = ScratchPath("front_end.pak");
    ASSERT_TRUE(pack.WriteFile(packPath_));
    cPakFile::MountDefault(packPath_.c_str(), "");
    ASSERT_NE(nullptr, cPakFile::GetMounted());
    MakeScreenStack();
  }

  // An input as the tests give it; Send turns it into an event record.
  struct tInput {
    u32 type;
    u32 code;  // key code or pad-button mask
    u8 pressed;
    f32 seconds;  // of a tick
  };
  static tInput Key(u32 code, u8 pressed = 1) { return tInput{kEventKey, code, pressed, 0.0f}; }
  static tInput Pad(u32 mask, u8 pressed = 1) { return tInput{kEventPadButton, mask, pressed, 0.0f}; }
  static tInput Tick(f32 seconds) { return tInput{kEventTick, 0, 0, seconds}; }
  static void Fill(const tInput& input, tEvent* event) {
    event->type = input.type;
    if (input.type == kEventKey) {
      event->key = tKeyEvent{0, input.code, input.pressed};
    } else if (input.type == kEventPadButton) {
      event->padButton = tPadButtonEvent{0, input.code, input.pressed};
    } else {
      event->tick = tTickEvent{input.seconds};
    }
  }
  // The widget's own handler.
  static bool Send(cWgWidget* widget, const tInput& input) {
    tEvent event;
    Fill(input, &event);
    return widget->OnEvent(&event);
  }
  // Through the screen stack: the active screen's tree, then the render.
  static void SendToStack(const tInput& input) {
    tEvent event;
    Fill(input, &event);
    gScreenStack->OnEvent(&event);
  }

  // Makes the screen current on the stack, laid out.
  static void Activate(cScreen* screen) {
    gScreenStack->Push(screen);
    gScreenStack->Sync();
  }

  ScratchFolder folder_;

 private:
  char previous_[PATH_MAX] = {};
  std::string packPath_;
};
