// The front end's own pictures: the three intro logos, the menus' common
// background, the window menus' background, the loading screen with its bar
// piece, the end pictures, the credits' background and the extras' pages,
// drawn from shapes and the charset's glyphs instead of labelled
// placeholders.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "tools/demo/demo.h"
#include "tools/demo/picture.h"

namespace demo {
namespace {

constexpr int kLogoSize = 256;
constexpr int kWindowSize = 256;
// The window's frame and its inner line, in pixels from the edge.
constexpr int kWindowFrame = 2;
constexpr int kWindowInnerLine = 2;
constexpr int kBarPieceSize = 32;
constexpr int kBarPieceGap = 5;
constexpr int kGlyphWidth = 8;
constexpr double kPi = 3.14159265358979;

// Top to bottom from one colour to the other.
Picture Gradient(int size, uint32_t top, uint32_t bottom) {
  Picture picture(size, size, top);
  for (int y = 0; y < size; y++) {
    for (int x = 0; x < size; x++) {
      picture.Set(x, y, Mix(top, bottom, static_cast<double>(y) / (size - 1)));
    }
  }
  return picture;
}

// Text centred across the picture with a one-pixel shadow.
void CentredText(Picture& picture, int y, const std::string& text, uint32_t colour, int scale) {
  const int x = (picture.width - static_cast<int>(text.size()) * kGlyphWidth * scale) / 2;
  DrawText(picture, x + scale, y + scale, text, 0x000000, scale);
  DrawText(picture, x, y, text, colour, scale);
}

// Distance of (x, y) from the segment (ax, ay) - (bx, by).
double SegmentDistance(double x, double y, double ax, double ay, double bx, double by) {
  const double dx = bx - ax;
  const double dy = by - ay;
  double t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy);
  t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
  return std::hypot(x - (ax + t * dx), y - (ay + t * dy));
}

// A chevron of two bars shaded from cyan to violet over a night-blue sky.
Picture VuxLogo() {
  Picture picture = Gradient(kLogoSize, 0x05081A, 0x142450);
  for (int y = 0; y < kLogoSize; y++) {
    for (int x = 0; x < kLogoSize; x++) {
      const double bar = std::min(SegmentDistance(x, y, 52, 40, 128, 172), SegmentDistance(x, y, 204, 40, 128, 172));
      if (bar < 14.0) {
        picture.Set(x, y, Mix(0x30D0FF, 0x9040FF, static_cast<double>(x) / kLogoSize));
      } else if (bar < 17.0) {
        picture.Set(x, y, 0xE0F0FF);
      }
    }
  }
  CentredText(picture, 196, "VUX", 0xFFFFFF, 3);
  return picture;
}

// Three nested amber diamonds round a bright core on brown-black.
Picture ZidLogo() {
  Picture picture = Gradient(kLogoSize, 0x1C0E04, 0x060302);
  const int cx = kLogoSize / 2;
  const int cy = 108;
  for (int y = 0; y < kLogoSize; y++) {
    for (int x = 0; x < kLogoSize; x++) {
      const int d = std::abs(x - cx) + std::abs(y - cy);
      if (d < 26) {
        picture.Set(x, y, Mix(0xFFE080, 0xFF9020, d / 26.0));
      } else if ((d >= 48 && d < 54) || (d >= 72 && d < 78) || (d >= 96 && d < 102)) {
        picture.Set(x, y, Mix(0xFFA030, 0x803808, (d - 48) / 54.0));
      }
    }
  }
  CentredText(picture, 206, "ZID", 0xFFD8A0, 3);
  return picture;
}

// A steel gear with twelve teeth and a hub.
Picture EngineLogo() {
  Picture picture = Gradient(kLogoSize, 0x262626, 0x0A0A0A);
  const double cx = kLogoSize / 2.0;
  const double cy = 104.0;
  for (int y = 0; y < kLogoSize; y++) {
    for (int x = 0; x < kLogoSize; x++) {
      const double r = std::hypot(x - cx, y - cy);
      const double turn = (std::atan2(y - cy, x - cx) + kPi) / (2.0 * kPi) * 12.0;
      const bool tooth = r >= 66.0 && r < 84.0 && turn - std::floor(turn) < 0.5;
      const bool rim = r >= 40.0 && r < 66.0;
      const bool hub = r < 16.0;
      if (tooth || rim || hub) {
        picture.Set(x, y, Mix(0xD0DCE8, 0x5A6470, (y - cy + 84.0) / 168.0));
      }
    }
  }
  CentredText(picture, 206, "ENGINE", 0xC8D8E8, 2);
  return picture;
}

// Deep blue fading to black under a grid of lines mixed in by line, and a
// band glowing by glow a tenth of the way down (0: none).
Picture GridBackground(double line, double glow) {
  Picture picture = Gradient(kLogoSize, 0x0A1830, 0x020408);
  for (int y = 0; y < kLogoSize; y++) {
    const double band = glow * std::exp(-std::pow((y - 36) / 10.0, 2.0));
    for (int x = 0; x < kLogoSize; x++) {
      uint32_t colour = picture.pixels[static_cast<size_t>(y) * kLogoSize + x];
      if (x % 32 == 0 || y % 32 == 0) {
        colour = Mix(colour, 0x2A5080, line);
      }
      picture.Set(x, y, Mix(colour, 0x3C8CD0, band));
    }
  }
  return picture;
}

// The menus' background: the grid, and the band glowing behind their titles.
Picture MenuBackground() { return GridBackground(0.5, 0.6); }

// Dark slate with a steel-blue frame and a lighter inner line. The window
// menus write their footer a tenth of the height from the bottom, about a
// fourteenth of the height tall, and its descenders come down to within a
// fiftieth of the bottom edge: the frame and its line keep to the outer
// hundredth of the picture (blurred by half a pixel when stretched).
Picture WindowBackground() {
  Picture picture = Gradient(kWindowSize, 0x18222E, 0x0C1218);
  for (int y = 0; y < kWindowSize; y++) {
    for (int x = 0; x < kWindowSize; x++) {
      const int edge = std::min(std::min(x, kWindowSize - 1 - x), std::min(y, kWindowSize - 1 - y));
      if (edge < kWindowFrame) {
        picture.Set(x, y, 0x5078A0);
      } else if (edge == kWindowInnerLine) {
        picture.Set(x, y, 0x90B8E0);
      }
    }
  }
  return picture;
}

// The picture behind the loading bar: the game's name over a corridor that
// runs into the distance towards a lit doorway, and a dark trough with a
// thin frame where the bar fills (0.15 to 0.84 across, 0.91 to 0.93 down).
Picture LoaderPicture() {
  Picture picture = Gradient(kLogoSize, 0x0A1628, 0x020408);
  // The corridor: frames from the screen's edge inwards to the doorway,
  // closer together with distance, joined at their corners.
  const double cx = 128.0;
  const double cy = 136.0;
  const double nearHalfW = 120.0;
  const double nearHalfH = 80.0;
  const double farHalfW = 18.0;
  const double farHalfH = 26.0;
  const double depths[] = {0.0, 0.45, 0.7, 0.85, 0.93, 1.0};
  for (double t : depths) {
    const double hw = nearHalfW + (farHalfW - nearHalfW) * t;
    const double hh = nearHalfH + (farHalfH - nearHalfH) * t;
    const uint32_t colour = Mix(0x3C6C9C, 0x1A3050, t);
    for (int x = static_cast<int>(cx - hw); x <= static_cast<int>(cx + hw); x++) {
      picture.Set(x, static_cast<int>(cy - hh), colour);
      picture.Set(x, static_cast<int>(cy + hh), colour);
    }
    for (int y = static_cast<int>(cy - hh); y <= static_cast<int>(cy + hh); y++) {
      picture.Set(static_cast<int>(cx - hw), y, colour);
      picture.Set(static_cast<int>(cx + hw), y, colour);
    }
  }
  for (int sx : {-1, 1}) {
    for (int sy : {-1, 1}) {
      for (int step = 0; step <= 200; step++) {
        const double t = step / 200.0;
        const double x = cx + sx * (nearHalfW + (farHalfW - nearHalfW) * t);
        const double y = cy + sy * (nearHalfH + (farHalfH - nearHalfH) * t);
        picture.Set(static_cast<int>(x), static_cast<int>(y), Mix(0x3C6C9C, 0x1A3050, t));
      }
    }
  }
  // The doorway's light, brightest at its middle.
  for (int y = static_cast<int>(cy - farHalfH) + 1; y < static_cast<int>(cy + farHalfH); y++) {
    for (int x = static_cast<int>(cx - farHalfW) + 1; x < static_cast<int>(cx + farHalfW); x++) {
      const double glow = std::exp(-std::pow((x - cx) / 12.0, 2.0) - std::pow((y - cy) / 20.0, 2.0));
      picture.Set(x, y, Mix(0x0C2038, 0x9CE0FF, glow));
    }
  }
  CentredText(picture, 6, "TESSARAK", 0xD8E8F8, 3);
  // The trough, a little larger than the bar all round.
  const int left = static_cast<int>(0.15 * kLogoSize) - 3;
  const int right = static_cast<int>(0.84 * kLogoSize) + 3;
  const int top = static_cast<int>(0.91 * kLogoSize) - 3;
  const int bottom = static_cast<int>(0.93 * kLogoSize) + 3;
  for (int y = top; y <= bottom; y++) {
    for (int x = left; x <= right; x++) {
      const bool frame = y == top || y == bottom || x == left || x == right;
      picture.Set(x, y, frame ? 0x5078A0 : 0x01050C);
    }
  }
  return picture;
}

// One piece of the loading bar, repeated along it: a bright block between
// dark gaps, so the bar fills in segments.
Picture BarPiece() {
  Picture picture(kBarPieceSize, kBarPieceSize, 0x01050C);
  for (int y = 0; y < kBarPieceSize; y++) {
    const uint32_t colour = Mix(0x9CE0FF, 0x2A70C0, static_cast<double>(y) / (kBarPieceSize - 1));
    for (int x = kBarPieceGap; x < kBarPieceSize - kBarPieceGap; x++) {
      picture.Set(x, y, colour);
    }
  }
  return picture;
}

// The picture at half its size, each pixel the mean of four: the pages
// that fill the screen behind text are kept at 128 pixels, as the
// placeholders they replace were, so the data set stays small.
Picture Halved(const Picture& full) {
  Picture half(full.width / 2, full.height / 2, 0);
  for (int y = 0; y < half.height; y++) {
    for (int x = 0; x < half.width; x++) {
      const auto at = [&full](int fx, int fy) { return full.pixels[static_cast<size_t>(fy) * full.width + fx]; };
      const uint32_t top = Mix(at(2 * x, 2 * y), at(2 * x + 1, 2 * y), 0.5);
      const uint32_t bottom = Mix(at(2 * x, 2 * y + 1), at(2 * x + 1, 2 * y + 1), 0.5);
      half.Set(x, y, Mix(top, bottom, 0.5));
    }
  }
  return half;
}

// The three end pictures: the city's skyline at night, at dawn and by day,
// each tower a block with rows of windows, some lit. The end screen shows
// the picture in a wide band, so nothing round is drawn: it would stretch.
struct SkyLight {
  uint32_t skyTop;
  uint32_t skyHorizon;
  uint32_t tower;
  uint32_t window;
  int litInEight;  // how many windows of eight are lit
};

Picture EndPicture(const SkyLight& light) {
  Picture picture = Gradient(kLogoSize, light.skyTop, light.skyHorizon);
  uint32_t seed = 0x5EED1234u;  // the same skyline in each picture
  const auto next = [&seed](uint32_t range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 16) % range);
  };
  const int ground = kLogoSize - 40;
  for (int x = 0; x < kLogoSize;) {
    const int width = 14 + next(22);
    const int top = 70 + next(100);
    for (int y = top; y < ground; y++) {
      for (int col = x; col < std::min(x + width - 2, kLogoSize); col++) {
        picture.Set(col, y, light.tower);
      }
    }
    for (int wy = top + 5; wy + 4 < ground; wy += 9) {
      for (int wx = x + 3; wx + 3 < std::min(x + width - 2, kLogoSize); wx += 6) {
        if (next(8) < light.litInEight) {
          for (int dy = 0; dy < 4; dy++) {
            picture.Set(wx, wy + dy, light.window);
            picture.Set(wx + 1, wy + dy, light.window);
          }
        }
      }
    }
    x += width;
  }
  for (int y = ground; y < kLogoSize; y++) {
    for (int x = 0; x < kLogoSize; x++) {
      picture.Set(x, y, Mix(light.tower, 0x000000, static_cast<double>(y - ground) / (kLogoSize - ground)));
    }
  }
  return picture;
}

