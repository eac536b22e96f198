// The HUD's pictures as simple shapes of our own: frame pieces, status and
// implant icons, the selection marks, inventory items, action icons, the
// map's markers of the men, alert icons, message numbers and prompts,
// mission marks, the disc error mark, the info view's tabs, and the border pieces and background
// of the tab panel. Icons that the HUD tints are drawn white so that the tint
// shows.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tools/demo/demo.h"
#include "tools/demo/picture.h"

namespace demo {
namespace {

constexpr int kIconSide = 32;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kHudBlue = 0x42A6CC;
constexpr uint32_t kDeepBlue = 0x0A2A40;

void FillRect(Picture& p, int x0, int y0, int x1, int y1, uint32_t colour) {
  for (int y = y0; y < y1; y++) {
    for (int x = x0; x < x1; x++) {
      p.Set(x, y, colour);
    }
  }
}

// Pixels whose centre lies within radius r0 .. r1 of (cx, cy).
void Ring(Picture& p, double cx, double cy, double r0, double r1, uint32_t colour) {
  for (int y = 0; y < p.height; y++) {
    for (int x = 0; x < p.width; x++) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (d >= r0 && d <= r1) {
        p.Set(x, y, colour);
      }
    }
  }
}

// A segment of the given thickness.
void Line(Picture& p, double x0, double y0, double x1, double y1, double thickness, uint32_t colour) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double length2 = dx * dx + dy * dy;
  for (int y = 0; y < p.height; y++) {
    for (int x = 0; x < p.width; x++) {
      const double px = x + 0.5 - x0;
      const double py = y + 0.5 - y0;
      double t = length2 > 0 ? (px * dx + py * dy) / length2 : 0;
      t = t < 0 ? 0 : (t > 1 ? 1 : t);
      if (std::hypot(px - t * dx, py - t * dy) <= thickness / 2) {
        p.Set(x, y, colour);
      }
    }
  }
}

// A closed polyline through the points.
void Outline(Picture& p, const std::vector<double>& xy, double thickness, uint32_t colour) {
  const size_t n = xy.size() / 2;
  for (size_t i = 0; i < n; i++) {
    const size_t j = (i + 1) % n;
    Line(p, xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1], thickness, colour);
  }
}

Picture Icon(const std::function<void(Picture&)>& draw, int side = kIconSide) {
  Picture p(side, side, 0);
  draw(p);
  return p;
}

// The implants, by index: laser, EDS, shock, hologram, dart, Ultra, shield.
void DrawImplant(Picture& p, int index) {
  const double s = p.width;
  switch (index) {
    case 0:
      Line(p, 4, s / 2, s - 4, s / 2, 4, kWhite);
      Ring(p, 6, s / 2, 0, 4, kWhite);
      break;
    case 1:
      Outline(p, {4, s / 2, s / 3, 6, 2 * s / 3, s - 6, s - 4, s / 2}, 3, kWhite);
      break;
    case 2:
      Outline(p, {s / 2 + 4, 3, 8, s / 2 + 2, s / 2, s / 2 - 2, s / 2 - 4, s - 3}, 3, kWhite);
      break;
    case 3:
      Ring(p, s / 2, 9, 0, 5, kWhite);
      Outline(p, {s / 2, 15, s / 2 - 8, s - 3, s / 2 + 8, s - 3}, 2, kWhite);
      break;
    case 4:
      Line(p, 4, s - 4, s - 6, 6, 3, kWhite);
      Outline(p, {s - 4, 4, s - 14, 6, s - 6, 14}, 2, kWhite);
      break;
    case 5:
      for (double r : {4.0, 9.0, 14.0}) {
        Ring(p, s / 2, s / 2, r - 1.5, r, kWhite);
      }
      break;
    default:
      Outline(p, {5, 5, s - 5, 5, s - 5, s / 2, s / 2, s - 3, 5, s / 2}, 3, kWhite);
      break;
  }
}

// Inventory items, by type: keys, cards and found things.
void DrawItem(Picture& p, int type) {
  const double s = p.width;
  if (type < 5) {
    Ring(p, 9, s / 2, 3, 6, kWhite);
    Line(p, 15, s / 2, s - 4, s / 2, 3, kWhite);
    for (int tooth = 0; tooth <= type; tooth++) {
      Line(p, s - 6 - 4 * tooth, s / 2, s - 6 - 4 * tooth, s / 2 + 6, 2, kWhite);
    }
    return;
  }
  Outline(p, {4, 8, s - 4, 8, s - 4, s - 8, 4, s - 8}, 2, kWhite);
  for (int stripe = 5; stripe <= type; stripe++) {
    Line(p, 8, 12 + 3 * (stripe - 5), s - 8, 12 + 3 * (stripe - 5), 1.5, kWhite);
  }
}

