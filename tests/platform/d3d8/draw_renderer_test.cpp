// Pixel tests of the fixed-function renderer on a plain headless OpenGL
// context: pre-transformed and transformed geometry, depth, blending, alpha
// test, culling, stencil, lighting, fog and texture stages.
#include "platform/d3d8/draw_renderer.h"

#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/platform/d3d8/screen_vertices.h"
#include "tests/support/gl_context.h"

namespace {

using d3d8draw::Renderer;

constexpr int kSize = 64;

struct LitVertex {
  float x, y, z;
  float nx, ny, nz;
};

DWORD Bits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

D3DMATRIX Identity() {
  D3DMATRIX m;
  std::memset(&m, 0, sizeof(m));
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

// Left-handed perspective projection with depth 0..1.
D3DMATRIX Perspective(float fovY, float aspect, float zn, float zf) {
  D3DMATRIX m;
  std::memset(&m, 0, sizeof(m));
  const float yScale = 1.0f / std::tan(fovY / 2);
  m._11 = yScale / aspect;
  m._22 = yScale;
  m._33 = zf / (zf - zn);
  m._34 = 1.0f;
  m._43 = -zn * zf / (zf - zn);
  return m;
}

int Channel(uint32_t color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

// Compares two 0xAARRGGBB colours channel by channel (alpha ignored).
::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance) {
  for (int shift : {16, 8, 0}) {
    if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) {
      char text[96];
      std::snprintf(text, sizeof(text), "actual 0x%08X expected 0x%08X", actual, expected);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(context_.Open(kSize, kSize)) << context_.Error();
    ASSERT_TRUE(renderer_.Open());
    glGenFramebuffers(1, &fbo_);
    glGenRenderbuffers(2, rb_);
    glBindRenderbuffer(GL_RENDERBUFFER, rb_[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
    glBindRenderbuffer(GL_RENDERBUFFER, rb_[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kSize, kSize);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb_[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, rb_[1]);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    D3DVIEWPORT8 viewport = {0, 0, kSize, kSize, 0.0f, 1.0f};
    renderer_.SetViewport(viewport);
    // Untextured drawing as the engine sets it up: the vertex colour.
    renderer_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    renderer_.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    renderer_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    renderer_.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    Clear(0xFF000000, 1.0f, 0);
  }

  void TearDown() override {
    glFinish();
    renderer_.Close();
    glDeleteFramebuffers(1, &fbo_);
    glDeleteRenderbuffers(2, rb_);
    for (GLuint texture : textures_) glDeleteTextures(1, &texture);
    for (GLuint buffer : buffers_) glDeleteBuffers(1, &buffer);
  }

  void Clear(uint32_t color, float z, int stencil) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(Channel(color, 16) / 255.0f, Channel(color, 8) / 255.0f, Channel(color, 0) / 255.0f,
                 Channel(color, 24) / 255.0f);
    glClearDepth(z);
    glClearStencil(stencil);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    renderer_.InvalidateGlState();
  }

  // Unlit drawing with both windings visible, the set-up of most screen-space
  // tests; without the depth test as well when depthTest is false.
  void UnlitNoCulling(bool depthTest = true) {
    renderer_.SetRenderState(D3DRS_LIGHTING, FALSE);
    renderer_.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (!depthTest) {
      renderer_.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    }
  }

  // Binds the texture to stage 0 and shows its colour alone.
  void SelectTextureColour(GLuint texture) {
    renderer_.SetTexture(0, texture, GL_TEXTURE_2D);
    renderer_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    renderer_.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  }

  // Pixel (x, y) counted from the top row, as 0xAARRGGBB. The target holds
  // the top row first.
  uint32_t Pixel(int x, int y) {
    uint8_t rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    renderer_.InvalidateGlState();
    return (uint32_t(rgba[3]) << 24) | (uint32_t(rgba[0]) << 16) | (uint32_t(rgba[1]) << 8) | rgba[2];
  }

  void Quad(float x0, float y0, float x1, float y1, float z, DWORD color) {
    const ScreenVertex v[4] = {
        {x0, y0, z, 1, color}, {x1, y0, z, 1, color}, {x0, y1, z, 1, color}, {x1, y1, z, 1, color}};
    ASSERT_EQ(renderer_.SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), D3D_OK);
    ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK)
        << renderer_.LastShaderError();
  }

  void TexturedQuad(float x0, float y0, float x1, float y1, DWORD color, float u0, float v0, float u1, float v1) {
    const TexturedScreenVertex v[4] = {{x0, y0, 0.5f, 1, color, u0, v0},
                                       {x1, y0, 0.5f, 1, color, u1, v0},
                                       {x0, y1, 0.5f, 1, color, u0, v1},
                                       {x1, y1, 0.5f, 1, color, u1, v1}};
    ASSERT_EQ(renderer_.SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), D3D_OK);
    ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedScreenVertex)), D3D_OK)
        << renderer_.LastShaderError();
  }

  // A texture from rows of 0xAARRGGBB texels, first row on top.
  GLuint MakeTexture(int width, int height, const std::vector<uint32_t>& texels) {
    std::vector<uint8_t> rgba;
    for (uint32_t t : texels) {
      rgba.push_back(static_cast<uint8_t>(t >> 16));
      rgba.push_back(static_cast<uint8_t>(t >> 8));
      rgba.push_back(static_cast<uint8_t>(t));
      rgba.push_back(static_cast<uint8_t>(t >> 24));
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    textures_.push_back(texture);
    renderer_.InvalidateGlState();
    return texture;
  }

  GLuint MakeBuffer(GLenum target, const void* data, size_t size) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(size), data, GL_STATIC_DRAW);
    (void)target;
    buffers_.push_back(buffer);
    return buffer;
  }

  tktest::HeadlessGlContext context_;
  Renderer renderer_;
  GLuint fbo_ = 0;
  GLuint rb_[2] = {};
  std::vector<GLuint> textures_;
  std::vector<GLuint> buffers_;
};

TEST_F(RendererTest, PreTransformedQuadCoversExactPixels) {
  UnlitNoCulling();
  Quad(10, 20, 30, 25, 0.5f, 0xFFFF0000);
  EXPECT_EQ(Pixel(10, 20), 0xFFFF0000u);
  EXPECT_EQ(Pixel(29, 24), 0xFFFF0000u);
  EXPECT_EQ(Pixel(9, 20), 0xFF000000u);
  EXPECT_EQ(Pixel(30, 20), 0xFF000000u);
  EXPECT_EQ(Pixel(10, 19), 0xFF000000u);
  EXPECT_EQ(Pixel(10, 25), 0xFF000000u);
}

TEST_F(RendererTest, ClippingOffClampsDepthInsteadOfCutting) {
  UnlitNoCulling();
  renderer_.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  renderer_.SetRenderState(D3DRS_CLIPPING, FALSE);
  Quad(0, 0, 8, 8, 1.25f, 0xFFFF0000);
  EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
  Quad(8, 0, 16, 8, -0.25f, 0xFF00FF00);
  EXPECT_EQ(Pixel(12, 4), 0xFF00FF00u);
  renderer_.SetRenderState(D3DRS_CLIPPING, TRUE);
  Quad(16, 0, 24, 8, 1.25f, 0xFF0000FF);
  EXPECT_EQ(Pixel(20, 4), 0xFF000000u);
}

TEST_F(RendererTest, DepthTestAndWrite) {
  UnlitNoCulling();
  Quad(0, 0, 32, 32, 0.3f, 0xFFFF0000);
  // Farther: hidden by the default LESSEQUAL test.
  Quad(0, 0, 32, 32, 0.6f, 0xFF00FF00);
  EXPECT_EQ(Pixel(5, 5), 0xFFFF0000u);
  // Equal depth passes LESSEQUAL.
  Quad(0, 0, 16, 16, 0.3f, 0xFF0000FF);
  EXPECT_EQ(Pixel(5, 5), 0xFF0000FFu);
  // Without depth writes the depth stays 0.3 for the next quad.
  renderer_.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  Quad(0, 0, 32, 32, 0.1f, 0xFFFFFF00);
  renderer_.SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  Quad(0, 0, 32, 32, 0.2f, 0xFF00FFFF);
  EXPECT_EQ(Pixel(20, 20), 0xFF00FFFFu);
  // ZFUNC GREATER draws only behind.
  renderer_.SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
  Quad(0, 0, 32, 32, 0.1f, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(20, 20), 0xFF00FFFFu);
  Quad(0, 0, 32, 32, 0.9f, 0xFF808080);
  EXPECT_EQ(Pixel(20, 20), 0xFF808080u);
  // Depth test off draws regardless and writes nothing.
  renderer_.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  renderer_.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  Quad(40, 40, 50, 50, 0.99f, 0xFF102030);
  EXPECT_EQ(Pixel(45, 45), 0xFF102030u);
  // The quad outside the depth test left no depth behind: a far quad with the
  // test back on still draws where the cleared depth is 1.0.
  renderer_.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  Quad(40, 40, 50, 50, 0.98f, 0xFF405060);
  EXPECT_EQ(Pixel(45, 45), 0xFF405060u);
}

