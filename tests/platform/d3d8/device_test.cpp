// The device: clears and read-back of the back buffer and render targets,
// CopyRects, Present, Reset with managed and default resources, injected
// loss, buffers and call recording.
#include <cstring>
#include <vector>

#include "platform/d3d8/device_internal.h"
#include "platform/win/win32.h"
#include "tests/platform/d3d8/d3d8_fixture.h"

namespace {

using DeviceTest = D3D8Test;

IDirect3DSurface8* BackBuffer(IDirect3DDevice8* device) {
  IDirect3DSurface8* surface = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface);
  return surface;
}

TEST_F(DeviceTest, ClearWholeTargetAndRectanglesReadBackTopDown) {
  CreateDevice();
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF102030, 1.0f, 0),
            D3D_OK);
  // One rectangle near the top-left corner: the top rows in memory change.
  D3DRECT rect = {2, 1, 6, 3};
  ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  IDirect3DSurface8* back = BackBuffer(device_);
  EXPECT_EQ(ReadPixel32(back, 2, 1), 0xFFFF0000u);
  EXPECT_EQ(ReadPixel32(back, 5, 2), 0xFFFF0000u);
  EXPECT_EQ(ReadPixel32(back, 6, 2), 0xFF102030u);
  EXPECT_EQ(ReadPixel32(back, 2, 3), 0xFF102030u);
  EXPECT_EQ(ReadPixel32(back, 0, kHeight - 1), 0xFF102030u);

  // A whole lock has the D3D pitch, rows top-down.
  D3DLOCKED_RECT locked;
  ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(locked.Pitch, INT(kWidth * 4));
  uint32_t row1[kWidth];
  std::memcpy(row1, static_cast<uint8_t*>(locked.pBits) + locked.Pitch, sizeof row1);
  EXPECT_EQ(row1[3], 0xFFFF0000u);
  EXPECT_EQ(row1[1], 0xFF102030u);
  back->UnlockRect();

  // Clearing follows the viewport.
  D3DVIEWPORT8 viewport = {10, 20, 4, 4, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
  EXPECT_EQ(ReadPixel32(back, 10, 20), 0xFF00FF00u);
  EXPECT_EQ(ReadPixel32(back, 13, 23), 0xFF00FF00u);
  EXPECT_EQ(ReadPixel32(back, 14, 23), 0xFF102030u);
  EXPECT_EQ(ReadPixel32(back, 10, 19), 0xFF102030u);
  viewport = {60, 0, 8, 8, 0.0f, 1.0f};
  EXPECT_EQ(device_->SetViewport(&viewport), D3DERR_INVALIDCALL);
  back->Release();
}

TEST_F(DeviceTest, WritingTheBackBufferThroughALock) {
  CreateDevice();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  IDirect3DSurface8* back = BackBuffer(device_);
  D3DLOCKED_RECT locked;
  RECT r = {7, 9, 9, 10};
  ASSERT_EQ(back->LockRect(&locked, &r, 0), D3D_OK);
  const uint32_t pixels[2] = {0xFFABCDEF, 0xFF123456};
  std::memcpy(locked.pBits, pixels, sizeof pixels);
  ASSERT_EQ(back->UnlockRect(), D3D_OK);
  EXPECT_EQ(ReadPixel32(back, 7, 9), 0xFFABCDEFu);
  EXPECT_EQ(ReadPixel32(back, 8, 9), 0xFF123456u);
  EXPECT_EQ(ReadPixel32(back, 9, 9), 0xFF000000u);
  back->Release();
}

TEST_F(DeviceTest, RenderTargetTexturesAreFramebuffers) {
  CreateDevice();
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, &target), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
  D3DSURFACE_DESC desc;
  level->GetDesc(&desc);
  EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);

  IDirect3DSurface8* oldTarget = nullptr;
  IDirect3DSurface8* oldDepth = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(&oldTarget), D3D_OK);
  ASSERT_EQ(device_->GetDepthStencilSurface(&oldDepth), D3D_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);

  ASSERT_EQ(device_->SetRenderTarget(level, nullptr), D3D_OK);
  D3DVIEWPORT8 viewport;
  device_->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 16u);
  EXPECT_EQ(viewport.Height, 8u);
  // Without a depth buffer only the colour can be cleared.
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  D3DRECT rect = {0, 0, 4, 2};
  ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(level->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(locked.Pitch, 32);
  uint16_t topLeft, below;
  std::memcpy(&topLeft, locked.pBits, 2);
  std::memcpy(&below, static_cast<uint8_t*>(locked.pBits) + 2 * locked.Pitch, 2);
  EXPECT_EQ(topLeft, 0xF800);
  level->UnlockRect();
  // The texture samples what was rendered.
  EXPECT_EQ(d3d8test::ReadGlTexel(target, 0, 0, 3, 1), 0xFFFF0000u);

  ASSERT_EQ(device_->SetRenderTarget(oldTarget, oldDepth), D3D_OK);
  IDirect3DSurface8* back = BackBuffer(device_);
  EXPECT_EQ(ReadPixel32(back, 0, 0), 0xFF0000FFu);
  back->Release();
  oldTarget->Release();
  oldDepth->Release();
  level->Release();
  EXPECT_EQ(target->Release(), 0u);
}

