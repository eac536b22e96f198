// The textures a level's dictionary file carries beside the level's own:
// read once when the file is made, then served from it.
#pragma once

#include "game/foundation/types.h"

constexpr u32 kLevelCachedTextureCount = 24;
extern const char* const kLevelCachedTextures[kLevelCachedTextureCount];