struct BlendCase {
  DWORD source;
  DWORD dest;
};

// The factor of a blend mode for source colour s and destination colour d
// (one channel, alpha in sa and da).
float Factor(DWORD mode, float s, float sa, float d, float da) {
  switch (mode) {
    case D3DBLEND_ZERO:
      return 0;
    case D3DBLEND_ONE:
      return 1;
    case D3DBLEND_SRCCOLOR:
      return s;
    case D3DBLEND_INVSRCCOLOR:
      return 1 - s;
    case D3DBLEND_SRCALPHA:
      return sa;
    case D3DBLEND_INVSRCALPHA:
      return 1 - sa;
    case D3DBLEND_DESTALPHA:
      return da;
    case D3DBLEND_INVDESTALPHA:
      return 1 - da;
    case D3DBLEND_DESTCOLOR:
      return d;
    case D3DBLEND_INVDESTCOLOR:
      return 1 - d;
    case D3DBLEND_SRCALPHASAT:
      return std::min(sa, 1 - da);
    default:
      return 0;
  }
}

TEST_F(RendererTest, EveryBlendFactor) {
  UnlitNoCulling(/*depthTest=*/false);
  const uint32_t dest = 0x60C08040;    // alpha 0x60
  const uint32_t source = 0x90204080;  // alpha 0x90
  for (DWORD s = D3DBLEND_ZERO; s <= D3DBLEND_SRCALPHASAT; ++s) {
    for (DWORD d = D3DBLEND_ZERO; d <= D3DBLEND_INVDESTCOLOR; ++d) {
      SCOPED_TRACE(::testing::Message() << "source " << s << " dest " << d);
      Clear(dest, 1.0f, 0);
      renderer_.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
      renderer_.SetRenderState(D3DRS_SRCBLEND, s);
      renderer_.SetRenderState(D3DRS_DESTBLEND, d);
      Quad(0, 0, 8, 8, 0.5f, source);
      renderer_.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
      const float sa = Channel(source, 24) / 255.0f;
      const float da = Channel(dest, 24) / 255.0f;
      uint32_t expected = 0;
      for (int shift : {16, 8, 0}) {
        const float sc = Channel(source, shift) / 255.0f;
        const float dc = Channel(dest, shift) / 255.0f;
        float value = sc * Factor(s, sc, sa, dc, da) + dc * Factor(d, sc, sa, dc, da);
        value = std::min(1.0f, std::max(0.0f, value));
        expected |= static_cast<uint32_t>(std::lround(value * 255)) << shift;
      }
      EXPECT_TRUE(ColorNear(Pixel(4, 4), expected, 2));
    }
  }
  // Both-source-alpha modes set both factors from the source blend alone.
  Clear(dest, 1.0f, 0);
  renderer_.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BOTHSRCALPHA);
  renderer_.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  Quad(0, 0, 8, 8, 0.5f, source);
  const float sa = Channel(source, 24) / 255.0f;
  uint32_t expected = 0;
  for (int shift : {16, 8, 0}) {
    const float value = Channel(source, shift) / 255.0f * sa + Channel(dest, shift) / 255.0f * (1 - sa);
    expected |= static_cast<uint32_t>(std::lround(value * 255)) << shift;
  }
  EXPECT_TRUE(ColorNear(Pixel(4, 4), expected, 2));
}

TEST_F(RendererTest, AlphaTestComparesWithReference) {
  UnlitNoCulling(/*depthTest=*/false);
  renderer_.SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_ALPHAREF, 0x80);
  struct Case {
    DWORD func;
    DWORD alpha;
    bool drawn;
  };
  const Case cases[] = {
      {D3DCMP_GREATER, 0x80, false},      {D3DCMP_GREATER, 0x81, true},   {D3DCMP_GREATEREQUAL, 0x80, true},
      {D3DCMP_GREATEREQUAL, 0x7F, false}, {D3DCMP_LESS, 0x7F, true},      {D3DCMP_LESS, 0x80, false},
      {D3DCMP_EQUAL, 0x80, true},         {D3DCMP_NOTEQUAL, 0x80, false}, {D3DCMP_NEVER, 0xFF, false},
      {D3DCMP_ALWAYS, 0x00, true},        {D3DCMP_LESSEQUAL, 0x80, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "func " << c.func << " alpha " << c.alpha);
    Clear(0xFF000000, 1.0f, 0);
    renderer_.SetRenderState(D3DRS_ALPHAFUNC, c.func);
    Quad(0, 0, 8, 8, 0.5f, (c.alpha << 24) | 0x00FFFFFF);
    EXPECT_EQ(Pixel(4, 4) & 0xFFFFFF, c.drawn ? 0xFFFFFFu : 0u);
  }
}

TEST_F(RendererTest, StencilPassAndFail) {
  UnlitNoCulling();
  Clear(0xFF000000, 1.0f, 0);
  // Write 5 into the stencil of the left half, drawing no colour.
  renderer_.SetRenderState(D3DRS_STENCILENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  renderer_.SetRenderState(D3DRS_STENCILREF, 5);
  renderer_.SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
  renderer_.SetRenderState(D3DRS_COLORWRITEENABLE, 0);
  renderer_.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  Quad(0, 0, 32, 64, 0.5f, 0xFFFFFFFF);
  renderer_.SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  EXPECT_EQ(Pixel(10, 10), 0xFF000000u);
  // Draw only where the stencil equals 5.
  renderer_.SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  renderer_.SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  Quad(0, 0, 64, 64, 0.5f, 0xFF00FF00);
  EXPECT_EQ(Pixel(10, 10), 0xFF00FF00u);
  EXPECT_EQ(Pixel(40, 10), 0xFF000000u);
  // A failing test runs the fail operation: increment where it is not 5.
  renderer_.SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_INCRSAT);
  renderer_.SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  Quad(0, 0, 64, 64, 0.5f, 0xFF00FF00);
  renderer_.SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
  renderer_.SetRenderState(D3DRS_STENCILREF, 1);
  Quad(0, 0, 64, 64, 0.5f, 0xFFFF0000);
  EXPECT_EQ(Pixel(40, 10), 0xFFFF0000u);
  EXPECT_EQ(Pixel(10, 10), 0xFF00FF00u);
  // Depth failure runs the z-fail operation; the mask limits the compare.
  renderer_.SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  Clear(0xFF000000, 0.2f, 0);
  renderer_.SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  renderer_.SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_REPLACE);
  renderer_.SetRenderState(D3DRS_STENCILREF, 0x13);
  Quad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(10, 10), 0xFF000000u);
  renderer_.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  renderer_.SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  renderer_.SetRenderState(D3DRS_STENCILREF, 0x03);
  renderer_.SetRenderState(D3DRS_STENCILMASK, 0x0F);
  Quad(0, 0, 64, 64, 0.5f, 0xFF0000FF);
  EXPECT_EQ(Pixel(10, 10), 0xFF0000FFu);
}

// A camera at the origin looking along +z with a 90 degree field of view: a
// point (x, y, 10) lands on pixel (32 + 3.2 x, 32 - 3.2 y).
class TransformedTest : public RendererTest {
 protected:
  void SetUp() override {
    RendererTest::SetUp();
    const D3DMATRIX identity = Identity();
    const D3DMATRIX projection = Perspective(3.14159265f / 2, 1.0f, 1.0f, 100.0f);
    renderer_.SetTransform(256, &identity);
    renderer_.SetTransform(D3DTS_VIEW, &identity);
    renderer_.SetTransform(D3DTS_PROJECTION, &projection);
  }

