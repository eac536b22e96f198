// The framed panels' pictures: the panel's dark glass, its border (drawn
// over the whole frame, so it carries the glass inside its edge), the
// highlight tiles, the progress bar's blue overlay, the hacking panel's key
// tiles (an arrow on a rounded tile of glass) and the bare frame.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/demo/picture.h"

namespace demo {

namespace {

constexpr int kSize = 64;
constexpr uint32_t kGlass = 0x06162A;
constexpr uint32_t kEdge = 0x42A6CC;
constexpr int kEdgeWidth = 2;
constexpr uint32_t kArrowInk = 0xE8F8FF;
constexpr int kKeyCount = 4;  // 0 up, 1 right, 2 down, 3 left
// Each pixel of a key tile is the mean of kSamples x kSamples points, so
// the arrow's and the tile's edges are smooth.
constexpr int kSamples = 4;
constexpr double kTileCornerRadius = 0.25;  // in half sides of the tile
constexpr double kTileEdge = 0.09;          // the tile's blue rim, in half sides
constexpr int kFrameWidth = 3;
constexpr int kFrameBracket = 16;  // the frame's brighter corner brackets, in pixels

Picture Border() {
  Picture picture(kSize, kSize, kGlass);
  for (int y = 0; y < kSize; y++) {
    for (int x = 0; x < kSize; x++) {
      const bool edge = x < kEdgeWidth || y < kEdgeWidth || x >= kSize - kEdgeWidth || y >= kSize - kEdgeWidth;
      // A faint scan line every fourth row.
      picture.Set(x, y, edge ? kEdge : (y % 4 == 0 ? 0x0A2038 : kGlass));
    }
  }
  return picture;
}

// Brighter towards its middle row.
Picture Blink() {
  Picture picture(kSize, kSize, 0);
  for (int y = 0; y < kSize; y++) {
    const int distance = y < kSize / 2 ? kSize / 2 - y : y - kSize / 2;
    const uint32_t green = static_cast<uint32_t>(0x60 - distance * 0x50 / (kSize / 2));
    for (int x = 0; x < kSize; x++) {
      picture.Set(x, y, green << 8 | green / 4);
    }
  }
  return picture;
}

// How far (u, v), in half sides from the tile's middle, lies inside the
// rounded square: negative outside, 0 on its outline.
double TileDepth(double u, double v) {
  const double inner = 1.0 - kTileCornerRadius;
  const double du = std::max(std::abs(u) - inner, 0.0);
  const double dv = std::max(std::abs(v) - inner, 0.0);
  if (du > 0.0 && dv > 0.0) {
    return kTileCornerRadius - std::hypot(du, dv);
  }
  return 1.0 - std::max(std::abs(u), std::abs(v));
}

// The arrow pointing up, in half sides, y growing downwards: a head from
// the tip to its base and a shaft below it.
bool UpArrow(double u, double v) {
  constexpr double kTip = -0.68;
  constexpr double kHeadBase = -0.06;
  constexpr double kHeadHalfWidth = 0.56;
  constexpr double kShaftHalfWidth = 0.18;
  constexpr double kShaftEnd = 0.66;
  const bool head = v >= kTip && v <= kHeadBase && std::abs(u) <= (v - kTip) / (kHeadBase - kTip) * kHeadHalfWidth;
  const bool shaft = v > kHeadBase - 0.01 && v <= kShaftEnd && std::abs(u) <= kShaftHalfWidth;
  return head || shaft;
}

// The tile of key 0 to 3: its arrow turned a quarter clockwise per key, so
// that key 0 points up, 1 right, 2 down and 3 left. The alpha is the rounded
// tile, opaque or clear.
void KeyTile(int key, Picture* picture, Picture* alpha) {
  *picture = Picture(kSize, kSize, 0);
  *alpha = Picture(kSize, kSize, 0);
  for (int y = 0; y < kSize; y++) {
    for (int x = 0; x < kSize; x++) {
      double onEdge = 0.0;
      double onArrow = 0.0;
      for (int sy = 0; sy < kSamples; sy++) {
        for (int sx = 0; sx < kSamples; sx++) {
          double u = (x + (sx + 0.5) / kSamples) / (kSize / 2.0) - 1.0;
          double v = (y + (sy + 0.5) / kSamples) / (kSize / 2.0) - 1.0;
          const double depth = TileDepth(u, v);
          onEdge += depth >= 0.0 && depth < kTileEdge ? 1.0 : 0.0;
          // Back into the up arrow's frame: a quarter turn anticlockwise per key.
          for (int turn = 0; turn < key; turn++) {
            const double t = u;
            u = v;
            v = -t;
          }
          onArrow += UpArrow(u, v) ? 1.0 : 0.0;
        }
      }
      const double samples = kSamples * kSamples;
      // The glass lightens towards the top, the rim is HUD blue.
      uint32_t colour = Mix(0x16385A, kGlass, static_cast<double>(y) / (kSize - 1));
      colour = Mix(colour, kEdge, onEdge / samples);
      colour = Mix(colour, kArrowInk, onArrow / samples);
      picture->Set(x, y, colour);
      // Opaque or clear: the tile's edge is smoothed by the texture filter.
      const double middle = (x + 0.5) / (kSize / 2.0) - 1.0;
      const double across = (y + 0.5) / (kSize / 2.0) - 1.0;
      alpha->Set(x, y, TileDepth(middle, across) >= 0.0 ? 0xFFFFFF : 0);
    }
  }
}

// A bare frame: a HUD blue rim with brighter corner brackets round a clear
// middle.
void Frame(Picture* picture, Picture* alpha) {
  *picture = Picture(kSize, kSize, 0);
  *alpha = Picture(kSize, kSize, 0);
  for (int y = 0; y < kSize; y++) {
    for (int x = 0; x < kSize; x++) {
      const int edgeX = std::min(x, kSize - 1 - x);
      const int edgeY = std::min(y, kSize - 1 - y);
      if (std::min(edgeX, edgeY) >= kFrameWidth) {
        continue;
      }
      const bool bracket = std::max(edgeX, edgeY) < kFrameBracket;
      picture->Set(x, y, bracket ? 0x9CE0FF : kEdge);
      alpha->Set(x, y, 0xFFFFFF);
    }
  }
}

}  // namespace

bool HackPicture(const std::string& name, Picture* picture, Picture* alpha) {
  const std::string keyStem = "data/hack/key";
  if (name.size() == keyStem.size() + 1 && name.compare(0, keyStem.size(), keyStem) == 0 && name.back() >= '0' &&
      name.back() < '0' + kKeyCount) {
    KeyTile(name.back() - '0', picture, alpha);
    return true;
  }
  if (name == "data/hack/frame") {
    Frame(picture, alpha);
    return true;
  }
  if (name == "data/hack/panelBackground") {
    *picture = Picture(kSize, kSize, kGlass);
  } else if (name == "data/hack/panelBorder") {
    *picture = Border();
  } else if (name == "data/hack/panelBlink") {
    *picture = Blink();
  } else if (name == "data/hack/blue") {
    *picture = Picture(kSize, kSize, 0x2050E0);
  } else {
    return false;
  }
  return true;
}

}  // namespace demo