TEST_F(DeviceTest, CubeFacesAsRenderTargets) {
  CreateDevice();
  IDirect3DSurface8* back = BackBuffer(device_);
  IDirect3DSurface8* depth = nullptr;
  ASSERT_EQ(device_->GetDepthStencilSurface(&depth), D3D_OK);
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(device_->CreateCubeTexture(8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &cube), D3D_OK);
  for (UINT face = 0; face < 6; ++face) {
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACES(face), 0, &surface), D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(surface, nullptr), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | (face * 0x20), 1.0f, 0), D3D_OK);
    surface->Release();
  }
  for (UINT face = 0; face < 6; ++face) {
    EXPECT_EQ(d3d8test::ReadGlTexel(cube, face, 0, 7, 7), 0xFF000000u | (face * 0x20)) << face;
  }
  ASSERT_EQ(device_->SetRenderTarget(back, depth), D3D_OK);
  back->Release();
  depth->Release();
  EXPECT_EQ(cube->Release(), 0u);
}

TEST_F(DeviceTest, SetRenderTargetChecks) {
  CreateDevice();
  IDirect3DTexture8* plain = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  plain->GetSurfaceLevel(0, &level);
  EXPECT_EQ(device_->SetRenderTarget(level, nullptr), D3DERR_INVALIDCALL);
  IDirect3DSurface8* smallDepth = nullptr;
  ASSERT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, &smallDepth), D3D_OK);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(smallDepth->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
  // A depth buffer smaller than the target is refused.
  EXPECT_EQ(device_->SetRenderTarget(nullptr, smallDepth), D3DERR_INVALIDCALL);
  IDirect3DSurface8* depth = nullptr;
  EXPECT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_D15S1, D3DMULTISAMPLE_NONE, &depth), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
  ASSERT_EQ(device_->SetRenderTarget(nullptr, depth), D3D_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 0.5f, 3), D3D_OK);
  IDirect3DSurface8* noStencil = nullptr;
  ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D32, D3DMULTISAMPLE_NONE, &noStencil), D3D_OK);
  ASSERT_EQ(device_->SetRenderTarget(nullptr, noStencil), D3D_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->SetRenderTarget(nullptr, depth), D3D_OK);
  noStencil->Release();
  IDirect3DSurface8* current = nullptr;
  ASSERT_EQ(device_->GetDepthStencilSurface(&current), D3D_OK);
  EXPECT_EQ(current, depth);
  current->Release();
  ASSERT_EQ(device_->SetRenderTarget(nullptr, nullptr), D3D_OK);
  EXPECT_EQ(device_->GetDepthStencilSurface(&current), D3DERR_NOTFOUND);
  EXPECT_EQ(current, nullptr);
  depth->Release();
  smallDepth->Release();
  level->Release();
  plain->Release();
}

TEST_F(DeviceTest, CopyRectsBetweenBackBufferTexturesAndImages) {
  CreateDevice();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
  D3DRECT rect = {4, 4, 8, 8};
  device_->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFFFF00, 1.0f, 0);
  IDirect3DSurface8* back = BackBuffer(device_);

  // Back buffer to an image surface, at an offset.
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(16, 16, D3DFMT_X8R8G8B8, &image), D3D_OK);
  RECT from = {3, 3, 8, 8};
  POINT to = {10, 1};
  ASSERT_EQ(device_->CopyRects(back, &from, 1, image, &to), D3D_OK);
  EXPECT_EQ(ReadPixel32(image, 10, 1), 0xFF203040u);
  EXPECT_EQ(ReadPixel32(image, 11, 2), 0xFFFFFF00u);
  EXPECT_EQ(ReadPixel32(image, 14, 5), 0xFFFFFF00u);
  EXPECT_EQ(ReadPixel32(image, 9, 1), 0u);

  // Image surface to a texture level: OpenGL sees it.
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  texture->GetSurfaceLevel(0, &level);
  ASSERT_EQ(device_->CopyRects(image, nullptr, 0, level, nullptr), D3D_OK);
  EXPECT_EQ(d3d8test::ReadGlTexel(texture, 0, 0, 12, 3), 0xFFFFFF00u);

  // Texture to the back buffer, several rectangles with their points.
  RECT pieces[2] = {{11, 2, 12, 3}, {10, 1, 11, 2}};
  POINT places[2] = {{0, 0}, {1, 0}};
  ASSERT_EQ(device_->CopyRects(level, pieces, 2, back, places), D3D_OK);
  EXPECT_EQ(ReadPixel32(back, 0, 0), 0xFFFFFF00u);
  EXPECT_EQ(ReadPixel32(back, 1, 0), 0xFF203040u);

  // Refusals: other formats, rectangles outside, the same surface.
  IDirect3DSurface8* other = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(16, 16, D3DFMT_R5G6B5, &other), D3D_OK);
  EXPECT_EQ(device_->CopyRects(image, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);
  RECT outside = {10, 10, 20, 12};
  EXPECT_EQ(device_->CopyRects(image, &outside, 1, level, nullptr), D3DERR_INVALIDCALL);
  POINT far = {12, 12};
  RECT piece = {0, 0, 8, 8};
  EXPECT_EQ(device_->CopyRects(image, &piece, 1, level, &far), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CopyRects(image, nullptr, 0, image, nullptr), D3DERR_INVALIDCALL);

  other->Release();
  level->Release();
  texture->Release();
  image->Release();
  back->Release();
}

