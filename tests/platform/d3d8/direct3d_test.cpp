// The Direct3D object: adapters, display modes, capabilities, format checks
// and device creation.
#include <algorithm>
#include <cstring>

#include "tests/platform/d3d8/d3d8_fixture.h"

namespace {

using DirectTest = D3D8Test;

TEST_F(DirectTest, RefusesOtherSdkVersions) { EXPECT_EQ(Direct3DCreate8(219), nullptr); }

TEST_F(DirectTest, AdaptersAndIdentifier) {
  ASSERT_GE(d3d_->GetAdapterCount(), 1u);
  D3DADAPTER_IDENTIFIER8 id;
  ASSERT_EQ(d3d_->GetAdapterIdentifier(0, D3DENUM_NO_WHQL_LEVEL, &id), D3D_OK);
  EXPECT_GT(std::strlen(id.Description), 0u);
  EXPECT_EQ(d3d_->GetAdapterIdentifier(d3d_->GetAdapterCount(), 0, &id), D3DERR_INVALIDCALL);
}

TEST_F(DirectTest, DesktopModeAndSynthesisedModeList) {
  D3DDISPLAYMODE desktop;
  ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &desktop), D3D_OK);
  EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
  EXPECT_GT(desktop.Width, 0u);
  EXPECT_GT(desktop.RefreshRate, 0u);

  const UINT count = d3d_->GetAdapterModeCount(0);
  ASSERT_GT(count, 2u);
  bool desktopListed = false, vga32 = false, vga16 = false;
  for (UINT i = 0; i < count; ++i) {
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d_->EnumAdapterModes(0, i, &mode), D3D_OK);
    SCOPED_TRACE(::testing::Message() << mode.Width << "x" << mode.Height << " format " << mode.Format);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_LE(mode.Width, desktop.Width);
    EXPECT_LE(mode.Height, desktop.Height);
    EXPECT_TRUE(mode.Format == D3DFMT_X8R8G8B8 || mode.Format == D3DFMT_R5G6B5);
    if (mode.Width == desktop.Width && mode.Height == desktop.Height && mode.Format == desktop.Format) {
      desktopListed = true;
    }
    if (mode.Width == 640 && mode.Height == 480) (mode.Format == D3DFMT_R5G6B5 ? vga16 : vga32) = true;
  }
  EXPECT_TRUE(desktopListed);
  EXPECT_TRUE(vga32);
  EXPECT_TRUE(vga16);
  D3DDISPLAYMODE mode;
  EXPECT_EQ(d3d_->EnumAdapterModes(0, count, &mode), D3DERR_INVALIDCALL);
}

TEST_F(DirectTest, FullCapsReportWhatIsImplemented) {
  D3DCAPS8 caps;
  ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_EQ(caps.PixelShaderVersion, 0u);
  EXPECT_EQ(caps.VertexShaderVersion, 0u);
  EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_FALSE(caps.DevCaps & D3DDEVCAPS_PUREDEVICE);
  EXPECT_TRUE(caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_GE(caps.MaxTextureWidth, 2048u);
  EXPECT_EQ(caps.MaxTextureWidth, caps.MaxTextureHeight);
  EXPECT_EQ(caps.MaxTextureBlendStages, 8u);
  EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_MODULATE2X);
  EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_MULTIPLYADD);
  EXPECT_FALSE(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY));
  EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR);
  EXPECT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);
}

