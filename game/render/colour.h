// RGBA colours of four floats with component-wise arithmetic.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

struct tRGBAf {
  tRGBAf() : r(1.0f), g(1.0f), b(1.0f), a(1.0f) {}
  tRGBAf(f32 red, f32 green, f32 blue, f32 alpha) : r(red), g(green), b(blue), a(alpha) {}

  tRGBAf operator-(const tRGBAf& other) const { return tRGBAf(r - other.r, g - other.g, b - other.b, a - other.a); }
  tRGBAf operator+(const tRGBAf& other) const { return tRGBAf(r + other.r, g + other.g, b + other.b, a + other.a); }
  // Multiplies by 1/s.
  tRGBAf operator/(f32 s) const {
    const f32 inverse = 1.0f / s;
    return tRGBAf(r * inverse, g * inverse, b * inverse, a * inverse);
  }
  // Each of the four channels of colour times factor, into out; out returned.
  static tRGBAf* Scale(const tRGBAf& colour, tRGBAf* out, f32 factor) {
    *out = tRGBAf(colour.r * factor, colour.g * factor, colour.b * factor, colour.a * factor);
    return out;
  }

  f32 r;
  f32 g;
  f32 b;
  f32 a;
};

// A << 24 | R << 16 | G << 8 | B: the packed colour of vertices.
inline u32 PackColour(u8 red, u8 green, u8 blue, u8 alpha) {
  return (static_cast<u32>(alpha) << 24) | (static_cast<u32>(red) << 16) | (static_cast<u32>(green) << 8) | blue;
}

// Each component clamped to 0..1, times 255, truncated; a component that is
// no number (an envelope of infinities gives one) is 0.
inline RwRGBA ColourToBytes(const tRGBAf& colour) {
  auto byte = [](f32 c) { return static_cast<RwUInt8>((!(c > 0.0f) ? 0.0f : (c > 1.0f ? 1.0f : c)) * 255.0f); };
  return RwRGBA{byte(colour.r), byte(colour.g), byte(colour.b), byte(colour.a)};
}
