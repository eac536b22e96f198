// Front-end tests on the engine's screen stack: the engine started on the
// Direct3D 8 stand-in (ScreenEngineTest), the working folder a scratch folder
// (for "save.dat" and the dictionary files), the data served from a pack
// that each test fills, and the options and save profiles made fresh.
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
#include "tests/support/screen_engine.h"

// A menu text file's group "text": NAME_TITLE, NAME_ITEM00.. and NAME_FOOTER
// of each {name, item count}, each text starting with the language code.
inline std::string MenuTextFile(const std::string& code, const std::vector<std::pair<std::string, int>>& menus) {
  std::string text = "[text]\n";
  for (const auto& menu : menus) {
    text += menu.first + "_TITLE = " + code + " " + menu.first + "\n" + menu.first + "_FOOTER = " + code + "\n";
    for (int i = 0; i < menu.second; i++) {
      text += menu.first + "_ITEM" + char('0' + i / 10) + char('0' + i % 10) + " = " + code + "\n";
    }
  }
  return text;
}

class FrontEndTest : public ScreenEngineTest {
 protected:
  FrontEndTest() : FrontEndTest(kWidth, kHeight) {}
  FrontEndTest(int width, int height)
      : ScreenEngineTest(width, height), folder_("front_end"), packPath_(ScratchPath("front_end.pak")) {}

  void SetUp() override {
    ScreenEngineTest::SetUp();
    ASSERT_FALSE(HasFatalFailure() || folder_.Path().empty());
    ASSERT_TRUE(getcwd(previous_, sizeof(previous_)) != nullptr && chdir(folder_.Path().c_str()) == 0);
    gGameOptions = new cGameOptions;
    gSaveProfiles = new cSaveProfiles;
  }
  void TearDown() override {
    delete gSaveProfiles;
    gSaveProfiles = nullptr;
    delete gGameOptions;
    gGameOptions = nullptr;
    EXPECT_TRUE(previous_[0] == '\0' || chdir(previous_) == 0);
    ScreenEngineTest::TearDown();
    std::remove(packPath_.c_str());
  }

  // The font, the common menu backgrounds, 8 x 8 pictures {name, colour}
  // and files {path, bytes} served from a pack; then the screen stack.
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
    ASSERT_TRUE(pack.WriteFile(packPath_));
    cPakFile::MountDefault(packPath_.c_str(), "");
    MakeScreenStack();
  }

  // An input as the tests give it: type, key code or pad mask, pressed, and
  // a tick's seconds.
  struct tInput {
    u32 type;
    u32 code;
    u8 pressed;
    f32 seconds;
  };
  static tInput Key(u32 code, u8 pressed = 1) { return tInput{kEventKey, code, pressed, 0.0f}; }
  static tInput Pad(u32 mask, u8 pressed = 1) { return tInput{kEventPadButton, mask, pressed, 0.0f}; }
  static tInput Tick(f32 seconds) { return tInput{kEventTick, 0, 0, seconds}; }
  // To the widget's own handler, or (null) through the screen stack.
  static bool Send(cWgWidget* widget, const tInput& input) {
    tEvent event;
    event.type = input.type;
    event.key = tKeyEvent{0, input.code, input.pressed};
    if (input.type == kEventPadButton) {
      event.padButton = tPadButtonEvent{0, input.code, input.pressed};
    } else if (input.type == kEventTick) {
      event.tick = tTickEvent{input.seconds};
    }
    return widget != nullptr ? widget->OnEvent(&event) : gScreenStack->OnEvent(&event);
  }
  static void SendToStack(const tInput& input) { Send(nullptr, input); }

  // The screen pushed and made current, laid out.
  static void Activate(cScreen* screen) {
    gScreenStack->Push(screen);
    gScreenStack->Sync();
  }

  ScratchFolder folder_;

 private:
  char previous_[PATH_MAX] = {};
  std::string packPath_;
};
