// Pipelines: creation and execution, packets, the heap, editing and unlocking
// with dependency ordering and cluster requirement resolution.
#include "engine/src/pipe/p2/pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "tests/engine/src/pipe/p2/engine_fixture.h"

namespace {

using pipes_test::EngineTest;

constexpr RwUInt32 kNullArgument = 0x80000016u;
constexpr RwUInt32 kNoError = 0x80000000u;

RwClusterDefinition gClusterX = {"X", 4, 0x11, nullptr};
RwClusterDefinition gClusterY = {"Y", 4, 0x22, nullptr};

// A node definition built up by tests: name, outputs, clusters of interest.
struct TestNode {
  std::string name;
  std::vector<RwClusterOfInterest> clusters;
  std::vector<RwUInt32> requirements;
  std::vector<std::vector<RwUInt32>> dispositions;  // per output, per cluster
  std::vector<RwUInt32> otherDisposition;           // per output
  std::vector<RwNodeOutput> outputs;
  RwNodeDefinition definition = {};

  TestNode(const std::string& nodeName, RwUInt32 numOutputs) : name(nodeName) {
    dispositions.resize(numOutputs);
    otherDisposition.assign(numOutputs, rwCLUSTER_IGNORE);
    Build();
  }

  // Adds a cluster of interest with a requirement and the same disposition on every output.
  TestNode& Cluster(RwClusterDefinition* cluster, RwUInt32 requirement, RwUInt32 disposition, bool creates = false) {
    clusters.push_back({cluster, creates ? 1u : 0u, 0});
    requirements.push_back(requirement);
    for (auto& perOutput : dispositions) {
      perOutput.push_back(disposition);
    }
    Build();
    return *this;
  }

  TestNode& Disposition(RwUInt32 output, RwUInt32 cluster, RwUInt32 value) {
    dispositions[output][cluster] = value;
    Build();
    return *this;
  }

  void Build() {
    outputs.clear();
    for (size_t o = 0; o < dispositions.size(); ++o) {
      outputs.push_back({"out", dispositions[o].empty() ? nullptr : dispositions[o].data(), otherDisposition[o]});
    }
    definition.name = name.c_str();
    definition.numClustersOfInterest = static_cast<RwUInt32>(clusters.size());
    definition.clustersOfInterest = clusters.empty() ? nullptr : clusters.data();
    definition.inputRequirements = requirements.empty() ? nullptr : requirements.data();
    definition.numOutputs = static_cast<RwUInt32>(outputs.size());
    definition.outputs = outputs.empty() ? nullptr : outputs.data();
  }

  RwNodeDefinition* Def() { return &definition; }
};

class PipelineTest : public EngineTest {
 protected:
  void TearDown() override {
    for (RwPipeline* pipeline : pipelines_) {
      RwPipelineDestroy(pipeline);
    }
    EngineTest::TearDown();
  }

  RwPipeline* NewLocked() {
    RwPipeline* pipeline = RwPipelineCreate();
    EXPECT_NE(pipeline, nullptr);
    pipelines_.push_back(pipeline);
    EXPECT_EQ(RwPipelineLock(pipeline), pipeline);
    return pipeline;
  }

  // Adds single nodes and returns their indices.
  RwUInt32 Add(RwPipeline* pipeline, TestNode& node) {
    RwUInt32 index = 0xFFFFFFFF;
    EXPECT_EQ(RwPipelineAddFragment(pipeline, &index, node.Def(), nullptr), pipeline);
    return index;
  }

  static void Connect(RwPipeline* pipeline, RwUInt32 from, RwUInt32 output, RwUInt32 to) {
    pipeline->nodes[from].outputs[output] = to;
  }

  static RwUInt32 IndexOf(RwPipeline* pipeline, const char* name) {
    for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
      if (std::string(pipeline->nodes[i].nodeDef->name) == name) {
        return i;
      }
    }
    return 0xFFFFFFFF;
  }

  // Definitions live as long as the test's pipelines.
  TestNode& Node(const char* name, RwUInt32 numOutputs) {
    nodes_.emplace_back(name, numOutputs);
    return nodes_.back();
  }

  std::vector<RwPipeline*> pipelines_;
  std::deque<TestNode> nodes_;
};

// --- Execution -------------------------------------------------------------

struct ExecutionLog {
  std::vector<std::string> visited;
  void* data = nullptr;
  RwPipelineHeap* heap = nullptr;
  RwInt32 entryResult = 1;
} gExecution;

RwInt32 RecordingBody(RwPipelineNode* self, const RwPipelineNodeParams* params) {
  gExecution.visited.push_back(self->nodeDef->name);
  gExecution.data = params->dataParam;
  gExecution.heap = params->heap;
  if (self->numOutputs > 0) {
    return RwPipelineNodeSendToOutput(self, 0, params) ? 1 : 0;
  }
  return gExecution.entryResult;
}

TEST_F(PipelineTest, ExecuteRunsTheEntryAndFollowsOutputs) {
  gExecution = ExecutionLog();
  TestNode& first = Node("first", 1);
  TestNode& second = Node("second", 0);
  first.definition.body = RecordingBody;
  second.definition.body = RecordingBody;
  RwPipeline* pipeline = NewLocked();
  ASSERT_EQ(RwPipelineAddFragment(pipeline, nullptr, first.Def(), second.Def(), nullptr), pipeline);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);

  int data = 7;
  EXPECT_EQ(RwPipelineExecute(pipeline, &data, TRUE), pipeline);
  EXPECT_EQ(gExecution.visited, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(gExecution.data, &data);
  EXPECT_EQ(gExecution.heap, RwPipelineGetHeap());

  gExecution.visited.clear();
  gExecution.entryResult = 0;  // the last body fails, so the execution does
  EXPECT_EQ(RwPipelineExecute(pipeline, &data, FALSE), nullptr);
  EXPECT_EQ(pipeline->packetState, static_cast<RwUInt32>(rwPACKET_NONE));
  gExecution.entryResult = 1;
  EXPECT_EQ(RwPipelineExecute(pipeline, &data, FALSE), pipeline) << "a failed run leaves the pipeline usable";
}

TEST_F(PipelineTest, ExecuteSkipsAMissingBodyAndRefusesALockedPipeline) {
  gExecution = ExecutionLog();
  TestNode& empty = Node("empty", 0);
  RwPipeline* pipeline = NewLocked();
  ASSERT_EQ(RwPipelineAddFragment(pipeline, nullptr, empty.Def(), nullptr), pipeline);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(RwPipelineExecute(pipeline, nullptr, TRUE), pipeline) << "a node without a body does nothing";

  empty.definition.body = RecordingBody;
  ASSERT_EQ(RwPipelineLock(pipeline), pipeline);
  EXPECT_EQ(RwPipelineExecute(pipeline, nullptr, TRUE), nullptr);
  EXPECT_TRUE(gExecution.visited.empty()) << "no body runs while the pipeline is being edited";
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(RwPipelineExecute(pipeline, nullptr, TRUE), pipeline);
  EXPECT_EQ(gExecution.visited.size(), 1u);
}