// A character's page in the extras: head and shoulders in silhouette with
// a rim of the character's colour, on a dark ground, so that the page's
// text above and its footer below read over it.
Picture CharacterPicture(uint32_t tint) {
  Picture picture = Gradient(kLogoSize, Mix(tint, 0x000000, 0.8), 0x020408);
  const double cx = kLogoSize / 2.0;
  const auto inside = [cx](double x, double y) {
    const double head = std::pow((x - cx) / 34.0, 2.0) + std::pow((y - 118.0) / 42.0, 2.0);
    const double shoulders = std::pow((x - cx) / 92.0, 2.0) + std::pow((y - 250.0) / 80.0, 2.0);
    return head <= 1.0 || (shoulders <= 1.0 && y < kLogoSize - 28) ||
           (std::abs(x - cx) < 16.0 && y > 150.0 && y < 180.0);
  };
  for (int y = 0; y < kLogoSize; y++) {
    for (int x = 0; x < kLogoSize; x++) {
      if (inside(x, y)) {
        const bool rim = !inside(x - 2, y) || !inside(x + 2, y) || !inside(x, y - 2);
        picture.Set(x, y, rim ? Mix(tint, 0x000000, 0.3) : 0x05070C);
      }
    }
  }
  return picture;
}

// Behind the credits: the menus' deep blue and faint grid, without their
// title band, so the scrolling lines read anywhere on it.
Picture CreditPicture() { return GridBackground(0.35, 0.0); }

}  // namespace

