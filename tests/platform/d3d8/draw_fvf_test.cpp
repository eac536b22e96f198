// Flexible vertex format decoding: offsets and strides of the layouts the
// engine draws, coordinate sizes, and refused codes.
#include <gtest/gtest.h>

#include "platform/d3d8/d3d8_draw_types.h"
#include "platform/d3d8/fvf.h"

namespace {

using d3d8draw::DecodeFvf;
using d3d8draw::FvfLayout;
using d3d8draw::FvfVertexSize;

TEST(FvfTest, EngineLayouts) {
  struct Case {
    uint32_t fvf;
    int stride;
  };
  // 2D vertices, immediate 3D without and with texture coordinates, the
  // user-pointer fall-back, two coordinate sets, and geometry-built codes.
  const Case cases[] = {{0x144, 28}, {0x42, 16}, {0x142, 24}, {0x152, 36}, {0x252, 44},
                        {0x2, 12},   {0x12, 24}, {0x52, 28},  {0x112, 32}, {0x852, 92}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.fvf);
    EXPECT_EQ(FvfVertexSize(c.fvf), c.stride);
  }
  const FvfLayout screen = DecodeFvf(0x144);
  ASSERT_TRUE(screen.valid);
  EXPECT_TRUE(screen.transformed);
  EXPECT_EQ(screen.positionSize, 4);
  EXPECT_EQ(screen.diffuseOffset, 16);
  EXPECT_EQ(screen.texCoordOffset[0], 20);
  const FvfLayout engine = DecodeFvf(0x252);
  ASSERT_TRUE(engine.valid);
  EXPECT_FALSE(engine.transformed);
  EXPECT_EQ(engine.normalOffset, 12);
  EXPECT_EQ(engine.diffuseOffset, 24);
  EXPECT_EQ(engine.specularOffset, -1);
  EXPECT_EQ(engine.texCoordCount, 2);
  EXPECT_EQ(engine.texCoordOffset[0], 28);
  EXPECT_EQ(engine.texCoordOffset[1], 36);
}

TEST(FvfTest, EveryPartInOrder) {
  const uint32_t fvf = D3DFVF_XYZB2 | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX3 |
                       D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE3(1) | D3DFVF_TEXCOORDSIZE4(2);
  const FvfLayout l = DecodeFvf(fvf);
  ASSERT_TRUE(l.valid);
  EXPECT_EQ(l.blendWeightCount, 2);
  EXPECT_EQ(l.normalOffset, 20);
  EXPECT_EQ(l.pointSizeOffset, 32);
  EXPECT_EQ(l.diffuseOffset, 36);
  EXPECT_EQ(l.specularOffset, 40);
  EXPECT_EQ(l.texCoordSize[0], 1);
  EXPECT_EQ(l.texCoordSize[1], 3);
  EXPECT_EQ(l.texCoordSize[2], 4);
  EXPECT_EQ(l.texCoordOffset[0], 44);
  EXPECT_EQ(l.texCoordOffset[1], 48);
  EXPECT_EQ(l.texCoordOffset[2], 60);
  EXPECT_EQ(l.stride, 76);
  // Position kinds: XYZB1..XYZB5 add one to five floats.
  for (uint32_t kind = D3DFVF_XYZB1, weights = 1; kind <= D3DFVF_XYZB5; kind += 2, ++weights) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(FvfVertexSize(kind), static_cast<int>(12 + 4 * weights));
  }
}

TEST(FvfTest, RefusedCodes) {
  // No position, or more than eight coordinate sets.
  EXPECT_FALSE(DecodeFvf(0).valid);
  EXPECT_FALSE(DecodeFvf(D3DFVF_DIFFUSE | D3DFVF_TEX1).valid);
  EXPECT_FALSE(DecodeFvf(D3DFVF_XYZ | 0x900).valid);
  EXPECT_EQ(FvfVertexSize(D3DFVF_XYZ | 0xF00), 0);
  EXPECT_TRUE(DecodeFvf(D3DFVF_XYZ | D3DFVF_TEX8).valid);
}

}  // namespace
