// cLight: creation and destruction of the light with its frame.
#include "game/render/scene/light.h"

#include "game/foundation/fatal_error.h"

cLight::cLight(RwUInt8 type) : mFrame(RwFrameCreate()), mDirection{0.0f, 0.0f, 1.0f}, mLight(RpLightCreate(type)) {
  if (mLight == nullptr || mFrame == nullptr || RpLightSetFrame(mLight, mFrame) == nullptr) {
    FatalError("RpLightSetFrame Error");
  }
}

cLight::~cLight() {
  RpWorld* world = mLight != nullptr ? RpLightGetWorld(mLight) : nullptr;
  if (world != nullptr) {
    RpWorldRemoveLight(world, mLight);
  }
  if (mLight == nullptr || RpLightSetFrame(mLight, nullptr) == nullptr) {
    FatalError("RpLightSetFrame Error");
  }
  RwFrameDestroy(mFrame);
  RpLightDestroy(mLight);
}
