// Pipeline editing: lock, add fragments of nodes, and unlock, which puts the
// nodes in dependency order, resolves which clusters each node needs and
// passes on, gives every cluster a packet slot and lays out the node tables.
#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

#include "engine/src/pipe/p2/pipeline_private.h"

struct RwRequirementEntry {
  RwClusterDefinition* clusterDef;
  RwUInt32 kind;
  RwUInt32 refCount;  // inputs that may still deliver the cluster
  RwRequirementEntry* groupNext;
  RwRequirementEntry* groupPrev;
  RwRequirementTable* table;
  RwUInt32 outputMask;  // bit n: the cluster continues through output n
  RwUInt32 slot;
  RwPipelineNode* requester;
};

struct RwRequirementTable {
  RwUInt32 count;
  RwUInt32 capacity;
  RwUInt32 usedSlots;
  RwRequirementEntry* entries;
  RwPipelineNode* node;
};

namespace {

constexpr RwUInt32 kMaxSlots = 32;
constexpr RwUInt32 kMaxOutputs = 32;
constexpr RwUInt32 kMaxClustersOfInterest = 32;

// Free space of the node-data block between the used bottom and the top.
struct Scratch {
  RwUInt8* base;
  size_t bottom;
  size_t top;
};

void* RwPipelineScratchAllocBottom(Scratch* scratch, size_t size) {
  const size_t start = PipeAlignUp(scratch->bottom);
  const size_t end = start + PipeAlignUp(size);
  if (end > scratch->top) {
    PipeError(kCoreErrorOutOfMemory);
    return nullptr;
  }
  scratch->bottom = end;
  std::memset(scratch->base + start, 0, end - start);
  return scratch->base + start;
}

void* RwPipelineScratchAllocTop(Scratch* scratch, size_t size) {
  const size_t bytes = PipeAlignUp(size);
  if (scratch->top < bytes || scratch->top - bytes < PipeAlignUp(scratch->bottom)) {
    PipeError(kCoreErrorOutOfMemory);
    return nullptr;
  }
  scratch->top = (scratch->top - bytes) & ~(kPipeAlign - 1);
  std::memset(scratch->base + scratch->top, 0, bytes);
  return scratch->base + scratch->top;
}

RwUInt32* LockedRun(RwPipeline* pipeline, RwUInt32 position) {
  return reinterpret_cast<RwUInt32*>(pipeline->nodeData + kLockedOutputsOffset) + position * rwPIPELINE_NODE_OUTPUT_RUN;
}

RwPipelineNodeDependency* LockedDependency(RwPipeline* pipeline, RwUInt32 position) {
  return reinterpret_cast<RwPipelineNodeDependency*>(pipeline->nodeData + kLockedDependencyOffset) + position;
}

// Forgets the tables a node holds only while its pipeline is unlocked.
void ClearNodeTable(RwPipelineNode* node) {
  node->slotClusterRefs = nullptr;
  node->outputMasks = nullptr;
  node->privateData = nullptr;
  node->clusterMap = nullptr;
}

// Forgets the tables of an unlocked layout; they are rebuilt at unlock.
void ClearNodeTables(RwPipeline* pipeline) {
  for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
    ClearNodeTable(&pipeline->nodes[i]);
  }
  pipeline->packet = nullptr;
  pipeline->inputRequirements = nullptr;
  pipeline->numInputRequirements = 0;
}

void ReleaseUse(RwNodeDefinition* definition) {
  if (definition != nullptr && definition->useCount > 0 && --definition->useCount == 0 &&
      definition->nodeTerm != nullptr) {
    definition->nodeTerm(definition);
  }
}

RwInt32 ClusterOfInterestIndex(const RwNodeDefinition* definition, const RwClusterDefinition* cluster) {
  for (RwUInt32 k = 0; k < definition->numClustersOfInterest; ++k) {
    if (definition->clustersOfInterest[k].clusterDef == cluster) {
      return static_cast<RwInt32>(k);
    }
  }
  return -1;
}

RwUInt32 Disposition(const RwNodeDefinition* definition, RwUInt32 output, const RwClusterDefinition* cluster) {
  const RwNodeOutput& nodeOutput = definition->outputs[output];
  const RwInt32 k = ClusterOfInterestIndex(definition, cluster);
  if (k >= 0 && nodeOutput.clusterDispositions != nullptr) {
    return nodeOutput.clusterDispositions[k];
  }
  return nodeOutput.allOtherClusters;
}

RwRequirementEntry* FindEntry(RwRequirementTable* table, const RwClusterDefinition* cluster) {
  for (RwUInt32 i = 0; i < table->count; ++i) {
    if (table->entries[i].clusterDef == cluster) {
      return &table->entries[i];
    }
  }
  return nullptr;
}

// Adds a requirement, or strengthens an existing one to required. Null when
// the table is full.
RwRequirementEntry* RwRequirementAdd(RwRequirementTable* table, RwClusterDefinition* cluster, RwUInt32 kind,
                                     RwUInt32 refCount, RwPipelineNode* requester) {
  RwRequirementEntry* entry = FindEntry(table, cluster);
  if (entry != nullptr) {
    if (kind == rwCLUSTER_REQUIRED) {
      entry->kind = rwCLUSTER_REQUIRED;
      entry->requester = requester;
    }
    return entry;
  }
  if (table->count >= table->capacity) {
    return nullptr;
  }
  entry = &table->entries[table->count++];
  entry->clusterDef = cluster;
  entry->kind = kind;
  entry->refCount = refCount;
  entry->groupNext = entry;
  entry->groupPrev = entry;
  entry->table = table;
  entry->outputMask = 0;
  entry->slot = rwPIPELINE_NO_SLOT;
  entry->requester = requester;
  return entry;
}

RwRequirementTable* TableOf(RwPipeline* pipeline, RwUInt32 index) {
  return pipeline->nodes[index].dependency->requirements;
}

