// Textures and surfaces: every format locked, written and read back both
// from the lock and from OpenGL, palettes, DXT blocks, levels and cube faces.
#include <cstring>
#include <vector>

#include "platform/d3d8/device_internal.h"
#include "tests/platform/d3d8/d3d8_fixture.h"

namespace {

using TextureTest = D3D8Test;

struct FormatCase {
  D3DFORMAT format;
  UINT bytes;
  uint32_t pixel;     // as stored in memory (little-endian)
  uint32_t expected;  // 0xAARRGGBB as OpenGL samples it
};

TEST_F(TextureTest, EveryFormatLockedWrittenAndReadBack) {
  CreateDevice();
  const FormatCase cases[] = {
      {D3DFMT_A8R8G8B8, 4, 0x80402010, 0x80402010},
      {D3DFMT_X8R8G8B8, 4, 0x00402010, 0xFF402010},
      // 565: red 31, green 0, blue 16.
      {D3DFMT_R5G6B5, 2, (31u << 11) | 16u, 0xFFFF0084},
      // 555: red 0, green 31, blue 1, top bit ignored.
      {D3DFMT_X1R5G5B5, 2, (31u << 5) | 1u, 0xFF00FF08},
      {D3DFMT_A1R5G5B5, 2, 0x8000u | (31u << 10), 0xFFFF0000},
      {D3DFMT_A1R5G5B5, 2, 31u << 10, 0x00FF0000},
      {D3DFMT_A4R4G4B4, 2, 0x8F10, 0x88FF1100},
      {D3DFMT_L8, 1, 0x7F, 0xFF7F7F7F},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "format " << c.format << " pixel " << std::hex << c.pixel);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(5, 3, 1, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, c.format);
    EXPECT_EQ(desc.Width, 5u);
    EXPECT_EQ(desc.Size, 5 * 3 * c.bytes);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, INT(5 * c.bytes));
    // Fill with the pixel at (4, 2), zero elsewhere.
    std::memset(locked.pBits, 0, size_t(locked.Pitch) * 3);
    std::memcpy(static_cast<uint8_t*>(locked.pBits) + 2 * locked.Pitch + 4 * c.bytes, &c.pixel, c.bytes);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 0, 4, 2), c.expected);

    // A rectangle lock points at the rectangle's first pixel.
    RECT r = {4, 2, 5, 3};
    ASSERT_EQ(texture->LockRect(0, &locked, &r, D3DLOCK_READONLY), D3D_OK);
    uint32_t back = 0;
    std::memcpy(&back, locked.pBits, c.bytes);
    EXPECT_EQ(back, c.pixel);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);
  }
}

// Render-target textures live in OpenGL: what a lock writes goes up at the
// unlock and the next lock reads it back down in the same layout.
TEST_F(TextureTest, RenderTargetFormatsRoundTripThroughOpenGL) {
  CreateDevice();
  const FormatCase cases[] = {
      {D3DFMT_A8R8G8B8, 4, 0x80402010, 0x80402010}, {D3DFMT_X8R8G8B8, 4, 0xFF402010, 0xFF402010},
      {D3DFMT_R5G6B5, 2, 0xF810, 0xFFFF0084},       {D3DFMT_X1R5G5B5, 2, 0x83E1, 0xFF00FF08},
      {D3DFMT_A1R5G5B5, 2, 0x7C00, 0x00FF0000},     {D3DFMT_A4R4G4B4, 2, 0x8F10, 0x88FF1100},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "format " << c.format);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, c.format, D3DPOOL_DEFAULT, &texture), D3D_OK);
    D3DLOCKED_RECT locked;
    RECT r = {1, 2, 3, 3};
    ASSERT_EQ(texture->LockRect(0, &locked, &r, 0), D3D_OK);
    std::memcpy(locked.pBits, &c.pixel, c.bytes);
    std::memset(static_cast<uint8_t*>(locked.pBits) + c.bytes, 0, c.bytes);
    texture->UnlockRect(0);
    EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 0, 1, 2), c.expected);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t back = 0;
    std::memcpy(&back, static_cast<uint8_t*>(locked.pBits) + 2 * locked.Pitch + c.bytes, c.bytes);
    EXPECT_EQ(back, c.pixel);
    texture->UnlockRect(0);
    texture->Release();
  }
}

