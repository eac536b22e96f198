// Texture chunks (a texture stored by name, looked up or read from image
// files when read) and texture dictionary chunks (".txd" files: every texture
// stored whole as the driver's native texture chunk).
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/texture.h"

constexpr RwUInt32 kRwChunkTexture = 6;
constexpr RwUInt32 kRwChunkWideString = 0x13;
constexpr RwUInt32 kRwChunkNativeTexture = 0x15;
constexpr RwUInt32 kRwChunkTexDictionary = 0x16;

// Bit of the texture chunk's struct word: the raster is mip-mapped without
// automatic generation, so its levels come from files of their own.
constexpr RwUInt32 kRwTextureStreamNoAutoMipmap = 0x10000;
// Bytes of the name buffers of the texture chunk reader, NUL included.
constexpr RwInt32 kRwTextureStreamNameBytes = 128;

// Length of the texture chunk's body (without its own header).
RwUInt32 RwTextureStreamGetSize(const RwTexture* texture);
const RwTexture* RwTextureStreamWrite(const RwTexture* texture, RwStream* stream);
// The stream is positioned after the texture chunk's header. A texture that
// cannot be found or read gives null with the stream after the chunk.
RwTexture* RwTextureStreamRead(RwStream* stream);

// Length of the dictionary chunk's body, or 0 when the driver cannot size a texture.
RwUInt32 RwTexDictionaryStreamGetSize(const RwTexDictionary* dictionary);
const RwTexDictionary* RwTexDictionaryStreamWrite(const RwTexDictionary* dictionary, RwStream* stream);
// The stream is positioned after the dictionary chunk's header. The new
// dictionary is not made current; a failed read leaves nothing behind.
RwTexDictionary* RwTexDictionaryStreamRead(RwStream* stream);

RwInt32 RwTextureRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                      RwPluginDataChunkWriteCallBack writeCB,
                                      RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RwTexDictionaryRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                            RwPluginDataChunkWriteCallBack writeCB,
                                            RwPluginDataChunkGetSizeCallBack getSizeCB);

// Reads a 16-bit string chunk body of byteLength bytes as 8-bit characters
// (the low byte of every pair), terminated. A given buffer holds byteLength
// bytes (at least one); without one, one of byteLength bytes (at least one)
// is allocated with the engine's malloc and the caller frees it. Null on a
// short read.
RwChar* RwStreamReadWideString(RwChar* buffer, RwStream* stream, RwUInt32 byteLength);