// One input of node `index` no longer delivers `cluster`: when none is left
// the requirement goes, and so do those it fed further down.
void RwRequirementWithdraw(RwPipeline* pipeline, RwUInt32 index, RwClusterDefinition* cluster) {
  RwRequirementTable* table = TableOf(pipeline, index);
  RwRequirementEntry* entry = FindEntry(table, cluster);
  if (entry == nullptr) {
    return;
  }
  if (entry->refCount > 0) {
    entry->refCount--;
  }
  if (entry->refCount > 0) {
    return;
  }
  *entry = table->entries[table->count - 1];
  table->count--;
  const RwPipelineNode* node = &pipeline->nodes[index];
  for (RwUInt32 o = 0; o < node->numOutputs; ++o) {
    const RwUInt32 target = node->outputs[o];
    if (target != rwPIPELINE_OUTPUT_UNCONNECTED && Disposition(node->nodeDef, o, cluster) == rwCLUSTER_IGNORE) {
      RwRequirementWithdraw(pipeline, target, cluster);
    }
  }
}

bool SameGroup(RwRequirementEntry* a, RwRequirementEntry* b) {
  RwRequirementEntry* walk = a;
  do {
    if (walk == b) {
      return true;
    }
    walk = walk->groupNext;
  } while (walk != a);
  return false;
}

void SpliceGroups(RwRequirementEntry* a, RwRequirementEntry* b) {
  RwRequirementEntry* aNext = a->groupNext;
  RwRequirementEntry* bNext = b->groupNext;
  a->groupNext = bNext;
  bNext->groupPrev = a;
  b->groupNext = aNext;
  aNext->groupPrev = b;
}

RwUInt32 LowestClearBit(RwUInt32 bits) {
  for (RwUInt32 bit = 0; bit < 32; ++bit) {
    if (!(bits & (1u << bit))) {
      return bit;
    }
  }
  return 32;
}