  // Four triangles around (0, 0, 10) spanning the screen, all with one
  // normal; pixel (32, 32) shows exactly the centre vertex's colour.
  void LitFan(float nx, float ny, float nz) {
    const LitVertex v[6] = {{0, 0, 10, nx, ny, nz},    {-10, 10, 10, nx, ny, nz},  {10, 10, 10, nx, ny, nz},
                            {10, -10, 10, nx, ny, nz}, {-10, -10, 10, nx, ny, nz}, {-10, 10, 10, nx, ny, nz}};
    ASSERT_EQ(renderer_.SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL), D3D_OK);
    ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 4, v, sizeof(LitVertex)), D3D_OK)
        << renderer_.LastShaderError();
  }

  // Light 0 set to white directional light along +z and enabled; returned for
  // tests that vary it.
  D3DLIGHT8 EnableWhiteLightAlongZ() {
    D3DLIGHT8 light;
    std::memset(&light, 0, sizeof(light));
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1};
    renderer_.SetLight(0, &light);
    renderer_.LightEnable(0, TRUE);
    return light;
  }

  void SetMaterial(float r, float g, float b, float ambient) {
    D3DMATERIAL8 material;
    std::memset(&material, 0, sizeof(material));
    material.Diffuse = {r, g, b, 1.0f};
    material.Ambient = {ambient, ambient, ambient, 1.0f};
    renderer_.SetMaterial(&material);
  }
};

uint32_t Rgb(float r, float g, float b) {
  auto byte = [](float v) { return static_cast<uint32_t>(std::lround(std::min(1.0f, std::max(0.0f, v)) * 255)); };
  return 0xFF000000u | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

TEST_F(TransformedTest, CullingFollowsScreenWindingAlsoWithMirroredView) {
  renderer_.SetRenderState(D3DRS_LIGHTING, FALSE);
  struct Vertex {
    float x, y, z;
    DWORD color;
  };
  // Top-left, top-right, bottom-left: clockwise on screen.
  const Vertex triangle[3] = {{-5, 5, 10, 0xFFFFFFFF}, {5, 5, 10, 0xFFFFFFFF}, {-5, -5, 10, 0xFFFFFFFF}};
  struct Case {
    bool mirrored;
    DWORD cull;
    bool drawn;
  };
  const Case cases[] = {{false, D3DCULL_CCW, true}, {false, D3DCULL_CW, false}, {false, D3DCULL_NONE, true},
                        {true, D3DCULL_CCW, false}, {true, D3DCULL_CW, true},   {true, D3DCULL_NONE, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mirrored " << c.mirrored << " cull " << c.cull);
    Clear(0xFF000000, 1.0f, 0);
    D3DMATRIX view = Identity();
    if (c.mirrored) view._11 = -1.0f;  // the x axis points left
    renderer_.SetTransform(D3DTS_VIEW, &view);
    renderer_.SetRenderState(D3DRS_CULLMODE, c.cull);
    ASSERT_EQ(renderer_.SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE), D3D_OK);
    ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(Vertex)), D3D_OK);
    const int x = c.mirrored ? 41 : 22;
    EXPECT_EQ(Pixel(x, 22), c.drawn ? 0xFFFFFFFFu : 0xFF000000u);
  }
}

TEST_F(TransformedTest, DirectionalLight) {
  renderer_.SetRenderState(D3DRS_AMBIENT, 0x00404040);
  SetMaterial(1.0f, 1.0f, 0.5f, 0.2f);
  D3DLIGHT8 light;
  std::memset(&light, 0, sizeof(light));
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
  light.Direction = {0.0f, 0.6f, 0.8f};
  ASSERT_EQ(renderer_.SetLight(0, &light), D3D_OK);
  ASSERT_EQ(renderer_.LightEnable(0, TRUE), D3D_OK);
  LitFan(0, 0, -1);
  const float ambient = 0.2f * (0x40 / 255.0f);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(ambient + 0.5f * 0.8f, ambient + 0.25f * 0.8f, ambient + 0.5f * 0.8f), 1));
  // A surface facing away gets the ambient term only.
  LitFan(0, 0, 1);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(ambient, ambient, ambient), 1));
  // A disabled light contributes nothing.
  renderer_.LightEnable(0, FALSE);
  renderer_.SetRenderState(D3DRS_AMBIENT, 0);
  LitFan(0, 0, -1);
  EXPECT_EQ(Pixel(32, 32), 0xFF000000u);
  // Lights are given in world space: a view turned 180 degrees about y
  // turns the light with it.
  renderer_.LightEnable(0, TRUE);
  D3DMATRIX view = Identity();
  view._11 = -1.0f;
  view._33 = -1.0f;
  renderer_.SetTransform(D3DTS_VIEW, &view);
  const D3DMATRIX world = view;  // keeps the fan in front of the camera
  renderer_.SetTransform(256, &world);
  // In world space the fan now faces +z; a light shining along -z reaches it.
  light.Direction = {0.0f, 0.6f, -0.8f};
  renderer_.SetLight(0, &light);
  LitFan(0, 0, -1);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(0.5f * 0.8f, 0.25f * 0.8f, 0.5f * 0.8f), 1));
}

TEST_F(TransformedTest, PointLightWithAttenuationAndRange) {
  SetMaterial(1.0f, 1.0f, 1.0f, 0.0f);
  D3DLIGHT8 light;
  std::memset(&light, 0, sizeof(light));
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = {0.2f, 0.1f, 0.3f, 1.0f};
  light.Position = {0.0f, 0.0f, 5.0f};
  light.Range = 100.0f;
  struct Case {
    float a0, a1, a2, range;
    float scale;
  };
  // The centre vertex is 5 units from the light.
  const Case cases[] = {{1, 0, 0, 100, 1.0f},     {0, 0.1f, 0, 100, 2.0f}, {0.5f, 0, 0.02f, 100, 1.0f},
                        {0, 0, 0.04f, 100, 1.0f}, {1, 0, 0, 4.9f, 0.0f},   {1, 0, 0, 5.1f, 1.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a0 << " " << c.a1 << " " << c.a2 << " range " << c.range);
    light.Attenuation0 = c.a0;
    light.Attenuation1 = c.a1;
    light.Attenuation2 = c.a2;
    light.Range = c.range;
    ASSERT_EQ(renderer_.SetLight(3, &light), D3D_OK);
    ASSERT_EQ(renderer_.LightEnable(3, TRUE), D3D_OK);
    LitFan(0, 0, -1);
    EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(0.2f * c.scale, 0.1f * c.scale, 0.3f * c.scale), 1));
  }
  // The light's ambient colour is attenuated like the rest.
  light.Attenuation0 = 2.0f;
  light.Range = 100.0f;
  light.Diffuse = {0, 0, 0, 1};
  light.Ambient = {0.8f, 0.4f, 0.2f, 1};
  renderer_.SetLight(3, &light);
  SetMaterial(1.0f, 1.0f, 1.0f, 1.0f);
  LitFan(0, 0, -1);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(0.4f, 0.2f, 0.1f), 1));
}

TEST_F(TransformedTest, SpotLightConeAndFalloff) {
  SetMaterial(1.0f, 1.0f, 1.0f, 0.0f);
  const float pi = 3.14159265f;
  const float degree = pi / 180.0f;
  D3DLIGHT8 light;
  std::memset(&light, 0, sizeof(light));
  light.Type = D3DLIGHT_SPOT;
  light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  // 20 degrees off the spot's axis as seen from the light.
  light.Position = {10.0f * std::tan(20 * degree), 0.0f, 0.0f};
  light.Direction = {0.0f, 0.0f, 1.0f};
  light.Range = 100.0f;
  light.Attenuation0 = 1.0f;
  const float rho = std::cos(20 * degree);
  const float nDotL = rho;  // the surface faces the camera along -z
  struct Case {
    float theta, phi, falloff;
    float spot;
  };
  const float inner = std::cos(15 * degree);
  const float outer = std::cos(30 * degree);
  const float ratio = (rho - outer) / (inner - outer);
  const Case cases[] = {{60 * degree, 90 * degree, 1.0f, 1.0f},
                        {10 * degree, 30 * degree, 1.0f, 0.0f},
                        {30 * degree, 60 * degree, 1.0f, ratio},
                        {30 * degree, 60 * degree, 2.0f, ratio * ratio}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "theta " << c.theta << " phi " << c.phi << " falloff " << c.falloff);
    light.Theta = c.theta;
    light.Phi = c.phi;
    light.Falloff = c.falloff;
    ASSERT_EQ(renderer_.SetLight(0, &light), D3D_OK);
    ASSERT_EQ(renderer_.LightEnable(0, TRUE), D3D_OK);
    LitFan(0, 0, -1);
    const float v = nDotL * c.spot;
    EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(v, v, v), 1));
  }
}

