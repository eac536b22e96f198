// Colours of four floats as the bytes of vertices.
#include "game/render/colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Each component clamped to 0..1 and scaled, whatever the float holds.
TEST(ColourTest, ComponentsBecomeBytesWithinTheirRange) {
  const f32 infinity = std::numeric_limits<f32>::infinity();
  const f32 nan = std::numeric_limits<f32>::quiet_NaN();
  struct Row {
    const char* name;
    f32 component;
    RwUInt8 byte;
  };
  const Row rows[] = {{"below 0", -0.5f, 0},
                      {"0", 0.0f, 0},
                      {"a half", 0.5f, 127},
                      {"1", 1.0f, 255},
                      {"above 1", 7.0f, 255},
                      {"infinity", infinity, 255},
                      {"minus infinity", -infinity, 0},
                      {"no number", nan, 0},
                      {"no number, negative", -nan, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RwRGBA bytes = ColourToBytes(tRGBAf(row.component, 1.0f, 0.0f, row.component));
    EXPECT_EQ(row.byte, bytes.red);
    EXPECT_EQ(255, bytes.green);
    EXPECT_EQ(0, bytes.blue);
    EXPECT_EQ(row.byte, bytes.alpha);
  }
}

}  // namespace
