// A typed engine light on a frame of its own: the scene's ambient and
// directional lights, the level camera's lights and the level's own lights.
#pragma once

#include "engine/engine.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"

class cLight {
 public:
  // Light type: RpLightType (1 directional, 2 ambient, 128 point, 129 spot,
  // 130 soft spot). Fatal "RpLightSetFrame Error" when the light cannot be
  // made.
  explicit cLight(RwUInt8 type);
  // Takes the light out of its world first, so that a light may go while
  // its world stays.
  ~cLight();

  // A light of a property group: TYPE (DIRECTIONAL, AMBIENT, POINT, SPOT or
  // SPOTSOFT, exactly; fatal when missing or another), then in this order
  // the optional COLOR, POS (the frame's position), LOOKATPOS (turned to
  // look at it from there), RADIUS and CONEANGLE (degrees).
  static cLight* Create(const cPropertyGroup* group);

  cLight(const cLight&) = delete;
  cLight& operator=(const cLight&) = delete;

  RpLight* GetLight() const { return mLight; }
  RwFrame* GetFrame() const { return mFrame; }
  const RwV3d& GetDirection() const { return mDirection; }
  void SetDirection(const RwV3d& direction) { mDirection = direction; }
  void SetColour(const RwRGBAReal& colour) { RpLightSetColor(mLight, &colour); }
  const RwRGBAReal& GetColour() const { return *RpLightGetColor(mLight); }
  void SetFlags(RwUInt32 flags) { RpLightSetFlags(mLight, flags); }

 private:
  RwFrame* mFrame;
  RwV3d mDirection;
  RpLight* mLight;
};
