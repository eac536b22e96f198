// Texture and texture dictionary chunks: a texture chunk holds the filtering
// and addressing word, the name and the mask name; a dictionary chunk holds
// a count and one native texture chunk per texture, whose body the driver
// writes and reads through its standard functions.
#include "engine/src/texture_stream.h"

#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/texture_internal.h"

namespace {

constexpr RwUInt32 kStructWordBytes = 4;
constexpr RwUInt32 kStringPieceBytes = 64;       // 8-bit strings are read in pieces of this size
constexpr RwUInt32 kWideStringPieceBytes = 128;  // 16-bit strings likewise
constexpr RwUInt32 kFilterAddressingBits = 0xFFFF;

void RaiseCore(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, code); }

// (strlen + 4) rounded down to a multiple of 4: the string, its NUL and padding.
RwUInt32 PaddedLength(const RwChar* text) {
  return static_cast<RwUInt32>((std::strlen(text) + 4) & ~static_cast<size_t>(3));
}

RwBool CallDriver(RwStandardFunctionSlot slot, void* target, void* object, RwInt32 number) {
  return RwEngineInstance->standardFunctions[slot](target, object, number);
}

RwBool WriteHeader(RwStream* stream, RwUInt32 type, RwUInt32 length) {
  return RwStreamWriteVersionedChunkHeader(stream, type, length, kRwLibraryVersion, kRwLibraryBuild) != nullptr;
}

// A string chunk of a name field: the characters, then zeros up to pad(s),
// whatever the field held behind its terminator.
RwBool WriteNameChunk(RwStream* stream, const RwChar* field) {
  RwChar padded[kRwTextureNameLength + 4] = {};
  const size_t length = strnlen(field, kRwTextureNameLength - 1);
  std::memcpy(padded, field, length);
  const RwUInt32 bytes = PaddedLength(padded);
  return WriteHeader(stream, kRwChunkString, bytes) && RwStreamWrite(stream, padded, bytes) != nullptr;
}

// Reads a struct chunk holding a 4-byte word; a longer struct is skipped
// past its word. False on a bad version, a short body or a short read.
RwBool ReadStructWord(RwStream* stream, RwUInt32* word) {
  RwUInt32 length = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, nullptr)) {
    return FALSE;
  }
  if (length < kStructWordBytes) {
    RaiseCore(kRwErrRead);
    return FALSE;
  }
  RwUInt8 bytes[kStructWordBytes];
  if (!RwStreamReadExact(stream, bytes, kStructWordBytes)) {
    return FALSE;
  }
  if (length > kStructWordBytes && RwStreamSkip(stream, length - kStructWordBytes) == nullptr) {
    return FALSE;
  }
  *word = RwReadLittleEndianUInt32(bytes);
  return TRUE;
}

// Reads a string body into a buffer of kRwTextureStreamNameBytes, keeping
// every byte (8-bit) or the first of every pair (16-bit). What does not fit
// is read and dropped; the result is always terminated.
RwBool ReadStringBody(RwStream* stream, RwUInt32 length, RwBool wide, RwChar* buffer) {
  const RwUInt32 pieceBytes = wide ? kWideStringPieceBytes : kStringPieceBytes;
  const RwUInt32 step = wide ? 2 : 1;
  RwUInt8 piece[kWideStringPieceBytes];
  RwUInt32 kept = 0;
  while (length > 0) {
    RwUInt32 bytes = length < pieceBytes ? length : pieceBytes;
    if (!RwStreamReadExact(stream, piece, bytes)) {
      return FALSE;
    }
    for (RwUInt32 i = 0; i < bytes; i += step) {
      if (kept < static_cast<RwUInt32>(kRwTextureStreamNameBytes) - 1) {
        buffer[kept++] = static_cast<RwChar>(piece[i]);
      }
    }
    length -= bytes;
  }
  buffer[kept] = '\0';
  return TRUE;
}

// The next 8- or 16-bit string chunk, skipping chunks of other types.
RwBool ReadNameString(RwStream* stream, RwChar* buffer) {
  for (;;) {
    RwUInt32 type = 0;
    RwUInt32 length = 0;
    RwUInt32 version = 0;
    if (!RwStreamReadChunkHeader(stream, &type, &length, &version, nullptr)) {
      return FALSE;
    }
    if (!RwChunkVersionSupported(version)) {
      RaiseCore(kRwErrBadChunkVersion);
      return FALSE;
    }
    if (type == kRwChunkString || type == kRwChunkWideString) {
      return ReadStringBody(stream, length, type == kRwChunkWideString, buffer);
    }
    if (RwStreamSkip(stream, length) == nullptr) {
      return FALSE;
    }
  }
}

RwBool IsMipFilter(RwUInt32 filter) { return filter >= kRwTextureFirstMipFilter && filter <= kRwTextureLastMipFilter; }