TEST_F(TransformedTest, LightsOfEveryKindAddUp) {
  // The centre vertex at (0, 0, 10) faces the camera; each light reaches it
  // with N.L and attenuation known, adding att * N.L * its colour.
  SetMaterial(1.0f, 1.0f, 1.0f, 0.0f);
  struct Color {
    float r, g, b;
  };
  struct Light {
    D3DLIGHTTYPE type;
    Color color;
    float weight;  // att * N.L * spot at the centre vertex
  };
  const float pi = 3.14159265f;
  const float degree = pi / 180.0f;
  auto make = [&](const Light& l) {
    D3DLIGHT8 light;
    std::memset(&light, 0, sizeof(light));
    light.Type = l.type;
    light.Diffuse = {l.color.r, l.color.g, l.color.b, 1.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    light.Range = 100.0f;
    light.Attenuation0 = 1.0f;
    if (l.type == D3DLIGHT_POINT) light.Position = {0.0f, 0.0f, 5.0f};
    if (l.type == D3DLIGHT_SPOT) {
      // 20 degrees off the axis: the cone's falloff and N.L both tell.
      light.Position = {10.0f * std::tan(20 * degree), 0.0f, 0.0f};
      light.Theta = 30 * degree;
      light.Phi = 60 * degree;
      light.Falloff = 1.0f;
    }
    return light;
  };
  const float rho = std::cos(20 * degree);
  const float cone = (rho - std::cos(30 * degree)) / (std::cos(15 * degree) - std::cos(30 * degree));
  const Light directional = {D3DLIGHT_DIRECTIONAL, {0.10f, 0.05f, 0.02f}, 1.0f};
  const Light point = {D3DLIGHT_POINT, {0.20f, 0.10f, 0.05f}, 1.0f};
  const Light spot = {D3DLIGHT_SPOT, {0.30f, 0.40f, 0.20f}, rho * cone};
  const Light dim = {D3DLIGHT_POINT, {0.02f, 0.03f, 0.04f}, 1.0f};
  struct Case {
    const char* name;
    std::vector<const Light*> lights;  // by index; null leaves the index off
    int lit;                           // the lights that count: the first enabled ones
  };
  const Case cases[] = {
      {"local lights before the directional one", {&point, nullptr, &directional, nullptr, &spot}, 3},
      {"two directional, a point and a spot", {&directional, &spot, &directional, &point}, 4},
      {"spot lights alone", {&spot, &spot}, 2},
      // Only the first eight enabled lights count, a directional ninth none.
      {"nine lights", {&dim, &dim, &dim, &dim, &dim, &dim, &dim, &dim, &directional}, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (DWORD i = 0; i < 9; ++i) renderer_.LightEnable(i, FALSE);
    Color sum = {0, 0, 0};
    int enabled = 0;
    for (size_t i = 0; i < c.lights.size(); ++i) {
      const Light* l = c.lights[i];
      if (l == nullptr) continue;
      const D3DLIGHT8 light = make(*l);
      ASSERT_EQ(renderer_.SetLight(static_cast<DWORD>(i), &light), D3D_OK);
      ASSERT_EQ(renderer_.LightEnable(static_cast<DWORD>(i), TRUE), D3D_OK);
      if (enabled++ < c.lit) {
        sum.r += l->weight * l->color.r;
        sum.g += l->weight * l->color.g;
        sum.b += l->weight * l->color.b;
      }
    }
    LitFan(0, 0, -1);
    EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(sum.r, sum.g, sum.b), 1));
  }
}

TEST_F(TransformedTest, LightProgramsBuiltAheadDrawNothing) {
  // The first lit draw builds the programs for point and spot lights beside
  // its own and draws once with each, unseen: added up, the picture shows
  // one draw.
  renderer_.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  renderer_.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  SetMaterial(0.25f, 0.25f, 0.25f, 0.0f);
  EnableWhiteLightAlongZ();
  const size_t compiled = renderer_.ProgramsCompiled();
  LitFan(0, 0, -1);
  EXPECT_EQ(renderer_.ProgramsCompiled(), compiled + d3d8draw::kLocalLightKinds);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(0.25f, 0.25f, 0.25f), 1));
  // What comes next draws as before.
  LitFan(0, 0, -1);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(0.5f, 0.5f, 0.5f), 1));
}

TEST_F(TransformedTest, MaterialSourcesAndColorVertex) {
  struct Vertex {
    float x, y, z, nx, ny, nz;
    DWORD diffuse;
  };
  const DWORD color = 0xFF336699;
  const Vertex v[6] = {{0, 0, 10, 0, 0, -1, color},    {-10, 10, 10, 0, 0, -1, color},  {10, 10, 10, 0, 0, -1, color},
                       {10, -10, 10, 0, 0, -1, color}, {-10, -10, 10, 0, 0, -1, color}, {-10, 10, 10, 0, 0, -1, color}};
  SetMaterial(1.0f, 0.5f, 0.25f, 0.0f);
  EnableWhiteLightAlongZ();
  renderer_.SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE);
  // Diffuse from the vertex colour (the default source COLOR1).
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 4, v, sizeof(Vertex));
  EXPECT_TRUE(ColorNear(Pixel(32, 32), 0xFF336699, 1));
  // COLORVERTEX off takes the material.
  renderer_.SetRenderState(D3DRS_COLORVERTEX, FALSE);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 4, v, sizeof(Vertex));
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(1.0f, 0.5f, 0.25f), 1));
  // Emissive from the vertex colour, diffuse from the material.
  renderer_.SetRenderState(D3DRS_COLORVERTEX, TRUE);
  renderer_.SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  renderer_.SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
  renderer_.LightEnable(0, FALSE);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 4, v, sizeof(Vertex));
  EXPECT_TRUE(ColorNear(Pixel(32, 32), 0xFF336699, 1));
  // Lighting off shows the vertex colour as it is.
  renderer_.SetRenderState(D3DRS_LIGHTING, FALSE);
  renderer_.SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 4, v, sizeof(Vertex));
  EXPECT_TRUE(ColorNear(Pixel(32, 32), 0xFF336699, 0));
}

TEST_F(TransformedTest, FogAtKnownDepths) {
  renderer_.SetRenderState(D3DRS_LIGHTING, FALSE);
  renderer_.SetRenderState(D3DRS_FOGENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
  renderer_.SetRenderState(D3DRS_FOGSTART, Bits(5.0f));
  renderer_.SetRenderState(D3DRS_FOGEND, Bits(15.0f));
  struct Vertex {
    float x, y, z;
    DWORD color;
  };
  const Vertex quad[4] = {
      {-10, 10, 10, 0xFFFF0000}, {10, 10, 10, 0xFFFF0000}, {-10, -10, 10, 0xFFFF0000}, {10, -10, 10, 0xFFFF0000}};
  auto expect = [](float f) { return Rgb(f, 0.0f, 1.0f - f); };
  struct Case {
    DWORD table;
    DWORD vertex;
    DWORD mode;
    float density;
    float factor;
  };
  const Case cases[] = {
      {D3DFOG_LINEAR, D3DFOG_NONE, D3DFOG_LINEAR, 1.0f, 0.5f},
      {D3DFOG_NONE, D3DFOG_LINEAR, D3DFOG_LINEAR, 1.0f, 0.5f},
      {D3DFOG_EXP, D3DFOG_NONE, D3DFOG_EXP, 0.1f, std::exp(-1.0f)},
      {D3DFOG_NONE, D3DFOG_EXP, D3DFOG_EXP, 0.1f, std::exp(-1.0f)},
      {D3DFOG_EXP2, D3DFOG_NONE, D3DFOG_EXP2, 0.05f, std::exp(-0.25f)},
      {D3DFOG_NONE, D3DFOG_EXP2, D3DFOG_EXP2, 0.05f, std::exp(-0.25f)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "table " << c.table << " vertex " << c.vertex);
    renderer_.SetRenderState(D3DRS_FOGTABLEMODE, c.table);
    renderer_.SetRenderState(D3DRS_FOGVERTEXMODE, c.vertex);
    renderer_.SetRenderState(D3DRS_FOGDENSITY, Bits(c.density));
    renderer_.SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
    EXPECT_TRUE(ColorNear(Pixel(32, 32), expect(c.factor), 2));
    EXPECT_TRUE(ColorNear(Pixel(5, 60), expect(c.factor), 2));
  }
  // With a parallel projection (w stays 1) table fog follows the depth
  // value: the quad at z = 10 of a 0..20 depth range sits at depth 0.5.
  D3DMATRIX parallel = Identity();
  parallel._11 = parallel._22 = 0.1f;
  parallel._33 = 1.0f / 20.0f;
  renderer_.SetTransform(D3DTS_PROJECTION, &parallel);
  renderer_.SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  renderer_.SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
  renderer_.SetRenderState(D3DRS_FOGSTART, Bits(0.25f));
  renderer_.SetRenderState(D3DRS_FOGEND, Bits(0.75f));
  renderer_.SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), expect(0.5f), 2));
  renderer_.SetRenderState(D3DRS_FOGSTART, Bits(5.0f));
  renderer_.SetRenderState(D3DRS_FOGEND, Bits(15.0f));
  // Table fog reaches pre-transformed vertices through their w (1 / rhw).
  renderer_.SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  const ScreenVertex screen[4] = {{0, 0, 0.5f, 0.1f, 0xFFFF0000},
                                  {64, 0, 0.5f, 0.1f, 0xFFFF0000},
                                  {0, 64, 0.5f, 0.1f, 0xFFFF0000},
                                  {64, 64, 0.5f, 0.1f, 0xFFFF0000}};
  renderer_.SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, screen, sizeof(ScreenVertex));
  EXPECT_TRUE(ColorNear(Pixel(10, 10), expect(0.5f), 2));
  // Equal start and end: no fog in front of them, all fog behind.
  renderer_.SetRenderState(D3DRS_FOGSTART, Bits(12.0f));
  renderer_.SetRenderState(D3DRS_FOGEND, Bits(12.0f));
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, screen, sizeof(ScreenVertex));
  EXPECT_EQ(Pixel(10, 10), 0xFFFF0000u);
  renderer_.SetRenderState(D3DRS_FOGSTART, Bits(8.0f));
  renderer_.SetRenderState(D3DRS_FOGEND, Bits(8.0f));
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, screen, sizeof(ScreenVertex));
  EXPECT_EQ(Pixel(10, 10), 0xFF0000FFu);
  // Fog off leaves the colour alone.
  renderer_.SetRenderState(D3DRS_FOGENABLE, FALSE);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, screen, sizeof(ScreenVertex));
  EXPECT_EQ(Pixel(10, 10), 0xFFFF0000u);
}

