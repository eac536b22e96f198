// The level loading screen and the expected size of each level's load.
#include "game/frontend/screens/screen_loading.h"

namespace {

// The loader shows the level text.
constexpr u8 kLoaderWithText = 1;
constexpr u32 kLevelLoadSizes[] = {0, 55235111, 70320705, 48341459, 41125306, 25839981, 45589409};
constexpr s32 kLevelLoadSizeCount = sizeof(kLevelLoadSizes) / sizeof(kLevelLoadSizes[0]);

}  // namespace

u32 LevelLoadSize(s32 levelNumber) {
  if (levelNumber < 0 || levelNumber >= kLevelLoadSizeCount) {
    return kLoaderExpectedBytes;
  }
  return kLevelLoadSizes[levelNumber];
}

cScreen_Loading::cScreen_Loading(cLoadable* source, u32 expectedBytes) : mLoader(source, kLoaderWithText) {
  mLoader.SetExpectedBytes(expectedBytes);
  mLoader.Reset();
  AddWidget(&mLoader);
}

cScreen_Loading::~cScreen_Loading() { RemoveChild(&mLoader); }
