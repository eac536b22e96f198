// Opening and closing the world module's pipeline layer, kept in the
// pipeline module's words: the default atomic and world-sector pipelines and
// the two Direct3D 8 all-in-one pipelines they fall back to.
#include "engine/world/pipe/p2/d3d8/world_pipe.h"

#include "engine/src/pipe/p2/pipeline.h"
#include "engine/world/pipe/p2/d3d8/d3d8_atomic_pipeline.h"
#include "engine/world/pipe/p2/d3d8/d3d8_lights.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"
#include "engine/world/pipe/p2/d3d8/d3d8_world_sector_pipeline.h"

namespace {

// Create, tag, lock, add the one node, unlock; null (nothing left) on failure.
RwPipeline* BuildPipeline(RwNodeDefinition* definition) {
  RwPipeline* pipeline = RwPipelineCreate();
  if (pipeline == nullptr) {
    return nullptr;
  }
  pipeline->ownerTag = rwPIPELINE_OWNER_WORLD;
  if (RwPipelineLock(pipeline) == nullptr || RwPipelineAddFragment(pipeline, nullptr, definition, nullptr) == nullptr ||
      RwPipelineUnlock(pipeline) == nullptr) {
    RwPipelineDestroy(pipeline);
    return nullptr;
  }
  return pipeline;
}

}  // namespace

RwBool RpD3D8AtomicPipelineCreate(void) {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  RwPipeline* pipeline = BuildPipeline(RpNodeDefinitionGetD3D8AtomicAllInOne());
  if (pipeline == nullptr) {
    return FALSE;
  }
  globals->d3d8AtomicAllInOnePipeline = pipeline;
  globals->defaultAtomicPipeline = pipeline;
  if (!RpD3D8VertexBufferManagerOpen() || !RpD3D8LightsOpen()) {
    RpD3D8AtomicPipelineDestroy();
    return FALSE;
  }
  return TRUE;
}

void RpD3D8AtomicPipelineDestroy(void) {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  RpD3D8LightsClose();
  RpD3D8VertexBufferManagerClose();
  RwPipelineDestroy(globals->d3d8AtomicAllInOnePipeline);
  // Nothing is drawn between a close and the next open: neither word keeps
  // a destroyed pipeline.
  globals->d3d8AtomicAllInOnePipeline = nullptr;
  globals->defaultAtomicPipeline = nullptr;
}

RwBool RpD3D8WorldSectorPipelineCreate(void) {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  RwPipeline* pipeline = BuildPipeline(RpNodeDefinitionGetD3D8WorldSectorAllInOne());
  if (pipeline == nullptr) {
    return FALSE;
  }
  globals->d3d8WorldSectorAllInOnePipeline = pipeline;
  globals->defaultWorldSectorPipeline = pipeline;
  return TRUE;
}

void RpD3D8WorldSectorPipelineDestroy(void) {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  RwPipelineDestroy(globals->d3d8WorldSectorAllInOnePipeline);
  globals->d3d8WorldSectorAllInOnePipeline = nullptr;
  globals->defaultWorldSectorPipeline = nullptr;
}

RwBool RpWorldPipeOpen(void) {
  if (!RpD3D8AtomicPipelineCreate() || !RpD3D8WorldSectorPipelineCreate()) {
    RpWorldPipeClose();
    return FALSE;
  }
  return TRUE;
}

void RpWorldPipeClose(void) {
  RpD3D8WorldSectorPipelineDestroy();
  RpD3D8AtomicPipelineDestroy();
}

void RpAtomicSetDefaultPipeline(RwPipeline* pipeline) {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  globals->defaultAtomicPipeline = pipeline != nullptr ? pipeline : globals->d3d8AtomicAllInOnePipeline;
}

void RpWorldSetDefaultSectorPipeline(RwPipeline* pipeline) {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  globals->defaultWorldSectorPipeline = pipeline != nullptr ? pipeline : globals->d3d8WorldSectorAllInOnePipeline;
}
