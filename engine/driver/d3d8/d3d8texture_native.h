// The Direct3D 8 driver's native texture format: the body of the native
// texture chunk in texture dictionaries, written straight from the Direct3D
// texture levels and read straight back (DXT levels stay compressed when the
// device holds the format, and are decoded and converted otherwise).
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/texture.h"

constexpr RwUInt32 kRwD3D8NativePlatformId = 8;
constexpr RwUInt32 kRwD3D8NativeFixedBytes = 88;  // the struct before the palette
constexpr RwUInt32 kRwD3D8NativePal4Bytes = 128;  // 32 entries of {red, green, blue, alpha}
constexpr RwUInt32 kRwD3D8NativePal8Bytes = 1024;
constexpr RwInt32 kRwD3D8NativeMaxCompression = 5;  // DXT1..DXT5
// The size a texture without a raster reports.
constexpr RwInt32 kRwD3D8NativeSizeWithoutRaster = 84;

// Standard functions 25 (size), 26 (read) and 27 (write).
RwBool RwD3D8NativeTextureGetSize(void* size, void* texture, RwInt32 unused);
RwBool RwD3D8NativeTextureRead(void* stream, void* texture, RwInt32 chunkLength);
RwBool RwD3D8NativeTextureWrite(void* stream, void* texture, RwInt32 nativeSize);
// Puts the three functions into a standard-function table of count slots.
void RwD3D8NativeTextureStandardFunctionsInstall(RwStandardFunc* table, RwInt32 count);

// Whether a texture whose stored format the device refuses is converted to
// one it holds (on) or fails to load (off). On by default.
RwBool RwD3D8NativeTextureSetConversion(RwBool enable);
RwBool RwD3D8NativeTextureGetConversion(void);