struct Rgba {
  float r, g, b, a;
};

Rgba ToRgba(uint32_t c) {
  return {Channel(c, 16) / 255.0f, Channel(c, 8) / 255.0f, Channel(c, 0) / 255.0f, Channel(c, 24) / 255.0f};
}

uint32_t FromRgba(const Rgba& c) {
  auto byte = [](float v) { return static_cast<uint32_t>(std::lround(std::min(1.0f, std::max(0.0f, v)) * 255)); };
  return (byte(c.a) << 24) | (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
}

TEST_F(RendererTest, TextureStageOperations) {
  UnlitNoCulling(/*depthTest=*/false);
  const uint32_t texel = 0x80C04020;
  const uint32_t diffuse = 0xC0406080;
  const uint32_t factor = 0x40204060;
  renderer_.SetRenderState(D3DRS_TEXTUREFACTOR, factor);
  renderer_.SetTexture(0, MakeTexture(1, 1, {texel}), GL_TEXTURE_2D);
  const Rgba t = ToRgba(texel);
  const Rgba d = ToRgba(diffuse);
  const Rgba f = ToRgba(factor);
  auto each = [](const Rgba& x, const Rgba& y, float (*op)(float, float)) {
    return Rgba{op(x.r, y.r), op(x.g, y.g), op(x.b, y.b), op(x.a, y.a)};
  };
  // x weighted by w plus y weighted by 1 - w, channel by channel.
  auto blend = [](const Rgba& x, const Rgba& y, float w) {
    return Rgba{x.r * w + y.r * (1 - w), x.g * w + y.g * (1 - w), x.b * w + y.b * (1 - w), x.a * w + y.a * (1 - w)};
  };
  struct Case {
    const char* name;
    DWORD op;
    DWORD arg1;
    DWORD arg2;
    Rgba expected;
  };
  const Case cases[] = {
      {"select texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, t},
      {"select diffuse", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, d},
      {"select factor", D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, f},
      {"modulate", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, each(t, d, [](float x, float y) { return x * y; })},
      {"modulate 2x", D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       each(t, d, [](float x, float y) { return std::min(1.0f, 2 * x * y); })},
      {"modulate 4x", D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_TFACTOR,
       each(t, f, [](float x, float y) { return std::min(1.0f, 4 * x * y); })},
      {"add", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       each(t, d, [](float x, float y) { return std::min(1.0f, x + y); })},
      {"add signed", D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       each(t, d, [](float x, float y) { return std::min(1.0f, std::max(0.0f, x + y - 0.5f)); })},
      {"subtract", D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       each(t, d, [](float x, float y) { return std::max(0.0f, x - y); })},
      {"add smooth", D3DTOP_ADDSMOOTH, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       each(t, d, [](float x, float y) { return x + y - x * y; })},
      {"blend texture alpha", D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, blend(t, d, t.a)},
      {"blend diffuse alpha", D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR, blend(t, f, d.a)},
      {"texture alpha replicated",
       D3DTOP_SELECTARG1,
       D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE,
       D3DTA_DIFFUSE,
       {t.a, t.a, t.a, t.a}},
      {"complement of diffuse",
       D3DTOP_SELECTARG2,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE | D3DTA_COMPLEMENT,
       {1 - d.r, 1 - d.g, 1 - d.b, 1 - d.a}},
      {"factor times texture alpha",
       D3DTOP_MODULATE,
       D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE,
       D3DTA_TFACTOR,
       {t.a * f.r, t.a * f.g, t.a * f.b, t.a * f.a}},
      {"add signed 2x", D3DTOP_ADDSIGNED2X, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       each(t, d, [](float x, float y) { return std::min(1.0f, std::max(0.0f, 2 * (x + y - 0.5f))); })},
      {"blend factor alpha", D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, blend(t, d, f.a)},
      {"blend current alpha", D3DTOP_BLENDCURRENTALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR, blend(t, f, d.a)},
      {"blend premultiplied texture alpha", D3DTOP_BLENDTEXTUREALPHAPM, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       each(t, d, [](float x, float y) { return std::min(1.0f, x + y * 0.5f); })},  // texture alpha 0.5
      {"modulate alpha add colour",
       D3DTOP_MODULATEALPHA_ADDCOLOR,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       {t.r + t.a * d.r, t.g + t.a * d.g, t.b + t.a * d.b, t.a}},
      {"modulate colour add alpha",
       D3DTOP_MODULATECOLOR_ADDALPHA,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       {t.r * d.r + t.a, t.g * d.g + t.a, t.b * d.b + t.a, t.a}},
      {"modulate inverse alpha add colour",
       D3DTOP_MODULATEINVALPHA_ADDCOLOR,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       {t.r + (1 - t.a) * d.r, t.g + (1 - t.a) * d.g, t.b + (1 - t.a) * d.b, t.a}},
      {"modulate inverse colour add alpha",
       D3DTOP_MODULATEINVCOLOR_ADDALPHA,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       {(1 - t.r) * d.r + t.a, (1 - t.g) * d.g + t.a, (1 - t.b) * d.b + t.a, t.a}},
      {"multiply add",
       D3DTOP_MULTIPLYADD,
       D3DTA_TEXTURE,
       D3DTA_TFACTOR,
       {d.r + t.r * f.r, d.g + t.g * f.g, d.b + t.b * f.b, std::min(1.0f, d.a + t.a * f.a)}},
      {"lerp",
       D3DTOP_LERP,
       D3DTA_TEXTURE,
       D3DTA_TFACTOR,
       {d.r * t.r + (1 - d.r) * f.r, d.g * t.g + (1 - d.g) * f.g, d.b * t.b + (1 - d.b) * f.b,
        d.a * t.a + (1 - d.a) * f.a}},
  };
  {
    // The dot product of the signed colours goes to all four channels.
    renderer_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
    renderer_.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    renderer_.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    renderer_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    renderer_.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    const uint32_t normal = 0xFFFF8040;
    const Rgba n = ToRgba(normal);
    const float dot = (t.r * 2 - 1) * (n.r * 2 - 1) + (t.g * 2 - 1) * (n.g * 2 - 1) + (t.b * 2 - 1) * (n.b * 2 - 1);
    const float v = std::min(1.0f, std::max(0.0f, dot));
    ASSERT_GT(v, 0.5f);
    TexturedQuad(0, 0, 8, 8, normal, 0, 0, 1, 1);
    EXPECT_TRUE(ColorNear(Pixel(4, 4), FromRgba({v, v, v, 1}), 2)) << "dot product";
    // Its alpha is the dot product too: blended onto black it scales itself.
    renderer_.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    renderer_.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    renderer_.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    Clear(0xFF000000, 1.0f, 0);
    TexturedQuad(0, 0, 8, 8, normal, 0, 0, 1, 1);
    EXPECT_TRUE(ColorNear(Pixel(4, 4), FromRgba({v * v, v * v, v * v, 1}), 2)) << "dot product alpha";
    renderer_.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool alpha : {false, true}) {
      // Colour through the operation, alpha straight from the diffuse colour;
      // then alpha through the operation, colour from the texture.
      renderer_.SetTextureStageState(0, D3DTSS_COLOROP, alpha ? DWORD{D3DTOP_SELECTARG1} : c.op);
      renderer_.SetTextureStageState(0, D3DTSS_COLORARG1, alpha ? D3DTA_TEXTURE : c.arg1);
      renderer_.SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
      renderer_.SetTextureStageState(0, D3DTSS_ALPHAOP, alpha ? c.op : DWORD{D3DTOP_SELECTARG2});
      renderer_.SetTextureStageState(0, D3DTSS_ALPHAARG1, c.arg1);
      renderer_.SetTextureStageState(0, D3DTSS_ALPHAARG2, alpha ? c.arg2 : D3DTA_DIFFUSE);
      // Alpha shows through blending onto black: result rgb * alpha.
      renderer_.SetRenderState(D3DRS_ALPHABLENDENABLE, alpha);
      renderer_.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      renderer_.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
      Clear(0xFF000000, 1.0f, 0);
      TexturedQuad(0, 0, 8, 8, diffuse, 0, 0, 1, 1);
      const uint32_t expected =
          alpha ? FromRgba({t.r * c.expected.a, t.g * c.expected.a, t.b * c.expected.a, 1}) : FromRgba(c.expected);
      EXPECT_TRUE(ColorNear(Pixel(4, 4), expected, 2)) << (alpha ? "alpha" : "colour");
    }
  }
  renderer_.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

TEST_F(RendererTest, MultiplyAddAndSecondStage) {
  UnlitNoCulling();
  const uint32_t texel0 = 0xFF402010;
  const uint32_t texel1 = 0xFF808080;
  const uint32_t diffuse = 0xFF204060;
  const uint32_t factor = 0x40404040;
  renderer_.SetRenderState(D3DRS_TEXTUREFACTOR, factor);
  renderer_.SetTexture(0, MakeTexture(1, 1, {texel0}), GL_TEXTURE_2D);
  renderer_.SetTexture(1, MakeTexture(1, 1, {texel1}), GL_TEXTURE_2D);
  // Stage 0: texture x diffuse. Stage 1: current + texture x factor.
  renderer_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  renderer_.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  renderer_.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  renderer_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MULTIPLYADD);
  renderer_.SetTextureStageState(1, D3DTSS_COLORARG0, D3DTA_CURRENT);
  renderer_.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  renderer_.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  renderer_.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  TexturedQuad(0, 0, 8, 8, diffuse, 0, 0, 1, 1);
  const Rgba t0 = ToRgba(texel0), t1 = ToRgba(texel1), d = ToRgba(diffuse), f = ToRgba(factor);
  EXPECT_TRUE(ColorNear(Pixel(4, 4),
                        FromRgba({t0.r * d.r + t1.r * f.r, t0.g * d.g + t1.g * f.g, t0.b * d.b + t1.b * f.b, 1}), 2));
  // Stage 1 ADD with CURRENT; a disabled stage 2 ends the chain.
  renderer_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  renderer_.SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  TexturedQuad(0, 0, 8, 8, diffuse, 0, 0, 1, 1);
  EXPECT_TRUE(ColorNear(Pixel(4, 4),
                        FromRgba({t0.r * d.r + t1.r, t0.g * d.g + t1.g, std::min(1.0f, t0.b * d.b + t1.b), 1}), 2));
  // Disabling stage 1 leaves stage 0's result.
  renderer_.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  TexturedQuad(0, 0, 8, 8, diffuse, 0, 0, 1, 1);
  EXPECT_TRUE(ColorNear(Pixel(4, 4), FromRgba({t0.r * d.r, t0.g * d.g, t0.b * d.b, 1}), 2));
  // Stage 0 disabled: the diffuse colour.
  renderer_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
  TexturedQuad(0, 0, 8, 8, diffuse, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(4, 4), 0xFF204060u);
}

TEST_F(RendererTest, AddressModesAndBorderColour) {
  UnlitNoCulling();
  SelectTextureColour(MakeTexture(2, 1, {0xFFFF0000, 0xFF00FF00}));
  renderer_.SetTextureStageState(0, D3DTSS_BORDERCOLOR, 0xFF0000FF);
  const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;
  struct Case {
    DWORD mode;
    uint32_t at1_25;  // u = 1.25
    uint32_t at2_25;  // u = 2.25
    uint32_t atMinus0_75;
  };
  const Case cases[] = {{D3DTADDRESS_WRAP, red, red, red},
                        {D3DTADDRESS_MIRROR, green, red, green},
                        {D3DTADDRESS_CLAMP, green, green, red},
                        {D3DTADDRESS_BORDER, blue, blue, blue},
                        {D3DTADDRESS_MIRRORONCE, green, green, green}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode);
    renderer_.SetTextureStageState(0, D3DTSS_ADDRESSU, c.mode);
    renderer_.SetTextureStageState(0, D3DTSS_ADDRESSV, c.mode);
    // u runs from -1 to 3 over 64 pixels: pixel x samples u = x / 16 - 1,
    // v stays at the middle of the texel row.
    TexturedQuad(0, 0, 64, 8, 0xFFFFFFFF, -1, 0.5f, 3, 0.5f);
    EXPECT_EQ(Pixel(20, 4), red);  // u = 0.25
    EXPECT_EQ(Pixel(36, 4), c.at1_25);
    EXPECT_EQ(Pixel(52, 4), c.at2_25);
    EXPECT_EQ(Pixel(4, 4), c.atMinus0_75);
  }
}

