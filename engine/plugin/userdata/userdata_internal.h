// User-data internals shared by the plugin's files and its tests: the
// extension on each object type and the stream callbacks on it.
#pragma once

#include "engine/plugin/userdata/rpuserdata.h"

struct RwStream;

// The object types that carry the extension, in registration order.
enum RpUserDataObjectType : RwInt32 {
  rpUSERDATAGEOMETRY,
  rpUSERDATAWORLDSECTOR,
  rpUSERDATAFRAME,
  rpUSERDATACAMERA,
  rpUSERDATALIGHT,
  rpUSERDATAMATERIAL,
  rpUSERDATATEXTURE,
  rpUSERDATAOBJECTTYPES
};

// The extension: both 0 when the object has no user data.
struct RpUserDataList {
  RwInt32 numArrays;
  RpUserDataArray* arrays;
};

// The object's extension; null while the plugin is not attached to the type.
RpUserDataList* _rpUserDataList(RwInt32 objectType, const void* object);
// RpUserDataGeometryAddArray for an object of any of the types.
RwInt32 _rpUserDataAddArray(RwInt32 objectType, void* object, const RwChar* name, RwInt32 format, RwInt32 count);
// Frees every array of the list and empties it.
void _rpUserDataListEmpty(RpUserDataList* list);

// Stream callbacks of the extension (sub-chunk 0x11F).
RwStream* _rpUserDataStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 size);
RwStream* _rpUserDataStreamWrite(RwStream* stream, RwInt32 length, const void* object, RwInt32 offset, RwInt32 size);
RwInt32 _rpUserDataStreamGetSize(const void* object, RwInt32 offset, RwInt32 size);
