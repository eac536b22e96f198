// The framed panels' pictures: the panel's dark glass, its border (drawn
// over the whole frame, so it carries the glass inside its edge), the
// highlight tiles and the progress bar's blue overlay.
#include "tools/demo/picture.h"

namespace demo {

namespace {

constexpr int kSize = 64;
constexpr uint32_t kGlass = 0x06162A;
constexpr uint32_t kEdge = 0x42A6CC;
constexpr int kEdgeWidth = 2;

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

}  // namespace

bool HackPicture(const std::string& name, Picture* picture) {
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
