// The pipeline module: its engine data, pipeline records, node destruction,
// packets and execution.
#include "engine/src/pipe/p2/pipeline.h"

#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/pipeline_private.h"

static_assert(sizeof(RwPipelineGlobals) <= kRwPipelineModuleDataSize, "pipeline module data fits its engine block");

namespace {

RwInt32 gGlobalsOffset = -1;

// Module statics: one pipeline executes at a time.
bool gModuleOpen = false;
RwPipelineHeap* gHeap = nullptr;
RwPipeline* gExecuting = nullptr;
bool gExecuteSucceeded = false;
RwPipelineNodeParams gParams = {nullptr, nullptr};

const RwRenderStateVector kDefaultRenderState = {{7, 2, 5, 6, 0, 1, 1, 2, 0xFFFFFFFFu, 0, 0xFFFFFFFFu}};

void ReleaseSlot(RwCluster* cluster) {
  if (!(cluster->flags & rwCLUSTER_EXTERNAL) && cluster->data != nullptr && gHeap != nullptr) {
    RwHeapFree(gHeap, cluster->data);
  }
  cluster->flags = 0;
  cluster->data = nullptr;
  cluster->numAlloced = 0;
  cluster->numUsed = 0;
  cluster->clusterRef = nullptr;
}

}  // namespace

void PipeReleaseCluster(RwCluster* cluster) { ReleaseSlot(cluster); }

RwUInt32 PipeMaxNodes() {
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  if (globals == nullptr || globals->maxNodesPerPipeline == 0 || globals->maxNodesPerPipeline > rwPIPELINE_MAX_NODES) {
    return rwPIPELINE_MAX_NODES;
  }
  return globals->maxNodesPerPipeline;
}

void PipeDefinitionReleased(RwNodeDefinition* definition) {
  if (definition->nodeTerm != nullptr) {
    definition->nodeTerm(definition);
  }
  if (definition->editable) {
    PipeFree(definition);
  }
}

RwPipelineGlobals* RwPipelineGetGlobals() {
  if (gGlobalsOffset < 0 || RwEngineInstance == nullptr) {
    return nullptr;
  }
  return RwPluginDataGet(RwPipelineGlobals, RwEngineInstance, gGlobalsOffset);
}

void* RwPipelinePluginOpen(void* instance, RwInt32 offset, RwInt32) {
  gGlobalsOffset = offset;
  std::memset(RwPipelineGetGlobals(), 0, sizeof(RwPipelineGlobals));
  return RwPipelineModuleOpen() ? instance : nullptr;
}

void* RwPipelinePluginClose(void* instance, RwInt32, RwInt32) {
  RwPipelineModuleClose();
  return instance;
}

RwBool _rwPipelineModuleInstall(void) {
  const RwEngineModule module = {kRwPipelineModuleDataSize, kRwPluginIdPipelineModule, RwPipelinePluginOpen,
                                 RwPipelinePluginClose};
  return _rwEngineInstallModule(&module);
}

RwBool RwPipelineModuleOpen() {
  if (gModuleOpen) {
    return false;
  }
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  if (globals == nullptr) {
    return false;
  }
  gHeap = RwHeapCreate(rwPIPELINE_HEAP_SIZE);
  if (gHeap == nullptr) {
    return false;
  }
  if (!PipeFreeListOpen()) {
    RwHeapDestroy(gHeap);
    gHeap = nullptr;
    return false;
  }
  globals->maxNodesPerPipeline = rwPIPELINE_MAX_NODES;
  globals->defaultRenderState = kDefaultRenderState;
  globals->unused[0] = 0;
  globals->unused[1] = 0;
  gModuleOpen = true;
  return true;
}

RwBool RwPipelineModuleClose() {
  if (gModuleOpen) {
    PipeFreeListClose();
    RwHeapDestroy(gHeap);
    gHeap = nullptr;
    gModuleOpen = false;
  }
  return true;
}

RwPipelineHeap* RwPipelineGetHeap() { return gHeap; }

RwRenderStateVector* RwRenderStateVectorSetDefault(RwRenderStateVector* vector) {
  if (vector == nullptr) {
    PipeError(kCoreErrorNullArgument);
    return nullptr;
  }
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  if (PipeEngineStarted() && globals != nullptr) {
    *vector = globals->defaultRenderState;
    return vector;
  }
  if (globals != nullptr && vector == &globals->defaultRenderState) {
    *vector = kDefaultRenderState;
    return vector;
  }
  PipeError(kCoreErrorForeignVector);
  return nullptr;
}

