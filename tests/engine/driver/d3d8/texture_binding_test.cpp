// The plain driver binds a raster's texture through the render-state cache:
// the texture (a sub-raster's from its parent), its palette and its alpha;
// and the texture slot stores rasters in textures.
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/src/texture.h"
#include "tests/engine/driver/d3d8/raster_fixture.h"

namespace {

class TextureBindingTest : public D3D8RasterTest {
 protected:
  static IDirect3DBaseTexture8* BoundTexture() {
    IDirect3DBaseTexture8* texture = nullptr;
    if (SUCCEEDED(Device()->GetTexture(0, &texture)) && texture != nullptr) {
      texture->Release();
    }
    return texture;
  }
  static DWORD DeviceState(D3DRENDERSTATETYPE state) {
    DWORD value = 0xDEADBEEF;
    Device()->GetRenderState(state, &value);
    return value;
  }
};

TEST_F(TextureBindingTest, TextureRasterBindsItsTextureAndBlendsByItsAlpha) {
  Start();
  struct Case {
    RwUInt32 format;
    DWORD blending;
  };
  for (const Case& c : {Case{rwRASTERFORMAT8888, TRUE}, Case{rwRASTERFORMAT888, FALSE}}) {
    SCOPED_TRACE(c.format);
    RwRaster* raster = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | c.format);
    ASSERT_NE(raster, nullptr);
    ASSERT_NE(Ext(raster)->texture, nullptr);
    ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureRaster, raster));
    RwD3D8RenderStateFlush();
    EXPECT_EQ(BoundTexture(), Ext(raster)->texture);
    EXPECT_EQ(DeviceState(D3DRS_ALPHABLENDENABLE), c.blending);
    EXPECT_EQ(DeviceState(D3DRS_ALPHATESTENABLE), c.blending);
    RwRasterDestroy(raster);  // unbinds the raster it is bound as
    EXPECT_EQ(BoundTexture(), nullptr);
  }
}

TEST_F(TextureBindingTest, SubRasterBindsItsParentsTextureAndPalette) {
  Start();
  RwRaster* parent = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMATPAL8 | rwRASTERFORMAT888);
  ASSERT_NE(parent, nullptr);
  ASSERT_NE(Ext(parent)->palette, nullptr);
  RwRaster* sub = RwRasterCreate(0, 0, 0, rwRASTERTYPETEXTURE | rwRASTERDONTALLOCATE);
  ASSERT_NE(sub, nullptr);
  RwRect rect = {2, 2, 4, 4};
  ASSERT_NE(RwRasterSubRaster(sub, parent, &rect), nullptr);
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureRaster, sub));
  EXPECT_EQ(BoundTexture(), Ext(parent)->texture);
  UINT palette = 0xFFFF;
  ASSERT_EQ(Device()->GetCurrentTexturePalette(&palette), D3D_OK);
  EXPECT_EQ(palette, Ext(parent)->palette->paletteNumber);
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureRaster, nullptr));
  EXPECT_EQ(BoundTexture(), nullptr);
  RwRasterDestroy(sub);
  RwRasterDestroy(parent);
}

TEST_F(TextureBindingTest, TexturesTakeTheirRasterAndReportItsAlpha) {
  Start();
  RwRaster* alpha = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888);
  RwRaster* opaque = RwRasterCreate(4, 4, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT888);
  ASSERT_NE(alpha, nullptr);
  ASSERT_NE(opaque, nullptr);
  RwTexture* texture = RwTextureCreate(nullptr);
  ASSERT_NE(texture, nullptr);
  EXPECT_FALSE(RwD3D8TextureHasAlpha(texture));
  EXPECT_FALSE(RwD3D8TextureHasAlpha(nullptr));
  ASSERT_EQ(RwTextureSetRaster(texture, alpha), texture);
  EXPECT_EQ(texture->raster, alpha);
  EXPECT_TRUE(RwD3D8TextureHasAlpha(texture));
  ASSERT_EQ(RwTextureSetRaster(texture, opaque), texture);
  EXPECT_EQ(texture->raster, opaque);
  EXPECT_FALSE(RwD3D8TextureHasAlpha(texture));
  EXPECT_FALSE(RwD3D8TextureSetRaster(nullptr, alpha, 0));
  RwTextureDestroy(texture);  // destroys the opaque raster with it
  RwRasterDestroy(alpha);
}

}  // namespace

namespace {

DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
  DWORD value = 0xDEADBEEF;
  RwD3D8GetCurrentD3DDevice()->GetTextureStageState(stage, type, &value);
  return value;
}