// Works out the requirement tables, slots and the unlocked layout; returns 0
// or the error code.
RwUInt32 RwPipelineResolveDependencies(RwPipeline* pipeline, Scratch* scratch, RwUInt32 numClusters) {
  const RwUInt32 n = pipeline->numNodes;
  RwPipelineNode* nodes = pipeline->nodes;

  // 1. Last to first: what each node needs on its input.
  for (RwUInt32 i = n; i-- > 0;) {
    RwPipelineNode* node = &nodes[i];
    RwNodeDefinition* definition = node->nodeDef;
    for (RwUInt32 k = 0; k < definition->numClustersOfInterest; ++k) {
      RwClusterDefinition* cluster = definition->clustersOfInterest[k].clusterDef;
      if (cluster == nullptr) {
        return kPipeErrorNullCluster;
      }
      for (RwUInt32 j = 0; j < k; ++j) {
        if (definition->clustersOfInterest[j].clusterDef == cluster) {
          return kPipeErrorClusterListedTwice;
        }
      }
    }
    auto* table = static_cast<RwRequirementTable*>(RwPipelineScratchAllocTop(scratch, sizeof(RwRequirementTable)));
    RwRequirementEntry* entries = nullptr;
    if (table != nullptr && numClusters > 0) {
      entries = static_cast<RwRequirementEntry*>(
          RwPipelineScratchAllocTop(scratch, sizeof(RwRequirementEntry) * numClusters));
    }
    if (table == nullptr || (numClusters > 0 && entries == nullptr)) {
      return kPipeErrorRequirementTables;
    }
    table->capacity = numClusters;
    table->entries = entries;
    table->node = node;
    node->dependency->requirements = table;
    const RwUInt32 inDegree = node->dependency->inDegree;

    for (RwUInt32 o = 0; o < node->numOutputs; ++o) {
      const RwUInt32 target = node->outputs[o];
      if (target == rwPIPELINE_OUTPUT_UNCONNECTED) {
        continue;
      }
      RwRequirementTable* targetTable = TableOf(pipeline, target);
      for (RwUInt32 e = 0; e < targetTable->count;) {
        RwRequirementEntry* entry = &targetTable->entries[e];
        const RwUInt32 disposition = Disposition(definition, o, entry->clusterDef);
        if (disposition == rwCLUSTER_IGNORE) {
          if (RwRequirementAdd(table, entry->clusterDef, entry->kind, inDegree, entry->requester) == nullptr) {
            return kPipeErrorRequirementTables;
          }
        } else if (entry->kind == rwCLUSTER_REQUIRED) {
          if (disposition != rwCLUSTER_VALID) {
            return kPipeErrorClusterDropped;
          }
        } else if (disposition == rwCLUSTER_INVALID) {
          const RwUInt32 before = targetTable->count;
          RwRequirementWithdraw(pipeline, target, entry->clusterDef);
          if (targetTable->count < before) {
            continue;  // the last entry moved into this place
          }
        }
        ++e;
      }
    }
    for (RwUInt32 k = 0; k < definition->numClustersOfInterest; ++k) {
      const RwUInt32 kind = definition->inputRequirements != nullptr ? definition->inputRequirements[k] : 0;
      if (kind != rwCLUSTER_DONTWANT &&
          RwRequirementAdd(table, definition->clustersOfInterest[k].clusterDef, kind, inDegree, node) == nullptr) {
        return kPipeErrorRequirementTables;
      }
    }
  }

  // 2. First to last: what each node makes and passes on through each output.
  for (RwUInt32 i = 0; i < n; ++i) {
    RwPipelineNode* node = &nodes[i];
    RwNodeDefinition* definition = node->nodeDef;
    RwRequirementTable* table = node->dependency->requirements;
    for (RwUInt32 k = 0; k < definition->numClustersOfInterest; ++k) {
      if (definition->clustersOfInterest[k].creates &&
          RwRequirementAdd(table, definition->clustersOfInterest[k].clusterDef, rwCLUSTER_DONTWANT, 1, node) ==
              nullptr) {
        return kPipeErrorRequirementTables;
      }
    }
    for (RwUInt32 o = 0; o < node->numOutputs; ++o) {
      const RwUInt32 target = node->outputs[o];
      if (target == rwPIPELINE_OUTPUT_UNCONNECTED) {
        continue;
      }
      RwRequirementTable* targetTable = TableOf(pipeline, target);
      for (RwUInt32 e = 0; e < targetTable->count; ++e) {
        RwClusterDefinition* cluster = targetTable->entries[e].clusterDef;
        const RwUInt32 disposition = Disposition(definition, o, cluster);
        RwRequirementEntry* own = nullptr;
        if (disposition == rwCLUSTER_INVALID) {
          continue;
        }
        if (disposition == rwCLUSTER_IGNORE) {
          own = FindEntry(table, cluster);
        } else {
          own = RwRequirementAdd(table, cluster, rwCLUSTER_DONTWANT, 1, node);
          if (own == nullptr) {
            return kPipeErrorRequirementTables;
          }
        }
        if (own != nullptr) {
          own->outputMask |= 1u << o;
        }
      }
    }
  }

  // 3. Entries that hand a cluster on form one cluster instance.
  for (RwUInt32 i = 0; i < n; ++i) {
    RwRequirementTable* table = nodes[i].dependency->requirements;
    for (RwUInt32 e = 0; e < table->count; ++e) {
      table->entries[e].groupNext = &table->entries[e];
      table->entries[e].groupPrev = &table->entries[e];
    }
  }
  for (RwUInt32 i = 0; i < n; ++i) {
    RwPipelineNode* node = &nodes[i];
    RwRequirementTable* table = node->dependency->requirements;
    for (RwUInt32 o = 0; o < node->numOutputs; ++o) {
      const RwUInt32 target = node->outputs[o];
      if (target == rwPIPELINE_OUTPUT_UNCONNECTED) {
        continue;
      }
      for (RwUInt32 e = 0; e < table->count; ++e) {
        RwRequirementEntry* entry = &table->entries[e];
        if (!(entry->outputMask & (1u << o))) {
          continue;
        }
        RwRequirementEntry* other = FindEntry(TableOf(pipeline, target), entry->clusterDef);
        if (other != nullptr && !SameGroup(entry, other)) {
          SpliceGroups(entry, other);
        }
      }
    }
  }

  // 4. One packet slot per cluster instance, free in every table it touches.
  RwUInt32 slotCount = 0;
  for (RwUInt32 i = 0; i < n; ++i) {
    RwRequirementTable* table = nodes[i].dependency->requirements;
    for (RwUInt32 e = 0; e < table->count; ++e) {
      RwRequirementEntry* first = &table->entries[e];
      if (first->slot != rwPIPELINE_NO_SLOT) {
        continue;
      }
      RwUInt32 used = 0;
      RwRequirementEntry* walk = first;
      do {
        used |= walk->table->usedSlots;
        walk = walk->groupNext;
      } while (walk != first);
      const RwUInt32 slot = LowestClearBit(used);
      if (slot >= kMaxSlots) {
        return kPipeErrorRequirementTables;
      }
      walk = first;
      do {
        walk->slot = slot;
        walk->table->usedSlots |= 1u << slot;
        walk = walk->groupNext;
      } while (walk != first);
      if (slot + 1 > slotCount) {
        slotCount = slot + 1;
      }
    }
  }

  // 5. Layout: the packet, the cluster references, every node's tables.
  auto* packet = static_cast<RwPacket*>(RwPipelineScratchAllocBottom(scratch, sizeof(RwPacket)));
  RwCluster* clusters = nullptr;
  if (packet != nullptr && slotCount > 0) {
    clusters = static_cast<RwCluster*>(RwPipelineScratchAllocBottom(scratch, sizeof(RwCluster) * slotCount));
  }
  auto* references =
      static_cast<RwClusterRef*>(RwPipelineScratchAllocBottom(scratch, sizeof(RwClusterRef) * numClusters));
  if (packet == nullptr || (slotCount > 0 && clusters == nullptr) || (numClusters > 0 && references == nullptr)) {
    return kCoreErrorOutOfMemory;
  }
  packet->numClusters = static_cast<RwUInt16>(slotCount);
  packet->pipeline = pipeline;
  packet->clusters = clusters;
  RwUInt32 numReferences = 0;
  for (RwUInt32 i = 0; i < n; ++i) {
    RwRequirementTable* table = nodes[i].dependency->requirements;
    for (RwUInt32 e = 0; e < table->count; ++e) {
      RwClusterDefinition* cluster = table->entries[e].clusterDef;
      bool known = false;
      for (RwUInt32 r = 0; r < numReferences; ++r) {
        known = known || references[r].clusterDef == cluster;
      }
      if (!known && numReferences < numClusters) {
        references[numReferences].clusterDef = cluster;
        references[numReferences].attributes = cluster->defaultAttributes;
        numReferences++;
      }
    }
  }
  auto referenceFor = [&](const RwClusterDefinition* cluster) -> RwClusterRef* {
    for (RwUInt32 r = 0; r < numReferences; ++r) {
      if (references[r].clusterDef == cluster) {
        return &references[r];
      }
    }
    return nullptr;
  };

  for (RwUInt32 i = 0; i < n; ++i) {
    RwPipelineNode* node = &nodes[i];
    RwNodeDefinition* definition = node->nodeDef;
    RwRequirementTable* table = node->dependency->requirements;
    RwClusterRef** slotReferences = nullptr;
    if (slotCount > 0) {
      slotReferences =
          static_cast<RwClusterRef**>(RwPipelineScratchAllocBottom(scratch, sizeof(RwClusterRef*) * slotCount));
      if (slotReferences == nullptr) {
        return kCoreErrorOutOfMemory;
      }
    }
    auto* masks = static_cast<RwUInt32*>(RwPipelineScratchAllocBottom(scratch, sizeof(RwUInt32) * (slotCount + 1)));
    if (masks == nullptr) {
      return kCoreErrorOutOfMemory;
    }
    masks[0] = 0xFFFFFFFFu;
    for (RwUInt32 e = 0; e < table->count; ++e) {
      const RwRequirementEntry& entry = table->entries[e];
      slotReferences[entry.slot] = referenceFor(entry.clusterDef);
      masks[0] &= entry.outputMask;
      masks[1 + entry.slot] = entry.outputMask;
    }
    RwUInt32* clusterMap = nullptr;
    if (definition->numClustersOfInterest > 0) {
      clusterMap = static_cast<RwUInt32*>(
          RwPipelineScratchAllocBottom(scratch, sizeof(RwUInt32) * definition->numClustersOfInterest));
      if (clusterMap == nullptr) {
        return kCoreErrorOutOfMemory;
      }
      for (RwUInt32 k = 0; k < definition->numClustersOfInterest; ++k) {
        clusterMap[k] = rwPIPELINE_NO_SLOT;
        for (RwUInt32 s = 0; s < slotCount; ++s) {
          if (slotReferences[s] != nullptr &&
              slotReferences[s]->clusterDef == definition->clustersOfInterest[k].clusterDef) {
            clusterMap[k] = s;
            break;
          }
        }
      }
    }
    void* privateData = nullptr;
    if (definition->privateDataSize > 0) {
      privateData = RwPipelineScratchAllocBottom(scratch, (definition->privateDataSize + 3u) & ~3u);
      if (privateData == nullptr) {
        return kCoreErrorOutOfMemory;
      }
    }
    node->slotClusterRefs = slotReferences;
    node->outputMasks = masks;
    node->clusterMap = clusterMap;
    node->privateData = privateData;
  }

  RwRequirementTable* entryTable = nodes[0].dependency->requirements;
  RwUInt32 numRequirements = 0;
  for (RwUInt32 e = 0; e < entryTable->count; ++e) {
    numRequirements += entryTable->entries[e].kind != rwCLUSTER_DONTWANT;
  }
  RwPipelineRequirement* requirements = nullptr;
  if (numRequirements > 0) {
    requirements = static_cast<RwPipelineRequirement*>(
        RwPipelineScratchAllocBottom(scratch, sizeof(RwPipelineRequirement) * numRequirements));
    if (requirements == nullptr) {
      return kCoreErrorOutOfMemory;
    }
    RwUInt32 r = 0;
    for (RwUInt32 e = 0; e < entryTable->count; ++e) {
      const RwRequirementEntry& entry = entryTable->entries[e];
      if (entry.kind != rwCLUSTER_DONTWANT) {
        requirements[r].clusterDef = entry.clusterDef;
        requirements[r].kind = entry.kind;
        requirements[r].slot = entry.slot;
        ++r;
      }
    }
    RwClusterSort(requirements, numRequirements, sizeof(RwPipelineRequirement),
                  offsetof(RwPipelineRequirement, clusterDef), 0, UINTPTR_MAX);
  }
  pipeline->packet = packet;
  pipeline->packetNumClusterSlots = slotCount;
  pipeline->inputRequirements = requirements;
  pipeline->numInputRequirements = numRequirements;
  return 0;
}