RwPipeline* RwPipelineCreate() {
  RwPipeline* pipeline = gModuleOpen ? PipeFreeListAlloc() : nullptr;
  if (pipeline == nullptr) {
    PipeError(kCoreErrorOutOfMemory);
    return nullptr;
  }
  std::memset(pipeline, 0, sizeof(*pipeline));
  return pipeline;
}

void RwPipelineDestroy(RwPipeline* pipeline) {
  if (pipeline == nullptr) {
    return;
  }
  if (pipeline->nodes != nullptr) {
    if (pipeline->locked) {
      // Removing from the back keeps the records in place.
      while (pipeline->numNodes > 0) {
        RwPipelineNodeDestroy(&pipeline->nodes[pipeline->numNodes - 1], pipeline);
      }
    } else {
      const RwUInt32 count = pipeline->numNodes;
      for (RwUInt32 i = 0; i < count; ++i) {
        RwPipelineNodeDestroy(&pipeline->nodes[i], pipeline);
      }
    }
  }
  PipeFree(pipeline->nodeData);
  PipeFreeListFree(pipeline);
}

RwPipelineNode* RwPipelineNodeDestroy(RwPipelineNode* node, RwPipeline* pipeline) {
  RwNodeDefinition* definition = node->nodeDef;
  if (!pipeline->locked) {
    if (definition != nullptr) {
      if (definition->pipelineNodeTerm != nullptr) {
        definition->pipelineNodeTerm(node);
      }
      if (definition->useCount > 0 && --definition->useCount == 0) {
        PipeDefinitionReleased(definition);
      }
    }
    PipeFree(node->initializationData);
    std::memset(node, 0, sizeof(*node));
    pipeline->numNodes--;
    return node;
  }

  PipeFree(node->initializationData);
  node->initializationData = nullptr;
  if (definition != nullptr && definition->useCount == 0 && definition->editable) {
    // Other nodes of this pipeline may still name it while locked.
    bool stillNamed = false;
    for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
      if (&pipeline->nodes[i] != node && pipeline->nodes[i].nodeDef == definition) {
        stillNamed = true;
      }
    }
    if (!stillNamed) {
      PipeFree(definition);  // its node term ran when the pipeline was locked
    }
  }
  // Close the gap: later records, output runs and dependency records move down.
  const RwUInt32 removed = static_cast<RwUInt32>(node - pipeline->nodes);
  RwUInt32* runs = reinterpret_cast<RwUInt32*>(pipeline->nodeData + kLockedOutputsOffset);
  RwPipelineNodeDependency* dependencies =
      reinterpret_cast<RwPipelineNodeDependency*>(pipeline->nodeData + kLockedDependencyOffset);
  for (RwUInt32 i = removed; i + 1 < pipeline->numNodes; ++i) {
    pipeline->nodes[i] = pipeline->nodes[i + 1];
    std::memcpy(runs + i * rwPIPELINE_NODE_OUTPUT_RUN, runs + (i + 1) * rwPIPELINE_NODE_OUTPUT_RUN,
                sizeof(RwUInt32) * rwPIPELINE_NODE_OUTPUT_RUN);
    dependencies[i] = dependencies[i + 1];
    pipeline->nodes[i].outputs = runs + i * rwPIPELINE_NODE_OUTPUT_RUN;
    pipeline->nodes[i].dependency = &dependencies[i];
  }
  pipeline->numNodes--;
  std::memset(&pipeline->nodes[pipeline->numNodes], 0, sizeof(RwPipelineNode));
  for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
    RwPipelineNode* other = &pipeline->nodes[i];
    for (RwUInt32 o = 0; o < other->numOutputs; ++o) {
      if (other->outputs[o] == rwPIPELINE_OUTPUT_UNCONNECTED) {
        continue;
      }
      if (other->outputs[o] == removed) {
        other->outputs[o] = rwPIPELINE_OUTPUT_UNCONNECTED;
      } else if (other->outputs[o] > removed) {
        other->outputs[o]--;
      }
    }
  }
  return node;
}

