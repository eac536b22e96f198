// Particle instancers: they turn the live particles of one system into
// immediate-mode geometry each frame, as camera-facing textured quads or as
// short lines along each particle's velocity. Each is an atomic render
// object, so the world's culling against the sphere the system keeps up to
// date decides whether it is drawn at all.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"
#include "game/render/models/atomic_ro.h"
#include "game/render/colour.h"
#include "game/render/effects/envelope.h"

// The render manager's item layer of particles (1-based), sorted back to
// front with the other see-through effects.
constexpr u8 kParticleLayer = 2;
// Draws that keep a system counted as seen (Render sets, updates count down).
constexpr s32 kVisibilityFrames = 2;
// The most particles an instancer draws: its vertices take 16-bit indices.
constexpr u32 kMaxSpriteCapacity = 16384;
constexpr u32 kMaxLineCapacity = 32768;
constexpr f32 kDefaultLineLength = 0.1f;  // seconds of travel

class cCamera;

class cRO_PInstancer : public cListItem, public cAtomicRO {
 public:
  cRO_PInstancer();
  ~cRO_PInstancer() override {}

  // Reads the element's keys; a bad value is fatal.
  virtual void Init(const cPropertyGroup& group) = 0;
  // A new instancer of the same kind and capacity drawing like this one.
  virtual cRO_PInstancer* Clone() = 0;
  // Builds the geometry of the live particles, oldest first, in the space
  // the matrix takes world points to, until the buffers are full; returns
  // the particles built.
  virtual u32 BuildVertices(const RwMatrix* toCamera) = 0;

  // The live list of the system it draws (not owned).
  void SetParticles(const cList* particles) { mParticles = particles; }
  // Counts one update down towards "not seen".
  void CountDownVisibility() {
    if (mVisibility > 0) {
      mVisibility--;
    }
  }
  s32 GetVisibility() const { return mVisibility; }
  RwInt32 GetSourceBlend() const { return mSourceBlend; }
  RwInt32 GetDestinationBlend() const { return mDestinationBlend; }

 protected:
  // Where a kind keeps its geometry and how it is drawn.
  struct tParticleDraw {
    RwIm3DVertex* vertices;
    RwUInt16* indices;
    u32 verticesEach;  // a particle
    u32 indicesEach;
    RwRaster* raster;  // null: untextured
    RwUInt32 flags;
    RwUInt32 primitive;
  };
  // Counts as seen, builds the particles for the drawing camera and draws
  // them with the effect states, putting back every state it changed.
  void BuildAndDraw(cCamera* camera, const tParticleDraw& draw);
  // "ADD" or "DECAL" under BLEND; fatal with the message for anything else.
  void ReadBlend(const cPropertyGroup& group, const char* message);
  // The colour envelope under COLOR, replacing the one held; fatal with the
  // message for a bad value.
  static void ReadColour(const cPropertyGroup& group, const char* message, tColourEnvelope** envelope);
  // t = age / life span (0 for a span of 0): the particle's relative life.
  static f32 RelativeLife(f32 age, f32 lifeSpan) { return lifeSpan > 0.0f ? age / lifeSpan : 0.0f; }
  // The colour at t from the envelope, or between the start and end.
  static tRGBAf ColourAt(const tColourEnvelope* envelope, const tRGBAf& start, const tRGBAf& end, f32 t);

  const cList* mParticles;
  u32 mOwnsTexture;
  s32 mVisibility;
  RwInt32 mSourceBlend;
  RwInt32 mDestinationBlend;
};

class cRO_PInstancer_Im3DSprite : public cRO_PInstancer {
 public:
  // Buffers for capacity quads (at most kMaxSpriteCapacity).
  explicit cRO_PInstancer_Im3DSprite(u32 capacity);
  ~cRO_PInstancer_Im3DSprite() override;

  // COLOR, SIZE, ROTATE, BLEND, TEXTURE and NUMFRAMES.
  void Init(const cPropertyGroup& group) override;
  // The blend, the texture (not owned), the frame count and copies of the
  // envelopes.
  cRO_PInstancer* Clone() override;
  void Render(cCamera* camera) override;
  // One quad a particle.
  u32 BuildVertices(const RwMatrix* toCamera) override;

  const RwIm3DVertex* GetVertices() const { return mVertices; }
  const RwUInt16* GetIndices() const { return mIndices; }
  u32 GetCapacity() const { return mCapacity; }
  u32 GetQuadCount() const { return mQuadCount; }
  RwTexture* GetTexture() const { return mTexture; }
  u32 GetFrameCount() const { return mFrameCount; }
  const tColourEnvelope* GetColourEnvelope() const { return mColour; }
  const tFloatEnvelope* GetSizeEnvelope() const { return mSize; }
  const tFloatEnvelope* GetRotationEnvelope() const { return mRotation; }

 private:
  RwIm3DVertex* mVertices;  // 4 a quad
  RwUInt16* mIndices;       // 6 a quad
  u32 mCapacity;            // quads
  RwTexture* mTexture;
  u32 mFrameCount;  // frames side by side in the texture
  tColourEnvelope* mColour;
  tFloatEnvelope* mSize;      // quad edge, world units
  tFloatEnvelope* mRotation;  // radians in the view plane
  tRGBAf mStartColour;
  tRGBAf mEndColour;
  f32 mStartSize;
  f32 mEndSize;
  f32 mStartRotation;
  f32 mEndRotation;
  u32 mQuadCount;
};

class cRO_PInstancer_Im3DLine : public cRO_PInstancer {
 public:
  // Buffers for capacity lines (at most kMaxLineCapacity).
  explicit cRO_PInstancer_Im3DLine(u32 capacity);
  ~cRO_PInstancer_Im3DLine() override;

  // COLOR, BLEND and LINE_LENGTH.
  void Init(const cPropertyGroup& group) override;
  // The blend, the line length and a copy of the colour envelope.
  cRO_PInstancer* Clone() override;
  void Render(cCamera* camera) override;

  // One line a particle, from its position back along its velocity,
  // fading to nothing at the tail.
  u32 BuildVertices(const RwMatrix* toCamera) override;

  const RwIm3DVertex* GetVertices() const { return mVertices; }
  u32 GetCapacity() const { return mCapacity; }
  u32 GetLineCount() const { return mLineCount; }
  f32 GetLineLength() const { return mLineLength; }
  const tColourEnvelope* GetColourEnvelope() const { return mColour; }

 private:
  RwIm3DVertex* mVertices;  // 2 a line
  RwUInt16* mIndices;       // 2 a line
  u32 mCapacity;            // lines
  tColourEnvelope* mColour;
  tRGBAf mStartColour;
  tRGBAf mEndColour;
  f32 mLineLength;  // seconds of travel drawn behind each particle
  u32 mLineCount;
};