bool FrontEndPicture(const std::string& name, Picture* picture) {
  if (name == "data/menu/vux_logo") {
    *picture = VuxLogo();
  } else if (name == "data/menu/zid_logo") {
    *picture = ZidLogo();
  } else if (name == "data/menu/engine_logo") {
    *picture = EngineLogo();
  } else if (name == "data/menu/MENU_background") {
    *picture = MenuBackground();
  } else if (name == "data/menu/window_background") {
    *picture = WindowBackground();
  } else if (name == "data/screens/level00") {
    *picture = LoaderPicture();
  } else if (name == "data/screens/endscreen1") {
    *picture = Halved(EndPicture({0x02040E, 0x1C1440, 0x0A0C14, 0xF0D070, 3}));
  } else if (name == "data/screens/endscreen2") {
    *picture = Halved(EndPicture({0x1A2C5C, 0xF0904C, 0x141822, 0xF0C060, 1}));
  } else if (name == "data/screens/endscreen3") {
    *picture = Halved(EndPicture({0x3C78C8, 0xB0D4F0, 0x3A4656, 0x8CA8C0, 4}));
  } else if (name.rfind("data/menu/CONCEPT", 0) == 0) {
    // The episodes' pages: the skyline by night in a colour of each page's own.
    const uint32_t tint = NameColour(name);
    *picture = Halved(EndPicture({0x02040E, Mix(tint, 0x000000, 0.75), 0x0A0C14, Mix(tint, 0xFFFFFF, 0.5), 2}));
  } else if (name.size() > 11 && name.compare(name.size() - 11, 11, "_background") == 0 &&
             name.rfind("data/menu/", 0) == 0) {
    *picture = Halved(CharacterPicture(NameColour(name)));
  } else if (name == "data/screens/creditscreen") {
    *picture = Halved(CreditPicture());
  } else if (name == "data/screens/barpiece") {
    *picture = BarPiece();
  } else {
    return false;
  }
  return true;
}

}  // namespace demo