// Between two surfaces OpenGL holds the copy is a blit; it keeps the rows.
TEST_F(DeviceTest, CopyRectsBetweenBackBufferAndRenderTargetTexture) {
  CreateDevice();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF101010, 1.0f, 0);
  D3DRECT top = {0, 0, 8, 2};
  device_->Clear(1, &top, D3DCLEAR_TARGET, 0xFFFF8000, 1.0f, 0);
  IDirect3DSurface8* back = BackBuffer(device_);
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* level = nullptr;
  target->GetSurfaceLevel(0, &level);
  RECT from = {0, 0, 8, 4};
  POINT at = {4, 6};
  ASSERT_EQ(device_->CopyRects(back, &from, 1, level, &at), D3D_OK);
  EXPECT_EQ(ReadPixel32(level, 4, 6), 0xFFFF8000u);
  EXPECT_EQ(ReadPixel32(level, 11, 7), 0xFFFF8000u);
  EXPECT_EQ(ReadPixel32(level, 11, 8), 0xFF101010u);
  EXPECT_EQ(d3d8test::ReadGlTexel(target, 0, 0, 5, 7), 0xFFFF8000u);
  RECT back1 = {4, 6, 12, 10};
  POINT corner = {40, 30};
  ASSERT_EQ(device_->CopyRects(level, &back1, 1, back, &corner), D3D_OK);
  EXPECT_EQ(ReadPixel32(back, 40, 30), 0xFFFF8000u);
  EXPECT_EQ(ReadPixel32(back, 47, 32), 0xFF101010u);
  // Drawing state is untouched: a clear still follows the viewport.
  D3DVIEWPORT8 viewport = {0, 0, 2, 2, 0.0f, 1.0f};
  device_->SetViewport(&viewport);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  EXPECT_EQ(ReadPixel32(back, 1, 1), 0xFF00FF00u);
  EXPECT_EQ(ReadPixel32(back, 2, 1), 0xFFFF8000u);
  level->Release();
  target->Release();
  back->Release();
}

// Random rectangles copied between memory surfaces and, for render-target
// formats, through OpenGL: the result matches a byte model of the copy.
TEST_F(DeviceTest, CopyRectsMatchesAByteModel) {
  CreateDevice();
  struct Case {
    D3DFORMAT format;
    UINT bytes;  // per pixel, or per 4x4 block
    bool blocks;
    bool renderTarget;
  };
  const Case cases[] = {
      {D3DFMT_A8R8G8B8, 4, false, true}, {D3DFMT_R5G6B5, 2, false, true}, {D3DFMT_A4R4G4B4, 2, false, true},
      {D3DFMT_L8, 1, false, false},      {D3DFMT_DXT1, 8, true, false},   {D3DFMT_DXT5, 16, true, false},
  };
  const UINT size = 32;
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "format " << c.format);
    const UINT unit = c.blocks ? 4 : 1;  // pixels per addressable unit
    const UINT units = size / unit;
    const UINT pitch = units * c.bytes;
    std::vector<uint8_t> source(pitch * units), model(pitch * units, 0);
    for (uint8_t& b : source) b = uint8_t(next());
    IDirect3DSurface8* from = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(size, size, c.format, &from), D3D_OK);
    D3DLOCKED_RECT locked;
    from->LockRect(&locked, nullptr, 0);
    for (UINT row = 0; row < units; ++row) {
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, &source[row * pitch], pitch);
    }
    from->UnlockRect();
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(size, size, 1, c.renderTarget ? D3DUSAGE_RENDERTARGET : 0, c.format,
                                     c.renderTarget ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED, &texture),
              D3D_OK);
    IDirect3DSurface8* to = nullptr;
    texture->GetSurfaceLevel(0, &to);
    if (c.renderTarget) {
      // Start from zeros.
      to->LockRect(&locked, nullptr, 0);
      for (UINT row = 0; row < units; ++row)
        std::memset(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, 0, pitch);
      to->UnlockRect();
    }
    for (int round = 0; round < 12; ++round) {
      const UINT w = 1 + next() % units, h = 1 + next() % units;
      const UINT sx = next() % (units - w + 1), sy = next() % (units - h + 1);
      const UINT dx = next() % (units - w + 1), dy = next() % (units - h + 1);
      RECT r = {LONG(sx * unit), LONG(sy * unit), LONG((sx + w) * unit), LONG((sy + h) * unit)};
      POINT p = {LONG(dx * unit), LONG(dy * unit)};
      ASSERT_EQ(device_->CopyRects(from, &r, 1, to, &p), D3D_OK);
      for (UINT row = 0; row < h; ++row) {
        std::memcpy(&model[(dy + row) * pitch + dx * c.bytes], &source[(sy + row) * pitch + sx * c.bytes], w * c.bytes);
      }
    }
    ASSERT_EQ(to->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT row = 0; row < units; ++row) {
      EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, &model[row * pitch], pitch), 0)
          << "row " << row;
    }
    to->UnlockRect();
    to->Release();
    texture->Release();
    from->Release();
  }
}

TEST_F(DeviceTest, CopyRectsIntoRenderTargetTextureAndDxtBlocks) {
  CreateDevice();
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &image), D3D_OK);
  D3DLOCKED_RECT locked;
  image->LockRect(&locked, nullptr, 0);
  for (int i = 0; i < 16; ++i) static_cast<uint32_t*>(locked.pBits)[i] = 0x80000000u | uint32_t(i);
  image->UnlockRect();
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  target->GetSurfaceLevel(0, &level);
  POINT at = {4, 4};
  ASSERT_EQ(device_->CopyRects(image, nullptr, 0, level, &at), D3D_OK);
  EXPECT_EQ(ReadPixel32(level, 5, 6), 0x80000009u);
  level->Release();
  target->Release();
  image->Release();

  IDirect3DTexture8* source = nullptr;
  IDirect3DTexture8* dest = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &source), D3D_OK);
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &dest), D3D_OK);
  source->LockRect(0, &locked, nullptr, 0);
  for (int i = 0; i < 32; ++i) static_cast<uint8_t*>(locked.pBits)[i] = uint8_t(i);
  source->UnlockRect(0);
  IDirect3DSurface8* from = nullptr;
  IDirect3DSurface8* to = nullptr;
  source->GetSurfaceLevel(0, &from);
  dest->GetSurfaceLevel(0, &to);
  RECT block = {4, 4, 8, 8};
  POINT origin = {0, 0};
  ASSERT_EQ(device_->CopyRects(from, &block, 1, to, &origin), D3D_OK);
  RECT misaligned = {2, 0, 6, 4};
  EXPECT_EQ(device_->CopyRects(from, &misaligned, 1, to, &origin), D3DERR_INVALIDCALL);
  dest->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<uint8_t*>(locked.pBits)[0], 24);  // block (1, 1) starts at byte 24
  EXPECT_EQ(static_cast<uint8_t*>(locked.pBits)[7], 31);
  dest->UnlockRect(0);
  from->Release();
  to->Release();
  source->Release();
  dest->Release();
}