TEST_F(PipelineTest, FollowingAnUnconnectedOutputReturnsNull) {
  TestNode& only = Node("only", 2);
  RwPipeline* pipeline = NewLocked();
  Add(pipeline, only);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(RwPipelineNodeFollowOutput(pipeline, &pipeline->nodes[0], 0), nullptr);
  EXPECT_EQ(RwPipelineNodeFollowOutput(pipeline, &pipeline->nodes[0], 5), nullptr);
}

// The maker creates X and Y in heap memory and passes only X on.
RwInt32 MakerBody(RwPipelineNode* self, const RwPipelineNodeParams* params) {
  RwPipeline* pipeline = static_cast<RwPipeline*>(params->dataParam);
  RwPacket* packet = RwPacketCreate(pipeline, self);
  if (packet == nullptr) {
    return 0;
  }
  for (RwUInt32 k = 0; k < self->nodeDef->numClustersOfInterest; ++k) {
    RwCluster* cluster = &packet->clusters[self->clusterMap[k]];
    cluster->data = RwHeapMalloc(params->heap, 64);
    cluster->clusterRef = self->slotClusterRefs[self->clusterMap[k]];
  }
  return RwPipelineNodeSendToOutput(self, 0, params) ? 1 : 0;
}

struct SlotsSeen {
  bool xLive = false;
  bool yLive = false;
} gSlots;

RwInt32 TakerBody(RwPipelineNode* self, const RwPipelineNodeParams* params) {
  RwPipeline* pipeline = static_cast<RwPipeline*>(params->dataParam);
  for (RwUInt32 s = 0; s < pipeline->packet->numClusters; ++s) {
    const RwCluster& cluster = pipeline->packet->clusters[s];
    if (cluster.clusterRef != nullptr && cluster.clusterRef->clusterDef == &gClusterX) {
      gSlots.xLive = true;
    }
    if (cluster.clusterRef != nullptr && cluster.clusterRef->clusterDef == &gClusterY) {
      gSlots.yLive = true;
    }
  }
  (void)self;
  return 1;
}

TEST_F(PipelineTest, FollowingAnOutputReleasesTheClustersItDrops) {
  gSlots = SlotsSeen();
  TestNode& maker = Node("maker", 1);
  TestNode& taker = Node("taker", 0);
  maker.Cluster(&gClusterX, rwCLUSTER_DONTWANT, rwCLUSTER_VALID, true)
      .Cluster(&gClusterY, rwCLUSTER_DONTWANT, rwCLUSTER_INVALID, true);
  taker.Cluster(&gClusterX, rwCLUSTER_REQUIRED, rwCLUSTER_VALID);
  maker.definition.body = MakerBody;
  taker.definition.body = TakerBody;
  RwPipeline* pipeline = NewLocked();
  ASSERT_EQ(RwPipelineAddFragment(pipeline, nullptr, maker.Def(), taker.Def(), nullptr), pipeline);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(pipeline->packetNumClusterSlots, 2u);
  EXPECT_EQ(pipeline->numInputRequirements, 0u) << "X is made inside the pipeline";

  RwPipelineHeap* heap = RwPipelineGetHeap();
  const RwUInt32 wholeHeap = RwHeapGetFreeBlockSize(heap, 0);
  ASSERT_EQ(RwPipelineExecute(pipeline, pipeline, TRUE), pipeline);
  EXPECT_TRUE(gSlots.xLive);
  EXPECT_FALSE(gSlots.yLive) << "Y was released when the maker passed the packet on";
  EXPECT_EQ(pipeline->packetState, static_cast<RwUInt32>(rwPACKET_RELEASED));
  // Both blocks went back to the heap and merged into one.
  ASSERT_EQ(RwHeapGetNumFreeBlocks(heap), 1u);
  EXPECT_EQ(RwHeapGetFreeBlockSize(heap, 0), wholeHeap);
}

// --- Heap --------------------------------------------------------------------

TEST_F(PipelineTest, HeapSizesAndMerging) {
  RwPipelineHeap* small = RwHeapCreate(100);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(RwHeapGetSuperBlockSize(small), 1024u);
  ASSERT_EQ(RwHeapGetNumFreeBlocks(small), 1u);
  const RwUInt32 whole = RwHeapGetFreeBlockSize(small, 0);
  EXPECT_EQ(whole, 1024u - 64u);

  void* a = RwHeapMalloc(small, 64);
  void* b = RwHeapMalloc(small, 32);
  void* c = RwHeapMalloc(small, 96);
  void* guard = RwHeapMalloc(small, 32);
  ASSERT_TRUE(a && b && c && guard);
  EXPECT_EQ(static_cast<RwUInt8*>(b) - static_cast<RwUInt8*>(a), 64 + 32);
  EXPECT_EQ(RwHeapMalloc(small, 4096), nullptr);
  EXPECT_EQ(RwHeapMalloc(small, 0xFFFFFFF0u), nullptr) << "a size whose rounding wraps is refused";

  RwHeapFree(small, a);
  RwHeapFree(small, c);
  EXPECT_EQ(RwHeapGetNumFreeBlocks(small), 3u);
  RwHeapFree(small, b);
  // a absorbed b and c with their two headers.
  ASSERT_EQ(RwHeapGetNumFreeBlocks(small), 2u);
  std::vector<RwUInt32> sizes = {RwHeapGetFreeBlockSize(small, 0), RwHeapGetFreeBlockSize(small, 1)};
  EXPECT_NE(std::find(sizes.begin(), sizes.end(), 64u + 32u + 96u + 2u * 32u), sizes.end());

  RwHeapFree(small, guard);
  ASSERT_EQ(RwHeapGetNumFreeBlocks(small), 1u);
  EXPECT_EQ(RwHeapGetFreeBlockSize(small, 0), whole);

  RwHeapMalloc(small, 200);
  EXPECT_TRUE(RwHeapReset(small));
  ASSERT_EQ(RwHeapGetNumFreeBlocks(small), 1u);
  EXPECT_EQ(RwHeapGetFreeBlockSize(small, 0), whole);
  RwHeapDestroy(small);
  RwHeapDestroy(nullptr);

  EXPECT_EQ(RwHeapCreate(0xFFFFFFF0u), nullptr) << "a size whose rounding wraps is refused";
  EXPECT_EQ(TakeErrorCode(), 0x80000013u);
}