TEST_F(RendererTest, LinearFilterBlendsNeighbours) {
  UnlitNoCulling();
  renderer_.SetTexture(0, MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF}), GL_TEXTURE_2D);
  renderer_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  renderer_.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  // Point sampling at u = 0.5 - 1/64 and u = 0.5 + 1/64 (pixels 31 and 33 of
  // a 64-pixel quad with u from 0 to 1): one texel each.
  TexturedQuad(0, 0, 64, 8, 0xFFFFFFFF, 0, 0.5f, 1, 0.5f);
  EXPECT_EQ(Pixel(31, 4), 0xFF000000u);
  EXPECT_EQ(Pixel(33, 4), 0xFFFFFFFFu);
  // Linear filtering at the middle (pixel 32, u = 0.5) gives the average.
  renderer_.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  renderer_.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  TexturedQuad(0, 0, 64, 8, 0xFFFFFFFF, 0, 0.5f, 1, 0.5f);
  EXPECT_TRUE(ColorNear(Pixel(32, 4), 0xFF808080, 2));
}

TEST_F(RendererTest, FlatShadingTakesTheFirstVertexColour) {
  UnlitNoCulling();
  const ScreenVertex triangle[3] = {
      {0, 0, 0.5f, 1, 0xFFFF0000}, {60, 0, 0.5f, 1, 0xFF00FF00}, {0, 60, 0.5f, 1, 0xFF0000FF}};
  renderer_.SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
  renderer_.SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(ScreenVertex));
  EXPECT_EQ(Pixel(40, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(5, 40), 0xFFFF0000u);
  // Gouraud interpolates.
  renderer_.SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(ScreenVertex));
  EXPECT_GT(Channel(Pixel(40, 5), 8), 0x80);
  // Flat shading of a fan: each triangle takes its second vertex's colour
  // (the first of the triangle's own vertices).
  const ScreenVertex fan[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFF},
                               {64, 0, 0.5f, 1, 0xFFFF0000},
                               {64, 64, 0.5f, 1, 0xFF00FF00},
                               {0, 64, 0.5f, 1, 0xFF0000FF}};
  renderer_.SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(ScreenVertex));
  EXPECT_EQ(Pixel(50, 10), 0xFFFF0000u);
  EXPECT_EQ(Pixel(10, 50), 0xFF00FF00u);
}

