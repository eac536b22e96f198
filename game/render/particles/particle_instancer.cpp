// Particle instancers: their keys, the quads and lines built in camera
// space, and the draw with every changed render state put back.
#include "game/render/particles/particle_instancer.h"

#include <cmath>

#include "game/foundation/fatal_error.h"
#include "game/render/models/texture_files.h"
#include "game/render/particles/particle.h"
#include "game/render/scene/camera.h"
#include "game/render/scene/render_state.h"

namespace {

constexpr u32 kQuadVertices = 4;
constexpr u32 kQuadIndices = 6;
constexpr u32 kLineVertices = 2;

u32 PackedColour(const tRGBAf& colour) {
  const RwRGBA bytes = ColourToBytes(colour);
  return PackColour(bytes.red, bytes.green, bytes.blue, bytes.alpha);
}

template <typename T>
T* CopyOf(const T* envelope) {
  return envelope != nullptr ? envelope->Clone() : nullptr;
}

// The camera-space matrix of the camera drawing now: the inverse of its
// frame's world matrix.
void ToCamera(cCamera* camera, RwMatrix* toCamera, RwMatrix** cameraMatrix) {
  *cameraMatrix = RwFrameGetLTM(camera->GetFrame());
  RwMatrixInvert(toCamera, *cameraMatrix);
}

// Linear filtering, wrapping addressing, the instancer's blend, depth
// tested but not written, no culling, vertex alpha on.
void SetEffectStates(RwRaster* raster, RwInt32 sourceBlend, RwInt32 destinationBlend) {
  SetTextureRaster(raster);
  SetRenderState(kRwRenderStateTextureFilter, kRwFilterLinear);
  SetRenderState(kRwRenderStateTextureAddress, kRwTextureAddressWrap);
  SetRenderState(kRwRenderStateSrcBlend, sourceBlend);
  SetRenderState(kRwRenderStateDestBlend, destinationBlend);
  SetRenderState(kRwRenderStateZTestEnable, 1);
  SetRenderState(kRwRenderStateZWriteEnable, 0);
  SetRenderState(kRwRenderStateCullMode, kCullModeNone);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 1);
}

// Transforms the vertices back to world space with the camera's matrix and
// draws them indexed.
void DrawIndexed(RwIm3DVertex* vertices, u32 vertexCount, RwMatrix* cameraMatrix, RwUInt32 flags, RwUInt32 primitive,
                 RwUInt16* indices, u32 indexCount) {
  if (RwIm3DTransform(vertices, vertexCount, cameraMatrix, flags) != nullptr) {
    RwIm3DRenderIndexedPrimitive(primitive, indices, indexCount);
    RwIm3DEnd();
  }
}

}  // namespace

cRO_PInstancer::cRO_PInstancer()
    : cAtomicRO(0.0f, kParticleLayer),
      mParticles(nullptr),
      mOwnsTexture(0),
      mVisibility(0),
      mSourceBlend(kBlendSrcAlpha),
      mDestinationBlend(kBlendInvSrcAlpha) {}

void cRO_PInstancer::BuildAndDraw(cCamera* camera, const tParticleDraw& draw) {
  mVisibility = kVisibilityFrames;
  RwMatrix toCamera;
  RwMatrix* cameraMatrix = nullptr;
  ToCamera(camera, &toCamera, &cameraMatrix);
  const u32 count = BuildVertices(&toCamera);
  if (count == 0) {
    return;
  }
  const cEffectRenderStates saved;
  SetEffectStates(draw.raster, mSourceBlend, mDestinationBlend);
  DrawIndexed(draw.vertices, count * draw.verticesEach, cameraMatrix, draw.flags, draw.primitive, draw.indices,
              count * draw.indicesEach);
  saved.Restore();
}

void cRO_PInstancer::ReadBlend(const cPropertyGroup& group, const char* message) {
  const cProperty* blend = group.FindProperty("BLEND");
  if (blend == nullptr) {
    return;
  }
  if (blend->GetValue() == cString("ADD")) {
    mSourceBlend = kBlendSrcAlpha;
    mDestinationBlend = kBlendOne;
  } else if (blend->GetValue() == cString("DECAL")) {
    mSourceBlend = kBlendSrcAlpha;
    mDestinationBlend = kBlendInvSrcAlpha;
  } else {
    FatalInGroup(&group, "%s", message);
  }
}

void cRO_PInstancer::ReadColour(const cPropertyGroup& group, const char* message, tColourEnvelope** envelope) {
  const cProperty* colour = group.FindProperty("COLOR");
  if (colour == nullptr) {
    return;
  }
  tColourEnvelope* read = ReadColourEnvelope(colour->GetValue());
  if (read == nullptr) {
    FatalInGroup(&group, "%s", message);
  }
  delete *envelope;
  *envelope = read;
}

