// The screen fader's alpha over the renders of a fade, ignored requests and
// the hold.
#include "game/frontend/screens/wg_screen_fader.h"

#include <vector>

#include "tests/game/frontend/front_end_fixture.h"

namespace {

struct Request {
  char what;  // 'o' FadeOut, else FadeIn
  u32 frames;
};

}  // namespace

class ScreenFaderTest : public FrontEndTest {};

TEST_F(ScreenFaderTest, AlphaFollowsTheFadeAndTheHold) {
  struct Row {
    const char* what;
    std::vector<Request> requests;
    u32 renders;
    std::vector<u8> alphas;  // after each render
    bool fading;
  };
  const Row rows[] = {
      {"out over 4", {{'o', 4}}, 4, {63, 127, 191, 255}, false},
      {"in over 4", {{'i', 4}}, 4, {192, 128, 64, 0}, false},
      {"in ignored during out", {{'o', 3}, {'i', 16}}, 3, {85, 170, 255}, false},
      {"0 frames taken as one", {{'o', 0}}, 1, {255}, false},
      {"part of a fade", {{'o', 75}}, 2, {3, 6}, true},
      {"idle draws nothing", {}, 2, {255, 255}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    cWgScreenFader fader{tWgPlacement()};
    for (const Request& request : row.requests) {
      if (request.what == 'o') {
        fader.FadeOut(request.frames);
      } else {
        fader.FadeIn(request.frames);
      }
    }
    for (u32 i = 0; i < row.renders; i++) {
      fader.Render();
      EXPECT_EQ(row.alphas[i], fader.GetColour().alpha) << i;
    }
    EXPECT_EQ(row.fading, fader.IsFading());
  }
}

TEST_F(ScreenFaderTest, HoldKeepsBlackUntilAFadeIn) {
  cWgScreenFader fader{tWgPlacement()};
  fader.FadeOut(2);
  fader.SetHold(true);
  for (int i = 0; i < 5; i++) {
    fader.Render();
  }
  EXPECT_EQ(255, fader.GetColour().alpha);
  fader.FadeIn(2);
  fader.Render();
  fader.Render();
  EXPECT_EQ(0, fader.GetColour().alpha);
  fader.SetHold(false);
  fader.Render();
  EXPECT_EQ(0, fader.GetColour().alpha);
  EXPECT_FALSE(fader.IsHeld());
}