// Swaps the nodes at positions a and b: records, output runs, dependency
// records, and every output index that names either.
void SwapNodes(RwPipeline* pipeline, RwUInt32 a, RwUInt32 b) {
  if (a == b) {
    return;
  }
  RwPipelineNode* nodeA = &pipeline->nodes[a];
  RwPipelineNode* nodeB = &pipeline->nodes[b];
  RwPipelineNode temp = *nodeA;
  *nodeA = *nodeB;
  *nodeB = temp;
  std::swap(nodeA->outputs, nodeB->outputs);
  std::swap(nodeA->dependency, nodeB->dependency);
  RwUInt32 run[rwPIPELINE_NODE_OUTPUT_RUN];
  std::memcpy(run, nodeA->outputs, sizeof(run));
  std::memcpy(nodeA->outputs, nodeB->outputs, sizeof(run));
  std::memcpy(nodeB->outputs, run, sizeof(run));
  std::swap(*nodeA->dependency, *nodeB->dependency);
  for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
    RwPipelineNode* node = &pipeline->nodes[i];
    for (RwUInt32 o = 0; o < node->numOutputs; ++o) {
      if (node->outputs[o] == a) {
        node->outputs[o] = b;
      } else if (node->outputs[o] == b) {
        node->outputs[o] = a;
      }
    }
  }
}

void RwPipelineNodePlace(RwPipeline* pipeline, RwUInt32 index, RwUInt32* cursor) {
  const RwUInt32 position = (*cursor)++;
  SwapNodes(pipeline, index, position);
  RwPipelineNode* node = &pipeline->nodes[position];
  for (RwUInt32 o = 0; o < node->numOutputs; ++o) {
    const RwUInt32 target = node->outputs[o];
    if (target == rwPIPELINE_OUTPUT_UNCONNECTED) {
      continue;
    }
    RwPipelineNodeDependency* dependency = pipeline->nodes[target].dependency;
    if (++dependency->timesReached == dependency->inDegree) {
      RwPipelineNodePlace(pipeline, target, cursor);
    }
  }
}

RwUInt32 CountDistinctClusters(const RwPipeline* pipeline) {
  RwUInt32 count = 0;
  uintptr_t last = 0;
  for (;;) {
    uintptr_t smallest = UINTPTR_MAX;
    bool found = false;
    for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
      const RwNodeDefinition* definition = pipeline->nodes[i].nodeDef;
      for (RwUInt32 k = 0; k < definition->numClustersOfInterest; ++k) {
        const uintptr_t address = reinterpret_cast<uintptr_t>(definition->clustersOfInterest[k].clusterDef);
        if (address > last && address <= smallest) {
          smallest = address;
          found = true;
        }
      }
    }
    if (!found) {
      return count;
    }
    ++count;
    last = smallest;
  }
}