// A texture brings its addressing and filter mode to the stage, and its
// raster's anisotropy switches the filters to anisotropic until unbound.
TEST_F(TextureBindingTest, SetTextureAppliesAddressingFilterAndAnisotropy) {
  Start();
  RwRaster* raster = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT888);
  ASSERT_NE(raster, nullptr);
  RwTexture* texture = RwTextureCreate(raster);
  ASSERT_NE(texture, nullptr);
  texture->filterAddressing = kRwFilterMipLinear | D3DTADDRESS_CLAMP << 8 | D3DTADDRESS_MIRROR << 12;
  for (RwUInt32 stage : {0u, 1u}) {
    SCOPED_TRACE(stage);
    ASSERT_TRUE(RwD3D8SetTexture(texture, stage));
    RwD3D8RenderStateFlush();
    EXPECT_EQ(RwD3D8GetTextureRaster(stage), raster);
    EXPECT_EQ(StageState(stage, D3DTSS_ADDRESSU), DWORD(D3DTADDRESS_CLAMP));
    EXPECT_EQ(StageState(stage, D3DTSS_ADDRESSV), DWORD(D3DTADDRESS_MIRROR));
    EXPECT_EQ(StageState(stage, D3DTSS_MINFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(stage, D3DTSS_MAGFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(stage, D3DTSS_MIPFILTER), DWORD(D3DTEXF_POINT));
    EXPECT_EQ(StageState(stage, D3DTSS_MAXANISOTROPY), 1u);

    Ext(raster)->maxAnisotropy = 4;
    ASSERT_TRUE(RwD3D8SetTexture(texture, stage));
    RwD3D8RenderStateFlush();
    EXPECT_EQ(StageState(stage, D3DTSS_MAXANISOTROPY), 4u);
    EXPECT_EQ(StageState(stage, D3DTSS_MINFILTER), DWORD(D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(StageState(stage, D3DTSS_MAGFILTER), DWORD(D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(StageState(stage, D3DTSS_MIPFILTER), DWORD(D3DTEXF_LINEAR));

    ASSERT_TRUE(RwD3D8SetTexture(nullptr, stage));
    RwD3D8RenderStateFlush();
    EXPECT_EQ(RwD3D8GetTextureRaster(stage), nullptr);
    EXPECT_EQ(StageState(stage, D3DTSS_MAXANISOTROPY), 1u);
    EXPECT_EQ(StageState(stage, D3DTSS_MINFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(stage, D3DTSS_MIPFILTER), DWORD(D3DTEXF_POINT));
    Ext(raster)->maxAnisotropy = 1;
  }
  // The engine's filter state undoes anisotropy even when it names the mode
  // the stage had before.
  Ext(raster)->maxAnisotropy = 4;
  ASSERT_TRUE(RwD3D8SetTexture(texture, 0));
  ASSERT_TRUE(RwD3D8RenderStateSet(kRwRenderStateTextureFilter,
                                   reinterpret_cast<void*>(static_cast<intptr_t>(kRwFilterMipLinear))));
  RwD3D8RenderStateFlush();
  EXPECT_EQ(StageState(0, D3DTSS_MAXANISOTROPY), 1u);
  EXPECT_EQ(StageState(0, D3DTSS_MINFILTER), DWORD(D3DTEXF_LINEAR));
  EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), DWORD(D3DTEXF_POINT));
  Ext(raster)->maxAnisotropy = 1;
  // A word with an unknown filter mode changes no filter.
  texture->filterAddressing = 0x7F;
  ASSERT_TRUE(RwD3D8SetTexture(texture, 0));
  RwD3D8RenderStateFlush();
  EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), DWORD(D3DTEXF_POINT));
  ASSERT_TRUE(RwD3D8SetTexture(nullptr, 0));
  RwTextureDestroy(texture);
}

// A raster bound to any stage is unbound when it is destroyed, so that a new
// raster made at the same address is bound for real.
TEST_F(TextureBindingTest, DestroyedRasterLeavesEveryStage) {
  Start();
  RwRaster* raster = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE | rwRASTERFORMAT888);
  ASSERT_NE(raster, nullptr);
  ASSERT_TRUE(RwD3D8SetTextureRaster(raster, 1));
  ASSERT_TRUE(RwD3D8SetTextureRaster(raster, 3));
  RwRasterDestroy(raster);
  for (RwUInt32 stage : {1u, 3u}) {
    SCOPED_TRACE(stage);
    EXPECT_EQ(RwD3D8GetTextureRaster(stage), nullptr);
    IDirect3DBaseTexture8* texture = nullptr;
    ASSERT_EQ(Device()->GetTexture(stage, &texture), D3D_OK);
    EXPECT_EQ(texture, nullptr);
    if (texture != nullptr) {
      texture->Release();
    }
  }
}

}  // namespace
