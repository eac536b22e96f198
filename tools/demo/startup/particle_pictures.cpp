// The particles' sprites ("data/implants/prc/"): white shapes on black whose
// mask is their own brightness, so an emitter's colour tints them and the
// quad around the shape stays clear. Clouds and glows are soft discs, sparks
// and stars four-pointed, fire a flickering flame, the blood a splash, and
// the markers above men and panels their sign. The lightning's strip runs
// along the picture's width: a white core along its middle row in a blue
// glow that fades to its top and bottom edges.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/demo/picture.h"

namespace demo {

namespace {

constexpr int kSize = 32;
constexpr int kLightningSize = 64;
constexpr double kCentre = (kSize - 1) / 2.0;

uint32_t Grey(double level) {
  const uint32_t v = static_cast<uint32_t>(std::lround(std::clamp(level, 0.0, 1.0) * 255.0));
  return v << 16 | v << 8 | v;
}

// Each pixel's brightness from its offset from the middle, in radii (the
// radius reaching the middle of an edge).
template <typename Shape>
Picture Shaped(Shape shape) {
  Picture picture(kSize, kSize, 0);
  for (int y = 0; y < kSize; y++) {
    for (int x = 0; x < kSize; x++) {
      picture.Set(x, y, Grey(shape((x - kCentre) / kCentre, (y - kCentre) / kCentre)));
    }
  }
  return picture;
}

double SoftDisc(double dx, double dy, double radius) {
  const double r = std::hypot(dx, dy) / radius;
  return r >= 1.0 ? 0.0 : std::pow(1.0 - r * r, 1.5);
}

double Star(double dx, double dy) {
  const double arms = std::max(std::exp(-std::pow(dx / 0.09, 2.0)) * (1.0 - std::abs(dy)),
                               std::exp(-std::pow(dy / 0.09, 2.0)) * (1.0 - std::abs(dx)));
  return std::max(arms, SoftDisc(dx, dy, 0.35));
}

// Some bumpiness from the angle, fixed by the shape's own numbers.
double Lobes(double dx, double dy, int lobes, double depth) {
  return 1.0 + depth * std::sin(lobes * std::atan2(dy, dx));
}

// A sign drawn in the charset's glyphs, thickened, centred.
Picture Sign(const std::string& text) {
  Picture picture(kSize, kSize, 0);
  const int scale = text.size() > 1 ? 1 : 2;
  const int width = static_cast<int>(text.size()) * 8 * scale;
  DrawText(picture, (kSize - width) / 2, (kSize - 15 * scale) / 2, text, 0xFFFFFF, scale);
  return picture;
}

// Brightness across the strip from its middle row, the blue channel
// brightest so that it, the alpha, carries the glow.
Picture Lightning() {
  Picture picture(kLightningSize, kLightningSize, 0);
  const double middle = (kLightningSize - 1) / 2.0;
  for (int y = 0; y < kLightningSize; y++) {
    const double across = (y - middle) / middle;
    const double core = std::exp(-std::pow(across / 0.12, 2.0));
    const double glow = 0.45 * std::exp(-std::pow(across / 0.4, 2.0));
    const double level = std::clamp(core + glow, 0.0, 1.0) * (1.0 - std::pow(std::abs(across), 4.0));
    const uint32_t blue = static_cast<uint32_t>(std::lround(level * 255.0));
    const uint32_t green = static_cast<uint32_t>(std::lround(std::min(1.0, 0.55 * glow + core) * level * 230.0));
    const uint32_t red = static_cast<uint32_t>(std::lround(core * level * 220.0));
    for (int x = 0; x < kLightningSize; x++) {
      picture.Set(x, y, red << 16 | green << 8 | blue);
    }
  }
  return picture;
}

}  // namespace

bool ParticlePicture(const std::string& name, Picture* picture) {
  if (name == "data/implants/lightning") {
    *picture = Lightning();
    return true;
  }
  const std::string prefix = "data/implants/prc/prc_";
  if (name.rfind(prefix, 0) != 0) {
    return false;
  }
  const std::string kind = name.substr(prefix.size());
  if (kind == "smoke" || kind == "bluecloud" || kind == "greencloud") {
    *picture = Shaped([](double dx, double dy) { return 0.8 * SoftDisc(dx, dy, 0.95 * Lobes(dx, dy, 5, 0.08)); });
  } else if (kind == "lightfx_blue" || kind == "shinebit") {
    *picture = Shaped([](double dx, double dy) { return SoftDisc(dx, dy, 0.9); });
  } else if (kind == "star" || kind == "elctro") {
    *picture = Shaped(Star);
  } else if (kind == "fire" || kind == "fire1") {
    // Wider at the bottom, licking upwards.
    const int tongues = kind == "fire" ? 3 : 4;
    *picture = Shaped([tongues](double dx, double dy) {
      const double width = 0.55 + 0.25 * dy;
      return SoftDisc(dx / std::max(width, 0.1), dy, 0.95 * Lobes(dx, dy, tongues, 0.15));
    });
  } else if (kind == "redtwist") {
    *picture = Shaped([](double dx, double dy) { return SoftDisc(dx, dy, 0.85 * Lobes(dx, dy, 7, 0.25)); });
  } else if (kind == "alert") {
    *picture = Sign("!");
  } else if (kind == "info" || kind == "hack") {
    *picture = Sign(kind == "info" ? "i" : "#");
  } else if (kind == "code1" || kind == "code2" || kind == "code3") {
    *picture = Sign(kind == "code1" ? "01" : (kind == "code2" ? "10" : "11"));
  } else {
    return false;
  }
  return true;
}

}  // namespace demo
