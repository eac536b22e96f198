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

// Records what its items and back handler were asked: a list menu whose
// texts stand in x 0.2, width 0.8 of the screen, or a window at x 0.15,
// y 0.2, width 0.7, height 0.6.
template <class Menu>
struct Recording : Menu {
  template <class... Placements>
  Recording(cScreen_Menu* owner, const char* name, u32 count, const Placements&... placements)
      : Menu(owner, name, count, placements...) {}
  void OnSelect(u32 item) override { calls += "select" + std::to_string(item) + " "; }
  void OnBack() override { calls += "back "; }
  std::string calls;
};
const tWgPlacement kTextPlace = tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f);
const tWgPlacement kWindowPlace = tWgPlacement::Fractions(0.15f, 0.2f, 0.7f, 0.6f);

DWORD sMenuClockMs = 0;
DWORD MenuTestClock(void*) { return sMenuClockMs; }

}  // namespace

class MenuTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    MountData({{"data/menu/text_d.txt",
                MenuTextFile("d", {{"NONE", 0}, {"ONE", 1}, {"TWO", 2}, {"THREE", 3}, {"FIVE", 5}, {"SIX", 6}})},
               {"data/menu/text_eng.txt", "[other]\nA = 1\n"}},
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
    bool window;
    u32 count;
    std::vector<u32> disabled;
    std::vector<tInput> events;
    u32 current;
    const char* calls;
  };
  const Row rows[] = {
      {"down to the end, no wrap", false, 3, {}, {Key(kKeyDown), Key(kKeyDown), Key(kKeyDown)}, 2, ""},
      {"up at the top", false, 3, {}, {Key(kKeyUp)}, 0, ""},
      {"disabled skipped both ways", false, 6, {1, 2}, {Key(kKeyDown), Key(kKeyUp)}, 0, ""},
      {"first items disabled", false, 6, {0, 1}, {Key(kKeyEnter)}, 2, "select2 "},
      {"enter on a disabled current", false, 2, {0, 1}, {Key(kKeyEnter), Pad(kPadSelect)}, 0, ""},
      {"no items", false, 0, {}, {Key(kKeyEnter)}, 0, "select0 "},
      {"escape and pad back", false, 2, {}, {Key(kKeyEsc), Pad(kPadBack)}, 0, "back back "},
      {"pad", false, 3, {}, {Pad(kPadDown), Pad(kPadDown), Pad(kPadUp), Pad(kPadSelect)}, 1, "select1 "},
      {"releases ignored", false, 3, {}, {Key(kKeyDown, 0), Key(kKeyEnter, 0), Pad(kPadDown, 0)}, 0, ""},
      {"two pad buttons match none", false, 3, {}, {Pad(kPadDown | kPadSelect)}, 0, ""},
      {"sideways is not the list's", false, 3, {}, {Key(kKeyRight), Pad(kPadRight)}, 0, ""},
      {"window: sideways only", true, 3, {}, {Key(kKeyDown), Key(kKeyRight), Pad(kPadRight), Pad(kPadLeft)}, 1, ""},
      {"window: enter on disabled",
       true,
       2,
       {0},
       {Key(kKeyEnter), Key(kKeyEsc), Pad(kPadSelect)},
       1,
       "select1 back select1 "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const char* name = row.count == 0 ? "NONE" : row.count == 2 ? "TWO" : row.count == 3 ? "THREE" : "SIX";
    Recording<cWgMenu_Menu> list(screen_, name, row.count, tWgPlacement(), kTextPlace);
    Recording<cWgMenu_Window> window(screen_, name, row.count, kWindowPlace);
    cWgMenu_Menu& menu = row.window ? static_cast<cWgMenu_Menu&>(window) : list;
    for (u32 item : row.disabled) {
      menu.EnableItem(item, false);
    }
    for (const tInput& input : row.events) {
      EXPECT_EQ(row.window, Send(&menu, input));  // a window takes every event
    }
    EXPECT_EQ(row.current, menu.GetCurrent());
    EXPECT_EQ(row.calls, row.window ? window.calls : list.calls);
    for (u32 i = 0; i < row.count; i++) {
      EXPECT_EQ(i == row.current && menu.GetItem(i)->IsEnabled(), menu.GetItem(i)->IsSelected()) << i;
    }
  }
}

TEST_F(MenuTest, SelectedItemPulsesOver768Milliseconds) {
  // t = ms / 3 rises to 127, then 127 - t % 128 falls back.
  const std::pair<DWORD, u8> rows[] = {{0, 85},    {6, 86},   {381, 169},      {384, 169},
                                       {576, 126}, {765, 85}, {768 + 381, 169}};
  Recording<cWgMenu_Menu> menu(screen_, "TWO", 2, tWgPlacement(), kTextPlace);
  WinTestSetClock(MenuTestClock, nullptr);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first);
    sMenuClockMs = row.first;
    EXPECT_FALSE(Send(menu.GetItem(0), Tick(0.04f)));
    EXPECT_FALSE(Send(menu.GetItem(1), Tick(0.04f)));
    EXPECT_EQ(row.second, menu.GetItem(0)->GetCurrentColour().alpha);
    EXPECT_EQ(255, menu.GetItem(1)->GetCurrentColour().alpha);  // not selected: no pulse
  }
  WinTestSetClock(nullptr, nullptr);
  menu.EnableItem(1, false);
  EXPECT_EQ(kMenuDisabledAlpha, menu.GetItem(1)->GetCurrentColour().alpha);
}

