// cSprite3D and cBillboard: the unit quad and its camera-facing draw.
#include "game/render/effects/billboard.h"

#include "game/render/scene/camera.h"
#include "game/render/colour.h"
#include "game/render/frame_orientation.h"
#include "game/render/scene/render_state.h"
#include "game/render/scene/scene.h"

namespace {

constexpr f32 kHalfTurn = 180.0f;  // degrees
constexpr RwUInt32 kOpaqueWhite = 0xFFFFFFFFu;

struct tQuadCorner {
  f32 x;
  f32 y;
  f32 u;
  f32 v;
};

constexpr tQuadCorner kUnitQuad[kSprite3DVertexCount] = {
    {0.5f, 0.5f, 1.0f, 0.0f},
    {0.5f, -0.5f, 1.0f, 1.0f},
    {-0.5f, 0.5f, 0.0f, 0.0f},
    {-0.5f, -0.5f, 0.0f, 1.0f},
};

}  // namespace

cSprite3D::cSprite3D() : mVertices{}, mTexture(nullptr), mFrame(RwFrameCreate()) {
  for (u32 i = 0; i < kSprite3DVertexCount; i++) {
    mVertices[i].objVertex = RwV3d{kUnitQuad[i].x, kUnitQuad[i].y, 0.0f};
    mVertices[i].u = kUnitQuad[i].u;
    mVertices[i].v = kUnitQuad[i].v;
    mVertices[i].color = kOpaqueWhite;
  }
}

cSprite3D::~cSprite3D() {
  RwFrameDestroy(mFrame);
  if (mTexture != nullptr) {
    RwTextureDestroy(mTexture);
  }
}

void cSprite3D::SetCornerColours(const RwRGBA colours[kSprite3DVertexCount]) {
  for (u32 i = 0; i < kSprite3DVertexCount; i++) {
    mVertices[i].color = PackColour(colours[i].red, colours[i].green, colours[i].blue, colours[i].alpha);
  }
}

void cSprite3D::SetTexture(RwTexture* texture) {
  if (mTexture != nullptr && mTexture != texture) {
    RwTextureDestroy(mTexture);
  }
  mTexture = texture;
}

cBillboard::cBillboard()
    : mScale{1.0f, 1.0f, 1.0f},
      mScaleFlag(0),
      mDistanceScaleFlag(0),
      mDepthTest(0),
      mDepthWrite(0),
      mScene(nullptr),
      mCameraIndex(-1) {}

void cBillboard::Render(cCamera* camera) {
  if (mScene != nullptr && mCameraIndex != -1) {
    cCamera* own = mScene->GetCamera(static_cast<u32>(mCameraIndex));
    if (own == nullptr || own->GetCamera() != RwCameraGetCurrentCamera()) {
      return;
    }
  }
  const RwV3d eye = RwFrameGetLTM(camera->GetFrame())->pos;
  SetFrameLookAt(mFrame, &eye);
  // Half a turn about its own up axis shows the quad's front to the camera.
  const RwV3d up = {0.0f, 1.0f, 0.0f};
  RwFrameRotate(mFrame, &up, kHalfTurn, kRwCombinePreConcat);
  RwV3d scale = {0.0f, 0.0f, 0.0f};
  bool scaled = false;
  if (mDistanceScaleFlag != 0) {
    RwV3d d;
    RwV3dSub(&d, &eye, &RwFrameGetLTM(mFrame)->pos);
    const f32 distance = RwV3dLength(&d);
    scale = mScaleFlag != 0 ? RwV3d{distance * mScale.x, distance * mScale.y, distance * mScale.z}
                            : RwV3d{distance, distance, distance};
    scaled = true;
  } else if (mScaleFlag != 0) {
    scale = mScale;
    scaled = true;
  }
  if (scaled) {
    RwFrameScale(mFrame, &scale, kRwCombinePreConcat);
  }
  RwFrameMarkDirty(mFrame);

  SetRenderState(kRwRenderStateVertexAlphaEnable, 1);
  if (mDepthTest == 0 || mDepthWrite == 0) {
    SetRenderState(kRwRenderStateZTestEnable, mDepthTest);
    SetRenderState(kRwRenderStateZWriteEnable, mDepthWrite);
  }
  SetTextureRaster(mTexture != nullptr ? mTexture->raster : nullptr);
  SetRenderState(kRwRenderStateTextureFilter, kRwFilterLinear);
  SetRenderState(kRwRenderStateTextureAddress, kRwTextureAddressWrap);
  if (RwIm3DTransform(mVertices, kSprite3DVertexCount, RwFrameGetLTM(mFrame), kIm3DTexturedFlags) != nullptr) {
    RwIm3DRenderPrimitive(kRwPrimTypeTriStrip);
    RwIm3DEnd();
  }
  SetRenderState(kRwRenderStateZTestEnable, 1);
  SetRenderState(kRwRenderStateZWriteEnable, 1);
}
