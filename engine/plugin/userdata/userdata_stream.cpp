// The user-data sub-chunk (0x11F): an array count, then per array a
// length-prefixed name, the format, the element count and the elements;
// strings are length-prefixed too, length 0 standing for a null string.
// Counts and lengths are checked against the sub-chunk before anything is
// allocated by them, and every name and string read is terminated.
#include <cstring>

#include "engine/plugin/userdata/userdata_internal.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"

namespace {

constexpr RwUInt32 kWordSize = 4;
// Name length, format and element count.
constexpr RwUInt32 kArrayMinimumSize = 3 * kWordSize;

RwBool OutOfMemory() {
  RwErrorRaise(kRpUserDataPluginId, kRwErrOutOfMemory);
  return FALSE;
}

RwBool Corrupt() {
  RwErrorRaise(kRwPluginIdCore, kRwErrRead);
  return FALSE;
}

// Length as stored: the characters and the terminator, 0 for no text.
RwUInt32 TextSize(const RwChar* text) { return text != nullptr ? static_cast<RwUInt32>(std::strlen(text)) + 1 : 0; }

RwBool ReadElements(RwChunkBodyReader* reader, RpUserDataArray* array) {
  const RwUInt32 count = static_cast<RwUInt32>(array->numElements);
  // Every element takes four bytes of the stream at least.
  if (!RwChunkBodyReaderHas(reader, count, kWordSize)) {
    return Corrupt();
  }
  if (count == 0) {
    return TRUE;
  }
  const size_t elementSize = array->format == rpSTRINGUSERDATA ? sizeof(RwChar*) : sizeof(RwInt32);
  array->data = RwMalloc(count * elementSize);
  if (array->data == nullptr) {
    return OutOfMemory();
  }
  std::memset(array->data, 0, count * elementSize);  // null strings until read
  switch (array->format) {
    case rpINTUSERDATA:
      return RwChunkBodyReadInt32(reader, static_cast<RwInt32*>(array->data), count);
    case rpREALUSERDATA:
      return RwChunkBodyReadReal(reader, static_cast<RwReal*>(array->data), count);
    default:
      for (RwUInt32 i = 0; i < count; ++i) {
        if (!RwChunkBodyReadText(reader, &static_cast<RwChar**>(array->data)[i], kRpUserDataPluginId)) {
          return FALSE;
        }
      }
      return TRUE;
  }
}

RwBool ReadArray(RwChunkBodyReader* reader, RpUserDataArray* array) {
  RwInt32 words[2] = {0, 0};
  if (!RwChunkBodyReadText(reader, &array->name, kRpUserDataPluginId) || !RwChunkBodyReadInt32(reader, words, 2)) {
    return FALSE;
  }
  if (words[0] < rpINTUSERDATA || words[0] > rpSTRINGUSERDATA || words[1] < 0) {
    return Corrupt();
  }
  array->format = words[0];
  array->numElements = words[1];
  return ReadElements(reader, array);
}

RwBool ReadList(RwChunkBodyReader* reader, RpUserDataList* list) {
  RwInt32 count = 0;
  if (!RwChunkBodyReadInt32(reader, &count, 1)) {
    return FALSE;
  }
  if (count < 0 || !RwChunkBodyReaderHas(reader, static_cast<RwUInt32>(count), kArrayMinimumSize)) {
    return Corrupt();
  }
  if (count == 0) {
    return TRUE;
  }
  list->arrays = static_cast<RpUserDataArray*>(RwMalloc(sizeof(RpUserDataArray) * static_cast<size_t>(count)));
  if (list->arrays == nullptr) {
    return OutOfMemory();
  }
  std::memset(list->arrays, 0, sizeof(RpUserDataArray) * static_cast<size_t>(count));
  list->numArrays = count;
  for (RwInt32 i = 0; i < count; ++i) {
    if (!ReadArray(reader, &list->arrays[i])) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool WriteWord(RwStream* stream, RwInt32 value) { return RwStreamWriteInt32(stream, &value, kWordSize) != nullptr; }

RwBool WriteText(RwStream* stream, const RwChar* text) {
  const RwUInt32 length = TextSize(text);
  return WriteWord(stream, static_cast<RwInt32>(length)) && (length == 0 || RwStreamWrite(stream, text, length));
}

RwBool WriteArray(RwStream* stream, const RpUserDataArray& array) {
  // An array without an element block is written with no elements.
  const RwInt32 count = array.data != nullptr ? array.numElements : 0;
  if (!WriteText(stream, array.name) || !WriteWord(stream, array.format) || !WriteWord(stream, count)) {
    return FALSE;
  }
  const RwUInt32 bytes = kWordSize * static_cast<RwUInt32>(count);
  switch (array.format) {
    case rpINTUSERDATA:
      return count == 0 || RwStreamWriteInt32(stream, static_cast<const RwInt32*>(array.data), bytes) != nullptr;
    case rpREALUSERDATA:
      return count == 0 || RwStreamWriteReal(stream, static_cast<const RwReal*>(array.data), bytes) != nullptr;
    default:
      for (RwInt32 i = 0; i < count; ++i) {
        if (!WriteText(stream, static_cast<RwChar* const*>(array.data)[i])) {
          return FALSE;
        }
      }
      return TRUE;
  }
}

RwUInt32 ArraySize(const RpUserDataArray& array) {
  const RwInt32 count = array.data != nullptr ? array.numElements : 0;
  RwUInt32 size = kArrayMinimumSize + TextSize(array.name);
  if (array.format != rpSTRINGUSERDATA) {
    return size + kWordSize * static_cast<RwUInt32>(count);
  }
  for (RwInt32 i = 0; i < count; ++i) {
    size += kWordSize + TextSize(static_cast<RwChar* const*>(array.data)[i]);
  }
  return size;
}

}  // namespace

RwStream* _rpUserDataStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32) {
  RwChunkBodyReader reader = RwChunkBodyReaderOpen(stream, static_cast<RwUInt32>(length));
  RpUserDataList read = {0, nullptr};
  if (!ReadList(&reader, &read)) {
    _rpUserDataListEmpty(&read);
    return nullptr;
  }
  // A second user-data sub-chunk replaces the first.
  RpUserDataList* list = RwPluginDataGet(RpUserDataList, object, offset);
  _rpUserDataListEmpty(list);
  *list = read;
  return stream;
}

RwStream* _rpUserDataStreamWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  const RpUserDataList* list = RwPluginDataGetConst(RpUserDataList, object, offset);
  if (!WriteWord(stream, list->numArrays)) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < list->numArrays; ++i) {
    if (!WriteArray(stream, list->arrays[i])) {
      return nullptr;
    }
  }
  return stream;
}

RwInt32 _rpUserDataStreamGetSize(const void* object, RwInt32 offset, RwInt32) {
  const RpUserDataList* list = RwPluginDataGetConst(RpUserDataList, object, offset);
  if (list->numArrays <= 0) {
    return 0;
  }
  RwUInt32 size = kWordSize;
  for (RwInt32 i = 0; i < list->numArrays; ++i) {
    size += ArraySize(list->arrays[i]);
  }
  return static_cast<RwInt32>(size);
}
