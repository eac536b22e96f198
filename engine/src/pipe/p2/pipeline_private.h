// Internals shared by the pipeline files: error codes, the few engine-core
// services the pipelines use, and the editing layout of the node-data block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/src/pipe/p2/pipeline.h"
#include "engine/src/pipe/p2/pipeline_internal.h"

// Error codes of the pipeline module (reported with plugin id 1).
enum : RwUInt32 {
  kPipeErrorCycle = 28,
  kPipeErrorClusterDropped = 29,
  kPipeErrorClusterListedTwice = 30,
  kPipeErrorNullCluster = 31,
  kPipeErrorRequirementTables = 32,
  kPipeErrorNodeWithoutInput = 34,
  kPipeErrorBadEntryNode = 36,
  kPipeErrorTooManyClusters = 40,
  kPipeErrorTooManyOutputs = 41,
  kPipeErrorTooManyNodes = 42,
  kPipeErrorNotLocked = 52,
  kCoreErrorInvalidValue = 0x80000003u,
  kCoreErrorOutOfMemory = 0x80000013u,
  kCoreErrorNullArgument = 0x80000016u,
  kCoreErrorForeignVector = 0x80000018u,
};

// Engine services, in one place.
void* PipeMalloc(size_t size);
void PipeFree(void* block);
void* PipeRealloc(void* block, size_t size);
void PipeError(RwUInt32 code);
int PipeStringCompare(const char* a, const char* b);
bool PipeEngineStarted();
// The pipeline record free list (engine free-list entry functions).
bool PipeFreeListOpen();
void PipeFreeListClose();
RwPipeline* PipeFreeListAlloc();
void PipeFreeListFree(RwPipeline* pipeline);

// Dependency record of a node while editing and unlocking.
struct RwRequirementTable;
struct RwPipelineNodeDependency {
  RwUInt32 inDegree;
  RwUInt32 timesReached;
  RwRequirementTable* requirements;
};

// Editing layout of the node-data block: M node records, M runs of output
// words, M dependency records, each region aligned.
constexpr size_t kPipeAlign = alignof(std::max_align_t);
constexpr size_t PipeAlignUp(size_t size) { return (size + kPipeAlign - 1) & ~(kPipeAlign - 1); }
constexpr size_t kLockedNodesOffset = 0;
constexpr size_t kLockedOutputsOffset = PipeAlignUp(sizeof(RwPipelineNode) * rwPIPELINE_MAX_NODES);
constexpr size_t kLockedDependencyOffset =
    kLockedOutputsOffset + PipeAlignUp(sizeof(RwUInt32) * rwPIPELINE_NODE_OUTPUT_RUN * rwPIPELINE_MAX_NODES);
constexpr size_t kLockedBlockSize =
    kLockedDependencyOffset + PipeAlignUp(sizeof(RwPipelineNodeDependency) * rwPIPELINE_MAX_NODES);

// The maximum node count of the open module.
RwUInt32 PipeMaxNodes();
// Lays the block out for editing, keeping node records, outputs and order.
bool PipeRelayForEditing(RwPipeline* pipeline);
// Whether anything was taken from the heap since its last reset.
bool PipeHeapIsDirty(const RwPipelineHeap* heap);
// Releases one packet slot; its data goes back to the heap unless external.
void PipeReleaseCluster(RwCluster* cluster);
// Calls the node term of a definition whose use count reached zero and frees
// it when it is editable.
void PipeDefinitionReleased(RwNodeDefinition* definition);
