// The menu framework: navigation and selection, the pulse of the selected
// item, where the texts stand, the backgrounds, and what a missing text does.
#include "game/frontend/menus/wg_menu.h"

#include <string>
#include <vector>

#include "game/app/input/key_codes.h"
#include "game/frontend/menus/wg_menu_window.h"
#include "platform/win/win_testing.h"
#include "tests/game/frontend/front_end_fixture.h"

namespace {

// Records what its items and back handler were asked. A list menu's texts
// stand in x 0.2, width 0.8 of the screen; a window is x 0.15, y 0.2, width
// 0.7, height 0.6.
template <class Menu>
class Recording : public Menu {
 public:
  template <class... Placements>
  Recording(cScreen_Menu* owner, const char* name, u32 count, const Placements&... placements)
      : Menu(owner, name, count, placements...) {}
  void OnSelect(u32 item) override { calls += "select" + std::to_string(item) + " "; }
  void OnBack() override { calls += "back "; }
  std::string calls;
};

struct RecordingMenu : Recording<cWgMenu_Menu> {
  RecordingMenu(cScreen_Menu* owner, const char* name, u32 count)
      : Recording(owner, name, count, tWgPlacement(), tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f)) {}
};

struct RecordingWindow : Recording<cWgMenu_Window> {
  RecordingWindow(cScreen_Menu* owner, const char* name, u32 count)
      : Recording(owner, name, count, tWgPlacement::Fractions(0.15f, 0.2f, 0.7f, 0.6f)) {}
};

const std::vector<std::pair<std::string, int>> kMenus = {{"NONE", 0},  {"ONE", 1}, {"TWO", 2},
                                                         {"THREE", 3}, {"SIX", 6}, {"FIVE", 5}};

}  // namespace

class MenuTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    MountData({{"data/menu/text_d.txt", MenuTextFile("d", kMenus)}, {"data/menu/text_eng.txt", "[other]\nA = 1\n"}},
              {{"data/menu/ONE_background", 0x4080C0}});
    screen_ = new cScreen_Menu;
  }
  void TearDown() override {
    delete screen_;
    FrontEndTest::TearDown();
  }

  cScreen_Menu* screen_ = nullptr;
};

TEST_F(MenuTest, NavigationStopsAtTheEndsAndSkipsDisabledItems) {
  struct Row {
    const char* what;
    const char* name;
    u32 count;
    std::vector<u32> disabled;
    std::vector<tInput> events;
    u32 current;
    const char* calls;
  };
  const Row rows[] = {
      {"down to the end, no wrap", "THREE", 3, {}, {Key(kKeyDown), Key(kKeyDown), Key(kKeyDown)}, 2, ""},
      {"up at the top", "THREE", 3, {}, {Key(kKeyUp)}, 0, ""},
      {"disabled skipped both ways", "SIX", 6, {1, 2}, {Key(kKeyDown), Key(kKeyUp)}, 0, ""},
      {"first items disabled", "SIX", 6, {0, 1}, {Key(kKeyEnter)}, 2, "select2 "},
      {"enter on a disabled current", "TWO", 2, {0, 1}, {Key(kKeyEnter), Pad(kPadSelect)}, 0, ""},
      {"no items", "NONE", 0, {}, {Key(kKeyEnter)}, 0, "select0 "},
      {"escape and pad back", "TWO", 2, {}, {Key(kKeyEsc), Pad(kPadBack)}, 0, "back back "},
      {"pad", "THREE", 3, {}, {Pad(kPadDown), Pad(kPadDown), Pad(kPadUp), Pad(kPadSelect)}, 1, "select1 "},
      {"releases ignored", "THREE", 3, {}, {Key(kKeyDown, 0), Key(kKeyEnter, 0), Pad(kPadDown, 0)}, 0, ""},
      {"two pad buttons match none", "THREE", 3, {}, {Pad(kPadDown | kPadSelect)}, 0, ""},
      {"left and right are not the list's", "THREE", 3, {}, {Key(kKeyRight), Pad(kPadRight)}, 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    RecordingMenu menu(screen_, row.name, row.count);
    for (u32 item : row.disabled) {
      menu.EnableItem(item, false);
    }
    for (const tInput& input : row.events) {
      EXPECT_FALSE(Send(&menu, input));
    }
    EXPECT_EQ(row.current, menu.GetCurrent());
    EXPECT_EQ(row.calls, menu.calls);
    for (u32 i = 0; i < row.count; i++) {
      EXPECT_EQ(i == row.current && menu.GetItem(i)->IsEnabled(), menu.GetItem(i)->IsSelected()) << i;
    }
  }
}

TEST_F(MenuTest, WindowMovesSidewaysAndTakesEveryEvent) {
  RecordingWindow window(screen_, "TWO", 2);
  window.EnableItem(1, false);
  for (const tInput& input : {Key(kKeyDown), Key(kKeyRight), Key(kKeyEnter), Key(kKeyEsc), Pad(kPadSelect)}) {
    EXPECT_TRUE(Send(&window, input));
  }
  EXPECT_EQ(0u, window.GetCurrent());
  EXPECT_EQ("select0 back select0 ", window.calls);
  window.EnableItem(1, true);
  Send(&window, Key(kKeyRight));
  EXPECT_EQ(1u, window.GetCurrent());
  Send(&window, Pad(kPadLeft));
  EXPECT_EQ(0u, window.GetCurrent());
}

namespace {

DWORD sClockMs = 0;
DWORD TestClock(void*) { return sClockMs; }

}  // namespace

TEST_F(MenuTest, SelectedItemPulsesOver768Milliseconds) {
  struct Row {
    DWORD ms;
    u8 alpha;
  };
  // t = ms / 3 rises to 127, then 127 - t % 128 falls back.
  const Row rows[] = {{0, 85}, {6, 86}, {381, 169}, {384, 169}, {576, 126}, {765, 85}, {768 + 381, 169}};
  RecordingMenu menu(screen_, "TWO", 2);
  WinTestSetClock(TestClock, nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.ms);
    sClockMs = row.ms;
    EXPECT_FALSE(Send(menu.GetItem(0), Tick(0.04f)));
    EXPECT_FALSE(Send(menu.GetItem(1), Tick(0.04f)));
    EXPECT_EQ(row.alpha, menu.GetItem(0)->GetCurrentColour().alpha);
    EXPECT_EQ(255, menu.GetItem(1)->GetCurrentColour().alpha);  // not selected: no pulse
  }
  WinTestSetClock(nullptr, nullptr);
  menu.EnableItem(1, false);
  EXPECT_EQ(kMenuDisabledAlpha, menu.GetItem(1)->GetCurrentColour().alpha);
}

