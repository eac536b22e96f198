// Textures read by name through the engine's texture reader: the image
// search path follows the name's folder.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

// The image search path becomes the name's folder (up to and including its
// last '/'), or "textures/" when the name has none.
void SetTexturePathFromName(const char* name);
// The texture by the name's file part, from the name's folder; with the mask
// flag the mask image is the file part followed by "_mask". Null when the
// texture cannot be read.
RwTexture* ReadTexture(const char* name, bool withMask);
