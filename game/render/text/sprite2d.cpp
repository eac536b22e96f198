// 2D sprites: vertex build and drawing through immediate-mode 3D.
#include "game/render/text/sprite2d.h"

#include "game/render/colour.h"
#include "game/render/scene/render_state.h"
#include "game/render/models/texture_files.h"

namespace {

constexpr f32 kDegreesPerRadian = 57.295776f;
constexpr f32 kSpritePlaneZ = 1.0f;
constexpr RwUInt32 kOpaqueWhite = 0xFFFFFFFFu;
void ResetRasterStates() {
  SetTextureRaster(nullptr);
  SetRenderState(kRwRenderStateTextureFilter, kRwFilterLinear);
  SetRenderState(kRwRenderStateTextureAddress, kRwTextureAddressWrap);
}

}  // namespace

cSprite2D::cSprite2D() : cSprite2D(tSpriteSize{1.0f, 1.0f}) {}

cSprite2D::cSprite2D(const tSpriteSize& size)
    : mVertices{},
      mPosition{0.0f, 0.0f},
      mSize{size.width * 2.0f, size.height * 2.0f},
      mTexture(nullptr),
      mCentred(0),
      mRotation(0.0f),
      mScaleX(1.0f),
      mScaleY(1.0f),
      mFilter(kRwFilterLinear),
      mAddressing(kRwTextureAddressClamp),
      mOverrideEnabled(0),
      mOverrideRaster(nullptr) {
  for (RwIm3DVertex& vertex : mVertices) {
    vertex.color = kOpaqueWhite;
  }
  ResetTexCoords();
  UpdateVertices();
}

cSprite2D::cSprite2D(const char* texture, const tSpriteSize& size) : cSprite2D(size) { SetTexture(texture); }

cSprite2D::~cSprite2D() { ReleaseTexture(); }

void cSprite2D::SetPosition(const RwV2d& position, u8 centred) {
  mPosition = RwV2d{position.x * 2.0f, position.y * 2.0f};
  mCentred = centred;
  UpdateVertices();
}

u8 cSprite2D::GetPosition(RwV2d* position) const {
  *position = RwV2d{mPosition.x * 0.5f, mPosition.y * 0.5f};
  return mCentred;
}

void cSprite2D::SetSize(const tSpriteSize& size) {
  mSize = tSpriteSize{size.width * 2.0f, size.height * 2.0f};
  UpdateVertices();
}

void cSprite2D::SetRotation(const f32* radians) {
  mRotation = *radians;
  UpdateVertices();
}

void cSprite2D::SetScale(f32 x, f32 y) {
  mScaleX = x;
  mScaleY = y;
  UpdateVertices();
}

void cSprite2D::UpdateVertices() {
  // Camera-space x grows to the left and y upwards: X = 1 is the left edge
  // of the target and Y = 1 its top edge.
  const f32 x = (1.0f - mPosition.x) * mScaleX;
  const f32 y = (1.0f - mPosition.y) * mScaleY;
  const f32 w = mSize.width * mScaleX;
  const f32 h = mSize.height * mScaleY;
  if (mRotation == 0.0f) {
    const f32 a = mCentred ? x + w * 0.5f : x;
    const f32 b = mCentred ? y + h * 0.5f : y;
    mVertices[0].objVertex = RwV3d{a, b, kSpritePlaneZ};
    mVertices[1].objVertex = RwV3d{a, b - h, kSpritePlaneZ};
    mVertices[2].objVertex = RwV3d{a - w, b, kSpritePlaneZ};
    mVertices[3].objVertex = RwV3d{a - w, b - h, kSpritePlaneZ};
    return;
  }
  // Turned about the sprite's own centre, whatever its anchor.
  const RwV3d centre = mCentred ? RwV3d{x, y, kSpritePlaneZ} : RwV3d{x - w * 0.5f, y - h * 0.5f, kSpritePlaneZ};
  RwMatrix matrix;
  RwMatrixSetIdentity(&matrix);
  RwMatrixTranslate(&matrix, &centre, kRwCombineReplace);
  const RwV3d axis = {0.0f, 0.0f, 1.0f};
  RwMatrixRotate(&matrix, &axis, -(mRotation * kDegreesPerRadian), kRwCombinePreConcat);
  const RwV3d corners[kSpriteVertexCount] = {{w * 0.5f, h * 0.5f, 0.0f},
                                             {w * 0.5f, -h * 0.5f, 0.0f},
                                             {-w * 0.5f, h * 0.5f, 0.0f},
                                             {-w * 0.5f, -h * 0.5f, 0.0f}};
  RwV3d points[kSpriteVertexCount];
  RwV3dTransformPoints(points, corners, kSpriteVertexCount, &matrix);
  for (u32 i = 0; i < kSpriteVertexCount; i++) {
    mVertices[i].objVertex = points[i];
  }
}