TEST_F(MenuTest, TextsStandInRowsOfTheTextRectangle) {
  // The text rectangle: x 0.2 and width 0.8 of 640 x 480; the window's
  // 0.15, 0.2, 0.7, 0.6 of it.
  struct Row {
    const char* name;
    u32 count;
    bool window;
    std::vector<float> at;  // item y (list) or x (window), fractions
  };
  const Row rows[] = {
      {"ONE", 1, false, {0.7f}},
      {"TWO", 2, false, {0.27f, 0.40f}},
      {"THREE", 3, false, {0.62f / 3 + 0.1f, 2 * 0.62f / 3 + 0.1f, 0.72f}},
      {"SIX", 6, false, {0.62f / 6 + 0.1f, 0.62f / 3 + 0.1f, 0.41f, 2 * 0.62f / 3 + 0.1f, 5 * 0.62f / 6 + 0.1f, 0.72f}},
      {"TWO", 2, true, {0.15f, 0.7f}},
      {"THREE", 3, true, {0.03f, 0.38f, 0.7f}},
      {"FIVE", 5, true, {0.14f, 0.34f, 0.54f, 0.74f, 0.94f}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + (row.window ? " window" : ""));
    RecordingMenu list(screen_, row.name, row.count);
    RecordingWindow window(screen_, row.name, row.count);
    cWgMenu_Menu& menu = row.window ? static_cast<cWgMenu_Menu&>(window) : list;
    menu.Show();
    Activate(screen_);
    gScreenStack->Relayout();
    const float w = row.window ? 448.0f : 512.0f;
    const float h = row.window ? 288.0f : 480.0f;
    menu.Layout();
    EXPECT_NEAR(0.1f * h, menu.GetTitle().GetY(), 0.01f);
    EXPECT_NEAR(0.9f * h, menu.GetFooter().GetY(), 0.01f);
    for (u32 i = 0; i < row.count; i++) {
      SCOPED_TRACE(i);
      cWgMenuItem* item = menu.GetItem(i);
      EXPECT_NEAR((row.window ? 50.0f : 35.0f) * h / 480.0f, item->GetTextHeight(), 0.01f);
      if (row.window) {
        EXPECT_NEAR(0.7f * h, item->GetY(), 0.01f);
        EXPECT_NEAR(row.at[i] * w, item->GetX(), 0.01f);
        EXPECT_FALSE(item->IsCentred());
      } else {
        EXPECT_NEAR(row.at[i] * h, item->GetY(), 0.01f);
        EXPECT_TRUE(item->IsCentred());
      }
    }
    EXPECT_EQ(static_cast<u32>(row.count + 3), screen_->GetChildren().Count());
    menu.Hide();
    EXPECT_TRUE(screen_->GetChildren().IsEmpty());
    gScreenStack->Pop();
  }
}

TEST_F(MenuTest, OwnBackgroundElseTheCommonOne) {
  RecordingMenu own(screen_, "ONE", 1);
  RecordingMenu common(screen_, "TWO", 2);
  RecordingWindow window(screen_, "ONE", 1);
  const auto name = [](cWgMenu_Menu& menu) {
    return menu.GetBackground().GetTexture() != nullptr ? std::string(menu.GetBackground().GetTexture()->name) : "";
  };
  EXPECT_EQ("ONE_background", name(own));
  EXPECT_EQ("MENU_background", name(common));
  EXPECT_EQ("window_background", name(window));
}

using MenuDeathTest = MenuTest;

TEST_F(MenuDeathTest, MissingTextsEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(RecordingMenu(screen_, "SEVEN", 7), "cWgMenu_Menu : Property not found! \\(SEVEN_TITLE\\)");
  EXPECT_DEATH(RecordingMenu(screen_, "TWO", 3), "cWgMenu_Menu : Property not found! \\(TWO_ITEM02\\)");
  gGameOptions->SetLanguage(1);
  EXPECT_DEATH(
      {
        cScreen_Menu english;
        RecordingMenu menu(&english, "TWO", 2);
      },
      "cWgMenu_Menu : PropertyGroup not found! \\(text\\)");
  EXPECT_DEATH(
      {
        cPakFile::Shutdown();
        cScreen_Menu screen;
      },
      "cScreen_Menu : unable to load text file");
}
