// The engine-core services the pipeline module uses: memory functions, the
// error record, the string table, the engine state and the record free list.
#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/pipeline_private.h"
#include "engine/src/plcore/error.h"

namespace {

constexpr RwUInt32 kPipelinesPerBlock = 64;
RwFreeList gPipelineFreeListRecord;

}  // namespace

void* PipeMalloc(size_t size) { return RwMalloc(size); }

void PipeFree(void* block) {
  if (block != nullptr) {
    RwFree(block);
  }
}

void* PipeRealloc(void* block, size_t size) { return RwRealloc(block, size); }

void PipeError(RwUInt32 code) { RwErrorRaise(kRwPluginIdCore, static_cast<RwInt32>(code)); }

int PipeStringCompare(const char* a, const char* b) {
  if (RwEngineInstance->stringFunctions.rwstrcmp != nullptr) {
    return RwEngineInstance->stringFunctions.rwstrcmp(a, b);
  }
  return std::strcmp(a, b);
}

bool PipeEngineStarted() { return RwEngineInstance->engineStatus == kRwEngineStatusStarted; }

bool PipeFreeListOpen() {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  globals->pipelineFreeList = RwFreeListCreateAndPreallocate(sizeof(RwPipeline), kPipelinesPerBlock,
                                                             alignof(RwPipeline), 1, &gPipelineFreeListRecord);
  return globals->pipelineFreeList != nullptr;
}

void PipeFreeListClose() {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  if (globals->pipelineFreeList != nullptr) {
    RwFreeListDestroy(globals->pipelineFreeList);
    globals->pipelineFreeList = nullptr;
  }
}

RwPipeline* PipeFreeListAlloc() {
  return static_cast<RwPipeline*>(RwFreeListEntryAlloc(RwPipelineGetGlobals()->pipelineFreeList));
}

void PipeFreeListFree(RwPipeline* pipeline) { RwFreeListEntryFree(RwPipelineGetGlobals()->pipelineFreeList, pipeline); }