TEST_F(PipelineTest, HeapFreeEntriesGrowPastTheirFirstCapacity) {
  RwPipelineHeap* heap = RwHeapCreate(8192);
  ASSERT_NE(heap, nullptr);
  std::vector<void*> blocks;
  for (int i = 0; i < 80; ++i) {
    blocks.push_back(RwHeapMalloc(heap, 32));
    ASSERT_NE(blocks.back(), nullptr);
  }
  for (size_t i = 0; i < blocks.size(); i += 2) {
    RwHeapFree(heap, blocks[i]);  // no neighbours free: one entry each
  }
  EXPECT_EQ(RwHeapGetNumFreeBlocks(heap), 41u);
  for (size_t i = 1; i < blocks.size(); i += 2) {
    RwHeapFree(heap, blocks[i]);
  }
  ASSERT_EQ(RwHeapGetNumFreeBlocks(heap), 1u);
  EXPECT_EQ(RwHeapGetFreeBlockSize(heap, 0), 8192u - 64u);
  RwHeapDestroy(heap);
}

// --- Render-state vector --------------------------------------------------

TEST_F(PipelineTest, RenderStateVectorDefaults) {
  EXPECT_EQ(RwRenderStateVectorSetDefault(nullptr), nullptr);
  EXPECT_EQ(TakeErrorCode(), kNullArgument);
  RwRenderStateVector vector;
  std::memset(&vector, 0xAB, sizeof(vector));
  ASSERT_EQ(RwRenderStateVectorSetDefault(&vector), &vector);
  const RwUInt32 expected[11] = {7, 2, 5, 6, 0, 1, 1, 2, 0xFFFFFFFF, 0, 0xFFFFFFFF};
  EXPECT_EQ(std::memcmp(vector.words, expected, sizeof(expected)), 0);
}

// --- Fragments ------------------------------------------------------------

TEST_F(PipelineTest, AddFragmentErrors) {
  TestNode& a = Node("a", 1);
  TestNode& b = Node("b", 1);
  TestNode& noOutputs = Node("none", 0);
  {
    SCOPED_TRACE("null pipeline");
    EXPECT_EQ(RwPipelineAddFragment(nullptr, nullptr, a.Def(), nullptr), nullptr);
    EXPECT_EQ(TakeErrorCode(), kNullArgument);
  }
  {
    SCOPED_TRACE("not locked");
    RwPipeline* pipeline = RwPipelineCreate();
    pipelines_.push_back(pipeline);
    EXPECT_EQ(RwPipelineAddFragment(pipeline, nullptr, a.Def(), nullptr), nullptr);
    EXPECT_EQ(TakeErrorCode(), 52u);
  }
  RwPipeline* pipeline = NewLocked();
  {
    SCOPED_TRACE("empty list");
    EXPECT_EQ(RwPipelineAddFragment(pipeline, nullptr, nullptr), nullptr);
    EXPECT_EQ(TakeErrorCode(), kNoError);
  }
  {
    SCOPED_TRACE("first of three has no outputs");
    EXPECT_EQ(RwPipelineAddFragment(pipeline, nullptr, noOutputs.Def(), a.Def(), b.Def(), nullptr), nullptr);
    EXPECT_EQ(pipeline->numNodes, 0u);
  }
  {
    SCOPED_TRACE("too many outputs and clusters");
    TestNode& wide = Node("wide", 33);
    for (int k = 0; k < 33; ++k) {
      wide.Cluster(&gClusterX, rwCLUSTER_DONTWANT, rwCLUSTER_VALID);
    }
    EXPECT_EQ(RwPipelineAddFragment(pipeline, nullptr, wide.Def(), nullptr), nullptr);
    RwErrorRecord record = TakeError();
    EXPECT_EQ(record.errorCode, 41) << "the first error recorded wins";
    EXPECT_EQ(pipeline->numNodes, 0u);
  }
  {
    SCOPED_TRACE("too many nodes");
    std::vector<RwNodeDefinition*> many(65, a.Def());
    EXPECT_EQ(RwPipelineAddFragmentArray(pipeline, nullptr, many.data(), 65), nullptr);
    EXPECT_EQ(TakeErrorCode(), 42u);
    for (int i = 0; i < 64; ++i) {
      ASSERT_NE(RwPipelineAddFragment(pipeline, nullptr, noOutputs.Def(), nullptr), nullptr);
    }
    EXPECT_EQ(RwPipelineAddFragment(pipeline, nullptr, noOutputs.Def(), nullptr), nullptr);
    EXPECT_EQ(TakeErrorCode(), 42u);
  }
}

TEST_F(PipelineTest, FragmentsChainThroughTheFirstOutput) {
  TestNode& a = Node("a", 2);
  TestNode& b = Node("b", 1);
  TestNode& c = Node("c", 0);
  RwPipeline* pipeline = NewLocked();
  RwUInt32 first = 99;
  ASSERT_EQ(RwPipelineAddFragment(pipeline, &first, a.Def(), b.Def(), c.Def(), nullptr), pipeline);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(pipeline->nodes[0].outputs[0], 1u);
  EXPECT_EQ(pipeline->nodes[0].outputs[1], static_cast<RwUInt32>(rwPIPELINE_OUTPUT_UNCONNECTED));
  EXPECT_EQ(pipeline->nodes[1].outputs[0], 2u);

  RwUInt32 count = 0;
  EXPECT_EQ(RwPipelineFindNodeByName(pipeline, "b", nullptr, &count), &pipeline->nodes[1]);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(RwPipelineFindNodeByName(pipeline, "a", &pipeline->nodes[0], &count), nullptr);
  EXPECT_EQ(count, 0xFFFFFFFFu);
  EXPECT_EQ(RwPipelineFindNodeByName(pipeline, nullptr, nullptr, &count), nullptr);
}

TEST_F(PipelineTest, RemovingANodeFromALockedPipelineRenumbersOutputs) {
  TestNode& a = Node("a", 3);
  TestNode& b = Node("b", 1);
  TestNode& c = Node("c", 1);
  TestNode& d = Node("d", 0);
  RwPipeline* pipeline = NewLocked();
  for (TestNode* node : {&a, &b, &c, &d}) {
    Add(pipeline, *node);
  }
  Connect(pipeline, 0, 0, 1);
  Connect(pipeline, 0, 1, 2);
  Connect(pipeline, 0, 2, 3);
  Connect(pipeline, 2, 0, 3);
  RwPipelineNodeDestroy(&pipeline->nodes[1], pipeline);
  ASSERT_EQ(pipeline->numNodes, 3u);
  EXPECT_STREQ(pipeline->nodes[1].nodeDef->name, "c");
  EXPECT_EQ(pipeline->nodes[0].outputs[0], static_cast<RwUInt32>(rwPIPELINE_OUTPUT_UNCONNECTED));
  EXPECT_EQ(pipeline->nodes[0].outputs[1], 1u);
  EXPECT_EQ(pipeline->nodes[0].outputs[2], 2u);
  EXPECT_EQ(pipeline->nodes[1].outputs[0], 2u);
}