tRGBAf cRO_PInstancer::ColourAt(const tColourEnvelope* envelope, const tRGBAf& start, const tRGBAf& end, f32 t) {
  return envelope != nullptr ? envelope->GetValue(t) : Lerp(start, end, t);
}

cRO_PInstancer_Im3DSprite::cRO_PInstancer_Im3DSprite(u32 capacity)
    : mVertices(new RwIm3DVertex[capacity * kQuadVertices]()),
      mIndices(new RwUInt16[capacity * kQuadIndices]),
      mCapacity(capacity),
      mTexture(nullptr),
      mFrameCount(1),
      mColour(nullptr),
      mSize(nullptr),
      mRotation(nullptr),
      mStartSize(0.0f),
      mEndSize(0.0f),
      mStartRotation(0.0f),
      mEndRotation(0.0f),
      mQuadCount(0) {
  static const RwUInt16 kPattern[kQuadIndices] = {0, 1, 2, 1, 2, 3};
  static const f32 kCornerU[kQuadVertices] = {0.0f, 0.0f, 1.0f, 1.0f};
  static const f32 kCornerV[kQuadVertices] = {0.0f, 1.0f, 0.0f, 1.0f};
  for (u32 i = 0; i < capacity; i++) {
    for (u32 k = 0; k < kQuadIndices; k++) {
      mIndices[i * kQuadIndices + k] = static_cast<RwUInt16>(i * kQuadVertices + kPattern[k]);
    }
    for (u32 k = 0; k < kQuadVertices; k++) {
      mVertices[i * kQuadVertices + k].u = kCornerU[k];
      mVertices[i * kQuadVertices + k].v = kCornerV[k];
    }
  }
}

cRO_PInstancer_Im3DSprite::~cRO_PInstancer_Im3DSprite() {
  if (mOwnsTexture != 0 && mTexture != nullptr) {
    RwTextureDestroy(mTexture);
  }
  delete mColour;
  delete mSize;
  delete mRotation;
  delete[] mVertices;
  delete[] mIndices;
}

void cRO_PInstancer_Im3DSprite::Init(const cPropertyGroup& group) {
  ReadColour(group, "cRO_PInstancer_Im3DSprite::Init() : invalid color", &mColour);
  if (const cProperty* size = group.FindProperty("SIZE")) {
    tFloatEnvelope* read = ReadFloatEnvelope(size->GetValue());
    if (read == nullptr) {
      FatalInGroup(&group, "cRO_PInstancer_Im3DSprite::Init() : invalid size");
    }
    delete mSize;
    mSize = read;
  }
  if (const cProperty* rotate = group.FindProperty("ROTATE")) {
    tFloatEnvelope* read = ReadAngleEnvelope(rotate->GetValue());
    if (read == nullptr) {
      FatalInGroup(&group, "cRO_PInstancer_Im3DSprite::Init() : invalid rotate");
    }
    delete mRotation;
    mRotation = read;
  }
  ReadBlend(group, "cRO_PInstancer_Im3DSprite::Init() : invalid blend (ADD,DECAL)");
  if (const cProperty* texture = group.FindProperty("TEXTURE")) {
    mTexture = ReadTexture(texture->GetValue().CStr(), false);
  }
  mOwnsTexture = 1;
  if (const cProperty* frames = group.FindProperty("NUMFRAMES")) {
    const s32 count = frames->GetS32Fatal();
    if (count < 1) {
      FatalInGroup(&group, "cRO_PInstancer_Im3DSprite::Init() : invalid numframes");
    }
    mFrameCount = static_cast<u32>(count);
  }
}

cRO_PInstancer* cRO_PInstancer_Im3DSprite::Clone() {
  cRO_PInstancer_Im3DSprite* clone = new cRO_PInstancer_Im3DSprite(mCapacity);
  clone->mSourceBlend = mSourceBlend;
  clone->mDestinationBlend = mDestinationBlend;
  clone->mTexture = mTexture;
  clone->mFrameCount = mFrameCount;
  clone->mColour = CopyOf(mColour);
  clone->mSize = CopyOf(mSize);
  clone->mRotation = CopyOf(mRotation);
  return clone;
}

