// Textures by name and texture dictionaries (".txd"): where the engine's
// texture reader looks for image files, and the level's dictionary files.
// Game paths use '/'; the engine is handed their native form.
#pragma once

#include "engine/engine.h"

// With a folder, the image search path becomes it; without one, the
// "textures/" folder beside the file (data/x/door.dff: data/x/textures/).
void SetTexturePath(const char* filePath, const char* textureFolder);
// The name's own folder ("data/textures/crosshair": data/textures/), or
// "textures/" for a name without one.
void SetTexturePathFromName(const char* name);
// The texture of the name's file part, looked up in the name's folder; with
// the mask, its mask image is the file part followed by "_mask". Null when
// missing.
RwTexture* ReadTexture(const char* name, bool withMask);
// The dictionary of the file (a mounted pack file serves it); null when the
// file does not open or holds none.
RwTexDictionary* LoadTextureDictionary(const char* path);
// Traces the current dictionary's textures, then writes it to the path. It
// is written to memory first, so a failed write leaves the file untouched;
// false, traced, when nothing was written.
bool SaveTextureDictionary(const char* path);