size_t UnlockEstimate(const RwPipeline* pipeline, RwUInt32 numClusters) {
  const size_t n = pipeline->numNodes;
  size_t size = PipeAlignUp(sizeof(RwPipelineNode) * n);
  for (RwUInt32 i = 0; i < n; ++i) {
    const RwNodeDefinition* definition = pipeline->nodes[i].nodeDef;
    size += PipeAlignUp(sizeof(RwUInt32) * definition->numOutputs);
    size += PipeAlignUp(sizeof(RwRequirementTable)) + PipeAlignUp(sizeof(RwRequirementEntry) * numClusters);
    size += PipeAlignUp(sizeof(RwClusterRef*) * kMaxSlots) + PipeAlignUp(sizeof(RwUInt32) * (kMaxSlots + 1));
    size += PipeAlignUp(sizeof(RwUInt32) * definition->numClustersOfInterest);
    size += PipeAlignUp(definition->privateDataSize + 3u);
  }
  size += PipeAlignUp(sizeof(RwPacket)) + PipeAlignUp(sizeof(RwCluster) * kMaxSlots);
  size += PipeAlignUp(sizeof(RwClusterRef) * numClusters);
  size += PipeAlignUp(sizeof(RwPipelineRequirement) * numClusters);
  size += PipeAlignUp(sizeof(RwPipelineNodeDependency) * rwPIPELINE_MAX_NODES) + kPipeAlign;
  return size < kLockedBlockSize ? kLockedBlockSize : size;
}

// Runs the inits of nodes from the last to the first, then their configs.
// On failure every node already initialised is terminated again.
bool InitialiseNodes(RwPipeline* pipeline) {
  const RwUInt32 n = pipeline->numNodes;
  RwUInt32 initialised = 0;  // nodes n - initialised .. n - 1
  bool ok = true;
  for (RwUInt32 i = n; i-- > 0 && ok;) {
    RwPipelineNode* node = &pipeline->nodes[i];
    RwNodeDefinition* definition = node->nodeDef;
    if (definition->useCount++ == 0 && definition->nodeInit != nullptr && !definition->nodeInit(definition)) {
      definition->useCount--;
      ok = false;
      break;
    }
    if (definition->pipelineNodeInit != nullptr && !definition->pipelineNodeInit(node)) {
      ReleaseUse(definition);
      ok = false;
      break;
    }
    ++initialised;
  }
  for (RwUInt32 i = n; i-- > 0 && ok;) {
    RwPipelineNode* node = &pipeline->nodes[i];
    if (node->nodeDef->pipelineNodeConfig != nullptr && !node->nodeDef->pipelineNodeConfig(node, pipeline)) {
      ok = false;
    }
  }
  if (ok) {
    return true;
  }
  for (RwUInt32 i = n - initialised; i < n; ++i) {
    RwPipelineNode* node = &pipeline->nodes[i];
    if (node->nodeDef->pipelineNodeTerm != nullptr) {
      node->nodeDef->pipelineNodeTerm(node);
    }
    ReleaseUse(node->nodeDef);
  }
  return false;
}

// Restores the editing layout after a failed unlock.
void RestoreEditing(RwPipeline* pipeline) {
  ClearNodeTables(pipeline);
  PipeRelayForEditing(pipeline);
}

// Takes back the nodes a failed fragment added (from first on). Only the
// records are undone: the definitions belong to the caller, who may still hold
// an editable one, so destroying the nodes (which frees an editable definition
// no node names any more) would leave the caller a dangling pointer. The new
// nodes have no initialisation data and only link to each other.
void DropFragment(RwPipeline* pipeline, RwUInt32 first) {
  while (pipeline->numNodes > first) {
    const RwUInt32 index = --pipeline->numNodes;
    std::memset(&pipeline->nodes[index], 0, sizeof(RwPipelineNode));
    std::memset(LockedRun(pipeline, index), 0xFF, sizeof(RwUInt32) * rwPIPELINE_NODE_OUTPUT_RUN);
    std::memset(LockedDependency(pipeline, index), 0, sizeof(RwPipelineNodeDependency));
  }
}

}  // namespace

RwBool RwPipelineResizeBlock(RwPipeline* pipeline, RwUInt32 size) {
  RwUInt8* const oldBlock = pipeline->nodeData;
  const uintptr_t oldStart = reinterpret_cast<uintptr_t>(oldBlock);
  const uintptr_t oldEnd = oldStart + pipeline->nodeDataSize;
  auto* block = static_cast<RwUInt8*>(PipeRealloc(oldBlock, size));
  if (block == nullptr) {
    PipeError(kCoreErrorOutOfMemory);
    return false;
  }
  pipeline->nodeData = block;
  pipeline->nodeDataSize = size;
  if (oldBlock == nullptr) {
    return true;
  }
  // Every pointer into the old block moves by the distance the block moved.
  auto rebase = [&](auto*& pointer) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(pointer);
    if (pointer != nullptr && address >= oldStart && address < oldEnd) {
      pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(reinterpret_cast<uintptr_t>(block) +
                                                                             (address - oldStart));
    }
  };
  rebase(pipeline->nodes);
  rebase(pipeline->packet);
  rebase(pipeline->inputRequirements);
  if (pipeline->nodes == nullptr) {
    return true;
  }
  for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
    RwPipelineNode* node = &pipeline->nodes[i];
    rebase(node->outputs);
    rebase(node->slotClusterRefs);
    rebase(node->outputMasks);
    rebase(node->privateData);
    rebase(node->clusterMap);
    rebase(node->dependency);
    if (node->slotClusterRefs != nullptr) {
      for (RwUInt32 s = 0; s < pipeline->packetNumClusterSlots; ++s) {
        rebase(node->slotClusterRefs[s]);
      }
    }
  }
  if (pipeline->packet != nullptr) {
    RwPacket* packet = pipeline->packet;
    rebase(packet->clusterMap);
    rebase(packet->outputMasks);
    rebase(packet->slotClusterRefs);
    rebase(packet->clusters);
    for (RwUInt32 s = 0; s < packet->numClusters && packet->clusters != nullptr; ++s) {
      rebase(packet->clusters[s].clusterRef);
    }
  }
  return true;
}