TEST_F(TextureTest, LockRectangleOutsideOrMisalignedIsRefused) {
  CreateDevice();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked;
  RECT outside = {0, 0, 9, 4};
  EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
  RECT misaligned = {2, 0, 6, 4};
  EXPECT_EQ(texture->LockRect(0, &locked, &misaligned, 0), D3DERR_INVALIDCALL);
  RECT block = {4, 4, 8, 8};
  ASSERT_EQ(texture->LockRect(0, &locked, &block, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 16);  // two 8-byte blocks per row of blocks
  D3DLOCKED_RECT whole;
  texture->UnlockRect(0);
  ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
  EXPECT_EQ(static_cast<uint8_t*>(locked.pBits) - static_cast<uint8_t*>(whole.pBits), 16 + 8);
  texture->UnlockRect(0);
  texture->Release();
}

TEST_F(TextureTest, MipLevelsAndCubeFaces) {
  CreateDevice();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 5u);  // 16x4, 8x2, 4x1, 2x1, 1x1
  D3DSURFACE_DESC desc;
  ASSERT_EQ(texture->GetLevelDesc(3, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 2u);
  EXPECT_EQ(desc.Height, 1u);
  EXPECT_EQ(desc.Size, 8u);
  EXPECT_EQ(texture->GetLevelDesc(5, &desc), D3DERR_INVALIDCALL);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(level->LockRect(&locked, nullptr, 0), D3D_OK);
  const uint32_t colour = 0xFF00FF00;
  std::memcpy(static_cast<uint8_t*>(locked.pBits) + 12, &colour, 4);
  level->UnlockRect();
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 2, 3, 0), colour);
  // The surface shares the texture's count: the texture stays until both go.
  EXPECT_EQ(texture->Release(), 1u);
  EXPECT_EQ(level->Release(), 0u);

  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(device_->CreateCubeTexture(8, 2, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  EXPECT_EQ(cube->GetLevelCount(), 2u);
  ASSERT_EQ(cube->GetLevelDesc(1, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 4u);
  for (UINT face = 0; face < 6; ++face) {
    ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACES(face), 1, &locked, nullptr, 0), D3D_OK);
    const uint32_t value = 0x00101010u * (face + 1);
    for (int i = 0; i < 16; ++i) std::memcpy(static_cast<uint8_t*>(locked.pBits) + i * 4, &value, 4);
    cube->UnlockRect(D3DCUBEMAP_FACES(face), 1);
  }
  for (UINT face = 0; face < 6; ++face) {
    SCOPED_TRACE(face);
    EXPECT_EQ(d3d8test::ReadGlTexel(cube, face, 1, 3, 3), 0xFF000000u | (0x00101010u * (face + 1)));
  }
  IDirect3DSurface8* faceSurface = nullptr;
  EXPECT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACES(6), 0, &faceSurface), D3DERR_INVALIDCALL);
  ASSERT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACE_NEGATIVE_Z, 0, &faceSurface), D3D_OK);
  faceSurface->Release();
  EXPECT_EQ(cube->Release(), 0u);
}

TEST_F(TextureTest, PalettisedTexturesFollowTheCurrentPalette) {
  CreateDevice();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 4);
  for (int i = 0; i < 16; ++i) static_cast<uint8_t*>(locked.pBits)[i] = uint8_t(i);
  texture->UnlockRect(0);

  PALETTEENTRY first[256] = {}, second[256] = {};
  for (int i = 0; i < 256; ++i) {
    first[i] = {BYTE(i), 0, 0, 255};
    second[i] = {0, BYTE(i * 2), 0, BYTE(128)};
  }
  ASSERT_EQ(device_->SetPaletteEntries(3, first), D3D_OK);
  ASSERT_EQ(device_->SetPaletteEntries(7, second), D3D_OK);
  ASSERT_EQ(device_->SetCurrentTexturePalette(3), D3D_OK);
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 0, 1, 2), 0xFF090000u);  // index 9
  ASSERT_EQ(device_->SetCurrentTexturePalette(7), D3D_OK);
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 0, 1, 2), 0x80001200u);
  // Changing the entries of the current palette re-expands too.
  second[9] = {1, 2, 3, 4};
  ASSERT_EQ(device_->SetPaletteEntries(7, second), D3D_OK);
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 0, 1, 2), 0x04010203u);
  // Another palette changing leaves this texture as it is.
  ASSERT_EQ(device_->SetPaletteEntries(3, second), D3D_OK);
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 0, 1, 2), 0x04010203u);
  PALETTEENTRY read[256];
  ASSERT_EQ(device_->GetPaletteEntries(7, read), D3D_OK);
  EXPECT_EQ(std::memcmp(read, second, sizeof read), 0);
  EXPECT_EQ(device_->GetPaletteEntries(8, read), D3DERR_INVALIDCALL);
  UINT current = 0;
  device_->GetCurrentTexturePalette(&current);
  EXPECT_EQ(current, 7u);
  texture->Release();
}