TEST_F(DirectTest, MinimalProfileNarrowsCapsAndFormats) {
  d3d8test::SetCapsProfile(d3d8test::CapsProfile::Minimal);
  D3DCAPS8 caps;
  ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_EQ(caps.MaxTextureBlendStages, 2u);
  EXPECT_EQ(caps.MaxSimultaneousTextures, 2u);
  EXPECT_FALSE(caps.TextureOpCaps & D3DTEXOPCAPS_MODULATE2X);
  EXPECT_FALSE(caps.TextureOpCaps & D3DTEXOPCAPS_MULTIPLYADD);
  EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_POW2);
  EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY);
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_P8),
            D3DERR_NOTAVAILABLE);

  CreateDevice();
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(device_->CreateTexture(64, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(48, 48, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  texture->Release();
  EXPECT_EQ(device_->CreateTexture(64, 64, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
  IDirect3DCubeTexture8* cube = nullptr;
  EXPECT_EQ(device_->CreateCubeTexture(24, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3DERR_INVALIDCALL);

  // A third stage, or a missing operation, does not validate.
  DWORD passes = 0;
  EXPECT_EQ(device_->ValidateDevice(&passes), D3D_OK);
  EXPECT_EQ(passes, 1u);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
  EXPECT_EQ(device_->ValidateDevice(&passes), D3DERR_UNSUPPORTEDCOLOROPERATION);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_ADD);
  device_->SetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  EXPECT_EQ(device_->ValidateDevice(&passes), D3DERR_TOOMANYOPERATIONS);
}

TEST_F(DirectTest, ThreeStageProfileValidatesThreeStagesWithEveryOperation) {
  d3d8test::SetCapsProfile(d3d8test::CapsProfile::ThreeStages);
  D3DCAPS8 caps;
  ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_EQ(caps.MaxTextureBlendStages, 3u);
  EXPECT_EQ(caps.MaxSimultaneousTextures, 3u);
  EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_MODULATE2X);
  EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_MULTIPLYADD);

  CreateDevice();
  DWORD passes = 0;
  for (DWORD stage = 0; stage < 3; ++stage) {
    device_->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MULTIPLYADD);
    device_->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  }
  EXPECT_EQ(device_->ValidateDevice(&passes), D3D_OK);
  EXPECT_EQ(passes, 1u);
  device_->SetTextureStageState(3, D3DTSS_COLOROP, D3DTOP_MODULATE);
  EXPECT_EQ(device_->ValidateDevice(&passes), D3DERR_TOOMANYOPERATIONS);
}

TEST_F(DirectTest, SoftwareVertexProcessingProfileDrawsFromSystemMemoryBuffers) {
  d3d8test::SetCapsProfile(d3d8test::CapsProfile::SoftwareVertexProcessing);
  D3DCAPS8 caps;
  ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_FALSE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_EQ(caps.MaxTextureBlendStages, 8u);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  for (DWORD flags : {0x40u, 0x50u, 0x80u}) {
    SCOPED_TRACE(flags);
    D3DPRESENT_PARAMETERS params = WindowedParams();
    IDirect3DDevice8* device = nullptr;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, flags, &params, &device), D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);
  }
  CreateDevice(D3DCREATE_SOFTWARE_VERTEXPROCESSING);
  ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_FALSE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);

  // A dynamic buffer in system memory, filled with a discarding lock, draws.
  struct Vertex {
    float x, y, z, rhw;
    DWORD colour;
  };
  const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
  IDirect3DVertexBuffer8* buffer = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(0x1000, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_SYSTEMMEM, &buffer),
            D3D_OK);
  BYTE* memory = nullptr;
  ASSERT_EQ(buffer->Lock(0, 4 * sizeof(Vertex), &memory, D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK), D3D_OK);
  const Vertex quad[4] = {{0, 0, 0.5f, 1, 0xFF00FF00},
                          {8, 0, 0.5f, 1, 0xFF00FF00},
                          {0, 8, 0.5f, 1, 0xFF00FF00},
                          {8, 8, 0.5f, 1, 0xFF00FF00}};
  std::memcpy(memory, quad, sizeof(quad));
  ASSERT_EQ(buffer->Unlock(), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  ASSERT_EQ(device_->SetVertexShader(fvf), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, buffer, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  EXPECT_EQ(ReadPixel32(back, 4, 4) | 0xFF000000u, 0xFF00FF00u);
  EXPECT_EQ(ReadPixel32(back, 12, 4) | 0xFF000000u, 0xFF000000u);
  back->Release();
  device_->SetStreamSource(0, nullptr, 0);
  buffer->Release();

  // A system-memory buffer does not hold up a Reset.
  IDirect3DVertexBuffer8* kept = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(0x100, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_SYSTEMMEM, &kept),
            D3D_OK);
  D3DPRESENT_PARAMETERS params = WindowedParams();
  EXPECT_EQ(device_->Reset(&params), D3D_OK);
  kept->Release();
}

TEST_F(DirectTest, FormatChecks) {
  struct Case {
    DWORD usage;
    D3DRESOURCETYPE type;
    D3DFORMAT format;
    HRESULT expected;
  };
  const Case cases[] = {
      {0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_X1R5G5B5, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A1R5G5B5, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_P8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_L8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_DXT3, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_DXT5, D3D_OK},
      {0, D3DRTYPE_CUBETEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A8L8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_R8G8B8, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, D3D_OK},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_P8, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X8, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D15S1, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X4S4, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "format " << c.format << " usage " << c.usage);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type, c.format), c.expected);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, c.usage, c.type, c.format), c.expected);
  }
  // The adapter format must be a display format.
  EXPECT_NE(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_A4R4G4B4, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8), D3D_OK);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24S8), D3D_OK);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, D3DFMT_D16), D3D_OK);
  EXPECT_EQ(d3d_->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D15S1),
            D3DERR_NOTAVAILABLE);
}

TEST_F(DirectTest, CreateDeviceBehaviourFlags) {
  for (DWORD flags : {0x20u, 0x40u, 0x50u}) {
    SCOPED_TRACE(flags);
    D3DPRESENT_PARAMETERS params = WindowedParams();
    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, flags, &params, &device), D3D_OK);
    // Width and height 0 take the window's client size.
    EXPECT_EQ(params.BackBufferWidth, kWidth);
    EXPECT_EQ(params.BackBufferHeight, kHeight);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, kWidth);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    back->Release();
    EXPECT_EQ(device->Release(), 0u);
  }
  D3DPRESENT_PARAMETERS params = WindowedParams();
  IDirect3DDevice8* device = nullptr;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, 0, &params, &device), D3DERR_INVALIDCALL);
  EXPECT_EQ(device, nullptr);
  params.AutoDepthStencilFormat = D3DFMT_D15S1;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, 0x40, &params, &device), D3DERR_INVALIDCALL);
}

TEST_F(DirectTest, DeviceCapsAndMemory) {
  CreateDevice();
  D3DCAPS8 caps;
  ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_GT(device_->GetAvailableTextureMem(), 0x800000u);
  EXPECT_EQ(device_->ResourceManagerDiscardBytes(0), D3D_OK);
}

}  // namespace
