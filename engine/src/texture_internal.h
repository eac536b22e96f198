// Texture module internals shared with the texture streams.
#pragma once

#include "engine/src/texture.h"

RwTextureGlobals* _rwTextureGlobals(void);
const RwPluginRegistry* _rwTextureRegistry(void);
const RwPluginRegistry* _rwTexDictionaryRegistry(void);
// Copies name into a buffer of size bytes, cutting it (with
// kRwErrTextureNameTooLong) when it does not fit.
void _rwTextureCopyName(RwChar* buffer, const RwChar* name, RwInt32 size);
