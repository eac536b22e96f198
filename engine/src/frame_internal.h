// Frame internals shared with the engine's other readers and writers of
// frames (frame lists, clumps).
#pragma once

#include "engine/src/frame.h"

// The frame type's plugin registry.
RwPluginRegistry* _rwFrameGetRegistry(void);
