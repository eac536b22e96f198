// Pipelines: ordered sets of nodes, each an instance of a node definition whose
// body does part of the drawing work and may pass it on through an output.
// Holds the pipeline, node, packet and heap records, execution and editing.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwPipeline;
struct RwPipelineNode;
struct RwNodeDefinition;
struct RwPipelineHeap;
struct RwPipelineNodeDependency;

// What a node body receives besides its own node.
struct RwPipelineNodeParams {
  void* dataParam;  // the user data given to RwPipelineExecute
  RwPipelineHeap* heap;
};

typedef RwInt32 (*RwNodeBodyFunction)(RwPipelineNode* self, const RwPipelineNodeParams* params);
typedef RwBool (*RwNodeInitFunction)(RwNodeDefinition* definition);
typedef void (*RwNodeTermFunction)(RwNodeDefinition* definition);
typedef RwBool (*RwPipelineNodeInitFunction)(RwPipelineNode* node);
typedef void (*RwPipelineNodeTermFunction)(RwPipelineNode* node);
typedef RwBool (*RwPipelineNodeConfigFunction)(RwPipelineNode* node, RwPipeline* pipeline);
typedef RwUInt32 (*RwConfigMessageHandler)(RwPipelineNode* node, RwUInt32 message, RwUInt32 intParam, void* ptrParam);

// A kind of data that travels in a packet slot (vertices, indices, ...).
struct RwClusterDefinition {
  const char* name;
  RwUInt32 defaultStride;
  RwUInt32 defaultAttributes;  // copied into every reference to the cluster
  const char* attributeSet;
};

// One per distinct cluster of an unlocked pipeline; packet slots point at it.
struct RwClusterRef {
  RwClusterDefinition* clusterDef;
  RwUInt32 attributes;
};

struct RwClusterOfInterest {
  RwClusterDefinition* clusterDef;
  RwUInt32 creates;  // nonzero when the node makes the cluster itself
  RwUInt32 reserved;
};

// Input requirement kinds, one per cluster of interest.
enum RwClusterRequirement : RwUInt32 {
  rwCLUSTER_DONTWANT = 0,
  rwCLUSTER_REQUIRED = 1,  // the cluster must reach the node
  rwCLUSTER_OPTIONAL = 2,  // the node takes the cluster when it is there
};

// What an output does with a cluster.
enum RwClusterDisposition : RwUInt32 {
  rwCLUSTER_IGNORE = 0,   // left alone: what follows needs it from further up
  rwCLUSTER_VALID = 1,    // passed out valid
  rwCLUSTER_INVALID = 2,  // dropped
};

struct RwNodeOutput {
  const char* name;
  RwUInt32* clusterDispositions;  // one per cluster of interest, or null
  RwUInt32 allOtherClusters;      // disposition of every other cluster
};

struct RwNodeDefinition {
  const char* name;
  RwNodeBodyFunction body;
  RwNodeInitFunction nodeInit;  // first unlocked node using the definition
  RwNodeTermFunction nodeTerm;  // last one gone
  RwPipelineNodeInitFunction pipelineNodeInit;
  RwPipelineNodeTermFunction pipelineNodeTerm;
  RwPipelineNodeConfigFunction pipelineNodeConfig;
  RwConfigMessageHandler configMessageHandler;
  RwUInt32 numClustersOfInterest;  // at most 32
  RwClusterOfInterest* clustersOfInterest;
  RwUInt32* inputRequirements;  // RwClusterRequirement per cluster of interest
  RwUInt32 numOutputs;          // at most 32
  RwNodeOutput* outputs;
  RwUInt32 privateDataSize;
  RwUInt32 editable;  // the definition was allocated and is freed with its last user
  RwUInt32 useCount;  // unlocked pipeline nodes using it
};

enum { rwCLUSTER_EXTERNAL = 2 };  // RwCluster flag: data is not the heap's

struct RwCluster {
  RwUInt32 flags;
  void* data;
  void* cursor;
  RwUInt32 numAlloced;
  RwUInt32 numUsed;
  RwClusterRef* clusterRef;  // non-null while the slot is in use
  RwUInt32 attributes;
};

// The pipeline's one packet; it carries the receiving node's tables.
struct RwPacket {
  RwUInt16 flags;
  RwUInt16 numClusters;
  RwPipeline* pipeline;
  RwUInt32* clusterMap;
  RwUInt32* outputMasks;
  RwClusterRef** slotClusterRefs;
  RwCluster* clusters;  // numClusters slots
};

enum { rwPIPELINE_OUTPUT_UNCONNECTED = 0xFFFFFFFFu, rwPIPELINE_NO_SLOT = 0xFFFFFFFFu };

struct RwPipelineNode {
  RwNodeDefinition* nodeDef;  // null marks a free record
  RwUInt32 numOutputs;
  RwUInt32* outputs;                     // node indices, rwPIPELINE_OUTPUT_UNCONNECTED when open
  RwClusterRef** slotClusterRefs;        // per packet slot
  RwUInt32* outputMasks;                 // [0] AND of all, [1 + slot] outputs the slot continues through
  void* privateData;                     // the definition's private data size, zeroed at unlock
  RwUInt32* clusterMap;                  // packet slot per cluster of interest
  RwPipelineNodeDependency* dependency;  // only while editing and unlocking
  void* initializationData;              // node-owned copy
  RwUInt32 initializationDataSize;
};

enum RwPacketState : RwUInt32 {
  rwPACKET_NONE = 0,
  rwPACKET_RELEASED = 1,
  rwPACKET_LIVE = 2,
  rwPACKET_PASSED = 3,
};

