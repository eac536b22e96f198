// The user-data plugin: named arrays of integers, reals or strings that
// modelling tools attach to geometries, world sectors, frames, cameras,
// lights, materials and textures. The arrays travel as a sub-chunk of each
// object's extension chunk; the game reads them through the accessors here.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RpGeometry;

constexpr RwUInt32 kRpUserDataPluginId = 0x11F;

enum RpUserDataFormat : RwInt32 {
  rpNAUSERDATAFORMAT = 0,
  rpINTUSERDATA = 1,
  rpREALUSERDATA = 2,
  rpSTRINGUSERDATA = 3,
};

struct RpUserDataArray {
  RwChar* name;    // owned, or null
  RwInt32 format;  // RpUserDataFormat
  RwInt32 numElements;
  // Owned: numElements RwInt32, RwReal or RwChar* (each string owned, null
  // for none) by the format; null when the array has no elements.
  void* data;
};

// Registers the engine plugin and the extension with its stream on each of
// the seven object types; between RwEngineInit and RwEngineOpen.
RwBool RpUserDataPluginAttach(void);

// The geometry's arrays that hold elements.
RwInt32 RpUserDataGeometryGetArrayCount(const RpGeometry* geometry);
// Any stored array, with or without elements; null for an index outside them.
RpUserDataArray* RpUserDataGeometryGetArray(const RpGeometry* geometry, RwInt32 index);
// Appends an array of count zeroed elements (null strings); its index, or -1.
RwInt32 RpUserDataGeometryAddArray(RpGeometry* geometry, const RwChar* name, RwInt32 format, RwInt32 count);

const RwChar* RpUserDataArrayGetName(const RpUserDataArray* array);
RwInt32 RpUserDataArrayGetFormat(const RpUserDataArray* array);
RwInt32 RpUserDataArrayGetNumElements(const RpUserDataArray* array);
// An element of the array's own format; 0, 0.0 or null for an index outside
// the elements or an array of another format.
RwInt32 RpUserDataArrayGetInt(const RpUserDataArray* array, RwInt32 index);
RwReal RpUserDataArrayGetFloat(const RpUserDataArray* array, RwInt32 index);
const RwChar* RpUserDataArrayGetString(const RpUserDataArray* array, RwInt32 index);
// Null for an index outside the elements or an array of another format.
RpUserDataArray* RpUserDataArraySetInt(RpUserDataArray* array, RwInt32 index, RwInt32 value);
RpUserDataArray* RpUserDataArraySetFloat(RpUserDataArray* array, RwInt32 index, RwReal value);
// Keeps a copy of the text (null: no string); null also when the copy fails.
RpUserDataArray* RpUserDataArraySetString(RpUserDataArray* array, RwInt32 index, const RwChar* text);
