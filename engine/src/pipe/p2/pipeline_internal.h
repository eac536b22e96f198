// The pipeline module's side of the engine: its engine plugin (0x409), which
// a program whose driver draws through pipelines installs before
// RwEngineInit (the Direct3D 8 driver's install does it).
#pragma once

#include "engine/src/plcore/base_types.h"

// Fills the pipeline module's slot in the core's module order.
RwBool _rwPipelineModuleInstall(void);

// Engine plugin constructor and destructor, and the module's own open and close.
void* RwPipelinePluginOpen(void* instance, RwInt32 offset, RwInt32 size);
void* RwPipelinePluginClose(void* instance, RwInt32 offset, RwInt32 size);
RwBool RwPipelineModuleOpen();
RwBool RwPipelineModuleClose();
