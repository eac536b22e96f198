// The morph plugin: a chain of interpolation records on a geometry, each
// naming a start and an end morph target and a duration and linking to the
// next, stored with the geometry, and a slot on each atomic for the record
// it is playing. The default interpolation callback moves an atomic on to
// the next record once its position has run past the current one.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RpAtomic;

constexpr RwUInt32 kRpMorphPluginId = 0x105;

// One step of a chain: blend start into end over time.
struct RpMorphInterpolator {
  RwInt32 flags;  // kept and streamed, not interpreted
  RwInt16 startMorphTarget;
  RwInt16 endMorphTarget;
  RwReal time;                // duration
  RwReal recipTime;           // 1 / time, 0 for a duration of 0
  RpMorphInterpolator* next;  // a record of the same array
};

// (atomic, position within its current record) -> the position left over.
typedef RwReal (*RpMorphGeometryCallBack)(RpAtomic* atomic, RwReal position);

// Registers the engine plugin and the geometry and atomic extensions with
// the geometry's stream; between RwEngineInit and RwEngineOpen.
RwBool RpMorphPluginAttach(void);
// The position minus the current record's duration (0 when negative); the
// atomic moves on to the record's next. Without a current record, 0.
RwReal RpMorphDefaultInterpolationCallBack(RpAtomic* atomic, RwReal position);