// --- Unlock: graph checks and ordering -------------------------------------

TEST_F(PipelineTest, UnlockStates) {
  RwPipeline* pipeline = NewLocked();
  EXPECT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(pipeline->locked, 0u);
  EXPECT_EQ(RwPipelineUnlock(pipeline), nullptr);
  EXPECT_EQ(TakeErrorCode(), 52u);
  EXPECT_EQ(RwPipelineUnlock(nullptr), nullptr);
  EXPECT_EQ(TakeErrorCode(), kNullArgument);
}

TEST_F(PipelineTest, UnlockGraphErrors) {
  struct Case {
    const char* name;
    void (*wire)(RwPipeline*);
    RwUInt32 error;
  };
  const Case cases[] = {
      {"entry out of range", [](RwPipeline* p) { p->entryPoint = 7; }, 36},
      {"entry with an input",
       [](RwPipeline* p) {
         Connect(p, 0, 0, 1);
         Connect(p, 1, 0, 0);
       },
       36},
      {"node without input", [](RwPipeline* p) { Connect(p, 0, 0, 1); }, 34},
      {"entry with an input after a node without one",
       [](RwPipeline* p) {
         p->entryPoint = 2;
         Connect(p, 1, 0, 2);
         Connect(p, 2, 0, 1);
       },
       36},
      {"cycle",
       [](RwPipeline* p) {
         Connect(p, 0, 0, 1);
         Connect(p, 1, 0, 2);
         Connect(p, 2, 0, 1);
       },
       28},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestNode& n0 = Node("n0", 1);
    TestNode& n1 = Node("n1", 1);
    TestNode& n2 = Node("n2", 1);
    RwPipeline* pipeline = NewLocked();
    Add(pipeline, n0);
    Add(pipeline, n1);
    Add(pipeline, n2);
    c.wire(pipeline);
    EXPECT_EQ(RwPipelineUnlock(pipeline), nullptr);
    EXPECT_EQ(TakeErrorCode(), c.error);
    EXPECT_EQ(pipeline->locked, 1u);
  }
}

TEST_F(PipelineTest, AFailedOrderingKeepsTheEntryNamed) {
  // Added as a, b, entry; entry->a, a->b, b->a: a cycle behind the entry.
  TestNode& a = Node("a", 1);
  TestNode& b = Node("b", 1);
  TestNode& entry = Node("entry", 1);
  RwPipeline* pipeline = NewLocked();
  Add(pipeline, a);
  Add(pipeline, b);
  Add(pipeline, entry);
  pipeline->entryPoint = 2;
  Connect(pipeline, 2, 0, 0);
  Connect(pipeline, 0, 0, 1);
  Connect(pipeline, 1, 0, 0);
  EXPECT_EQ(RwPipelineUnlock(pipeline), nullptr);
  EXPECT_EQ(TakeErrorCode(), 28u);
  EXPECT_STREQ(pipeline->nodes[pipeline->entryPoint].nodeDef->name, "entry");

  // Breaking the cycle lets the same pipeline unlock.
  pipeline->nodes[IndexOf(pipeline, "b")].outputs[0] = rwPIPELINE_OUTPUT_UNCONNECTED;
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_STREQ(pipeline->nodes[0].nodeDef->name, "entry");
}

TEST_F(PipelineTest, UnlockPutsNodesInDependencyOrder) {
  // Added as: sink, left, entry, right, join; edges entry->left, entry->right,
  // left->join, right->join, join->sink.
  TestNode& sink = Node("sink", 0);
  TestNode& left = Node("left", 1);
  TestNode& entry = Node("entry", 2);
  TestNode& right = Node("right", 1);
  TestNode& join = Node("join", 1);
  RwPipeline* pipeline = NewLocked();
  const RwUInt32 iSink = Add(pipeline, sink);
  const RwUInt32 iLeft = Add(pipeline, left);
  const RwUInt32 iEntry = Add(pipeline, entry);
  const RwUInt32 iRight = Add(pipeline, right);
  const RwUInt32 iJoin = Add(pipeline, join);
  Connect(pipeline, iEntry, 0, iLeft);
  Connect(pipeline, iEntry, 1, iRight);
  Connect(pipeline, iLeft, 0, iJoin);
  Connect(pipeline, iRight, 0, iJoin);
  Connect(pipeline, iJoin, 0, iSink);
  pipeline->entryPoint = iEntry;
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);

  EXPECT_EQ(pipeline->entryPoint, 0u);
  EXPECT_EQ(IndexOf(pipeline, "entry"), 0u);
  const RwUInt32 l = IndexOf(pipeline, "left"), r = IndexOf(pipeline, "right"), j = IndexOf(pipeline, "join"),
                 s = IndexOf(pipeline, "sink");
  EXPECT_LT(l, j);
  EXPECT_LT(r, j);
  EXPECT_LT(j, s);
  // Outputs still lead to the same nodes after the moves.
  EXPECT_EQ(pipeline->nodes[0].outputs[0], l);
  EXPECT_EQ(pipeline->nodes[0].outputs[1], r);
  EXPECT_EQ(pipeline->nodes[l].outputs[0], j);
  EXPECT_EQ(pipeline->nodes[r].outputs[0], j);
  EXPECT_EQ(pipeline->nodes[j].outputs[0], s);
  for (RwUInt32 i = 0; i < pipeline->numNodes; ++i) {
    EXPECT_EQ(pipeline->nodes[i].dependency, nullptr);
  }
}

// --- Unlock: requirement resolution -----------------------------------------

TEST_F(PipelineTest, AllInOneNodeWithoutClusters) {
  TestNode& only = Node("only", 0);
  only.definition.privateDataSize = 6;
  RwPipeline* pipeline = NewLocked();
  Add(pipeline, only);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(pipeline->packetNumClusterSlots, 0u);
  ASSERT_NE(pipeline->nodes[0].outputMasks, nullptr);
  EXPECT_EQ(pipeline->nodes[0].outputMasks[0], 0xFFFFFFFFu);
  EXPECT_EQ(pipeline->numInputRequirements, 0u);
  ASSERT_NE(pipeline->nodes[0].privateData, nullptr);
  const RwUInt8 zeros[8] = {};
  EXPECT_EQ(std::memcmp(pipeline->nodes[0].privateData, zeros, 8), 0);
}

