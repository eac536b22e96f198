// The spline plugin: when the engine starts it prepares the lookup tables of
// uniform cubic B-splines (basis functions and their derivatives) and the
// matrices that turn interpolated points into control points.
#pragma once

#include "engine/src/plcore/base_types.h"

constexpr RwInt32 kRpSplinePluginId = 0x102;

// Registers the engine plugin; between RwEngineInit and RwEngineOpen.
RwBool RpSplinePluginAttach(void);