TEST_F(MenuTest, TextsStandInRowsOfTheTextRectangle) {
  struct Row {
    const char* name;
    bool window;
    std::vector<float> at;  // item y (list) or x (window), fractions of the texts' rectangle
  };
  const float third = 0.62f / 3;
  const Row rows[] = {
      {"ONE", false, {0.7f}},
      {"TWO", false, {0.27f, 0.40f}},
      {"THREE", false, {third + 0.1f, 2 * third + 0.1f, 0.72f}},
      {"SIX", false, {third / 2 + 0.1f, third + 0.1f, 0.41f, 2 * third + 0.1f, 2.5f * third + 0.1f, 0.72f}},
      {"ONE", true, {0.0f}},
      {"TWO", true, {0.15f, 0.7f}},
      {"THREE", true, {0.03f, 0.38f, 0.7f}},
      {"FIVE", true, {0.14f, 0.34f, 0.54f, 0.74f, 0.94f}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + (row.window ? " window" : ""));
    const u32 count = static_cast<u32>(row.at.size());
    Recording<cWgMenu_Menu> list(screen_, row.name, count, tWgPlacement(), kTextPlace);
    Recording<cWgMenu_Window> window(screen_, row.name, count, kWindowPlace);
    cWgMenu_Menu& menu = row.window ? static_cast<cWgMenu_Menu&>(window) : list;
    menu.Show();
    EXPECT_EQ(count + 3, screen_->GetChildren().Count());
    Activate(screen_);
    menu.Layout();
    const float w = row.window ? 448.0f : 512.0f;
    const float h = row.window ? 288.0f : 480.0f;
    EXPECT_NEAR(0.1f * h, menu.GetTitle().GetY(), 0.01f);
    EXPECT_NEAR(0.9f * h, menu.GetFooter().GetY(), 0.01f);
    for (u32 i = 0; i < count; i++) {
      cWgMenuItem* item = menu.GetItem(i);
      EXPECT_NEAR((row.window ? 50.0f : 35.0f) * h / 480.0f, item->GetTextHeight(), 0.01f) << i;
      EXPECT_NEAR(row.window ? row.at[i] * w : 0.0f, item->GetX(), 0.01f) << i;
      EXPECT_NEAR(row.window ? 0.7f * h : row.at[i] * h, item->GetY(), 0.01f) << i;
      EXPECT_EQ(!row.window || count == 1, item->IsCentred()) << i;
    }
    menu.Hide();
    EXPECT_TRUE(screen_->GetChildren().IsEmpty());
    gScreenStack->Pop();
  }
}

TEST_F(MenuTest, OwnBackgroundElseTheCommonOne) {
  Recording<cWgMenu_Menu> own(screen_, "ONE", 1, tWgPlacement(), kTextPlace);
  Recording<cWgMenu_Menu> common(screen_, "TWO", 2, tWgPlacement(), kTextPlace);
  Recording<cWgMenu_Window> window(screen_, "ONE", 1, kWindowPlace);
  for (auto pair : {std::make_pair(&own.GetBackground(), "ONE_background"),
                    std::make_pair(&common.GetBackground(), "MENU_background"),
                    std::make_pair(&window.GetBackground(), "window_background")}) {
    ASSERT_NE(nullptr, pair.first->GetTexture());
    EXPECT_STREQ(pair.second, pair.first->GetTexture()->name);
  }
}

using MenuDeathTest = MenuTest;

TEST_F(MenuDeathTest, MissingTextsEndTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  using List = Recording<cWgMenu_Menu>;
  EXPECT_DEATH(List(screen_, "SEVEN", 7, tWgPlacement(), kTextPlace), "Property not found! \\(SEVEN_TITLE\\)");
  EXPECT_DEATH(List(screen_, "TWO", 3, tWgPlacement(), kTextPlace), "Property not found! \\(TWO_ITEM02\\)");
  gGameOptions->SetLanguage(1);
  EXPECT_DEATH(
      {
        cScreen_Menu english;
        List menu(&english, "TWO", 2, tWgPlacement(), kTextPlace);
      },
      "cWgMenu_Menu : PropertyGroup not found! \\(text\\)");
  EXPECT_DEATH(
      {
        cPakFile::Shutdown();
        cScreen_Menu screen;
      },
      "cScreen_Menu : unable to load text file");
}
