// RGBA colours of four floats with component-wise arithmetic.
#pragma once

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

  f32 r;
  f32 g;
  f32 b;
  f32 a;
};
