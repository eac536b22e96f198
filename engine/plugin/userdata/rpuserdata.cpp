// The user-data plugin: the extension on each object type (constructed
// empty, freed deeply, copied deeply), the accessors and the creation
// functions that modelling tools and tests use.
#include "engine/plugin/userdata/rpuserdata.h"

#include <cstring>

#include "engine/plugin/userdata/userdata_internal.h"
#include "engine/src/camera.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/texture.h"
#include "engine/src/texture_stream.h"
#include "engine/world/geometry.h"
#include "engine/world/light.h"
#include "engine/world/material.h"
#include "engine/world/world.h"

namespace {

RwInt32 sOffsets[rpUSERDATAOBJECTTYPES] = {-1, -1, -1, -1, -1, -1, -1};

// How one object type registers an extension and its stream.
struct ObjectRegistration {
  RwInt32 objectType;
  RwInt32 (*registerPlugin)(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                            RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
  RwInt32 (*registerStream)(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                            RwPluginDataChunkWriteCallBack writeCB, RwPluginDataChunkGetSizeCallBack getSizeCB);
};

const ObjectRegistration kRegistrations[] = {
    {rpUSERDATAGEOMETRY, RpGeometryRegisterPlugin, RpGeometryRegisterPluginStream},
    {rpUSERDATAWORLDSECTOR, RpWorldSectorRegisterPlugin, RpWorldSectorRegisterPluginStream},
    {rpUSERDATAFRAME, RwFrameRegisterPlugin, RwFrameRegisterPluginStream},
    {rpUSERDATACAMERA, RwCameraRegisterPlugin, RwCameraRegisterPluginStream},
    {rpUSERDATALIGHT, RpLightRegisterPlugin, RpLightRegisterPluginStream},
    {rpUSERDATAMATERIAL, RpMaterialRegisterPlugin, RpMaterialRegisterPluginStream},
    {rpUSERDATATEXTURE, RwTextureRegisterPlugin, RwTextureRegisterPluginStream},
};

RwChar* CopyText(const RwChar* text) {
  if (text == nullptr) {
    return nullptr;
  }
  const size_t length = std::strlen(text) + 1;
  auto* copy = static_cast<RwChar*>(RwMalloc(length));
  if (copy == nullptr) {
    RwErrorRaise(kRpUserDataPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  std::memcpy(copy, text, length);
  return copy;
}

void ArrayFree(RpUserDataArray* array) {
  RwFree(array->name);
  if (array->format == rpSTRINGUSERDATA && array->data != nullptr) {
    auto** strings = static_cast<RwChar**>(array->data);
    for (RwInt32 i = 0; i < array->numElements; ++i) {
      RwFree(strings[i]);
    }
  }
  RwFree(array->data);
  *array = RpUserDataArray{};
}

// Every element block holds one 4-byte value or one string pointer an element.
size_t ElementSize(RwInt32 format) { return format == rpSTRINGUSERDATA ? sizeof(RwChar*) : sizeof(RwInt32); }

// Fills the empty destination with copies of source's name and elements.
RwBool ArrayCopy(RpUserDataArray* destination, const RpUserDataArray* source) {
  destination->format = source->format;
  destination->numElements = source->numElements;
  if (source->name != nullptr && (destination->name = CopyText(source->name)) == nullptr) {
    return FALSE;
  }
  if (source->data == nullptr || source->numElements == 0) {
    return TRUE;
  }
  const size_t bytes = ElementSize(source->format) * static_cast<size_t>(source->numElements);
  destination->data = RwCalloc(1, bytes);
  if (destination->data == nullptr) {
    RwErrorRaise(kRpUserDataPluginId, kRwErrOutOfMemory);
    return FALSE;
  }
  if (source->format != rpSTRINGUSERDATA) {
    std::memcpy(destination->data, source->data, bytes);
    return TRUE;
  }
  auto* const* from = static_cast<RwChar* const*>(source->data);
  auto** to = static_cast<RwChar**>(destination->data);
  for (RwInt32 i = 0; i < source->numElements; ++i) {
    if (from[i] != nullptr && (to[i] = CopyText(from[i])) == nullptr) {
      return FALSE;
    }
  }
  return TRUE;
}

void* UserDataConstruct(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RpUserDataList, object, offset) = RpUserDataList{};
  return object;
}

void* UserDataDestruct(void* object, RwInt32 offset, RwInt32) {
  _rpUserDataListEmpty(RwPluginDataGet(RpUserDataList, object, offset));
  return object;
}

void* UserDataCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  RpUserDataList* to = RwPluginDataGet(RpUserDataList, destination, offset);
  const RpUserDataList* from = RwPluginDataGetConst(RpUserDataList, source, offset);
  _rpUserDataListEmpty(to);
  if (from->numArrays <= 0) {
    return destination;
  }
  to->arrays = static_cast<RpUserDataArray*>(RwCalloc(static_cast<size_t>(from->numArrays), sizeof(RpUserDataArray)));
  if (to->arrays == nullptr) {
    RwErrorRaise(kRpUserDataPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  to->numArrays = from->numArrays;
  for (RwInt32 i = 0; i < from->numArrays; ++i) {
    if (!ArrayCopy(&to->arrays[i], &from->arrays[i])) {
      _rpUserDataListEmpty(to);
      return nullptr;
    }
  }
  return destination;
}

void* UserDataOpen(void* instance, RwInt32, RwInt32) { return instance; }

void* UserDataClose(void* instance, RwInt32, RwInt32) { return instance; }

// The element slot of an index, or null outside the elements or the format.
void* Element(const RpUserDataArray* array, RwInt32 index, RwInt32 format) {
  if (array == nullptr || array->format != format || array->data == nullptr || index < 0 ||
      index >= array->numElements) {
    return nullptr;
  }
  return static_cast<RwUInt8*>(array->data) + ElementSize(format) * static_cast<size_t>(index);
}

}  // namespace

RpUserDataList* _rpUserDataList(RwInt32 objectType, const void* object) {
  if (objectType < 0 || objectType >= rpUSERDATAOBJECTTYPES || sOffsets[objectType] < 0 || object == nullptr) {
    return nullptr;
  }
  return RwPluginDataGet(RpUserDataList, const_cast<void*>(object), sOffsets[objectType]);
}

void _rpUserDataListEmpty(RpUserDataList* list) {
  for (RwInt32 i = 0; i < list->numArrays; ++i) {
    ArrayFree(&list->arrays[i]);
  }
  RwFree(list->arrays);
  *list = RpUserDataList{};
}

RwBool RpUserDataPluginAttach(void) {
  if (RwEngineRegisterPlugin(0, kRpUserDataPluginId, UserDataOpen, UserDataClose) < 0) {
    return FALSE;
  }
  for (const ObjectRegistration& registration : kRegistrations) {
    const RwInt32 offset = registration.registerPlugin(sizeof(RpUserDataList), kRpUserDataPluginId, UserDataConstruct,
                                                       UserDataDestruct, UserDataCopy);
    if (offset < 0 || registration.registerStream(kRpUserDataPluginId, _rpUserDataStreamRead, _rpUserDataStreamWrite,
                                                  _rpUserDataStreamGetSize) < 0) {
      return FALSE;
    }
    sOffsets[registration.objectType] = offset;
  }
  return TRUE;
}

RwInt32 RpUserDataGeometryGetArrayCount(const RpGeometry* geometry) {
  const RpUserDataList* list = _rpUserDataList(rpUSERDATAGEOMETRY, geometry);
  RwInt32 count = 0;
  for (RwInt32 i = 0; list != nullptr && i < list->numArrays; ++i) {
    count += list->arrays[i].data != nullptr ? 1 : 0;
  }
  return count;
}

RpUserDataArray* RpUserDataGeometryGetArray(const RpGeometry* geometry, RwInt32 index) {
  const RpUserDataList* list = _rpUserDataList(rpUSERDATAGEOMETRY, geometry);
  if (list == nullptr || index < 0 || index >= list->numArrays) {
    return nullptr;
  }
  return &list->arrays[index];
}

RwInt32 RpUserDataGeometryAddArray(RpGeometry* geometry, const RwChar* name, RwInt32 format, RwInt32 count) {
  return _rpUserDataAddArray(rpUSERDATAGEOMETRY, geometry, name, format, count);
}

RwInt32 _rpUserDataAddArray(RwInt32 objectType, void* object, const RwChar* name, RwInt32 format, RwInt32 count) {
  RpUserDataList* list = _rpUserDataList(objectType, object);
  if (list == nullptr || format < rpINTUSERDATA || format > rpSTRINGUSERDATA || count < 0) {
    RwErrorRaise(kRpUserDataPluginId, kRwErrInvalidValue);
    return -1;
  }
  RpUserDataArray array = {nullptr, format, count, nullptr};
  if ((name != nullptr && (array.name = CopyText(name)) == nullptr) ||
      (count > 0 && (array.data = RwCalloc(static_cast<size_t>(count), ElementSize(format))) == nullptr)) {
    RwErrorRaise(kRpUserDataPluginId, kRwErrOutOfMemory);
    ArrayFree(&array);
    return -1;
  }
  auto* grown = static_cast<RpUserDataArray*>(
      RwRealloc(list->arrays, sizeof(RpUserDataArray) * (static_cast<size_t>(list->numArrays) + 1)));
  if (grown == nullptr) {
    RwErrorRaise(kRpUserDataPluginId, kRwErrOutOfMemory);
    ArrayFree(&array);
    return -1;
  }
  list->arrays = grown;
  list->arrays[list->numArrays] = array;
  return list->numArrays++;
}

const RwChar* RpUserDataArrayGetName(const RpUserDataArray* array) { return array != nullptr ? array->name : nullptr; }

RwInt32 RpUserDataArrayGetFormat(const RpUserDataArray* array) {
  return array != nullptr ? array->format : rpNAUSERDATAFORMAT;
}

RwInt32 RpUserDataArrayGetNumElements(const RpUserDataArray* array) {
  return array != nullptr ? array->numElements : 0;
}

RwInt32 RpUserDataArrayGetInt(const RpUserDataArray* array, RwInt32 index) {
  const void* element = Element(array, index, rpINTUSERDATA);
  return element != nullptr ? *static_cast<const RwInt32*>(element) : 0;
}

RwReal RpUserDataArrayGetFloat(const RpUserDataArray* array, RwInt32 index) {
  const void* element = Element(array, index, rpREALUSERDATA);
  return element != nullptr ? *static_cast<const RwReal*>(element) : 0.0f;
}

const RwChar* RpUserDataArrayGetString(const RpUserDataArray* array, RwInt32 index) {
  const void* element = Element(array, index, rpSTRINGUSERDATA);
  return element != nullptr ? *static_cast<RwChar* const*>(element) : nullptr;
}

RpUserDataArray* RpUserDataArraySetInt(RpUserDataArray* array, RwInt32 index, RwInt32 value) {
  void* element = Element(array, index, rpINTUSERDATA);
  if (element == nullptr) {
    return nullptr;
  }
  *static_cast<RwInt32*>(element) = value;
  return array;
}

RpUserDataArray* RpUserDataArraySetFloat(RpUserDataArray* array, RwInt32 index, RwReal value) {
  void* element = Element(array, index, rpREALUSERDATA);
  if (element == nullptr) {
    return nullptr;
  }
  *static_cast<RwReal*>(element) = value;
  return array;
}

RpUserDataArray* RpUserDataArraySetString(RpUserDataArray* array, RwInt32 index, const RwChar* text) {
  void* element = Element(array, index, rpSTRINGUSERDATA);
  if (element == nullptr) {
    return nullptr;
  }
  RwChar* copy = CopyText(text);
  if (text != nullptr && copy == nullptr) {
    return nullptr;
  }
  auto** slot = static_cast<RwChar**>(element);
  RwFree(*slot);
  *slot = copy;
  return array;
}
