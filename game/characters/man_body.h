// The perceivable part of a man: what the perceptors of the level look for
// in the world's list of bodies, with the point they aim at and the margins
// that make the body easier to see or to hear.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"

// Who a body is to the perceptors.
enum eManKind : u32 {
  kManKindPlayer = 0,
  kManKindHologram = 1,
  kManKindGuard = 2,  // guards and gangsters
  kManKindCivilian = 3,
};

// The point perceptors aim at, in the man's frame: standing and crouching.
constexpr f32 kPerceivableHeight = 1.7f;
constexpr f32 kPerceivableLowHeight = 1.0f;

class cManBody {
 public:
  explicit cManBody(u32 kind);
  // Leaves the list of bodies.
  virtual ~cManBody() {}

  cManBody(const cManBody&) = delete;
  cManBody& operator=(const cManBody&) = delete;

  // The frame of the man's model; null without a model.
  virtual RwFrame* GetFrame() const = 0;

  cListLink& GetBodyLink() { return mBodyLink; }
  u32 GetKind() const { return mKind; }
  const RwV3d& GetPerceivableOffset() const { return mPerceivableOffset; }
  void SetPerceivableOffset(const RwV3d& offset) { mPerceivableOffset = offset; }
  // Added to a perceptor's sight range when it looks for this body.
  f32 GetVisibilityMargin() const { return mVisibilityMargin; }
  void SetVisibilityMargin(f32 margin) { mVisibilityMargin = margin; }
  // Added to a perceptor's hearing range; 0 is never heard.
  f32 GetNoise() const { return mNoise; }
  void SetNoise(f32 noise) { mNoise = noise; }

 private:
  cListLink mBodyLink;  // its object is this body
  u32 mKind;
  RwV3d mPerceivableOffset;
  f32 mVisibilityMargin;
  f32 mNoise;
};