bool PipeRelayForEditing(RwPipeline* pipeline) {
  if (pipeline->nodeDataSize < kLockedBlockSize && !RwPipelineResizeBlock(pipeline, kLockedBlockSize)) {
    return false;
  }
  const RwUInt32 n = pipeline->numNodes;
  static RwUInt32 outputs[rwPIPELINE_MAX_NODES][rwPIPELINE_NODE_OUTPUT_RUN];
  std::memset(outputs, 0xFF, sizeof(outputs));
  if (pipeline->nodes != nullptr) {
    for (RwUInt32 i = 0; i < n; ++i) {
      const RwPipelineNode* node = &pipeline->nodes[i];
      if (node->outputs != nullptr) {
        std::memcpy(outputs[i], node->outputs, sizeof(RwUInt32) * node->numOutputs);
      }
    }
  }
  pipeline->nodes = reinterpret_cast<RwPipelineNode*>(pipeline->nodeData + kLockedNodesOffset);
  std::memset(&pipeline->nodes[n], 0, sizeof(RwPipelineNode) * (rwPIPELINE_MAX_NODES - n));
  std::memcpy(pipeline->nodeData + kLockedOutputsOffset, outputs, sizeof(outputs));
  std::memset(pipeline->nodeData + kLockedDependencyOffset, 0, sizeof(RwPipelineNodeDependency) * rwPIPELINE_MAX_NODES);
  for (RwUInt32 i = 0; i < n; ++i) {
    pipeline->nodes[i].outputs = LockedRun(pipeline, i);
    pipeline->nodes[i].dependency = LockedDependency(pipeline, i);
  }
  return true;
}

RwBool RwPipelineCopyForEditing(RwPipeline* destination, RwPipeline* source) {
  if (destination == nullptr || source == nullptr) {
    PipeError(kCoreErrorNullArgument);
    return false;
  }
  if (destination == source) {
    return PipeRelayForEditing(destination);
  }
  // A destination that still holds nodes is refused rather than overwritten:
  // overwriting would leak their initialisation data and, when unlocked, their
  // definitions' use counts. Releasing them here instead could free an
  // editable definition the source still names (a locked destination copied
  // from the same source again), so the caller destroys or empties it first.
  if (destination->numNodes > 0) {
    PipeError(kCoreErrorInvalidValue);
    return false;
  }
  if (destination->nodeDataSize < kLockedBlockSize && !RwPipelineResizeBlock(destination, kLockedBlockSize)) {
    return false;
  }
  destination->nodes = reinterpret_cast<RwPipelineNode*>(destination->nodeData + kLockedNodesOffset);
  std::memset(destination->nodeData, 0, kLockedBlockSize);
  const RwUInt32 n = source->numNodes;
  for (RwUInt32 i = 0; i < n; ++i) {
    const RwPipelineNode* from = &source->nodes[i];
    RwPipelineNode* to = &destination->nodes[i];
    *to = *from;
    ClearNodeTable(to);
    to->initializationData = nullptr;
    to->initializationDataSize = 0;
    if (from->initializationData != nullptr && from->initializationDataSize > 0) {
      to->initializationData = PipeMalloc(from->initializationDataSize);
      if (to->initializationData == nullptr) {
        PipeError(kCoreErrorOutOfMemory);
        for (RwUInt32 j = 0; j < i; ++j) {
          PipeFree(destination->nodes[j].initializationData);
        }
        std::memset(destination->nodeData, 0, kLockedBlockSize);
        destination->numNodes = 0;
        return false;
      }
      std::memcpy(to->initializationData, from->initializationData, from->initializationDataSize);
      to->initializationDataSize = from->initializationDataSize;
    }
    to->outputs = LockedRun(destination, i);
    std::memset(to->outputs, 0xFF, sizeof(RwUInt32) * rwPIPELINE_NODE_OUTPUT_RUN);
    if (from->outputs != nullptr) {
      std::memcpy(to->outputs, from->outputs, sizeof(RwUInt32) * from->numOutputs);
    }
    to->dependency = LockedDependency(destination, i);
  }
  destination->numNodes = n;
  destination->entryPoint = source->entryPoint;
  return true;
}

RwPipeline* RwPipelineLock(RwPipeline* pipeline) {
  if (pipeline == nullptr) {
    PipeError(kCoreErrorNullArgument);
    return nullptr;
  }
  if (pipeline->locked) {
    return pipeline;
  }
  if (pipeline->nodeDataSize < kLockedBlockSize && !RwPipelineResizeBlock(pipeline, kLockedBlockSize)) {
    return nullptr;
  }
  // The terms run while each node's private data is still in place.
  for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
    RwPipelineNode* node = &pipeline->nodes[i];
    if (node->nodeDef != nullptr && node->nodeDef->pipelineNodeTerm != nullptr) {
      node->nodeDef->pipelineNodeTerm(node);
    }
    ReleaseUse(node->nodeDef);
  }
  ClearNodeTables(pipeline);
  PipeRelayForEditing(pipeline);
  pipeline->locked = 1;
  return pipeline;
}

RwBool RwPipelineNodeInit(RwPipeline* pipeline, RwPipelineNode* node, RwNodeDefinition* definition) {
  if (pipeline == nullptr || node == nullptr || definition == nullptr) {
    PipeError(kCoreErrorNullArgument);
    return false;
  }
  std::memset(node, 0, sizeof(*node));
  bool ok = true;
  if (definition->numOutputs > kMaxOutputs) {
    PipeError(kPipeErrorTooManyOutputs);
    ok = false;
  }
  if (definition->numClustersOfInterest > kMaxClustersOfInterest) {
    PipeError(kPipeErrorTooManyClusters);
    ok = false;
  }
  if (!ok) {
    return false;
  }
  const RwUInt32 position = static_cast<RwUInt32>(node - pipeline->nodes);
  if (pipeline->numNodes >= PipeMaxNodes() || position >= rwPIPELINE_MAX_NODES) {
    PipeError(kPipeErrorTooManyNodes);
    return false;
  }
  node->nodeDef = definition;
  node->numOutputs = definition->numOutputs;
  node->outputs = LockedRun(pipeline, position);
  std::memset(node->outputs, 0xFF, sizeof(RwUInt32) * rwPIPELINE_NODE_OUTPUT_RUN);
  node->dependency = LockedDependency(pipeline, position);
  std::memset(node->dependency, 0, sizeof(*node->dependency));
  pipeline->numNodes++;
  return true;
}

