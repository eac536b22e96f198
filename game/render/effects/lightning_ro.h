// Lightning bolts: atomic render objects drawn as s flat ribbons crossing
// along the axis from a start to an end point, through n interior points
// that wander at random every draw. Shocks and beams are made of them.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/render/models/atomic_ro.h"
#include "game/render/colour.h"

constexpr u8 kLightningLayer = 2;  // the render manager's item layer, 1-based

class cLightningRO : public cAtomicRO {
 public:
  // segments: interior points n; strands: ribbons s.
  cLightningRO(u32 segments, u32 strands);
  ~cLightningRO() override;

  // Half the ribbon's width.
  void SetFirstScale(f32 width) { mWidth = width; }
  // How far each interior point may stray beyond its neighbours.
  void SetSecondScale(f32 jitter) { mJitter = jitter; }
  // Owned from then on; null draws untextured.
  void SetTexture(RwTexture* texture);
  // Clamped to 0..1 and written into every vertex.
  void SetColour(const tRGBAf& colour);
  // The atomic's sphere follows: centred between them, reaching both.
  void SetEndPoints(const RwV3d& start, const RwV3d& end);
  // Moves the interior points, builds the ribbons and draws them additively,
  // restoring every render state it changes.
  void Render(cCamera* camera) override;

  u32 GetVertexCount() const { return mVertexCount; }
  u32 GetIndexCount() const { return mIndexCount; }
  const RwIm3DVertex* GetVertices() const { return mVertices; }
  const RwUInt16* GetIndices() const { return mIndices; }

 private:
  struct tOffset {
    f32 x;
    f32 y;
  };

  void WanderInteriorPoints();

  RwIm3DVertex* mVertices;
  u32 mVertexCount;
  RwUInt16* mIndices;
  u32 mIndexCount;
  RwTexture* mTexture;
  u32 mSegments;
  u32 mStrands;
  f32 mWidth;
  RwV3d mStart;
  RwV3d mEnd;
  tOffset* mOffsets;  // mSegments + 2 points, the ends fixed at (0, 0)
  f32 mJitter;
};

class cScene;

// The bolt of shocks and beams: 5 segments, 3 strands, width and jitter
// 0.1, white at 0.3 alpha, the lightning texture, in the scene's world
// (fatal without one).
cLightningRO* CreateEffectBolt(cScene* scene);
