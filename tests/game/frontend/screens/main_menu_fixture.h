// The main menu screen on the texts of every menu, pushed on the stack, the
// clock injected.
#pragma once

#include <string>
#include <vector>

#include "game/app/input/key_codes.h"
#include "game/app/startup/app_config.h"
#include "game/frontend/menus/wg_menu_options.h"
#include "game/frontend/screens/screen_main_menu.h"
#include "platform/win/win_testing.h"
#include "tests/game/frontend/front_end_fixture.h"

namespace main_menu_test {

// NAME_FOOTER and two pages of text of each viewer.
inline std::string PageTexts(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += name + "_FOOTER = f\n" + name + "_TEXT00 = " + name + " 0\n" + name + "_TEXT01 = " + name + " 1\n";
  }
  return text;
}

inline std::string MainMenuTexts(const std::string& code) {
  return MenuTextFile(code, {{"MAIN", 5},
                             {"LEVEL", 6},
                             {"OPTION", 5},
                             {"OPTION_LANGUAGE", 2},
                             {"DIFFICULTY", 2},
                             {"QUIT", 2},
                             {"NEWGAME", 0},
                             {"CONTINUE", 0},
                             {"DELETE_MENU", 0},
                             {"DELETE_WINDOW", 3},
                             {"EXTRAS", 6},
                             {"ACTORS", 3},
                             {"EPISODES", 4}}) +
         "LOCKED = locked\nCONCEPT_FOOTER = c\n" +
         PageTexts({"VOSTEK", "PIRENA", "HALDO", "TESKLO", "ORDAN", "SALVERN", "KUMB"}) + "ON = " + code +
         "on\nOFF = " + code + "off\nOPTION_FOOTER_LEFT_RIGHT = sideways\n";
}

inline DWORD sClockMs = 0;
inline DWORD TestClock(void*) { return sClockMs; }

}  // namespace main_menu_test

using main_menu_test::sClockMs;
using main_menu_test::TestClock;

class MainMenuTest : public FrontEndTest {
 protected:
  MainMenuTest() = default;
  MainMenuTest(int width, int height) : FrontEndTest(width, height) {}
  void SetUp() override {
    FrontEndTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    MountData({{"data/menu/text_d.txt", main_menu_test::MainMenuTexts("d")},
               {"data/menu/text_eng.txt", main_menu_test::MainMenuTexts("eng")},
               {"data/config.txt", "[end_texts]\nENDTEXTS = data/end\n[credit_list]\nCREDITLIST = data/credits\n"},
               {"data/end_eng.txt", "[TEXTS]\nMESSAGE01 = one\nMESSAGE02 = two\nMESSAGE06 = six\n"},
               {"data/credits_eng.txt", "[CREDITS]\nCREDITLIST = [^Heading,  Ann  , Bo\t]\n"}},
              pictures_);
    ASSERT_FALSE(HasFatalFailure());
    gGameOptions->SetLanguage(1);
    gAppConfig.quit = 0;
    sClockMs = 1000;
    WinTestSetClock(TestClock, nullptr);
  }
  void TearDown() override {
    TearDownScreen();
    WinTestSetClock(nullptr, nullptr);
    gAppConfig.quit = 0;
    FrontEndTest::TearDown();
  }

  void TearDownScreen() {
    if (screen_ != nullptr && gScreenStack->GetTopScreen() == screen_) {
      gScreenStack->Pop();
    }
    delete screen_;
    screen_ = nullptr;
  }
  void Open(const cPropertyFile* config = nullptr) {
    screen_ = new cScreen_MainMenu(config);
    Activate(screen_);
  }
  void Run(const std::vector<tInput>& inputs) {
    for (const tInput& input : inputs) {
      SendToStack(input);
    }
  }
  bool Popped() const { return gScreenStack->GetTopScreen() != screen_; }
  cWgMenu_Options* Options() const { return static_cast<cWgMenu_Options*>(screen_->GetMenu(kMenuOption)); }

  cScreen_MainMenu* screen_ = nullptr;
  // Pictures served besides the texts: set before SetUp.
  std::vector<std::pair<std::string, uint32_t>> pictures_;
};