TEST_F(PipelineTest, RequiredClusterPassedThroughBecomesAnInputRequirement) {
  TestNode& first = Node("first", 1);
  TestNode& second = Node("second", 0);
  first.Cluster(&gClusterY, rwCLUSTER_OPTIONAL, rwCLUSTER_IGNORE);
  second.Cluster(&gClusterX, rwCLUSTER_REQUIRED, rwCLUSTER_VALID);
  RwPipeline* pipeline = NewLocked();
  ASSERT_EQ(RwPipelineAddFragment(pipeline, nullptr, first.Def(), second.Def(), nullptr), pipeline);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);

  ASSERT_EQ(pipeline->numInputRequirements, 2u);
  const RwPipelineRequirement* requirements = pipeline->inputRequirements;
  EXPECT_LT(reinterpret_cast<uintptr_t>(requirements[0].clusterDef),
            reinterpret_cast<uintptr_t>(requirements[1].clusterDef));
  for (RwUInt32 i = 0; i < 2; ++i) {
    if (requirements[i].clusterDef == &gClusterX) {
      EXPECT_EQ(requirements[i].kind, static_cast<RwUInt32>(rwCLUSTER_REQUIRED));
    } else {
      EXPECT_EQ(requirements[i].clusterDef, &gClusterY);
      EXPECT_EQ(requirements[i].kind, static_cast<RwUInt32>(rwCLUSTER_OPTIONAL));
    }
  }
  EXPECT_EQ(pipeline->packetNumClusterSlots, 2u);
  // X travels from the first node to the second in one slot.
  const RwUInt32 slotX = pipeline->nodes[1].clusterMap[0];
  ASSERT_LT(slotX, 2u);
  EXPECT_EQ(pipeline->nodes[0].slotClusterRefs[slotX]->clusterDef, &gClusterX);
  EXPECT_EQ(pipeline->nodes[0].slotClusterRefs[slotX]->attributes, 0x11u);
  EXPECT_EQ(pipeline->nodes[0].outputMasks[1 + slotX], 1u);
  // Y stops at the first node.
  const RwUInt32 slotY = pipeline->nodes[0].clusterMap[0];
  EXPECT_EQ(pipeline->nodes[0].outputMasks[1 + slotY], 0u);
  EXPECT_EQ(pipeline->nodes[0].outputMasks[0], 0u);
}

TEST_F(PipelineTest, ClusterResolutionErrors) {
  {
    SCOPED_TRACE("required cluster dropped");
    TestNode& first = Node("first", 1);
    TestNode& second = Node("second", 0);
    first.Cluster(&gClusterX, rwCLUSTER_DONTWANT, rwCLUSTER_INVALID);
    second.Cluster(&gClusterX, rwCLUSTER_REQUIRED, rwCLUSTER_VALID);
    RwPipeline* pipeline = NewLocked();
    RwPipelineAddFragment(pipeline, nullptr, first.Def(), second.Def(), nullptr);
    EXPECT_EQ(RwPipelineUnlock(pipeline), nullptr);
    EXPECT_EQ(TakeErrorCode(), 29u);
    // The pipeline is editable again: dropping the requirement lets it unlock.
    second.requirements[0] = rwCLUSTER_OPTIONAL;
    EXPECT_EQ(RwPipelineUnlock(pipeline), pipeline);
  }
  {
    SCOPED_TRACE("null cluster");
    TestNode& only = Node("only", 0);
    only.Cluster(nullptr, rwCLUSTER_DONTWANT, rwCLUSTER_VALID);
    RwPipeline* pipeline = NewLocked();
    Add(pipeline, only);
    EXPECT_EQ(RwPipelineUnlock(pipeline), nullptr);
    EXPECT_EQ(TakeErrorCode(), 31u);
  }
  {
    SCOPED_TRACE("cluster listed twice");
    TestNode& only = Node("only", 0);
    only.Cluster(&gClusterX, rwCLUSTER_DONTWANT, rwCLUSTER_VALID).Cluster(&gClusterX, rwCLUSTER_DONTWANT, 0);
    RwPipeline* pipeline = NewLocked();
    Add(pipeline, only);
    EXPECT_EQ(RwPipelineUnlock(pipeline), nullptr);
    EXPECT_EQ(TakeErrorCode(), 30u);
  }
}

TEST_F(PipelineTest, OptionalClusterDroppedOnEveryInputIsWithdrawn) {
  // entry -> a -> sink and entry -> b -> sink; sink wants X if it comes.
  TestNode& entry = Node("entry", 2);
  TestNode& a = Node("a", 1);
  TestNode& b = Node("b", 1);
  TestNode& sink = Node("sink", 0);
  sink.Cluster(&gClusterX, rwCLUSTER_OPTIONAL, rwCLUSTER_VALID);
  a.Cluster(&gClusterX, rwCLUSTER_DONTWANT, rwCLUSTER_INVALID);
  for (bool bDrops : {false, true}) {
    SCOPED_TRACE(bDrops ? "both inputs drop X" : "one input passes X");
    b.otherDisposition[0] = bDrops ? rwCLUSTER_INVALID : rwCLUSTER_IGNORE;
    b.Build();
    RwPipeline* pipeline = NewLocked();
    const RwUInt32 iEntry = Add(pipeline, entry), iA = Add(pipeline, a), iB = Add(pipeline, b),
                   iSink = Add(pipeline, sink);
    Connect(pipeline, iEntry, 0, iA);
    Connect(pipeline, iEntry, 1, iB);
    Connect(pipeline, iA, 0, iSink);
    Connect(pipeline, iB, 0, iSink);
    ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
    const RwUInt32 s = IndexOf(pipeline, "sink");
    if (bDrops) {
      EXPECT_EQ(pipeline->numInputRequirements, 0u);
      EXPECT_EQ(pipeline->packetNumClusterSlots, 0u);
      EXPECT_EQ(pipeline->nodes[s].clusterMap[0], static_cast<RwUInt32>(rwPIPELINE_NO_SLOT));
    } else {
      ASSERT_EQ(pipeline->numInputRequirements, 1u);
      EXPECT_EQ(pipeline->inputRequirements[0].clusterDef, &gClusterX);
      EXPECT_EQ(pipeline->inputRequirements[0].kind, static_cast<RwUInt32>(rwCLUSTER_OPTIONAL));
      EXPECT_EQ(pipeline->nodes[s].clusterMap[0], pipeline->inputRequirements[0].slot);
    }
  }
}