void DrawDigitDisc(Picture& p, char digit) {
  Ring(p, p.width / 2.0, p.height / 2.0, 0, p.width / 2.0 - 1, kHudBlue);
  DrawText(p, p.width / 2 - 8, p.height / 2 - 15, std::string(1, digit), kWhite, 2);
}

void DrawTriangle(Picture& p, uint32_t colour) {
  const double s = p.width;
  Outline(p, {s / 2, 3, s - 3, s - 4, 3, s - 4}, 3, colour);
  Line(p, s / 2, 11, s / 2, s - 13, 3, colour);
  Ring(p, s / 2, s - 8, 0, 1.8, colour);
}

struct NamedPicture {
  std::string name;
  Picture picture;
  Picture alpha{0, 0, 0};  // for a PNG twin of its own; none when empty
};

// The tab panel's background and border pieces as the panel places them, in
// fractions of the panel's width (corner, size).
struct PanelRect {
  double x, y, w, h;
};
constexpr PanelRect kTabBackground = {0.13125, 0.24375, 0.690625, 0.49375};
constexpr PanelRect kBorderPieces[6] = {{0.11875, 0.2, 0.4, 0.1}, {0.51875, 0.2, 0.4, 0.1}, {0.81875, 0.3, 0.1, 0.4},
                                        {0.51875, 0.7, 0.4, 0.1}, {0.11875, 0.7, 0.4, 0.1}, {0.11875, 0.3, 0.025, 0.4}};
constexpr int kPieceSide = 64;

// A border piece's alpha: clear where it lies over the background, so that
// the panel's texts, which begin a fixed number of pixels from the screen's
// middle, stay on the background at every screen size; opaque elsewhere.
Picture PieceAlpha(const PanelRect& piece) {
  Picture alpha(kPieceSide, kPieceSide, kWhite);
  const PanelRect& b = kTabBackground;
  for (int y = 0; y < kPieceSide; y++) {
    for (int x = 0; x < kPieceSide; x++) {
      const double px = piece.x + (x + 0.5) / kPieceSide * piece.w;
      const double py = piece.y + (y + 0.5) / kPieceSide * piece.h;
      if (px > b.x && px < b.x + b.w && py > b.y && py < b.y + b.h) {
        alpha.Set(x, y, 0);
      }
    }
  }
  return alpha;
}