// Reads a pixel of the window's framebuffer as 0xAARRGGBB, (0, 0) top-left.
uint32_t ReadWindowPixel(int x, int y, int height) {
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  uint8_t rgba[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previous));
  return (uint32_t(rgba[3]) << 24) | (uint32_t(rgba[0]) << 16) | (uint32_t(rgba[1]) << 8) | rgba[2];
}

TEST_F(DeviceTest, PresentShowsTheBackBufferUpright) {
  CreateDevice();
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
  D3DRECT corner = {0, 0, 4, 4};
  device_->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  // The offscreen driver's window keeps what was presented.
  EXPECT_EQ(ReadWindowPixel(1, 1, int(kHeight)), 0xFFFF0000u);
  EXPECT_EQ(ReadWindowPixel(1, int(kHeight) - 2, int(kHeight)), 0xFF336699u);
  IDirect3DSurface8* back = BackBuffer(device_);
  EXPECT_EQ(ReadPixel32(back, 0, 0), 0xFFFF0000u);
  back->Release();
}

TEST_F(DeviceTest, AdditionalSwapChainPresentsIntoItsWindow) {
  CreateDevice();
  HWND__ other;
  other.sdlWindow = SDL_CreateWindow("other", 0, 0, 20, 10, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_NE(other.sdlWindow, nullptr);
  D3DPRESENT_PARAMETERS params = WindowedParams(false);
  params.hDeviceWindow = &other;
  params.BackBufferFormat = D3DFMT_UNKNOWN;
  IDirect3DSwapChain8* chain = nullptr;
  ASSERT_EQ(device_->CreateAdditionalSwapChain(&params, &chain), D3D_OK);
  EXPECT_EQ(params.BackBufferWidth, 20u);
  IDirect3DSurface8* chainBack = nullptr;
  ASSERT_EQ(chain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &chainBack), D3D_OK);
  D3DSURFACE_DESC desc;
  chainBack->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 20u);
  EXPECT_EQ(desc.Height, 10u);

  IDirect3DSurface8* deviceTarget = nullptr;
  device_->GetRenderTarget(&deviceTarget);
  ASSERT_EQ(device_->SetRenderTarget(chainBack, nullptr), D3D_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  D3DRECT corner = {0, 0, 2, 2};
  device_->Clear(1, &corner, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  ASSERT_EQ(device_->SetRenderTarget(deviceTarget, nullptr), D3D_OK);
  deviceTarget->Release();
  ASSERT_EQ(chain->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  SDL_GLContext context = SDL_GL_GetCurrentContext();
  EXPECT_EQ(SDL_GL_GetCurrentWindow(), window_.sdlWindow);  // the device's window is current again
  SDL_GL_MakeCurrent(other.sdlWindow, context);
  EXPECT_EQ(ReadWindowPixel(0, 0, 10), 0xFF0000FFu);
  EXPECT_EQ(ReadWindowPixel(5, 8, 10), 0xFF00FF00u);
  SDL_GL_MakeCurrent(window_.sdlWindow, context);

  // The chain holds up a reset until it is released.
  D3DPRESENT_PARAMETERS reset = WindowedParams();
  chainBack->Release();
  EXPECT_EQ(device_->Reset(&reset), D3DERR_INVALIDCALL);
  EXPECT_EQ(chain->Release(), 0u);
  EXPECT_EQ(device_->Reset(&reset), D3D_OK);
  IDirect3DSwapChain8* refused = nullptr;
  params.hDeviceWindow = nullptr;
  EXPECT_EQ(device_->CreateAdditionalSwapChain(&params, &refused), D3DERR_INVALIDCALL);
  EXPECT_EQ(refused, nullptr);
  SDL_DestroyWindow(other.sdlWindow);
}

TEST_F(DeviceTest, FullScreenDeviceAndBackToWindowed) {
  D3DPRESENT_PARAMETERS params = FullScreenParams(640, 480);
  params.BackBufferFormat = D3DFMT_R5G6B5;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  params.FullScreen_RefreshRateInHz = 60;
  params.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device_),
            D3D_OK);
  IDirect3DSurface8* back = BackBuffer(device_);
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  D3DDISPLAYMODE mode;
  ASSERT_EQ(device_->GetDisplayMode(&mode), D3D_OK);
  EXPECT_EQ(mode.Width, 640u);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
  uint16_t pixel = 0;
  D3DLOCKED_RECT locked;
  ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  std::memcpy(&pixel, locked.pBits, 2);
  back->UnlockRect();
  EXPECT_EQ(pixel, 0xF800);
  back->Release();
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  // Full screen needs a size.
  D3DPRESENT_PARAMETERS bad = params;
  bad.BackBufferWidth = 0;
  EXPECT_EQ(device_->Reset(&bad), D3DERR_INVALIDCALL);
  D3DPRESENT_PARAMETERS windowed = WindowedParams();
  ASSERT_EQ(device_->Reset(&windowed), D3D_OK);
  EXPECT_EQ(windowed.BackBufferWidth, kWidth);
  EXPECT_EQ(SDL_GetWindowFlags(window_.sdlWindow) & SDL_WINDOW_FULLSCREEN, 0u);
}