RwPipeline* RwPipelineAddFragmentArray(RwPipeline* pipeline, RwUInt32* firstIndex, RwNodeDefinition* const* definitions,
                                       RwUInt32 count) {
  if (pipeline == nullptr) {
    PipeError(kCoreErrorNullArgument);
    return nullptr;
  }
  if (!pipeline->locked) {
    PipeError(kPipeErrorNotLocked);
    return nullptr;
  }
  if (count == 0) {
    return nullptr;
  }
  if (pipeline->numNodes + count > PipeMaxNodes()) {
    PipeError(kPipeErrorTooManyNodes);
    return nullptr;
  }
  const RwUInt32 first = pipeline->numNodes;
  for (RwUInt32 i = 0; i < count; ++i) {
    const RwUInt32 index = pipeline->numNodes;
    bool ok = RwPipelineNodeInit(pipeline, &pipeline->nodes[index], definitions[i]);
    if (ok && i > 0) {
      RwPipelineNode* previous = &pipeline->nodes[index - 1];
      ok = previous->numOutputs > 0 && previous->outputs[0] == rwPIPELINE_OUTPUT_UNCONNECTED;
      if (ok) {
        previous->outputs[0] = index;
      }
    }
    if (!ok) {
      DropFragment(pipeline, first);
      return nullptr;
    }
  }
  if (firstIndex != nullptr) {
    *firstIndex = first;
  }
  return pipeline;
}

RwPipeline* RwPipelineAddFragment(RwPipeline* pipeline, RwUInt32* firstIndex, ...) {
  RwNodeDefinition* definitions[rwPIPELINE_MAX_NODES + 1];
  RwUInt32 count = 0;
  va_list arguments;
  va_start(arguments, firstIndex);
  for (RwNodeDefinition* definition = va_arg(arguments, RwNodeDefinition*); definition != nullptr;
       definition = va_arg(arguments, RwNodeDefinition*)) {
    if (count <= rwPIPELINE_MAX_NODES) {
      definitions[count] = definition;
    }
    ++count;
  }
  va_end(arguments);
  if (pipeline != nullptr && pipeline->locked && count > rwPIPELINE_MAX_NODES) {
    PipeError(kPipeErrorTooManyNodes);
    return nullptr;
  }
  return RwPipelineAddFragmentArray(pipeline, firstIndex, definitions, count);
}

RwPipelineNode* RwPipelineFindNodeByName(RwPipeline* pipeline, const char* name, RwPipelineNode* start,
                                         RwUInt32* count) {
  if (count != nullptr) {
    *count = 0xFFFFFFFFu;
  }
  if (pipeline == nullptr || name == nullptr || pipeline->numNodes == 0 || pipeline->nodes == nullptr) {
    return nullptr;
  }
  RwUInt32 i = 0;
  if (start != nullptr) {
    if (start < pipeline->nodes || start >= pipeline->nodes + pipeline->numNodes) {
      return nullptr;  // not a node of this pipeline
    }
    i = static_cast<RwUInt32>(start - pipeline->nodes) + 1;
  }
  for (; i < pipeline->numNodes; ++i) {
    const RwNodeDefinition* definition = pipeline->nodes[i].nodeDef;
    if (definition != nullptr && definition->name != nullptr && PipeStringCompare(definition->name, name) == 0) {
      if (count != nullptr) {
        *count = pipeline->numNodes - i;
      }
      return &pipeline->nodes[i];
    }
  }
  return nullptr;
}

