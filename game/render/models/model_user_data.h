// Model user data: the keys a model's geometries carry and what they set on
// each atomic of a clump render object (bits of the atomic's flag byte,
// geometry flags, fields of the owning object).
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

// The atomic's flag byte: the engine's collision and render bits, then the
// game's own.
constexpr RwUInt8 kAtomicFlagCollision = rpATOMICCOLLISIONTEST;
constexpr RwUInt8 kAtomicFlagRender = rpATOMICRENDER;
constexpr RwUInt8 kAtomicFlagTwoSided = 0x08;  // drawn with culling off
constexpr RwUInt8 kAtomicFlagNoHear = 0x10;
constexpr u32 kAtomicPriorityShift = 5;  // priority 0..7 in the top three bits
constexpr u32 kAtomicPriorityMask = 7;

// The user-data keys of model geometries.
constexpr const char* kUserDataPriority = "priority.priority";
constexpr const char* kUserDataCollision = "collision.collision";
constexpr const char* kUserDataTwoSided = "twosided.twosided";
constexpr const char* kUserDataName = "name.name";
constexpr const char* kUserDataNoHear = "nohear.nohear";
constexpr const char* kUserDataNoLight = "nolight.nolight";
constexpr const char* kUserDataMirror = "mirror.mirror";
constexpr const char* kUserDataLod = "lod.lod";
constexpr const char* kUserDataVertexNumbers = "vtxnum.vtxnum";
// A "priority.priority" of -1 clears the render bit and keeps the priority.
constexpr RwInt32 kPriorityNeverDrawn = -1;

// The geometry's first user-data array of exactly that name, or null.
const RpUserDataArray* FindModelUserData(const RpGeometry* geometry, const char* key);

// Stores priority & 7 in the top three bits of the flag byte.
void SetAtomicRenderPriority(RpAtomic* atomic, u32 priority);
// 0 draws at once; p > 0 defers the atomic to the render manager's layer p - 1.
u32 GetAtomicRenderPriority(const RpAtomic* atomic);

// The render callback that draws an atomic: the one the first set-up atomic
// came with (the engine default), remembered once for the program.
RpAtomicCallBackRender GetDefaultAtomicRender();
void RememberDefaultAtomicRender(const RpAtomic* atomic);
// Draws the atomic now with the default callback, culling off while a
// two-sided one is drawn.
void DrawModelAtomic(RpAtomic* atomic);

class cClumpRO;

// The set-up of an atomic of a clump object loaded from its file: linked to
// its object, drawn through the clump render callback, and its geometry's
// user data applied in array order.
void SetUpModelAtomic(RpAtomic* atomic, cClumpRO* owner);