TEST_F(DeviceTest, ResetKeepsManagedResourcesAndWaitsForDefaultOnes) {
  CreateDevice();
  IDirect3DTexture8* managed = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed), D3D_OK);
  D3DLOCKED_RECT locked;
  managed->LockRect(0, &locked, nullptr, 0);
  static_cast<uint32_t*>(locked.pBits)[5] = 0xFF445566;
  managed->UnlockRect(0);
  IDirect3DVertexBuffer8* managedBuffer = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &managedBuffer), D3D_OK);
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target), D3D_OK);
  IDirect3DVertexBuffer8* dynamic = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic),
            D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, managed), D3D_OK);

  D3DPRESENT_PARAMETERS params = WindowedParams();
  params.BackBufferWidth = 32;
  params.BackBufferHeight = 16;
  // Default-pool resources still alive: the reset fails and the device waits.
  EXPECT_EQ(device_->Reset(&params), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  target->Release();
  EXPECT_EQ(device_->Reset(&params), D3DERR_INVALIDCALL);
  dynamic->Release();
  // So does a back buffer reference kept by the caller.
  IDirect3DSurface8* back = BackBuffer(device_);
  EXPECT_EQ(device_->Reset(&params), D3DERR_INVALIDCALL);
  back->Release();
  const uint64_t serial = static_cast<d3d8::Device*>(device_)->resetSerial;
  ASSERT_EQ(device_->Reset(&params), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(static_cast<d3d8::Device*>(device_)->resetSerial, serial + 1);

  back = BackBuffer(device_);
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(desc.Height, 16u);
  back->Release();
  D3DVIEWPORT8 viewport;
  device_->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 32u);
  // Bindings are dropped; managed contents are kept.
  IDirect3DBaseTexture8* bound = reinterpret_cast<IDirect3DBaseTexture8*>(1);
  device_->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);
  managed->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  EXPECT_EQ(static_cast<uint32_t*>(locked.pBits)[5], 0xFF445566u);
  managed->UnlockRect(0);
  EXPECT_EQ(d3d8test::ReadGlTexel(managed, 0, 0, 1, 1), 0xFF445566u);
  EXPECT_EQ(managed->Release(), 0u);
  EXPECT_EQ(managedBuffer->Release(), 0u);
}

// Draws a screen-covering lit quad facing the viewer, its colour the diffuse
// lighting alone.
void DrawLitQuad(IDirect3DDevice8* device) {
  struct Vertex {
    float x, y, z, nx, ny, nz;
  };
  const Vertex quad[4] = {
      {-1, -1, 0.5f, 0, 0, -1}, {1, -1, 0.5f, 0, 0, -1}, {-1, 1, 0.5f, 0, 0, -1}, {1, 1, 0.5f, 0, 0, -1}};
  D3DMATERIAL8 material = {};
  material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  device->SetMaterial(&material);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
}

// Reset returns every state to its default, lights included, also where the
// drawing code keeps its own copy.
TEST_F(DeviceTest, ResetDropsStates) {
  CreateDevice();
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  light.Direction = {0.0f, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetLight(0, &light), D3D_OK);
  ASSERT_EQ(device_->LightEnable(0, TRUE), D3D_OK);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  DrawLitQuad(device_);
  IDirect3DSurface8* back = BackBuffer(device_);
  EXPECT_EQ(ReadPixel32(back, kWidth / 2, kHeight / 2), 0xFFFFFFFFu);
  back->Release();

  d3d8test::SetRecording(device_, true);
  D3DPRESENT_PARAMETERS params = WindowedParams();
  ASSERT_EQ(device_->Reset(&params), D3D_OK);
  EXPECT_EQ(d3d8test::CallLog(device_), std::vector<std::string>{"Reset"});
  BOOL enabled = TRUE;
  if (device_->GetLightEnable(0, &enabled) == D3D_OK) {
    EXPECT_FALSE(enabled);
  }
  DWORD value = 0;
  device_->GetRenderState(D3DRS_CULLMODE, &value);
  EXPECT_EQ(value, DWORD(D3DCULL_CCW));
  device_->GetTextureStageState(1, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, DWORD(D3DTOP_DISABLE));
  device_->GetRenderState(D3DRS_ZENABLE, &value);
  EXPECT_EQ(value, DWORD(D3DZB_TRUE));
  // Without the light the quad is black.
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  DrawLitQuad(device_);
  back = BackBuffer(device_);
  EXPECT_EQ(ReadPixel32(back, kWidth / 2, kHeight / 2), 0xFF000000u);
  back->Release();
}