// DXT blocks built by hand: colour endpoints in 5:6:5, two-bit indices per
// texel (lowest bits leftmost), alpha in the formats' own layouts.
void PutColourBlock(uint8_t* block, uint16_t c0, uint16_t c1, const uint8_t rows[4]) {
  block[0] = uint8_t(c0);
  block[1] = uint8_t(c0 >> 8);
  block[2] = uint8_t(c1);
  block[3] = uint8_t(c1 >> 8);
  std::memcpy(block + 4, rows, 4);
}

class DxtTest : public D3D8Test, public ::testing::WithParamInterface<bool> {
 protected:
  void TearDown() override {
    d3d8test::SetDxtDecodeOnProcessor(false);
    D3D8Test::TearDown();
  }
};

TEST_P(DxtTest, BlocksDecodeLikeTheHardware) {
  const bool onProcessor = GetParam();
  d3d8test::SetDxtDecodeOnProcessor(onProcessor);
  CreateDevice();
  const uint16_t red = 0xF800, blue = 0x001F;
  // DXT1, four-colour block (c0 > c1): row 0 indices 0,1,2,3.
  uint8_t dxt1[8];
  const uint8_t rows4[4] = {0xE4, 0x00, 0x55, 0xFF};
  PutColourBlock(dxt1, red, blue, rows4);
  // DXT1, three-colour block (c0 <= c1): index 3 is transparent black.
  uint8_t dxt1t[8];
  PutColourBlock(dxt1t, blue, red, rows4);
  // DXT3: explicit 4-bit alpha, texel 0 = 0x0, texel 1 = 0xF, then 0x8.
  uint8_t dxt3[16] = {0xF0, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88};
  PutColourBlock(dxt3 + 8, red, blue, rows4);
  // DXT5: a0 = 255, a1 = 0 (eight alphas); texel 0 index 0, texel 1 index 1,
  // texel 2 index 2 ((6*255 + 0) / 7 = 218).
  uint8_t dxt5[16] = {255, 0};
  const uint64_t alphaBits = (0ull) | (1ull << 3) | (2ull << 6);
  for (int i = 0; i < 6; ++i) dxt5[2 + i] = uint8_t(alphaBits >> (8 * i));
  PutColourBlock(dxt5 + 8, red, blue, rows4);

  struct Case {
    D3DFORMAT format;
    const uint8_t* block;
    size_t size;
    uint32_t texels[4];  // row 0, texels 0..3, as 0xAARRGGBB
  };
  const Case cases[] = {
      {D3DFMT_DXT1, dxt1, 8, {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA}},
      {D3DFMT_DXT1, dxt1t, 8, {0xFF0000FF, 0xFFFF0000, 0xFF7F007F, 0x00000000}},
      {D3DFMT_DXT3, dxt3, 16, {0x00FF0000, 0xFF0000FF, 0x88AA0055, 0x885500AA}},
      {D3DFMT_DXT5, dxt5, 16, {0xFFFF0000, 0x000000FF, 0xDAAA0055, 0xFF5500AA}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "format " << std::hex << c.format << " first texel " << c.texels[0]);
    // The processor decoder.
    uint8_t rgba[4 * 4 * 4];
    d3d8::DecodeDxtToRgba(c.format, c.block, 4, 4, rgba);
    for (int x = 0; x < 4; ++x) {
      const uint8_t* p = rgba + x * 4;
      const uint32_t argb = (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
      EXPECT_EQ(argb, c.texels[x]) << "processor, texel " << x;
    }
    // OpenGL, compressed where it can.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(d3d8test::IsGlCompressed(texture), !onProcessor && d3d8::ProbeGlLimits().s3tc);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Size, c.size);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    std::memcpy(locked.pBits, c.block, c.size);
    texture->UnlockRect(0);
    for (int x = 0; x < 4; ++x) {
      const uint32_t texel = d3d8test::ReadGlTexel(texture, 0, 0, UINT(x), 0);
      // Hardware decoders may round the interpolated colours differently.
      for (int shift = 0; shift < 32; shift += 8) {
        const int got = int((texel >> shift) & 0xFF), want = int((c.texels[x] >> shift) & 0xFF);
        EXPECT_NEAR(got, want, 3) << "OpenGL, texel " << x << " shift " << shift;
      }
    }
    texture->Release();
  }
}

INSTANTIATE_TEST_SUITE_P(CompressedAndDecoded, DxtTest, ::testing::Bool());

TEST_F(TextureTest, DxtLevelSizesAreWholeBlocks) {
  CreateDevice();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &texture), D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 4u);
  const UINT sizes[] = {64, 16, 16, 16};
  for (UINT level = 0; level < 4; ++level) {
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(level, &desc);
    EXPECT_EQ(desc.Size, sizes[level]) << level;
  }
  // Every level uploads, also those smaller than a block.
  for (UINT level = 0; level < 4; ++level) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    texture->UnlockRect(level);
  }
  EXPECT_NE(d3d8test::GlTextureName(texture), 0u);
  d3d8test::ReadGlTexel(texture, 0, 3, 0, 0);
  texture->Release();
}