struct RwPipelineRequirement {
  RwClusterDefinition* clusterDef;
  RwUInt32 kind;  // rwCLUSTER_REQUIRED or rwCLUSTER_OPTIONAL
  RwUInt32 slot;
};

enum RwPipelineOwner : RwUInt32 {
  rwPIPELINE_OWNER_IM3D = 1,
  rwPIPELINE_OWNER_WORLD = 2,
};

struct RwPipeline {
  RwUInt32 locked;
  RwUInt32 numNodes;
  RwPipelineNode* nodes;
  RwUInt32 packetNumClusterSlots;
  RwUInt32 packetState;  // RwPacketState
  RwPacket* packet;
  RwUInt32 numInputRequirements;
  RwPipelineRequirement* inputRequirements;  // sorted by cluster definition address
  RwUInt8* nodeData;                         // one block: nodes, tables, packet
  RwUInt32 nodeDataSize;
  RwUInt32 entryPoint;
  RwUInt32 ownerTag;    // RwPipelineOwner or a plugin id
  RwUInt32 pluginData;  // the owner's data word, stored with an atomic's right to render
};

// The pipeline module's data in the engine instance.
struct RwRenderStateVector {
  RwUInt32 words[11];
};

struct RwPipelineGlobals {
  struct RwFreeList* pipelineFreeList;
  RwRenderStateVector defaultRenderState;
  RwUInt32 unused[2];
  RwUInt32 maxNodesPerPipeline;
  RwPipeline* defaultAtomicPipeline;
  RwPipeline* defaultWorldSectorPipeline;
  RwPipeline* d3d8AtomicAllInOnePipeline;
  RwPipeline* d3d8WorldSectorAllInOnePipeline;
};

enum {
  rwPIPELINE_PLUGIN_ID = 0x409,
  rwPIPELINE_MAX_NODES = 64,
  rwPIPELINE_NODE_OUTPUT_RUN = 32,  // output words per node while editing
  rwPIPELINE_HEAP_SIZE = 4096,
};

RwPipelineGlobals* RwPipelineGetGlobals();

// Pipelines and execution.
RwPipeline* RwPipelineCreate();
void RwPipelineDestroy(RwPipeline* pipeline);
RwPipelineNode* RwPipelineNodeDestroy(RwPipelineNode* node, RwPipeline* pipeline);
RwPipeline* RwPipelineExecute(RwPipeline* pipeline, void* data, RwBool resetHeap);
RwPipelineNode* RwPipelineNodeFollowOutput(RwPipeline* pipeline, RwPipelineNode* node, RwUInt32 output);
// Passes the work of a running node on through one of its outputs: follows the
// output and runs the body it leads to. False when that body failed.
RwBool RwPipelineNodeSendToOutput(RwPipelineNode* node, RwUInt32 output, const RwPipelineNodeParams* params);
// Makes the running pipeline's packet live with the given node's tables.
RwPacket* RwPacketCreate(RwPipeline* pipeline, RwPipelineNode* node);
void RwPacketDestroy(RwPacket* packet);
RwPipelineHeap* RwPipelineGetHeap();
RwRenderStateVector* RwRenderStateVectorSetDefault(RwRenderStateVector* vector);

// Editing (lock, add fragments, unlock).
RwPipeline* RwPipelineLock(RwPipeline* pipeline);
RwPipeline* RwPipelineUnlock(RwPipeline* pipeline);
// Definitions follow firstIndex, ending with a null.
RwPipeline* RwPipelineAddFragment(RwPipeline* pipeline, RwUInt32* firstIndex, ...);
RwPipeline* RwPipelineAddFragmentArray(RwPipeline* pipeline, RwUInt32* firstIndex, RwNodeDefinition* const* definitions,
                                       RwUInt32 count);
RwBool RwPipelineNodeInit(RwPipeline* pipeline, RwPipelineNode* node, RwNodeDefinition* definition);
RwPipelineNode* RwPipelineFindNodeByName(RwPipeline* pipeline, const char* name, RwPipelineNode* start,
                                         RwUInt32* count);
RwBool RwPipelineResizeBlock(RwPipeline* pipeline, RwUInt32 size);
// Copies the source's nodes into an empty destination laid out for editing
// (in place when both are the same); a destination holding nodes is refused.
RwBool RwPipelineCopyForEditing(RwPipeline* destination, RwPipeline* source);
void RwClusterSort(void* array, RwUInt32 count, RwUInt32 elementSize, RwUInt32 keyOffset, uintptr_t lowestKey,
                   uintptr_t highestKey);

// The pipeline heap: superblocks cut into blocks with 32-byte headers.
RwPipelineHeap* RwHeapCreate(RwUInt32 size);
void RwHeapDestroy(RwPipelineHeap* heap);
RwBool RwHeapReset(RwPipelineHeap* heap);
// First-fit allocation of a payload; null when no free block is large enough.
void* RwHeapMalloc(RwPipelineHeap* heap, RwUInt32 size);
void RwHeapFree(RwPipelineHeap* heap, void* payload);
// Number of free blocks and the payload size of the i-th one (for inspection).
RwUInt32 RwHeapGetNumFreeBlocks(const RwPipelineHeap* heap);
RwUInt32 RwHeapGetFreeBlockSize(const RwPipelineHeap* heap, RwUInt32 index);
RwUInt32 RwHeapGetSuperBlockSize(const RwPipelineHeap* heap);