TEST_F(DeviceTest, InjectedLossUntilReset) {
  CreateDevice();
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  d3d8test::InjectDeviceLoss(device_);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  D3DPRESENT_PARAMETERS params = WindowedParams();
  ASSERT_EQ(device_->Reset(&params), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(DeviceTest, LossThatCannotBeResetYet) {
  CreateDevice();
  d3d8test::InjectDeviceLoss(device_, false);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  D3DPRESENT_PARAMETERS params = WindowedParams();
  EXPECT_EQ(device_->Reset(&params), D3DERR_DEVICELOST);
  d3d8test::AllowDeviceReset(device_);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  ASSERT_EQ(device_->Reset(&params), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
}

TEST_F(DeviceTest, BuffersLockWithOffsetsAndReadBack) {
  CreateDevice();
  IDirect3DVertexBuffer8* vertices = nullptr;
  ASSERT_EQ(
      device_->CreateVertexBuffer(256, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFVF_XYZ, D3DPOOL_DEFAULT, &vertices),
      D3D_OK);
  D3DVERTEXBUFFER_DESC desc;
  vertices->GetDesc(&desc);
  EXPECT_EQ(desc.Size, 256u);
  EXPECT_EQ(desc.FVF, DWORD(D3DFVF_XYZ));
  BYTE* data = nullptr;
  ASSERT_EQ(vertices->Lock(0, 0, &data, D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK), D3D_OK);
  for (int i = 0; i < 256; ++i) data[i] = BYTE(i);
  vertices->Unlock();
  ASSERT_EQ(vertices->Lock(100, 16, &data, D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK), D3D_OK);
  EXPECT_EQ(data[0], 100);  // write-only buffers still read back
  data[1] = 0xEE;
  vertices->Unlock();
  EXPECT_EQ(vertices->Lock(250, 16, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vertices->Lock(257, 0, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vertices->Unlock(), D3DERR_INVALIDCALL);

  // The OpenGL copy follows.
  auto* core = static_cast<d3d8::VertexBuffer*>(vertices);
  GLuint name = core->Prepare();
  ASSERT_NE(name, 0u);
  uint8_t gl[256];
  glBindBuffer(GL_COPY_READ_BUFFER, name);
  glGetBufferSubData(GL_COPY_READ_BUFFER, 0, 256, gl);
  EXPECT_EQ(gl[100], 100);
  EXPECT_EQ(gl[101], 0xEE);
  EXPECT_EQ(gl[255], 255);
  // A discard gives OpenGL a fresh store holding what is written after it.
  ASSERT_EQ(vertices->Lock(0, 8, &data, D3DLOCK_DISCARD), D3D_OK);
  data[0] = 0x42;
  vertices->Unlock();
  core->Prepare();
  glBindBuffer(GL_COPY_READ_BUFFER, name);
  glGetBufferSubData(GL_COPY_READ_BUFFER, 0, 1, gl);
  EXPECT_EQ(gl[0], 0x42);
  vertices->Release();

  IDirect3DIndexBuffer8* indices = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices), D3D_OK);
  D3DINDEXBUFFER_DESC indexDesc;
  indices->GetDesc(&indexDesc);
  EXPECT_EQ(indexDesc.Format, D3DFMT_INDEX16);
  ASSERT_EQ(indices->Lock(2, 4, &data, 0), D3D_OK);
  const uint16_t values[2] = {7, 9};
  std::memcpy(data, values, 4);
  indices->Unlock();
  ASSERT_EQ(indices->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
  uint16_t all[6];
  std::memcpy(all, data, sizeof all);
  indices->Unlock();
  EXPECT_EQ(all[1], 7);
  EXPECT_EQ(all[2], 9);
  EXPECT_EQ(indices->Release(), 0u);
  EXPECT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices), D3DERR_INVALIDCALL);
  EXPECT_EQ(indices, nullptr);
}

TEST_F(DeviceTest, ReferenceCounts) {
  CreateDevice();
  EXPECT_EQ(device_->AddRef(), 2u);
  EXPECT_EQ(device_->Release(), 1u);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  ASSERT_EQ(device_->SetTexture(3, texture), D3D_OK);
  EXPECT_EQ(texture->AddRef(), 3u);  // caller, binding, this call
  EXPECT_EQ(texture->Release(), 2u);
  IDirect3DBaseTexture8* bound = nullptr;
  ASSERT_EQ(device_->GetTexture(3, &bound), D3D_OK);
  EXPECT_EQ(bound, static_cast<IDirect3DBaseTexture8*>(texture));
  EXPECT_EQ(bound->Release(), 2u);
  ASSERT_EQ(device_->SetTexture(3, nullptr), D3D_OK);
  EXPECT_EQ(device_->SetTexture(8, texture), D3DERR_INVALIDCALL);
  IDirect3DDevice8* owner = nullptr;
  ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device_);
  owner->Release();
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(DeviceTest, RecordingCountsCallsAndKeepsLastArguments) {
  CreateDevice();
  d3d8test::SetRecording(device_, true);
  device_->SetRenderState(D3DRS_ZENABLE, 0);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetTexture(1, nullptr);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF010203, 1.0f, 0);
  D3DVIEWPORT8 viewport = {1, 2, 3, 4, 0.0f, 1.0f};
  device_->SetViewport(&viewport);
  EXPECT_EQ(d3d8test::CallCount(device_, "SetRenderState"), 2u);
  EXPECT_EQ(d3d8test::LastArgs(device_, "SetRenderState"), (std::vector<uint64_t>{D3DRS_CULLMODE, D3DCULL_NONE}));
  EXPECT_EQ(d3d8test::LastArgs(device_, "SetTexture"), (std::vector<uint64_t>{1, 0}));
  EXPECT_EQ(d3d8test::LastArgs(device_, "Clear")[3], 0xFF010203u);
  EXPECT_EQ(d3d8test::LastArgs(device_, "SetViewport"),
            (std::vector<uint64_t>{1, 2, 3, 4, d3d8::RecArg(0.0f), d3d8::RecArg(1.0f)}));
  EXPECT_EQ(d3d8test::CallCount(device_, "SetRenderState", D3DRS_ZENABLE), 1u);
  EXPECT_EQ(d3d8test::CallCount(device_, "SetRenderState", D3DRS_FOGENABLE), 0u);
  EXPECT_EQ(d3d8test::AllArgs(device_, "SetRenderState"),
            (std::vector<std::vector<uint64_t>>{{D3DRS_ZENABLE, 0}, {D3DRS_CULLMODE, D3DCULL_NONE}}));
  EXPECT_EQ(d3d8test::CallLog(device_),
            (std::vector<std::string>{"SetRenderState", "SetRenderState", "SetTexture", "Clear", "SetViewport"}));
  IDirect3DVertexBuffer8* buffer = nullptr;
  device_->CreateVertexBuffer(32, 0, 0, D3DPOOL_MANAGED, &buffer);
  BYTE* data;
  buffer->Lock(8, 8, &data, D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK);
  buffer->Unlock();
  EXPECT_EQ(d3d8test::LastArgs(device_, "VertexBuffer::Lock")[3], 0x1800u);
  buffer->Release();

  d3d8test::ClearRecording(device_);
  EXPECT_EQ(d3d8test::CallCount(device_, "SetRenderState"), 0u);
  d3d8test::SetRecording(device_, false);
  device_->SetRenderState(D3DRS_ZENABLE, 1);
  EXPECT_EQ(d3d8test::CallCount(device_, "SetRenderState"), 0u);
  EXPECT_EQ(d3d8test::CallCount(device_, "NoSuchMethod"), 0u);
}

// Sets the states that make stage 0's texture the only source of colour and
// alpha, with culling and the z test off.
void SetTexturedQuadStates(IDirect3DDevice8* device) {
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

// Draws a quad from the top left corner at depth 0.5 without touching any
// render state.
void DrawTexturedQuadKeepingStates(IDirect3DDevice8* device, float width, float height) {
  struct Vertex {
    float x, y, z, rhw, u, v;
  };
  const Vertex quad[4] = {
      {0, 0, 0.5f, 1, 0, 0}, {width, 0, 0.5f, 1, 1, 0}, {0, height, 0.5f, 1, 0, 1}, {width, height, 0.5f, 1, 1, 1}};
  device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
}

// Draws the quad textured with stage 0's texture.
void DrawTexturedQuad(IDirect3DDevice8* device, float width, float height) {
  SetTexturedQuadStates(device);
  DrawTexturedQuadKeepingStates(device, width, height);
}

// A managed 1x1 X8R8G8B8 texture holding one colour.
IDirect3DTexture8* SolidTexture(IDirect3DDevice8* device, uint32_t colour) {
  IDirect3DTexture8* texture = nullptr;
  if (device->CreateTexture(1, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture) != D3D_OK) {
    return nullptr;
  }
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, 0);
  *static_cast<uint32_t*>(locked.pBits) = colour;
  texture->UnlockRect(0);
  return texture;
}

// What the drawing code samples is what the resources hold now: palette
// changes, later locks and DXT blocks all reach the screen.
TEST_F(DeviceTest, DrawingSeesPalettesLocksAndDxt) {
  CreateDevice();
  IDirect3DTexture8* palettised = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, &palettised), D3D_OK);
  D3DLOCKED_RECT locked;
  palettised->LockRect(0, &locked, nullptr, 0);
  std::memset(locked.pBits, 5, 16);
  palettised->UnlockRect(0);
  PALETTEENTRY palette[256] = {};
  palette[5] = {255, 0, 0, 255};
  device_->SetPaletteEntries(2, palette);
  device_->SetCurrentTexturePalette(2);
  device_->SetTexture(0, palettised);
  IDirect3DSurface8* back = BackBuffer(device_);
  device_->BeginScene();
  DrawTexturedQuad(device_, float(kWidth), float(kHeight));
  EXPECT_EQ(ReadPixel32(back, 10, 10), 0xFFFF0000u);
  palette[5] = {0, 0, 255, 255};
  device_->SetPaletteEntries(2, palette);
  DrawTexturedQuad(device_, float(kWidth), float(kHeight));
  EXPECT_EQ(ReadPixel32(back, 10, 10), 0xFF0000FFu);

  // A write after the texture was bound shows at the next draw.
  IDirect3DTexture8* plain = nullptr;
  ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &plain), D3D_OK);
  device_->SetTexture(0, plain);
  plain->LockRect(0, &locked, nullptr, 0);
  const uint16_t green[4] = {0x07E0, 0x07E0, 0x07E0, 0x07E0};
  std::memcpy(locked.pBits, green, 4);
  std::memcpy(static_cast<uint8_t*>(locked.pBits) + locked.Pitch, green, 4);
  plain->UnlockRect(0);
  DrawTexturedQuad(device_, float(kWidth), float(kHeight));
  EXPECT_EQ(ReadPixel32(back, 30, 30), 0xFF00FF00u);

  // A DXT1 block of one colour.
  IDirect3DTexture8* dxt = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &dxt), D3D_OK);
  dxt->LockRect(0, &locked, nullptr, 0);
  const uint8_t block[8] = {0x1F, 0x00, 0x1F, 0x00, 0, 0, 0, 0};  // blue, blue, all index 0
  std::memcpy(locked.pBits, block, 8);
  dxt->UnlockRect(0);
  device_->SetTexture(0, dxt);
  DrawTexturedQuad(device_, float(kWidth), float(kHeight));
  EXPECT_EQ(ReadPixel32(back, 50, 40), 0xFF0000FFu);
  device_->EndScene();

  device_->SetTexture(0, nullptr);
  back->Release();
  dxt->Release();
  plain->Release();
  palettised->Release();
}