TEST_F(RendererTest, MipFilterChoosesLevels) {
  UnlitNoCulling();
  // 8x8 red level 0, 4x4 green level 1, 2x2 and 1x1 blue.
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const uint32_t colours[4] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFF0000};  // as R, G, B, A bytes
  for (int level = 0; level < 4; ++level) {
    const int size = 8 >> level;
    std::vector<uint32_t> texels(size * size, colours[level]);
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 3);
  textures_.push_back(texture);
  renderer_.InvalidateGlState();
  renderer_.SetTexture(0, texture, GL_TEXTURE_2D);
  renderer_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  renderer_.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  // An 8x8 texture drawn on 4x4 pixels: level 1 with a mip filter, level 0
  // without one.
  TexturedQuad(0, 0, 4, 4, 0xFFFFFFFF, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(2, 2), 0xFFFF0000u);
  renderer_.SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
  TexturedQuad(0, 0, 4, 4, 0xFFFFFFFF, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(2, 2), 0xFF00FF00u);
  // MAXMIPLEVEL keeps the sampler off the finer levels.
  renderer_.SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 2);
  TexturedQuad(0, 0, 16, 16, 0xFFFFFFFF, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(8, 8), 0xFF0000FFu);
  renderer_.SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 0);
  // The level-of-detail bias moves the choice by whole levels either way.
  renderer_.SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, Bits(1.0f));
  TexturedQuad(0, 0, 8, 8, 0xFFFFFFFF, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(4, 4), 0xFF00FF00u);
  renderer_.SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, Bits(-1.0f));
  TexturedQuad(0, 0, 4, 4, 0xFFFFFFFF, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(2, 2), 0xFFFF0000u);
  renderer_.SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, 0);
  TexturedQuad(0, 0, 4, 4, 0xFFFFFFFF, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(2, 2), 0xFF00FF00u);
  // Anisotropic filtering is accepted and still samples the texture.
  renderer_.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
  renderer_.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_ANISOTROPIC);
  renderer_.SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 4);
  TexturedQuad(0, 0, 16, 16, 0xFFFFFFFF, 0, 0, 1, 1);
  EXPECT_EQ(Pixel(8, 8), 0xFFFF0000u);
}

TEST_F(RendererTest, ProjectedTextureCoordinates) {
  UnlitNoCulling();
  SelectTextureColour(MakeTexture(2, 1, {0xFFFF0000, 0xFF00FF00}));
  // Three coordinates (u, v, q) divided by q: (1.5, 0.5, 2) samples u = 0.75.
  struct Vertex {
    float x, y, z, rhw;
    float u, v, q;
  };
  const Vertex quad[4] = {{0, 0, 0.5f, 1, 1.5f, 1.0f, 2.0f},
                          {8, 0, 0.5f, 1, 1.5f, 1.0f, 2.0f},
                          {0, 8, 0.5f, 1, 1.5f, 1.0f, 2.0f},
                          {8, 8, 0.5f, 1, 1.5f, 1.0f, 2.0f}};
  renderer_.SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0));
  renderer_.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
  ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK)
      << renderer_.LastShaderError();
  EXPECT_EQ(Pixel(4, 4), 0xFF00FF00u);
  // Without the projection flag u = 1.5 wraps to 0.5 + ... the first texel
  // at u = 1.5 - 1 = 0.5 is the boundary; use 1.25 instead.
  const Vertex plain[4] = {{0, 0, 0.5f, 1, 1.25f, 0.5f, 2.0f},
                           {8, 0, 0.5f, 1, 1.25f, 0.5f, 2.0f},
                           {0, 8, 0.5f, 1, 1.25f, 0.5f, 2.0f},
                           {8, 8, 0.5f, 1, 1.25f, 0.5f, 2.0f}};
  renderer_.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, plain, sizeof(Vertex));
  EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
}

TEST_F(TransformedTest, SpecularHighlightAndNormalizedNormals) {
  D3DMATERIAL8 material;
  std::memset(&material, 0, sizeof(material));
  material.Specular = {1.0f, 0.5f, 0.25f, 1.0f};
  material.Power = 4.0f;
  renderer_.SetMaterial(&material);
  D3DLIGHT8 light;
  std::memset(&light, 0, sizeof(light));
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Specular = {1, 1, 1, 1};
  light.Direction = {0.0f, -0.6f, 0.8f};
  renderer_.SetLight(0, &light);
  renderer_.LightEnable(0, TRUE);
  renderer_.SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  LitFan(0, 0, -1);
  // Viewer along -z: H = normalize((0, 0.6, -0.8) + (0, 0, -1)); N.H to the
  // power 4.
  const float hy = 0.6f, hz = -1.8f;
  const float nDotH = 1.8f / std::sqrt(hy * hy + hz * hz);
  const float s = std::pow(nDotH, 4.0f);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(s, 0.5f * s, 0.25f * s), 2));
  // Specular off: nothing (no diffuse or ambient here).
  renderer_.SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  LitFan(0, 0, -1);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), 0xFF000000u, 0));
  // A world matrix scaled by 0.5 shrinks the normals: diffuse halves unless
  // normals are normalised.
  material.Diffuse = {1, 1, 1, 1};
  renderer_.SetMaterial(&material);
  light.Diffuse = {1, 1, 1, 1};
  light.Specular = {0, 0, 0, 0};
  light.Direction = {0, 0, 1};
  renderer_.SetLight(0, &light);
  D3DMATRIX world = Identity();
  world._11 = world._22 = world._33 = 0.5f;
  renderer_.SetTransform(256, &world);
  // The fan is at z = 10 in object space: scaled it sits at z = 5 or 20.
  renderer_.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  LitFan(0, 0, -1);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(1.0f, 1.0f, 1.0f), 1));  // 1 / 0.5 scale: a longer normal
  world._11 = world._22 = world._33 = 2.0f;
  renderer_.SetTransform(256, &world);
  LitFan(0, 0, -1);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(0.5f, 0.5f, 0.5f), 1));
  renderer_.SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  LitFan(0, 0, -1);
  EXPECT_TRUE(ColorNear(Pixel(32, 32), Rgb(1.0f, 1.0f, 1.0f), 1));
}

TEST_F(TransformedTest, ReflectionVectorGeneration) {
  renderer_.SetRenderState(D3DRS_LIGHTING, FALSE);
  // Left half red, right half green: u = 0.5 x + 0.5 of the reflection.
  SelectTextureColour(MakeTexture(2, 1, {0xFFFF0000, 0xFF00FF00}));
  renderer_.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  renderer_.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
  renderer_.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  renderer_.SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  D3DMATRIX env = Identity();
  env._11 = 0.5f;
  env._41 = 0.5f;
  env._42 = 0.5f;
  renderer_.SetTransform(D3DTS_TEXTURE0, &env);
  // The view along +z reflected by a normal tilted towards +x goes on
  // towards +x (green); tilted towards -x, towards -x (red).
  LitFan(0.5f, 0.0f, -0.866f);
  EXPECT_EQ(Pixel(32, 32), 0xFF00FF00u);
  LitFan(-0.5f, 0.0f, -0.866f);
  EXPECT_EQ(Pixel(32, 32), 0xFFFF0000u);
}

TEST_F(TransformedTest, ValuesAloneNeverBuildNewPrograms) {
  // The same pipeline with other matrices, material, light colours, factor,
  // fog colour and alpha reference reuses one program.
  SetMaterial(1.0f, 1.0f, 1.0f, 0.2f);
  D3DLIGHT8 light = EnableWhiteLightAlongZ();
  renderer_.SetRenderState(D3DRS_FOGENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  renderer_.SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  LitFan(0, 0, -1);
  const size_t programs = renderer_.ProgramCount();
  for (int i = 0; i < 20; ++i) {
    D3DMATRIX world = Identity();
    world._41 = 0.1f * i;
    renderer_.SetTransform(256, &world);
    SetMaterial(0.05f * i, 1.0f, 1.0f, 0.2f);
    light.Diffuse.r = 0.05f * i;
    renderer_.SetLight(0, &light);
    renderer_.SetRenderState(D3DRS_TEXTUREFACTOR, 0x01010101u * static_cast<DWORD>(i));
    renderer_.SetRenderState(D3DRS_FOGCOLOR, 0x00010203u * static_cast<DWORD>(i));
    renderer_.SetRenderState(D3DRS_FOGSTART, Bits(1.0f + i));
    renderer_.SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(i));
    renderer_.SetRenderState(D3DRS_ZFUNC, i % 2 ? D3DCMP_LESS : D3DCMP_LESSEQUAL);
    LitFan(0, 0, -1);
  }
  EXPECT_EQ(renderer_.ProgramCount(), programs);
  // The lights' number and types are values too: a man walking from light
  // to light keeps his program.
  light.Type = D3DLIGHT_POINT;
  light.Range = 100;
  light.Attenuation0 = 1;
  renderer_.SetLight(1, &light);
  renderer_.LightEnable(1, TRUE);
  LitFan(0, 0, -1);
  renderer_.LightEnable(1, FALSE);
  LitFan(0, 0, -1);
  EXPECT_EQ(renderer_.ProgramCount(), programs);
  // So are spot lights, alone or among point lights: none builds a program.
  const size_t compiled = renderer_.ProgramsCompiled();
  D3DLIGHT8 spot = light;
  spot.Type = D3DLIGHT_SPOT;
  spot.Position = {0.0f, 0.0f, 5.0f};
  spot.Theta = 0.5f;
  spot.Phi = 1.0f;
  spot.Falloff = 1.0f;
  renderer_.SetLight(2, &spot);
  const bool mixes[][2] = {{false, true}, {true, true}, {true, false}, {false, false}, {false, true}};
  for (const auto& mix : mixes) {
    SCOPED_TRACE(::testing::Message() << "point " << mix[0] << " spot " << mix[1]);
    renderer_.LightEnable(1, mix[0]);
    renderer_.LightEnable(2, mix[1]);
    LitFan(0, 0, -1);
    EXPECT_EQ(renderer_.ProgramsCompiled(), compiled);
  }
  renderer_.LightEnable(2, FALSE);
  // A light switched on lights at once, and switched off no more.
  renderer_.SetRenderState(D3DRS_FOGENABLE, FALSE);
  renderer_.SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  SetMaterial(0.2f, 0.2f, 0.2f, 0.0f);
  LitFan(0, 0, -1);
  const uint32_t oneLight = Pixel(32, 32);
  renderer_.LightEnable(1, TRUE);
  LitFan(0, 0, -1);
  EXPECT_NE(Pixel(32, 32), oneLight);
  renderer_.LightEnable(1, FALSE);
  LitFan(0, 0, -1);
  EXPECT_EQ(Pixel(32, 32), oneLight);
}