RwPipeline* RwPipelineUnlock(RwPipeline* pipeline) {
  if (pipeline == nullptr) {
    PipeError(kCoreErrorNullArgument);
    return nullptr;
  }
  if (!pipeline->locked) {
    PipeError(kPipeErrorNotLocked);
    return nullptr;
  }
  const RwUInt32 n = pipeline->numNodes;
  if (n == 0) {
    pipeline->locked = 0;
    return pipeline;
  }
  if (pipeline->entryPoint >= n || pipeline->nodes[pipeline->entryPoint].nodeDef == nullptr) {
    PipeError(kPipeErrorBadEntryNode);
    return nullptr;
  }
  for (RwUInt32 i = 0; i < n; ++i) {
    if (pipeline->nodes[i].nodeDef == nullptr) {
      PipeError(kCoreErrorInvalidValue);  // a free record among the nodes
      return nullptr;
    }
  }
  const RwUInt32 numClusters = CountDistinctClusters(pipeline);
  const size_t estimate = UnlockEstimate(pipeline, numClusters);
  if (pipeline->nodeDataSize < estimate && !RwPipelineResizeBlock(pipeline, static_cast<RwUInt32>(estimate))) {
    return nullptr;
  }

  // Dependency order.
  for (RwUInt32 i = 0; i < n; ++i) {
    std::memset(pipeline->nodes[i].dependency, 0, sizeof(RwPipelineNodeDependency));
  }
  for (RwUInt32 i = 0; i < n; ++i) {
    const RwPipelineNode* node = &pipeline->nodes[i];
    for (RwUInt32 o = 0; o < node->numOutputs; ++o) {
      const RwUInt32 target = node->outputs[o];
      if (target == rwPIPELINE_OUTPUT_UNCONNECTED) {
        continue;
      }
      if (target >= n) {
        PipeError(kCoreErrorInvalidValue);  // an output names no node
        return nullptr;
      }
      pipeline->nodes[target].dependency->inDegree++;
    }
  }
  // The entry is checked before the other nodes, whatever its position.
  if (pipeline->nodes[pipeline->entryPoint].dependency->inDegree != 0) {
    PipeError(kPipeErrorBadEntryNode);
    return nullptr;
  }
  for (RwUInt32 i = 0; i < n; ++i) {
    if (i != pipeline->entryPoint && pipeline->nodes[i].dependency->inDegree == 0) {
      PipeError(kPipeErrorNodeWithoutInput);
      return nullptr;
    }
  }
  RwUInt32 cursor = 0;
  RwPipelineNodePlace(pipeline, pipeline->entryPoint, &cursor);
  // Placing moved the entry to the front, even when the order check below fails.
  pipeline->entryPoint = 0;
  for (RwUInt32 i = 0; i < n; ++i) {
    if (pipeline->nodes[i].dependency->timesReached != pipeline->nodes[i].dependency->inDegree) {
      PipeError(kPipeErrorCycle);
      return nullptr;
    }
  }

  // Pack the outputs after the node records; the dependency records go to the top.
  size_t bottom = PipeAlignUp(sizeof(RwPipelineNode) * n);
  for (RwUInt32 i = 0; i < n; ++i) {
    RwPipelineNode* node = &pipeline->nodes[i];
    RwUInt32* packed = reinterpret_cast<RwUInt32*>(pipeline->nodeData + bottom);
    std::memmove(packed, node->outputs, sizeof(RwUInt32) * node->numOutputs);
    node->outputs = packed;
    bottom += PipeAlignUp(sizeof(RwUInt32) * node->numOutputs);
  }
  const size_t top = (pipeline->nodeDataSize - sizeof(RwPipelineNodeDependency) * n) & ~(kPipeAlign - 1);
  auto* dependencies = reinterpret_cast<RwPipelineNodeDependency*>(pipeline->nodeData + top);
  std::memmove(dependencies, LockedDependency(pipeline, 0), sizeof(RwPipelineNodeDependency) * n);
  for (RwUInt32 i = 0; i < n; ++i) {
    pipeline->nodes[i].dependency = &dependencies[i];
  }
  Scratch scratch = {pipeline->nodeData, bottom, top};

  const RwUInt32 error = RwPipelineResolveDependencies(pipeline, &scratch, numClusters);
  if (error != 0) {
    PipeError(error);
    RestoreEditing(pipeline);
    return nullptr;
  }

  for (RwUInt32 i = 0; i < n; ++i) {
    pipeline->nodes[i].dependency = nullptr;
  }
  if (!RwPipelineResizeBlock(pipeline, static_cast<RwUInt32>(PipeAlignUp(scratch.bottom)))) {
    RestoreEditing(pipeline);
    return nullptr;
  }
  if (!InitialiseNodes(pipeline)) {
    RestoreEditing(pipeline);
    return nullptr;
  }
  pipeline->locked = 0;
  return pipeline;
}

void RwClusterSort(void* array, RwUInt32 count, RwUInt32 elementSize, RwUInt32 keyOffset, uintptr_t lowestKey,
                   uintptr_t highestKey) {
  if (array == nullptr || keyOffset + sizeof(uintptr_t) > elementSize || lowestKey >= highestKey) {
    return;
  }
  auto* bytes = static_cast<RwUInt8*>(array);
  auto key = [&](RwUInt32 i) {
    uintptr_t value;
    std::memcpy(&value, bytes + size_t{i} * elementSize + keyOffset, sizeof(value));
    return value;
  };
  auto swap = [&](RwUInt32 a, RwUInt32 b) {
    RwUInt8* x = bytes + size_t{a} * elementSize;
    RwUInt8* y = bytes + size_t{b} * elementSize;
    for (RwUInt32 k = 0; k < elementSize; ++k) {
      std::swap(x[k], y[k]);
    }
  };
  constexpr RwUInt32 kShortRange = 6;
  if (count >= kShortRange) {
    // Radix-exchange partitions on the key bits from the highest down; short
    // ranges are left to the insertion sort below.
    int topBit = 0;
    for (int bit = static_cast<int>(sizeof(uintptr_t) * 8) - 1; bit >= 0; --bit) {
      if (highestKey & (uintptr_t{1} << bit)) {
        topBit = bit;
        break;
      }
    }
    struct Range {
      RwUInt32 low, high;  // inclusive
      int bit;
    };
    Range stack[sizeof(uintptr_t) * 8 * 2 + 2];
    RwUInt32 depth = 0;
    stack[depth++] = {0, count - 1, topBit};
    while (depth > 0) {
      const Range range = stack[--depth];
      if (range.bit < 0 || range.high - range.low + 1 < kShortRange) {
        continue;
      }
      const uintptr_t mask = uintptr_t{1} << range.bit;
      RwUInt32 i = range.low;
      RwUInt32 j = range.high;
      while (i < j) {
        while (i < j && !(key(i) & mask)) {
          ++i;
        }
        while (i < j && (key(j) & mask)) {
          --j;
        }
        if (i < j) {
          swap(i, j);
        }
      }
      // i is the first element with the bit set, or the last of the range.
      RwUInt32 split = i;
      if (!(key(split) & mask)) {
        ++split;
      }
      if (split > range.low) {
        stack[depth++] = {range.low, split - 1, range.bit - 1};
      }
      if (split <= range.high) {
        stack[depth++] = {split, range.high, range.bit - 1};
      }
    }
    RwUInt32 smallest = 0;
    for (RwUInt32 i = 1; i < kShortRange - 1; ++i) {
      if (key(i) < key(smallest)) {
        smallest = i;
      }
    }
    swap(0, smallest);
  }
  for (RwUInt32 i = 1; i < count; ++i) {
    for (RwUInt32 j = i; j > 0 && key(j - 1) > key(j); --j) {
      swap(j - 1, j);
    }
  }
}
