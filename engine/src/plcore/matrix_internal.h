// Matrix internals shared with the engine's other stream readers and writers.
#pragma once

#include "engine/src/plcore/matrix.h"

// The right, up, at and pos vectors as twelve little-endian reals (48 bytes),
// the way matrix chunk bodies and frame list records begin. Flags are left
// to the caller.
constexpr RwUInt32 kRwMatrixStreamAxesSize = 48;
void _rwMatrixReadAxes(const RwUInt8* bytes, RwMatrix* matrix);
void _rwMatrixWriteAxes(RwUInt8* bytes, const RwMatrix* matrix);
