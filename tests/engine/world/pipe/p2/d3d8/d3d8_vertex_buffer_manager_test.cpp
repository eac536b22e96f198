// The shared vertex-buffer pools: vertex sizes of formats, ranges handed out
// first fit from buffers of the default size or of exactly a large request,
// and returned ranges merged so that a whole buffer can be handed out again.
#include <gtest/gtest.h>

#include "tests/engine/world/pipe/p2/d3d8/pipe_fixture.h"

namespace pipe_test {
namespace {

TEST(FVFVertexSize, AddsEachPartOfTheFormat) {
  struct Case {
    RwUInt32 fvf;
    RwUInt32 size;
  };
  const Case cases[] = {
      {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1, 36},
      {0x252, 44},  // normals, colours, two sets
      {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR, 24},
      {D3DFVF_XYZB5 | D3DFVF_PSIZE, 36},
      {D3DFVF_XYZ | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE3(1) | D3DFVF_TEXCOORDSIZE4(2), 44},
      {D3DFVF_XYZ | 0x900, 0},  // nine sets: no such format
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fvf);
    EXPECT_EQ(RpD3D8GetFVFVertexSize(c.fvf), c.size);
  }
}

class VertexBufferManagerTest : public WorldPipeTest {
 protected:
  struct Range {
    IDirect3DVertexBuffer8* buffer = nullptr;
    RwUInt32 base = 0;
  };

  static Range Take(RwUInt32 fvf, RwUInt32 size) {
    Range range;
    EXPECT_TRUE(RpD3D8VertexBufferManagerCreate(fvf, size, &range.buffer, &range.base));
    return range;
  }
  static void Give(RwUInt32 fvf, RwUInt32 size, const Range& range) {
    RpD3D8VertexBufferManagerDestroy(fvf, size, range.buffer, range.base);
  }
};

constexpr RwUInt32 kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 36 bytes
constexpr RwUInt32 kStride = 36;

TEST_F(VertexBufferManagerTest, HandsOutRangesOfSharedBuffersPerFormat) {
  Start();
  Record();
  const Range first = Take(kFvf, 10 * kStride);
  const Range second = Take(kFvf, 4 * kStride);
  EXPECT_EQ(Calls("CreateVertexBuffer"), 1u);
  // The default size rounded up to whole vertices, managed and write-only.
  const std::vector<uint64_t> args = Args("CreateVertexBuffer");
  ASSERT_GE(args.size(), 4u);
  EXPECT_EQ(args[0], (kRpD3D8VertexBufferDefaultSize + kStride - 1) / kStride * kStride);
  EXPECT_EQ(args[1], uint64_t(D3DUSAGE_WRITEONLY));
  EXPECT_EQ(args[2], kFvf);
  EXPECT_EQ(args[3], uint64_t(D3DPOOL_MANAGED));
  EXPECT_EQ(first.buffer, second.buffer);
  EXPECT_EQ(first.base, 0u);
  EXPECT_EQ(second.base, 10u);

  // Another format has a pool of its own; a shader pool's buffer has no format.
  const Range other = Take(D3DFVF_XYZ, 12);
  EXPECT_NE(other.buffer, first.buffer);
  EXPECT_EQ(other.base, 0u);
  IDirect3DVertexBuffer8* shaderBuffer = nullptr;
  RwUInt32 shaderBase = 99;
  ASSERT_TRUE(
      RpD3D8VertexBufferManagerCreateInPool(20 << kRpD3D8PoolKeyStrideShift, 20, 40, &shaderBuffer, &shaderBase));
  EXPECT_EQ(Args("CreateVertexBuffer")[2], 0u);
  EXPECT_EQ(shaderBase, 0u);
  RpD3D8VertexBufferManagerDestroyNoFVF(20, 40, shaderBuffer, shaderBase);
  EXPECT_EQ(Calls("CreateVertexBuffer"), 3u);

  // A request above the default size gets a buffer of exactly its size.
  const RwUInt32 large = kRpD3D8VertexBufferDefaultSize + 100 * kStride;
  const Range big = Take(kFvf, large);
  EXPECT_EQ(Calls("CreateVertexBuffer"), 4u);
  EXPECT_EQ(Args("CreateVertexBuffer")[0], large);
  EXPECT_EQ(big.base, 0u);
  Give(kFvf, large, big);
  Give(kFvf, 10 * kStride, first);
  Give(kFvf, 4 * kStride, second);
  Give(D3DFVF_XYZ, 12, other);
}

TEST_F(VertexBufferManagerTest, ReturnedRangesMergeWithTheirNeighbours) {
  Start();
  const RwUInt32 whole = (kRpD3D8VertexBufferDefaultSize + kStride - 1) / kStride * kStride;
  const Range a = Take(kFvf, 5 * kStride);
  const Range b = Take(kFvf, 6 * kStride);
  const Range c = Take(kFvf, 7 * kStride);
  ASSERT_EQ(b.base, 5u);
  ASSERT_EQ(c.base, 11u);
  Give(kFvf, 5 * kStride, a);
  Give(kFvf, 7 * kStride, c);
  // The hole left by a holds five vertices, not six.
  const Range six = Take(kFvf, 6 * kStride);
  EXPECT_EQ(six.base, 11u);
  Give(kFvf, 6 * kStride, six);

  Record();
  Give(kFvf, 6 * kStride, b);
  // One free range covers the whole buffer again.
  const Range all = Take(kFvf, whole);
  EXPECT_EQ(all.buffer, a.buffer);
  EXPECT_EQ(all.base, 0u);
  EXPECT_EQ(Calls("CreateVertexBuffer"), 0u);
  Give(kFvf, whole, all);

  // Ranges of unknown pools are ignored.
  RpD3D8VertexBufferManagerDestroy(D3DFVF_XYZRHW, 16, a.buffer, 0);
}

}  // namespace
}  // namespace pipe_test