void cSprite2D::SetColour(u8 red, u8 green, u8 blue, u8 alpha) {
  const RwUInt32 colour = PackColour(red, green, blue, alpha);
  for (RwIm3DVertex& vertex : mVertices) {
    vertex.color = colour;
  }
}

void cSprite2D::SetCornerColours(const RwRGBA colours[kSpriteVertexCount]) {
  for (u32 i = 0; i < kSpriteVertexCount; i++) {
    mVertices[i].color = PackColour(colours[i].red, colours[i].green, colours[i].blue, colours[i].alpha);
  }
}

void cSprite2D::SetTexCoords(const tTexCoord& topLeft, const tTexCoord& bottomRight) {
  mVertices[0].u = topLeft.u;
  mVertices[0].v = topLeft.v;
  mVertices[1].u = topLeft.u;
  mVertices[1].v = bottomRight.v;
  mVertices[2].u = bottomRight.u;
  mVertices[2].v = topLeft.v;
  mVertices[3].u = bottomRight.u;
  mVertices[3].v = bottomRight.v;
}

void cSprite2D::ResetTexCoords() { SetTexCoords(tTexCoord{0.0f, 0.0f}, tTexCoord{1.0f, 1.0f}); }

void cSprite2D::SetTexture(const char* name) {
  ReleaseTexture();
  mTexture = ReadTexture(name, false);
  ResetTexCoords();
}

void cSprite2D::ReleaseTexture() {
  if (mTexture != nullptr) {
    RwTextureDestroy(mTexture);
    mTexture = nullptr;
  }
}

void cSprite2D::Render() {
  SetRenderState(kRwRenderStateZTestEnable, 0);
  SetRenderState(kRwRenderStateZWriteEnable, 0);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 1);
  const bool overridden = mOverrideEnabled && mOverrideRaster != nullptr;
  const bool textured = mTexture != nullptr || overridden;
  if (textured) {
    SetTextureRaster(overridden ? mOverrideRaster : mTexture->raster);
    SetRenderState(kRwRenderStateTextureFilter, kRwFilterLinear);
    SetRenderState(kRwRenderStateTextureAddress, kRwTextureAddressWrap);
    SetRenderState(kRwRenderStateTextureAddress, static_cast<RwInt32>(mAddressing));
    SetRenderState(kRwRenderStateTextureFilter, static_cast<RwInt32>(mFilter));
    if (RwIm3DTransform(mVertices, kSpriteVertexCount, nullptr, kIm3DTexturedFlags) != nullptr) {
      RwIm3DRenderPrimitive(kRwPrimTypeTriStrip);
      RwIm3DEnd();
    }
  } else {
    ResetRasterStates();
    if (RwIm3DTransform(mVertices, kSpriteVertexCount, nullptr, kIm3DUntexturedFlags) != nullptr) {
      RwIm3DRenderPrimitive(kRwPrimTypeTriStrip);
      RwIm3DEnd();
    }
  }
  // An override raster is unbound like a texture's, so that no raster stays
  // bound after the sprite.
  if (textured) {
    ResetRasterStates();
  }
  SetRenderState(kRwRenderStateZTestEnable, 1);
  SetRenderState(kRwRenderStateZWriteEnable, 1);
}