std::vector<NamedPicture> HudPictures() {
  std::vector<NamedPicture> all;
  auto add = [&all](const std::string& name, Picture picture) {
    all.push_back(NamedPicture{"data/textures/" + name, std::move(picture)});
  };
  // Frame pieces: HUD blue strokes along the corners and edges. The lower
  // corners hold the implant column with its name (bottom left) and the
  // inventory strip (bottom right): their strokes run outside them, the
  // upright one beside the column and the bottom one under it, level with
  // the bottom bar, and their corner triangles lie past the implant's name
  // and the strip.
  add("ba1", Icon([](Picture& p) { Line(p, 3, 1, 3, p.height - 1, 2, kHudBlue); }));
  add("ba2", Icon([](Picture& p) {
        Line(p, 1.5, 0, 1.5, 29.5, 1, kHudBlue);
        Line(p, 1, 29.5, 32, 29.5, 3, kHudBlue);
        Outline(p, {25, 28, 31, 28, 31, 22}, 2, kHudBlue);
      }));
  add("bf", Icon([](Picture& p) { Outline(p, {3, 31, 3, 5, 30, 5}, 2, kHudBlue); }));
  add("ja1", Icon([](Picture& p) { Line(p, 30, 0, 30, p.height, 2, kHudBlue); }));
  add("ja2", Icon([](Picture& p) {
        Line(p, 30, 0, 30, 29.5, 2, kHudBlue);
        Line(p, 0, 29.5, 31, 29.5, 3, kHudBlue);
        Outline(p, {1, 28, 7, 28, 1, 22}, 2, kHudBlue);
      }));
  add("kot1", Icon([](Picture& p) { Line(p, 2, 16, 30, 16, 3, kHudBlue); }));
  add("kot2", Icon([](Picture& p) { FillRect(p, 0, 12, 32, 20, kHudBlue); }));
  // Status icons, drawn white.
  add("healthicon", Icon([](Picture& p) {
        FillRect(p, 12, 4, 20, 28, kWhite);
        FillRect(p, 4, 12, 28, 20, kWhite);
      }));
  add("shieldicon", Icon([](Picture& p) { DrawImplant(p, 6); }));
  add("noiseicon", Icon([](Picture& p) {
        for (double r : {5.0, 10.0, 15.0}) {
          Ring(p, 4, 16, r - 1.5, r, kWhite);
        }
      }));
  for (int i = 0; i < 7; i++) {
    add("implant" + std::to_string(i), Icon([i](Picture& p) { DrawImplant(p, i); }));
  }
  // The selected hologram and dart icons with a ring around them.
  for (int i = 3; i <= 4; i++) {
    add("implantsel" + std::to_string(i), Icon([i](Picture& p) {
          DrawImplant(p, i);
          Ring(p, 16, 16, 14.5, 16, kHudBlue);
        }));
  }
  for (int i = 0; i < 10; i++) {
    add("inventory" + std::to_string(i), Icon([i](Picture& p) { DrawItem(p, i); }));
  }
  // Action icons.
  add("iconscard", Icon([](Picture& p) { DrawItem(p, 5); }));
  add("iconskey", Icon([](Picture& p) { DrawItem(p, 0); }));
  add("iconsdiy", Icon([](Picture& p) { Outline(p, {8, 30, 8, 12, 12, 4, 16, 12, 24, 12, 24, 30}, 2, kWhite); }));
  add("iconseds", Icon([](Picture& p) { DrawImplant(p, 1); }));
  add("iconslaser", Icon([](Picture& p) { DrawImplant(p, 0); }));
  add("iconsopenabledoor", Icon([](Picture& p) {
        Outline(p, {8, 4, 24, 4, 24, 28, 8, 28}, 2, kWhite);
        Line(p, 14, 8, 14, 24, 2, kWhite);
      }));
  add("iconsclosedoor", Icon([](Picture& p) {
        FillRect(p, 8, 4, 24, 28, kWhite);
        FillRect(p, 19, 15, 22, 18, 0);
      }));
  add("iconshacking", Icon([](Picture& p) {
        for (int row = 0; row < 4; row++) {
          for (int col = 0; col < 4; col++) {
            FillRect(p, 4 + 7 * col, 4 + 7 * row, 9 + 7 * col, 9 + 7 * row, (row + col) % 2 ? kWhite : kHudBlue);
          }
        }
      }));
  add("iconshock", Icon([](Picture& p) { DrawImplant(p, 2); }));
  // The bionic eye's crosshair: a ring with four ticks.
  add("crosshair", Icon([](Picture& p) {
        Ring(p, 16, 16, 9, 10.5, kWhite);
        const double ticks[4][4] = {{16, 1, 16, 9}, {16, 23, 16, 31}, {1, 16, 9, 16}, {23, 16, 31, 16}};
        for (const auto& t : ticks) {
          Line(p, t[0], t[1], t[2], t[3], 2, kWhite);
        }
      }));
  add("iconssearch", Icon([](Picture& p) {
        Ring(p, 13, 13, 6, 9, kWhite);
        Line(p, 19, 19, 29, 29, 4, kWhite);
      }));
  // The map's men: a disc with a nose towards the top of the picture, the
  // way the man faces and his cone opens; the player white, civilians
  // green, guards and gangsters red.
  const std::pair<const char*, uint32_t> markers[] = {{"dorvaman", kWhite}, {"civil", 0x50E070}, {"enemy", 0xF04040}};
  for (const auto& marker : markers) {
    const uint32_t colour = marker.second;
    add(marker.first, Icon([colour](Picture& p) {
          Ring(p, 16, 18, 0, 9, colour);
          Outline(p, {16, 3, 10, 12, 22, 12}, 3, colour);
        }));
  }
  // Alert icons from the info mark to the deadly alert.
  add("info", Icon([](Picture& p) { DrawDigitDisc(p, 'i'); }));
  const std::pair<const char*, uint32_t> alerts[] = {
      {"galert", 0x40E040}, {"malert", 0xF0E040}, {"alert", 0xF09020}, {"dalert", 0xF02020}};
  for (const auto& alert : alerts) {
    const uint32_t colour = alert.second;
    add(alert.first, Icon([colour](Picture& p) { DrawTriangle(p, colour); }));
  }
  // A disc that cannot be written: a diskette crossed out in red.
  add("diskerror", Icon([](Picture& p) {
        Outline(p, {4, 4, 24, 4, 28, 8, 28, 28, 4, 28}, 2, kWhite);
        FillRect(p, 10, 5, 22, 12, kWhite);
        Line(p, 6, 6, 26, 26, 3, 0xF02020);
        Line(p, 26, 6, 6, 26, 3, 0xF02020);
      }));
  // Message numbers and the dialogue prompts.
  for (char digit = '1'; digit <= '3'; digit++) {
    add(std::string("message") + digit, Icon([digit](Picture& p) { DrawDigitDisc(p, digit); }));
  }
  add("txtdelicon", Icon([](Picture& p) { Outline(p, {8, 6, 26, 16, 8, 26}, 3, kWhite); }));
  add("txtdeliconall", Icon([](Picture& p) {
        Outline(p, {4, 6, 16, 16, 4, 26}, 3, kWhite);
        Outline(p, {16, 6, 28, 16, 16, 26}, 3, kWhite);
      }));
  // Mission marks: open and reached.
  add("mission_no", Icon([](Picture& p) { Outline(p, {6, 6, 26, 6, 26, 26, 6, 26}, 3, kWhite); }));
  add("mission_yes", Icon([](Picture& p) {
        Outline(p, {6, 6, 26, 6, 26, 26, 6, 26}, 3, kWhite);
        Outline(p, {9, 16, 14, 22, 24, 9}, 3, 0x40E040);
      }));
  // The info view's tabs, active ("be") bright and idle ("ki") dim, each
  // with the letter of the key that shows its page: O the missions, M the map.
  const std::pair<const char*, char> tabs[] = {{"fula", 'O'}, {"fulb", 'M'}};
  for (const auto& tab : tabs) {
    const char letter = tab.second;
    for (bool active : {true, false}) {
      const uint32_t colour = active ? kHudBlue : 0x21536A;
      Picture picture(32, 128, 0);
      FillRect(picture, 2, 4, 30, 124, colour);
      DrawText(picture, 8, 49, std::string(1, letter), kWhite, 2);
      add(std::string(tab.first) + (active ? "_be" : "_ki"), std::move(picture));
    }
  }
  // The tab panel's background and its six border pieces: black bands
  // round the background with HUD blue lines along the panel's outer edge
  // (the right and left ones along the background's edge), clear over the
  // background itself.
  add("keret_bele", Icon([](Picture& p) { FillRect(p, 0, 0, p.width, p.height, kDeepBlue); }, 64));
  const std::vector<double> pieceStrokes[6] = {{0, 3, 64, 3},   {0, 3, 64, 3},   {3, 0, 3, 64},
                                               {0, 61, 64, 61}, {0, 61, 64, 61}, {28, 0, 28, 64}};
  for (int piece = 1; piece <= 6; piece++) {
    const std::vector<double>& s = pieceStrokes[piece - 1];
    const Picture alpha = PieceAlpha(kBorderPieces[piece - 1]);
    Picture picture = Icon([&s](Picture& p) { Line(p, s[0], s[1], s[2], s[3], 4, kHudBlue); }, kPieceSide);
    for (size_t i = 0; i < picture.pixels.size(); i++) {
      picture.pixels[i] = alpha.pixels[i] != 0 ? picture.pixels[i] : 0;
    }
    all.push_back(NamedPicture{"data/textures/keret0" + std::to_string(piece), std::move(picture), alpha});
  }
  return all;
}

}  // namespace

void WriteHudTextures(DataFolder& data) {
  const std::vector<std::string>& masked = MaskedTextureNames();
  for (const NamedPicture& picture : HudPictures()) {
    data.Write(picture.name + ".bmp", BmpFile(picture.picture));
    // A masked HUD picture shows its ink only: the black around it is clear,
    // through its mask where the game reads one, and through the alpha of a
    // PNG twin (found before the bitmap) where a sprite reads the picture alone.
    // A picture with an alpha of its own has only the twin.
    if (picture.alpha.width > 0) {
      data.Write(picture.name + ".png", PngFile(picture.picture, picture.alpha));
    } else if (std::find(masked.begin(), masked.end(), picture.name) != masked.end()) {
      Picture mask = picture.picture;
      for (uint32_t& pixel : mask.pixels) {
        pixel = pixel != 0 ? 0xFFFFFF : 0;
      }
      data.Write(picture.name + "_mask.bmp", BmpFile(mask));
      data.Write(picture.name + ".png", PngFile(picture.picture, mask));
    }
  }
}

}  // namespace demo
