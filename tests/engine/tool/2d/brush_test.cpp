// 2D brushes: their defaults, the flags that say whether colours and
// texture coordinates vary, colour interpolation and reference counting.
#include "tests/engine/tool/2d/twod_fixture.h"

namespace {

using twod_test::TwoDTest;

using BrushTest = TwoDTest;

constexpr RwRGBA kRed = {255, 0, 0, 255};
constexpr RwRGBA kGreen = {0, 255, 0, 255};
constexpr RwRGBA kBlue = {0, 0, 255, 128};
constexpr RwRGBA kWhite = {255, 255, 255, 255};

TEST_F(BrushTest, FlagsSayWhetherCornersDiffer) {
  Rt2dBrush* brush = Rt2dBrushCreate();
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(brush->flags, 0u);
  EXPECT_EQ(brush->halfWidth, 0.5f);
  EXPECT_EQ(_rt2dBrushColour(brush, TRUE, 0.5f), 0xFFFFFFFFu);

  Rt2dBrushSetRGBA(brush, &kRed, &kRed, &kRed, &kRed);
  EXPECT_EQ(brush->flags & kRt2dBrushColoursVary, 0u);
  EXPECT_EQ(_rt2dBrushColour(brush, FALSE, 1.0f), 0xFFFF0000u);
  Rt2dBrushSetRGBA(brush, &kRed, &kRed, &kGreen, &kRed);
  EXPECT_NE(brush->flags & kRt2dBrushColoursVary, 0u);

  // Corner 0 differs from corner 3, but neither edge changes along itself.
  const RwV2d zero = {0.0f, 0.0f};
  const RwV2d one = {1.0f, 1.0f};
  Rt2dBrushSetUV(brush, &zero, &zero, &one, &one);
  EXPECT_EQ(brush->flags & kRt2dBrushUVsVary, 0u);
  Rt2dBrushSetUV(brush, &zero, &one, &one, &one);
  EXPECT_NE(brush->flags & kRt2dBrushUVsVary, 0u);
  EXPECT_TRUE(Rt2dBrushDestroy(brush));
}

TEST_F(BrushTest, ColoursRunFromStartToEndCornerOfEachEdge) {
  Rt2dBrush* brush = Rt2dBrushCreate();
  ASSERT_NE(brush, nullptr);
  // Bottom edge red to green, top edge blue (corner 3) to white (corner 2).
  Rt2dBrushSetRGBA(brush, &kRed, &kGreen, &kWhite, &kBlue);
  EXPECT_EQ(_rt2dBrushColour(brush, FALSE, 0.0f), 0xFFFF0000u);
  EXPECT_EQ(_rt2dBrushColour(brush, FALSE, 1.0f), 0xFF00FF00u);
  EXPECT_EQ(_rt2dBrushColour(brush, FALSE, 0.5f), 0xFF7F7F00u);  // 127.5 truncated
  EXPECT_EQ(_rt2dBrushColour(brush, TRUE, 0.0f), 0x800000FFu);
  EXPECT_EQ(_rt2dBrushColour(brush, TRUE, 1.0f), 0xFFFFFFFFu);
  EXPECT_EQ(_rt2dBrushColour(brush, TRUE, 0.5f), 0xBF7F7FFFu);
  // A t that is not a number takes the edge's start.
  EXPECT_EQ(_rt2dBrushColour(brush, FALSE, std::nanf("")), 0xFFFF0000u);
  EXPECT_EQ(brush->lastColour.blue, 255);
  EXPECT_EQ(brush->lastColour.alpha, 128);
  EXPECT_TRUE(Rt2dBrushDestroy(brush));
}

TEST_F(BrushTest, TheLastReferenceFreesTheBrushAndClosingFreesTheRest) {
  Rt2dBrush* brush = Rt2dBrushCreate();
  ASSERT_NE(brush, nullptr);
  brush->refCount++;
  EXPECT_FALSE(Rt2dBrushDestroy(brush));
  EXPECT_TRUE(Rt2dBrushDestroy(brush));
  // A brush still held at closing lets go of its texture then (the leak
  // check watches).
  Rt2dBrush* held = Rt2dBrushCreate();
  ASSERT_NE(held, nullptr);
  held->texture = RwTextureCreate(RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE));
  ASSERT_NE(held->texture, nullptr);
}

}  // namespace