RwPipeline* RwPipelineExecute(RwPipeline* pipeline, void* data, RwBool resetHeap) {
  // A locked pipeline is not in execution order and its nodes have no tables.
  if (pipeline == nullptr || pipeline->locked || pipeline->numNodes == 0 || pipeline->nodes == nullptr) {
    return nullptr;
  }
  if (resetHeap && gHeap != nullptr && PipeHeapIsDirty(gHeap)) {
    RwHeapReset(gHeap);
  }
  RwPipeline* const previous = gExecuting;
  const bool previousSucceeded = gExecuteSucceeded;
  const RwPipelineNodeParams previousParams = gParams;
  gExecuting = pipeline;
  gExecuteSucceeded = true;
  gParams.dataParam = data;
  gParams.heap = gHeap;
  pipeline->packetState = rwPACKET_NONE;

  RwPipelineNode* entry = &pipeline->nodes[0];
  // A definition without a body does nothing and does not fail.
  if (entry->nodeDef == nullptr || (entry->nodeDef->body != nullptr && entry->nodeDef->body(entry, &gParams) == 0)) {
    gExecuteSucceeded = false;
  }
  if (pipeline->packetState > rwPACKET_RELEASED && pipeline->packet != nullptr) {
    pipeline->packetState = rwPACKET_LIVE;
    RwPacketDestroy(pipeline->packet);
  }
  const bool succeeded = gExecuteSucceeded;
  // A pipeline run from inside a node body hands the statics back to its caller.
  gExecuting = previous;
  gExecuteSucceeded = previousSucceeded;
  gParams = previousParams;
  return succeeded ? pipeline : nullptr;
}

RwPipelineNode* RwPipelineNodeFollowOutput(RwPipeline* pipeline, RwPipelineNode* node, RwUInt32 output) {
  if (pipeline == nullptr || node == nullptr || output >= node->numOutputs) {
    return nullptr;
  }
  const RwUInt32 target = node->outputs[output];
  if (target == rwPIPELINE_OUTPUT_UNCONNECTED || target >= pipeline->numNodes) {
    return nullptr;
  }
  RwPipelineNode* next = &pipeline->nodes[target];
  RwPacket* packet = pipeline->packet;
  if (pipeline->packetState < rwPACKET_LIVE || packet == nullptr) {
    return next;
  }
  const RwUInt32 bit = 1u << output;
  if (node->outputMasks != nullptr && !(node->outputMasks[0] & bit)) {
    for (RwUInt32 slot = packet->numClusters; slot-- > 0;) {
      RwCluster* cluster = &packet->clusters[slot];
      if (cluster->clusterRef != nullptr && !(node->outputMasks[1 + slot] & bit)) {
        ReleaseSlot(cluster);
      }
    }
  }
  packet->clusterMap = next->clusterMap;
  packet->outputMasks = next->outputMasks;
  packet->slotClusterRefs = next->slotClusterRefs;
  pipeline->packetState = rwPACKET_PASSED;
  return next;
}

RwBool RwPipelineNodeSendToOutput(RwPipelineNode* node, RwUInt32 output, const RwPipelineNodeParams* params) {
  RwPipeline* pipeline = gExecuting;
  RwPipelineNode* next = RwPipelineNodeFollowOutput(pipeline, node, output);
  if (next != nullptr && gExecuteSucceeded && next->nodeDef != nullptr && next->nodeDef->body != nullptr) {
    if (next->nodeDef->body(next, params) == 0) {
      gExecuteSucceeded = false;
    }
  }
  if (pipeline != nullptr && pipeline->packetState >= rwPACKET_LIVE && pipeline->packet != nullptr) {
    pipeline->packetState = rwPACKET_LIVE;
    RwPacketDestroy(pipeline->packet);
  }
  return gExecuteSucceeded;
}

RwPacket* RwPacketCreate(RwPipeline* pipeline, RwPipelineNode* node) {
  if (pipeline == nullptr || pipeline->packet == nullptr || node == nullptr) {
    return nullptr;
  }
  RwPacket* packet = pipeline->packet;
  packet->flags = 0;
  packet->clusterMap = node->clusterMap;
  packet->outputMasks = node->outputMasks;
  packet->slotClusterRefs = node->slotClusterRefs;
  pipeline->packetState = rwPACKET_LIVE;
  return packet;
}

void RwPacketDestroy(RwPacket* packet) {
  if (packet == nullptr) {
    return;
  }
  if (packet->pipeline != nullptr) {
    packet->pipeline->packetState = rwPACKET_RELEASED;
  }
  for (RwUInt32 slot = 0; slot < packet->numClusters; ++slot) {
    if (packet->clusters[slot].clusterRef != nullptr) {
      ReleaseSlot(&packet->clusters[slot]);
    }
  }
  packet->flags = 0;
}
