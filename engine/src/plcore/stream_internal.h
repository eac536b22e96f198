// Stream internals that the engine's readers share: file streams' read-ahead
// block, and the conversions of 16-bit words and of index arrays stored as
// 32-bit words. Only the engine and its tests include this header.
#pragma once

#include "engine/src/plcore/stream.h"

// Converts 16-bit words between file (little-endian) and native order in
// place, as RwMemNative32 does for 32-bit words.
void* _rwMemNative16(void* memory, RwUInt32 bytes);
// Bytes a file stream holds past its position, when it knows its length.
RwBool _rwStreamFileBytesLeft(const RwStream* stream, RwUInt32* left);
// The next length bytes of a file stream whose read-ahead block holds the
// whole file, taken from it where they lie (they stay there until the
// stream closes); null, with nothing taken, for other streams or when the
// block holds fewer.
const RwUInt8* _rwStreamFileLendBytes(RwStream* stream, RwUInt32 length);
// Narrows count little-endian 32-bit words to 16 bits each (their low
// halves) into out; false when any word is at or above limit (out then
// holds what it holds). Index and map arrays are read through it.
RwBool _rwNarrowWords32(const RwUInt8* words, RwUInt16* out, RwUInt32 count, RwUInt32 limit);
