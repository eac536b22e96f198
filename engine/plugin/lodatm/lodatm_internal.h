// LOD internals shared by the plugin's files and its tests: the record an
// atomic with levels carries.
#pragma once

#include "engine/plugin/lodatm/rplodatm.h"
#include "engine/world/atomic.h"

struct RpLODAtomicRecord {
  RwUInt32 hooked;                        // 1 while the level choice is the atomic's render callback
  RpAtomicCallBackRender previousRender;  // run after the level is chosen
  RpLODAtomicLODCallBack lodCallBack;
  RwReal farRange;                          // -1 until set
  RwReal levelScale;                        // 10 / far range; -1 until set
  RwInt32 currentLOD;                       // the level last rendered; -1 before the first
  RpGeometry* geometry[rpLODATOMICMAXLOD];  // each holds a reference; null: empty
};

// The atomic's record, or null.
RpLODAtomicRecord* _rpLODAtomicGetRecord(const RpAtomic* atomic);
// The camera RpLODAtomicSetCamera stored.
RwCamera* _rpLODAtomicGetCamera(void);
// The level from the distance to the current camera along its viewing
// direction: 0 behind it or at it, 9 at the far range and beyond; -1 for an
// atomic without levels, or without a current camera or a frame.
RwInt32 _rpLODAtomicDefaultLODCallBack(RpAtomic* atomic);
// The render callback the plugin installs.
RpAtomic* _rpLODAtomicRender(RpAtomic* atomic);
// Gives the atomic a fresh record in place of any it has (unhooked and
// released first); null when none can be had.
RpLODAtomicRecord* _rpLODAtomicTakeRecord(RpAtomic* atomic);

// Stream callbacks of the atomic extension (sub-chunk 0x112).
struct RwStream;
RwStream* _rpLODAtomicStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 size);
RwStream* _rpLODAtomicStreamWrite(RwStream* stream, RwInt32 length, const void* object, RwInt32 offset, RwInt32 size);
RwInt32 _rpLODAtomicStreamGetSize(const void* object, RwInt32 offset, RwInt32 size);
