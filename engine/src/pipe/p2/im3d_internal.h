// The immediate-mode 3D module's side of the engine: its engine plugin
// (0x40A), installed before RwEngineInit by a program whose driver submits
// immediate-mode geometry (the Direct3D 8 driver's install does it).
#pragma once

#include "engine/src/plcore/base_types.h"

// Fills the immediate-mode 3D module's slot in the core's module order.
RwBool _rwIm3DModuleInstall(void);

// Engine plugin constructor and destructor.
void* RwIm3DOpen(void* instance, RwInt32 offset, RwInt32 size);
void* RwIm3DClose(void* instance, RwInt32 offset, RwInt32 size);