// The depth a clear writes is the one the z test compares with.
TEST_F(DeviceTest, ClearedDepthHoldsBackDrawing) {
  CreateDevice();
  IDirect3DTexture8* white = SolidTexture(device_, 0xFFFFFFFF);
  ASSERT_NE(white, nullptr);
  device_->SetTexture(0, white);
  IDirect3DSurface8* back = BackBuffer(device_);
  // Depth 0.3 on the left half, 1.0 elsewhere; the quad lies at 0.5.
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  D3DRECT left = {0, 0, LONG(kWidth / 2), LONG(kHeight)};
  device_->Clear(1, &left, D3DCLEAR_ZBUFFER, 0, 0.3f, 0);
  // States from the helper, then the z test on for the real draw.
  SetTexturedQuadStates(device_);
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  DrawTexturedQuadKeepingStates(device_, float(kWidth), float(kHeight));
  EXPECT_EQ(ReadPixel32(back, 5, 5), 0xFF000000u);
  EXPECT_EQ(ReadPixel32(back, kWidth - 5, 5), 0xFFFFFFFFu);
  device_->SetTexture(0, nullptr);
  back->Release();
  white->Release();
}

// Drawing into a render-target texture keeps Direct3D's orientation: what is
// drawn at the top is in the first rows of a lock and at v = 0 when sampled.
TEST_F(DeviceTest, RenderToTextureKeepsTheTopRowFirst) {
  CreateDevice();
  IDirect3DTexture8* source = SolidTexture(device_, 0xFFFFFF00);
  ASSERT_NE(source, nullptr);
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* level = nullptr;
  target->GetSurfaceLevel(0, &level);
  IDirect3DSurface8* back = BackBuffer(device_);
  IDirect3DSurface8* depth = nullptr;
  device_->GetDepthStencilSurface(&depth);

  device_->BeginScene();
  ASSERT_EQ(device_->SetRenderTarget(level, nullptr), D3D_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000080, 1.0f, 0);
  device_->SetTexture(0, source);
  DrawTexturedQuad(device_, 16.0f, 4.0f);  // the top four rows
  EXPECT_EQ(ReadPixel32(level, 8, 0), 0xFFFFFF00u);
  EXPECT_EQ(ReadPixel32(level, 8, 3), 0xFFFFFF00u);
  EXPECT_EQ(ReadPixel32(level, 8, 4), 0xFF000080u);
  EXPECT_EQ(ReadPixel32(level, 8, 15), 0xFF000080u);

  // Sampled onto the back buffer the stripe stays at the top.
  ASSERT_EQ(device_->SetRenderTarget(back, depth), D3D_OK);
  device_->SetTexture(0, target);
  DrawTexturedQuad(device_, float(kWidth), float(kHeight));
  device_->EndScene();
  EXPECT_EQ(ReadPixel32(back, 20, 2), 0xFFFFFF00u);
  EXPECT_EQ(ReadPixel32(back, 20, kHeight - 2), 0xFF000080u);

  device_->SetTexture(0, nullptr);
  depth->Release();
  back->Release();
  level->Release();
  target->Release();
  source->Release();
}

