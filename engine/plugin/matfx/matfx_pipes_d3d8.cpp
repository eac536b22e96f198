// The material-effects pipelines of atomics and world sectors on Direct3D 8.
#include "engine/plugin/matfx/matfx_internal.h"

namespace {

RwPipeline* sAtomicPipeline = nullptr;
RwPipeline* sWorldSectorPipeline = nullptr;

}  // namespace

RwPipeline* _rpMatFXAtomicPipeline(void) { return sAtomicPipeline; }
RwPipeline* _rpMatFXWorldSectorPipeline(void) { return sWorldSectorPipeline; }