u32 cRO_PInstancer_Im3DSprite::BuildVertices(const RwMatrix* toCamera) {
  mQuadCount = 0;
  if (mParticles == nullptr) {
    return 0;
  }
  for (const tParticle* p = NextParticle(*mParticles, nullptr); p != nullptr && mQuadCount < mCapacity;
       p = NextParticle(*mParticles, p)) {
    const f32 t = RelativeLife(p->age, p->lifeSpan);
    const u32 colour = PackedColour(ColourAt(mColour, mStartColour, mEndColour, t));
    const f32 size = mSize != nullptr ? mSize->GetValue(t) : Lerp(mStartSize, mEndSize, t);
    const f32 r = mRotation != nullptr ? mRotation->GetValue(t) : Lerp(mStartRotation, mEndRotation, t);
    // A square of edge size turned by r in the view plane.
    const f32 cosR = std::cos(r);
    const f32 sinR = std::sin(r);
    const f32 a = (cosR - sinR) * 0.5f * size;
    const f32 b = (cosR + sinR) * 0.5f * size;
    RwV3d c;
    RwV3dTransformPoints(&c, &p->position, 1, toCamera);
    RwIm3DVertex* quad = &mVertices[mQuadCount * kQuadVertices];
    quad[0].objVertex = RwV3d{c.x - a, c.y - b, c.z};
    quad[1].objVertex = RwV3d{c.x - b, c.y + a, c.z};
    quad[2].objVertex = RwV3d{c.x + b, c.y - a, c.z};
    quad[3].objVertex = RwV3d{c.x + a, c.y + b, c.z};
    for (u32 k = 0; k < kQuadVertices; k++) {
      quad[k].color = colour;
    }
    if (mFrameCount > 1) {
      // The texture is a horizontal strip of frames played over the life.
      const f32 frames = static_cast<f32>(mFrameCount);
      f32 frame = std::trunc(t * frames);
      frame = frame < frames - 1.0f ? frame : frames - 1.0f;
      const f32 u0 = frame / frames;
      const f32 u1 = (frame + 1.0f) / frames;
      quad[0].u = u0;
      quad[1].u = u0;
      quad[2].u = u1;
      quad[3].u = u1;
    }
    mQuadCount++;
  }
  return mQuadCount;
}

void cRO_PInstancer_Im3DSprite::Render(cCamera* camera) {
  // Without a texture nothing of an earlier draw's may show through.
  BuildAndDraw(camera,
               tParticleDraw{mVertices, mIndices, kQuadVertices, kQuadIndices,
                             mTexture != nullptr ? mTexture->raster : nullptr, kIm3DTexturedFlags, kRwPrimTypeTriList});
}

cRO_PInstancer_Im3DLine::cRO_PInstancer_Im3DLine(u32 capacity)
    : mVertices(new RwIm3DVertex[capacity * kLineVertices]()),
      mIndices(new RwUInt16[capacity * kLineVertices]),
      mCapacity(capacity),
      mColour(nullptr),
      mLineLength(kDefaultLineLength),
      mLineCount(0) {
  for (u32 i = 0; i < capacity * kLineVertices; i++) {
    mIndices[i] = static_cast<RwUInt16>(i);
  }
}

cRO_PInstancer_Im3DLine::~cRO_PInstancer_Im3DLine() {
  delete mColour;
  delete[] mVertices;
  delete[] mIndices;
}

void cRO_PInstancer_Im3DLine::Init(const cPropertyGroup& group) {
  ReadColour(group, "cRO_PInstancer_Im3DLine::Init() : invalid color", &mColour);
  ReadBlend(group, "cRO_PInstancer_Im3DLine::Init() : invalid blend (ADD,DECAL)");
  if (const cProperty* length = group.FindProperty("LINE_LENGTH")) {
    mLineLength = length->GetF32Fatal();
  }
}

cRO_PInstancer* cRO_PInstancer_Im3DLine::Clone() {
  cRO_PInstancer_Im3DLine* clone = new cRO_PInstancer_Im3DLine(mCapacity);
  clone->mSourceBlend = mSourceBlend;
  clone->mDestinationBlend = mDestinationBlend;
  clone->mColour = CopyOf(mColour);
  clone->mLineLength = mLineLength;
  return clone;
}

u32 cRO_PInstancer_Im3DLine::BuildVertices(const RwMatrix* toCamera) {
  mLineCount = 0;
  if (mParticles == nullptr) {
    return 0;
  }
  for (const tParticle* p = NextParticle(*mParticles, nullptr); p != nullptr && mLineCount < mCapacity;
       p = NextParticle(*mParticles, p)) {
    const f32 t = RelativeLife(p->age, p->lifeSpan);
    const tRGBAf colour = ColourAt(mColour, mStartColour, mEndColour, t);
    RwV3d position;
    RwV3d velocity;
    RwV3dTransformPoints(&position, &p->position, 1, toCamera);
    RwV3dTransformVectors(&velocity, &p->velocity, 1, toCamera);
    RwIm3DVertex* line = &mVertices[mLineCount * kLineVertices];
    line[0].objVertex = position;
    line[0].color = PackedColour(colour);
    line[1].objVertex = RwV3d{position.x - velocity.x * mLineLength, position.y - velocity.y * mLineLength,
                              position.z - velocity.z * mLineLength};
    line[1].color = PackedColour(tRGBAf(colour.r, colour.g, colour.b, 0.0f));
    mLineCount++;
  }
  return mLineCount;
}

void cRO_PInstancer_Im3DLine::Render(cCamera* camera) {
  BuildAndDraw(camera, tParticleDraw{mVertices, mIndices, kLineVertices, kLineVertices, nullptr, kIm3DUntexturedFlags,
                                     kRwPrimTypeLineList});
}