TEST_F(RendererTest, RefusedDraws) {
  // Vertex-shader handles and undecodable codes are refused; nothing draws
  // without a stream or with an unknown primitive type.
  EXPECT_EQ(renderer_.SetVertexShader(0x10001), D3DERR_INVALIDCALL);
  EXPECT_EQ(renderer_.SetVertexShader(0x40), D3DERR_INVALIDCALL);
  ASSERT_EQ(renderer_.SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), D3D_OK);
  EXPECT_EQ(renderer_.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
  const ScreenVertex v[3] = {};
  EXPECT_EQ(renderer_.DrawPrimitiveUP(static_cast<DWORD>(0), 1, v, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
  EXPECT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
  EXPECT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0, v, sizeof(ScreenVertex)), D3D_OK);
  const uint16_t indices[3] = {0, 1, 5};
  EXPECT_EQ(renderer_.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices, 2, v, sizeof(ScreenVertex)),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(renderer_.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 0x2000000, 1, indices, 2, v, sizeof(ScreenVertex)),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(renderer_.SetRenderState(D3D8_RENDER_STATE_COUNT, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(renderer_.SetTextureStageState(0, D3D8_TEXTURE_STAGE_STATE_COUNT, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(renderer_.SetTransform(d3d8draw::kTransformStateCount, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(TransformedTest, EveryOperationAndLightMixBuildsAProgram) {
  // Programs for rarely used corners must compile too: every operation as
  // colour and alpha operation with every argument kind, the temporary
  // register, eight lights of mixed types with specular and range fog.
  renderer_.SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}), GL_TEXTURE_2D);
  renderer_.SetTexture(1, MakeTexture(1, 1, {0xFFFFFFFF}), GL_TEXTURE_2D);
  struct Vertex {
    float x, y, z, nx, ny, nz;
    DWORD diffuse, specular;
    float u, v;
  };
  const Vertex quad[4] = {{-10, 10, 10, 0, 0, -1, 0xFFFFFFFF, 0, 0, 0},
                          {10, 10, 10, 0, 0, -1, 0xFFFFFFFF, 0, 1, 0},
                          {-10, -10, 10, 0, 0, -1, 0xFFFFFFFF, 0, 0, 1},
                          {10, -10, 10, 0, 0, -1, 0xFFFFFFFF, 0, 1, 1}};
  ASSERT_EQ(renderer_.SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1),
            D3D_OK);
  const DWORD args[] = {
      D3DTA_DIFFUSE,  D3DTA_CURRENT, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_TFACTOR | D3DTA_COMPLEMENT,
      D3DTA_SPECULAR, D3DTA_TEMP};
  for (DWORD op = D3DTOP_SELECTARG1; op <= D3DTOP_LERP; ++op) {
    SCOPED_TRACE(op);
    const DWORD arg = args[op % 6];
    renderer_.SetTextureStageState(0, D3DTSS_COLOROP, op);
    renderer_.SetTextureStageState(0, D3DTSS_COLORARG0, arg);
    renderer_.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    renderer_.SetTextureStageState(0, D3DTSS_COLORARG2, arg);
    renderer_.SetTextureStageState(0, D3DTSS_ALPHAOP, op);
    renderer_.SetTextureStageState(0, D3DTSS_ALPHAARG1, arg);
    renderer_.SetTextureStageState(0, D3DTSS_RESULTARG, op % 2 ? D3DTA_TEMP : D3DTA_CURRENT);
    renderer_.SetTextureStageState(1, D3DTSS_COLOROP, op);
    renderer_.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_LERP + 1 - op);
    renderer_.SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TEMP);
    EXPECT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK)
        << renderer_.LastShaderError();
  }
  D3DLIGHT8 light;
  std::memset(&light, 0, sizeof(light));
  light.Diffuse = light.Specular = light.Ambient = {0.1f, 0.1f, 0.1f, 1};
  light.Direction = {0, 0, 1};
  light.Range = 50;
  light.Attenuation0 = 1;
  light.Theta = 0.5f;
  light.Phi = 1.0f;
  light.Falloff = 1;
  for (DWORD i = 0; i < 9; ++i) {
    light.Type = static_cast<D3DLIGHTTYPE>(D3DLIGHT_POINT + i % 3);
    renderer_.SetLight(i, &light);
    renderer_.LightEnable(i, TRUE);
  }
  renderer_.SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  renderer_.SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  renderer_.SetRenderState(D3DRS_FOGENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_RANGEFOGENABLE, TRUE);
  for (DWORD mode : {D3DFOG_EXP, D3DFOG_EXP2, D3DFOG_LINEAR}) {
    renderer_.SetRenderState(D3DRS_FOGVERTEXMODE, mode);
    EXPECT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK)
        << renderer_.LastShaderError();
  }
  // Every generated coordinate kind into a texture transform, projected.
  renderer_.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT4 | D3DTTFF_PROJECTED);
  for (DWORD generation = 0; generation <= 3; ++generation) {
    renderer_.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, generation << 16);
    EXPECT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK)
        << renderer_.LastShaderError();
  }
}

TEST_F(TransformedTest, SecondPassWithOtherStatesMeetsTheSameDepth) {
  // A slanted mesh drawn lit and fogged, then again unlit, textured and
  // blended with an equal-depth test: every pixel of the first pass passes.
  struct Vertex {
    float x, y, z, nx, ny, nz;
    float u, v;
  };
  std::vector<Vertex> strip;
  for (int i = 0; i <= 8; ++i) {
    const float x = -10.0f + 2.5f * i;
    strip.push_back({x, 10, 8 + 0.37f * i, 0, 0, -1, 0, 0});
    strip.push_back({x, -10, 12 + 0.21f * i, 0, 0, -1, 1, 1});
  }
  renderer_.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  SetMaterial(1.0f, 0.0f, 0.0f, 0.0f);
  EnableWhiteLightAlongZ();
  renderer_.SetRenderState(D3DRS_FOGENABLE, TRUE);
  renderer_.SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
  renderer_.SetRenderState(D3DRS_FOGDENSITY, Bits(0.001f));
  ASSERT_EQ(renderer_.SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1), D3D_OK);
  ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 16, strip.data(), sizeof(Vertex)), D3D_OK);
  renderer_.SetRenderState(D3DRS_LIGHTING, FALSE);
  renderer_.SetRenderState(D3DRS_FOGENABLE, FALSE);
  renderer_.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  renderer_.SetRenderState(D3DRS_ZFUNC, D3DCMP_EQUAL);
  renderer_.SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00);
  renderer_.SetTexture(0, MakeTexture(1, 1, {0xFFFFFFFF}), GL_TEXTURE_2D);
  renderer_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  renderer_.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  renderer_.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  ASSERT_EQ(renderer_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 16, strip.data(), sizeof(Vertex)), D3D_OK);
  int first = 0, second = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const uint32_t p = Pixel(x, y) & 0xFFFFFF;
      if (p == 0x00FF00) ++second;
      if (Channel(p, 16) > 0) ++first;
    }
  }
  EXPECT_GT(second, 1000);
  EXPECT_EQ(first, 0) << "pixels where the second pass failed the equal-depth test";
}

}  // namespace
