// cLightningRO: the ribbon mesh, the wandering points and the additive draw.
#include "game/render/effects/lightning_ro.h"

#include <cmath>

#include "game/foundation/vector_helpers.h"
#include "game/render/random.h"
#include "game/render/scene/render_state.h"
#include "game/render/scene/scene.h"
#include "game/render/models/texture_files.h"

namespace {

constexpr f32 kHalfTurnRadians = 3.14159265f;
constexpr RwUInt32 kOpaqueWhite = 0xFFFFFFFFu;

// The bolts of shocks and beams.
constexpr u32 kEffectBoltSegments = 5;
constexpr u32 kEffectBoltStrands = 3;
constexpr f32 kEffectBoltScale = 0.1f;
constexpr f32 kEffectBoltAlpha = 0.3f;
constexpr char kEffectBoltTexture[] = "data/implants/lightning";

}  // namespace

cLightningRO::cLightningRO(u32 segments, u32 strands)
    : cAtomicRO(0.0f, kLightningLayer),
      mVertexCount((segments + 2) * strands * 2),
      mIndexCount((segments + 1) * strands * 6),
      mTexture(nullptr),
      mSegments(segments),
      mStrands(strands),
      mWidth(1.0f),
      mStart{0.0f, 0.0f, 0.0f},
      mEnd{0.0f, 0.0f, 0.0f},
      mOffsets(new tOffset[segments + 2]()),
      mJitter(1.0f) {
  mVertices = new RwIm3DVertex[mVertexCount]();
  mIndices = new RwUInt16[mIndexCount];
  const f32 spans = static_cast<f32>(segments + 1);
  for (u32 i = 0; i < segments + 2; i++) {
    for (u32 j = 0; j < strands; j++) {
      RwIm3DVertex* pair = &mVertices[(strands * i + j) * 2];
      for (u32 k = 0; k < 2; k++) {
        pair[k].u = static_cast<f32>(i) / spans;
        pair[k].v = static_cast<f32>(k);
        pair[k].color = kOpaqueWhite;
      }
    }
  }
  RwUInt16* index = mIndices;
  for (u32 i = 0; i < segments + 1; i++) {
    for (u32 j = 0; j < strands; j++) {
      const RwUInt16 a = static_cast<RwUInt16>((strands * i + j) * 2);
      const RwUInt16 b = static_cast<RwUInt16>((strands * (i + 1) + j) * 2);
      const RwUInt16 triangles[6] = {
          a, static_cast<RwUInt16>(a + 1), b, static_cast<RwUInt16>(a + 1), static_cast<RwUInt16>(b + 1), b};
      for (RwUInt16 value : triangles) {
        *index++ = value;
      }
    }
  }
}

cLightningRO::~cLightningRO() {
  SetTexture(nullptr);
  delete[] mOffsets;
  delete[] mIndices;
  delete[] mVertices;
}

void cLightningRO::SetTexture(RwTexture* texture) {
  if (mTexture != nullptr && mTexture != texture) {
    RwTextureDestroy(mTexture);
  }
  mTexture = texture;
}

void cLightningRO::SetColour(const tRGBAf& colour) {
  const RwRGBA bytes = ColourToBytes(colour);
  const u32 packed = PackColour(bytes.red, bytes.green, bytes.blue, bytes.alpha);
  for (u32 i = 0; i < mVertexCount; i++) {
    mVertices[i].color = packed;
  }
}

void cLightningRO::SetEndPoints(const RwV3d& start, const RwV3d& end) {
  mStart = start;
  mEnd = end;
  RwV3d centre;
  RwV3dAdd(&centre, &start, &end);
  RwV3dScale(&centre, &centre, 0.5f);
  RwV3d d;
  RwV3dSub(&d, &end, &start);
  SetBoundingSphere(centre, RwV3dLength(&d) * 0.5f);
}

void cLightningRO::WanderInteriorPoints() {
  for (u32 i = 1; i <= mSegments; i++) {
    tOffset& point = mOffsets[i];
    point.x = RandomFloat(mOffsets[i - 1].x, mOffsets[i + 1].x) + RandomFloat(-mJitter, mJitter);
    point.y = RandomFloat(mOffsets[i - 1].y, mOffsets[i + 1].y) + RandomFloat(-mJitter, mJitter);
  }
}

void cLightningRO::Render(cCamera*) {
  WanderInteriorPoints();

  // Local z runs from 0 at the start to 1 at the end point.
  RwMatrix matrix;
  RwMatrixSetIdentity(&matrix);
  RwMatrixTranslate(&matrix, &mStart, kRwCombineReplace);
  MatrixLookAt(&matrix, &mEnd);
  RwV3d d;
  RwV3dSub(&d, &mEnd, &mStart);
  const RwV3d stretch = {1.0f, 1.0f, RwV3dLength(&d)};
  RwMatrixScale(&matrix, &stretch, kRwCombinePreConcat);

  const f32 spans = static_cast<f32>(mSegments + 1);
  for (u32 j = 0; j < mStrands; j++) {
    const f32 angle = static_cast<f32>(j) * kHalfTurnRadians / static_cast<f32>(mStrands);
    const f32 dx = mWidth * std::cos(angle);
    const f32 dy = mWidth * std::sin(angle);
    for (u32 i = 0; i < mSegments + 2; i++) {
      RwIm3DVertex* pair = &mVertices[(mStrands * i + j) * 2];
      const f32 z = static_cast<f32>(i) / spans;
      pair[0].objVertex = RwV3d{mOffsets[i].x + dx, mOffsets[i].y + dy, z};
      pair[1].objVertex = RwV3d{mOffsets[i].x - dx, mOffsets[i].y - dy, z};
    }
  }

  const cEffectRenderStates saved;
  SetTextureRaster(mTexture != nullptr ? mTexture->raster : nullptr);
  SetRenderState(kRwRenderStateTextureFilter, kRwFilterLinear);
  SetRenderState(kRwRenderStateTextureAddress, kRwTextureAddressWrap);
  SetRenderState(kRwRenderStateSrcBlend, kBlendSrcAlpha);
  SetRenderState(kRwRenderStateDestBlend, kBlendOne);
  SetRenderState(kRwRenderStateZTestEnable, 1);
  SetRenderState(kRwRenderStateZWriteEnable, 0);
  SetRenderState(kRwRenderStateCullMode, kCullModeNone);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 1);
  if (RwIm3DTransform(mVertices, mVertexCount, &matrix, kIm3DTexturedFlags) != nullptr) {
    RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, mIndices, mIndexCount);
    RwIm3DEnd();
  }
  saved.Restore();
}

cLightningRO* CreateEffectBolt(cScene* scene) {
  cLightningRO* bolt = new cLightningRO(kEffectBoltSegments, kEffectBoltStrands);
  bolt->SetFirstScale(kEffectBoltScale);
  bolt->SetSecondScale(kEffectBoltScale);
  bolt->SetColour(tRGBAf(1.0f, 1.0f, 1.0f, kEffectBoltAlpha));
  bolt->SetTexture(ReadTexture(kEffectBoltTexture, false));
  scene->GetRenderManager().AddAtomicRO(bolt);
  return bolt;
}