TEST_F(PipelineTest, ClusterInstancesGetSlots) {
  {
    SCOPED_TRACE("instances that meet in one node take two slots");
    TestNode& entry = Node("entry", 1);
    TestNode& middle = Node("middle", 1);
    TestNode& sink = Node("sink", 0);
    entry.Cluster(&gClusterX, rwCLUSTER_DONTWANT, rwCLUSTER_VALID, true);
    middle.Cluster(&gClusterX, rwCLUSTER_REQUIRED, rwCLUSTER_INVALID)
        .Cluster(&gClusterY, rwCLUSTER_DONTWANT, rwCLUSTER_VALID, true);
    sink.Cluster(&gClusterY, rwCLUSTER_REQUIRED, rwCLUSTER_VALID);
    RwPipeline* pipeline = NewLocked();
    ASSERT_EQ(RwPipelineAddFragment(pipeline, nullptr, entry.Def(), middle.Def(), sink.Def(), nullptr), pipeline);
    ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
    EXPECT_EQ(pipeline->numInputRequirements, 0u);
    EXPECT_EQ(pipeline->packetNumClusterSlots, 2u);
    EXPECT_EQ(pipeline->nodes[0].clusterMap[0], pipeline->nodes[1].clusterMap[0]);
    EXPECT_EQ(pipeline->nodes[1].clusterMap[1], pipeline->nodes[2].clusterMap[0]);
    EXPECT_NE(pipeline->nodes[1].clusterMap[0], pipeline->nodes[1].clusterMap[1]);
  }
  {
    SCOPED_TRACE("instances that never meet share a slot");
    TestNode& entry = Node("entry", 1);
    TestNode& middle = Node("middle", 1);
    TestNode& maker = Node("maker", 1);
    TestNode& sink = Node("sink", 0);
    entry.Cluster(&gClusterX, rwCLUSTER_DONTWANT, rwCLUSTER_VALID, true);
    middle.Cluster(&gClusterX, rwCLUSTER_REQUIRED, rwCLUSTER_INVALID);
    maker.Cluster(&gClusterY, rwCLUSTER_DONTWANT, rwCLUSTER_VALID, true);
    sink.Cluster(&gClusterY, rwCLUSTER_REQUIRED, rwCLUSTER_VALID);
    RwPipeline* pipeline = NewLocked();
    ASSERT_EQ(RwPipelineAddFragment(pipeline, nullptr, entry.Def(), middle.Def(), maker.Def(), sink.Def(), nullptr),
              pipeline);
    ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
    EXPECT_EQ(pipeline->packetNumClusterSlots, 1u);
    EXPECT_EQ(pipeline->nodes[1].clusterMap[0], 0u);
    EXPECT_EQ(pipeline->nodes[3].clusterMap[0], 0u);
    EXPECT_EQ(pipeline->nodes[3].slotClusterRefs[0]->clusterDef, &gClusterY);
    EXPECT_EQ(pipeline->nodes[1].slotClusterRefs[0]->clusterDef, &gClusterX);
  }
}

// Random graphs added in shuffled order: unlock either fails with a graph or
// cluster error and leaves the pipeline locked, or puts every node after the
// nodes that lead to it with tables that agree with the packet; locking and
// unlocking again gives the same result.
TEST_F(PipelineTest, RandomGraphsUnlockConsistently) {
  static RwClusterDefinition pool[4] = {
      {"A", 4, 1, nullptr}, {"B", 4, 2, nullptr}, {"C", 4, 3, nullptr}, {"D", 4, 4, nullptr}};
  const std::vector<RwUInt32> known = {28, 29, 32, 34, 36};
  std::mt19937 random(1234);
  int unlocked = 0;
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const RwUInt32 n = 2 + random() % 14;
    std::vector<TestNode*> logical;
    for (RwUInt32 i = 0; i < n; ++i) {
      TestNode& node = Node("n", 4);
      for (RwUInt32 c = 0; c < 4; ++c) {
        if (random() % 3 == 0) {
          const RwUInt32 requirement = random() % 6 == 0 ? static_cast<RwUInt32>(rwCLUSTER_REQUIRED)
                                                         : static_cast<RwUInt32>(random() % 2) * rwCLUSTER_OPTIONAL;
          node.Cluster(&pool[c], requirement, random() % 3, random() % 4 == 0);
        }
      }
      for (RwUInt32 o = 0; o < 4; ++o) {
        node.otherDisposition[o] = random() % 3;
      }
      node.Build();
      logical.push_back(&node);
    }
    std::vector<RwUInt32> position(n);
    for (RwUInt32 i = 0; i < n; ++i) {
      position[i] = i;
    }
    std::shuffle(position.begin(), position.end(), random);
    std::vector<RwUInt32> byPosition(n);
    for (RwUInt32 i = 0; i < n; ++i) {
      byPosition[position[i]] = i;
    }
    RwPipeline* pipeline = NewLocked();
    for (RwUInt32 p = 0; p < n; ++p) {
      Add(pipeline, *logical[byPosition[p]]);
    }
    // Edges only from lower to higher logical numbers; every node but 0 gets one.
    std::vector<RwUInt32> used(n, 0);
    for (RwUInt32 i = 1; i < n; ++i) {
      for (int tries = 0; tries < 8; ++tries) {
        const RwUInt32 from = random() % i;
        if (used[from] < 4) {
          Connect(pipeline, position[from], used[from]++, position[i]);
          break;
        }
      }
    }
    pipeline->entryPoint = position[0];
    std::vector<std::string> order;
    for (int pass = 0; pass < 2; ++pass) {
      if (RwPipelineUnlock(pipeline) == nullptr) {
        const RwUInt32 error = TakeErrorCode();
        EXPECT_NE(std::find(known.begin(), known.end(), error), known.end()) << error;
        EXPECT_EQ(pipeline->locked, 1u);
        break;
      }
      ++unlocked;
      const RwUInt32 slots = pipeline->packetNumClusterSlots;
      ASSERT_NE(pipeline->packet, nullptr);
      EXPECT_EQ(pipeline->packet->numClusters, slots);
      for (RwUInt32 i = 0; i < n; ++i) {
        const RwPipelineNode& node = pipeline->nodes[i];
        for (RwUInt32 o = 0; o < node.numOutputs; ++o) {
          if (node.outputs[o] != rwPIPELINE_OUTPUT_UNCONNECTED) {
            EXPECT_GT(node.outputs[o], i) << "a node follows every node that leads to it";
            EXPECT_LT(node.outputs[o], n);
          }
        }
        for (RwUInt32 k = 0; k < node.nodeDef->numClustersOfInterest; ++k) {
          const RwUInt32 slot = node.clusterMap[k];
          if (slot != rwPIPELINE_NO_SLOT) {
            ASSERT_LT(slot, slots);
            EXPECT_EQ(node.slotClusterRefs[slot]->clusterDef, node.nodeDef->clustersOfInterest[k].clusterDef);
          }
        }
      }
      std::vector<std::string> now;
      for (RwUInt32 i = 0; i < n; ++i) {
        now.push_back(std::to_string(reinterpret_cast<uintptr_t>(pipeline->nodes[i].nodeDef)));
      }
      if (pass == 1) {
        EXPECT_EQ(now, order) << "a second unlock keeps the order";
      }
      order = now;
      ASSERT_EQ(RwPipelineLock(pipeline), pipeline);
    }
  }
  EXPECT_GT(unlocked, 100) << "enough graphs pass to check their layout";
}