TEST_F(DeviceTest, BadArgumentsAreRefusedWithoutHarm) {
  CreateDevice();
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateIndexBuffer(16, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateDepthStencilSurface(4, 4, D3DFMT_D16, D3DMULTISAMPLE_NONE, nullptr), D3DERR_INVALIDCALL);
  IDirect3DVertexBuffer8* vertices = nullptr;
  EXPECT_EQ(device_->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vertices), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateVertexBuffer(16, D3DUSAGE_DYNAMIC, 0, D3DPOOL_MANAGED, &vertices), D3DERR_INVALIDCALL);
  IDirect3DSurface8* surface = nullptr;
  EXPECT_EQ(device_->GetBackBuffer(1, D3DBACKBUFFER_TYPE_MONO, &surface), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateImageSurface(0, 4, D3DFMT_A8R8G8B8, &surface), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_D24S8, &surface), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &surface), D3D_OK);
  EXPECT_EQ(surface->LockRect(nullptr, nullptr, 0), D3DERR_INVALIDCALL);
  D3DLOCKED_RECT locked;
  RECT inverted = {3, 0, 1, 2};
  EXPECT_EQ(surface->LockRect(&locked, &inverted, 0), D3DERR_INVALIDCALL);
  RECT negative = {-1, 0, 1, 2};
  EXPECT_EQ(surface->LockRect(&locked, &negative, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(surface->UnlockRect(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CopyRects(surface, nullptr, 0, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CopyRects(nullptr, nullptr, 0, surface, nullptr), D3DERR_INVALIDCALL);
  // A locked surface cannot take part in a copy.
  IDirect3DSurface8* other = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &other), D3D_OK);
  ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(device_->CopyRects(surface, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);
  surface->UnlockRect();
  // Image surfaces cannot be render targets.
  EXPECT_EQ(device_->SetRenderTarget(surface, nullptr), D3DERR_INVALIDCALL);
  other->Release();
  surface->Release();
  EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  D3DVIEWPORT8 huge = {0xFFFFFFF0u, 0, 0x20, 1, 0.0f, 1.0f};
  EXPECT_EQ(device_->SetViewport(&huge), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetViewport(nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetPaletteEntries(0, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->GetTexture(8, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Reset(nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
}

// The game makes its window at 640 x 480 before it picks the mode; a
// full-screen device of another size gives the window that mode's client
// area, whatever size the desktop the picture is scaled onto has.
TEST_F(DeviceTest, AFullScreenDeviceGivesItsWindowTheModesClientArea) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "FullScreenDeviceWindow";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  RECT rect = {0, 0, 640, 480};
  AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  D3DPRESENT_PARAMETERS params = FullScreenParams(800, 600);
  params.hDeviceWindow = window;
  IDirect3DDevice8* device = nullptr;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device),
            D3D_OK);
  RECT client = {};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(UnregisterClassA(windowClass.lpszClassName, nullptr));
}

}  // namespace