TEST_F(TextureTest, LevelsNotWrittenWholeReadAsZeros) {
  CreateDevice();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  // Level 0 written whole, level 1 in one corner, level 2 never.
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int row = 0; row < 8; ++row) {
    std::memset(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, 0x7F, 8 * 4);
  }
  texture->UnlockRect(0);
  const RECT corner = {0, 0, 1, 1};
  ASSERT_EQ(texture->LockRect(1, &locked, &corner, 0), D3D_OK);
  std::memset(locked.pBits, 0xFF, 4);
  texture->UnlockRect(1);

  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 0, 7, 7), 0x7F7F7F7Fu);
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 1, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 1, 3, 3), 0u);
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 2, 1, 1), 0u);
  ASSERT_EQ(texture->LockRect(2, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const uint8_t*>(locked.pBits)[locked.Pitch + 7], 0u);
  texture->UnlockRect(2);
  texture->Release();
}

TEST_F(TextureTest, CreationChecks) {
  CreateDevice();
  IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(1);
  EXPECT_EQ(device_->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_D24S8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_DXT1, D3DPOOL_DEFAULT, &texture),
            D3DERR_INVALIDCALL);
  D3DCAPS8 caps;
  device_->GetDeviceCaps(&caps);
  EXPECT_EQ(device_->CreateTexture(caps.MaxTextureWidth + 1, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  // More levels than the chain has are cut to the chain.
  ASSERT_EQ(device_->CreateTexture(4, 4, 9, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 3u);
  texture->Release();
}

TEST_F(TextureTest, VideoMemoryBudget) {
  CreateDevice();
  d3d8test::SetVideoMemoryBudget(device_, 64 * 64 * 4);
  IDirect3DTexture8* first = nullptr;
  IDirect3DTexture8* second = nullptr;
  ASSERT_EQ(device_->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &first), D3D_OK);
  EXPECT_EQ(device_->GetAvailableTextureMem(), 0u);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &second),
            D3DERR_OUTOFVIDEOMEMORY);
  // Managed textures do not count.
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &second), D3D_OK);
  second->Release();
  first->Release();
  EXPECT_EQ(device_->GetAvailableTextureMem(), 64u * 64 * 4);
}

TEST_F(TextureTest, TexturesOutliveTheirDevice) {
  CreateDevice();
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  // The texture keeps its memory and can still be locked and released.
  D3DLOCKED_RECT locked;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  texture->UnlockRect(0);
  EXPECT_EQ(texture->Release(), 0u);
}

}  // namespace