// --- Node callbacks across lock and unlock -----------------------------------

struct CallbackLog {
  std::vector<std::string> calls;
  bool failConfig = false;
} gCallbacks;

RwBool LogNodeInit(RwNodeDefinition* definition) {
  gCallbacks.calls.push_back(std::string("nodeInit ") + definition->name);
  return TRUE;
}
void LogNodeTerm(RwNodeDefinition* definition) {
  gCallbacks.calls.push_back(std::string("nodeTerm ") + definition->name);
}
RwBool LogPipelineNodeInit(RwPipelineNode* node) {
  gCallbacks.calls.push_back(std::string("init ") + node->nodeDef->name);
  return TRUE;
}
void LogPipelineNodeTerm(RwPipelineNode* node) {
  gCallbacks.calls.push_back(std::string("term ") + node->nodeDef->name);
}
RwBool LogConfig(RwPipelineNode* node, RwPipeline*) {
  gCallbacks.calls.push_back(std::string("config ") + node->nodeDef->name);
  return !gCallbacks.failConfig;
}

TEST_F(PipelineTest, NodeCallbacksAcrossUnlockLockAndFailure) {
  gCallbacks = CallbackLog();
  TestNode& a = Node("a", 1);
  TestNode& b = Node("b", 0);
  for (TestNode* node : {&a, &b}) {
    node->definition.nodeInit = LogNodeInit;
    node->definition.nodeTerm = LogNodeTerm;
    node->definition.pipelineNodeInit = LogPipelineNodeInit;
    node->definition.pipelineNodeTerm = LogPipelineNodeTerm;
    node->definition.pipelineNodeConfig = LogConfig;
  }
  RwPipeline* pipeline = NewLocked();
  ASSERT_EQ(RwPipelineAddFragment(pipeline, nullptr, a.Def(), b.Def(), nullptr), pipeline);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(gCallbacks.calls,
            (std::vector<std::string>{"nodeInit b", "init b", "nodeInit a", "init a", "config b", "config a"}));
  EXPECT_EQ(a.definition.useCount, 1u);

  gCallbacks.calls.clear();
  ASSERT_EQ(RwPipelineLock(pipeline), pipeline);
  EXPECT_EQ(RwPipelineLock(pipeline), pipeline) << "locking twice is harmless";
  EXPECT_EQ(gCallbacks.calls, (std::vector<std::string>{"term a", "nodeTerm a", "term b", "nodeTerm b"}));
  EXPECT_EQ(a.definition.useCount, 0u);

  gCallbacks.calls.clear();
  gCallbacks.failConfig = true;
  EXPECT_EQ(RwPipelineUnlock(pipeline), nullptr);
  EXPECT_EQ(pipeline->locked, 1u);
  EXPECT_EQ(a.definition.useCount, 0u);
  EXPECT_EQ(b.definition.useCount, 0u);
  EXPECT_EQ(gCallbacks.calls.back(), "nodeTerm b");

  // The failed unlock left an editable pipeline that unlocks and runs.
  gCallbacks.failConfig = false;
  EXPECT_EQ(pipeline->nodes[0].outputs[0], 1u);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(a.definition.useCount, 1u);
  gCallbacks.calls.clear();
  RwPipelineDestroy(pipeline);
  pipelines_.clear();
  EXPECT_EQ(gCallbacks.calls, (std::vector<std::string>{"term a", "nodeTerm a", "term b", "nodeTerm b"}));
}

TEST_F(PipelineTest, CopyForEditingDuplicatesNodesAndInitialisationData) {
  TestNode& a = Node("a", 1);
  TestNode& b = Node("b", 0);
  RwPipeline* source = NewLocked();
  ASSERT_EQ(RwPipelineAddFragment(source, nullptr, a.Def(), b.Def(), nullptr), source);
  source->nodes[1].initializationData = RwMalloc(4);
  std::memcpy(source->nodes[1].initializationData, "abc", 4);
  source->nodes[1].initializationDataSize = 4;
  ASSERT_EQ(RwPipelineUnlock(source), source);

  RwPipeline* copy = RwPipelineCreate();
  pipelines_.push_back(copy);
  ASSERT_TRUE(RwPipelineCopyForEditing(copy, source));
  copy->locked = 1;
  ASSERT_EQ(copy->numNodes, 2u);
  EXPECT_EQ(copy->nodes[0].outputs[0], 1u);
  EXPECT_NE(copy->nodes[1].initializationData, source->nodes[1].initializationData);
  EXPECT_STREQ(static_cast<const char*>(copy->nodes[1].initializationData), "abc");
  ASSERT_EQ(RwPipelineUnlock(copy), copy);
  EXPECT_EQ(a.definition.useCount, 2u);
}

TEST_F(PipelineTest, CopyForEditingRefusesADestinationThatHoldsNodes) {
  TestNode& a = Node("a", 1);
  TestNode& b = Node("b", 0);
  TestNode& held = Node("held", 0);
  RwPipeline* source = NewLocked();
  ASSERT_EQ(RwPipelineAddFragment(source, nullptr, a.Def(), b.Def(), nullptr), source);
  for (bool unlocked : {false, true}) {
    SCOPED_TRACE(unlocked ? "unlocked destination" : "locked destination");
    RwPipeline* destination = NewLocked();
    Add(destination, held);
    void* data = RwMalloc(4);
    destination->nodes[0].initializationData = data;
    destination->nodes[0].initializationDataSize = 4;
    if (unlocked) {
      ASSERT_EQ(RwPipelineUnlock(destination), destination);
    }
    const RwUInt32 useCount = held.definition.useCount;
    EXPECT_FALSE(RwPipelineCopyForEditing(destination, source));
    EXPECT_EQ(TakeErrorCode(), 0x80000003u);
    ASSERT_EQ(destination->numNodes, 1u) << "the held node is neither overwritten nor released";
    EXPECT_EQ(destination->nodes[0].nodeDef, held.Def());
    EXPECT_EQ(destination->nodes[0].initializationData, data);
    EXPECT_EQ(held.definition.useCount, useCount);
    if (unlocked) {
      EXPECT_EQ(RwPipelineExecute(destination, nullptr, FALSE), destination) << "still runnable";
    }
  }
}

