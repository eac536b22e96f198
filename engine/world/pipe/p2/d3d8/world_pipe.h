// The world module's pipeline layer: the Direct3D 8 all-in-one pipelines of
// atomics and world sectors (with the vertex-buffer pools and the light
// state), opened and closed with the world plugin, and the default pipelines
// that objects without their own pipeline run.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwPipeline;

// Builds both pipelines and makes them the defaults; false (everything
// closed again) when any part fails.
RwBool RpWorldPipeOpen(void);
void RpWorldPipeClose(void);

// Null restores the Direct3D 8 all-in-one pipeline of its kind.
void RpAtomicSetDefaultPipeline(RwPipeline* pipeline);
void RpWorldSetDefaultSectorPipeline(RwPipeline* pipeline);

// The atomic pipeline, the vertex-buffer pools and the light state.
RwBool RpD3D8AtomicPipelineCreate(void);
void RpD3D8AtomicPipelineDestroy(void);
RwBool RpD3D8WorldSectorPipelineCreate(void);
void RpD3D8WorldSectorPipelineDestroy(void);
