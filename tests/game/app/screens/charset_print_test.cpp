// Where PrintCharsetAligned puts its text for each alignment.
#include "game/app/screens/charset_print.h"

#include <gtest/gtest.h>

namespace {

struct AlignCase {
  u32 flags;
  s32 length;
  s32 x;
  s32 y;
};

TEST(CharsetPrintTest, AlignmentFlagsMoveAndCentreTheText) {
  // 8 x 14 glyphs in 640 x 480, column 1, row 2.
  const AlignCase cases[] = {
      {0, 5, 308, 261},
      {kCharsetAlignLeft, 5, 16, 261},
      {kCharsetAlignRight, 5, 600, 261},
      {kCharsetAlignTop, 5, 308, 42},
      {kCharsetAlignBottom, 5, 308, 480},
      {kCharsetAlignLeft | kCharsetAlignTop, 5, 16, 42},
      {kCharsetAlignRight | kCharsetAlignBottom, 5, 600, 480},
      // Wider than the raster: centred text starts at 0.
      {0, 100, 0, 261},
  };
  for (const AlignCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags << ", length " << c.length);
    s32 x = -1;
    s32 y = -1;
    CharsetAlignedPosition(8, 14, 640, 480, c.length, 1, 2, c.flags, &x, &y);
    EXPECT_EQ(c.x, x);
    EXPECT_EQ(c.y, y);
  }
}

}  // namespace