// Holds the texture module's mip-mapping switches while a texture chunk is
// read and restores them on every exit.
class MipmapSwitches {
 public:
  MipmapSwitches() : mipmapping_(RwTextureGetMipmapping()), automatic_(RwTextureGetAutoMipmapping()) {}
  ~MipmapSwitches() {
    RwTextureSetMipmapping(mipmapping_);
    RwTextureSetAutoMipmapping(automatic_);
  }
  MipmapSwitches(const MipmapSwitches&) = delete;
  MipmapSwitches& operator=(const MipmapSwitches&) = delete;

 private:
  RwBool mipmapping_;
  RwBool automatic_;
};

struct TextureSize {
  const RwTexture* texture;
  RwUInt32 nativeSize;
};

RwInt32 NativeSize(const RwTexture* texture, RwBool* ok) {
  RwInt32 size = 0;
  *ok = CallDriver(kRwStdNativeTextureGetSize, &size, const_cast<RwTexture*>(texture), 0) && size > 0;
  return size;
}

// Textures of a dictionary in list order.
template <typename Visit>
RwBool ForEachTexture(const RwTexDictionary* dictionary, Visit visit) {
  RwLinkList* list = const_cast<RwLinkList*>(&dictionary->texturesInDict);
  RwLLLink* end = rwLinkListGetTerminator(list);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(list); link != end; link = link->next) {
    if (!visit(rwLLLinkGetData(link, RwTexture, lInDictionary))) {
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

RwUInt32 RwTextureStreamGetSize(const RwTexture* texture) {
  RwChar name[kRwTextureNameLength] = {};
  RwChar mask[kRwTextureNameLength] = {};
  std::memcpy(name, texture->name, strnlen(texture->name, kRwTextureNameLength - 1));
  std::memcpy(mask, texture->mask, strnlen(texture->mask, kRwTextureNameLength - 1));
  return PaddedLength(name) + PaddedLength(mask) + kStructWordBytes + 4 * kRwChunkHeaderSize +
         static_cast<RwUInt32>(RwPluginRegistryGetSize(_rwTextureRegistry(), texture));
}

const RwTexture* RwTextureStreamWrite(const RwTexture* texture, RwStream* stream) {
  RwUInt32 word = texture->filterAddressing & kFilterAddressingBits;
  if (texture->raster != nullptr &&
      ((static_cast<RwUInt32>(texture->raster->format) << 8) & rwRASTERFORMATAUTOMIPMAP) == 0) {
    word |= kRwTextureStreamNoAutoMipmap;
  }
  RwUInt8 wordBytes[kStructWordBytes];
  RwWriteLittleEndianUInt32(wordBytes, word);
  if (!WriteHeader(stream, kRwChunkTexture, RwTextureStreamGetSize(texture)) ||
      !WriteHeader(stream, kRwChunkStruct, kStructWordBytes) ||
      RwStreamWrite(stream, wordBytes, kStructWordBytes) == nullptr || !WriteNameChunk(stream, texture->name) ||
      !WriteNameChunk(stream, texture->mask) ||
      RwPluginRegistryWriteDataChunks(_rwTextureRegistry(), stream, texture) == nullptr) {
    return nullptr;
  }
  return texture;
}

RwTexture* RwTextureStreamRead(RwStream* stream) {
  RwUInt32 word = 0;
  if (!ReadStructWord(stream, &word)) {
    return nullptr;
  }
  if (((word >> kRwTextureAddressVShift) & kRwTextureAddressMask) == 0) {
    word |= ((word >> kRwTextureAddressUShift) & kRwTextureAddressMask) << kRwTextureAddressVShift;
  }
  MipmapSwitches saved;
  const RwBool mipmapped = IsMipFilter(word & kRwTextureFilterMask);
  RwTextureSetMipmapping(mipmapped);
  RwTextureSetAutoMipmapping(mipmapped && (word & kRwTextureStreamNoAutoMipmap) == 0);

  RwChar name[kRwTextureStreamNameBytes];
  RwChar mask[kRwTextureStreamNameBytes];
  if (!ReadNameString(stream, name) || !ReadNameString(stream, mask)) {
    return nullptr;
  }
  RwTexture* texture = RwTextureRead(name, mask);
  if (texture == nullptr) {
    RwPluginRegistrySkipDataChunks(_rwTextureRegistry(), stream);
    return nullptr;
  }
  if (texture->refCount == 1) {
    texture->filterAddressing = word & kFilterAddressingBits;
  }
  if (RwPluginRegistryReadDataChunks(_rwTextureRegistry(), stream, texture) == nullptr) {
    // The caller gets no texture, so it cannot release the reference the read gave it.
    RwTextureDestroy(texture);
    return nullptr;
  }
  return texture;
}

RwUInt32 RwTexDictionaryStreamGetSize(const RwTexDictionary* dictionary) {
  RwUInt32 size = kRwChunkHeaderSize + kStructWordBytes;
  const RwBool sized = ForEachTexture(dictionary, [&size](const RwTexture* texture) {
    RwBool ok = FALSE;
    const RwInt32 native = NativeSize(texture, &ok);
    size += 2 * kRwChunkHeaderSize + static_cast<RwUInt32>(native) +
            static_cast<RwUInt32>(RwPluginRegistryGetSize(_rwTextureRegistry(), texture));
    return ok;
  });
  if (!sized) {
    return 0;
  }
  return size + kRwChunkHeaderSize +
         static_cast<RwUInt32>(RwPluginRegistryGetSize(_rwTexDictionaryRegistry(), dictionary));
}

const RwTexDictionary* RwTexDictionaryStreamWrite(const RwTexDictionary* dictionary, RwStream* stream) {
  const RwUInt32 size = RwTexDictionaryStreamGetSize(dictionary);
  if (size == 0) {
    return nullptr;
  }
  RwUInt32 count = 0;
  ForEachTexture(dictionary, [&count](const RwTexture*) {
    ++count;
    return TRUE;
  });
  RwUInt8 countBytes[kStructWordBytes];
  RwWriteLittleEndianUInt32(countBytes, count);
  if (!WriteHeader(stream, kRwChunkTexDictionary, size) || !WriteHeader(stream, kRwChunkStruct, kStructWordBytes) ||
      RwStreamWrite(stream, countBytes, kStructWordBytes) == nullptr) {
    return nullptr;
  }
  const RwBool written = ForEachTexture(dictionary, [stream](const RwTexture* texture) {
    RwBool ok = FALSE;
    const RwInt32 native = NativeSize(texture, &ok);
    const RwUInt32 length = static_cast<RwUInt32>(native) + kRwChunkHeaderSize +
                            static_cast<RwUInt32>(RwPluginRegistryGetSize(_rwTextureRegistry(), texture));
    return ok && WriteHeader(stream, kRwChunkNativeTexture, length) &&
           CallDriver(kRwStdNativeTextureWrite, stream, const_cast<RwTexture*>(texture), native) &&
           RwPluginRegistryWriteDataChunks(_rwTextureRegistry(), stream, texture) != nullptr;
  });
  if (!written || RwPluginRegistryWriteDataChunks(_rwTexDictionaryRegistry(), stream, dictionary) == nullptr) {
    return nullptr;
  }
  return dictionary;
}

RwTexDictionary* RwTexDictionaryStreamRead(RwStream* stream) {
  RwUInt32 count = 0;
  if (!ReadStructWord(stream, &count)) {
    return nullptr;
  }
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  if (dictionary == nullptr) {
    return nullptr;
  }
  RwBool ok = TRUE;
  for (RwUInt32 i = 0; i < count && ok; ++i) {
    RwUInt32 length = 0;
    RwTexture* texture = nullptr;
    ok = RwStreamFindChunk(stream, kRwChunkNativeTexture, &length, nullptr) &&
         CallDriver(kRwStdNativeTextureRead, stream, &texture, static_cast<RwInt32>(length)) && texture != nullptr;
    if (ok && RwPluginRegistryReadDataChunks(_rwTextureRegistry(), stream, texture) == nullptr) {
      ok = FALSE;
    }
    if (texture != nullptr) {
      // Listed even when its extension failed, so the clean-up below takes it too.
      RwTexDictionaryAddTexture(dictionary, texture);
    }
  }
  if (ok && RwPluginRegistryReadDataChunks(_rwTexDictionaryRegistry(), stream, dictionary) == nullptr) {
    ok = FALSE;
  }
  if (!ok) {
    RwTexDictionaryDestroy(dictionary);
    return nullptr;
  }
  return dictionary;
}

RwInt32 RwTextureRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                      RwPluginDataChunkWriteCallBack writeCB,
                                      RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(const_cast<RwPluginRegistry*>(_rwTextureRegistry()), pluginID, readCB, writeCB,
                                         getSizeCB);
}

RwInt32 RwTexDictionaryRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                            RwPluginDataChunkWriteCallBack writeCB,
                                            RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(const_cast<RwPluginRegistry*>(_rwTexDictionaryRegistry()), pluginID, readCB,
                                         writeCB, getSizeCB);
}

RwChar* RwStreamReadWideString(RwChar* buffer, RwStream* stream, RwUInt32 byteLength) {
  RwChar* target = buffer;
  if (target == nullptr) {
    target = static_cast<RwChar*>(RwMalloc(byteLength > 0 ? byteLength : 1));
    if (target == nullptr) {
      RaiseCore(kRwErrOutOfMemory);
      return nullptr;
    }
  }
  RwUInt8 piece[kWideStringPieceBytes];
  RwUInt32 kept = 0;
  RwUInt32 remaining = byteLength;
  while (remaining > 0) {
    const RwUInt32 bytes = remaining < kWideStringPieceBytes ? remaining : kWideStringPieceBytes;
    if (!RwStreamReadExact(stream, piece, bytes)) {
      if (buffer == nullptr) {
        RwFree(target);
      }
      return nullptr;
    }
    // Pieces are even-sized, so pairs never straddle two of them; a lone
    // last byte is no character.
    for (RwUInt32 i = 0; i + 1 < bytes; i += 2) {
      target[kept++] = static_cast<RwChar>(piece[i]);
    }
    remaining -= bytes;
  }
  // A character for every two bytes leaves room for the terminator.
  target[kept] = '\0';
  return target;
}