RwNodeDefinition* NewEditableDefinition(RwUInt32 numOutputs) {
  auto* definition = static_cast<RwNodeDefinition*>(RwMalloc(sizeof(RwNodeDefinition)));
  std::memset(definition, 0, sizeof(*definition));
  definition->name = "editable";
  definition->numOutputs = numOutputs;
  static RwNodeOutput output = {"out", nullptr, rwCLUSTER_IGNORE};
  definition->outputs = numOutputs > 0 ? &output : nullptr;
  definition->editable = 1;
  return definition;
}

TEST_F(PipelineTest, EditableDefinitionsAreFreedWithTheirLastNode) {
  // The leak checker and the address sanitizer watch both cases.
  for (bool unlock : {true, false}) {
    SCOPED_TRACE(unlock ? "unlocked pipeline" : "locked pipeline");
    RwNodeDefinition* definition = NewEditableDefinition(1);
    RwNodeDefinition* last = NewEditableDefinition(0);
    RwPipeline* pipeline = RwPipelineCreate();
    ASSERT_NE(RwPipelineLock(pipeline), nullptr);
    ASSERT_NE(RwPipelineAddFragment(pipeline, nullptr, definition, definition, last, nullptr), nullptr);
    if (unlock) {
      ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
      EXPECT_EQ(definition->useCount, 2u);
    }
    RwPipelineDestroy(pipeline);
  }
}

struct FreeWatch {
  void (*free)(void*) = nullptr;
  const void* watched = nullptr;
  int watchedFrees = 0;
} gFreeWatch;

void WatchingFree(void* block) {
  if (block != nullptr && block == gFreeWatch.watched) {
    gFreeWatch.watchedFrees++;
    return;  // kept alive so that a wrong free cannot turn into a crash
  }
  gFreeWatch.free(block);
}

TEST_F(PipelineTest, AFailedFragmentLeavesTheCallersDefinitionsAlone) {
  TestNode& noOutputs = Node("none", 0);
  TestNode& a = Node("a", 1);
  RwPipeline* pipeline = NewLocked();
  Add(pipeline, a);
  RwNodeDefinition* editable = NewEditableDefinition(1);
  gFreeWatch = FreeWatch();
  gFreeWatch.free = RwEngineInstance->memoryFunctions.rwfree;
  gFreeWatch.watched = editable;
  RwEngineInstance->memoryFunctions.rwfree = WatchingFree;
  // The link from the output-less node fails after the editable node was made.
  EXPECT_EQ(RwPipelineAddFragment(pipeline, nullptr, noOutputs.Def(), editable, nullptr), nullptr);
  RwEngineInstance->memoryFunctions.rwfree = gFreeWatch.free;
  EXPECT_EQ(gFreeWatch.watchedFrees, 0) << "the caller still holds the definition";
  ASSERT_EQ(pipeline->numNodes, 1u);
  EXPECT_EQ(pipeline->nodes[0].nodeDef, a.Def());
  EXPECT_EQ(pipeline->nodes[1].nodeDef, nullptr);
  EXPECT_EQ(pipeline->nodes[0].outputs[0], static_cast<RwUInt32>(rwPIPELINE_OUTPUT_UNCONNECTED));

  // The definition is still usable; the pipeline frees it with its last node.
  RwUInt32 index = 0;
  ASSERT_EQ(RwPipelineAddFragment(pipeline, &index, editable, nullptr), pipeline);
  Connect(pipeline, 0, 0, index);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);
  EXPECT_EQ(editable->useCount, 1u);
}

void* FailingRealloc(void*, size_t) { return nullptr; }

TEST_F(PipelineTest, BlockAllocationFailuresLeaveThePipelineUsable) {
  TestNode& a = Node("a", 1);
  TestNode& b = Node("b", 0);
  a.definition.body = RecordingBody;
  b.definition.body = RecordingBody;
  RwPipeline* pipeline = NewLocked();
  ASSERT_EQ(RwPipelineAddFragment(pipeline, nullptr, a.Def(), b.Def(), nullptr), pipeline);
  auto realloc = RwEngineInstance->memoryFunctions.rwrealloc;

  RwEngineInstance->memoryFunctions.rwrealloc = FailingRealloc;
  EXPECT_EQ(RwPipelineUnlock(pipeline), nullptr) << "resizing the block during the unlock fails";
  RwEngineInstance->memoryFunctions.rwrealloc = realloc;
  EXPECT_EQ(TakeErrorCode(), 0x80000013u);
  EXPECT_EQ(pipeline->locked, 1u);
  ASSERT_EQ(RwPipelineUnlock(pipeline), pipeline);

  // The unlocked block is smaller than the editing layout: locking must grow it.
  RwEngineInstance->memoryFunctions.rwrealloc = FailingRealloc;
  EXPECT_EQ(RwPipelineLock(pipeline), nullptr);
  RwEngineInstance->memoryFunctions.rwrealloc = realloc;
  EXPECT_EQ(TakeErrorCode(), 0x80000013u);
  EXPECT_EQ(pipeline->locked, 0u);
  EXPECT_EQ(a.definition.useCount, 1u) << "the nodes stay initialised";
  gExecution = ExecutionLog();
  EXPECT_EQ(RwPipelineExecute(pipeline, nullptr, FALSE), pipeline);
  EXPECT_EQ(gExecution.visited.size(), 2u);
}

TEST(ClusterSortTest, SortsRecordsByTheirKey) {
  struct Record {
    uintptr_t key;
    RwUInt32 payload;
  };
  std::mt19937 random(5);
  for (RwUInt32 count : {0u, 1u, 5u, 6u, 17u, 200u}) {
    SCOPED_TRACE(count);
    std::vector<Record> records(count);
    for (RwUInt32 i = 0; i < count; ++i) {
      records[i] = {static_cast<uintptr_t>(random() % 1000) * 16 + 0x1000, i};
    }
    std::vector<Record> expected = records;
    std::stable_sort(expected.begin(), expected.end(), [](const Record& x, const Record& y) { return x.key < y.key; });
    RwClusterSort(records.data(), count, sizeof(Record), 0, 0, UINTPTR_MAX);
    for (RwUInt32 i = 0; i < count; ++i) {
      EXPECT_EQ(records[i].key, expected[i].key);
    }
  }
  Record record = {1, 2};
  RwClusterSort(&record, 1, sizeof(RwUInt32), 0, 0, UINTPTR_MAX);  // key does not fit: nothing happens
  EXPECT_EQ(record.key, 1u);
}

}  // namespace
